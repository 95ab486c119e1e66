// The options window's logic: what the controls show, and what Apply stores, in which order,
// with which immediate effects, read back from the settings file.

#include "settings/opciones_ventana.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <limits>
#include <sstream>

#include "platform/almacen_archivo.h"
#include "settings/almacen_registro.h"
#include "settings/idioma.h"
#include "support/carpeta_temporal.h"

namespace quirvex::prueba {
namespace {

class OpcionesVentanaTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* previo = std::getenv("XDG_CONFIG_HOME")) previo_ = previo;
        ::setenv("XDG_CONFIG_HOME", tmp.Carpeta("config").c_str(), 1);
        SetArchivoRegistro(nullptr);
        ReiniciarIdiomaParaPruebas();
        CargarIdiomaIncorporado(0);
        Opciones() = RegistroOpciones{};
        Opciones().Language = 0;
    }
    void TearDown() override {
        if (previo_)
            ::setenv("XDG_CONFIG_HOME", previo_->c_str(), 1);
        else
            ::unsetenv("XDG_CONFIG_HOME");
        Opciones() = RegistroOpciones{};
        ReiniciarIdiomaParaPruebas();
        CargarIdiomaIncorporado(0);
    }
    std::string Archivo() const {
        std::ifstream f(tmp.Ruta("config/Ubrel/Halvord.reg"), std::ios::binary);
        std::ostringstream s;
        s << f.rdbuf();
        return s.str();
    }
    EfectosOpciones Registro() {
        EfectosOpciones e;
        e.AplicarIdioma = [this] { efectos.push_back("idioma:" + Texto(General, 22)); };
        e.RedibujarTabs = [this] { efectos.push_back("tabs:" + std::to_string(Opciones().TabsBotonCerrar)); };
        e.AplicarFuente = [this](bool especial) { efectos.push_back(especial ? "fuente:1" : "fuente:0"); };
        return e;
    }
    CarpetaTemporal tmp;
    std::vector<std::string> efectos;
    std::optional<std::string> previo_;
};

TEST_F(OpcionesVentanaTest, TheListsShowAnItemOnlyWhenItStandsBetweenStars) {
    RegistroOpciones o;
    o.ImageExtensionsPreview = "*JPEG*GIF*";
    o.IconsLoad = "*";
    const ValoresOpciones v = CargarEnVentana(o);
    EXPECT_EQ(v.Previa, (std::array<bool, EXTENSIONES_PREVIA.size()>{false, false, true, true}));
    EXPECT_EQ(v.Cargar, (std::array<bool, 6>{}));
    EXPECT_EQ(ListaExtensiones(EXTENSIONES_PREVIA, std::array<bool, EXTENSIONES_PREVIA.size()>{true, false, false, true}), "*BMP*GIF*");
    EXPECT_EQ(ListaExtensiones(EXTENSIONES_CARGAR, std::array<bool, 6>{}), "*");
}

TEST_F(OpcionesVentanaTest, NumbersAreTheLeadingDigits) {
    EXPECT_EQ(ValorNumerico("250"), 250);
    EXPECT_EQ(ValorNumerico("12ab"), 12);
    EXPECT_EQ(ValorNumerico(""), 0);
    EXPECT_EQ(ValorNumerico("px"), 0);
    EXPECT_EQ(ValorNumerico("0"), 0);
    EXPECT_EQ(ValorNumerico("123456789012345"), std::numeric_limits<std::int32_t>::max());
}

TEST_F(OpcionesVentanaTest, OpeningAndApplyingUnchangedChangesNothingOnScreen) {
    const ValoresOpciones v = CargarEnVentana(Opciones());
    const RegistroOpciones antes = Opciones();
    EXPECT_FALSE(cmdAplicar(v, Registro()));
    EXPECT_TRUE(efectos.empty());
    EXPECT_EQ(Opciones().TabsMaxWidth, antes.TabsMaxWidth);
    EXPECT_EQ(Opciones().ImageExtensionsPreview, antes.ImageExtensionsPreview);
}

