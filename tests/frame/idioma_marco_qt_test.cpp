// A language switch in the assembled frame: the panes' status strips and a finished search's
// status line are texted again at once, and Qt's own texts (the standard buttons of a message
// box, the display name of the documents folder) follow the program's language.

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>

#include "frame/marco_real_qt.h"
#include "search/busqueda.h"
#include "search/frm_buscar_qt.h"
#include "settings/traduccion_qt.h"

namespace quirvex::prueba {
namespace {

class IdiomaMarco : public MarcoReal {
protected:
    void TearDown() override {
        MarcoReal::TearDown();
        AplicarTraduccionQt();  // back to English, with the settings reset
    }
    // What the options window does when Castellano is chosen.
    void AEspanol() {
        Opciones().Language = 1;
        ASSERT_TRUE(CargarIdiomaIncorporado(1));
        m->AplicarIdioma();
    }
    static QString Boton(QMessageBox& caja, QMessageBox::StandardButton b) { return caja.button(b)->text(); }
};

TEST_F(IdiomaMarco, TheStatusStripsAreTextedAgainAtOnce) {
    tmp.Archivo("a.txt", 1500);
    tmp.Archivo("b.txt", 10);
    tmp.Carpeta("sub");
    Abrir(tmp.Ruta());
    ASSERT_TRUE(Tab()->AgregarVisor(tmp.Ruta()));
    cVisor* conItem = Visor(0);
    cVisor* resumen = Visor(1);
    Clic(conItem->picM(), SobreItem(conItem, Indice(conItem, "a.txt")));
    const QString itemIngles = conItem->strBarraEstado();
    const QString resumenIngles = resumen->strBarraEstado();
    AEspanol();
    // Each strip says the same thing as before, now as the Spanish texts say it.
    EXPECT_NE(conItem->strBarraEstado(), itemIngles);
    EXPECT_NE(resumen->strBarraEstado(), resumenIngles);
    const QString itemEspanol = conItem->strBarraEstado();
    const QString resumenEspanol = resumen->strBarraEstado();
    // As a fresh look at them in Spanish gives.
    Clic(conItem->picM(), SobreItem(conItem, Indice(conItem, "b.txt")));
    Clic(conItem->picM(), SobreItem(conItem, Indice(conItem, "a.txt")));
    EXPECT_EQ(conItem->strBarraEstado(), itemEspanol);
    ASSERT_TRUE(resumen->CargarContenido(tmp.Ruta()));
    EXPECT_EQ(resumen->strBarraEstado(), resumenEspanol);
}

TEST_F(IdiomaMarco, AFinishedSearchsStatusLineFollowsTheLanguage) {
    tmp.Archivo("notas.txt");
    Abrir(tmp.Ruta());
    m->NuevaBusqueda(Q(tmp.Ruta()));
    auto* f = dynamic_cast<frmBuscar*>(m->TabActual());
    ASSERT_NE(f, nullptr);
    QTest::keyClicks(f->txtARCHIVO(), "txt");
    f->cmdBUSCAR()->click();
    ASSERT_FALSE(f->Buscando());
    ASSERT_TRUE(f->lbl(3)->text().startsWith("Found 1 files in"));
    AEspanol();
    EXPECT_EQ(f->lbl(3)->text().toStdString().rfind(Texto(frmSearch, 7) + "1" + Texto(frmSearch, 8), 0), 0u)
        << f->lbl(3)->text().toStdString();
    EXPECT_FALSE(f->lbl(3)->text().startsWith("Found"));
}

TEST_F(IdiomaMarco, QtsOwnButtonsAndFolderNamesFollowTheLanguage) {
    tmp.Carpeta("a");
    Abrir(tmp.Ruta());
    const QString documentos = QStandardPaths::displayName(QStandardPaths::DocumentsLocation);
    ASSERT_EQ(documentos, "Documents");
    AEspanol();
    QMessageBox caja(QMessageBox::Question, "t", "m", QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(Boton(caja, QMessageBox::Yes).remove('&'), QString::fromUtf8("Sí"));
    EXPECT_EQ(Boton(caja, QMessageBox::No).remove('&'), "No");
    EXPECT_EQ(Boton(caja, QMessageBox::Cancel).remove('&'), "Cancelar");
    EXPECT_EQ(QStandardPaths::displayName(QStandardPaths::DocumentsLocation), "Documentos");
    // Back in English, Qt's texts are English again.
    Opciones().Language = 0;
    ASSERT_TRUE(CargarIdiomaIncorporado(0));
    m->AplicarIdioma();
    QMessageBox otra(QMessageBox::Question, "t", "m", QMessageBox::Yes);
    EXPECT_EQ(Boton(otra, QMessageBox::Yes).remove('&'), "Yes");
    EXPECT_EQ(QStandardPaths::displayName(QStandardPaths::DocumentsLocation), documentos);
}

}  // namespace
}  // namespace quirvex::prueba
