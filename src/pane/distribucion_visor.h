#pragma once
// cDistribucionVisor: the geometry of one pane's item area. It knows the cell sizes of the
// three view modes, how many columns and rows fit, the ring of row strips that are reused while
// scrolling (grid row r is always drawn on strip r mod S), where item i lies for a scroll value,
// which rows come into view when the scroll value changes, and which item a point hits.
//
// Owned by the pane, one per pane. It never paints and holds no surface: the window asks it
// where to paint and forwards pointer positions to it. Call ReubicarIconos after every size or
// mode change before asking for positions; until then the pane is taken as zero-sized (one
// column, one row, two strips). Text widths come from the measuring function given at
// construction, the same one the window paints with, so fitted labels and hit areas agree.

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "folder/item_carpeta.h"
#include "pane/ajustar_texto.h"

namespace quirvex {

inline constexpr int MODO_ICONOS = 0;
inline constexpr int MODO_DETALLES = 1;
inline constexpr int MODO_PREVIEW = 2;

struct Rectangulo {
    int x = 0;
    int y = 0;
    int ancho = 0;
    int alto = 0;
};

struct GeometriaVisor {
    int ModoVer = 0;  // 0 grid, 1 one-column list
    bool ModoPreview = false;
    int IcoDW = 0;  // image size
    int IcoDH = 0;
    int IcoW = 0;  // cell size; IcoH is also the height of a row strip
    int IcoH = 0;
    int IcoDD = 0;
    int IcoDL = 0;
    int IcoDT = 0;
    int IcoL = 0;  // image left inside the cell
    int IcoT = 0;
    int IcoGL = 0;  // left offset of the first column
    int IcoGT = 0;  // not set by the modes; part of the image band of the hit test
    int IcoEX = 1;  // columns
    int IcoEY = 1;  // rows that fit, plus one
    int nMax = 2;   // items that can be on screen at once
};

// What a change of scroll value asks the window to repaint.
struct PlanDesplazamiento {
    int primeraFila = 0;     // first visible row after the change
    int filaDesde = 0;       // rows that come into view; none when filaDesde > filaHasta
    int filaHasta = -1;
    std::vector<int> tiras;  // strips to clear before those rows are drawn
    int itemDesde = 0;       // items to draw; none when itemDesde > itemHasta
    int itemHasta = -1;
};

class cDistribucionVisor {
public:
    // inicio: the beginnings of a label measured within it (see AjustarTexto); none = by medir.
    explicit cDistribucionVisor(FuncionMedir medir, FuncionMedirInicio inicio = {});

    // Mode values from the mode table; no redraw. Numbers other than the three modes are ignored.
    void CambiarModo(int modo);
    // The view-menu command: false (nothing to do) when the mode is already shown; otherwise
    // changes mode, refits the labels of the first nItems items and lays the grid out again.
    bool SetViewMode(int modo, TablaItems& items, std::size_t nItems);
    // anchoUtil: everything left of the scroll bar; altoViewport: height of the item viewport;
    // altoCabecera: the band above the items (the details header), 0 when there is none.
    void ReubicarIconos(int anchoUtil, int altoViewport, int altoCabecera);

    // Forgets the fitted labels of the first nItems items; they are fitted again when drawn,
    // so a change of cell size costs nothing for the items never shown.
    void InvalidarEtiquetas(TablaItems& items, std::size_t nItems) const;
    // One-line labels (TextoLinea) for the first nItems items; empties the two-line cache.
    void FixLabels(TablaItems& items, std::size_t nItems) const;
    // The one-line label (the details name text), fitted into TextoLinea when that cache is
    // empty: a pane forgets its labels on a load or a mode change and fits them as they are
    // drawn, so a folder of 100,000 names is not measured up front.
    const std::string& EtiquetaLinea(ItemCarpeta& item) const;
    // The two-line grid label, computed into TextoIcono when that cache is empty.
    const std::string& EtiquetaIcono(ItemCarpeta& item) const;
    // Two-line grid label without touching the cache.
    std::string CalcularEtiquetaIcono(const ItemCarpeta& item) const;
    // Full label of a selected item's overlay (no line limit).
    std::string EtiquetaOverlay(const ItemCarpeta& item) const;
    int AltoOverlay(const ItemCarpeta& item) const;

