#include "settings/opciones.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/almacen_archivo.h"
#include "settings/almacen_registro.h"
#include "settings/idioma.h"

namespace quirvex {
namespace {

namespace fs = std::filesystem;

void Dword(std::string_view nombre, std::int32_t valor) {
    RegEscribirDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, nombre, valor);
}
void Cadena(std::string_view nombre, std::string_view texto) {
    RegEscribirCadena(HKEY_CURRENT_USER, CLAVE_OPCIONES, nombre, texto);
}
std::int32_t LeerDword(std::string_view nombre) {
    return RegLeerDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, nombre, -999);
}

// Each test starts from a fresh record and an empty store in a private XDG_CONFIG_HOME.
class OpcionesTest : public ::testing::Test {
protected:
    void SetUp() override {
        char plantilla[] = "/tmp/quirvex-opciones-XXXXXX";
        ASSERT_NE(::mkdtemp(plantilla), nullptr);
        carpeta_ = plantilla;
        if (const char* previo = std::getenv("XDG_CONFIG_HOME")) previo_ = previo;
        ::setenv("XDG_CONFIG_HOME", carpeta_.c_str(), 1);
        SetArchivoRegistro(nullptr);
        SetSondaFuenteEspecial(nullptr);
        Opciones() = RegistroOpciones{};
    }
    void TearDown() override {
        if (previo_) {
            ::setenv("XDG_CONFIG_HOME", previo_->c_str(), 1);
        } else {
            ::unsetenv("XDG_CONFIG_HOME");
        }
        SetSondaFuenteEspecial(nullptr);
        Opciones() = RegistroOpciones{};
        fs::remove_all(carpeta_);
    }
    std::string Archivo() const {
        std::ifstream f(carpeta_ / "Ubrel" / "Halvord.reg", std::ios::binary);
        std::ostringstream s;
        s << f.rdbuf();
        return s.str();
    }

    fs::path carpeta_;
    std::optional<std::string> previo_;
};

TEST_F(OpcionesTest, EmptyStoreGivesExactlyTheDefaults) {
    CargarOpciones();
    const RegistroOpciones& o = Opciones();
    EXPECT_EQ(o.Language, 0);  // the fresh record's -1 is out of range
    EXPECT_EQ(o.ExternalLanguage, 0);
    EXPECT_EQ(o.ExternalLanguageFile, "");
    EXPECT_EQ(o.AdminHistory, 1);
    EXPECT_EQ(o.Autocomplete, 1);
    EXPECT_EQ(o.ColorSel, 0);
    EXPECT_EQ(o.SelSkipChars, 1);
    EXPECT_EQ(o.SelectionMode, 1);
    EXPECT_EQ(o.TabsPos, 0);
    EXPECT_EQ(o.TabsMaxWidth, 160);
    EXPECT_EQ(o.TabsBotonCerrar, 1);
    EXPECT_EQ(o.AnchoTextoTab, 98);
    EXPECT_EQ(o.SpecialFont, 0);
    EXPECT_EQ(o.RestoreTabs, 0);
    EXPECT_EQ(o.DefaultFolderOption, 1);
    EXPECT_EQ(o.DefaultFolderPath, "");
    EXPECT_EQ(o.DefaultView, 0);
    // A new settings file previews today's picture formats as well.
    EXPECT_EQ(o.ImageExtensionsPreview, "*BMP*JPG*JPEG*GIF*PNG*WEBP*TIF*TIFF*SVG*");
    EXPECT_EQ(o.IconsLoad, "*EXE*ICO*CUR*ANI*LNK*PIF*");
    EXPECT_EQ(o.DirectAccessRow, 1);
    EXPECT_EQ(o.TranslucentDirectAccessRow, 0);
    EXPECT_EQ(o.DirectAccessSystemIcon, 1);
    EXPECT_EQ(o.LimitBmpGifPreview, 0);
    EXPECT_EQ(o.LimitJpgPreview, 0);
    EXPECT_EQ(o.BmpGifMaxSize, 2048);
    EXPECT_EQ(o.JpgMaxSize, 512);
    EXPECT_EQ(o.HideDesktopIni, 1);
    EXPECT_EQ(o.CheckSpecialFont, 1);
    EXPECT_EQ(o.PreviousTabs, "");
    EXPECT_EQ(o.ShowHiddenFiles, 1);
    EXPECT_EQ(o.MoveToTrash, 0);
    EXPECT_EQ(o.FrameWidth, 0);
    EXPECT_EQ(o.FrameHeight, 0);
    EXPECT_FALSE(fs::exists(carpeta_ / "Ubrel")) << "loading must not write";
}

