// The start-up window, shutdown, debug mode and the About window.

#include <QAccessible>
#include <QComboBox>
#include <QFontInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QWheelEvent>

#include "frame/frm_acerca_qt.h"
#include "frame/frm_ini_qt.h"
#include "frame/tab_falsa_qt.h"
#include "support/fakes.h"

namespace quirvex::prueba {
namespace {

// Sets an environment variable for the test's lifetime.
class Entorno {
public:
    Entorno(const char* nombre, const char* valor) : nombre_(nombre) {
        if (const char* v = std::getenv(nombre)) antes_ = v;
        ::setenv(nombre, valor, 1);
    }
    ~Entorno() {
        if (antes_)
            ::setenv(nombre_, antes_->c_str(), 1);
        else
            ::unsetenv(nombre_);
    }

private:
    const char* nombre_;
    std::optional<std::string> antes_;
};

int LeerDword(const char* nombre, int porDefecto) {
    return RegLeerDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, nombre, porDefecto);
}

using Arranque = MarcoTest;

TEST_F(Arranque, FirstRunAsksWithTheUsersLanguagePreselectedAndRetextsWhileTrying) {
    Ajustar("Check SpecialFont", 0);
    const struct {
        const char* locale;
        int guardado;  // -1: absent
        int esperado;
    } casos[] = {{"es_AR.UTF-8", -1, 1}, {"en_GB.UTF-8", -5, 0}, {"de_DE.UTF-8", 2, 0}};
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.locale);
        Entorno lc("LC_ALL", caso.locale);
        if (caso.guardado != -1) Ajustar("Language", caso.guardado);
        frmINI ini;
        int cargas = 0;
        ini.SetCargarMarco([&]() -> QWidget* { ++cargas; return nullptr; });
        EXPECT_TRUE(ini.Form_Load());
        EXPECT_TRUE(ini.PrimeraVez());
        EXPECT_TRUE(ini.isVisible());
        EXPECT_EQ(ini.cboIdioma()->currentIndex(), caso.esperado);
        EXPECT_EQ(cargas, 0);
        ini.PermitirCerrar = true;
    }
    Entorno lc("LC_ALL", "es_ES.UTF-8");
    RegBorrarClave(HKEY_CURRENT_USER, CLAVE_OPCIONES);
    frmINI ini;
    ASSERT_TRUE(ini.Form_Load());
    EXPECT_EQ(ini.lbl()->text(), "Seleccione el idioma:");
    EXPECT_EQ(ini.cmdAceptar()->text(), "&Aceptar");
    ini.cboIdioma()->setCurrentIndex(0);
    EXPECT_EQ(ini.lbl()->text(), "Select language:");
    EXPECT_EQ(ini.cmdAceptar()->text(), "&Accept");
    ini.PermitirCerrar = true;
}

TEST_F(Arranque, AcceptingStoresTheLanguageBeforeTheFrameLoads) {
    Ajustar("Check SpecialFont", 0);
    Entorno lc("LC_ALL", "C");
    frmINI ini;
    int guardadoAlCargar = -2;
    ini.SetCargarMarco([&]() -> QWidget* {
        guardadoAlCargar = LeerDword("Language", -1);
        return nullptr;
    });
    ASSERT_TRUE(ini.Form_Load());
    ini.cboIdioma()->setCurrentIndex(1);
    QTest::mouseClick(ini.cmdAceptar(), Qt::LeftButton);
    EXPECT_EQ(guardadoAlCargar, 1);
    EXPECT_EQ(Opciones().Language, 1);
    EXPECT_EQ(Texto(General, 25), "Mi PC");
    EXPECT_FALSE(ini.isVisible());
    EXPECT_EQ(ini.hWndServidor(), 0);

    // The next start asks nothing and loads the stored language.
    frmINI otra;
    bool cargado = false;
    otra.SetCargarMarco([&]() -> QWidget* { cargado = true; return nullptr; });
    EXPECT_FALSE(otra.Form_Load());
    EXPECT_FALSE(otra.PrimeraVez());
    EXPECT_TRUE(cargado);
    EXPECT_EQ(otra.IdiomaElegido(), 1);
    ini.PermitirCerrar = otra.PermitirCerrar = true;
}

