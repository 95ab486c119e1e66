// The map of names on a real temporary tree: ranking, case folding, following changes folder by
// folder, and an index file that is either taken whole or not at all.

#include <gtest/gtest.h>

#include <filesystem>

#include "search/indice_nombres.h"
#include "support/carpeta_temporal.h"

namespace quirvex::prueba {
namespace {

namespace fs = std::filesystem;

class IndiceNombres : public ::testing::Test {
protected:
    std::vector<std::string> Rutas(std::string_view texto, std::size_t limite = 100) {
        std::vector<std::uint32_t> a;
        total = indice.Buscar(texto, limite, a);
        std::vector<std::string> r;
        for (std::uint32_t e : a)
            r.push_back(indice.RutaCarpeta(indice.CarpetaDe(e)).substr(tmp.Ruta().size()) +
                        std::string(indice.Nombre(e)));
        return r;
    }
    void Releer(const std::string& relativa) {
        auto id = indice.CarpetaPorRuta(tmp.Ruta(relativa));
        ASSERT_TRUE(id) << relativa;
        indice.ReleerCarpeta(*id, ArbolSistema(), nullptr);
    }
    CarpetaTemporal tmp;
    cIndiceNombres indice;
    std::uint64_t total = 0;
};

TEST_F(IndiceNombres, HitsRankWholeNameThenPrefixThenElsewhereShallowerFirst) {
    tmp.Archivo("a/b/c/informe");       // whole, deep
    tmp.Archivo("informe");             // whole, shallow
    tmp.Archivo("a/informe-2024.txt");  // prefix
    tmp.Archivo("informes.pdf");        // prefix, shallower
    tmp.Archivo("a/b/mi-informe");      // elsewhere
    tmp.Archivo("viejo_INFORME.doc");   // elsewhere, other case
    tmp.Archivo("nada.txt");
    indice.Construir({tmp.Ruta()}, ArbolSistema());
    EXPECT_EQ(Rutas("Informe"), (std::vector<std::string>{"informe", "a/b/c/informe", "informes.pdf",
                                                          "a/informe-2024.txt", "viejo_INFORME.doc",
                                                          "a/b/mi-informe"}));
    EXPECT_EQ(total, 6u);
    // The limit keeps the best ones and still counts them all.
    EXPECT_EQ(Rutas("informe", 2), (std::vector<std::string>{"informe", "a/b/c/informe"}));
    EXPECT_EQ(total, 6u);
    EXPECT_TRUE(Rutas("zzz").empty());
    EXPECT_TRUE(Rutas("").empty());
    // Folders are names too; a text never matches across the end of one name.
    EXPECT_EQ(Rutas("a"), (std::vector<std::string>{"a", "nada.txt"}));
    EXPECT_TRUE(Rutas("ainf").empty());
}

TEST_F(IndiceNombres, CaseFoldingCoversOtherScriptsAndLongTextsUseTheWideScan) {
    tmp.Archivo("ÑANDÚ.txt");
    tmp.Archivo("Привет мир.doc");
    tmp.Archivo("carpeta/un nombre bastante largo para el barrido ancho.txt");
    for (int i = 0; i < 200; ++i) tmp.Archivo("relleno/archivo-" + std::to_string(i) + ".bin");
    indice.Construir({tmp.Ruta()}, ArbolSistema());
    EXPECT_EQ(Rutas("ñandú"), (std::vector<std::string>{"ÑANDÚ.txt"}));
    EXPECT_EQ(Rutas("ПРИВЕТ"), (std::vector<std::string>{"Привет мир.doc"}));
    EXPECT_EQ(Rutas("BARRIDO ANCHO"),
              (std::vector<std::string>{"carpeta/un nombre bastante largo para el barrido ancho.txt"}));
    EXPECT_EQ(Rutas("archivo-19").size(), 11u);  // 19 and 190..199
    EXPECT_EQ(Rutas(".bin", 1000).size(), 200u);
}

TEST_F(IndiceNombres, ListingAFolderAgainFollowsCreatesRenamesAndDeletes) {
    tmp.Archivo("docs/viejo.txt");
    tmp.Archivo("docs/sub/hondo.txt");
    indice.Construir({tmp.Ruta()}, ArbolSistema());
    ASSERT_EQ(Rutas("hondo"), (std::vector<std::string>{"docs/sub/hondo.txt"}));

    tmp.Archivo("docs/nuevo.txt");
    fs::rename(tmp.Ruta("docs/sub"), tmp.Ruta("docs/renombrada"));
    tmp.Archivo("docs/renombrada/mas/otro.txt");
    fs::remove(tmp.Ruta("docs/viejo.txt"));
    Releer("docs");
    EXPECT_EQ(Rutas("nuevo"), (std::vector<std::string>{"docs/nuevo.txt"}));
    EXPECT_TRUE(Rutas("viejo").empty());
    EXPECT_EQ(Rutas("hondo"), (std::vector<std::string>{"docs/renombrada/hondo.txt"}));
    EXPECT_EQ(Rutas("otro"), (std::vector<std::string>{"docs/renombrada/mas/otro.txt"}));
    EXPECT_FALSE(indice.CarpetaPorRuta(tmp.Ruta("docs/sub/")));
    EXPECT_TRUE(indice.CarpetaPorRuta(tmp.Ruta("docs/renombrada/mas/")));

    fs::remove_all(tmp.Ruta("docs"));
    Releer("");
    EXPECT_TRUE(Rutas("o").empty());
    EXPECT_EQ(indice.Nombres(), 0u);
    EXPECT_EQ(indice.CarpetasVivas(), 1u);
}

TEST_F(IndiceNombres, ManyChangesCompactTheBuffersWithoutLosingAName) {
    for (int i = 0; i < 50; ++i) tmp.Archivo("d/f" + std::to_string(i));
    tmp.Archivo("fijo/queda.txt");
    indice.Construir({tmp.Ruta()}, ArbolSistema());
    for (int vuelta = 0; vuelta < 120; ++vuelta) {
        tmp.Archivo("d/extra" + std::to_string(vuelta));
        Releer("d");
    }
    EXPECT_EQ(indice.Nombres(), 50u + 120u + 1u + 2u);  // files, extras, queda.txt, two folders
    EXPECT_EQ(Rutas("queda"), (std::vector<std::string>{"fijo/queda.txt"}));
    EXPECT_EQ(Rutas("extra", 1000).size(), 120u);
    EXPECT_EQ(Rutas("extra119"), (std::vector<std::string>{"d/extra119"}));
}

TEST_F(IndiceNombres, RevisarListsAgainOnlyFoldersWhoseTimeMoved) {
    tmp.Archivo("a/uno");
    tmp.Archivo("b/dos");
    indice.Construir({tmp.Ruta()}, ArbolSistema());
    EXPECT_EQ(indice.Revisar(ArbolSistema(), {}, nullptr), 0u);
    tmp.Archivo("b/tres");
    fs::remove_all(tmp.Ruta("a"));
    EXPECT_GE(indice.Revisar(ArbolSistema(), {}, nullptr), 1u);
    EXPECT_EQ(Rutas("tres"), (std::vector<std::string>{"b/tres"}));
    EXPECT_TRUE(Rutas("uno").empty());
    EXPECT_FALSE(indice.CarpetaPorRuta(tmp.Ruta("a/")));
}

TEST_F(IndiceNombres, TheFileImageLoadsBackAndAnyDamageIsRefused) {
    tmp.Archivo("a/aaa-1.txt");
    tmp.Archivo("a/aaa-2.txt");
    tmp.Archivo("b/c/Ω.txt");
    indice.Construir({tmp.Ruta()}, ArbolSistema());
    const std::string imagen = indice.Serializar();

    cIndiceNombres otro;
    ASSERT_TRUE(otro.Cargar(imagen));
    EXPECT_EQ(otro.Nombres(), indice.Nombres());
    EXPECT_EQ(otro.Serializar(), imagen);
    std::vector<std::uint32_t> a;
    EXPECT_EQ(otro.Buscar("aaa-2", 10, a), 1u);
    EXPECT_EQ(otro.RutaCarpeta(otro.CarpetaDe(a[0])), tmp.Ruta("a/"));

    for (std::size_t n = 0; n < imagen.size(); ++n) {
        EXPECT_FALSE(otro.Cargar(imagen.substr(0, n))) << "cut at " << n;
        EXPECT_EQ(otro.Nombres(), 0u);
    }
    for (std::size_t i = 0; i < imagen.size(); ++i) {
        std::string danada = imagen;
        danada[i] = static_cast<char>(danada[i] ^ 0x20);
        EXPECT_FALSE(otro.Cargar(danada)) << "byte " << i;
    }
    EXPECT_FALSE(otro.Cargar(imagen + '\0'));
}

TEST_F(IndiceNombres, ALinkedFolderIsANameAndIsNotEntered) {
    tmp.Archivo("real/dentro.txt");
    fs::create_directory_symlink(tmp.Ruta("real"), tmp.Ruta("enlace"));
    fs::create_directory_symlink(tmp.Ruta(), tmp.Ruta("real/bucle"));
    indice.Construir({tmp.Ruta()}, ArbolSistema());
    EXPECT_EQ(Rutas("dentro"), (std::vector<std::string>{"real/dentro.txt"}));
    EXPECT_EQ(Rutas("enlace"), (std::vector<std::string>{"enlace"}));
}

}  // namespace
}  // namespace quirvex::prueba
