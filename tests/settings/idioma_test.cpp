#include "settings/idioma.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <utility>

#include "support/memoria_pedida.h"

namespace quirvex {
namespace {

namespace fs = std::filesystem;

class IdiomaTest : public ::testing::Test {
protected:
    void SetUp() override { ReiniciarIdiomaParaPruebas(); }
    void TearDown() override
    {
        SetTituloAplicacionHook({});
        ReiniciarIdiomaParaPruebas();
    }
};

// A temporary folder that removes itself.
class CarpetaTemporal {
public:
    CarpetaTemporal()
    {
        std::random_device azar;
        ruta_ = fs::temp_directory_path() / ("quirvex_idioma_" + std::to_string(azar()));
        fs::create_directories(ruta_);
    }
    ~CarpetaTemporal() { fs::remove_all(ruta_); }
    std::string Escribir(const std::string& nombre, const std::string& bytes) const
    {
        const fs::path ruta = ruta_ / nombre;
        std::ofstream(ruta, std::ios::binary) << bytes;
        return ruta.string();
    }
    std::string Ruta(const std::string& nombre) const { return (ruta_ / nombre).string(); }

private:
    fs::path ruta_;
};

// Sets a locale variable for one test and puts the old value back.
class VariableEntorno {
public:
    VariableEntorno(const char* nombre, const char* valor) : nombre_(nombre)
    {
        if (const char* antes = std::getenv(nombre)) antes_ = antes;
        if (valor != nullptr) {
            setenv(nombre, valor, 1);
        } else {
            unsetenv(nombre);
        }
    }
    ~VariableEntorno()
    {
        if (antes_) {
            setenv(nombre_, antes_->c_str(), 1);
        } else {
            unsetenv(nombre_);
        }
    }

private:
    const char* nombre_;
    std::optional<std::string> antes_;
};

using Tabla = std::map<std::pair<int, int>, std::string>;

Tabla TablaDe(std::string_view texto)
{
    Tabla tabla;
    for (const auto& e : AnalizarIdioma(texto)) {
        EXPECT_TRUE(tabla.emplace(std::pair{e.seccion, e.clave}, e.texto).second)
            << "duplicate " << e.seccion << "/" << e.clave;
    }
    return tabla;
}

TEST_F(IdiomaTest, ParsesHeadersEntriesAndIgnoresWhatTheFormatIgnores)
{
    CargarIdioma(
        "0=before any header\r\n"
        "[5]:AnyNameAtAll\r\n"
        "7=a=b = c \r\n"
        "3=  padded  \r\n"
        "[2\r\n"  // too short to be a header: section 5 stays current
        "4=still five\r\n"
        "1=\r\n"  // too short to be an entry
        "[0]:General\r\n"
        "12=Create file\r\n");
    EXPECT_EQ(Texto(5, 7), "a=b = c ");
    EXPECT_EQ(Texto(5, 3), "  padded  ");
    EXPECT_EQ(Texto(5, 4), "still five");
    EXPECT_EQ(Texto(2, 4), "");
    EXPECT_EQ(Texto(5, 1), "");
    EXPECT_EQ(Texto(General, 0), "");
    EXPECT_EQ(Texto(General, 12), "Create file");
}

TEST_F(IdiomaTest, LineFeedAloneSplitsLinesLikeCarriageReturnLineFeed)
{
    const Tabla conCrLf = TablaDe("[1]:MDI\r\n0=Quirvex\r\n2=New Tab\r\n[3]:x\r\n1=Wait");
    const Tabla conLf = TablaDe("[1]:MDI\n0=Quirvex\n2=New Tab\n[3]:x\n1=Wait\n");
    EXPECT_EQ(conCrLf, conLf);
    EXPECT_EQ(conLf.at({3, 1}), "Wait");
}

TEST_F(IdiomaTest, SkipsKeysThatAreNotNumbersInRange)
{
    CargarIdioma(
        "[0]:General\r\n"
        "abc=not a number\r\n"
        "99999999999999999999=huge\r\n"
        "100001=above the limit\r\n"
        "-3=negative\r\n"
        "3x=trailing garbage\r\n"
        "==empty key\r\n"
        "no equals sign here\r\n"
        "100000=at the limit\r\n"
        "8=kept\r\n");
    EXPECT_EQ(Texto(General, 100000), "at the limit");
    EXPECT_EQ(Texto(General, 8), "kept");
    EXPECT_EQ(Texto(General, 100001), "");
    EXPECT_EQ(Texto(General, 3), "");
    EXPECT_EQ(Texto(General, 0), "");
    EXPECT_EQ(AnalizarIdioma("[0]:G\r\nabc=x\r\n-3=y\r\n100001=z\r\n").size(), 0u);
}

TEST_F(IdiomaTest, BadHeadersNeitherCrashNorMisdirectEntries)
{
    CargarIdioma(
        "[0]:General\r\n"
        "1=one\r\n"
        "[3:No closing bracket\r\n"
        "1=lost\r\n"
        "[99999999999]:Too far\r\n"
        "1=also lost\r\n"
        "[4]:Good again\r\n"
        "1=four\r\n");
    EXPECT_EQ(Texto(General, 1), "one");
    EXPECT_EQ(Texto(3, 1), "");
    EXPECT_EQ(Texto(4, 1), "four");

    // A bracketed header without a number has always meant General.
    CargarIdioma("[abc]:x\r\n2=general two\r\n");
    EXPECT_EQ(Texto(General, 2), "general two");
}

// Every header may open a new section: a table per section as long as its highest key would let
// a few kilobytes of headers and keys near the limit ask for gigabytes.
TEST_F(IdiomaTest, ManySectionsWithHighKeysCostWhatTheFileHolds)
{
    std::string texto;
    for (int s = 1; s <= 200; ++s) {
        texto += "[" + std::to_string(s * 7) + "]\r\n100000=s" + std::to_string(s) + "\r\n";
    }
    const std::size_t bytes = prueba::BytesPedidos([&] { CargarIdioma(texto); });
    // The program's own sections may take a table up to the key limit each; the rest, nothing
    // beyond their entries.
    EXPECT_LT(bytes, std::size_t{64} << 20);
    EXPECT_EQ(Texto(7, 100000), "s1");
    EXPECT_EQ(Texto(1400, 100000), "s200");
    EXPECT_EQ(Texto(1400, 99999), "");
    EXPECT_EQ(Texto(1401, 100000), "");
    CargarIdioma("[1400]\r\n100000=again\r\n");
    EXPECT_EQ(Texto(1400, 100000), "again");
}

TEST_F(IdiomaTest, LookupOfAnythingUnknownIsEmpty)
{
    CargarIdioma("[0]:General\r\n1=one\r\n[3]:x\r\n2=two\r\n");
    EXPECT_EQ(Texto(-1, 1), "");
    EXPECT_EQ(Texto(0, -1), "");
    EXPECT_EQ(Texto(3, -5), "");
    EXPECT_EQ(Texto(0, 2), "");
    EXPECT_EQ(Texto(3, 3), "");
    EXPECT_EQ(Texto(2, 0), "");
    EXPECT_EQ(Texto(11, 0), "");
    EXPECT_EQ(Texto(1000000, 0), "");
    EXPECT_EQ(TextoN(-1, -1, 5), "");
}

TEST_F(IdiomaTest, LaterLanguageOverwritesOnlyTheKeysItDefinesAndRetitles)
{
    std::vector<std::string> titulos;
    SetTituloAplicacionHook([&](const std::string& t) { titulos.push_back(t); });
    ASSERT_TRUE(CargarIdiomaIncorporado(0));
    CargarIdioma("[0]:General\r\n0=Quirvex Plus\r\n");
    EXPECT_EQ(Texto(General, 0), "Quirvex Plus");
    EXPECT_EQ(Texto(General, 25), "My PC");
    EXPECT_EQ(Texto(frmMainSec, 1), "New &Tab");
    EXPECT_EQ(Texto(frmSelSec, 0), "Choose selector");

    CargarIdioma("");  // an external file that was not there
    EXPECT_EQ(Texto(General, 25), "My PC");
    EXPECT_EQ(titulos, (std::vector<std::string>{"Quirvex", "Quirvex Plus", "Quirvex Plus"}));
}

TEST_F(IdiomaTest, NumberReplacesEveryPlaceholder)
{
    CargarIdiomaIncorporado(0);
    EXPECT_EQ(TextoN(General, 9, 20), "Can't open more than 20 tabs on this version.");
    EXPECT_EQ(TextoN(General, 21, 8), "Can't load more than 8 viewers.");
    CargarIdioma("[0]:G\r\n9=[N] of [N][N]\r\n");
    EXPECT_EQ(TextoN(General, 9, 20), "20 of 2020");
    EXPECT_EQ(TextoN(General, 22, 20), "&Accept");
}

TEST_F(IdiomaTest, EnglishCatalogHoldsTheProgramsTexts)
{
    const Tabla en = TablaDe(IdiomasIncorporados()[0].texto);
    EXPECT_EQ(en.size(), 305u);
    EXPECT_EQ(en.at({1, 244}), "Close tab");
    EXPECT_EQ(en.at({0, 54}), "This characters can't be used in file and folder names: */\\\"|:<>?");
    EXPECT_EQ(en.at({0, 61}),
              "Warning: if you click \"No\" this message will not appear again. You can download, "
              "install and activate the special font from the Options window clicking the button "
              "\"Download special font\".");
    EXPECT_EQ(en.at({4, 13}), "     Tabs");
    EXPECT_EQ(en.at({4, 38}), "Hide files \"desktop.ini\", \"folder.htt\" and \"Thumbs.db\"");
    EXPECT_EQ(en.at({5, 9}), " to ");
    EXPECT_EQ(en.at({8, 11}), "Total space::");
    EXPECT_EQ(en.at({2, 66}), "New &Search");
    EXPECT_FALSE(en.at({6, 2}).empty());
}

TEST_F(IdiomaTest, SpanishCatalogMatchesEnglishKeyForKey)
{
    const Tabla en = TablaDe(IdiomasIncorporados()[0].texto);
    const Tabla es = TablaDe(IdiomasIncorporados()[1].texto);
    ASSERT_EQ(en.size(), es.size());
    for (const auto& [clave, ingles] : en) {
        const auto it = es.find(clave);
        ASSERT_NE(it, es.end()) << clave.first << "/" << clave.second;
        const std::string& espanol = it->second;
        const std::string donde = std::to_string(clave.first) + "/" + std::to_string(clave.second);
        EXPECT_EQ(ingles.empty(), espanol.empty()) << donde;
        EXPECT_EQ(ingles.find('&') != std::string::npos, espanol.find('&') != std::string::npos)
            << donde;
        EXPECT_EQ(ingles.find("[N]") != std::string::npos, espanol.find("[N]") != std::string::npos)
            << donde;
        EXPECT_EQ(ingles.front() == ' ', espanol.front() == ' ') << donde;
        EXPECT_EQ(ingles.back() == ' ', espanol.back() == ' ') << donde;
    }
    EXPECT_EQ(es.at({0, 0}), "Quirvex");
    EXPECT_EQ(es.at({0, 25}), "Mi PC");
    const std::string_view textoEs = IdiomasIncorporados()[1].texto;
    for (const char* cabecera : {"[4]:frmOpciones\r\n", "[5]:frmOperaciones\r\n",
                                 "[6]:frmAcerca\r\n", "[9]:frmBuscar\r\n"}) {
        EXPECT_NE(textoEs.find(cabecera), std::string_view::npos) << cabecera;
    }
}

TEST_F(IdiomaTest, BuiltInLanguageList)
{
    const auto& lista = IdiomasIncorporados();
    ASSERT_EQ(lista.size(), static_cast<std::size_t>(N_IDIOMAS_INCORPORADOS));
    EXPECT_EQ(lista[0].nombre, "English");
    EXPECT_EQ(lista[0].idPrimario, 9);
    EXPECT_EQ(lista[1].nombre, "Castellano (Español)");
    EXPECT_EQ(lista[1].idPrimario, 10);
    EXPECT_FALSE(CargarIdiomaIncorporado(2));
    EXPECT_FALSE(CargarIdiomaIncorporado(-1));
    EXPECT_EQ(Texto(General, 0), "");
}

TEST_F(IdiomaTest, LocaleGivesThePrimaryLanguage)
{
    EXPECT_EQ(IdiomaDeLocale("es_AR.UTF-8"), 10);
    EXPECT_EQ(IdiomaDeLocale("es"), 10);
    EXPECT_EQ(IdiomaDeLocale("en_GB.UTF-8@euro"), 9);
    EXPECT_EQ(IdiomaDeLocale("fr_FR.UTF-8"), 12);
    EXPECT_EQ(IdiomaDeLocale("C"), 9);
    EXPECT_EQ(IdiomaDeLocale("C.UTF-8"), 9);
    EXPECT_EQ(IdiomaDeLocale("POSIX"), 9);
    EXPECT_EQ(IdiomaDeLocale("xx_YY"), 0);
}

TEST_F(IdiomaTest, FirstRunOffersSpanishToSpanishUsersAndEnglishToFrench)
{
    VariableEntorno todo("LC_ALL", "");
    VariableEntorno mensajes("LC_MESSAGES", "es_MX.UTF-8");
    VariableEntorno idioma("LANG", "fr_FR.UTF-8");
    EXPECT_EQ(IdiomaPorDefecto(), 10);
    EXPECT_EQ(IndiceIdiomaSugerido(), 1);
    {
        VariableEntorno frances("LC_ALL", "fr_CA.UTF-8");
        EXPECT_EQ(IdiomaPorDefecto(), 12);
        EXPECT_EQ(IndiceIdiomaSugerido(), 0);
    }
    VariableEntorno sinMensajes("LC_MESSAGES", nullptr);
    VariableEntorno sinIdioma("LANG", nullptr);
    EXPECT_EQ(IdiomaPorDefecto(), 9);
}

TEST_F(IdiomaTest, ReadsLanguageFilesInAnyLineEndingAndLegacyEncoding)
{
    CarpetaTemporal carpeta;
    EXPECT_EQ(LeerArchivoIdioma(carpeta.Ruta("missing.txt")), "");

    const std::string lf = carpeta.Escribir("lf.txt", "\n\r\n[0]:G\nA=1\n\nB\n");
    EXPECT_EQ(LeerArchivoIdioma(lf), "[0]:G\r\nA=1\r\n\r\nB");

    const std::string cp1252 =
        carpeta.Escribir("cp1252.txt", "[0]:General\r\n62=Seleccione el idioma\xE1 \x80\x93\r\n");
    EXPECT_EQ(LeerArchivoIdioma(cp1252),
              "[0]:General\r\n62=Seleccione el idioma\xC3\xA1 \xE2\x82\xAC\xE2\x80\x9C");

    const std::string utf8 =
        carpeta.Escribir("utf8.txt", "\xEF\xBB\xBF[0]:General\r\n25=Mi equipo \xC3\xA9\r\n");
    CargarIdioma(LeerArchivoIdioma(utf8));
    EXPECT_EQ(Texto(General, 25), "Mi equipo \xC3\xA9");
}

TEST_F(IdiomaTest, StartLoadsTheChosenLanguageAndTheExternalFileOverIt)
{
    EXPECT_FALSE(CargarIdiomaInicial(-1, 0, ""));
    EXPECT_EQ(Texto(General, 0), "");

    ASSERT_TRUE(CargarIdiomaInicial(1, 0, ""));
    EXPECT_EQ(Texto(General, 22), "&Aceptar");

    CarpetaTemporal carpeta;
    const std::string archivo = carpeta.Escribir("de.lng", "[0]:Allgemein\n25=Mein PC\n");
    ASSERT_TRUE(CargarIdiomaInicial(0, 1, archivo));
    EXPECT_EQ(Texto(General, 25), "Mein PC");
    EXPECT_EQ(Texto(General, 22), "&Accept");

    ASSERT_TRUE(CargarIdiomaInicial(0, 1, carpeta.Ruta("gone.lng")));
    EXPECT_EQ(Texto(General, 25), "My PC");
}

TEST_F(IdiomaTest, MyPcNameFollowsTheAppliedLanguageAndRemembersThePreviousOne)
{
    CargarIdiomaIncorporado(0);
    AplicarTextoMiPC();
    EXPECT_EQ(TextoMiPC(), "My PC");
    CargarIdiomaIncorporado(1);
    EXPECT_EQ(TextoMiPC(), "My PC");  // not yet applied
    AplicarTextoMiPC();
    EXPECT_EQ(TextoMiPC(), "Mi PC");
    EXPECT_EQ(TextoMiPCAnterior(), "My PC");
}

}  // namespace
}  // namespace quirvex
