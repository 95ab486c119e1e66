// The search engine on real trees, compared with `find` and `ls -f` run on the same tree, and
// on a scripted listing where the cadence of its yields and its cancel points are the subject.

#include "search/busqueda.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>

#include "platform/listado_nombres.h"
#include "support/nucleo_limpio.h"

namespace quirvex::prueba {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Lineas(const std::string& orden) {
    std::vector<std::string> r;
    FILE* p = popen(orden.c_str(), "r");
    if (!p) return r;
    char buffer[4096];
    while (fgets(buffer, sizeof buffer, p)) {
        std::string l = buffer;
        if (!l.empty() && l.back() == '\n') l.pop_back();
        r.push_back(l);
    }
    pclose(p);
    return r;
}

std::string Comillas(const std::string& s) { return "'" + s + "'"; }

class BusquedaTest : public NucleoLimpio {
protected:
    std::shared_ptr<cBusqueda> Buscar(const std::string& texto, const std::vector<std::string>& carpetas,
                                      const AvisosBusqueda& avisos = {}) {
        auto b = std::make_shared<cBusqueda>();
        b->Buscando = true;
        const PatronBusqueda patron(PatronDeBusqueda(texto));
        ContadoresBusqueda c;
        for (const std::string& carpeta : carpetas) BuscarEnCarpeta(patron, carpeta, b, c, avisos);
        return b;
    }
    static std::vector<std::string> Rutas(const cBusqueda& b) {
        std::vector<std::string> r;
        for (std::size_t i = 0; i < b.Resultados.size(); ++i) r.push_back(b.RutaCompleta(i));
        return r;
    }
};

TEST(PatronBusqueda, TheTypedTextGetsAStarAtEachEnd) {
    EXPECT_EQ(PatronDeBusqueda("abc"), "*abc*");
    EXPECT_EQ(PatronDeBusqueda("*.txt"), "*.txt*");
    EXPECT_EQ(PatronDeBusqueda("a*"), "*a*");
    EXPECT_EQ(PatronDeBusqueda(""), "**");
    EXPECT_EQ(PatronDeBusqueda("*"), "**");
}

TEST(PatronBusqueda, OnlyStarAndQuestionMarkAreSpecialAndCaseIsIgnored) {
    const PatronBusqueda txt(PatronDeBusqueda("txt"));
    EXPECT_TRUE(txt.Coincide("notes.txt"));
    EXPECT_TRUE(txt.Coincide("txtfile.doc"));
    EXPECT_TRUE(txt.Coincide("NOTES.TXT"));
    EXPECT_FALSE(txt.Coincide("notes.tx"));

    const PatronBusqueda q(PatronDeBusqueda("a?c"));
    EXPECT_TRUE(q.Coincide("xxABCyy"));
    EXPECT_FALSE(q.Coincide("ac"));
    // "#" and "[" are plain characters here, not a digit or a class.
    EXPECT_TRUE(PatronBusqueda("*#1*").Coincide("tema #1.mp3"));
    EXPECT_FALSE(PatronBusqueda("*#1*").Coincide("tema 11.mp3"));
    EXPECT_TRUE(PatronBusqueda("*[ab]*").Coincide("x[AB]y"));
    EXPECT_FALSE(PatronBusqueda("*[ab]*").Coincide("xay"));
    EXPECT_TRUE(PatronBusqueda("**").Coincide(""));
    // Backtracking over several stars.
    EXPECT_TRUE(PatronBusqueda("*a*b*c*").Coincide("xxaxxbxxbxxc"));
    EXPECT_FALSE(PatronBusqueda("*a*b*c*").Coincide("xxcxxbxxa"));
}

TEST(PatronBusqueda, NonLatinNamesMatchWithoutRegardToCase) {
    EXPECT_TRUE(PatronBusqueda(PatronDeBusqueda("ÉTÉ")).Coincide("photos été.jpg"));
    EXPECT_TRUE(PatronBusqueda(PatronDeBusqueda("ñandú")).Coincide("ÑANDÚ.txt"));
    EXPECT_TRUE(PatronBusqueda(PatronDeBusqueda("привет")).Coincide("ПРИВЕТ.doc"));
    // One "?" is one character, not one byte.
    EXPECT_TRUE(PatronBusqueda("a?b").Coincide("añb"));
    // A name with bytes that are not UTF-8 still matches on its other characters.
    EXPECT_TRUE(PatronBusqueda(PatronDeBusqueda("log")).Coincide(std::string("x\xff.LOG")));
    EXPECT_FALSE(PatronBusqueda(PatronDeBusqueda("é")).Coincide(std::string("x\xff")));
}

// One code point as UTF-8.
std::string Utf8(char32_t c) {
    std::string s;
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += static_cast<char>(0xC0 | (c >> 6));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        s += static_cast<char>(0xE0 | (c >> 12));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | (c >> 18));
        s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
    return s;
}

