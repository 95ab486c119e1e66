#include "folder/orden.h"

#include <gtest/gtest.h>

#include <random>

namespace quirvex {
namespace {

TablaItems ConClaves(const std::vector<std::string>& claves) {
    TablaItems t;
    for (size_t i = 0; i < claves.size(); ++i) {
        ItemCarpeta it;
        it.Orden.texto = claves[i];
        it.Nombre = std::to_string(i);  // remembers where it came from
        t.push_back(std::move(it));
    }
    return t;
}

bool Ordenada(const TablaItems& t) {
    for (size_t i = 1; i < t.size(); ++i)
        if (t[i - 1].Orden.texto > t[i].Orden.texto) return false;
    return true;
}

// The plain partition scheme without the depth guard, to check that the guarded sort leaves
// equal keys where the classic one does.
void Referencia(TablaItems& t, std::ptrdiff_t lo, std::ptrdiff_t hi) {
    if (lo >= hi) return;
    const std::string p = t[static_cast<size_t>(hi)].Orden.texto;
    std::ptrdiff_t l = lo - 1, r = hi;
    for (;;) {
        do ++l; while (t[static_cast<size_t>(l)].Orden.texto < p);
        do --r; while (r > 0 && t[static_cast<size_t>(r)].Orden.texto > p);
        if (l >= r) break;
        std::swap(t[static_cast<size_t>(l)], t[static_cast<size_t>(r)]);
    }
    std::swap(t[static_cast<size_t>(l)], t[static_cast<size_t>(hi)]);
    Referencia(t, lo, l - 1);
    Referencia(t, l + 1, hi);
}

TEST(OrdenarItems, EqualKeysEndWhereTheClassicSchemeLeavesThem) {
    std::mt19937 azar(7);
    for (int ronda = 0; ronda < 50; ++ronda) {
        std::vector<std::string> claves;
        for (int i = 0; i < 40; ++i) claves.push_back(std::string(1, char('a' + azar() % 6)));
        TablaItems a = ConClaves(claves), b = a;
        OrdenarItems(a, a.size(), ORDEN_NOMBRE);
        Referencia(b, 0, static_cast<std::ptrdiff_t>(b.size()) - 1);
        ASSERT_TRUE(Ordenada(a));
        for (size_t i = 0; i < a.size(); ++i) ASSERT_EQ(a[i].Nombre, b[i].Nombre) << ronda;
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
        TablaItems t = ConClaves(claves);
        OrdenarItems(t, t.size(), ORDEN_NOMBRE);
        EXPECT_TRUE(Ordenada(t)) << forma;
    }
}

TEST(OrdenarItems, DatesSortChronologicallyAndSizesPastTenDigits) {
    TablaItems t(3);
    t[0].Orden.fecha = 45000.5;
    t[1].Orden.fecha = 30000.0;
    t[2].Orden.fecha = 45000.25;
    OrdenarItems(t, t.size(), ORDEN_MODIFICACION);
    EXPECT_EQ(t[0].Orden.fecha, 30000.0);
    EXPECT_EQ(t[2].Orden.fecha, 45000.5);

    EXPECT_LT(ClaveTamano(9'000'000'000), ClaveTamano(10'000'000'000));
    EXPECT_LT(ClaveTamano(2), ClaveTamano(10'000'000'000));
    EXPECT_EQ(ClaveTamano(5).size(), 20u);
}

}  // namespace
}  // namespace quirvex
