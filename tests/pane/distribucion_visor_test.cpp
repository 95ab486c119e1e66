#include "pane/distribucion_visor.h"

#include <gtest/gtest.h>

namespace quirvex {
namespace {

int Medir6(std::string_view texto) { return static_cast<int>(ContarCaracteres(texto)) * 6; }

TablaItems Tabla(int n, const std::string& nombre = "abc") {
    TablaItems items(static_cast<std::size_t>(n));
    for (auto& item : items) item.Nombre = nombre;
    return items;
}

TEST(DistribucionVisor, ColumnsAndLeftOffsetPerMode) {
    cDistribucionVisor d(Medir6);
    d.ReubicarIconos(300, 100, 0);
    EXPECT_EQ(d.Geometria().IcoEX, 4);
    EXPECT_EQ(d.Geometria().IcoGL, 2);
    d.ReubicarIconos(60, 100, 0);
    EXPECT_EQ(d.Geometria().IcoEX, 1);
    EXPECT_EQ(d.Geometria().IcoGL, 0);
    d.CambiarModo(MODO_DETALLES);
    for (int ancho : {0, 50, 1000}) {
        d.ReubicarIconos(ancho, 100, 20);
        EXPECT_EQ(d.Geometria().IcoEX, 1);
        EXPECT_EQ(d.Geometria().IcoGL, 2);
    }
}

TEST(DistribucionVisor, RowsStripsAndNMax) {
    cDistribucionVisor d(Medir6);
    d.ReubicarIconos(300, 100, 0);
    EXPECT_EQ(d.Geometria().IcoEY, 2);
    EXPECT_EQ(d.nTiras(), 3);
    EXPECT_EQ(d.Geometria().nMax, 3 * 4);
    // A pane of no size still has a column and strips to draw on.
    d.ReubicarIconos(0, 0, 0);
    EXPECT_EQ(d.Geometria().IcoEX, 1);
    EXPECT_GE(d.nTiras(), 1);
    EXPECT_EQ(d.FilasPagina(), 1);
}

TEST(DistribucionVisor, ViewModeChangesOnlyWhenSomethingChanges) {
    cDistribucionVisor d(Medir6);
    TablaItems items = Tabla(3, "un nombre bastante largo");
    d.ReubicarIconos(300, 100, 0);
    EXPECT_FALSE(d.SetViewMode(MODO_ICONOS, items, 3));
    EXPECT_TRUE(items[0].TextoLinea().empty());  // nothing was refitted
    EXPECT_TRUE(d.SetViewMode(MODO_PREVIEW, items, 3));
    EXPECT_EQ(d.Geometria().IcoW, 108);
    EXPECT_EQ(d.Geometria().IcoH, 142);
    EXPECT_EQ(d.Geometria().IcoEX, 2);  // laid out again with the stored width
    EXPECT_TRUE(d.SetViewMode(MODO_PREVIEW, items, 3));  // preview again is re-applied
    EXPECT_TRUE(d.SetViewMode(MODO_ICONOS, items, 3));   // ModoVer stays 0, cells change
    EXPECT_EQ(d.Geometria().ModoVer, 0);
    EXPECT_EQ(d.Geometria().IcoW, 74);
    EXPECT_EQ(d.Geometria().IcoH, 74);
    EXPECT_TRUE(d.SetViewMode(MODO_DETALLES, items, 3));
    EXPECT_FALSE(d.SetViewMode(MODO_DETALLES, items, 3));
    EXPECT_FALSE(d.SetViewMode(7, items, 3));
    EXPECT_EQ(d.Geometria().IcoH, 18);
}

TEST(DistribucionVisor, FixLabelsFitsOneLineAndEmptiesTheIconCache) {
    cDistribucionVisor d(Medir6);
    TablaItems items = Tabla(3, "abcdefghijklmnop");
    items[1].Nombre = "corto";
    for (auto& item : items) item.SetTextoIcono("viejo");
    d.FixLabels(items, 2);
    // Label width 74 - 8 = 66; the cut keeps 66 - 18 pixels for the name.
    EXPECT_EQ(items[0].TextoLinea(), "abcdefgh...");
    EXPECT_EQ(items[1].TextoLinea(), "corto");
    EXPECT_TRUE(items[0].TextoIcono().empty());
    EXPECT_EQ(items[2].TextoIcono(), "viejo");  // not shown, not touched
    EXPECT_EQ(d.EtiquetaIcono(items[0]), "abcdefghijk\rlmnop");
    EXPECT_EQ(items[0].TextoIcono(), "abcdefghijk\rlmnop");
}

TEST(DistribucionVisor, StripRingFollowsTheScrollValue) {
    cDistribucionVisor d(Medir6);
    d.ReubicarIconos(300, 100, 20);  // three strips of 74 under a 20-pixel band
    EXPECT_EQ(d.RectTira(2).y, 20 + 148);
    EXPECT_EQ(d.TiraDeFila(7), 1);
    for (int v : {0, 1, 73, 74, 75, 500, 5000}) {
        const int primera = d.PrimeraFila(v);
        for (int k = 0; k < d.nTiras(); ++k) {
            const int fila = d.FilaDeTira(k, primera);
            EXPECT_EQ(d.TiraDeFila(fila), k);
            EXPECT_GE(fila, primera);
            EXPECT_LE(fila, primera + d.Geometria().IcoEY);
            // Every strip sits where its row belongs.
            EXPECT_EQ(d.TopTira(k, v), 20 + fila * 74 - v) << "v=" << v << " k=" << k;
        }
    }
}

TEST(DistribucionVisor, ScrollPlanDrawsOnlyRowsComingIntoView) {
    cDistribucionVisor d(Medir6);
    d.ReubicarIconos(300, 100, 0);  // 4 columns, IcoEY 2, three strips
    PlanDesplazamiento p = d.Desplazar(0, 74, 40);
    EXPECT_EQ(p.primeraFila, 1);
    EXPECT_EQ(p.filaDesde, 3);
    EXPECT_EQ(p.filaHasta, 3);
    EXPECT_EQ(p.tiras, std::vector<int>({0}));
    EXPECT_EQ(p.itemDesde, 12);
    EXPECT_EQ(p.itemHasta, 15);

    p = d.Desplazar(1, 100, 40);  // same first row: nothing to draw
    EXPECT_GT(p.filaDesde, p.filaHasta);
    EXPECT_GT(p.itemDesde, p.itemHasta);

    p = d.Desplazar(0, 5 * 74, 40);  // a jump redraws the whole view
    EXPECT_EQ(p.filaDesde, 5);
    EXPECT_EQ(p.filaHasta, 7);
    EXPECT_EQ(p.tiras.size(), 3u);
    EXPECT_EQ(p.itemDesde, 20);
    EXPECT_EQ(p.itemHasta, 31);

    p = d.Desplazar(5, 4 * 74, 40);  // one row up
    EXPECT_EQ(p.filaDesde, 4);
    EXPECT_EQ(p.filaHasta, 4);
    EXPECT_EQ(p.tiras, std::vector<int>({1}));
    EXPECT_EQ(p.itemDesde, 16);

    p = d.Desplazar(0, 9 * 74, 38);  // near the end the items stop at the last one
    EXPECT_EQ(p.itemDesde, 36);
    EXPECT_EQ(p.itemHasta, 37);
    EXPECT_EQ(p.tiras.size(), 3u);  // rows past the end still have their strips cleared

    const auto visibles = d.ItemsVisibles(74, 40);
    EXPECT_EQ(visibles.first, 4);
    EXPECT_EQ(visibles.second, 15);
    EXPECT_EQ(d.AltoContenido(10), 3 * 74);
    EXPECT_EQ(d.AltoContenido(0), 0);
}

TEST(DistribucionVisor, HitTestAtCellEdgesInIconMode) {
    cDistribucionVisor d(Medir6);
    d.ReubicarIconos(300, 400, 0);  // IcoGL 2, cells of 74: column 1 spans x 76..149
    TablaItems items = Tabla(6);
    // Image band (y < 32): the image spans IcoL..IcoL+IcoDW = 21..53 across the cell.
    EXPECT_EQ(d.ItemEnPunto(items, 6, 0, 96, 10), -1);
    EXPECT_EQ(d.ItemEnPunto(items, 6, 0, 97, 10), 1);
    EXPECT_EQ(d.ItemEnPunto(items, 6, 0, 129, 10), 1);
    EXPECT_EQ(d.ItemEnPunto(items, 6, 0, 130, 10), -1);
    EXPECT_EQ(d.ItemEnPunto(items, 6, 0, 31, 31), 0);
    // Label band: the whole cell width counts, down to 4 + 4 + 32 + 13 per line.
    EXPECT_EQ(d.ItemEnPunto(items, 6, 0, 75, 40), 0);
    EXPECT_EQ(d.ItemEnPunto(items, 6, 0, 76, 40), 1);
    EXPECT_EQ(d.ItemEnPunto(items, 6, 0, 76, 53), 1);
    EXPECT_EQ(d.ItemEnPunto(items, 6, 0, 76, 54), -1);
    items[1].Nombre = "abcdefghijk lmnop";  // two lines
    EXPECT_EQ(d.ItemEnPunto(items, 6, 0, 76, 66), 1);
    EXPECT_EQ(d.ItemEnPunto(items, 6, 0, 76, 67), -1);
    // Left of the grid, right of the last column, past the last item.
    EXPECT_EQ(d.ItemEnPunto(items, 6, 0, 1, 40), -1);
    EXPECT_EQ(d.ItemEnPunto(items, 6, 0, 2 + 4 * 74, 40), -1);
    EXPECT_EQ(d.ItemEnPunto(items, 6, 0, 2 + 74 + 30, 74 + 10), 5);
    EXPECT_EQ(d.ItemEnPunto(items, 6, 0, 2 + 2 * 74 + 30, 74 + 10), -1);
    EXPECT_EQ(d.ItemEnPunto(items, 6, 0, 30, 2 * 74 + 10), -1);
}

TEST(DistribucionVisor, HitTestOfSelectedItemsUsesTheOverlayHeight) {
    cDistribucionVisor d(Medir6);
    d.ReubicarIconos(300, 400, 0);
    TablaItems items = Tabla(4);
    items[0].PosSeleccion = 1;
    // Overlay: 40 + 13 for one line; across it any x of the cell counts.
    EXPECT_EQ(d.AltoOverlay(items[0]), 53);
    EXPECT_EQ(d.ItemEnPunto(items, 4, 0, 3, 10), 0);
    EXPECT_EQ(d.ItemEnPunto(items, 4, 0, 3, 53), 0);
    EXPECT_EQ(d.ItemEnPunto(items, 4, 0, 3, 54), -1);
    EXPECT_EQ(d.ItemEnPunto(items, 4, 0, 3, 10) , d.ItemEnTira(items, 4, 0, 0, 3, 10));
}

TEST(DistribucionVisor, HitTestFollowsScrollHeaderAndStrips) {
    cDistribucionVisor d(Medir6);
    d.ReubicarIconos(300, 100, 25);
    TablaItems items = Tabla(40);
    // Scrolled by 80: row 1 starts at viewport y 19, under the header; row 2 at 93.
    EXPECT_EQ(d.ItemEnPunto(items, 40, 80, 2 + 21, 24), -1);  // on the header band
    EXPECT_EQ(d.ItemEnPunto(items, 40, 80, 2 + 21, 25), 4);
    EXPECT_EQ(d.ItemEnPunto(items, 40, 80, 2 + 21, 92), -1);  // below row 1's label
    EXPECT_EQ(d.ItemEnPunto(items, 40, 80, 2 + 21, 93), 8);
    // Strip 0 carries row 3 while row 1 is the first visible one.
    EXPECT_EQ(d.ItemEnTira(items, 40, 0, 1, 2 + 21, 5), 12);
    EXPECT_EQ(d.ItemEnTira(items, 40, 2, 1, 2 + 21, 5), 8);
    EXPECT_EQ(d.ItemEnTira(items, 40, 3, 1, 2 + 21, 5), -1);
}

TEST(DistribucionVisor, HitTestInDetailsModeEndsWithTheName) {
    cDistribucionVisor d(Medir6);
    d.CambiarModo(MODO_DETALLES);
    d.ReubicarIconos(500, 200, 0);
    TablaItems items = Tabla(3, "abcd");  // 24 pixels: hit up to 16 + 1 + 2 + 24
    EXPECT_EQ(d.ItemEnPunto(items, 3, 0, 43, 20), 1);
    EXPECT_EQ(d.ItemEnPunto(items, 3, 0, 44, 20), -1);
    EXPECT_EQ(d.ItemEnPunto(items, 3, 0, 5, 3 * 18 + 2), -1);
    const Rectangulo r = d.RectItem(2, 10);
    EXPECT_EQ(r.x, 2);
    EXPECT_EQ(r.y, 36 - 10);
    EXPECT_EQ(r.ancho, 498);
}

// Every pixel row of a details row belongs to that row: the last one included, the next
// row starting one pixel lower, with a header and a scroll offset in between.
TEST(DistribucionVisor, DetailsRowsOwnTheirFirstAndLastPixelRows) {
    cDistribucionVisor d(Medir6);
    d.CambiarModo(MODO_DETALLES);
    d.ReubicarIconos(500, 300, 20);
    const int h = d.Geometria().IcoH;
    ASSERT_GT(h, 1);
    TablaItems items = Tabla(6, "abcd");
    for (const int valor : {0, 7, h}) {
        for (int fila = valor / h; fila < 5; ++fila) {
            const int primera = 20 + fila * h - valor;  // the row's first pixel row on screen
            if (primera < 20) continue;
            EXPECT_EQ(d.ItemEnPunto(items, 6, valor, 5, primera), fila) << valor;
            EXPECT_EQ(d.ItemEnPunto(items, 6, valor, 5, primera + h - 1), fila) << valor;
            EXPECT_EQ(d.ItemEnPunto(items, 6, valor, 5, primera + h), fila + 1) << valor;
        }
    }
    // Past the last of three items only below its last pixel row.
    EXPECT_FALSE(d.DespuesDelUltimo(3, 0, 5, 20 + 3 * h - 1));
    EXPECT_TRUE(d.DespuesDelUltimo(3, 0, 5, 20 + 3 * h));
    EXPECT_EQ(d.ItemEnPunto(items, 3, 0, 5, 20 + 3 * h - 1), 2);
    EXPECT_EQ(d.ItemEnPunto(items, 3, 0, 5, 20 + 3 * h), -1);
}

TEST(DistribucionVisor, PointsPastTheLastItem) {
    cDistribucionVisor d(Medir6);
    d.ReubicarIconos(300, 300, 0);  // four columns of 74, IcoGL 2
    const int h = d.Geometria().IcoH;
    // Ten items: the last row holds items 8 and 9.
    EXPECT_FALSE(d.DespuesDelUltimo(10, 0, 2 + 74 + 5, 2 * h + 5));   // on item 9's cell
    EXPECT_TRUE(d.DespuesDelUltimo(10, 0, 2 + 2 * 74 + 5, 2 * h + 5)); // the next cell
    EXPECT_TRUE(d.DespuesDelUltimo(10, 0, 299, 2 * h + 5));           // beside the grid
    EXPECT_FALSE(d.DespuesDelUltimo(10, 0, 299, h + 5));              // a full row
    EXPECT_TRUE(d.DespuesDelUltimo(10, 0, 0, 3 * h + 1));             // below
    EXPECT_FALSE(d.DespuesDelUltimo(10, h, 2 + 2 * 74 + 5, 5));  // scrolled one row
    EXPECT_TRUE(d.DespuesDelUltimo(10, h, 2 + 2 * 74 + 5, h + 5));
    EXPECT_TRUE(d.DespuesDelUltimo(0, 0, 10, 10));                    // an empty folder
    d.CambiarModo(MODO_DETALLES);
    d.ReubicarIconos(300, 300, 20);
    EXPECT_FALSE(d.DespuesDelUltimo(3, 0, 5, 10));  // the header
    EXPECT_FALSE(d.DespuesDelUltimo(3, 0, 250, 20 + 2 * d.Geometria().IcoH + 1));
    EXPECT_TRUE(d.DespuesDelUltimo(3, 0, 5, 20 + 3 * d.Geometria().IcoH + 1));
}

}  // namespace
}  // namespace quirvex
