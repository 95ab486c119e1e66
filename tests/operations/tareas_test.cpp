// The queue, cancelling, deleting and the failures that must lose nothing.

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "operations/bajo_nivel_con_fallos.h"
#include "operations/tareas_fixture.h"
#include "support/fakes.h"

namespace quirvex {
namespace {

namespace fs = std::filesystem;
using prueba::BajoNivelConFallos;
using prueba::Contenido;
using prueba::LeerTodo;

class ColaTest : public prueba::TareasTest {};

TEST_F(ColaTest, OperationsQueuedBeforeTheFirstTickAllRunInOrder) {
    const std::string a = tmp.ArchivoConTexto("src/a", "A");
    const auto i = t.AgregarOperacion(TIPO_COPIAR, "", tmp.Carpeta("d1"), {a});
    const auto j = t.AgregarOperacion(TIPO_COPIAR, "", tmp.Carpeta("d2"), {a});
    EXPECT_TRUE(vista.inicioHabilitado);
    EXPECT_EQ(Op(j).Estado, ESTADO_ESPERANDO);
    EXPECT_EQ(Op(j).BytesTotales, 1);
    EXPECT_EQ(t.Esperando(), 1);
    t.tIni_Timer();
    EXPECT_EQ(t.Esperando(), 0);
    EXPECT_FALSE(vista.inicioHabilitado);
    EXPECT_EQ(Op(i).Estado, ESTADO_TERMINADA);
    EXPECT_EQ(Op(j).Estado, ESTADO_TERMINADA);
    EXPECT_EQ(LeerTodo(tmp.Ruta("d2/a")), "A");
    EXPECT_EQ(vista.titulos, (std::vector<std::string>{"Operations (0) ...", "Operations"}));
}

TEST_F(ColaTest, WhatIsQueuedWhileOneRunsWaitsForItsTurn) {
    const std::string a = tmp.ArchivoConTexto("src/a", "A");
    const std::string b = tmp.ArchivoConTexto("src/b", "B");
    std::vector<std::int32_t> estadosDelSegundo;
    bool agregado = false;
    t.SetCeder([&] {
        if (!agregado) {
            agregado = true;
            t.AgregarOperacion(TIPO_COPIAR, "", tmp.Carpeta("d2"), {b});
            t.tIni_Timer();          // the window's timer fires during the yield
            t.EjecutarOperacion(1);  // and nothing may start a second engine
        }
        if (t.Operaciones().size() > 1) estadosDelSegundo.push_back(t.Operaciones()[1].Estado);
    });
    Ejecutar(TIPO_COPIAR, tmp.Carpeta("d1"), {a});
    ASSERT_FALSE(estadosDelSegundo.empty());
    EXPECT_EQ(estadosDelSegundo.front(), ESTADO_ESPERANDO);
    EXPECT_EQ(Op(0).Estado, ESTADO_TERMINADA);
    EXPECT_EQ(Op(1).Estado, ESTADO_TERMINADA);
    EXPECT_EQ(LeerTodo(tmp.Ruta("d2/b")), "B");
    EXPECT_EQ(vista.titulos.front(), "Operations (1) ...");
    EXPECT_FALSE(t.Ocupado());
}

TEST_F(ColaTest, CancelInTheMiddleOfAFileRemovesItAndTheQueueGoesOn) {
    t.SetTamanoTramo(64 * 1024);
    const std::string pequeno = tmp.ArchivoConTexto("src/1.txt", "first");
    const std::string grande = tmp.ArchivoConTexto("src/2.bin", Contenido(1024 * 1024));
    const std::string otro = tmp.ArchivoConTexto("src/3.txt", "next op");
    t.AgregarOperacion(TIPO_COPIAR, "", tmp.Carpeta("dst"), {pequeno, grande});
    t.AgregarOperacion(TIPO_COPIAR, "", tmp.Carpeta("dst2"), {otro});
    int cesiones = 0;
    bool parcialVisto = false;
    // Where the file system cannot make a file without a name, a file is written under a
    // hidden temporary one.
    prueba::BajoNivelConFallos fallos;
    fallos.sinArchivoSinNombre = true;
    t.SetCeder([&] {
        if (++cesiones == 6) {
            for (const auto& e : fs::directory_iterator(tmp.Ruta("dst")))
                if (e.path().filename().string().rfind(".quirvex-part-", 0) == 0) parcialVisto = true;
            parcialVisto = parcialVisto && !fs::exists(tmp.Ruta("dst/2.bin"));
            t.CancelarOperacion(0);
        }
    });
    t.tIni_Timer();
    EXPECT_TRUE(parcialVisto);
    EXPECT_EQ(Op(0).Estado, ESTADO_CANCELADA);
    EXPECT_EQ(std::distance(fs::directory_iterator(tmp.Ruta("dst")), fs::directory_iterator()), 1);
    EXPECT_EQ(LeerTodo(tmp.Ruta("dst/1.txt")), "first");
    EXPECT_EQ(LeerTodo(grande), Contenido(1024 * 1024));
    EXPECT_EQ(Op(1).Estado, ESTADO_TERMINADA);
    EXPECT_EQ(LeerTodo(tmp.Ruta("dst2/3.txt")), "next op");
}

TEST_F(ColaTest, QuittingCancelsTheRunningAndTheWaitingOperations) {
    t.SetTamanoTramo(4096);
    const std::string grande = tmp.ArchivoConTexto("src/big", Contenido(40000));
    const std::string borrar = tmp.ArchivoConTexto("src/del", "stay");
    t.AgregarOperacion(TIPO_MOVER, "", tmp.Carpeta("dst"), {grande});
    t.AgregarOperacion(TIPO_BORRAR, "", "", {borrar});
    BajoNivelConFallos fallos;
    fallos.renombrarOtroDispositivo = true;
    t.SetCeder([&] {
        if (t.Operaciones()[0].BytesHechos > 0) t.CancelarTodo();
    });
    t.tIni_Timer();
    EXPECT_EQ(Op(0).Estado, ESTADO_CANCELADA);
    EXPECT_EQ(Op(1).Estado, ESTADO_CANCELADA);
    EXPECT_FALSE(fs::exists(tmp.Ruta("dst/big")));
    EXPECT_EQ(LeerTodo(grande), Contenido(40000));
    EXPECT_EQ(LeerTodo(borrar), "stay");
}

TEST_F(ColaTest, ASourceThatVanishesIsReportedAndNothingIsCreated) {
    const std::string a = tmp.ArchivoConTexto("src/a", "A");
    const std::string b = tmp.ArchivoConTexto("src/b", "B");
    const auto i = t.AgregarOperacion(TIPO_COPIAR, "", tmp.Carpeta("dst"), {a, b});
    fs::remove(b);
    t.tIni_Timer();
    EXPECT_EQ(Op(i).Log, (std::vector<std::string>{"Missing: " + b}));
    EXPECT_TRUE(fs::is_empty(tmp.Ruta("dst")));

    // Between the check and the copy: the items before it are copied, then the operation ends.
    tmp.ArchivoConTexto("src/b", "B");
    t.SetCeder([&] { fs::remove(b); });
    const auto j = Ejecutar(TIPO_COPIAR, tmp.Ruta("dst"), {a, b});
    EXPECT_EQ(Op(j).Log, (std::vector<std::string>{"Error: No existe 2."}));
    EXPECT_EQ(Op(j).Estado, ESTADO_TERMINADA);
    EXPECT_EQ(LeerTodo(tmp.Ruta("dst/a")), "A");
}

TEST_F(ColaTest, ASourceWhoseQueryTimesOutAfterTheCheckSaysSoAndIsNotCalledMissing) {
    const std::string a = tmp.ArchivoConTexto("src/a", "A");
    const std::string b = tmp.ArchivoConTexto("src/b", "B");
    prueba::BajoNivelConFallos fallos;
    t.SetCeder([&] { fallos.erroresConsulta["b"] = ETIMEDOUT; });
    const auto i = Ejecutar(TIPO_MOVER, tmp.Carpeta("dst"), {a, b});
    ASSERT_EQ(Op(i).Log.size(), 1u);
    EXPECT_NE(Op(i).Log[0], TEXTO_NO_EXISTE_2);
    EXPECT_NE(Op(i).Log[0].find("\"" + b + "\": " + BajoNivel().DescripcionError(ETIMEDOUT)),
              std::string::npos)
        << Op(i).Log[0];
    EXPECT_EQ(Op(i).Estado, ESTADO_TERMINADA);
    EXPECT_EQ(LeerTodo(b), "B");
    EXPECT_FALSE(fs::exists(tmp.Ruta("dst/b")));
}

TEST_F(ColaTest, TheRootIsRefusedAndTheLogReadsAsDesigned) {
    const auto i = Ejecutar(TIPO_BORRAR, "", {"/"});
    EXPECT_EQ(Op(i).Log, (std::vector<std::string>{"Can't copy drives to clipboard."}));
    EXPECT_EQ(Op(i).Estado, ESTADO_TERMINADA);
    EXPECT_EQ(t.TextoErrores(99), "Error reading errors lol XD.");
    EXPECT_EQ(FormatearDuracion(3725), "01:02:05 hs (3725 seg.)");
    EXPECT_EQ(Op(i).TextoTiempo, "00:00:00 hs (0 seg.)");

    prueba::UnidadesFijas unidades({Volumen{tmp.Ruta("mnt/"), "ext4", "/dev/x", "", UNIDAD_FIJA}});
    tmp.ArchivoConTexto("mnt/data", "D");
    const auto j = Ejecutar(TIPO_BORRAR, "", {tmp.Ruta("mnt")});
    EXPECT_EQ(Op(j).NumErrores, 1);
    EXPECT_EQ(LeerTodo(tmp.Ruta("mnt/data")), "D");
}

TEST_F(ColaTest, DeletingATreeRemovesLinksButNotWhatTheyPointTo) {
    tmp.ArchivoConTexto("keep/precious", "P");
    tmp.ArchivoConTexto("tree/sub/.a", "a");
    tmp.ArchivoConTexto("tree/bad\xff name", "b");
    fs::create_directory_symlink(tmp.Ruta("keep"), tmp.Ruta("tree/sub/to keep"));
    fs::create_directory_symlink(tmp.Ruta("keep"), tmp.Ruta("toplink"));
    const std::string suelto = tmp.ArchivoConTexto("loose file", "L");
    const auto i = Ejecutar(TIPO_BORRAR, "", {tmp.Ruta("tree/"), tmp.Ruta("toplink/"), suelto});
    EXPECT_EQ(t.TextoErrores(i), "(Sin errores)");
    EXPECT_EQ(Op(i).Estado, ESTADO_TERMINADA);
    EXPECT_FALSE(Existe(tmp.Ruta("tree")));
    EXPECT_FALSE(Existe(tmp.Ruta("toplink")));
    EXPECT_FALSE(Existe(suelto));
    EXPECT_EQ(LeerTodo(tmp.Ruta("keep/precious")), "P");
    EXPECT_EQ(oyente.avisos, (std::vector<std::string>{tmp.Ruta() + "|tree|C|Deleted",
                                                       tmp.Ruta() + "|toplink|A|Deleted",
                                                       tmp.Ruta() + "|loose file|A|Deleted"}));
}

TEST_F(ColaTest, ADeleteCanceledWhileWaitingDeletesNothing) {
    const std::string a = tmp.ArchivoConTexto("a", "A");
    const auto i = t.AgregarOperacion(TIPO_BORRAR, "", "", {a});
    t.CancelarOperacion(i);
    t.tIni_Timer();
    EXPECT_EQ(Op(i).Estado, ESTADO_CANCELADA);
    EXPECT_EQ(LeerTodo(a), "A");
}

TEST_F(ColaTest, AMissingFolderToDeleteIsToldToTheUser) {
    prueba::DialogosGrabados dialogos;
    const auto i = t.AgregarOperacion(TIPO_BORRAR, "", "", {});
    EXPECT_FALSE(t.BorrarCarpeta(i, tmp.Ruta("none")));
    EXPECT_EQ(dialogos.mensajes, (std::vector<std::string>{"El elemento no existe: " + tmp.Ruta("none")}));
}

TEST_F(ColaTest, DeleteFailuresAreLogged) {
    if (geteuid() == 0) GTEST_SKIP() << "permission bits do not stop root";
    tmp.ArchivoConTexto("ro/f", "F");
    fs::permissions(tmp.Ruta("ro"), fs::perms::owner_read | fs::perms::owner_exec);
    const auto i = Ejecutar(TIPO_BORRAR, "", {tmp.Ruta("ro")});
    EXPECT_EQ(Op(i).NumErrores, 2);
    EXPECT_EQ(Op(i).Log[0], "Failed to delete: \"" + tmp.Ruta("ro/f") + "\": Permission denied (13)");
    EXPECT_EQ(LeerTodo(tmp.Ruta("ro/f")), "F");
}

// A full disk, made real with a file-size limit in a child process: writes past the limit fail
// with EFBIG instead of killing the process.
TEST_F(ColaTest, AFullDiskLogsTheFailureRemovesThePartialTargetAndKeepsTheMovedSource) {
    const std::string datos = Contenido(256 * 1024);
    const std::string origen = tmp.ArchivoConTexto("src/big.bin", datos);
    const std::string copiar = tmp.ArchivoConTexto("src/c.bin", datos);
    tmp.Carpeta("dst");
    const pid_t hijo = fork();
    ASSERT_GE(hijo, 0);
    if (hijo == 0) {
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit limite = {64 * 1024, 64 * 1024};
        setrlimit(RLIMIT_FSIZE, &limite);
        BajoNivelConFallos fallos;
        fallos.renombrarOtroDispositivo = true;  // a move that has to copy
        t.SetTamanoTramo(16 * 1024);
        const auto m = Ejecutar(TIPO_MOVER, tmp.Ruta("dst"), {origen});
        const auto c = Ejecutar(TIPO_COPIAR, tmp.Ruta("dst"), {copiar});
        int fallo = 0;
        const auto& lm = Op(m).Log;
        const auto& lc = Op(c).Log;
        if (lm.size() != 1 || lm[0].find("Failed trying move \"" + origen + "\": Error writing '") != 0 ||
            lm[0].find("File too large (45606)") == std::string::npos)
            fallo |= 1;
        if (lc.size() != 1 || lc[0].find("Failed trying copy \"" + copiar + "\"") != 0) fallo |= 2;
        if (!fs::is_empty(tmp.Ruta("dst"))) fallo |= 4;
        if (LeerTodo(origen) != datos || LeerTodo(copiar) != datos) fallo |= 8;
        if (Op(m).Estado != ESTADO_TERMINADA) fallo |= 16;
        _exit(fallo);
    }
    int estado = 0;
    ASSERT_EQ(waitpid(hijo, &estado, 0), hijo);
    ASSERT_TRUE(WIFEXITED(estado));
    EXPECT_EQ(WEXITSTATUS(estado), 0);
}

}  // namespace
}  // namespace quirvex