// Both ways round, and both in an ASCII name (folded byte by byte) and in a name that also holds
// a non-ASCII character (decoded first).
::testing::AssertionResult Pliegan(char32_t minuscula, char32_t mayuscula) {
    for (const auto& [patron, nombre] : {std::pair{minuscula, mayuscula}, std::pair{mayuscula, minuscula}}) {
        for (const std::string& resto : {std::string("x"), Utf8(0x00E9)}) {
            if (!PatronBusqueda("*" + Utf8(patron) + "*").Coincide(resto + Utf8(nombre) + resto))
                return ::testing::AssertionFailure() << "code point " << static_cast<unsigned>(patron)
                                                     << " misses " << static_cast<unsigned>(nombre);
        }
    }
    return ::testing::AssertionSuccess();
}

TEST(PatronBusqueda, CaseFoldsEveryRangeUpToItsFirstAndLastLetter) {
    // ASCII: every letter, and the characters just outside both ranges stay apart.
    for (char32_t c = 'a'; c <= 'z'; ++c) EXPECT_TRUE(Pliegan(c, c - 0x20));
    EXPECT_FALSE(PatronBusqueda("*@*").Coincide("x`x"));
    EXPECT_FALSE(PatronBusqueda("*[*").Coincide("x{x"));
    EXPECT_FALSE(PatronBusqueda("*`*").Coincide("x@x"));
    EXPECT_FALSE(PatronBusqueda("*{*").Coincide("x[x"));
    // The first and last letter of each script's range, in two, three and four UTF-8 bytes.
    const std::pair<char32_t, char32_t> extremos[] = {
        {0x00E0, 0x00C0}, {0x00FE, 0x00DE},  // Latin-1: à À, þ Þ
        {0x0101, 0x0100}, {0x017E, 0x017D},  // Latin Extended-A: ā Ā, ž Ž
        {0x03B1, 0x0391}, {0x03C9, 0x03A9},  // Greek: α Α, ω Ω
        {0x0430, 0x0410}, {0x044F, 0x042F},  // Cyrillic: а А, я Я
        {0x0450, 0x0400}, {0x045F, 0x040F},  // Cyrillic: ѐ Ѐ, џ Џ
        {0x0561, 0x0531}, {0x0586, 0x0556},  // Armenian: ա Ա, ֆ Ֆ
        {0xFF41, 0xFF21}, {0xFF5A, 0xFF3A},  // fullwidth Latin: ａ Ａ, ｚ Ｚ
        {0x10428, 0x10400}, {0x1044F, 0x10427},  // Deseret
    };
    for (const auto& [minuscula, mayuscula] : extremos) EXPECT_TRUE(Pliegan(minuscula, mayuscula));
    // Beside Latin-1's lower range lie signs with no case: × and ÷ stay apart.
    EXPECT_FALSE(PatronBusqueda("*" + Utf8(0x00D7) + "*").Coincide("x" + Utf8(0x00F7)));
}

TEST_F(BusquedaTest, NamesHoldingWildcardCharactersAreFoundAndMatchedLiterally) {
    for (const char* n : {"a*b", "a?b", "a[b", "a#b", "ab", "*star", "q?", "zz"}) tmp.Archivo(n);
    auto nombres = [&](const std::string& texto) {
        std::set<std::string> r;
        for (const std::string& h : Rutas(*Buscar(texto, {tmp.Ruta()}))) r.insert(h.substr(tmp.Ruta().size()));
        return r;
    };
    using S = std::set<std::string>;
    // Plain text: the same files as find, the names with "*" and "?" among them.
    std::set<std::string> deFind;
    for (const std::string& l : Lineas("find " + Comillas(tmp.Ruta()) + " -type f -iname '*A*'"))
        deFind.insert(l.substr(tmp.Ruta().size()));
    EXPECT_EQ(nombres("a"), deFind);
    EXPECT_EQ(nombres("a"), (S{"a*b", "a?b", "a[b", "a#b", "ab", "*star"}));
    EXPECT_EQ(nombres("B"), (S{"a*b", "a?b", "a[b", "a#b", "ab"}));
    // The pattern's own "*" and "?" stay wildcards, whatever the name holds where they fall.
    EXPECT_EQ(nombres("a*b"), (S{"a*b", "a?b", "a[b", "a#b", "ab"}));
    EXPECT_EQ(nombres("a?b"), (S{"a*b", "a?b", "a[b", "a#b"}));
    EXPECT_EQ(nombres("?star"), (S{"*star"}));
    EXPECT_EQ(nombres("q?"), (S{"q?"}));
    EXPECT_EQ(nombres("*"), (S{"a*b", "a?b", "a[b", "a#b", "ab", "*star", "q?", "zz"}));
    // Every other character is itself.
    EXPECT_EQ(nombres("[b"), (S{"a[b"}));
    EXPECT_EQ(nombres("#"), (S{"a#b"}));
    EXPECT_EQ(nombres("a[b]"), S{});
}

