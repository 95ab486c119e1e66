#include "settings/almacen_registro.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>

#include "platform/almacen_archivo.h"
#include "support/hijo_matado.h"

namespace quirvex {
namespace {

namespace fs = std::filesystem;
const std::string CLAVE = RutaClave(HKEY_CURRENT_USER, CLAVE_OPCIONES);

std::string LeerTodo(const fs::path& ruta) {
    std::ifstream f(ruta, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

void EscribirTodo(const fs::path& ruta, const std::string& texto) {
    fs::create_directories(ruta.parent_path());
    std::ofstream(ruta, std::ios::binary) << texto;
}

// A private XDG_CONFIG_HOME for each test, so the user's own store is never touched.
class AlmacenEnCarpeta : public ::testing::Test {
protected:
    void SetUp() override {
        char plantilla[] = "/tmp/quirvex-registro-XXXXXX";
        ASSERT_NE(::mkdtemp(plantilla), nullptr);
        carpeta_ = plantilla;
        if (const char* previo = std::getenv("XDG_CONFIG_HOME")) previo_ = previo;
        ::setenv("XDG_CONFIG_HOME", carpeta_.c_str(), 1);
        SetArchivoRegistro(nullptr);
    }
    void TearDown() override {
        if (previo_) {
            ::setenv("XDG_CONFIG_HOME", previo_->c_str(), 1);
        } else {
            ::unsetenv("XDG_CONFIG_HOME");
        }
        SetArchivoRegistro(nullptr);
        SetPasosReemplazo(nullptr);
        fs::remove_all(carpeta_);
    }
    fs::path Archivo() const { return carpeta_ / "Ubrel" / "Halvord.reg"; }

    fs::path carpeta_;
    std::optional<std::string> previo_;
};

TEST(FormatoRegistro, WritesTheRegistryExportLayout) {
    ContenidoRegistro c;
    c.Poner(CLAVE, "Tabs Max Width", 160);
    c.Poner(CLAVE, "Default Folder Path", std::string("C:\\Docs \"x\""));
    c.Poner(CLAVE + "\\TypedUrls", "url1", std::string("/home/"));
    c.Poner(CLAVE, "Language", -1);
    EXPECT_EQ(FormatearRegistro(c),
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_CURRENT_USER\\Software\\Ubrel\\Halvord]\n"
              "\"Tabs Max Width\"=dword:000000a0\n"
              "\"Default Folder Path\"=\"C:\\\\Docs \\\"x\\\"\"\n"
              "\"Language\"=dword:ffffffff\n\n"
              "[HKEY_CURRENT_USER\\Software\\Ubrel\\Halvord\\TypedUrls]\n"
              "\"url1\"=\"/home/\"\n\n");
}

TEST(FormatoRegistro, OddTextsAndNumbersComeBackExactly) {
    const std::string raros[] = {
        "",
        "a \"quoted\" \\path\\ \\\\server\\",
        "tab1\r\ntab2\r\n\r\nlast\n\r",
        std::string("nul\0inside", 10),
        "\xff\xfe\x80 not utf-8 \xc3\x28 \x7f\x01\t",
        "\\x41 \\r \\n literally",
        "ends with backslash\\",
    };
    ContenidoRegistro c;
    int i = 0;
    for (const auto& texto : raros) c.Poner(CLAVE, "t" + std::to_string(i++), texto);
    c.Poner(CLAVE, "na\"me\\ with\r\nbreaks", std::string("v"));
    c.Poner(CLAVE, "", std::string("unnamed"));
    c.Poner(CLAVE, "min", std::numeric_limits<std::int32_t>::min());
    c.Poner(CLAVE, "max", std::numeric_limits<std::int32_t>::max());
    c.Poner(CLAVE + "\\Empty key", "", std::string());

    const std::string texto = FormatearRegistro(c);
    EXPECT_EQ(texto.find('\r'), std::string::npos) << "no raw CR may reach the file";
    const auto leido = AnalizarRegistro(texto);
    ASSERT_TRUE(leido);
    EXPECT_EQ(*leido, c);
    EXPECT_EQ(FormatearRegistro(*leido), texto);
}

TEST(FormatoRegistro, AcceptsCrLfCommentsBomAndAnyCase) {
    const auto c = AnalizarRegistro(
        "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n\r\n; comment\r\n"
        "[HKEY_CURRENT_USER\\Software\\Ubrel\\Halvord]\r\n"
        "\"Restore Tabs\"=dword:0000000A  \r\n"
        "\"Icons load\"=\"*EXE*\"\r\n");
    ASSERT_TRUE(c);
    const ValorRegistro* v = c->Buscar("hkey_current_user\\SOFTWARE\\ubrel\\halvord", "restore tabs");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(*v, ValorRegistro(10));
    EXPECT_EQ(*c->Buscar(CLAVE, "Icons load"), ValorRegistro(std::string("*EXE*")));
    EXPECT_TRUE(AnalizarRegistro("") && AnalizarRegistro("")->Claves().empty());
}

TEST(FormatoRegistro, RejectsWhatItCannotReadExactly) {
    const std::string cab = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\A]\n";
    const std::string malos[] = {
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n",
        "Windows Registry Editor Version 5.00\n\"a\"=dword:00000001\n",  // value outside a key
        cab + "\"a\"=dword:1\n",
        cab + "\"a\"=dword:0000000g\n",
        cab + "\"a\"=hex:01,02\n",
        cab + "\"a\"=\"unterminated\n",
        cab + "\"a\"=\"bad \\q escape\"\n",
        cab + "\"a\"=\"short \\x4\"\n",
        cab + "\"a\"=\"x\" trailing\n",
        cab + "[-HKEY_CURRENT_USER\\A]\n",
        cab + "garbage\n",
    };
    for (const auto& texto : malos) EXPECT_FALSE(AnalizarRegistro(texto)) << texto;
}

TEST(FormatoRegistro, ValuesKeepTheirFirstSpellingAndDeletingTakesSubkeysOnly) {
    ContenidoRegistro c;
    EXPECT_TRUE(c.Poner(CLAVE, "Tabs Pos", 1));
    EXPECT_TRUE(c.Poner(CLAVE, "TABS POS", 0));
    EXPECT_FALSE(c.Poner(CLAVE, "tabs pos", 0));
    ASSERT_EQ(c.Claves().at(CLAVE).size(), 1u);
    EXPECT_EQ(c.Claves().at(CLAVE)[0].first, "Tabs Pos");

    c.Poner(CLAVE + "\\TypedUrls", "url1", std::string("a"));
    c.Poner(CLAVE + "\\TypedUrls\\Deeper", "x", 1);
    c.Poner(CLAVE + "\\TypedUrlsOther", "y", 2);
    EXPECT_TRUE(c.BorrarClave(CLAVE + "\\typedurls"));
    EXPECT_FALSE(c.ExisteClave(CLAVE + "\\TypedUrls\\Deeper"));
    EXPECT_TRUE(c.ExisteClave(CLAVE + "\\TypedUrlsOther"));
    EXPECT_TRUE(c.ExisteClave(CLAVE));
}

TEST_F(AlmacenEnCarpeta, FallbacksFollowPresenceAndType) {
    EXPECT_EQ(RegLeerDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Language", -1), -1);
    EXPECT_EQ(RegLeerCadena(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Previous Tabs"), "");
    EXPECT_FALSE(fs::exists(Archivo())) << "reading must not create the store";

    RegEscribirCadena(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Hide Desktop.ini", "1");
    RegEscribirDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Icons load", 5);
    RegEscribirDword(HKEY_CURRENT_USER, "\\Software\\Ubrel\\Halvord\\", "Language", -7);
    RegEscribirCadena(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Nul", std::string("ab\0cd", 5));
    ASSERT_TRUE(fs::exists(Archivo())) << "the folders are created on the first write";

    EXPECT_EQ(RegLeerDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Hide Desktop.ini", 1), 0);
    EXPECT_EQ(RegLeerCadena(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Icons load"), "");
    EXPECT_EQ(RegLeerDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Language", -1), -7);
    EXPECT_EQ(RegLeerCadena(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Nul"), "ab");
    EXPECT_EQ(RegLeerDword(HKEY_CURRENT_USER, CLAVE_TYPED_URLS, "Language", 42), 42);
}

TEST_F(AlmacenEnCarpeta, TabListWithLineBreaksSurvivesTheFile) {
    const std::string tabs = "C:\\a\\\r\n\"/home/x\"\r\n\xe9t\xe9\r\n";
    RegEscribirCadena(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Previous Tabs", tabs);
    RegEscribirDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Restore Tabs", 1);
    EXPECT_EQ(RegLeerCadena(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Previous Tabs"), tabs);
    EXPECT_EQ(RegLeerDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Restore Tabs", 0), 1);
}

TEST_F(AlmacenEnCarpeta, DeletingTypedUrlsKeepsTheSettings) {
    RegEscribirDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Tabs Pos", 1);
    RegEscribirCadena(HKEY_CURRENT_USER, CLAVE_TYPED_URLS, "url1", "/tmp/");
    RegBorrarClave(HKEY_CURRENT_USER, CLAVE_TYPED_URLS);
    EXPECT_EQ(RegLeerCadena(HKEY_CURRENT_USER, CLAVE_TYPED_URLS, "url1"), "");
    EXPECT_EQ(RegLeerDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Tabs Pos", 0), 1);
    EXPECT_EQ(LeerTodo(Archivo()).find("TypedUrls"), std::string::npos);
}

TEST_F(AlmacenEnCarpeta, DamagedFileIsKeptAsideAndReadsAsEmpty) {
    const std::string danado = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\"
                               "Software\\Ubrel\\Halvord]\n\"Tabs Pos\"=dword:00\x01\n";
    EscribirTodo(Archivo(), danado);
    EXPECT_EQ(RegLeerDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Tabs Pos", 9), 9);
    EXPECT_FALSE(fs::exists(Archivo()));
    EXPECT_EQ(LeerTodo(Archivo().string() + ".bad"), danado);

    // A damaged file met first by a write is kept aside too, never overwritten unseen.
    EscribirTodo(Archivo(), "not a store");
    RegEscribirDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Default View", 2);
    EXPECT_EQ(LeerTodo(Archivo().string() + ".bad"), "not a store");
    EXPECT_EQ(RegLeerDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Default View", 0), 2);
    EXPECT_EQ(RegLeerDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Tabs Pos", 9), 9);
}

TEST_F(AlmacenEnCarpeta, LeftoverTemporaryFileFromACrashChangesNothing) {
    RegEscribirDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Tabs Max Width", 300);
    const std::string antes = LeerTodo(Archivo());
    // What a writer killed between creating and renaming its temporary file leaves behind.
    EscribirTodo(Archivo().string() + ".tmp", "Windows Registry Editor Version 5.00\n\n[HKEY_");
    EXPECT_EQ(RegLeerDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Tabs Max Width", 0), 300);
    EXPECT_EQ(LeerTodo(Archivo()), antes);
    EXPECT_FALSE(fs::exists(Archivo().string() + ".bad"));

    RegEscribirDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Tabs Pos", 1);
    EXPECT_EQ(RegLeerDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Tabs Max Width", 0), 300);
    EXPECT_EQ(RegLeerDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Tabs Pos", 0), 1);
    EXPECT_FALSE(fs::exists(Archivo().string() + ".tmp"));
}

// Records the steps of each replacement by file name and carries them out for real; one kind
// of step can be made to fail as the disk would.
class PasosGrabados : public PasosReemplazo {
public:
    int SincronizarArchivo(std::intptr_t h, const std::string& ruta) override {
        pasos.push_back("sync " + Nombre(ruta));
        return fallar == "sync" ? EIO : PasosReemplazoReales().SincronizarArchivo(h, ruta);
    }
    int Renombrar(const std::string& de, const std::string& a) override {
        pasos.push_back("rename " + Nombre(de) + " " + Nombre(a));
        return fallar == "rename" ? EIO : PasosReemplazoReales().Renombrar(de, a);
    }
    int SincronizarCarpeta(const std::string& carpeta) override {
        pasos.push_back("sync folder " + Nombre(carpeta));
        return PasosReemplazoReales().SincronizarCarpeta(carpeta);
    }
    static std::string Nombre(const std::string& ruta) { return fs::path(ruta).filename().string(); }

    std::vector<std::string> pasos;
    std::string fallar;
};

TEST_F(AlmacenEnCarpeta, NewTextIsOnTheDiskBeforeItBecomesTheStore) {
    PasosGrabados pasos;
    SetPasosReemplazo(&pasos);
    RegEscribirDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Tabs Pos", 1);
    EXPECT_EQ(pasos.pasos, (std::vector<std::string>{"sync Halvord.reg.tmp",
                                                     "rename Halvord.reg.tmp Halvord.reg",
                                                     "sync folder Ubrel"}));
    EXPECT_EQ(RegLeerDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Tabs Pos", 0), 1);

    // A sync that fails (a full or failing disk) never lets the unsynced text replace the store.
    pasos.pasos.clear();
    pasos.fallar = "sync";
    const std::string antes = LeerTodo(Archivo());
    RegEscribirDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Tabs Pos", 2);
    EXPECT_EQ(std::count_if(pasos.pasos.begin(), pasos.pasos.end(),
                            [](const std::string& p) { return p.rfind("rename", 0) == 0; }),
              0);
    EXPECT_EQ(LeerTodo(Archivo()), antes);
    EXPECT_FALSE(fs::exists(Archivo().string() + ".tmp"));
    EXPECT_EQ(RegLeerDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Tabs Pos", 0), 1);
}

TEST_F(AlmacenEnCarpeta, AStoreThatCannotBeReadIsNeverOverwritten) {
    fs::create_directories(Archivo() / "inside");
    RegEscribirDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Tabs Pos", 1);
    EXPECT_TRUE(fs::is_directory(Archivo() / "inside"));
    EXPECT_FALSE(fs::exists(Archivo().string() + ".bad"));
    EXPECT_EQ(RegLeerDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Tabs Pos", 7), 7);
}

TEST_F(AlmacenEnCarpeta, AStreamedReplacementIsWholeOrLeavesTheOldFile) {
    PasosGrabados pasos;
    SetPasosReemplazo(&pasos);
    const fs::path ruta = carpeta_ / "indice" / "mapa";
    auto almacen = CrearAlmacenArchivo(ruta.string());
    auto piezas = [](std::vector<std::string> p, bool bien) {
        return [p, bien](const AlmacenArchivo::Escritor& escribir) {
            for (const std::string& t : p)
                if (!escribir(t)) return false;
            return bien;
        };
    };
    ASSERT_TRUE(almacen->Reemplazar(piezas({"uno ", "", "dos"}, true)));
    EXPECT_EQ(LeerTodo(ruta), "uno dos");
    EXPECT_EQ(pasos.pasos, (std::vector<std::string>{"sync mapa.tmp", "rename mapa.tmp mapa", "sync folder indice"}));
    // A writer that gives up half way, or a failing disk, leaves the old file and no leftover.
    EXPECT_FALSE(almacen->Reemplazar(piezas({"tres"}, false)));
    pasos.fallar = "sync";
    EXPECT_FALSE(almacen->Reemplazar(piezas({"cuatro"}, true)));
    EXPECT_EQ(LeerTodo(ruta), "uno dos");
    EXPECT_FALSE(fs::exists(ruta.string() + ".tmp"));
}

TEST_F(AlmacenEnCarpeta, TwoInstancesOnOneFileKeepEachOthersValues) {
    auto primero = CrearAlmacenArchivo(Archivo().string());
    auto segundo = CrearAlmacenArchivo(Archivo().string());
    SetArchivoRegistro(primero.get());
    RegEscribirDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "ColorSel", 4);
    SetArchivoRegistro(segundo.get());
    RegEscribirCadena(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Previous Tabs", "x");
    SetArchivoRegistro(primero.get());
    RegEscribirDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Language", 1);
    EXPECT_EQ(RegLeerDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "ColorSel", 0), 4);
    EXPECT_EQ(RegLeerCadena(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Previous Tabs"), "x");
    EXPECT_EQ(RegLeerDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Language", 0), 1);
}

TEST_F(AlmacenEnCarpeta, ConcurrentProcessesNeverLoseAWrite) {
    constexpr int PROCESOS = 3;
    constexpr int VALORES = 40;
    pid_t hijos[PROCESOS];
    for (int p = 0; p < PROCESOS; ++p) {
        hijos[p] = ::fork();
        ASSERT_GE(hijos[p], 0);
        if (hijos[p] == 0) {
            for (int i = 0; i < VALORES; ++i) {
                RegEscribirDword(HKEY_CURRENT_USER, CLAVE_OPCIONES,
                                 "p" + std::to_string(p) + "v" + std::to_string(i), p * 1000 + i);
            }
            ::_exit(0);
        }
    }
    for (const pid_t hijo : hijos) {
        int estado = 0;
        ASSERT_EQ(::waitpid(hijo, &estado, 0), hijo);
        ASSERT_TRUE(WIFEXITED(estado) && WEXITSTATUS(estado) == 0);
    }
    const auto contenido = AnalizarRegistro(LeerTodo(Archivo()));
    ASSERT_TRUE(contenido);
    ASSERT_EQ(contenido->Claves().at(CLAVE).size(), std::size_t{PROCESOS * VALORES});
    for (int p = 0; p < PROCESOS; ++p) {
        for (int i = 0; i < VALORES; ++i) {
            const auto nombre = "p" + std::to_string(p) + "v" + std::to_string(i);
            EXPECT_EQ(RegLeerDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, nombre, -1), p * 1000 + i);
        }
    }
}

// A writer killed with SIGKILL at a random moment of a save leaves the store holding either the
// text before that save or the text after it, whole: never a mix, never a file that fails to
// parse, and the next writer is not held up by what the dead one left behind.
TEST_F(AlmacenEnCarpeta, AKillAtAnyPointOfASaveLeavesTheOldOrTheNewStore) {
    constexpr std::size_t LARGO = 300000;  // a save long enough for kills to land inside it
    auto valores = [](int n) {
        const char letra = static_cast<char>('A' + n % 26);
        return ValoresRegistro{{"Marca", std::int32_t{n}},
                               {"Previous Tabs", std::string(LARGO, letra) + "\r\n" + letra}};
    };
    RegEscribirValores(HKEY_CURRENT_USER, CLAVE_OPCIONES, valores(0));
    const unsigned semilla = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(semilla));
    std::mt19937 azar(semilla);
    int avances = 0;
    int ultima = 0;
    for (int ronda = 0; ronda < 20; ++ronda) {
        int tubo[2];
        ASSERT_EQ(::pipe(tubo), 0);
        const pid_t hijo = ::fork();
        ASSERT_GE(hijo, 0);
        if (hijo == 0) {
            ::close(tubo[0]);
            for (int n = ultima + 1;; ++n) {
                RegEscribirValores(HKEY_CURRENT_USER, CLAVE_OPCIONES, valores(n));
                if (n == ultima + 1) prueba::AvisarListo(tubo);
            }
        }
        ASSERT_TRUE(prueba::MatarTrasAviso(hijo, tubo, 40000, azar));

        const auto contenido = AnalizarRegistro(LeerTodo(Archivo()));
        ASSERT_TRUE(contenido) << "round " << ronda;
        const auto* marca = contenido->Buscar(CLAVE, "Marca");
        const auto* tabs = contenido->Buscar(CLAVE, "Previous Tabs");
        ASSERT_TRUE(marca && tabs);
        const int n = std::get<std::int32_t>(*marca);
        EXPECT_GE(n, ultima);
        EXPECT_TRUE(*tabs == valores(n)[1].second) << "round " << ronda << ": a mix of two saves";
        if (n != ultima) ++avances;
        ultima = n;
    }
    EXPECT_EQ(avances, 20);
    RegEscribirDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Tabs Pos", 1);
    EXPECT_EQ(RegLeerDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Tabs Pos", 0), 1);
    EXPECT_EQ(RegLeerDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Marca", -1), ultima);
}

}  // namespace
}  // namespace quirvex
