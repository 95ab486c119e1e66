// File-list texts of the clipboard: exact bytes in, exact bytes out.

#include <gtest/gtest.h>

#include "operations/lista_uris.h"
#include "support/memoria_pedida.h"

namespace quirvex {
namespace {

using prueba::BytesPedidos;

TEST(ListaUrisTest, EncodesEveryByteThatIsNotPlainAndDecodesItBack) {
    EXPECT_EQ(UriDeRuta("/tmp/a b%c/caf\xE9.txt"), "file:///tmp/a%20b%25c/caf%E9.txt");
    EXPECT_EQ(UriDeRuta("/x/\xC3\xB1#?"), "file:///x/%C3%B1%23%3F");
    // Every byte a Linux name may hold survives the round trip.
    std::string nombre = "/t/";
    for (int b = 1; b < 256; ++b)
        if (b != '/') nombre += static_cast<char>(b);
    std::string vuelta;
    ASSERT_TRUE(RutaDeUri(UriDeRuta(nombre), vuelta));
    EXPECT_EQ(vuelta, nombre);
}

TEST(ListaUrisTest, AcceptsOnlyLocalFileUris) {
    std::string r;
    EXPECT_TRUE(RutaDeUri("file:///a/b%20c", r));
    EXPECT_EQ(r, "/a/b c");
    EXPECT_TRUE(RutaDeUri("FILE://localhost/a", r));
    EXPECT_EQ(r, "/a");
    EXPECT_TRUE(RutaDeUri("file:/a/b", r));
    EXPECT_EQ(r, "/a/b");
    EXPECT_FALSE(RutaDeUri("http://host/a", r));
    EXPECT_FALSE(RutaDeUri("file://otro/a", r));
    EXPECT_FALSE(RutaDeUri("file://localhostx/a", r));
    EXPECT_FALSE(RutaDeUri("file:relativa", r));
    EXPECT_FALSE(RutaDeUri("file:///a%2", r));
    EXPECT_FALSE(RutaDeUri("file:///a%zz", r));
    EXPECT_FALSE(RutaDeUri("file:///a%00b", r));  // a NUL would cut the path short
}

// Each of these names a different file than the path a lenient reader would cut it down to
// (/etc/passwd exists on every machine): the whole URI is refused.
TEST(ListaUrisTest, UrisThatWouldBeCutShortAreRefusedWhole) {
    using namespace std::string_literals;
    std::string r = "unchanged";
    EXPECT_FALSE(RutaDeUri("file:///etc/passwd\0.bak"s, r));
    EXPECT_FALSE(RutaDeUri("file:///etc/passwd?version=2", r));
    EXPECT_FALSE(RutaDeUri("file:///etc/passwd#old", r));
    EXPECT_FALSE(RutaDeUri("file:///etc/?/passwd", r));
    EXPECT_FALSE(RutaDeUri("file://elsewhere.example/etc/passwd", r));
    EXPECT_FALSE(RutaDeUri("file://localhost\0/etc/passwd"s, r));
    // The same characters encoded are ordinary name bytes.
    EXPECT_TRUE(RutaDeUri("file:///tmp/a%23b%3Fc", r));
    EXPECT_EQ(r, "/tmp/a#b?c");

    // In a list only the refused lines go; the rest keep their order.
    const std::string lista = "file:///etc/passwd#x\r\nfile:///a\r\nfile:///etc/passwd\0x\r\n"
                              "file:///etc/passwd?q\r\nfile:///b%23\r\n"s;
    EXPECT_EQ(RutasDeListaUris(lista), (std::vector<std::string>{"/a", "/b#"}));
    std::vector<std::string> rutas;
    bool cortar = false;
    ASSERT_TRUE(RutasDeArchivosCopiados("copy\nfile:///etc/passwd#x\nfile:///a"s, rutas, cortar));
    EXPECT_EQ(rutas, (std::vector<std::string>{"/a"}));
    // Plain text with one such line is not a file list at all.
    EXPECT_FALSE(RutasDeTextoPlano("file:///a\nfile:///etc/passwd?x\n", rutas));
    EXPECT_TRUE(rutas.empty());
    // A terminating NUL after the whole text is a C string's end, not part of a URI.
    EXPECT_EQ(RutasDeListaUris("file:///a\r\n\0"s), (std::vector<std::string>{"/a"}));
    EXPECT_EQ(RutasDeListaUris("file:///a\0\0"s), (std::vector<std::string>{"/a"}));
}

TEST(ListaUrisTest, HugeListsOfBlankLinesCostNoMemoryPerLine) {
    const std::string blancas(2 * 1024 * 1024, '\n');
    const std::string blancasCrLf = [] {
        std::string s;
        for (int i = 0; i < 1024 * 1024; ++i) s += "\r\n";
        return s;
    }();
    // Nothing the readers keep grows with the number of lines.
    const std::size_t tope = 64 * 1024;
    std::vector<std::string> rutas;
    bool cortar = false;
    EXPECT_LT(BytesPedidos([&] { EXPECT_TRUE(RutasDeListaUris(blancas).empty()); }), tope);
    EXPECT_LT(BytesPedidos([&] { EXPECT_TRUE(RutasDeListaUris(blancasCrLf).empty()); }), tope);
    EXPECT_LT(BytesPedidos([&] { EXPECT_FALSE(RutasDeTextoPlano(blancas, rutas)); }), tope);
    const std::string copiadas = "copy" + blancas;
    EXPECT_LT(BytesPedidos([&] { EXPECT_TRUE(RutasDeArchivosCopiados(copiadas, rutas, cortar)); }),
              tope);
    EXPECT_TRUE(rutas.empty());

    // A real list among the blank lines costs about its paths.
    const std::string mezcla = blancas + "file:///tmp/x\n" + blancas;
    EXPECT_LT(BytesPedidos([&] { EXPECT_EQ(RutasDeListaUris(mezcla).size(), 1u); }), tope);
}

TEST(ListaUrisTest, UriListKeepsOrderAndSkipsCommentsAndOtherSchemes) {
    const std::vector<std::string> rutas = {"/a/x y", "/b/%", "/c/\xFF"};
    const std::string texto = TextoListaUris(rutas);
    EXPECT_EQ(texto, "file:///a/x%20y\r\nfile:///b/%25\r\nfile:///c/%FF\r\n");
    EXPECT_EQ(RutasDeListaUris(texto), rutas);
    EXPECT_EQ(RutasDeListaUris("# comment\r\n\r\nhttp://x/y\nfile:///z\n"),
              (std::vector<std::string>{"/z"}));
}

TEST(ListaUrisTest, CopiedFilesCarryCopyOrCut) {
    const std::vector<std::string> rutas = {"/a b", "/c"};
    EXPECT_EQ(TextoArchivosCopiados(rutas, false), "copy\nfile:///a%20b\nfile:///c");
    std::vector<std::string> leidas;
    bool cortar = true;
    ASSERT_TRUE(RutasDeArchivosCopiados(TextoArchivosCopiados(rutas, false), leidas, cortar));
    EXPECT_FALSE(cortar);
    EXPECT_EQ(leidas, rutas);
    ASSERT_TRUE(RutasDeArchivosCopiados("cut\r\nfile:///q\r\n", leidas, cortar));
    EXPECT_TRUE(cortar);
    EXPECT_EQ(leidas, (std::vector<std::string>{"/q"}));
    EXPECT_FALSE(RutasDeArchivosCopiados("paste\nfile:///q", leidas, cortar));
    EXPECT_FALSE(RutasDeArchivosCopiados("", leidas, cortar));
}

TEST(ListaUrisTest, PlainTextIsAFileListOnlyWhenEveryLineIsAFileUri) {
    std::vector<std::string> rutas;
    EXPECT_TRUE(RutasDeTextoPlano("file:///a/b\n  file:///c%20d  \n\n", rutas));
    EXPECT_EQ(rutas, (std::vector<std::string>{"/a/b", "/c d"}));
    EXPECT_FALSE(RutasDeTextoPlano("see file:///a/b\n", rutas));
    EXPECT_TRUE(rutas.empty());
    EXPECT_FALSE(RutasDeTextoPlano("file:///a\nhello", rutas));
    EXPECT_TRUE(rutas.empty());
    EXPECT_FALSE(RutasDeTextoPlano("", rutas));
}

}  // namespace
}  // namespace quirvex