TEST_F(OpcionesTest, DefaultsResetEverythingButTheEarlyChoices) {
    RegistroOpciones& o = Opciones();
    o.Language = 1;
    o.ColorSel = 5;
    o.TabsMaxWidth = 300;
    o.IconsLoad = "";
    o.AnchoTextoTab = 7;
    o.CheckSpecialFont = 0;
    SetSondaFuenteEspecial([] { return true; });
    OpcionesPorDefecto();
    EXPECT_EQ(o.Language, 1);
    EXPECT_EQ(o.ColorSel, 5);
    EXPECT_EQ(o.TabsMaxWidth, 160);
    EXPECT_EQ(o.IconsLoad, "*EXE*ICO*CUR*ANI*LNK*PIF*");
    EXPECT_EQ(o.AnchoTextoTab, 98);
    EXPECT_EQ(o.CheckSpecialFont, 1);
    EXPECT_EQ(o.SpecialFont, 1) << "the default follows the font probe";
}

TEST_F(OpcionesTest, TabTextWidthIsDerivedFromTheWidthAsStored) {
    Dword("Tabs Max Width", 1000);
    CargarOpciones();
    EXPECT_EQ(Opciones().TabsMaxWidth, 160);
    EXPECT_EQ(Opciones().AnchoTextoTab, 1000 - 62);

    Dword("Tabs Max Width", 200);
    Dword("Tabs BotonCerrar", 0);
    CargarOpciones();
    EXPECT_EQ(Opciones().AnchoTextoTab, 200 - 36);
    EXPECT_EQ(CalcularAnchoTextoTab(160, 1), 98);
    EXPECT_EQ(CalcularAnchoTextoTab(160, 0), 124);
}

TEST_F(OpcionesTest, CloseButtonFlagFiveBecomesNoCloseButtons) {
    Dword("Tabs BotonCerrar", 5);
    CargarOpciones();
    EXPECT_EQ(Opciones().TabsBotonCerrar, 0);
    EXPECT_EQ(Opciones().AnchoTextoTab, 160 - 36);
}

TEST_F(OpcionesTest, WrongTypesAndEmptyTextsFallBack) {
    Cadena("Hide Desktop.ini", "1");
    Cadena("Image extensions preview", "");
    Dword("Icons load", 3);
    Cadena("Default Folder Path", "/home/ana/");
    CargarOpciones();
    EXPECT_EQ(Opciones().HideDesktopIni, 0) << "a text where a number belongs reads 0";
    EXPECT_EQ(Opciones().ImageExtensionsPreview, "*BMP*JPG*JPEG*GIF*");
    EXPECT_EQ(Opciones().IconsLoad, "*EXE*ICO*CUR*ANI*LNK*PIF*");
    EXPECT_EQ(Opciones().DefaultFolderPath, "/home/ana/");
}

