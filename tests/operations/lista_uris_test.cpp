// File-list texts of the clipboard: exact bytes in, exact bytes out.

#include <gtest/gtest.h>

#include "operations/lista_uris.h"

namespace quirvex {
namespace {

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