TEST_F(OpcionesVentanaTest, ApplyStoresEveryControlInTheDesignedOrderAndSavesExactlyThat) {
    ValoresOpciones v = CargarEnVentana(Opciones());
    v.HideDesktopIni = 0;
    v.RestoreTabs = 1;
    v.AdminHistory = 0;
    v.Autocomplete = 0;
    v.SelSkipChars = 0;
    v.TabsPos = 1;
    v.TabsMaxWidth = "250";
    v.TabsBotonCerrar = 0;
    v.SelectionMode = 2;
    v.SpecialFont = 1;
    v.DefaultFolderOption = 0;
    v.DefaultFolderPath = "/home/ana/";
    v.DefaultView = 2;
    v.Language = 1;
    v.ExternalLanguageFile = "/nowhere/lang.txt";
    v.Previa = {true, false, false, true};
    v.Cargar = {false, true, false, false, false, true};
    v.DirectAccessRow = 0;
    v.TranslucentDirectAccessRow = 1;
    v.DirectAccessSystemIcon = 0;
    v.LimitBmpGifPreview = 1;
    v.LimitJpgPreview = 1;
    v.BmpGifMaxSize = "0";
    v.JpgMaxSize = "64";
    Opciones().ColorSel = 7;
    EXPECT_TRUE(cmdAplicar(v, Registro()));

    // Tab captions, then the font, then the new language's texts.
    EXPECT_EQ(efectos, (std::vector<std::string>{"tabs:0", "fuente:1", "idioma:&Aceptar"}));
    EXPECT_EQ(Opciones().AnchoTextoTab, 250 - 36);

    const std::optional<ContenidoRegistro> leido = AnalizarRegistro(Archivo());
    ASSERT_TRUE(leido);
    const auto& claves = leido->Claves();
    ASSERT_EQ(claves.size(), 1u);
    const ValoresRegistro esperado = {
        {"Language", 1}, {"External language", 0}, {"External language file", std::string("/nowhere/lang.txt")},
        {"Admin History", 0}, {"Autocomplete", 0}, {"SelSkipChars", 0}, {"Selection mode", 2},
        {"Tabs Pos", 1}, {"Tabs Max Width", 250}, {"Tabs BotonCerrar", 0}, {"Special Font", 1},
        {"Restore Tabs", 1}, {"Default Folder Option", 0}, {"Default Folder Path", std::string("/home/ana/")},
        {"Default View", 2}, {"Image extensions preview", std::string("*BMP*GIF*")},
        {"Icons load", std::string("*ICO*PIF*")}, {"Direct access row", 0},
        {"Translucent direct access row", 1}, {"Direct access system icon", 0},
        {"Limit BMP and GIF preview", 1}, {"Limit JPG and JPEG preview", 1},
        // Not range-checked here: the next start repairs it.
        {"BMP and GIF Max Size", 0}, {"JPG and JPEG Max Size", 64}, {"Hide Desktop.ini", 0},
        // The additions come after every classic value.
        {"Show Hidden Files", 1}, {"Move To Trash", 0},
    };
    EXPECT_EQ(claves.begin()->second, esperado);
}

TEST_F(OpcionesVentanaTest, BackToTheBuiltInLanguageReplacesTheFilesTexts) {
    const std::string archivo = tmp.ArchivoConTexto("idioma.txt", "[0]:General\r\n22=&Okay\r\n");
    ValoresOpciones v = CargarEnVentana(Opciones());
    v.ExternalLanguage = 1;
    v.ExternalLanguageFile = archivo;
    cmdAplicar(v, Registro());
    EXPECT_EQ(Texto(General, 22), "&Okay");
    // Another file while the file source stays chosen is loaded as well.
    const std::string otro = tmp.ArchivoConTexto("otro.txt", "[0]:General\r\n22=&Vale\r\n");
    v.ExternalLanguageFile = otro;
    cmdAplicar(v, Registro());
    EXPECT_EQ(Texto(General, 22), "&Vale");
    v.ExternalLanguage = 0;
    cmdAplicar(v, Registro());
    EXPECT_EQ(Texto(General, 22), "&Accept");
    EXPECT_EQ(efectos, (std::vector<std::string>{"idioma:&Okay", "idioma:&Vale", "idioma:&Accept"}));
}

TEST_F(OpcionesVentanaTest, AMissingLanguageFileLeavesTheTextsAsTheyAre) {
    ValoresOpciones v = CargarEnVentana(Opciones());
    v.ExternalLanguage = 1;
    v.ExternalLanguageFile = tmp.Ruta("missing.txt");
    cmdAplicar(v, Registro());
    EXPECT_EQ(Texto(General, 22), "&Accept");
    EXPECT_EQ(Opciones().ExternalLanguage, 1);
}

}  // namespace
}  // namespace quirvex::prueba
