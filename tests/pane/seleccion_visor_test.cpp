#include "pane/seleccion_visor.h"

#include <gtest/gtest.h>

#include <numeric>

namespace quirvex {
namespace {

class OyenteGrabador : public cOyenteVisor {
public:
    void RedibujarItem(int item) override { redibujados.push_back(item); }
    void RedibujarItems() override { ++redibujosTotales; }
    void ActualizarBarraEstado(int item) override { barraEstado = item; }
    void SeleccionVaciada() override { ++vaciadas; }
    void SetListaPortapapeles(const std::vector<std::string>& r) override { portapapeles = r; }

    std::vector<int> redibujados;
    int redibujosTotales = 0;
    int barraEstado = -2;
    int vaciadas = 0;
    std::vector<std::string> portapapeles;
};

// Files "f0".."fN" of size 10 * (index + 1); every third entry a folder.
TablaItems Tabla(int n) {
    TablaItems items(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        ItemCarpeta& it = items[static_cast<std::size_t>(i)];
        it.Nombre = "f" + std::to_string(i);
        it.Tipo = i % 3 == 0 ? TIPO_CARPETA : TIPO_ARCHIVO;
        it.Tamano = it.Tipo == TIPO_ARCHIVO ? 10 * (i + 1) : 4096;
    }
    return items;
}

std::vector<int> Orden(const cSeleccionVisor& sel) {
    std::vector<int> orden;
    for (const ItemSel& slot : sel.ListaSel()) orden.push_back(slot.Item);
    return orden;
}

class SeleccionVisor : public ::testing::Test {
protected:
    void Cargar(int n) {
        items = Tabla(n);
        sel.Reiniciar(n);
    }
    // Every change must leave the list, the table and the totals in step.
    void TearDown() override { EXPECT_EQ(sel.Verificar(), ""); }

