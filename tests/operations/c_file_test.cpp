#include "operations/c_file.h"

#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

#include "support/carpeta_temporal.h"

namespace quirvex {
namespace {

using prueba::CarpetaTemporal;

std::string Leer(const std::string& ruta) {
    std::ifstream f(ruta, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

std::span<const std::byte> Bytes(const std::string& s) {
    return std::as_bytes(std::span<const char>(s.data(), s.size()));
}

TEST(cFileTest, OpeningForWritingKeepsTheTailAndTellsWhetherItCreated) {
    CarpetaTemporal tmp;
    const std::string ruta = tmp.ArchivoConTexto("a.bin", "0123456789");
    cFile f;
    ASSERT_TRUE(f.OpenFile(ruta, false));
    EXPECT_FALSE(f.Creado());
    ASSERT_TRUE(f.WriteBytes(Bytes("ab")));
    EXPECT_TRUE(f.CloseFile());
    EXPECT_EQ(Leer(ruta), "ab23456789");

    ASSERT_TRUE(f.OpenFile(tmp.Ruta("nuevo.bin"), false));
    EXPECT_TRUE(f.Creado());
    ASSERT_TRUE(f.WriteBytes(Bytes("xyz")));
    ASSERT_TRUE(f.SetLength(2));
    f.CloseFile();
    EXPECT_EQ(Leer(tmp.Ruta("nuevo.bin")), "xy");
}

TEST(cFileTest, ASecondOpenFailsAndKeepsTheFirstFile) {
    CarpetaTemporal tmp;
    const std::string a = tmp.ArchivoConTexto("a", "A");
    const std::string b = tmp.ArchivoConTexto("b", "B");
    cFile f;
    ASSERT_TRUE(f.OpenFile(a, true));
    EXPECT_FALSE(f.OpenFile(b, true));
    EXPECT_EQ(f.Fallo().numero, FALLO_YA_ABIERTO);
    EXPECT_EQ(f.Fallo().descripcion, "The file '" + a + "' is already open.");
    EXPECT_EQ(f.Fallo().fuente, "Win32File Object");
    EXPECT_EQ(f.FileName(), a);
    std::byte c{};
    ASSERT_TRUE(f.ReadBytes(std::span<std::byte>(&c, 1)));
    EXPECT_EQ(static_cast<char>(c), 'A');
    EXPECT_TRUE(f.CloseFile());
    EXPECT_TRUE(f.CloseFile());  // nothing open: nothing to do
    EXPECT_FALSE(f.IsOpen());
    EXPECT_EQ(f.FileName(), "");
}

TEST(cFileTest, FailuresCarryTheirNumberAndTheSystemMessage) {
    CarpetaTemporal tmp;
    cFile f;
    const std::string falta = tmp.Ruta("falta");
    EXPECT_FALSE(f.OpenFile(falta, true));
    EXPECT_EQ(f.Fallo().numero, FALLO_APERTURA);
    EXPECT_EQ(f.Fallo().descripcion,
              "Error opening '" + falta + "'.\r\nError 2\r\nNo such file or directory");
    EXPECT_FALSE(f.IsOpen());

    // Reading past the end is a failure, never a buffer padded with zeros.
    ASSERT_TRUE(f.OpenFile(tmp.ArchivoConTexto("corto", "abc"), true));
    std::vector<std::byte> datos(10);
    EXPECT_FALSE(f.ReadBytes(std::span<std::byte>(datos)));
    EXPECT_EQ(f.Fallo().numero, FALLO_LECTURA);
    EXPECT_TRUE(f.ReadBytes(0).empty());

    // Writing to a file opened read-only fails and says so.
    ASSERT_TRUE(f.SeekAbsolute(0, 1));
    EXPECT_EQ(f.ReadBytes(2).size(), 2u);
    EXPECT_FALSE(f.WriteBytes(Bytes("z")));
    EXPECT_EQ(f.Fallo().numero, FALLO_ESCRITURA);
    EXPECT_FALSE(f.SeekRelative(-100));
    EXPECT_EQ(f.Fallo().numero, FALLO_POSICION);
    f.CloseFile();
    EXPECT_FALSE(f.WriteBytes(Bytes("z")));
    EXPECT_EQ(f.Fallo().numero, FALLO_SIN_ARCHIVO);
}

TEST(cFileTest, RefusesFoldersFifosAndLinksWhereItWrites) {
    CarpetaTemporal tmp;
    cFile f;
    EXPECT_FALSE(f.OpenFile(tmp.Carpeta("dir"), true));
    const std::string fifo = tmp.Ruta("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const auto inicio = std::chrono::steady_clock::now();
    EXPECT_FALSE(f.OpenFile(fifo, true));  // must not wait for a writer
    EXPECT_LT(std::chrono::steady_clock::now() - inicio, std::chrono::seconds(2));

    const std::string victima = tmp.ArchivoConTexto("victima", "keep");
    std::filesystem::create_symlink(victima, tmp.Ruta("enlace"));
    EXPECT_FALSE(f.OpenFile(tmp.Ruta("enlace"), false));
    EXPECT_EQ(Leer(victima), "keep");
}

}  // namespace
}  // namespace quirvex