TEST_F(OpcionesTest, OutOfRangeValuesTakeTheirRepairValues) {
    SetSondaFuenteEspecial([] { return true; });
    const std::pair<const char*, std::int32_t RegistroOpciones::*> unos[] = {
        {"Admin History", &RegistroOpciones::AdminHistory},
        {"Autocomplete", &RegistroOpciones::Autocomplete},
        {"SelSkipChars", &RegistroOpciones::SelSkipChars},
        {"Selection mode", &RegistroOpciones::SelectionMode},
        {"Default Folder Option", &RegistroOpciones::DefaultFolderOption},
        {"Direct access row", &RegistroOpciones::DirectAccessRow},
        {"Direct access system icon", &RegistroOpciones::DirectAccessSystemIcon},
        {"Hide Desktop.ini", &RegistroOpciones::HideDesktopIni},
    };
    const std::pair<const char*, std::int32_t RegistroOpciones::*> ceros[] = {
        {"External language", &RegistroOpciones::ExternalLanguage},
        {"ColorSel", &RegistroOpciones::ColorSel},
        {"Tabs Pos", &RegistroOpciones::TabsPos},
        {"Special Font", &RegistroOpciones::SpecialFont},
        {"Restore Tabs", &RegistroOpciones::RestoreTabs},
        {"Default View", &RegistroOpciones::DefaultView},
        {"Translucent direct access row", &RegistroOpciones::TranslucentDirectAccessRow},
        {"Limit BMP and GIF preview", &RegistroOpciones::LimitBmpGifPreview},
        {"Limit JPG and JPEG preview", &RegistroOpciones::LimitJpgPreview},
    };
    for (const auto& [nombre, campo] : unos) Dword(nombre, 3);
    for (const auto& [nombre, campo] : ceros) Dword(nombre, 26);
    Dword("Tabs Max Width", 59);
    Dword("BMP and GIF Max Size", 0);
    Dword("JPG and JPEG Max Size", -4);
    Opciones().Language = 2;
    CargarOpciones();
    const RegistroOpciones& o = Opciones();
    for (const auto& [nombre, campo] : unos) EXPECT_EQ(o.*campo, 1) << nombre;
    for (const auto& [nombre, campo] : ceros) EXPECT_EQ(o.*campo, 0) << nombre;
    EXPECT_EQ(o.TabsMaxWidth, 160);
    EXPECT_EQ(o.BmpGifMaxSize, 2048);
    EXPECT_EQ(o.JpgMaxSize, 512);
    EXPECT_EQ(o.Language, 0);
}

TEST_F(OpcionesTest, BoundaryValuesAreKept) {
    Dword("Tabs Max Width", 600);
    Dword("Selection mode", 2);
    Dword("ColorSel", 25);
    Dword("Default Folder Option", 0);
    Dword("Default View", 2);
    Dword("JPG and JPEG Max Size", 1);
    Opciones().Language = N_IDIOMAS_INCORPORADOS - 1;
    CargarOpciones();
    const RegistroOpciones& o = Opciones();
    EXPECT_EQ(o.TabsMaxWidth, 600);
    EXPECT_EQ(o.SelectionMode, 2);
    EXPECT_EQ(o.ColorSel, 25);
    EXPECT_EQ(o.DefaultFolderOption, 0);
    EXPECT_EQ(o.DefaultView, 2);
    EXPECT_EQ(o.JpgMaxSize, 1);
    EXPECT_EQ(o.Language, N_IDIOMAS_INCORPORADOS - 1);
}

TEST_F(OpcionesTest, LoadSkipsTheValuesOwnedByOthers) {
    Dword("Language", 1);
    Dword("Check SpecialFont", 0);
    Cadena("Previous Tabs", "/x/");
    CargarOpciones();
    EXPECT_EQ(Opciones().Language, 0);
    EXPECT_EQ(Opciones().CheckSpecialFont, 1);
    EXPECT_EQ(Opciones().PreviousTabs, "");
}

