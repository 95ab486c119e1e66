#pragma once
// The arithmetic of the tab strip: button widths, the close glyph rule, drag targets, the tab
// selected after a close and the scroll steps. Pure functions over positions in pixels, so the
// strip widget only asks and paints, and the rules are tested without a screen.

#include <cstddef>
#include <utility>
#include <vector>

namespace quirvex {

inline constexpr int SEPARACION_TABS = 4;    // gap between neighbouring buttons
inline constexpr int MARGEN_TEXTO_TAB = 36;  // icon, padding and edges around the caption
inline constexpr int ANCHO_CERRAR_TAB = 26;  // room the close glyph adds to a button
inline constexpr int ANCHO_GLIFO_CERRAR = 16;
inline constexpr int PASO_SCROLL_TABS = 64;
inline constexpr int IZQUIERDA_PRIMER_TAB = 5;
inline constexpr int DISTANCIA_ARRASTRE = 16;

// Number of non-fixed tabs among the records 0..ultimoIndice; never below 0.
int ContarTabsNoFijos(int ultimoIndice, int tabsFijos);
// Whether a tab draws (and answers to) its close glyph.
bool TieneCerrar(bool fijo, bool botonCerrar, int contarTabs);
int AnchoBotonTab(int anchoTexto, bool fijo, bool botonCerrar, int contarTabs);
// Whether a release at x (button coordinates) falls on the close glyph of a button that has one.
bool EnGlifoCerrar(int x, int anchoBoton);
// The record to select after closing `indice` when `ultimoIndice` was the last one before.
int TabTrasCerrar(int indice, int ultimoIndice);

struct TramoTab {
    int izquierda;
    int ancho;
};
// Whether a left-button release at x (button coordinates) is far enough beside the button to
// move it.
bool ArrastreLejos(int x, int anchoBoton);
// Left-button drop at row position r: the non-fixed index whose right edge plus half the gap is
// nearest to r.
int DestinoMoverTab(const std::vector<TramoTab>& botones, int tabsFijos, int r);
// Right-button drop at row position r: from the first non-fixed tab on, the last one whose left
// edge minus half the gap lies left of r.
int DestinoIntercambiarTab(const std::vector<TramoTab>& botones, int tabsFijos, int r);

// The row's new left after a scroll step; unchanged when there is nothing to scroll.
int DesplazarTabsIzquierda(int izquierdaFila);
int DesplazarTabsDerecha(int izquierdaFila, int anchoFila, int anchoVisible);

// The tab the keyboard goes to from `actual` (-1: none shown) one step forward (paso 1) or
// back (paso -1), cycling over the records primero..ultimoIndice; the records before
// `primero` are commands rather than pages. -1 when there is no such record.
int TabVecino(int actual, int paso, int primero, int ultimoIndice);

// Moves element `desde` to `hasta`, shifting the ones between by one place.
template <class T>
void MoverElemento(std::vector<T>& v, int desde, int hasta) {
    if (desde == hasta) return;
    T guardado = std::move(v[static_cast<std::size_t>(desde)]);
    if (hasta > desde) {
        for (int i = desde; i < hasta; ++i)
            v[static_cast<std::size_t>(i)] = std::move(v[static_cast<std::size_t>(i) + 1]);
    } else {
        for (int i = desde; i > hasta; --i)
            v[static_cast<std::size_t>(i)] = std::move(v[static_cast<std::size_t>(i) - 1]);
    }
    v[static_cast<std::size_t>(hasta)] = std::move(guardado);
}

}  // namespace quirvex