TEST(AgregarCarpetaTest, NewFoldersGoFirstAndTheSameFolderIsListedOnce) {
    std::vector<std::string> l;
    EXPECT_TRUE(AgregarCarpeta(l, "/a/"));
    EXPECT_TRUE(AgregarCarpeta(l, "/b/"));
    EXPECT_FALSE(AgregarCarpeta(l, "/a/"));
    // Two names that differ in case are two different folders here.
    EXPECT_TRUE(AgregarCarpeta(l, "/A/"));
    EXPECT_FALSE(AgregarCarpeta(l, ""));
    EXPECT_EQ(l, (std::vector<std::string>{"/A/", "/b/", "/a/"}));
}

TEST_F(BusquedaTest, FindsTheSameFilesAsFindInTheDesignedOrder) {
    // Three levels, mixed case, names that match only through case folding, folders whose
    // names match (never hits), and decoys.
    for (int i = 0; i < 6; ++i) {
        const std::string d = "d" + std::to_string(i) + "/";
        tmp.Archivo(d + "Report-" + std::to_string(i) + ".TXT");
        tmp.Archivo(d + "other" + std::to_string(i) + ".bin");
        for (int j = 0; j < 4; ++j) {
            const std::string e = d + "sub" + std::to_string(j) + "/";
            tmp.Archivo(e + "a" + std::to_string(j) + ".txt");
            tmp.Archivo(e + "deep/TXTnote" + std::to_string(j));
            tmp.Archivo(e + "x.dat");
        }
    }
    tmp.Carpeta("folder.txt.d");
    tmp.Archivo("top.txt");
    const auto b = Buscar("txt", {tmp.Ruta()});

    std::vector<std::string> esperado =
        Lineas("find " + Comillas(tmp.Ruta()) + " -iname '*txt*' ! -type d");
    std::vector<std::string> hallado = Rutas(*b);
    ASSERT_EQ(hallado.size(), 6u * (1 + 4 * 2) + 1);
    std::sort(esperado.begin(), esperado.end());
    std::vector<std::string> ordenado = hallado;
    std::sort(ordenado.begin(), ordenado.end());
    EXPECT_EQ(ordenado, esperado);

    // Order: each folder's hits are together, after the hits of every folder below it, and in
    // the order the folder lists them; sibling subtrees follow the parent's listing order.
    auto carpetaDe = [](const std::string& r) { return r.substr(0, r.rfind('/') + 1); };
    std::map<std::string, std::size_t> primera, ultima;
    for (std::size_t i = 0; i < hallado.size(); ++i) {
        const std::string c = carpetaDe(hallado[i]);
        if (!primera.count(c)) primera[c] = i;
        ultima[c] = i;
    }
    for (const auto& [c, desde] : primera) {
        EXPECT_EQ(ultima[c] - desde + 1,
                  static_cast<std::size_t>(std::count_if(hallado.begin(), hallado.end(),
                      [&](const std::string& r) { return carpetaDe(r) == c; })))
            << c << " hits are not together";
        for (const auto& par : primera) {
            const std::string& otra = par.first;
            if (otra != c && otra.rfind(c, 0) == 0) {
                EXPECT_LT(ultima[otra], desde) << otra << " listed after " << c;
            }
        }
        // The folder's own listing order.
        std::vector<std::string> listado = Lineas("ls -f " + Comillas(c));
        std::vector<std::size_t> posiciones;
        for (std::size_t i = desde; i <= ultima[c]; ++i) {
            const std::string nombre = hallado[i].substr(c.size());
            posiciones.push_back(static_cast<std::size_t>(
                std::find(listado.begin(), listado.end(), nombre) - listado.begin()));
        }
        EXPECT_TRUE(std::is_sorted(posiciones.begin(), posiciones.end())) << c;
    }
    const std::vector<std::string> raiz = Lineas("ls -f " + Comillas(tmp.Ruta()));
    std::vector<std::size_t> subarboles;
    for (const std::string& h : hallado) {
        const std::string resto = h.substr(tmp.Ruta().size());
        if (resto.find('/') == std::string::npos) continue;
        const std::string primeraParte = resto.substr(0, resto.find('/'));
        subarboles.push_back(static_cast<std::size_t>(
            std::find(raiz.begin(), raiz.end(), primeraParte) - raiz.begin()));
    }
    EXPECT_TRUE(std::is_sorted(subarboles.begin(), subarboles.end()));
    EXPECT_EQ(hallado.back(), tmp.Ruta("top.txt"));
    EXPECT_EQ(b->Linea(b->Resultados.size() - 1), "top.txt\t\t" + tmp.Ruta());
}

