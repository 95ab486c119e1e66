// The map of names on a real temporary tree: ranking, case folding, following changes folder by
// folder, and an index file that is either taken whole or not at all.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <random>
#include <tuple>

#include "folder/texto.h"
#include "search/indice_nombres.h"
#include "support/carpeta_temporal.h"

namespace quirvex::prueba {
namespace {

namespace fs = std::filesystem;

// An in-memory tree: thousands of names without touching the disk, changed between listings.
class ArbolFalso final : public ArbolIndice {
public:
    // Adds a file or folder (and the folders above it) under `raiz`.
    void Agregar(const std::string& relativa, bool carpeta) {
        std::string padre = raiz;
        std::size_t desde = 0;
        for (;;) {
            const std::size_t barra = relativa.find('/', desde);
            const bool ultimo = barra == std::string::npos;
            const std::string nombre = relativa.substr(desde, ultimo ? std::string::npos : barra - desde);
            const bool esCarpeta = !ultimo || carpeta;
            auto& lista = carpetas[padre];
            if (std::none_of(lista.begin(), lista.end(), [&](const NombreListado& n) { return n.nombre == nombre; })) {
                lista.push_back(NombreListado{nombre, esCarpeta});
                ++modificacion[padre];
            }
            if (esCarpeta) carpetas[padre + nombre + "/"];
            if (ultimo) return;
            padre += nombre + "/";
            desde = barra + 1;
        }
    }
    // Removes a name from its folder (a folder with all it holds).
    void Quitar(const std::string& carpeta, const std::string& nombre) {
        std::erase_if(carpetas[carpeta], [&](const NombreListado& n) { return n.nombre == nombre; });
        ++modificacion[carpeta];
        const std::string ruta = carpeta + nombre + "/";
        std::erase_if(carpetas, [&](const auto& par) { return par.first.starts_with(ruta); });
    }
    bool Listar(const std::string& carpeta, EstadoCarpeta& estado, std::vector<NombreListado>& nombres) override {
        nombres.clear();
        auto it = carpetas.find(carpeta);
        if (it == carpetas.end()) return false;
        estado = EstadoCarpeta{1, modificacion[carpeta]};
        nombres = it->second;
        return true;
    }
    std::optional<EstadoCarpeta> Consultar(const std::string& carpeta) override {
        if (!carpetas.count(carpeta)) return std::nullopt;
        return EstadoCarpeta{1, modificacion[carpeta]};
    }
    std::int64_t Tamano(const std::string&) override { return 0; }