TEST_F(OpcionesTest, SaveWritesTheRecordAndLeavesTheOthersAlone) {
    Dword("ColorSel", 7);
    Dword("Check SpecialFont", 0);
    Cadena("Previous Tabs", "/a/\r\n/b/");
    RegistroOpciones& o = Opciones();
    o.Language = 1;
    o.ColorSel = 3;
    o.CheckSpecialFont = 1;
    o.PreviousTabs = "changed";
    o.TabsMaxWidth = 250;
    o.TabsBotonCerrar = 0;
    o.DefaultFolderPath = "/home/\"quoted\"\\odd\xff/";
    o.ImageExtensionsPreview = "*PNG*";
    o.HideDesktopIni = 0;
    o.SpecialFont = 1;
    GuardarOpciones();
    const std::string primera = Archivo();
    GuardarOpciones();
    EXPECT_EQ(Archivo(), primera) << "saving twice writes the same values";

    EXPECT_EQ(LeerDword("ColorSel"), 7);
    EXPECT_EQ(LeerDword("Check SpecialFont"), 0);
    EXPECT_EQ(RegLeerCadena(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Previous Tabs"), "/a/\r\n/b/");
    EXPECT_EQ(LeerDword("Language"), 1);

    const RegistroOpciones guardado = o;
    o = RegistroOpciones{};
    o.Language = 1;
    o.ColorSel = 3;
    CargarOpciones();
    EXPECT_EQ(o.TabsMaxWidth, 250);
    EXPECT_EQ(o.AnchoTextoTab, 250 - 36);
    EXPECT_EQ(o.DefaultFolderPath, guardado.DefaultFolderPath);
    EXPECT_EQ(o.ImageExtensionsPreview, "*PNG*");
    EXPECT_EQ(o.HideDesktopIni, 0);
    EXPECT_EQ(o.SpecialFont, 1);
    EXPECT_EQ(o.ColorSel, 7) << "the stored selector wins at load";
}

TEST_F(OpcionesTest, SaveWritesInItsFixedOrder) {
    GuardarOpciones();
    const std::string texto = Archivo();
    const char* orden[] = {
        "Language", "External language", "External language file", "Admin History",
        "Autocomplete", "SelSkipChars", "Selection mode", "Tabs Pos", "Tabs Max Width",
        "Tabs BotonCerrar", "Special Font", "Restore Tabs", "Default Folder Option",
        "Default Folder Path", "Default View", "Image extensions preview", "Icons load",
        "Direct access row", "Translucent direct access row", "Direct access system icon",
        "Limit BMP and GIF preview", "Limit JPG and JPEG preview", "BMP and GIF Max Size",
        "JPG and JPEG Max Size", "Hide Desktop.ini", "Show Hidden Files", "Move To Trash",
    };
    std::size_t desde = 0;
    for (const char* nombre : orden) {
        const auto pos = texto.find("\n\"" + std::string(nombre) + "\"=", desde);
        ASSERT_NE(pos, std::string::npos) << nombre;
        desde = pos + 1;
    }
    EXPECT_EQ(texto.find("ColorSel"), std::string::npos);
    EXPECT_EQ(texto.find("Check SpecialFont"), std::string::npos);
    EXPECT_EQ(texto.find("Previous Tabs"), std::string::npos);
    EXPECT_EQ(texto.find("Frame"), std::string::npos) << "the frame's place has its own writer";
}

TEST_F(OpcionesTest, AStoredPreviewListIsKeptAsItIs) {
    // Saved by an earlier run's options window: the classic list stays, new formats are not added.
    Cadena("Image extensions preview", "*BMP*JPG*JPEG*GIF*");
    CargarOpciones();
    EXPECT_EQ(Opciones().ImageExtensionsPreview, "*BMP*JPG*JPEG*GIF*");
    Cadena("Image extensions preview", "*GIF*");
    CargarOpciones();
    EXPECT_EQ(Opciones().ImageExtensionsPreview, "*GIF*");
    // A settings file with other values but no list yet is new to the list.
    fs::remove_all(carpeta_ / "Ubrel");
    SetArchivoRegistro(nullptr);
    Dword("Tabs Max Width", 200);
    CargarOpciones();
    EXPECT_EQ(Opciones().ImageExtensionsPreview, LISTA_PREVIA_NUEVA);
}

TEST_F(OpcionesTest, TheAdditionsAreRangeCheckedAndTheFramePlaceHasItsOwnWriter) {
    Dword("Show Hidden Files", 7);
    Dword("Move To Trash", -2);
    Dword("Frame Width", -5);
    Dword("Frame Maximized", 3);
    CargarOpciones();
    EXPECT_EQ(Opciones().ShowHiddenFiles, 1);
    EXPECT_EQ(Opciones().MoveToTrash, 0);
    EXPECT_EQ(Opciones().FrameWidth, 0);
    EXPECT_EQ(Opciones().FrameMaximized, 0);
    RegistroOpciones& o = Opciones();
    o.FrameLeft = -30;  // a frame partly off the left edge is a place too
    o.FrameTop = 40;
    o.FrameWidth = 900;
    o.FrameHeight = 600;
    o.FrameMaximized = 1;
    GuardarGeometriaMarco();
    o = RegistroOpciones{};
    CargarOpciones();
    EXPECT_EQ(o.FrameLeft, -30);
    EXPECT_EQ(o.FrameTop, 40);
    EXPECT_EQ(o.FrameWidth, 900);
    EXPECT_EQ(o.FrameHeight, 600);
    EXPECT_EQ(o.FrameMaximized, 1);
    EXPECT_EQ(LeerDword("Tabs Max Width"), -999) << "only the frame's values were written";
}

}  // namespace
}  // namespace quirvex
