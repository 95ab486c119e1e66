// The options window over the assembled frame: opened with Ctrl+O, its modified state, its
// rules for the default folder and the digit boxes, what Apply saves, and the changes that take
// effect at once in every open window (language, My PC's name, the interface font).

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTest>

#include "frame/tab_falsa_qt.h"
#include "settings/almacen_registro.h"
#include "pane/frm_main_qt.h"
#include "pane/menus_visor_qt.h"
#include "pane/visor_qt.h"
#include "search/frm_buscar_qt.h"
#include "settings/elegir_carpeta_qt.h"
#include "settings/frm_opciones_qt.h"
#include "settings/fuente_especial_qt.h"
#include "support/fakes.h"

namespace quirvex::prueba {
namespace {

class OpcionesEnMarco : public MarcoTest {
protected:
    void SetUp() override {
        MarcoTest::SetUp();
        Opciones().Language = 0;
        m = MarcoConPaneles(tmp.Ruta());
    }
    void TearDown() override {
        if (m && m->VentanaOpciones()) m->VentanaOpciones()->close();
        m.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        CargarIdiomaIncorporado(0);
        AplicarTextoMiPC();
        AplicarFuenteInterfaz(false);
        MarcoTest::TearDown();
    }
    frmMain* Carpeta() { return dynamic_cast<frmMain*>(m->TabActual()); }
    frmO* Abrir() {
        m->activateWindow();
        (void)QTest::qWaitForWindowActive(m.get());
        Carpeta()->aVisor()->picM()->setFocus();
        QTest::keyClick(Carpeta()->aVisor()->picM(), Qt::Key_O, Qt::ControlModifier);
        return dynamic_cast<frmO*>(m->VentanaOpciones());
    }
    std::int32_t Guardado(const char* nombre) { return RegLeerDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, nombre, -99); }