// The index server is started only through the hook start-up is given, and only on a first run
// that finds none; without the hook (tests, a screenshot) nothing is ever started.
TEST_F(Arranque, TheIndexServerStartsOnlyOnAFirstRunWithoutOneAndOnlyThroughTheHook) {
    Ajustar("Check SpecialFont", 0);
    Entorno lc("LC_ALL", "C");
    int iniciados = 0;
    long long registrado = 0;
    auto arrancar = [&](long long servidorEncontrado, bool conGancho) {
        frmINI ini(true);
        ini.SetCargarMarco([]() -> QWidget* { return nullptr; });
        ini.SetBuscarServidor([=] { return servidorEncontrado; });
        ini.SetRegistrarServidor([&](long long s) { registrado = s; });
        if (conGancho) ini.SetIniciarServidor([&] { ++iniciados; });
        ini.Form_Load();
        ini.PermitirCerrar = true;
        return ini.PrimeraVez();
    };
    ASSERT_TRUE(arrancar(0, false));
    EXPECT_EQ(iniciados, 0);
    ASSERT_TRUE(arrancar(0, true));
    EXPECT_EQ(iniciados, 1);
    ASSERT_TRUE(arrancar(77, true));
    EXPECT_EQ(iniciados, 1) << "one answers already";
    EXPECT_EQ(registrado, 77);
    Ajustar("Language", 0);
    ASSERT_FALSE(arrancar(0, true));
    EXPECT_EQ(iniciados, 1) << "not a first run";
}

TEST_F(Arranque, TheStartUpWindowRefusesToCloseUntilAllowed) {
    Ajustar("Language", 0);
    Ajustar("Check SpecialFont", 0);
    frmINI ini;
    ini.show();
    ini.close();
    EXPECT_TRUE(ini.isVisible());
    ini.PermitirCerrar = true;
    ini.close();
    EXPECT_FALSE(ini.isVisible());
}

TEST_F(Arranque, TheHiddenStartUpWindowLeavesTheAccessibilityTree) {
    Ajustar("Language", 0);
    Ajustar("Check SpecialFont", 0);
    frmINI ini;
    ini.show();
    auto enArbol = [&] {
        QAccessibleInterface* app = QAccessible::queryAccessibleInterface(qApp);
        for (int k = 0; k < app->childCount(); ++k)
            if (app->child(k) && app->child(k)->object() == &ini) return true;
        return false;
    };
    ASSERT_TRUE(enArbol());
    ini.SetCargarMarco([]() -> QWidget* { return nullptr; });
    EXPECT_FALSE(ini.Form_Load());
    EXPECT_FALSE(ini.isVisible());
    EXPECT_FALSE(enArbol());
    ini.PermitirCerrar = true;
}

class FuenteEspecial : public MarcoTest {
protected:
    void SetUp() override {
        MarcoTest::SetUp();
        QFont f;
        f.setFamily("Segoe UI");
        if (QFontInfo(f).family() == "Segoe UI") GTEST_SKIP() << "the special font is installed";
        Ajustar("Language", 0);
        // An address where nothing listens, and a private fonts folder.
        datos_ = std::make_unique<Entorno>("XDG_DATA_HOME", tmp.Carpeta("datos").c_str());
        Opciones().SpecialFontAddress = "http://127.0.0.1:9/segoeui.ttf";
    }
    void TearDown() override {
        Opciones().SpecialFontAddress.clear();
        datos_.reset();
        MarcoTest::TearDown();
    }
    std::unique_ptr<Entorno> datos_;
    std::vector<std::string> Arrancar(Respuesta respuesta) {
        DialogosGrabados dialogos(respuesta);
        frmINI ini;
        ini.Form_Load();
        ini.PermitirCerrar = true;
        return dialogos.mensajes;
    }
};

TEST_F(FuenteEspecial, NoStopsTheQuestionForGood) {
    ASSERT_EQ(Arrancar(Respuesta::No).size(), 1u);
    EXPECT_EQ(LeerDword("Check SpecialFont", 1), 0);
    EXPECT_TRUE(Arrancar(Respuesta::No).empty());
}

TEST_F(FuenteEspecial, WithoutADownloadAddressTheQuestionIsNotAsked) {
    Opciones().SpecialFontAddress.clear();
    EXPECT_TRUE(Arrancar(Respuesta::Si).empty());
    EXPECT_EQ(LeerDword("Check SpecialFont", -7), -7);
}

