#include "folder/orden.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "folder/texto.h"

namespace quirvex {
namespace {

// Items with their sort keys beside them, as a sort gets them.
struct ConOrden {
    TablaItems t;
    std::vector<ClaveOrden> claves;
    void Ordenar(int criterio) { OrdenarItems(t, claves, t.size(), criterio); }
};

ConOrden ConClaves(const std::vector<std::string>& claves) {
    ConOrden r;
    for (size_t i = 0; i < claves.size(); ++i) {
        ItemCarpeta it;
        it.Nombre = std::to_string(i);  // remembers where it came from
        r.t.push_back(std::move(it));
        r.claves.push_back({claves[i], 0});
    }
    return r;
}

bool Ordenada(const ConOrden& t) {
    for (size_t i = 1; i < t.claves.size(); ++i)
        if (t.claves[i - 1].texto > t.claves[i].texto) return false;
    return true;
}

// The plain partition scheme without the depth guard, to check that the guarded sort leaves
// equal keys where the classic one does.
void Referencia(ConOrden& t, std::ptrdiff_t lo, std::ptrdiff_t hi) {
    if (lo >= hi) return;
    auto K = [&](std::ptrdiff_t i) -> const std::string& { return t.claves[static_cast<size_t>(i)].texto; };
    auto Cambiar = [&](std::ptrdiff_t i, std::ptrdiff_t j) {
        std::swap(t.t[static_cast<size_t>(i)], t.t[static_cast<size_t>(j)]);
        std::swap(t.claves[static_cast<size_t>(i)], t.claves[static_cast<size_t>(j)]);
    };
    const std::string p = K(hi);
    std::ptrdiff_t l = lo - 1, r = hi;
    for (;;) {
        do ++l; while (K(l) < p);
        do --r; while (r > 0 && K(r) > p);
        if (l >= r) break;
        Cambiar(l, r);
    }
    Cambiar(l, hi);
    Referencia(t, lo, l - 1);
    Referencia(t, l + 1, hi);
}

TEST(OrdenarItems, EqualKeysEndWhereTheClassicSchemeLeavesThem) {
    std::mt19937 azar(7);
    for (int ronda = 0; ronda < 50; ++ronda) {
        std::vector<std::string> claves;
        for (int i = 0; i < 40; ++i) claves.push_back(std::string(1, char('a' + azar() % 6)));
        ConOrden a = ConClaves(claves), b = a;
        a.Ordenar(ORDEN_NOMBRE);
        Referencia(b, 0, static_cast<std::ptrdiff_t>(b.t.size()) - 1);
        ASSERT_TRUE(Ordenada(a));
        for (size_t i = 0; i < a.t.size(); ++i) {
            ASSERT_EQ(a.t[i].Nombre, b.t[i].Nombre) << ronda;
            ASSERT_EQ(a.claves[i].texto, claves[std::stoul(a.t[i].Nombre)]) << ronda;
        }
    }
}

TEST(OrdenarItems, LargeSortedReversedAndUniformTablesFinish) {
    // 100,000 entries that arrive sorted overflow the stack of the unguarded scheme.
    for (int forma = 0; forma < 3; ++forma) {
        std::vector<std::string> claves;
        for (int i = 0; i < 100000; ++i) {
            char buf[16];
            const int v = forma == 0 ? i : (forma == 1 ? 100000 - i : 5);
            std::snprintf(buf, sizeof buf, "%08d", v);
            claves.push_back(buf);
        }
        ConOrden t = ConClaves(claves);
        t.Ordenar(ORDEN_NOMBRE);
        EXPECT_TRUE(Ordenada(t)) << forma;
    }
}

TEST(OrdenarItems, DatesSortChronologicallyAndSizesPastTenDigits) {
    ConOrden t = ConClaves({"0", "1", "2"});
    t.claves[0].fecha = 45000.5;
    t.claves[1].fecha = 30000.0;
    t.claves[2].fecha = 45000.25;
    t.Ordenar(ORDEN_MODIFICACION);
    EXPECT_EQ(t.claves[0].fecha, 30000.0);
    EXPECT_EQ(t.t[0].Nombre, "1");
    EXPECT_EQ(t.claves[2].fecha, 45000.5);
    EXPECT_EQ(t.t[2].Nombre, "0");

    EXPECT_LT(ClaveTamano(9'000'000'000), ClaveTamano(10'000'000'000));
    EXPECT_LT(ClaveTamano(2), ClaveTamano(10'000'000'000));
    EXPECT_EQ(ClaveTamano(5).size(), 20u);
}


// UTF-16 code units of a valid UTF-8 text: the order the sort must agree with.
std::u16string Utf16(const std::string& s) {
    std::u16string r;
    for (char32_t c : DecodificarUtf8(s)) {
        if (c < 0x10000) {
            r += static_cast<char16_t>(c);
        } else {
            r += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            r += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return r;
}

TEST(OrdenarClaves, TextsOrderAsTheirUtf16FormsWhateverStartTheyShare) {
    // Two characters past U+FFFF must compare both ways round, not "greater" both times.
    EXPECT_LT(CompararUtf16("\xf0\x90\x80\x80", "\xf1\x80\x80\x80"), 0);
    EXPECT_GT(CompararUtf16("\xf1\x80\x80\x80", "\xf0\x90\x80\x80"), 0);
    const std::vector<std::string> piezas = {"a", "b", "z", "\xc3\xa9", "\xee\x80\x80",
                                             "\xef\xbc\xa1", "\xf0\x90\x80\x80",
                                             "\xf1\x80\x80\x80", std::string(1, '\0')};
    std::mt19937 azar(11);
    for (int ronda = 0; ronda < 40; ++ronda) {
        // Half the rounds share a start longer than the eight bytes compared at once.
        const std::string comun = ronda % 2 ? "IMG_2024-06-01_" : "";
        std::set<std::string> unicas;
        while (unicas.size() < 300) {
            std::string t = comun;
            for (int k = static_cast<int>(azar() % 12); k > 0; --k) t += piezas[azar() % piezas.size()];
            unicas.insert(t);
        }
        std::vector<std::string> textos(unicas.begin(), unicas.end());
        std::shuffle(textos.begin(), textos.end(), azar);
        std::vector<ClaveIndice> claves(textos.size());
        for (size_t i = 0; i < textos.size(); ++i) {
            claves[i].texto = textos[i];
            claves[i].indice = static_cast<std::uint32_t>(i);
        }
        OrdenarClaves(claves, TipoClave::Texto);
        for (size_t i = 1; i < claves.size(); ++i)
            ASSERT_LT(Utf16(textos[claves[i - 1].indice]), Utf16(textos[claves[i].indice]))
                << "round " << ronda << " at " << i;
    }
}

TEST(OrdenarClaves, SizesAsNumbersEndAsTheirPaddedTextsDoTiesIncluded) {
    std::mt19937 azar(3);
    for (int ronda = 0; ronda < 30; ++ronda) {
        // Few distinct sizes, so most keys tie; 0 stands for a folder, whose text is empty.
        std::vector<std::uint64_t> numeros(200);
        for (auto& n : numeros) n = azar() % 6 == 0 ? 0 : 1 + (azar() % 5) * 1'000'000'007ULL;
        std::vector<std::string> textos;
        for (auto n : numeros) textos.push_back(n == 0 ? "" : ClaveTamano(static_cast<std::int64_t>(n - 1)));
        std::vector<ClaveIndice> comoNumero(numeros.size()), comoTexto(numeros.size());
        for (size_t i = 0; i < numeros.size(); ++i) {
            comoNumero[i].entero = numeros[i];
            comoNumero[i].indice = comoTexto[i].indice = static_cast<std::uint32_t>(i);
            comoTexto[i].texto = textos[i];
        }
        OrdenarClaves(comoNumero, TipoClave::Entero);
        OrdenarClaves(comoTexto, TipoClave::Texto);
        for (size_t i = 0; i < numeros.size(); ++i) ASSERT_EQ(comoNumero[i].indice, comoTexto[i].indice) << ronda;
    }
}

}  // namespace
}  // namespace quirvex