TEST_F(BusquedaTest, SeveralFoldersAreSearchedInListOrderAndAMissingOneIsSkipped) {
    tmp.Archivo("uno/a.txt");
    tmp.Archivo("dos/b.txt");
    const auto b = Buscar(".txt", {tmp.Ruta("dos"), tmp.Ruta("no-such/"), tmp.Ruta("uno/")});
    EXPECT_EQ(Rutas(*b), (std::vector<std::string>{tmp.Ruta("dos/b.txt"), tmp.Ruta("uno/a.txt")}));
}

TEST_F(BusquedaTest, LinkedFoldersAreNotEnteredButLinkedFilesAreHits) {
    tmp.Archivo("real/hit.txt");
    fs::create_directory_symlink(tmp.Ruta("real"), tmp.Ruta("real/loop.txt"));
    fs::create_symlink(tmp.Ruta("real/hit.txt"), tmp.Ruta("real/alias.txt"));
    fs::create_symlink(tmp.Ruta("nowhere"), tmp.Ruta("real/dangling.txt"));
    const auto b = Buscar("txt", {tmp.Ruta()});
    std::vector<std::string> r = Rutas(*b);
    std::sort(r.begin(), r.end());
    EXPECT_EQ(r, (std::vector<std::string>{tmp.Ruta("real/alias.txt"), tmp.Ruta("real/dangling.txt"),
                                           tmp.Ruta("real/hit.txt")}));
}

TEST_F(BusquedaTest, AnUnreadableSubfolderIsSkippedAndTheRestIsFound) {
    tmp.Archivo("abierta/a.txt");
    tmp.Archivo("cerrada/b.txt");
    tmp.Archivo("c.txt");
    fs::permissions(tmp.Ruta("cerrada"), fs::perms::none);
    std::error_code ec;
    fs::directory_iterator prueba(tmp.Ruta("cerrada"), ec);
    if (!ec) GTEST_SKIP() << "running with rights that read any folder";
    const auto b = Buscar("txt", {tmp.Ruta()});
    EXPECT_EQ(Rutas(*b), (std::vector<std::string>{tmp.Ruta("abierta/a.txt"), tmp.Ruta("c.txt")}));
}

// A scripted tree: folder path -> entries in listing order.
class ListadoGuion final : public ListadoNombres {
public:
    ListadoGuion() { SetListadoNombres(this); }
    ~ListadoGuion() override { SetListadoNombres(nullptr); }
    bool Listar(const std::string& carpeta,
                const std::function<bool(std::string_view, ClaseEntrada)>& porEntrada) override {
        ++listados;
        auto it = arbol.find(carpeta);
        if (it == arbol.end()) return false;
        for (const auto& [nombre, clase] : it->second)
            if (!porEntrada(nombre, clase)) break;
        return true;
    }
    std::map<std::string, std::vector<std::pair<std::string, ClaseEntrada>>> arbol;
    int listados = 0;
};