TEST_F(FuenteEspecial, CancelAsksAgainNextTime) {
    const auto mensajes = Arrancar(Respuesta::Cancelar);
    ASSERT_EQ(mensajes.size(), 1u);
    EXPECT_EQ(mensajes[0].rfind(Texto(General, 5), 0), 0u);
    EXPECT_NE(mensajes[0].find(Texto(General, 61)), std::string::npos);
    EXPECT_EQ(LeerDword("Check SpecialFont", -7), -7);
    EXPECT_EQ(Arrancar(Respuesta::Cancelar).size(), 1u);
}

TEST_F(FuenteEspecial, YesReportsTheFailedDownloadAndStartUpGoesOn) {
    DialogosGrabados dialogos(Respuesta::Si);
    frmINI ini;
    bool cargado = false;
    ini.SetCargarMarco([&]() -> QWidget* { cargado = true; return nullptr; });
    ini.Form_Load();
    ASSERT_EQ(dialogos.mensajes.size(), 2u);
    EXPECT_EQ(dialogos.mensajes[1], "Failed to download special font.");
    EXPECT_TRUE(cargado);
    EXPECT_EQ(LeerDword("Check SpecialFont", -7), -7);
    ini.PermitirCerrar = true;
}

TEST_F(MarcoTest, ClosingTheFrameRunsSalirOnceSavesTabsAndClosesTheStartUpWindow) {
    Ajustar("Restore Tabs", 1);
    auto m = Marco(Q(tmp.Ruta()));
    QWidget ini;
    bool permitido = false;
    ini.show();
    m->SetVentanaInicio(&ini, [&] { permitido = true; });
    TabFalsa* tab = Falsa(*m, 2);
    m->close();
    EXPECT_EQ(terminados, 1);
    EXPECT_TRUE(permitido);
    EXPECT_FALSE(ini.isVisible());
    EXPECT_EQ(tab->preUnloads, 1);
    EXPECT_EQ(RegLeerCadena(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Previous Tabs"),
              tmp.Ruta().substr(0, tmp.Ruta().size() - 1));
    m->SALIR();
    EXPECT_EQ(terminados, 1);
}

TEST_F(MarcoTest, TheWheelReachesTheTabOutsideDebugModeOnly) {
    for (const bool depuracion : {false, true}) {
        auto m = Marco(QString(), depuracion);
        TabFalsa* tab = Falsa(*m, 2);
        // Sent to the label inside the tab, which ignores it: the tab and the frame see it
        // on its way up, and the tab still hears it once.
        QWidget* hoja = tab->childAt(tab->width() / 2, tab->height() / 2);
        ASSERT_NE(hoja, nullptr);
        for (int vuelta = 0; vuelta < 2; ++vuelta) {
            const QPoint p(2, 2);
            QWheelEvent rueda(p, hoja->mapToGlobal(p), QPoint(), QPoint(0, -120), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(hoja, &rueda);
        }
        EXPECT_EQ(tab->ruedas, depuracion ? 0 : 2);
        EXPECT_EQ(m->ModoDepuracion(), depuracion);
    }
}

TEST_F(MarcoTest, AboutWindowOnlyHidesAndTakesTheNewLanguage) {
    auto m = Marco();
    frmAcerca& acerca = m->Acerca();
    EXPECT_FALSE(acerca.isVisible());
    m->MostrarAcerca();
    EXPECT_TRUE(acerca.isVisible());
    EXPECT_EQ(acerca.lblV()->text(), "Version: " + TextoVersion());
    EXPECT_EQ(TextoVersion(), QStringLiteral("%1.%2.%3").arg(QUIRVEX_VERSION_MAJOR)
                                  .arg(QUIRVEX_VERSION_MINOR).arg(QUIRVEX_VERSION_PATCH));
    acerca.close();
    EXPECT_FALSE(acerca.isVisible());
    CargarIdiomaIncorporado(1);
    m->SetIdioma();
    m->MostrarAcerca();
    EXPECT_EQ(acerca.lblV()->text(), "Versión: " + TextoVersion());
    EXPECT_EQ(acerca.windowTitle(), "Acerca de Quirvex");
    EXPECT_EQ(m->Tabs()[0].Texto, QString::fromStdString(Texto(MDISec, 2)));
    EXPECT_EQ(Falsa(*m, 2)->idiomas, 1);
    QTest::mouseClick(acerca.cmdCerrar(), Qt::LeftButton);
    EXPECT_FALSE(acerca.isVisible());
}

}  // namespace
}  // namespace quirvex::prueba