    std::string raiz = "/falso/";
    std::map<std::string, std::vector<NombreListado>> carpetas{{"/falso/", {}}};
    std::map<std::string, std::int64_t> modificacion;
};

// What a plain reading of the rule gives: every live name holding the text, whole name before
// prefix before elsewhere, shallower folders first, then the order the index keeps.
std::pair<std::vector<std::string>, std::uint64_t> Referencia(const cIndiceNombres& ind, std::string_view texto,
                                                              std::size_t limite) {
    struct Fila {
        int clase;
        std::size_t profundidad;
        std::uint32_t pos;
        std::string ruta;
    };
    std::vector<Fila> filas;
    const std::string q = Minusculas(texto);
    for (std::uint32_t c = 0; c < ind.Carpetas().size(); ++c) {
        const std::string carpeta = ind.RutaCarpeta(c);
        for (std::uint32_t e : ind.EntradasDe(c)) {
            const std::string nombre(ind.Nombre(e));
            const std::string plegado = Minusculas(nombre);
            const std::size_t donde = plegado.find(q);
            if (donde == std::string::npos) continue;
            const int clase = donde != 0 ? 2 : plegado.size() == q.size() ? 0 : 1;
            filas.push_back(Fila{clase, static_cast<std::size_t>(std::count(carpeta.begin(), carpeta.end(), '/')), e,
                                 carpeta + nombre});
        }
    }
    std::sort(filas.begin(), filas.end(), [](const Fila& a, const Fila& b) {
        return std::tie(a.clase, a.profundidad, a.pos) < std::tie(b.clase, b.profundidad, b.pos);
    });
    std::vector<std::string> r;
    for (std::size_t i = 0; i < filas.size() && i < limite; ++i) r.push_back(filas[i].ruta);
    return {r, filas.size()};
}

std::vector<std::string> Obtenido(const cIndiceNombres& ind, std::string_view texto, std::size_t limite,
                                  std::uint64_t& total) {
    std::vector<std::uint32_t> a;
    total = ind.Buscar(texto, limite, a);
    std::vector<std::string> r;
    for (std::uint32_t e : a) r.push_back(ind.RutaCarpeta(ind.CarpetaDe(e)) + std::string(ind.Nombre(e)));
    return r;
}

TEST(IndiceNombresFalso, RankedHitsAndTotalsAgreeWithAPlainReadingThroughChangesAndAReload) {
    // Short pieces over few letters: most texts hit hundreds of names in every class, so the
    // limit, the class cut-off and the depth order all come into play.
    const char* piezas[] = {"ab", "ba", "a", "b", "AB", "ñ", "Ñ", "_", "x", "ab_"};
    std::mt19937 g(2024);
    ArbolFalso arbol;
    std::vector<std::string> carpetas{""};
    for (int i = 0; i < 3000; ++i) {
        std::string nombre;
        for (unsigned j = 0, n = 1 + g() % 4; j < n; ++j) nombre += piezas[g() % std::size(piezas)];
        const std::string& dentro = carpetas[g() % carpetas.size()];
        const bool esCarpeta = g() % 8 == 0 && dentro.size() < 40;
        arbol.Agregar(dentro + nombre, esCarpeta);
        if (esCarpeta) carpetas.push_back(dentro + nombre + "/");
    }
    cIndiceNombres indice;
    indice.Construir({arbol.raiz}, arbol);
    ASSERT_GT(indice.Nombres(), 2000u);

    const char* letras[] = {"a", "b", "ñ", "_", "x", "B", "Ñ"};
    // Every pass over the names this machine can run: the plain one, 16-byte and 32-byte, and
    // one-byte texts answered from the names' first bytes.
    std::vector<CaminoBarrido> caminos;
    for (CaminoBarrido c : {CaminoBarrido::Simple, CaminoBarrido::Sse2, CaminoBarrido::Avx2, CaminoBarrido::Iniciales})
        if (ForzarCaminoBarrido(c)) caminos.push_back(c);
    ForzarCaminoBarrido(CaminoBarrido::Auto);
    ASSERT_GE(caminos.size(), 1u);
    auto comprobar = [&](const cIndiceNombres& ind, const char* cuando) {
        for (CaminoBarrido camino : caminos) {
            ForzarCaminoBarrido(camino);
            std::mt19937 gq(7);
            for (int i = 0; i < 50; ++i) {
                std::string q;
                // Long texts too: the 16-byte compare of a candidate stops at 16.
                for (unsigned j = 0, n = 1 + gq() % (i % 5 == 0 ? 9 : 3); j < n; ++j) q += letras[gq() % std::size(letras)];
                for (std::size_t limite : {std::size_t{0}, std::size_t{1}, std::size_t{9}, std::size_t{100}}) {
                    std::uint64_t total = 0;
                    const auto [esperado, esperadoTotal] = Referencia(ind, q, limite);
                    EXPECT_EQ(Obtenido(ind, q, limite, total), esperado)
                        << cuando << ", pass " << static_cast<int>(camino) << ": '" << q << "' limit " << limite;
                    EXPECT_EQ(total, esperadoTotal) << cuando << ", pass " << static_cast<int>(camino) << ": '" << q << "'";
                }
            }
        }
        ForzarCaminoBarrido(CaminoBarrido::Auto);
    };
    comprobar(indice, "built");

    cIndiceNombres cargado;
    ASSERT_TRUE(cargado.Cargar(indice.Serializar()));
    // Kept by name in both, so equal hits come in the same order after a restart.
    for (const char* q : {"a", "ab", "_", "ñ"}) {
        std::uint64_t t1 = 0, t2 = 0;
        EXPECT_EQ(Obtenido(cargado, q, 100, t1), Obtenido(indice, q, 100, t2)) << q;
    }

    // Folders listed again, some names gone, new ones in, whole subtrees dropped: the retired
    // listings must never answer again, and enough of them compact the buffer.
    for (int vuelta = 0; vuelta < 400; ++vuelta) {
        const std::string carpeta = arbol.raiz + carpetas[g() % carpetas.size()];
        auto it = arbol.carpetas.find(carpeta);
        if (it == arbol.carpetas.end() || it->second.empty()) continue;
        const NombreListado quitado = it->second[g() % it->second.size()];
        arbol.Quitar(carpeta, quitado.nombre);
        arbol.Agregar(carpeta.substr(arbol.raiz.size()) + "Nuevo_ab" + std::to_string(vuelta), false);
        if (auto id = indice.CarpetaPorRuta(carpeta)) indice.ReleerCarpeta(*id, arbol, nullptr);
    }
    for (int vuelta = 0; vuelta < 300; ++vuelta) indice.ReleerCarpeta(0, arbol, nullptr);
    comprobar(indice, "after changes");
    ASSERT_TRUE(cargado.Cargar(indice.Serializar()));
    comprobar(cargado, "reloaded after changes");
}

// Every pass this machine can run, then back to the widest.
std::vector<CaminoBarrido> Caminos() {
    std::vector<CaminoBarrido> caminos;
    for (CaminoBarrido c : {CaminoBarrido::Simple, CaminoBarrido::Sse2, CaminoBarrido::Avx2, CaminoBarrido::Iniciales})
        if (ForzarCaminoBarrido(c)) caminos.push_back(c);
    ForzarCaminoBarrido(CaminoBarrido::Auto);
    return caminos;
}

// Every text at every limit, on every pass, ranks and counts as the plain reading does.
void CompararEnCadaPasada(const cIndiceNombres& indice, std::initializer_list<const char*> textos,
                          std::initializer_list<std::size_t> limites) {
    for (CaminoBarrido camino : Caminos()) {
        ForzarCaminoBarrido(camino);
        for (const char* q : textos) {
            for (std::size_t limite : limites) {
                std::uint64_t total = 0;
                const auto [esperado, esperadoTotal] = Referencia(indice, q, limite);
                EXPECT_EQ(Obtenido(indice, q, limite, total), esperado)
                    << "pass " << static_cast<int>(camino) << ": '" << q << "' limit " << limite;
                EXPECT_EQ(total, esperadoTotal) << "pass " << static_cast<int>(camino) << ": '" << q << "'";
            }
        }
    }
    ForzarCaminoBarrido(CaminoBarrido::Auto);
}

TEST(IndiceNombresFalso, NamesLongerThanARoundCountOneHitEachInEveryPass) {
    // Names of up to a few hundred bytes: a name spans several 64-byte rounds, its first hit may
    // be rounds after its start or in a round with no other candidate, and rounds between two
    // hits of one name may have none. Single letters and common texts rank whole names first.
    const char* piezas[] = {"a", "b", "xy", "ñ", "_", "B"};
    std::mt19937 g(99);
    ArbolFalso arbol;
    for (int i = 0; i < 1500; ++i) {
        std::string nombre;
        const unsigned largo = g() % 5 == 0 ? 1 : 1 + g() % 150;
        for (unsigned j = 0; j < largo; ++j) nombre += piezas[g() % (j % 40 == 39 ? 6 : 2)];
        arbol.Agregar("c" + std::to_string(g() % 30) + (g() % 3 ? "/d/" : "/") + nombre + std::to_string(i % 7), g() % 9 == 0);
    }
    cIndiceNombres indice;
    indice.Construir({arbol.raiz}, arbol);
    CompararEnCadaPasada(indice, {"a", "b", "ñ", "_", "xy", "ab", "ba", "bb", "a_b", "xya", "aaaa", "abababab", "c1", "3"},
                         {0, 1, 9, 100});
}

TEST(IndiceNombresFalso, AOneByteTextRanksItsHitsInsideNamesByDepthOnceShallowFoldersMoveToTheEnd) {
    // Few names begin with 'q', so hits inside names fill the limit. Listing the shallow folders
    // again puts them after the deep ones in the buffer: depth, not buffer order, must rank.
    ArbolFalso arbol;
    for (int i = 0; i < 40; ++i) {
        arbol.Agregar("a/b/c/hondo" + std::to_string(i) + "_q", false);
        arbol.Agregar("a/b/medio" + std::to_string(i) + "q", false);
    }
    arbol.Agregar("a/b/c/qprefijo", false);
    arbol.Agregar("a/b/c/q", false);
    arbol.Agregar("arriba_q", false);
    cIndiceNombres indice;
    indice.Construir({arbol.raiz}, arbol);
    arbol.Agregar("otro_q", false);
    arbol.Agregar("a/mitad_q", false);
    arbol.Quitar(arbol.raiz + "a/b/c/", "hondo3_q");
    for (const char* c : {"", "a/", "a/b/c/"}) indice.ReleerCarpeta(*indice.CarpetaPorRuta(arbol.raiz + c), arbol, nullptr);
    CompararEnCadaPasada(indice, {"q", "Q", "_", "o", "z"}, {1, 3, 5, 45, 100});
}

TEST(IndiceNombresFalso, TheStreamedImageIsTheWholeImageInBoundedPiecesAndStopsWhenTold) {
    // Names that share little with their neighbours, so the image is several pieces long.
    ArbolFalso arbol;
    std::mt19937 g(5);
    for (int i = 0; i < 80000; ++i) {
        std::string nombre = "Nombre ";
        for (int j = 0; j < 40; ++j) nombre += static_cast<char>('a' + g() % 26);
        arbol.Agregar("c" + std::to_string(i % 300) + "/" + nombre + " " + std::to_string(i) + ".txt", false);
    }
    cIndiceNombres indice;
    indice.Construir({arbol.raiz}, arbol);
    const std::string imagen = indice.Serializar();
    ASSERT_GT(imagen.size(), std::size_t{3} << 20);

    std::vector<std::string> piezas;
    ASSERT_TRUE(indice.Escribir([&](std::string_view p) {
        piezas.emplace_back(p);
        return true;
    }));
    std::string junto;
    for (const std::string& p : piezas) {
        EXPECT_LE(p.size(), std::size_t{2} << 20);
        junto += p;
    }
    EXPECT_GE(piezas.size(), 3u);
    EXPECT_EQ(junto, imagen);

    // Built and loaded answer alike and save to the same bytes.
    cIndiceNombres cargado;
    ASSERT_TRUE(cargado.Cargar(junto));
    EXPECT_EQ(cargado.Serializar(), imagen);
    std::uint64_t t1 = 0, t2 = 0;
    EXPECT_EQ(Obtenido(cargado, " 59", 100, t1), Obtenido(indice, " 59", 100, t2));
    EXPECT_EQ(t1, t2);
    EXPECT_EQ(t1, 1111u);

    int llamadas = 0;
    EXPECT_FALSE(indice.Escribir([&](std::string_view) { return ++llamadas < 2; }));
    EXPECT_EQ(llamadas, 2);
}

TEST(IndiceNombresFalso, FoldersAreFoundByParentAndNameAsTheyComeAndGo) {
    ArbolFalso arbol;
    for (int i = 0; i < 300; ++i) arbol.Agregar("d" + std::to_string(i % 30) + "/s" + std::to_string(i) + "/f", false);
    arbol.Agregar("vol/dentro/f", false);
    cIndiceNombres indice;
    indice.Construir({arbol.raiz, arbol.raiz + "vol/"}, arbol);
    for (int i = 0; i < 300; ++i) {
        const std::string ruta = arbol.raiz + "d" + std::to_string(i % 30) + "/s" + std::to_string(i) + "/";
        const auto id = indice.CarpetaPorRuta(ruta);
        ASSERT_TRUE(id) << ruta;
        EXPECT_EQ(indice.RutaCarpeta(*id), ruta);
        EXPECT_EQ(indice.CarpetaPorRuta(ruta.substr(0, ruta.size() - 1)), id) << "without the last slash";
    }
    EXPECT_FALSE(indice.CarpetaPorRuta(arbol.raiz + "d1//s1/"));
    EXPECT_FALSE(indice.CarpetaPorRuta(arbol.raiz + "d1/f/"));
    EXPECT_FALSE(indice.CarpetaPorRuta("/otra/"));
    // A volume inside another is its own root: its folders are found under it.
    const auto dentro = indice.CarpetaPorRuta(arbol.raiz + "vol/dentro/");
    ASSERT_TRUE(dentro);
    EXPECT_EQ(indice.Carpetas()[indice.Carpetas()[*dentro].padre].padre, cIndiceNombres::kNinguna);
    EXPECT_EQ(indice.NombreCarpeta(indice.Carpetas()[*dentro].padre), arbol.raiz + "vol/");

    for (int i = 0; i < 30; i += 2) arbol.Quitar(arbol.raiz, "d" + std::to_string(i));
    indice.ReleerCarpeta(*indice.CarpetaPorRuta(arbol.raiz), arbol, nullptr);
    for (int i = 0; i < 30; ++i) arbol.Agregar("d" + std::to_string(i) + "/otra vez", true);
    indice.Revisar(arbol, {}, nullptr);
    for (int i = 0; i < 300; ++i) {
        const std::string ruta = arbol.raiz + "d" + std::to_string(i % 30) + "/s" + std::to_string(i) + "/";
        EXPECT_EQ(indice.CarpetaPorRuta(ruta).has_value(), (i % 30) % 2 == 1) << ruta;
    }
    for (int i = 0; i < 30; ++i) {
        const std::string ruta = arbol.raiz + "d" + std::to_string(i) + "/otra vez/";
        const auto id = indice.CarpetaPorRuta(ruta);
        ASSERT_TRUE(id) << ruta;
        EXPECT_EQ(indice.RutaCarpeta(*id), ruta);
    }
    // Two roots, the d folders, the s folders left, the new ones, and vol/dentro seen from both.
    EXPECT_EQ(indice.CarpetasVivas(), 2u + 30u + 150u + 30u + 3u);
}

// A name that arrives in the same clock tick as the listing before it leaves the folder's time
// as it was: only a watch set before the listing, or a listing made long after the last change,
// proves a listing complete. Anything else must be listed again by the next look.
TEST(IndiceNombresFalso, AListingItsTimeCannotProveCompleteIsListedAgainUntilAWatchConfirmsIt) {
    ArbolFalso arbol;
    arbol.Agregar("caliente/uno", false);
    arbol.Agregar("fria/uno", false);
    arbol.Agregar("vigilada/uno", false);
    const std::int64_t ahora = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                   std::chrono::system_clock::now().time_since_epoch()).count();
    arbol.modificacion["/falso/caliente/"] = ahora;
    arbol.modificacion["/falso/vigilada/"] = ahora;
    std::vector<std::string> avisos;
    bool vigilar = true;
    cIndiceNombres indice;
    indice.antesDeListar = [&](std::uint32_t id, const std::string& ruta) {
        avisos.push_back(ruta);
        EXPECT_EQ(indice.RutaCarpeta(id), ruta);
        return vigilar && ruta.ends_with("/vigilada/");
    };
    indice.Construir({arbol.raiz}, arbol);
    // Told before every listing, parents first.
    EXPECT_EQ(avisos, (std::vector<std::string>{"/falso/", "/falso/caliente/", "/falso/fria/", "/falso/vigilada/"}));
    auto carpeta = [&](const cIndiceNombres& ind, const char* nombre) {
        return ind.Carpetas()[*ind.CarpetaPorRuta(arbol.raiz + nombre + "/")];
    };
    EXPECT_TRUE(carpeta(indice, "caliente").reciente);
    EXPECT_FALSE(carpeta(indice, "fria").reciente);
    EXPECT_FALSE(carpeta(indice, "caliente").confirmada);
    EXPECT_TRUE(carpeta(indice, "vigilada").confirmada);

