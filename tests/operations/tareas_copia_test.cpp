// Copying and moving files and trees on real folders.

#include <filesystem>

#include "operations/bajo_nivel_con_fallos.h"
#include "operations/tareas_fixture.h"

namespace quirvex {
namespace {

namespace fs = std::filesystem;
using prueba::BajoNivelConFallos;
using prueba::Contenido;
using prueba::LeerTodo;

class CopiaTest : public prueba::TareasTest {};

TEST_F(CopiaTest, CopyingOntoATakenNameMakesNumberedCopies) {
    const std::string datos = Contenido(3000);
    const std::string origen = tmp.ArchivoConTexto("src/report.txt", datos);
    tmp.ArchivoConTexto("dst/report.txt", "older");
    const std::string dst = tmp.Carpeta("dst");
    const auto a = Ejecutar(TIPO_COPIAR, dst, {origen});
    const auto b = Ejecutar(TIPO_COPIAR, dst, {origen});
    EXPECT_EQ(LeerTodo(tmp.Ruta("dst/report.txt")), "older");
    EXPECT_EQ(LeerTodo(tmp.Ruta("dst/report (1).txt")), datos);
    EXPECT_EQ(LeerTodo(tmp.Ruta("dst/report (2).txt")), datos);
    EXPECT_EQ(LeerTodo(origen), datos);
    for (auto i : {a, b}) {
        EXPECT_EQ(Op(i).Estado, ESTADO_TERMINADA);
        EXPECT_EQ(t.TextoErrores(i), "(Sin errores)");
        EXPECT_EQ(Op(i).BytesHechos, 3000);
    }
    EXPECT_EQ(Op(b).Destino, tmp.Ruta("dst/report (2).txt"));
    EXPECT_EQ(t.OperacionActual(), 2);
}

TEST_F(CopiaTest, EveryListedFileLandsInTheDestinationFolder) {
    const std::string a = tmp.ArchivoConTexto("src/a", "A");
    const std::string b = tmp.ArchivoConTexto("src/b", "B");
    const std::string vacio = tmp.Archivo("src/.a");
    const auto i = Ejecutar(TIPO_COPIAR, tmp.Carpeta("dst"), {a, b, vacio});
    EXPECT_EQ(Op(i).Estado, ESTADO_TERMINADA);
    EXPECT_EQ(LeerTodo(tmp.Ruta("dst/a")), "A");
    EXPECT_EQ(LeerTodo(tmp.Ruta("dst/b")), "B");
    ASSERT_TRUE(fs::is_regular_file(tmp.Ruta("dst/.a")));
    EXPECT_EQ(fs::file_size(tmp.Ruta("dst/.a")), 0u);
}

TEST_F(CopiaTest, CopiesInChunksAndShowsEachWholePercentage) {
    t.SetTamanoTramo(4096);
    const std::string datos = Contenido(10240);
    const std::string origen = tmp.ArchivoConTexto("src/big.bin", datos);
    BajoNivelConFallos fallos;
    const auto i = Ejecutar(TIPO_COPIAR, tmp.Carpeta("dst"), {origen});
    EXPECT_EQ(Op(i).Estado, ESTADO_TERMINADA);
    EXPECT_EQ(vista.porcentajes, (std::vector<std::int64_t>{40, 80, 100}));
    EXPECT_EQ(fallos.llamadasCopiaKernel, 3);
    EXPECT_EQ(LeerTodo(tmp.Ruta("dst/big.bin")), datos);
}

// A file that is synchronised before it takes its name sends each chunk to disk as it goes,
// whichever way the chunk was copied; a one-chunk file is left to the page cache.
TEST_F(CopiaTest, ALargeFileStartsEachChunkForTheDiskAsItIsWritten) {
    t.SetTamanoTramo(4096);
    const std::string datos = Contenido(10240);
    const std::string grande = tmp.ArchivoConTexto("src/big.bin", datos);
    const std::string pequeno = tmp.ArchivoConTexto("src/small.bin", Contenido(4000));
    using Rangos = std::vector<std::pair<std::int64_t, std::int64_t>>;
    for (const bool kernel : {true, false}) {
        BajoNivelConFallos fallos;
        fallos.sinCopiaKernel = !kernel;
        const std::string dst = tmp.Carpeta(kernel ? "dst1" : "dst2");
        const auto i = Ejecutar(TIPO_COPIAR, dst, {grande});
        EXPECT_EQ(t.TextoErrores(i), "(Sin errores)");
        EXPECT_EQ(LeerTodo(dst + "/big.bin"), datos);
        EXPECT_EQ(fallos.adelantos, (Rangos{{0, 4096}, {4096, 4096}, {8192, 2048}})) << kernel;
        fallos.adelantos.clear();
        Ejecutar(TIPO_COPIAR, dst, {pequeno});
        EXPECT_TRUE(fallos.adelantos.empty());
    }
}

// A file the listing calls a regular file is copied without a query of its own; one that is
// gone by the time it is opened is still reported as missing, not as a failed open.
TEST_F(CopiaTest, AListedFileThatVanishesBeforeItsCopyIsMissing) {
    tmp.ArchivoConTexto("src/tree/a", "A");
    tmp.ArchivoConTexto("src/tree/b", "B");
    tmp.ArchivoConTexto("src/tree/c", "C");
    BajoNivelConFallos fallos;
    fallos.tiposDelListado = true;
    fallos.borrarTrasListar = {"b"};
    const auto i = Ejecutar(TIPO_COPIAR, tmp.Carpeta("dst"), {tmp.Ruta("src/tree")});
    EXPECT_EQ(LeerTodo(tmp.Ruta("dst/tree/a")), "A");
    EXPECT_EQ(LeerTodo(tmp.Ruta("dst/tree/c")), "C");
    EXPECT_FALSE(fs::exists(tmp.Ruta("dst/tree/b")));
    EXPECT_EQ(t.TextoErrores(i), "Missing: \"" + tmp.Ruta("src/tree/b") + "\"");
}

TEST_F(CopiaTest, FallsBackToReadAndWriteWhenTheKernelCannotCopy) {
    t.SetTamanoTramo(4096);
    const std::string datos = Contenido(10000, 7);
    const std::string origen = tmp.ArchivoConTexto("src/f", datos);
    BajoNivelConFallos fallos;
    fallos.sinCopiaKernel = true;
    const auto i = Ejecutar(TIPO_COPIAR, tmp.Carpeta("dst"), {origen});
    EXPECT_EQ(t.TextoErrores(i), "(Sin errores)");
    EXPECT_EQ(LeerTodo(tmp.Ruta("dst/f")), datos);
}

TEST_F(CopiaTest, CopiesATreeWithOddNamesAndLinksAsLinks) {
    const std::vector<std::string> nombres = {"with space.txt", "quo\"te's", ".hidden",
                                              "bad\xff\xfe utf8", "ñandú.txt"};
    for (std::size_t k = 0; k < nombres.size(); ++k)
        tmp.ArchivoConTexto("src/Docs/sub dir/" + nombres[k], Contenido(100 + k, static_cast<unsigned>(k)));
    tmp.Archivo("src/Docs/empty");
    tmp.Carpeta("src/Docs/empty dir");
    tmp.ArchivoConTexto("outside/secret", "not to be copied");
    fs::create_directory_symlink(tmp.Ruta("outside"), tmp.Ruta("src/Docs/link"));
    fs::create_symlink("sub dir/.hidden", tmp.Ruta("src/Docs/relative"));
    tmp.Carpeta("dst/Docs");  // taken: the copy goes to "Docs (1)"

    const auto i = Ejecutar(TIPO_COPIAR, tmp.Ruta("dst/"), {tmp.Ruta("src/Docs/")});
    EXPECT_EQ(t.TextoErrores(i), "(Sin errores)");
    const std::string copia = tmp.Ruta("dst/Docs (1)/");
    for (std::size_t k = 0; k < nombres.size(); ++k)
        EXPECT_EQ(LeerTodo(copia + "sub dir/" + nombres[k]), Contenido(100 + k, static_cast<unsigned>(k)))
            << nombres[k];
    EXPECT_TRUE(fs::is_regular_file(copia + "empty"));
    EXPECT_TRUE(fs::is_directory(copia + "empty dir"));
    ASSERT_TRUE(fs::is_symlink(copia + "link"));
    EXPECT_EQ(fs::read_symlink(copia + "link"), tmp.Ruta("outside"));
    EXPECT_EQ(fs::read_symlink(copia + "relative"), "sub dir/.hidden");
    EXPECT_TRUE(fs::is_empty(tmp.Ruta("dst/Docs")));
    EXPECT_EQ(Op(i).BytesTotales, 100 + 101 + 102 + 103 + 104);
    EXPECT_EQ(oyente.avisos,
              (std::vector<std::string>{tmp.Ruta("dst/") + "|Docs (1)|C|CreatedFolder"}));
}

TEST_F(CopiaTest, AFileCopiedOntoALongerOneInsideATreeLeavesNoStaleTail) {
    tmp.ArchivoConTexto("src/t/f.txt", "short");
    tmp.ArchivoConTexto("dst/t/f.txt", "a much longer older text");
    const auto i = t.AgregarOperacion(TIPO_COPIAR, "", "", {});
    EXPECT_EQ(t.CopiarCarpeta(i, tmp.Ruta("src/t"), tmp.Ruta("dst/t"), false), 5);
    EXPECT_EQ(LeerTodo(tmp.Ruta("dst/t/f.txt")), "short");
}

TEST_F(CopiaTest, AFolderIsNeverCopiedOrMovedIntoItself) {
    tmp.ArchivoConTexto("Docs/a", "A");
    tmp.Carpeta("Docs/sub");
    fs::create_directory_symlink(tmp.Ruta("Docs/sub"), tmp.Ruta("via"));
    for (const std::string& destino : {tmp.Ruta("Docs/sub"), tmp.Ruta("Docs"), tmp.Ruta("via/")}) {
        for (auto tipo : {TIPO_COPIAR, TIPO_MOVER}) {
            const auto i = Ejecutar(tipo, destino, {tmp.Ruta("Docs")});
            EXPECT_EQ(Op(i).Estado, ESTADO_TERMINADA);
            ASSERT_EQ(Op(i).Log.size(), 1u) << destino;
            EXPECT_EQ(Op(i).Log[0], std::string("Failed trying ") + (tipo == TIPO_MOVER ? "move" : "copy") +
                                        " \"" + tmp.Ruta("Docs") +
                                        "\": Can't copy or move a folder into itself. (22)");
        }
    }
    EXPECT_TRUE(fs::is_empty(tmp.Ruta("Docs/sub")));
    EXPECT_EQ(LeerTodo(tmp.Ruta("Docs/a")), "A");
    EXPECT_FALSE(Existe(tmp.Ruta("Docs/Docs")));
}

TEST_F(CopiaTest, AFolderOntoAFileOfItsNameStopsBeforeCopyingAnything) {
    const std::string a = tmp.ArchivoConTexto("src/a.txt", "A");
    tmp.ArchivoConTexto("src/Docs/x", "X");
    tmp.ArchivoConTexto("dst/Docs", "a file");
    const auto i = Ejecutar(TIPO_COPIAR, tmp.Ruta("dst/"), {a, tmp.Ruta("src/Docs")});
    ASSERT_EQ(Op(i).Log.size(), 1u);
    EXPECT_EQ(Op(i).Log[0], "Error: can't copy from folder to a file.");
    EXPECT_EQ(Op(i).Estado, ESTADO_TERMINADA);
    EXPECT_FALSE(Existe(tmp.Ruta("dst/a.txt")));
}

TEST_F(CopiaTest, MovingWithinAFileSystemRenames) {
    const std::string origen = tmp.ArchivoConTexto("src/m.txt", "move me");
    tmp.ArchivoConTexto("src/Tree/in/x", "X");
    const auto i = Ejecutar(TIPO_MOVER, tmp.Carpeta("dst"), {origen, tmp.Ruta("src/Tree")});
    EXPECT_EQ(t.TextoErrores(i), "(Sin errores)");
    EXPECT_FALSE(Existe(origen));
    EXPECT_FALSE(Existe(tmp.Ruta("src/Tree")));
    EXPECT_EQ(LeerTodo(tmp.Ruta("dst/m.txt")), "move me");
    EXPECT_EQ(LeerTodo(tmp.Ruta("dst/Tree/in/x")), "X");
    EXPECT_EQ(Op(i).BytesHechos, 0);  // nothing was copied
}

TEST_F(CopiaTest, MovingAcrossFileSystemsCopiesThenDeletesTheSource) {
    BajoNivelConFallos fallos;
    fallos.renombrarOtroDispositivo = true;
    const std::string origen = tmp.ArchivoConTexto("src/m.txt", Contenido(5000));
    tmp.ArchivoConTexto("src/Tree/in/x", "X");
    tmp.Carpeta("src/Tree/empty");
    fs::create_symlink("in/x", tmp.Ruta("src/Tree/lx"));
    const auto i = Ejecutar(TIPO_MOVER, tmp.Carpeta("dst"), {origen, tmp.Ruta("src/Tree")});
    EXPECT_EQ(t.TextoErrores(i), "(Sin errores)");
    EXPECT_EQ(LeerTodo(tmp.Ruta("dst/m.txt")), Contenido(5000));
    EXPECT_EQ(LeerTodo(tmp.Ruta("dst/Tree/in/x")), "X");
    EXPECT_TRUE(fs::is_directory(tmp.Ruta("dst/Tree/empty")));
    EXPECT_EQ(fs::read_symlink(tmp.Ruta("dst/Tree/lx")), "in/x");
    EXPECT_FALSE(Existe(origen));
    EXPECT_FALSE(Existe(tmp.Ruta("src/Tree")));
    EXPECT_EQ(Op(i).BytesHechos, 5001);
}

TEST_F(CopiaTest, AFailedMoveKeepsItsSourceAndRemovesThePartialTarget) {
    BajoNivelConFallos fallos;
    fallos.renombrarOtroDispositivo = true;
    fallos.sinCopiaKernel = true;
    fallos.errorLectura = EIO;
    const std::string origen = tmp.ArchivoConTexto("src/Tree/x", "keep me");
    tmp.ArchivoConTexto("src/Tree/y", "me too");
    const auto i = Ejecutar(TIPO_MOVER, tmp.Carpeta("dst"), {tmp.Ruta("src/Tree")});
    EXPECT_EQ(Op(i).Estado, ESTADO_TERMINADA);
    ASSERT_EQ(Op(i).Log.size(), 2u);
    EXPECT_NE(Op(i).Log[0].find("Failed trying move \"" + tmp.Ruta("src/Tree/")), std::string::npos);
    EXPECT_NE(Op(i).Log[0].find("Error reading '"), std::string::npos);
    EXPECT_NE(Op(i).Log[0].find("Input/output error (45605)"), std::string::npos);
    EXPECT_EQ(LeerTodo(origen), "keep me");
    EXPECT_EQ(LeerTodo(tmp.Ruta("src/Tree/y")), "me too");
    EXPECT_TRUE(fs::is_empty(tmp.Ruta("dst/Tree")));
}

TEST_F(CopiaTest, AnExistingFileThatWasNeverWrittenSurvivesAFailedCopy) {
    BajoNivelConFallos fallos;
    fallos.sinCopiaKernel = true;
    fallos.errorLectura = EIO;
    tmp.ArchivoConTexto("src/t/f", "new");
    tmp.ArchivoConTexto("dst/t/f", "the user's own file");
    const auto i = t.AgregarOperacion(TIPO_COPIAR, "", "", {});
    EXPECT_EQ(t.CopiarCarpeta(i, tmp.Ruta("src/t"), tmp.Ruta("dst/t"), false), 0);
    EXPECT_EQ(Op(i).NumErrores, 1);
    EXPECT_EQ(LeerTodo(tmp.Ruta("dst/t/f")), "the user's own file");
}

TEST_F(CopiaTest, ATargetWhoseParentIsAFileFailsWithTheDesignedLine) {
    const std::string origen = tmp.ArchivoConTexto("src/a.txt", "A");
    const std::string archivo = tmp.ArchivoConTexto("plain", "not a folder");
    const auto i = Ejecutar(TIPO_COPIAR, archivo + "/", {origen});
    EXPECT_EQ(Op(i).Estado, ESTADO_TERMINADA);
    ASSERT_EQ(Op(i).Log.size(), 1u);
    EXPECT_EQ(Op(i).Log[0], "Failed trying copy \"" + origen + "\": Error opening '" + archivo +
                                "/a.txt'.\r\nError 20\r\nNot a directory (45602)");
    EXPECT_EQ(LeerTodo(archivo), "not a folder");
    EXPECT_EQ(LeerTodo(origen), "A");
}

}  // namespace
}  // namespace quirvex