    std::unique_ptr<MDI> m;
};

TEST_F(OpcionesEnMarco, CtrlOOpensTheWindowUnmodifiedAndClosingItSavesNothing) {
    frmO* o = Abrir();
    ASSERT_NE(o, nullptr);
    EXPECT_TRUE(o->isVisible());
    EXPECT_EQ(o->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(o->cmdCancelar()->text(), "&Close");
    EXPECT_FALSE(o->cmdAplicar()->isEnabled());
    EXPECT_FALSE(o->cmdAceptar()->isEnabled());
    EXPECT_EQ(o->txtPmaxW()->text(), "160");
    EXPECT_EQ(o->cboDefaultView()->itemText(1), "Details");
    if (const char* png = std::getenv("QUIRVEX_CAPTURAS")) {
        for (int i = 0; i < 6; ++i) {
            o->Tabs()->setCurrentIndex(i);
            o->grab().save(QString("%1/frm_opciones_%2.png").arg(png).arg(i));
        }
        o->Tabs()->setCurrentIndex(0);
    }
    o->cmdCancelar()->click();
    EXPECT_EQ(Guardado("Tabs Max Width"), -99);
}

TEST_F(OpcionesEnMarco, AChangeMarksTheWindowAndApplySavesAndUnmarksIt) {
    frmO* o = Abrir();
    o->chkResTabs()->click();
    EXPECT_EQ(o->cmdCancelar()->text(), "&Cancel");
    EXPECT_TRUE(o->cmdAplicar()->isEnabled());
    o->lstPrevia()->clearSelection();
    o->lstPrevia()->item(0)->setSelected(true);
    o->lstPrevia()->item(3)->setSelected(true);
    o->cmdAplicar()->click();
    EXPECT_EQ(o->cmdCancelar()->text(), "&Close");
    EXPECT_FALSE(o->cmdAplicar()->isEnabled());
    EXPECT_EQ(Guardado("Restore Tabs"), 1);
    EXPECT_EQ(RegLeerCadena(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Image extensions preview"), "*BMP*GIF*");
    // Cancel puts the record back into the controls.
    o->chkResTabs()->click();
    o->cmdCancelar()->click();
    EXPECT_TRUE(Abrir()->chkResTabs()->isChecked());
}

TEST_F(OpcionesEnMarco, DigitBoxesTakeOnlyDigitsAndTheWidthIsAppliedToTheTabs) {
    frmO* o = Abrir();
    o->Tabs()->setCurrentIndex(1);
    EXPECT_TRUE(o->pic(1)->isVisible());
    o->txtPmaxW()->clear();
    QTest::keyClicks(o->txtPmaxW(), "3x0-0");
    EXPECT_EQ(o->txtPmaxW()->text(), "300");
    QTest::keyClick(o->txtPmaxW(), Qt::Key_Backspace);
    EXPECT_EQ(o->txtPmaxW()->text(), "30");
    o->txtImgMax(1)->clear();
    QTest::keyClicks(o->txtImgMax(1), "12kb");
    EXPECT_EQ(o->txtImgMax(1)->text(), "12");
    // The group check box turns the tab controls on and off.
    o->chkP()->click();
    EXPECT_FALSE(o->txtPmaxW()->isEnabled());
    o->chkP()->click();
    o->chkPcerrar()->click();
    o->cmdAceptar()->click();
    EXPECT_FALSE(o->isVisible());
    EXPECT_EQ(Guardado("Tabs Max Width"), 30);
    EXPECT_EQ(Guardado("JPG and JPEG Max Size"), 12);
    EXPECT_EQ(Guardado("Tabs BotonCerrar"), 0);
    EXPECT_EQ(Opciones().AnchoTextoTab, 30 - 36);
}

TEST_F(OpcionesEnMarco, TheFirstDefaultFolderOptionNeedsAFolderFirst) {
    frmO* o = Abrir();
    DialogosGrabados d;
    o->optDcarpeta(0)->click();
    EXPECT_EQ(d.mensajes, (std::vector<std::string>{"First you must choice a folder with Choice button."}));
    EXPECT_TRUE(o->optDcarpeta(1)->isChecked());
    EXPECT_FALSE(o->Modificado());
    std::string titulo;
    SetRespuestaElegirCarpeta([&](const std::string& t, const std::string&) {
        titulo = t;
        return tmp.Ruta();
    });
    o->cmdSetDefaultFolder()->click();
    SetRespuestaElegirCarpeta(nullptr);
    EXPECT_EQ(titulo, "Seleccione la carpeta por defecto:");
    EXPECT_EQ(o->txtDefaultFolder()->text(), Q(tmp.Ruta()));
    o->optDcarpeta(0)->click();
    EXPECT_TRUE(o->optDcarpeta(0)->isChecked());
    o->cmdAplicar()->click();
    EXPECT_EQ(Guardado("Default Folder Option"), 0);
    EXPECT_EQ(RegLeerCadena(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Default Folder Path"), tmp.Ruta());
}

TEST_F(OpcionesEnMarco, TheLanguageChangeRetextsEveryOpenWindowAndMyPCsName) {
    frmMain* carpeta = Carpeta();
    carpeta->aVisor()->CargarContenido(TextoMiPC());
    m->NuevaBusqueda(Q(tmp.Ruta()));
    auto* busqueda = dynamic_cast<frmBuscar*>(m->TabActual());
    ASSERT_NE(busqueda, nullptr);
    m->e_tabB_Click(carpeta->nTab());
    frmO* o = Abrir();
    o->cboIdioma()->setCurrentIndex(1);
    o->cmdAplicar()->click();
    EXPECT_EQ(Texto(General, 25), "Mi PC");
    EXPECT_EQ(carpeta->aVisor()->Contenido().RutaActual, "Mi PC");
    EXPECT_TRUE(carpeta->aVisor()->Contenido().EnMiPC());
    EXPECT_EQ(m->Tabs()[0].TextoCompleto, "Nueva pestaña");
    EXPECT_EQ(carpeta->Menus().Menu("mnuX")->title(), "E&xplorador");
    EXPECT_EQ(busqueda->cmdCancelar()->text(), QString::fromStdString(Texto(General, 23)));
    EXPECT_EQ(busqueda->fraMB()->title(), QString::fromStdString(Texto(frmSearch, 14)));
    EXPECT_EQ(o->cmdAplicar()->text(), QString::fromStdString(Texto(General, 24)));
    EXPECT_EQ(o->windowTitle(), QString::fromStdString(Texto(frmOptions, 0)));
    EXPECT_EQ(Guardado("Language"), 1);
}

TEST_F(OpcionesEnMarco, UncheckingTheSpecialFontSwitchesTheInterfaceBack) {
    Opciones().SpecialFont = 1;
    AplicarFuenteInterfaz(true);
    ASSERT_EQ(QApplication::font().family(), "Segoe UI");
    frmO* o = Abrir();
    ASSERT_TRUE(o->chkNfuente()->isEnabled());
    ASSERT_TRUE(o->chkNfuente()->isChecked());
    o->chkNfuente()->click();
    o->cmdAplicar()->click();
    EXPECT_NE(QApplication::font().family(), "Segoe UI");
    EXPECT_EQ(Guardado("Special Font"), 0);
}

TEST_F(OpcionesEnMarco, OnlyYesCleansTheVisitedLocations) {
    RegEscribirCadena(HKEY_CURRENT_USER, CLAVE_TYPED_URLS, "url1", "/tmp/");
    frmO* o = Abrir();
    for (Respuesta r : {Respuesta::No, Respuesta::Cancelar}) {
        DialogosGrabados d(r);
        o->cmdDborrar()->click();
        EXPECT_EQ(d.mensajes, (std::vector<std::string>{Texto(General, 28)}));
        EXPECT_EQ(RegLeerCadena(HKEY_CURRENT_USER, CLAVE_TYPED_URLS, "url1"), "/tmp/");
    }
    DialogosGrabados d(Respuesta::Si);
    o->cmdDborrar()->click();
    EXPECT_EQ(RegLeerCadena(HKEY_CURRENT_USER, CLAVE_TYPED_URLS, "url1"), "");
}

TEST_F(OpcionesEnMarco, TheAdditionsAreShownAppliedSavedAndPicturedInBothLanguages) {
    tmp.Archivo(".oculto", 1);
    tmp.Archivo("visible", 1);
    Carpeta()->aVisor()->Contenido().ActualizarContenido();
    frmO* o = Abrir();
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->chkOcultos()->text(), "Show hidden files");
    EXPECT_EQ(o->chkPapelera()->text(), "Move deleted items to the trash");
    EXPECT_TRUE(o->chkOcultos()->isChecked());
    EXPECT_FALSE(o->chkPapelera()->isChecked());
    // The preview list offers today's formats, chosen on a new settings file.
    QStringList previa;
    for (int k = 0; k < o->lstPrevia()->count(); ++k)
        if (o->lstPrevia()->item(k)->isSelected()) previa << o->lstPrevia()->item(k)->text();
    EXPECT_EQ(previa.join('*'), "BMP*JPG*JPEG*GIF*PNG*WEBP*TIF*TIFF*SVG");
    if (const char* carpeta = std::getenv("QUIRVEX_CAPTURAS")) {
        o->grab().save(QString::fromUtf8(carpeta) + "/opciones-en.png");
    }

    o->chkOcultos()->click();
    o->chkPapelera()->click();
    EXPECT_TRUE(o->cmdAplicar()->isEnabled());
    QTest::mouseClick(o->cmdAplicar(), Qt::LeftButton);
    EXPECT_EQ(Opciones().ShowHiddenFiles, 0);
    EXPECT_EQ(Opciones().MoveToTrash, 1);
    EXPECT_EQ(Guardado("Show Hidden Files"), 0);
    EXPECT_EQ(Guardado("Move To Trash"), 1);
    // Applied at once: the pane lists its folder again without the dot name.
    EXPECT_EQ(Carpeta()->aVisor()->Contenido().GetIndexItem(".oculto"), -1);
    EXPECT_GE(Carpeta()->aVisor()->Contenido().GetIndexItem("visible"), 0);

    // Castellano.
    o->cboIdioma()->setCurrentIndex(1);
    QTest::mouseClick(o->cmdAplicar(), Qt::LeftButton);
    EXPECT_EQ(o->chkOcultos()->text(), QString::fromUtf8("Mostrar los archivos ocultos"));
    EXPECT_EQ(o->chkPapelera()->text(), QString::fromUtf8("Mover a la papelera los elementos eliminados"));
    if (const char* carpeta = std::getenv("QUIRVEX_CAPTURAS")) {
        o->grab().save(QString::fromUtf8(carpeta) + "/opciones-es.png");
    }
}

}  // namespace
}  // namespace quirvex::prueba