    // A name in each, none moving a time: the recent one is listed again by any look; the cold
    // one's time is a proof; the watched one is the owner's to hear of.
    for (const char* c : {"/falso/caliente/", "/falso/fria/", "/falso/vigilada/"})
        arbol.carpetas[c].push_back(NombreListado{"mismo-tick", false});
    cIndiceNombres cargado;
    ASSERT_TRUE(cargado.Cargar(indice.Serializar()));
    EXPECT_TRUE(carpeta(cargado, "caliente").reciente) << "kept in the file image";
    EXPECT_EQ(cargado.Revisar(arbol, {}, nullptr), 2u);
    std::uint64_t total = 0;
    EXPECT_EQ(Obtenido(cargado, "mismo-tick", 10, total),
              (std::vector<std::string>{"/falso/caliente/mismo-tick", "/falso/vigilada/mismo-tick"}));

    const auto sinConfirmar = [&](std::uint32_t id) { return !indice.Carpetas()[id].confirmada; };
    avisos.clear();
    EXPECT_EQ(indice.Revisar(arbol, sinConfirmar, nullptr), 1u);
    EXPECT_EQ(Obtenido(indice, "mismo-tick", 10, total), (std::vector<std::string>{"/falso/caliente/mismo-tick"}));
    // The owner was asked before each look; a look that finds a folder unchanged under a watch
    // confirms it, and one without a watch does not.
    EXPECT_EQ(avisos, (std::vector<std::string>{"/falso/", "/falso/caliente/", "/falso/caliente/", "/falso/fria/"}));
    EXPECT_TRUE(carpeta(indice, "vigilada").confirmada);
    EXPECT_FALSE(carpeta(indice, "fria").confirmada);
    vigilar = false;
    EXPECT_EQ(indice.Revisar(arbol, {}, nullptr), 2u) << "the recent folders, listed again";
    EXPECT_FALSE(carpeta(indice, "vigilada").confirmada) << "listed again without a watch";
}

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
    // Changed long before the listing: an unchanged time proves the listing complete (a folder
    // changed within the last moments is listed again whatever its time says).
    for (const char* c : {"a", "b", ""}) tmp.FijarFecha(c, 1'600'000'000);
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
