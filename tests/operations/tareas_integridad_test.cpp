// The engine attacked on real folders: sources that change or are swapped while it yields,
// targets that fold case, kills in the middle of a file, failures in the middle of a tree.
// Each case once lost data or reported a failure as success.

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <fstream>
#include <set>

#include "folder/rutas.h"
#include "operations/bajo_nivel_con_fallos.h"
#include "operations/tareas_fixture.h"

namespace quirvex {
namespace {

namespace fs = std::filesystem;
using prueba::BajoNivelConFallos;
using prueba::Contenido;
using prueba::LeerTodo;

class IntegridadTest : public prueba::TareasTest {
protected:
    static void Anadir(const std::string& ruta, const std::string& datos) {
        std::ofstream(ruta, std::ios::binary | std::ios::app) << datos;
    }
    static struct stat Estado(const std::string& ruta) {
        struct stat st {};
        lstat(ruta.c_str(), &st);
        return st;
    }
    static bool MismosBytes(const std::string& a, const std::string& b) {
        std::ifstream fa(a, std::ios::binary), fb(b, std::ios::binary);
        std::vector<char> ba(1 << 20), bb(1 << 20);
        while (fa && fb) {
            fa.read(ba.data(), static_cast<std::streamsize>(ba.size()));
            fb.read(bb.data(), static_cast<std::streamsize>(bb.size()));
            if (fa.gcount() != fb.gcount() || !std::equal(ba.begin(), ba.begin() + fa.gcount(), bb.begin())) return false;
        }
        return fa.eof() && fb.eof();
    }
    std::set<std::string> Contenidos(const std::string& carpeta) const {
        std::set<std::string> todos;
        for (const auto& e : fs::directory_iterator(carpeta)) todos.insert(LeerTodo(e.path().string()));
        return todos;
    }
};

// --- a source that changes while it is copied ---------------------------------------------

TEST_F(IntegridadTest, AFileThatGrowsDuringACrossDriveMoveIsKeptAndLogged) {
    t.SetTamanoTramo(64 * 1024);
    BajoNivelConFallos fallos;
    fallos.renombrarOtroDispositivo = true;
    const std::string origen = tmp.ArchivoConTexto("src/log.bin", Contenido(256 * 1024));
    const std::string extra = Contenido(100 * 1024, 3);
    t.SetCeder([&, n = 0]() mutable {
        if (++n == 2) Anadir(origen, extra);  // the first yield comes before any data
    });
    const auto i = Ejecutar(TIPO_MOVER, tmp.Carpeta("dst"), {origen});
    EXPECT_EQ(LeerTodo(origen), Contenido(256 * 1024) + extra);
    EXPECT_FALSE(Existe(tmp.Ruta("dst/log.bin")));
    ASSERT_EQ(Op(i).Log.size(), 1u);
    EXPECT_EQ(Op(i).Log[0], "Failed trying move \"" + origen +
                                "\": The source changed while it was being copied. It was not deleted. (45610)");
    EXPECT_EQ(Op(i).BytesHechos, 0);
}

TEST_F(IntegridadTest, ACopyOfAGrowingFileSaysSoInsteadOfReportingSuccess) {
    t.SetTamanoTramo(4096);
    const std::string origen = tmp.ArchivoConTexto("src/grow.txt", Contenido(3000));
    t.SetCeder([&] { Anadir(origen, "more"); });
    const auto i = Ejecutar(TIPO_COPIAR, tmp.Carpeta("dst"), {origen});
    ASSERT_EQ(Op(i).Log.size(), 1u);
    EXPECT_NE(Op(i).Log[0].find("The source changed while it was being copied. (45610)"), std::string::npos);
    EXPECT_EQ(LeerTodo(tmp.Ruta("dst/grow.txt")), Contenido(3000) + "more");  // as it was when opened
}

// --- names that fold together on the target -------------------------------------------------

TEST_F(IntegridadTest, NamesThatFoldTogetherOnTheTargetAreBothKept) {
    t.SetTamanoTramo(4096);
    BajoNivelConFallos fallos;
    fallos.renombrarOtroDispositivo = true;
    fallos.carpetaSinMayusculas = SinBarraFinal(tmp.Carpeta("fat"));
    // Two small files (written in place) and two larger than a chunk (written under a
    // temporary name).
    tmp.ArchivoConTexto("src/T/Readme", "first");
    tmp.ArchivoConTexto("src/T/README", "second");
    tmp.ArchivoConTexto("src/T/big.bin", Contenido(10000, 1));
    tmp.ArchivoConTexto("src/T/BIG.BIN", Contenido(10000, 2));
    const auto i = Ejecutar(TIPO_MOVER, tmp.Ruta("fat"), {tmp.Ruta("src/T")});
    EXPECT_EQ(Contenidos(tmp.Ruta("fat/T")),
              (std::set<std::string>{"first", "second", Contenido(10000, 1), Contenido(10000, 2)}));
    EXPECT_FALSE(Existe(tmp.Ruta("src/T")));
    ASSERT_EQ(Op(i).Log.size(), 2u);
    for (const std::string& linea : Op(i).Log)
        EXPECT_EQ(linea.rfind("Name already taken by this operation, written as: " + tmp.Ruta("fat/T/"), 0), 0u) << linea;
}

// --- folders swapped for links while the engine yields --------------------------------------

class CambiazoTest : public IntegridadTest {
protected:
    void SetUp() override {
        IntegridadTest::SetUp();
        for (int k = 1; k <= 5; ++k) {
            tmp.ArchivoConTexto("tree/sub/f" + std::to_string(k), "inside");
            tmp.ArchivoConTexto("outside/f" + std::to_string(k), "precious");
        }
        // At the second yield (the first comes before any work), inside the subfolder, it is
        // renamed away and a link to the outside folder takes its name.
        t.SetCeder([this, n = 0]() mutable {
            if (++n != 2) return;
            fs::rename(tmp.Ruta("tree/sub"), tmp.Ruta("moved"));
            fs::create_directory_symlink(tmp.Ruta("outside"), tmp.Ruta("tree/sub"));
        });
    }
    void FueraIntacto() {
        for (int k = 1; k <= 5; ++k)
            EXPECT_EQ(LeerTodo(tmp.Ruta("outside/f" + std::to_string(k))), "precious") << k;
    }
};

TEST_F(CambiazoTest, ADeleteNeverFollowsASubfolderSwappedForALink) {
    Ejecutar(TIPO_BORRAR, "", {tmp.Ruta("tree")});
    FueraIntacto();
    EXPECT_TRUE(fs::is_empty(tmp.Ruta("moved")));  // what the delete had opened is emptied
}

TEST_F(CambiazoTest, ACrossDriveMoveNeverFollowsASubfolderSwappedForALink) {
    BajoNivelConFallos fallos;
    fallos.renombrarOtroDispositivo = true;
    Ejecutar(TIPO_MOVER, tmp.Carpeta("dst"), {tmp.Ruta("tree")});
    FueraIntacto();
    for (int k = 1; k <= 5; ++k)
        EXPECT_EQ(LeerTodo(tmp.Ruta("dst/tree/sub/f" + std::to_string(k))), "inside") << k;
}

// --- what a copy keeps ------------------------------------------------------------------

TEST_F(IntegridadTest, CopiesAndMovesKeepPermissionBitsAndTimes) {
    const std::string privado = tmp.ArchivoConTexto("src/private", "p");
    tmp.ArchivoConTexto("src/Box/inner", "i");
    tmp.ArchivoConTexto("src/Box/tool", "t");
    tmp.Carpeta("src/Box/shared");
    chmod(privado.c_str(), 0600);
    chmod(tmp.Ruta("src/Box/inner").c_str(), 0640);
    chmod(tmp.Ruta("src/Box/tool").c_str(), 04755);  // the copy keeps the owner, so setuid stays
    chmod(tmp.Ruta("src/Box/shared").c_str(), 01777);
    chmod(tmp.Ruta("src/Box").c_str(), 0700);
    tmp.FijarFecha("src/private", 1000000000);
    tmp.FijarFecha("src/Box/inner", 1100000000);
    const mode_t mascara = umask(022);
    const auto c = Ejecutar(TIPO_COPIAR, tmp.Carpeta("copied"), {privado, tmp.Ruta("src/Box")});
    BajoNivelConFallos fallos;
    fallos.renombrarOtroDispositivo = true;
    const auto m = Ejecutar(TIPO_MOVER, tmp.Carpeta("moved"), {privado, tmp.Ruta("src/Box")});
    umask(mascara);
    for (auto i : {c, m}) EXPECT_EQ(t.TextoErrores(i), "(Sin errores)");
    for (const std::string& base : {std::string("copied/"), std::string("moved/")}) {
        EXPECT_EQ(Estado(tmp.Ruta(base + "private")).st_mode & 07777, 0600u) << base;
        EXPECT_EQ(Estado(tmp.Ruta(base + "Box")).st_mode & 07777, 0700u) << base;
        EXPECT_EQ(Estado(tmp.Ruta(base + "Box/inner")).st_mode & 07777, 0640u) << base;
        EXPECT_EQ(Estado(tmp.Ruta(base + "Box/tool")).st_mode & 07777, 04755u) << base;
        EXPECT_EQ(Estado(tmp.Ruta(base + "Box/shared")).st_mode & 07777, 01777u) << base;
        EXPECT_EQ(Estado(tmp.Ruta(base + "private")).st_mtim.tv_sec, 1000000000) << base;
        EXPECT_EQ(Estado(tmp.Ruta(base + "Box/inner")).st_mtim.tv_sec, 1100000000) << base;
    }
}

TEST_F(IntegridadTest, ASparseFileIsCopiedWithItsHoles) {
    const std::string origen = tmp.Ruta("sparse.img");
    const std::int64_t largo = 64LL << 20;
    {
        const int fd = open(origen.c_str(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        const std::string a = Contenido(5000, 1), b = Contenido(9000, 2);
        ASSERT_EQ(pwrite(fd, a.data(), a.size(), 0), static_cast<ssize_t>(a.size()));
        ASSERT_EQ(pwrite(fd, b.data(), b.size(), 40LL << 20), static_cast<ssize_t>(b.size()));
        ASSERT_EQ(ftruncate(fd, largo), 0);
        close(fd);
    }
    const auto i = Ejecutar(TIPO_COPIAR, tmp.Carpeta("dst"), {origen});
    EXPECT_EQ(t.TextoErrores(i), "(Sin errores)");
    const std::string copia = tmp.Ruta("dst/sparse.img");
    EXPECT_TRUE(MismosBytes(copia, origen));
    EXPECT_LE(Estado(copia).st_blocks, Estado(origen).st_blocks + 16);
    EXPECT_EQ(Op(i).BytesHechos, largo);
    EXPECT_EQ(Op(i).Porcentaje, 100);
}

// --- folder into itself through another mount of it -----------------------------------------

TEST_F(IntegridadTest, ABindMountDoesNotDefeatTheFolderIntoItselfCheck) {
    tmp.ArchivoConTexto("Docs/a", "A");
    tmp.Carpeta("Docs/sub");
    tmp.Carpeta("view");
    const pid_t hijo = fork();
    ASSERT_GE(hijo, 0);
    if (hijo == 0) {
        if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount(tmp.Ruta("Docs").c_str(), tmp.Ruta("view").c_str(), nullptr, MS_BIND, nullptr) != 0)
            _exit(77);
        int fallo = 0;
        for (auto tipo : {TIPO_COPIAR, TIPO_MOVER}) {
            const auto i = Ejecutar(tipo, tmp.Ruta("view/sub"), {tmp.Ruta("Docs")});
            if (Op(i).Log.size() != 1 || Op(i).Log[0].find("Can't copy or move a folder into itself. (22)") == std::string::npos)
                fallo |= tipo;
        }
        if (!fs::is_empty(tmp.Ruta("Docs/sub"))) fallo |= 8;
        _exit(fallo);
    }
    int estado = 0;
    ASSERT_EQ(waitpid(hijo, &estado, 0), hijo);
    ASSERT_TRUE(WIFEXITED(estado));
    if (WEXITSTATUS(estado) == 77) GTEST_SKIP() << "no private mount namespace here";
    EXPECT_EQ(WEXITSTATUS(estado), 0);
    EXPECT_TRUE(fs::is_empty(tmp.Ruta("Docs/sub")));
}

// --- a kill in the middle of a large file ---------------------------------------------------

TEST_F(IntegridadTest, AKillInTheMiddleOfAFileLeavesNoTruncatedFileUnderItsName) {
    tmp.ArchivoConTexto("src/t/new.bin", Contenido(1 << 20, 1));
    tmp.ArchivoConTexto("src/t/old.bin", Contenido(1 << 20, 2));
    tmp.ArchivoConTexto("dst/t/old.bin", "the user's whole older file");
    const pid_t hijo = fork();
    ASSERT_GE(hijo, 0);
    if (hijo == 0) {
        t.SetTamanoTramo(64 * 1024);
        t.SetCeder([n = 0]() mutable {
            if (++n == 20) kill(getpid(), SIGKILL);  // second file, a few chunks in
        });
        const auto i = t.AgregarOperacion(TIPO_COPIAR, "", "", {});
        t.CopiarCarpeta(i, tmp.Ruta("src/t"), tmp.Ruta("dst/t"), false);
        _exit(0);
    }
    int estado = 0;
    ASSERT_EQ(waitpid(hijo, &estado, 0), hijo);
    ASSERT_TRUE(WIFSIGNALED(estado));
    for (const auto& e : fs::directory_iterator(tmp.Ruta("dst/t"))) {
        const std::string nombre = e.path().filename().string();
        if (nombre == "new.bin") EXPECT_EQ(LeerTodo(e.path().string()), Contenido(1 << 20, 1));
        else if (nombre == "old.bin") EXPECT_TRUE(LeerTodo(e.path().string()) == "the user's whole older file" ||
                                                  LeerTodo(e.path().string()) == Contenido(1 << 20, 2));
        else EXPECT_EQ(nombre.rfind(".quirvex-part-", 0), 0u) << nombre;
    }
}

// The same at moments the engine does not choose: the parent kills the copy at random times,
// between or inside any of its system calls, over several rounds.
TEST_F(IntegridadTest, KillsAtRandomMomentsOfACopyLeaveWholeFilesOrTemporaryOnes) {
    const std::string viejo = "the user's whole older file";
    for (int k = 0; k < 4; ++k) tmp.ArchivoConTexto("src/t/f" + std::to_string(k), Contenido(300000, k + 1));
    const unsigned semilla = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(semilla));
    std::mt19937 azar(semilla);
    int muertos = 0;
    for (int ronda = 0; ronda < 12; ++ronda) {
        const std::string destino = tmp.Ruta("dst" + std::to_string(ronda));
        tmp.ArchivoConTexto("dst" + std::to_string(ronda) + "/t/f2", viejo);
        const pid_t hijo = fork();
        ASSERT_GE(hijo, 0);
        if (hijo == 0) {
            t.SetTamanoTramo(16 * 1024);
            t.SetCeder([] { usleep(100); });  // a copy slow enough to be hit inside a file
            const auto i = t.AgregarOperacion(TIPO_COPIAR, "", "", {});
            t.CopiarCarpeta(i, tmp.Ruta("src/t"), destino + "/t", false);
            _exit(0);
        }
        usleep(std::uniform_int_distribution<useconds_t>(0, 30000)(azar));
        kill(hijo, SIGKILL);
        int estado = 0;
        ASSERT_EQ(waitpid(hijo, &estado, 0), hijo);
        if (WIFSIGNALED(estado)) ++muertos;
        for (const auto& e : fs::directory_iterator(destino + "/t")) {
            const std::string nombre = e.path().filename().string();
            const std::string datos = LeerTodo(e.path().string());
            if (nombre.rfind(".quirvex-part-", 0) == 0) continue;
            ASSERT_EQ(nombre.size(), 2u) << nombre;
            const std::string completo = Contenido(300000, nombre[1] - '0' + 1);
            EXPECT_TRUE(datos == completo || (nombre == "f2" && datos == viejo))
                << "round " << ronda << ": " << nombre << " has " << datos.size() << " bytes";
        }
    }
    EXPECT_GT(muertos, 0);
}

// --- failures in the middle of a tree -------------------------------------------------------

TEST_F(IntegridadTest, EntriesThatCannotBeReadSayWhyInsteadOfMissing) {
    BajoNivelConFallos fallos;
    fallos.erroresConsulta["locked"] = EACCES;
    tmp.ArchivoConTexto("src/T/locked", "L");
    tmp.ArchivoConTexto("src/T/fine", "F");
    const auto i = Ejecutar(TIPO_COPIAR, tmp.Carpeta("dst"), {tmp.Ruta("src/T")});
    ASSERT_EQ(Op(i).Log.size(), 1u);
    EXPECT_EQ(Op(i).Log[0], "Failed trying copy \"" + tmp.Ruta("src/T/locked") + "\": Permission denied (13)");
    EXPECT_EQ(LeerTodo(tmp.Ruta("dst/T/fine")), "F");

    // A path longer than the system takes, though every folder on it exists.
    std::string largo = tmp.Ruta("src");
    while (largo.size() < 5000) largo += "/T/..";
    largo += "/T/fine";
    const auto j = Ejecutar(TIPO_COPIAR, tmp.Carpeta("dst2"), {largo});
    ASSERT_EQ(Op(j).Log.size(), 1u);
    EXPECT_EQ(Op(j).Log[0], "Failed trying copy \"" + largo + "\": File name too long (36)");
}

TEST_F(IntegridadTest, AFullDiskOnThePlainWritePathFailsTheFileAndItsBytesAreNotCounted) {
    t.SetTamanoTramo(4096);
    BajoNivelConFallos fallos;
    fallos.sinCopiaKernel = true;
    fallos.errorEscritura = ENOSPC;
    fallos.escribirAntesDeFallar = 10000 + 4096;  // the second file fails in its second chunk
    const std::string a = tmp.ArchivoConTexto("src/a.bin", Contenido(10000, 1));
    const std::string b = tmp.ArchivoConTexto("src/b.bin", Contenido(10000, 2));
    const auto i = Ejecutar(TIPO_COPIAR, tmp.Carpeta("dst"), {a, b});
    ASSERT_EQ(Op(i).Log.size(), 1u);
    EXPECT_EQ(Op(i).Log[0].rfind("Failed trying copy \"" + b + "\": Error writing '", 0), 0u);
    EXPECT_NE(Op(i).Log[0].find("No space left on device (45606)"), std::string::npos);
    EXPECT_EQ(LeerTodo(tmp.Ruta("dst/a.bin")), Contenido(10000, 1));
    EXPECT_FALSE(Existe(tmp.Ruta("dst/b.bin")));
    EXPECT_EQ(std::distance(fs::directory_iterator(tmp.Ruta("dst")), fs::directory_iterator()), 1);
    EXPECT_EQ(Op(i).BytesHechos, 10000);
}

TEST_F(IntegridadTest, AMoveOntoAnotherNameOfItsOwnSourceIsRefusedAndKeepsTheSource) {
    BajoNivelConFallos fallos;
    fallos.renombrarOtroDispositivo = true;
    t.SetTamanoTramo(4096);
    const auto i = t.AgregarOperacion(TIPO_MOVER, "", "", {});
    for (std::size_t largo : {100u, 10000u}) {  // written in place, and under a temporary name
        const std::string datos = Contenido(largo);
        const std::string origen = tmp.ArchivoConTexto("src/f" + std::to_string(largo), datos);
        tmp.Carpeta("linked");
        fs::create_hard_link(origen, tmp.Ruta("linked/f" + std::to_string(largo)));
        fs::create_directory_symlink(tmp.Ruta("src"), tmp.Ruta("via" + std::to_string(largo)));
        for (const std::string& destino : {tmp.Ruta("linked/f"), tmp.Ruta("via" + std::to_string(largo) + "/f")}) {
            EXPECT_EQ(t.CopiarArchivo(i, origen, destino + std::to_string(largo), true), COPIA_FALLIDA);
            EXPECT_EQ(LeerTodo(origen), datos) << destino;
        }
    }
    ASSERT_EQ(Op(i).Log.size(), 4u);
    EXPECT_NE(Op(i).Log[0].find("Invalid argument (22)"), std::string::npos);
}

}  // namespace
}  // namespace quirvex