    const GeometriaVisor& Geometria() const { return g_; }
    int AnchoEtiqueta() const;
    int AnchoUtil() const { return anchoUtil_; }
    int AltoViewport() const { return altoViewport_; }
    int AltoCabecera() const { return altoCabecera_; }
    int AnchoPuntos() const { return anchoPuntos_; }
    // Step between label lines; 13 pixels unless the window's font says otherwise.
    int AltoLinea() const { return altoLinea_; }
    // A new font: its line step, and the measure (already answering in it) taken again for
    // the "..." of cut labels; the cells grow to fit taller lines. Labels fitted before are
    // the caller's to forget (InvalidarEtiquetas).
    void SetAltoLinea(int alto);
    // Width of the details name column, bounding the hit area of a details row and, less the
    // image in front of the name, the one-line label in details mode.
    void SetAnchoColumnaNombre(int ancho) { anchoColumnaNombre_ = ancho; }

    int nTiras() const { return g_.IcoEY + 1; }
    int TiraDeFila(int fila) const;
    // Row shown on a strip while primeraFila is the first visible row.
    int FilaDeTira(int tira, int primeraFila) const;
    // A strip's resting place, before scrolling.
    Rectangulo RectTira(int tira) const;
    // A strip's top for scroll value valor: strips move pixel by pixel and wrap round.
    int TopTira(int tira, int valor) const;

    int FilaDeItem(int item) const { return item / g_.IcoEX; }
    int ColumnaDeItem(int item) const { return item % g_.IcoEX; }
    int PrimeraFila(int valor) const;
    int nFilas(int nItems) const;
    int AltoContenido(int nItems) const;
    // Rows moved by Page Up and Page Down.
    int FilasPagina() const;
    // First and last item index on screen for a scroll value; first > last when none.
    std::pair<int, int> ItemsVisibles(int valor, int nItems) const;
    // Repaint plan when the scroll value becomes valor while primeraFila was the first row.
    PlanDesplazamiento Desplazar(int primeraFila, int valor, int nItems) const;
    // Repaint plan that clears every strip and draws every visible row.
    PlanDesplazamiento PlanCompleto(int valor, int nItems) const;

    // Cell of item i in viewport coordinates for a scroll value.
    Rectangulo RectItem(int item, int valor) const;
    // Selected item's overlay: the cell's left and width, tall enough for the whole label.
    Rectangulo RectOverlay(const ItemCarpeta& item, int indice, int valor) const;

    // Item under a point of strip `tira` (y from the strip's top), or -1.
    int ItemEnTira(const TablaItems& items, int nItems, int tira, int primeraFila, int x,
                   int y) const;
    // Item under a point of the viewport for a scroll value, or -1.
    int ItemEnPunto(const TablaItems& items, int nItems, int valor, int x, int y) const;
    // Whether a point of the viewport lies past the last item: its cell (the nearest column
    // for points beside the grid) comes after item nItems − 1. False over the header.
    bool DespuesDelUltimo(int nItems, int valor, int x, int y) const;

private:
    int ItemEnFila(const TablaItems& items, int nItems, int fila, int x, int y) const;
    bool EnEtiquetaDetalles(const ItemCarpeta& item, int x) const;
    void PlanFilas(PlanDesplazamiento& plan, int nItems) const;

    FuncionMedir medir_;
    FuncionMedirInicio inicio_;
    GeometriaVisor g_;
    int anchoUtil_ = 0;
    int altoViewport_ = 0;
    int altoCabecera_ = 0;
    int anchoPuntos_ = 0;
    static constexpr int ALTO_LINEA_BASE = 13;
    int modo_ = MODO_ICONOS;
    int altoLinea_ = ALTO_LINEA_BASE;
    int anchoColumnaNombre_ = 260;
};

}  // namespace quirvex
