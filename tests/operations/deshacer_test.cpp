// Pause and undo in the queue, on real folders: a paused operation holds the queue between two
// chunks and resumes, quitting while paused cancels it as designed; an undo removes what a copy
// made unless it changed since, and moves back what a move took when its old place is free.

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>

#include "operations/operaciones_extra.h"
#include "operations/tareas_fixture.h"
#include "support/fakes.h"

namespace quirvex::prueba {
namespace {

namespace fs = std::filesystem;

class DeshacerTest : public TareasTest {
protected:
    void SetUp() override {
        TareasTest::SetUp();
        InstalarOperacionesExtra(t);
    }
};

TEST_F(DeshacerTest, UndoingACopyRemovesWhatItMadeAndKeepsWhatChangedSince) {
    tmp.ArchivoConTexto("src/docs/a.txt", "A");
    tmp.ArchivoConTexto("src/docs/sub/b.txt", "B");
    tmp.ArchivoConTexto("src/docs/sub/c.txt", "C");
    const std::string suelto = tmp.ArchivoConTexto("src/suelto.txt", "S");
    tmp.ArchivoConTexto("dst/docs/viejo.txt", "old");  // the copy goes to "docs (1)"
    const std::int64_t i = t.AgregarOperacion(TIPO_COPIAR, tmp.Ruta("src/"), tmp.Ruta("dst/"),
                                              {tmp.Ruta("src/docs/"), suelto});
    t.tIni_Timer();
    ASSERT_EQ(Op(i).Estado, ESTADO_TERMINADA);
    ASSERT_EQ(LeerTodo(tmp.Ruta("dst/docs (1)/sub/c.txt")), "C");
    // After the copy: one copied file rewritten, one new file in a copied folder.
    tmp.ArchivoConTexto("dst/docs (1)/sub/c.txt", "changed");
    tmp.ArchivoConTexto("dst/docs (1)/mio.txt", "mine");
    {
        DialogosGrabados no(Respuesta::No);
        EXPECT_EQ(DeshacerOperacion(i, t), -1);
        EXPECT_EQ(no.mensajes.size(), 1u);  // asked first; a no leaves everything
    }
    DialogosGrabados si(Respuesta::Si);
    const std::int64_t u = DeshacerOperacion(i, t);
    ASSERT_EQ(u, i + 1);
    t.tIni_Timer();
    EXPECT_EQ(Op(u).Estado, ESTADO_TERMINADA);
    EXPECT_FALSE(Existe(tmp.Ruta("dst/suelto.txt")));
    EXPECT_FALSE(Existe(tmp.Ruta("dst/docs (1)/a.txt")));
    EXPECT_FALSE(Existe(tmp.Ruta("dst/docs (1)/sub/b.txt")));
    EXPECT_EQ(LeerTodo(tmp.Ruta("dst/docs (1)/sub/c.txt")), "changed");
    EXPECT_EQ(LeerTodo(tmp.Ruta("dst/docs (1)/mio.txt")), "mine");
    EXPECT_EQ(LeerTodo(tmp.Ruta("dst/docs/viejo.txt")), "old");
    // The sources are untouched, and the changed file is named in the undo's own log.
    EXPECT_EQ(LeerTodo(tmp.Ruta("src/docs/sub/c.txt")), "C");
    EXPECT_EQ(LeerTodo(suelto), "S");
    EXPECT_NE(t.TextoErrores(u).find("sub/c.txt"), std::string::npos) << t.TextoErrores(u);
    EXPECT_EQ(t.TextoErrores(i), TEXTO_SIN_ERRORES);
}

TEST_F(DeshacerTest, AFileReplacedBySomethingElseOfTheSameSizeIsKept) {
    const std::string a = tmp.ArchivoConTexto("src/a.bin", "12345");
    const std::int64_t i = t.AgregarOperacion(TIPO_COPIAR, tmp.Ruta("src/"), tmp.Ruta("dst/"), {a});
    tmp.Carpeta("dst");
    t.tIni_Timer();
    ASSERT_EQ(LeerTodo(tmp.Ruta("dst/a.bin")), "12345");
    // Same size and time, another file (another inode) under the name.
    struct stat antes {};
    ASSERT_EQ(::stat(tmp.Ruta("dst/a.bin").c_str(), &antes), 0);
    // Made before the copy goes, so the file system cannot hand it the freed inode number.
    tmp.ArchivoConTexto("dst/otro", "54321");
    fs::remove(tmp.Ruta("dst/a.bin"));
    fs::rename(tmp.Ruta("dst/otro"), tmp.Ruta("dst/a.bin"));
    const struct timespec tiempos[2] = {antes.st_atim, antes.st_mtim};
    ::utimensat(AT_FDCWD, tmp.Ruta("dst/a.bin").c_str(), tiempos, 0);
    DialogosGrabados si(Respuesta::Si);
    const std::int64_t u = DeshacerOperacion(i, t);
    t.tIni_Timer();
    EXPECT_EQ(LeerTodo(tmp.Ruta("dst/a.bin")), "54321");
    EXPECT_EQ(Op(u).NumErrores, 1);
}

TEST_F(DeshacerTest, UndoingAMoveBringsBackWhatIsUnchangedWhereThePlaceIsFree) {
    const std::string a = tmp.ArchivoConTexto("src/a.txt", "A");
    const std::string b = tmp.ArchivoConTexto("src/b.txt", "B");
    const std::string c = tmp.ArchivoConTexto("src/c.txt", "C");
    tmp.ArchivoConTexto("src/tree/x/y.txt", "Y");
    tmp.Carpeta("dst");
    const std::int64_t i = t.AgregarOperacion(TIPO_MOVER, tmp.Ruta("src/"), tmp.Ruta("dst/"),
                                              {a, b, c, tmp.Ruta("src/tree")});
    t.tIni_Timer();
    ASSERT_EQ(Op(i).Estado, ESTADO_TERMINADA);
    ASSERT_FALSE(Existe(a));
    tmp.ArchivoConTexto("src/b.txt", "new b");        // b's old place taken
    tmp.ArchivoConTexto("dst/c.txt", "C changed");     // c changed after the move
    DialogosGrabados dialogos;
    const std::int64_t u = DeshacerOperacion(i, t);
    EXPECT_TRUE(dialogos.mensajes.empty());
    t.tIni_Timer();
    EXPECT_EQ(LeerTodo(a), "A");
    EXPECT_EQ(LeerTodo(tmp.Ruta("src/tree/x/y.txt")), "Y");
    EXPECT_FALSE(Existe(tmp.Ruta("dst/a.txt")));
    EXPECT_FALSE(Existe(tmp.Ruta("dst/tree")));
    EXPECT_EQ(LeerTodo(b), "new b");
    EXPECT_EQ(LeerTodo(tmp.Ruta("dst/b.txt")), "B");
    EXPECT_EQ(LeerTodo(tmp.Ruta("dst/c.txt")), "C changed");
    EXPECT_FALSE(Existe(c));
    EXPECT_EQ(Op(u).NumErrores, 2) << t.TextoErrores(u);
}

// The pause: the engine waits at its next yield, the queue behind it waits too.
TEST_F(DeshacerTest, APausedCopyHoldsBetweenChunksAndTheQueueBehindWaits) {
    t.SetTamanoTramo(4096);
    const std::string datos = Contenido(5 * 4096);
    const std::string a = tmp.ArchivoConTexto("src/a", datos);
    const std::string b = tmp.ArchivoConTexto("src/b", "B");
    tmp.Carpeta("d");
    int cedidas = 0, esperas = 0;
    std::int64_t bytesEnPausa = -1;
    t.SetCeder([&] {
        if (++cedidas == 3) t.PausarOperacion(0, true);
    });
    t.SetEsperaPausa([&] {
        ++esperas;
        if (bytesEnPausa < 0) bytesEnPausa = Op(0).BytesHechos;
        EXPECT_EQ(Op(0).BytesHechos, bytesEnPausa);
        EXPECT_EQ(Op(1).Estado, ESTADO_ESPERANDO);
        EXPECT_GT(Op(0).UltimaPausa, 0);
        if (esperas == 5) t.PausarOperacion(0, false);
    });
    t.AgregarOperacion(TIPO_COPIAR, tmp.Ruta("src/"), tmp.Ruta("d/"), {a});
    t.AgregarOperacion(TIPO_COPIAR, tmp.Ruta("src/"), tmp.Ruta("d/"), {b});
    t.tIni_Timer();
    EXPECT_EQ(esperas, 5);
    EXPECT_GT(bytesEnPausa, 0);
    EXPECT_LT(bytesEnPausa, static_cast<std::int64_t>(datos.size()));
    EXPECT_EQ(Op(0).Estado, ESTADO_TERMINADA);
    EXPECT_EQ(Op(1).Estado, ESTADO_TERMINADA);
    EXPECT_EQ(LeerTodo(tmp.Ruta("d/a")), datos);
    EXPECT_EQ(LeerTodo(tmp.Ruta("d/b")), "B");
}

TEST_F(DeshacerTest, QuittingWhilePausedCancelsAsDesignedAndRemovesThePartialFile) {
    t.SetTamanoTramo(4096);
    const std::string a = tmp.ArchivoConTexto("src/a", Contenido(5 * 4096));
    const std::string b = tmp.ArchivoConTexto("src/b", "B");
    tmp.Carpeta("d");
    int cedidas = 0;
    t.SetCeder([&] {
        if (++cedidas == 3) t.PausarOperacion(0, true);
    });
    t.SetEsperaPausa([&] { t.CancelarTodo(); });
    t.AgregarOperacion(TIPO_COPIAR, tmp.Ruta("src/"), tmp.Ruta("d/"), {a});
    t.AgregarOperacion(TIPO_COPIAR, tmp.Ruta("src/"), tmp.Ruta("d/"), {b});
    t.tIni_Timer();
    EXPECT_FALSE(t.Ocupado());
    EXPECT_EQ(Op(0).Estado, ESTADO_CANCELADA);
    EXPECT_EQ(Op(1).Estado, ESTADO_CANCELADA);
    EXPECT_FALSE(Existe(tmp.Ruta("d/a")));
    EXPECT_FALSE(Existe(tmp.Ruta("d/b")));
    std::vector<std::string> quedan;
    for (const auto& e : fs::directory_iterator(tmp.Ruta("d"))) quedan.push_back(e.path().filename());
    EXPECT_TRUE(quedan.empty());
}

TEST_F(DeshacerTest, AnOperationPausedWhileWaitingStartsPausedAndAnEndedOneCannotBePaused) {
    const std::string a = tmp.ArchivoConTexto("src/a", "A");
    tmp.Carpeta("d");
    const std::int64_t i = t.AgregarOperacion(TIPO_COPIAR, tmp.Ruta("src/"), tmp.Ruta("d/"), {a});
    t.PausarOperacion(i, true);
    int esperas = 0;
    t.SetEsperaPausa([&] {
        EXPECT_FALSE(Existe(tmp.Ruta("d/a")));
        if (++esperas == 2) t.PausarOperacion(i, false);
    });
    t.tIni_Timer();
    EXPECT_EQ(esperas, 2);
    EXPECT_EQ(LeerTodo(tmp.Ruta("d/a")), "A");
    t.PausarOperacion(i, true);
    EXPECT_FALSE(Op(i).Pausada);
}

}  // namespace
}  // namespace quirvex::prueba
