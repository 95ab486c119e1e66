#include "pane/busqueda_tecleada.h"

#include <gtest/gtest.h>

namespace quirvex {
namespace {

class BusquedaTecleada : public ::testing::Test {
protected:
    void Cargar(std::vector<std::string> nombres) {
        items.assign(nombres.size(), ItemCarpeta{});
        for (std::size_t i = 0; i < nombres.size(); ++i) {
            items[i].Nombre = nombres[i];
            items[i].Tipo = TIPO_ARCHIVO;
        }
        sel.Reiniciar(static_cast<int>(nombres.size()));
    }
    void TearDown() override { EXPECT_EQ(sel.Verificar(), ""); }

    TablaItems items;
    cSeleccionVisor sel{items};
    cBusquedaTecleada busqueda;
};

TEST_F(BusquedaTecleada, TextGrowsWithinOneSecondAndSearchWraps) {
    Cargar({"print", "alpha", "photo", "beta", "zeta", "rojo"});
    sel.SELECCIONAR(2, SEL_EXCLUSIVA, false);
    // The current item already begins with P: nothing moves.
    EXPECT_EQ(busqueda.AddStrSel("P", 10000, &sel, true), -1);
    EXPECT_EQ(sel.sActual(), 2);
    // "PR" within the second: first match after the current item, wrapping to the top.
    EXPECT_EQ(busqueda.AddStrSel("R", 10900, &sel, true), 0);
    EXPECT_EQ(sel.sActual(), 0);
    EXPECT_EQ(sel.nSel(), 1);
    EXPECT_EQ(busqueda.Texto(), "PR");
    // After more than a second R stands alone.
    EXPECT_EQ(busqueda.AddStrSel("R", 11901, &sel, true), 5);
    EXPECT_EQ(busqueda.Texto(), "R");
    // Exactly one second later the text still grows; no "RZ" anywhere: nothing changes.
    EXPECT_EQ(busqueda.AddStrSel("Z", 12901, &sel, true), -1);
    EXPECT_EQ(busqueda.Texto(), "RZ");
    EXPECT_EQ(sel.sActual(), 5);
}

TEST_F(BusquedaTecleada, WithoutCurrentItemTheSearchStartsAtTheTop) {
    Cargar({"b", "a1", "a2"});
    EXPECT_EQ(busqueda.AddStrSel("A", 0, &sel, false), 1);
    EXPECT_EQ(busqueda.AddStrSel("1", 100, &sel, false), -1);  // "A1": a1 still fits
    // Names shorter than the text never match.
    EXPECT_EQ(busqueda.AddStrSel("X", 200, &sel, false), -1);
    EXPECT_EQ(sel.sActual(), 1);
    EXPECT_EQ(sel.nSel(), 1);
}

TEST_F(BusquedaTecleada, SkippedLeadingSigns) {
    Cargar({"zz", "(abc", "_abc"});
    sel.SELECCIONAR(0, SEL_EXCLUSIVA, false);
    EXPECT_EQ(busqueda.AddStrSel("A", 0, &sel, true), 2);  // underscore yes, parenthesis no
    busqueda.Limpiar();
    sel.SELECCIONAR(0, SEL_EXCLUSIVA, false);
    EXPECT_EQ(busqueda.AddStrSel("A", 0, &sel, false), -1);
    // A parenthesised name that is already current stays current.
    busqueda.Limpiar();
    sel.SELECCIONAR(1, SEL_EXCLUSIVA, false);
    EXPECT_EQ(busqueda.AddStrSel("A", 0, &sel, true), -1);
    EXPECT_EQ(sel.sActual(), 1);
    // A name that is only the sign is not longer than the text.
    Cargar({"zz", "_"});
    EXPECT_EQ(busqueda.AddStrSel("_", 5000, &sel, true), 1);
}

TEST_F(BusquedaTecleada, AccentedLettersCompareInUpperCase) {
    Cargar({"nube", "ñandú", "Ñu"});
    EXPECT_EQ(busqueda.AddStrSel("Ñ", 0, &sel, true), 1);
    EXPECT_EQ(MayusculasNombre("ñandú straße"), "ÑANDÚ STRAßE");
    EXPECT_EQ(MayusculasNombre("\xff\xfe"), "\xff\xfe");
}

TEST_F(BusquedaTecleada, NoActivePaneStillRecordsTheText) {
    Cargar({"a"});
    EXPECT_EQ(busqueda.AddStrSel("A", 0, nullptr, true), -1);
    EXPECT_EQ(busqueda.AddStrSel("B", 10, nullptr, true), -1);
    EXPECT_EQ(busqueda.Texto(), "AB");
    busqueda.Limpiar();
    EXPECT_EQ(busqueda.Texto(), "");
    // A clock that went backwards starts afresh.
    busqueda.AddStrSel("C", 5000, nullptr, true);
    busqueda.AddStrSel("D", 100, nullptr, true);
    EXPECT_EQ(busqueda.Texto(), "D");
}

}  // namespace
}  // namespace quirvex
