#include "frame/geometria_tabs.h"

#include <algorithm>
#include <cstdlib>

namespace quirvex {

int ContarTabsNoFijos(int ultimoIndice, int tabsFijos) {
    return std::max(0, ultimoIndice + 1 - tabsFijos);
}

bool TieneCerrar(bool fijo, bool botonCerrar, int contarTabs) {
    return !fijo && botonCerrar && contarTabs > 1;
}

int AnchoBotonTab(int anchoTexto, bool fijo, bool botonCerrar, int contarTabs) {
    return anchoTexto + MARGEN_TEXTO_TAB +
           (TieneCerrar(fijo, botonCerrar, contarTabs) ? ANCHO_CERRAR_TAB : 0);
}

bool EnGlifoCerrar(int x, int anchoBoton) { return x > anchoBoton - (ANCHO_GLIFO_CERRAR + 6); }

int TabTrasCerrar(int indice, int ultimoIndice) {
    return indice == ultimoIndice ? indice - 1 : indice;
}

bool ArrastreLejos(int x, int anchoBoton) {
    return x < -DISTANCIA_ARRASTRE || x > anchoBoton + DISTANCIA_ARRASTRE;
}

int DestinoMoverTab(const std::vector<TramoTab>& botones, int tabsFijos, int r) {
    int mejor = tabsFijos;
    int distancia = -1;
    for (int i = tabsFijos; i < static_cast<int>(botones.size()); ++i) {
        const TramoTab& b = botones[static_cast<size_t>(i)];
        const int d = std::abs(b.izquierda + b.ancho + SEPARACION_TABS / 2 - r);
        if (distancia < 0 || d < distancia) {
            distancia = d;
            mejor = i;
        }
    }
    return mejor;
}

int DestinoIntercambiarTab(const std::vector<TramoTab>& botones, int tabsFijos, int r) {
    int destino = tabsFijos;
    for (int i = tabsFijos; i < static_cast<int>(botones.size()); ++i)
        if (botones[static_cast<size_t>(i)].izquierda - SEPARACION_TABS / 2 < r) destino = i;
    return destino;
}

int DesplazarTabsIzquierda(int izquierdaFila) {
    if (izquierdaFila >= 0) return izquierdaFila;
    return std::min(0, izquierdaFila + PASO_SCROLL_TABS);
}

int DesplazarTabsDerecha(int izquierdaFila, int anchoFila, int anchoVisible) {
    if (izquierdaFila + anchoFila <= anchoVisible) return izquierdaFila;
    return std::max(izquierdaFila - PASO_SCROLL_TABS, anchoVisible - anchoFila);
}

int TabVecino(int actual, int paso, int primero, int ultimoIndice) {
    const int n = ultimoIndice - primero + 1;
    if (n <= 0) return -1;
    if (actual < primero || actual > ultimoIndice) return paso >= 0 ? primero : ultimoIndice;
    return primero + ((actual - primero + paso) % n + n) % n;
}

}  // namespace quirvex