TEST_F(BusquedaTest, YieldsEveryTwentyFoldersAndEveryThirtyHits) {
    ListadoGuion guion;
    auto& raiz = guion.arbol["/r/"];
    for (int i = 0; i < 45; ++i) {
        const std::string n = "c" + std::to_string(i);
        raiz.push_back({n, ClaseEntrada::Carpeta});
        guion.arbol["/r/" + n + "/"] = {};
    }
    for (int i = 0; i < 75; ++i) raiz.push_back({"f" + std::to_string(i) + ".txt", ClaseEntrada::Archivo});
    int cesiones = 0;
    std::vector<std::size_t> progreso;
    AvisosBusqueda avisos;
    avisos.DejarCorrer = [&] { ++cesiones; };
    avisos.Progreso = [&](std::size_t n) { progreso.push_back(n); };
    const auto b = Buscar("txt", {"/r/"}, avisos);
    EXPECT_EQ(b->Resultados.size(), 75u);
    // Before folders 1, 21 and 41; before hits 1, 31 and 61.
    EXPECT_EQ(progreso, (std::vector<std::size_t>{0, 30, 60}));
    EXPECT_EQ(cesiones, 3 + 3);
}

TEST_F(BusquedaTest, CancelDuringAYieldKeepsTheHitsAndListsNothingMore) {
    ListadoGuion guion;
    for (int i = 0; i < 50; ++i) {
        const std::string c = "/r/c" + std::to_string(i) + "/";
        guion.arbol["/r/"].push_back({"c" + std::to_string(i), ClaseEntrada::Carpeta});
        for (int k = 0; k < 40; ++k) guion.arbol[c].push_back({"h" + std::to_string(k), ClaseEntrada::Archivo});
    }
    std::shared_ptr<cBusqueda> b;
    int cesiones = 0;
    AvisosBusqueda avisos;
    avisos.DejarCorrer = [&] {
        if (++cesiones == 5) b->Buscando = false;
    };
    b = std::make_shared<cBusqueda>();
    b->Buscando = true;
    ContadoresBusqueda c;
    BuscarEnCarpeta(PatronBusqueda("**"), "/r", b, c, avisos);
    // Yields before folder 1, before hits 1, 31, 61 and 91: the fifth, in the third folder,
    // cancels; its hits so far stay and no fourth folder is listed.
    EXPECT_EQ(b->Resultados.size(), 90u);
    EXPECT_EQ(cesiones, 5);
    EXPECT_EQ(guion.listados, 4);
    EXPECT_EQ(c.archivos, 90);
}

TEST_F(BusquedaTest, AWindowDroppedDuringAYieldLeavesTheWalkOnItsOwnState) {
    ListadoGuion guion;
    for (int i = 0; i < 30; ++i) guion.arbol["/r/"].push_back({"c" + std::to_string(i), ClaseEntrada::Carpeta});
    for (int i = 0; i < 30; ++i) guion.arbol["/r/c" + std::to_string(i) + "/"] = {{"a", ClaseEntrada::Archivo}};
    auto ventana = std::make_shared<cBusqueda>();
    ventana->Buscando = true;
    std::weak_ptr<cBusqueda> testigo = ventana;
    AvisosBusqueda avisos;
    // The window's own reference goes away, as a closed tab's does; its destructor stops the
    // search. Under the address sanitizer a walk on freed state would fail here.
    avisos.DejarCorrer = [&] {
        if (!ventana) return;
        ventana->Buscando = false;
        ventana.reset();
    };
    ContadoresBusqueda c;
    BuscarEnCarpeta(PatronBusqueda("**"), "/r/", ventana, c, avisos);
    EXPECT_TRUE(testigo.expired());
}

TEST_F(BusquedaTest, AFolderThatCannotBeListedIsSkippedWithItsSubtree) {
    ListadoGuion guion;
    guion.arbol["/r/"] = {{"abierta", ClaseEntrada::Carpeta}, {"cerrada", ClaseEntrada::Carpeta},
                          {"c.txt", ClaseEntrada::Archivo}};
    guion.arbol["/r/abierta/"] = {{"a.txt", ClaseEntrada::Archivo}};
    // "/r/cerrada/" is not in the script: listing it fails, as a folder without access does.
    const auto b = Buscar("txt", {"/r/"});
    EXPECT_EQ(Rutas(*b), (std::vector<std::string>{"/r/abierta/a.txt", "/r/c.txt"}));
}

TEST_F(BusquedaTest, TheFinalStatusLineReadsAsDesigned) {
    EXPECT_EQ(TextoFinBusqueda(12, 0.25), "Found 12 files in 0.25 seconds");
    EXPECT_EQ(TextoFinBusqueda(0, 3.0), "Found 0 files in 3 seconds");
    EXPECT_EQ(TextoSegundos(1.5004), "1.5");
}

}  // namespace
}  // namespace quirvex::prueba