    TablaItems items;
    OyenteGrabador oyente;
    cSeleccionVisor sel{items, &oyente};
};

using V = std::vector<int>;

TEST_F(SeleccionVisor, XpRangeFromTheAnchorKeepsTheAnchor) {
    Cargar(10);
    sel.SELECCIONAR(2, SEL_EXCLUSIVA, false);
    sel.SeleccionarConModo(5, MODO_SEL_XP, 4);
    EXPECT_EQ(Orden(sel), V({2, 3, 4, 5}));
    EXPECT_EQ(sel.sActual(), 5);
    EXPECT_EQ(sel.Ancla(), 2);
    sel.SeleccionarConModo(0, MODO_SEL_XP, 4);
    // Items outside 0..2 go, the kept item keeps its place, new ones follow in index order.
    EXPECT_EQ(Orden(sel), V({2, 0, 1}));
    EXPECT_EQ(items[0].PosSeleccion, 2);
    EXPECT_EQ(sel.Ancla(), 2);
    EXPECT_EQ(sel.Verificar(), "");
    sel.SeleccionarXP(10);  // outside the table: ignored
    EXPECT_EQ(Orden(sel), V({2, 0, 1}));
}

TEST_F(SeleccionVisor, XpRangeWithoutAnchorSelectsTheItemAlone) {
    Cargar(10);
    sel.SeleccionarXP(4);
    EXPECT_EQ(Orden(sel), V({4}));
    EXPECT_EQ(sel.Ancla(), 4);
    // A selection lying wholly outside the new range is replaced, the anchor stays.
    sel.SELECCIONAR(8, SEL_EXCLUSIVA, false);
    sel.SELECCIONAR(0, SEL_ALTERNAR, false);
    sel.SELECCIONAR(8, SEL_ALTERNAR, false);
    ASSERT_EQ(Orden(sel), V({0}));
    sel.SeleccionarXP(6);
    EXPECT_EQ(Orden(sel), V({6, 7, 8}));
    EXPECT_EQ(sel.Ancla(), 8);
    EXPECT_EQ(sel.sActual(), 6);
}

TEST_F(SeleccionVisor, RectangleRangeOfTheOldStyle) {
    Cargar(12);
    sel.SELECCIONAR(1, SEL_EXCLUSIVA, false);
    sel.SeleccionarConModo(10, MODO_SEL_9X, 4);
    EXPECT_EQ(Orden(sel), V({1, 2, 5, 6, 9, 10}));
    EXPECT_EQ(sel.sActual(), 10);
    sel.SeleccionarConModo(4, MODO_SEL_9X, 4);  // column 0..1, rows 0..1
    EXPECT_EQ(Orden(sel), V({1, 5, 0, 4}));
}

TEST_F(SeleccionVisor, RectangleStopsAtTheLastItemAndStartsAtZeroWithoutAnchor) {
    Cargar(10);
    sel.Seleccionar9X(9, 4);  // no anchor: from row 0, column 0 to row 2, column 1
    EXPECT_EQ(Orden(sel), V({0, 1, 4, 5, 8, 9}));
    sel.SELECCIONAR(3, SEL_EXCLUSIVA, false);
    sel.Seleccionar9X(8, 4);  // rows 0..2, columns 0..3: row 2 ends at item 9
    EXPECT_EQ(sel.nSel(), 10);
}

TEST_F(SeleccionVisor, MacStyleTogglesTheClickedItemOnly) {
    Cargar(6);
    sel.SELECCIONAR(3, SEL_EXCLUSIVA, false);
    sel.SeleccionarConModo(5, MODO_SEL_MAC, 4);
    EXPECT_EQ(Orden(sel), V({3, 5}));
    sel.SeleccionarConModo(5, MODO_SEL_MAC, 4);  // the current item toggles too
    EXPECT_EQ(Orden(sel), V({3}));
}

TEST_F(SeleccionVisor, SelectionKinds) {
    Cargar(6);
    EXPECT_FALSE(sel.SELECCIONAR(-1, SEL_EXCLUSIVA, true));
    EXPECT_FALSE(sel.SELECCIONAR(6, SEL_EXCLUSIVA, true));
    sel.SELECCIONAR(1, SEL_EXCLUSIVA, false);
    EXPECT_FALSE(sel.SELECCIONAR(1, SEL_ALTERNAR, false));  // already current, not forced
    EXPECT_EQ(Orden(sel), V({1}));
    sel.SELECCIONAR(4, SEL_SOLO_ACTUAL, false);  // moves the current item only
    EXPECT_EQ(sel.sActual(), 4);
    EXPECT_EQ(Orden(sel), V({1}));
    sel.SELECCIONAR(4, SEL_REPINTAR, true);
    EXPECT_EQ(Orden(sel), V({1}));
    sel.SELECCIONAR(2, SEL_ALTERNAR, false);
    sel.SELECCIONAR(5, SEL_ALTERNAR, false);
    EXPECT_EQ(Orden(sel), V({1, 2, 5}));
    EXPECT_EQ(sel.Ancla(), 1);  // toggling among others leaves the anchor
    sel.SELECCIONAR(1, SEL_ALTERNAR, false);  // removal from the middle renumbers the rest
    EXPECT_EQ(Orden(sel), V({2, 5}));
    EXPECT_EQ(items[5].PosSeleccion, 2);
    sel.SELECCIONAR(0, SEL_EXCLUSIVA, false);
    EXPECT_EQ(Orden(sel), V({0}));
    EXPECT_EQ(oyente.barraEstado, 0);
}

TEST_F(SeleccionVisor, TogglingTheOnlySelectedItemEmptiesTheSelection) {
    Cargar(6);
    sel.SELECCIONAR(2, SEL_EXCLUSIVA, false);
    oyente.vaciadas = 0;
    sel.SetSActual(-1);
    sel.SELECCIONAR(2, SEL_ALTERNAR, false);
    EXPECT_EQ(sel.nSel(), 0);
    EXPECT_EQ(sel.TotalSEL(), 0);
    EXPECT_EQ(oyente.vaciadas, 1);
    EXPECT_EQ(items[2].PosSeleccion, 0);
    // With nothing selected the next toggle sets the anchor.
    sel.SELECCIONAR(4, SEL_ALTERNAR, false);
    EXPECT_EQ(sel.Ancla(), 4);
}

TEST_F(SeleccionVisor, SelectAllKeepsTheEarlierOrderAndAppendsTheRest) {
    Cargar(6);
    sel.SELECCIONAR(3, SEL_EXCLUSIVA, false);
    sel.SeleccionarTODO();
    EXPECT_EQ(Orden(sel), V({3, 0, 1, 2, 4, 5}));
    EXPECT_EQ(oyente.barraEstado, 5);
    EXPECT_EQ(sel.sActual(), 3);
}

TEST_F(SeleccionVisor, InvertGivesTheOtherItemsInTableOrder) {
    Cargar(6);
    sel.SELECCIONAR(3, SEL_EXCLUSIVA, false);
    sel.SELECCIONAR(1, SEL_ALTERNAR, false);
    oyente.vaciadas = 0;
    sel.InvertirSeleccion();
    EXPECT_EQ(Orden(sel), V({0, 2, 4, 5}));
    EXPECT_EQ(oyente.vaciadas, 0);
    sel.InvertirSeleccion();
    EXPECT_EQ(Orden(sel), V({1, 3}));
    // {0, 1} one by one runs empty when item 1 is the last one left.
    sel.SeleccionarXP(0);
    sel.DeseleccionarTodo();
    sel.SELECCIONAR(0, SEL_EXCLUSIVA, true);
    sel.SELECCIONAR(1, SEL_ALTERNAR, true);
    oyente.vaciadas = 0;
    sel.InvertirSeleccion();
    EXPECT_EQ(Orden(sel), V({2, 3, 4, 5}));
    EXPECT_EQ(oyente.vaciadas, 1);
}

TEST_F(SeleccionVisor, TotalCountsFilesOnlyAndSelTipoCountsKinds) {
    Cargar(6);  // folders 0 and 3; files 1, 2, 4, 5 of 20, 30, 50, 60
    sel.SELECCIONAR(0, SEL_EXCLUSIVA, false);
    EXPECT_EQ(sel.TotalSEL(), 0);
    sel.SELECCIONAR(3, SEL_ALTERNAR, false);
    EXPECT_EQ(sel.TotalSEL(), 0);
    sel.SeleccionarTODO();
    EXPECT_EQ(sel.TotalSEL(), 160);
    EXPECT_EQ(sel.SelTipo(TIPO_CARPETA), 2);
    EXPECT_EQ(sel.SelTipo(TIPO_ARCHIVO), 4);
    EXPECT_EQ(sel.SelTipo(TIPO_UNIDAD), 0);
    sel.SELECCIONAR(4, SEL_ALTERNAR, true);
    EXPECT_EQ(sel.TotalSEL(), 110);
}

TEST_F(SeleccionVisor, TotalTakesOffWhatItAddedEvenIfTheSizeReaderChangesItsMind) {
    Cargar(3);
    std::int64_t leido = 100;
    cSeleccionVisor conLector(items, nullptr, [&](const ItemCarpeta&) { return leido; });
    conLector.Reiniciar(3);
    conLector.SELECCIONAR(1, SEL_EXCLUSIVA, false);
    conLector.SELECCIONAR(2, SEL_ALTERNAR, false);
    EXPECT_EQ(conLector.TotalSEL(), 200);
    leido = 7;  // the file changed on disk meanwhile
    conLector.SELECCIONAR(1, SEL_ALTERNAR, true);
    EXPECT_EQ(conLector.TotalSEL(), 100);
    conLector.SELECCIONAR(2, SEL_ALTERNAR, true);
    EXPECT_EQ(conLector.TotalSEL(), 0);
}

TEST_F(SeleccionVisor, PathsInSelectionOrderFollowRenames) {
    Cargar(4);
    sel.SELECCIONAR(2, SEL_EXCLUSIVA, false);
    sel.SELECCIONAR(0, SEL_ALTERNAR, false);
    items[2].Nombre = "renombrado";
    sel.SetClipboardSel("/home/ana/docs/");
    EXPECT_EQ(oyente.portapapeles,
              std::vector<std::string>({"/home/ana/docs/renombrado", "/home/ana/docs/f0"}));
    EXPECT_EQ(sel.RutasSeleccion("/tmp")[1], "/tmp/f0");
    items[0].Nombre = "\xff\xfe raro";  // bytes kept as they are
    EXPECT_EQ(sel.RutasSeleccion("/")[1], "/\xff\xfe raro");
}

TEST_F(SeleccionVisor, ReloadResetsEverything) {
    Cargar(5);
    sel.SELECCIONAR(1, SEL_EXCLUSIVA, false);
    sel.SeleccionarXP(3);
    items = Tabla(2);  // a new, smaller listing
    items[1].PosSeleccion = 9;  // stale mark from a cached table
    sel.Reiniciar(2);
    EXPECT_EQ(sel.nSel(), 0);
    EXPECT_EQ(sel.sActual(), -1);
    EXPECT_EQ(sel.Ancla(), -1);
    EXPECT_EQ(items[1].PosSeleccion, 0);
    sel.Reiniciar(50);  // more than the table holds
    EXPECT_EQ(sel.nItems(), 2);
}

TEST_F(SeleccionVisor, SelfCheckCatchesABrokenTable) {
    Cargar(4);
    sel.SELECCIONAR(1, SEL_EXCLUSIVA, false);
    items[3].PosSeleccion = 2;
    EXPECT_NE(sel.Verificar(), "");
    items[3].PosSeleccion = 0;
    items[1].PosSeleccion = 5;
    EXPECT_NE(sel.Verificar(), "");
    items[1].PosSeleccion = 1;
}

TEST_F(SeleccionVisor, HundredThousandItems) {
    const int n = 100000;
    Cargar(n);
    std::int64_t archivos = 0;
    for (const auto& it : items) archivos += it.Tipo == TIPO_ARCHIVO ? it.Tamano : 0;

    sel.SELECCIONAR(n - 1, SEL_EXCLUSIVA, false);
    sel.SeleccionarTODO();
    ASSERT_EQ(sel.nSel(), n);
    EXPECT_EQ(sel.ListaSel()[0].Item, n - 1);
    EXPECT_EQ(sel.ListaSel()[1].Item, 0);
    EXPECT_EQ(items[0].PosSeleccion, 2);
    EXPECT_EQ(sel.TotalSEL(), archivos);
    ASSERT_EQ(sel.Verificar(), "");

    sel.InvertirSeleccion();
    EXPECT_EQ(sel.nSel(), 0);
    EXPECT_EQ(sel.TotalSEL(), 0);
    ASSERT_EQ(sel.Verificar(), "");

    // Every even item, then invert: the odd ones in table order.
    for (int i = 0; i < n; i += 2) sel.SELECCIONAR(i, SEL_ALTERNAR, true);
    sel.InvertirSeleccion();
    ASSERT_EQ(sel.nSel(), n / 2);
    for (int k = 0; k < n / 2; ++k) ASSERT_EQ(sel.ListaSel()[k].Item, 2 * k + 1);
    ASSERT_EQ(sel.Verificar(), "");

    // A wide range, then a narrow one that drops almost all of it.
    sel.DeseleccionarTodo();
    sel.SELECCIONAR(10, SEL_EXCLUSIVA, true);
    sel.SeleccionarXP(n - 1);
    EXPECT_EQ(sel.nSel(), n - 10);
    sel.SeleccionarXP(12);
    EXPECT_EQ(Orden(sel), V({10, 11, 12}));
    ASSERT_EQ(sel.Verificar(), "");

    sel.Seleccionar9X(n - 1, 7);
    ASSERT_EQ(sel.Verificar(), "");
    EXPECT_EQ(sel.ListaSel()[0].Item, 10);
    EXPECT_EQ(sel.SelTipo(TIPO_CARPETA) + sel.SelTipo(TIPO_ARCHIVO), sel.nSel());
}

}  // namespace
}  // namespace quirvex
