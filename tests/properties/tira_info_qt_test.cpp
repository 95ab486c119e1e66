// The info strip and the "&Properties" commands in the assembled frame: real folder tabs with
// real panes, driven with keys and clicks.

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <set>

#include "frame/tab_falsa_qt.h"
#include "pane/frm_main_qt.h"
#include "pane/interaccion_falsa_qt.h"
#include "pane/visor_qt.h"
#include "properties/frm_info_qt.h"

namespace quirvex::prueba {
namespace {

class TiraInfo : public MarcoTest {
protected:
    static cVisor* Visor(MDI& m) { return static_cast<frmMain*>(m.TabActual())->aVisor(); }
    static void Tecla(cVisor* v, Qt::Key k, Qt::KeyboardModifiers mods = {}) {
        QTest::keyClick(v->picM(), k, mods);
    }
    static std::string Actual(cVisor* v) {
        const int i = v->Seleccion().sActual();
        return i < 0 ? std::string() : v->Contenido().Items[static_cast<size_t>(i)].Nombre;
    }
    // Moves the current item with the keys onto `nombre`.
    static bool Ir(cVisor* v, const std::string& nombre) {
        Tecla(v, Qt::Key_Home);
        for (int k = 0; k < v->nItems() && Actual(v) != nombre; ++k) Tecla(v, Qt::Key_Right);
        return Actual(v) == nombre;
    }
    static std::vector<frmInfo*> VentanasSueltas() {
        std::vector<frmInfo*> r;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* f = dynamic_cast<frmInfo*>(w); f && f->isVisible()) r.push_back(f);
        return r;
    }
    // What the strip should say for the pane's current item.
    static QString TituloEsperado(cVisor* v) {
        const std::string n = Actual(v);
        return QString::fromStdString(n.find('.') != std::string::npos ? n + " (Propiedades del Archivo)"
                                                                        : n + " (Folder Properties)");
    }
    CarpetaTemporal tmp;
    InteraccionGrabada ui;
};

TEST_F(TiraInfo, TheStripFollowsTheCurrentItemThroughKeyMovesAndNeverTallies) {
    tmp.Archivo("w/a.txt", 10);
    tmp.Archivo("w/b.txt", 2048);
    for (int k = 0; k < 50; ++k) tmp.Archivo("w/grande/f" + std::to_string(k), 1);
    tmp.Carpeta("w/otra");
    auto m = MarcoConPaneles(tmp.Ruta("w/"), QSize(1000, 600));
    cVisor* v = Visor(*m);
    ASSERT_TRUE(v);
    EXPECT_FALSE(m->picInfo()->isVisible());
    EXPECT_EQ(m->InfoEmbebida(), nullptr);

    QTest::mouseClick(m->lblInfo(), Qt::LeftButton);  // the label ticks the box
    ASSERT_TRUE(m->chkInfo()->isChecked());
    frmInfo* info = m->InfoEmbebida();
    ASSERT_TRUE(info);
    EXPECT_TRUE(m->picInfo()->isVisible());
    EXPECT_TRUE(info->isVisible());
    // Nothing is current yet: the strip describes the location.
    ASSERT_LT(v->Seleccion().sActual(), 0);
    EXPECT_EQ(info->Titulo(), "w (Folder Properties)");

    v->setFocus();
    Tecla(v, Qt::Key_Home);
    const std::string primero = Actual(v);
    ASSERT_FALSE(primero.empty());
    EXPECT_EQ(info->Titulo(), TituloEsperado(v));
    std::set<std::string> vistos{primero};
    for (int k = 0; k < 3; ++k) {
        Tecla(v, Qt::Key_Right);
        vistos.insert(Actual(v));
        EXPECT_EQ(info->Titulo(), TituloEsperado(v)) << Actual(v);
        if (Actual(v) == "b.txt") {
            EXPECT_EQ(info->txtCT()->text(), "2 KB");
        }
        if (Actual(v) == "grande") {
            // A folder's size shows only once its tally is asked for.
            EXPECT_EQ(info->txtCT()->text(), "(Calculating...)");
            EXPECT_FALSE(info->Calculando());
            EXPECT_TRUE(info->txtARCHIVOS()->text().isEmpty());
        }
    }
    EXPECT_EQ(vistos.size(), 4u);

    // The tally of the current folder, then a key move: the strip moves on and stays there.
    ASSERT_TRUE(Ir(v, "grande"));
    QTest::mouseClick(info->cmdCalcular(), Qt::LeftButton);
    Tecla(v, Qt::Key_End);
    EXPECT_FALSE(info->Calculando());
    QCoreApplication::processEvents();
    EXPECT_EQ(info->Titulo(), TituloEsperado(v));
    EXPECT_NE(info->txtARCHIVOS()->text(), "50");
}

TEST_F(TiraInfo, TickingTwiceRecreatesTheWindowAndOnlyFolderTabsShowTheStrip) {
    tmp.Archivo("w/a.txt", 1);
    auto m = MarcoConPaneles(tmp.Ruta("w/"), QSize(1000, 600));
    m->chkInfo()->setChecked(true);
    QPointer<frmInfo> primero = m->InfoEmbebida();
    ASSERT_TRUE(primero);
    QTest::mouseClick(m->lblInfo(), Qt::LeftButton);
    EXPECT_FALSE(m->picInfo()->isVisible());
    EXPECT_EQ(m->InfoEmbebida(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(primero.isNull());
    QTest::mouseClick(m->lblInfo(), Qt::LeftButton);
    ASSERT_TRUE(m->InfoEmbebida());
    EXPECT_TRUE(m->picInfo()->isVisible());

    m->e_tabB_Click(1);  // the operations tab
    EXPECT_FALSE(m->picInfo()->isVisible());
    m->e_tabB_Click(0);  // "New Tab": a new folder tab comes forward, with the strip
    EXPECT_EQ(m->TabActual()->NombreVentana(), "frmMain");
    EXPECT_TRUE(m->picInfo()->isVisible());
    m->chkInfo()->setChecked(false);
    EXPECT_FALSE(m->picInfo()->isVisible());
}

TEST_F(TiraInfo, EveryPropertiesCommandOpensTheWindowForWhatItNames) {
    tmp.Archivo("w/a.txt", 5);
    tmp.Archivo("w/sub/x", 1);
    auto m = MarcoConPaneles(tmp.Ruta("w/"), QSize(1000, 600));
    auto* f = static_cast<frmMain*>(m->TabActual());
    cVisor* v = Visor(*m);
    v->setFocus();
    ASSERT_TRUE(Ir(v, "a.txt"));

    Tecla(v, Qt::Key_Return, Qt::AltModifier);
    auto abiertas = VentanasSueltas();
    ASSERT_EQ(abiertas.size(), 1u);
    QPointer<frmInfo> ventana = abiertas[0];
    EXPECT_EQ(ventana->Titulo(), "a.txt (Propiedades del Archivo)");
    QTest::keyClick(ventana, Qt::Key_Escape);
    ASSERT_TRUE(Esperar([&] { return ventana.isNull(); }));

    ui.elegir = "mnuPCpropiedades";
    f->MostrarMenuFondo(QPoint());
    abiertas = VentanasSueltas();
    ASSERT_EQ(abiertas.size(), 1u);
    EXPECT_EQ(abiertas[0]->Titulo(), "w (Folder Properties)");
    EXPECT_EQ(abiertas[0]->Ruta(), tmp.Ruta("w/"));
    abiertas[0]->close();
    QCoreApplication::processEvents();

    ASSERT_TRUE(Ir(v, "sub"));
    f->EjecutarComando("mnuApropiedades");
    abiertas = VentanasSueltas();
    ASSERT_EQ(abiertas.size(), 1u);
    EXPECT_EQ(abiertas[0]->Titulo(), "sub (Folder Properties)");
    abiertas[0]->close();
    QCoreApplication::processEvents();
}

}  // namespace
}  // namespace quirvex::prueba
