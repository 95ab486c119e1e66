#include "pane/distribucion_visor.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace quirvex {

namespace {

struct MedidasModo {
    int ModoVer;
    bool ModoPreview;
    int IcoDW, IcoDH, IcoW, IcoH, IcoDD, IcoDL, IcoDT, IcoL, IcoT;
};

// Indexed by the mode number: icons, details, preview.
constexpr MedidasModo kModos[] = {
    {0, false, 32, 32, 74, 74, 4, 21, 4, 21, 8},
    {1, false, 16, 16, 120, 18, 1, 1, 1, 1, 1},
    {0, true, 96, 96, 108, 142, 4, 6, 6, 6, 8},
};

int Acotar64(std::int64_t valor) {
    return static_cast<int>(std::clamp<std::int64_t>(valor, std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
}

// Remainder with the sign of the divisor (always 0..divisor-1 for a positive divisor).
std::int64_t ModuloPositivo(std::int64_t a, std::int64_t b) {
    const std::int64_t r = a % b;
    return r < 0 ? r + b : r;
}

int Limitar(int nItems, const TablaItems& items) {
    return std::clamp(nItems, 0, static_cast<int>(std::min<std::size_t>(
                                     items.size(), std::numeric_limits<int>::max())));
}

}  // namespace

cDistribucionVisor::cDistribucionVisor(FuncionMedir medir, FuncionMedirInicio inicio)
    : medir_(std::move(medir)), inicio_(std::move(inicio)) {
    anchoPuntos_ = medir_("...");
    CambiarModo(MODO_ICONOS);
    ReubicarIconos(0, 0, 0);
}

void cDistribucionVisor::CambiarModo(int modo) {
    if (modo < MODO_ICONOS || modo > MODO_PREVIEW) return;
    modo_ = modo;
    const MedidasModo& m = kModos[modo];
    g_.ModoVer = m.ModoVer;
    g_.ModoPreview = m.ModoPreview;
    g_.IcoDW = m.IcoDW;
    g_.IcoDH = m.IcoDH;
    g_.IcoW = m.IcoW;
    // The cells were drawn for 13-pixel lines: a taller font grows them by what its label
    // lines need, a smaller one leaves them as they are.
    const int lineas = m.ModoVer == 1 ? 1 : 2;
    g_.IcoH = m.IcoH + lineas * std::max(altoLinea_ - ALTO_LINEA_BASE, 0);
    g_.IcoDD = m.IcoDD;
    g_.IcoDL = m.IcoDL;
    g_.IcoDT = m.IcoDT;
    g_.IcoL = m.IcoL;
    g_.IcoT = m.IcoT;
}

bool cDistribucionVisor::SetViewMode(int modo, TablaItems& items, std::size_t nItems) {
    if (modo < MODO_ICONOS || modo > MODO_PREVIEW) return false;
    if (modo == MODO_DETALLES && g_.ModoVer == 1) return false;
    if (modo == MODO_ICONOS && g_.ModoVer == 0 && !g_.ModoPreview) return false;
    CambiarModo(modo);
    InvalidarEtiquetas(items, nItems);
    ReubicarIconos(anchoUtil_, altoViewport_, altoCabecera_);
    return true;
}

void cDistribucionVisor::ReubicarIconos(int anchoUtil, int altoViewport, int altoCabecera) {
    anchoUtil_ = std::max(anchoUtil, 0);
    altoViewport_ = std::max(altoViewport, 0);
    altoCabecera_ = std::max(altoCabecera, 0);
    if (g_.ModoVer == 0) {
        g_.IcoEX = anchoUtil_ / g_.IcoW;
        g_.IcoGL = (anchoUtil_ % g_.IcoW) / 2;
    } else {
        g_.IcoEX = 1;
        g_.IcoGL = 2;
    }
    if (g_.IcoEX < 1) {
        g_.IcoEX = 1;
        g_.IcoGL = 0;
    }
    g_.IcoEY = altoViewport_ / g_.IcoH + 1;
    g_.nMax = Acotar64(static_cast<std::int64_t>(g_.IcoEY + 1) * g_.IcoEX);
}

int cDistribucionVisor::AnchoEtiqueta() const {
    if (g_.ModoVer == 1) return std::max(anchoColumnaNombre_ - (g_.IcoDW + g_.IcoDL + 2), 1);
    return std::max(g_.IcoW - 2 * g_.IcoDD, 1);
}

const std::string& cDistribucionVisor::EtiquetaLinea(ItemCarpeta& item) const {
    if (item.TextoLinea().empty())
        item.SetTextoLinea(AjustarTexto(item.Nombre, AnchoEtiqueta(), 1, anchoPuntos_, medir_, inicio_));
    return item.TextoLinea();
}

void cDistribucionVisor::SetAltoLinea(int alto) {
    altoLinea_ = std::max(alto, 1);
    anchoPuntos_ = medir_("...");
    CambiarModo(modo_);
    ReubicarIconos(anchoUtil_, altoViewport_, altoCabecera_);
}

void cDistribucionVisor::FixLabels(TablaItems& items, std::size_t nItems) const {
    const std::size_t n = std::min(nItems, items.size());
    const int ancho = AnchoEtiqueta();
    for (std::size_t i = 0; i < n; ++i) {
        items[i].BorrarEtiquetas();
        items[i].SetTextoLinea(AjustarTexto(items[i].Nombre, ancho, 1, anchoPuntos_, medir_, inicio_));
    }
}

void cDistribucionVisor::InvalidarEtiquetas(TablaItems& items, std::size_t nItems) const {
    const std::size_t n = std::min(nItems, items.size());
    for (std::size_t i = 0; i < n; ++i) items[i].BorrarEtiquetas();
}

std::string cDistribucionVisor::CalcularEtiquetaIcono(const ItemCarpeta& item) const {
    return AjustarTexto(item.Nombre, AnchoEtiqueta(), 2, anchoPuntos_, medir_, inicio_);
}

const std::string& cDistribucionVisor::EtiquetaIcono(ItemCarpeta& item) const {
    if (item.TextoIcono().empty()) item.SetTextoIcono(CalcularEtiquetaIcono(item));
    return item.TextoIcono();
}

std::string cDistribucionVisor::EtiquetaOverlay(const ItemCarpeta& item) const {
    return AjustarTexto(item.Nombre, std::max(g_.IcoW - 4, 1), 0, anchoPuntos_, medir_, inicio_);
}

int cDistribucionVisor::AltoOverlay(const ItemCarpeta& item) const {
    if (g_.ModoVer == 1) return g_.IcoH;
    const int lineas = ContarLineas(EtiquetaOverlay(item));
    return g_.IcoDD + g_.IcoDT + g_.IcoDH + altoLinea_ * lineas;
}

int cDistribucionVisor::TiraDeFila(int fila) const {
    return static_cast<int>(ModuloPositivo(fila, nTiras()));
}

int cDistribucionVisor::FilaDeTira(int tira, int primeraFila) const {
    return primeraFila + static_cast<int>(ModuloPositivo(tira - primeraFila, nTiras()));
}

Rectangulo cDistribucionVisor::RectTira(int tira) const {
    return {0, Acotar64(altoCabecera_ + static_cast<std::int64_t>(g_.IcoH) * tira), anchoUtil_,
            g_.IcoH};
}

int cDistribucionVisor::TopTira(int tira, int valor) const {
    const std::int64_t anillo = static_cast<std::int64_t>(nTiras()) * g_.IcoH;
    std::int64_t resto = (static_cast<std::int64_t>(tira) * g_.IcoH - valor) % anillo;
    // A strip that ends at or above the top wraps to the bottom, so that it always sits where
    // the row the ring gives it belongs (at the exact edge both places are out of sight).
    if (resto + g_.IcoH <= 0) resto += anillo;
    return Acotar64(altoCabecera_ + resto);
}

int cDistribucionVisor::PrimeraFila(int valor) const { return std::max(valor, 0) / g_.IcoH; }

int cDistribucionVisor::nFilas(int nItems) const {
    if (nItems <= 0) return 0;
    return (nItems - 1) / g_.IcoEX + 1;
}

int cDistribucionVisor::AltoContenido(int nItems) const {
    return Acotar64(static_cast<std::int64_t>(nFilas(nItems)) * g_.IcoH);
}

int cDistribucionVisor::FilasPagina() const {
    return std::max(altoViewport_ / g_.IcoH - 1, 1);
}

std::pair<int, int> cDistribucionVisor::ItemsVisibles(int valor, int nItems) const {
    const PlanDesplazamiento plan = PlanCompleto(valor, nItems);
    return {plan.itemDesde, plan.itemHasta};
}

void cDistribucionVisor::PlanFilas(PlanDesplazamiento& plan, int nItems) const {
    plan.tiras.clear();
    if (plan.filaDesde > plan.filaHasta) return;
    const int ultimaTira = std::min(plan.filaHasta, plan.filaDesde + nTiras() - 1);
    for (int fila = plan.filaDesde; fila <= ultimaTira; ++fila) {
        plan.tiras.push_back(TiraDeFila(fila));
    }
    const std::int64_t desde = static_cast<std::int64_t>(plan.filaDesde) * g_.IcoEX;
    const std::int64_t hasta =
        std::min<std::int64_t>((static_cast<std::int64_t>(plan.filaHasta) + 1) * g_.IcoEX,
                               nItems) - 1;
    if (desde <= hasta) {
        plan.itemDesde = static_cast<int>(desde);
        plan.itemHasta = static_cast<int>(hasta);
    }
}

PlanDesplazamiento cDistribucionVisor::Desplazar(int primeraFila, int valor, int nItems) const {
    PlanDesplazamiento plan;
    const int nueva = PrimeraFila(valor);
    plan.primeraFila = nueva;
    if (nueva == primeraFila) return plan;
    // Only the rows of the new view that were not in the old one are cleared and drawn; their
    // strips are exactly the ones whose rows left the view, because the strips form a ring.
    if (nueva > primeraFila) {
        plan.filaDesde = std::max(nueva, primeraFila + g_.IcoEY + 1);
        plan.filaHasta = nueva + g_.IcoEY;
    } else {
        plan.filaDesde = nueva;
        plan.filaHasta = std::min(primeraFila - 1, nueva + g_.IcoEY);
    }
    PlanFilas(plan, nItems);
    return plan;
}

PlanDesplazamiento cDistribucionVisor::PlanCompleto(int valor, int nItems) const {
    PlanDesplazamiento plan;
    plan.primeraFila = PrimeraFila(valor);
    plan.filaDesde = plan.primeraFila;
    plan.filaHasta = plan.primeraFila + g_.IcoEY;
    PlanFilas(plan, nItems);
    return plan;
}

Rectangulo cDistribucionVisor::RectItem(int item, int valor) const {
    const std::int64_t y = altoCabecera_ + static_cast<std::int64_t>(FilaDeItem(item)) * g_.IcoH -
                           valor;
    if (g_.ModoVer == 1) {
        return {g_.IcoGL, Acotar64(y), std::max(anchoUtil_ - g_.IcoGL, 0), g_.IcoH};
    }
    return {g_.IcoGL + ColumnaDeItem(item) * g_.IcoW, Acotar64(y), g_.IcoW, g_.IcoH};
}

Rectangulo cDistribucionVisor::RectOverlay(const ItemCarpeta& item, int indice, int valor) const {
    Rectangulo r = RectItem(indice, valor);
    r.alto = AltoOverlay(item);
    return r;
}

int cDistribucionVisor::ItemEnTira(const TablaItems& items, int nItems, int tira,
                                   int primeraFila, int x, int y) const {
    if (tira < 0 || tira >= nTiras()) return -1;
    return ItemEnFila(items, nItems, FilaDeTira(tira, primeraFila), x, y);
}

int cDistribucionVisor::ItemEnPunto(const TablaItems& items, int nItems, int valor, int x,
                                    int y) const {
    if (y < altoCabecera_) return -1;
    const std::int64_t enContenido = static_cast<std::int64_t>(y) - altoCabecera_ +
                                     std::max(valor, 0);
    const int fila = Acotar64(enContenido / g_.IcoH);
    return ItemEnFila(items, nItems, fila, x, static_cast<int>(enContenido % g_.IcoH));
}

bool cDistribucionVisor::DespuesDelUltimo(int nItems, int valor, int x, int y) const {
    if (y < altoCabecera_) return false;
    const std::int64_t fila =
        (static_cast<std::int64_t>(y) - altoCabecera_ + std::max(valor, 0)) / g_.IcoH;
    if (g_.ModoVer == 1) return fila >= nItems;
    const int columna = x < g_.IcoGL ? 0 : std::min((x - g_.IcoGL) / g_.IcoW, g_.IcoEX - 1);
    return fila * g_.IcoEX + columna >= nItems;
}

bool cDistribucionVisor::EnEtiquetaDetalles(const ItemCarpeta& item, int x) const {
    const int anchoTexto = std::min(medir_(item.Nombre), anchoColumnaNombre_);
    return x <= g_.IcoDW + g_.IcoDL + 2 + anchoTexto;
}

int cDistribucionVisor::ItemEnFila(const TablaItems& items, int nItems, int fila, int x,
                                   int y) const {
    nItems = Limitar(nItems, items);
    if (fila < 0 || x < 0 || y < 0) return -1;
    if (g_.ModoVer == 1) {
        if (fila >= nItems) return -1;
        return EnEtiquetaDetalles(items[fila], x) ? fila : -1;
    }
    if (x < g_.IcoGL) return -1;
    const int columna = (x - g_.IcoGL) / g_.IcoW;
    if (columna >= g_.IcoEX) return -1;
    const std::int64_t indice = static_cast<std::int64_t>(fila) * g_.IcoEX + columna;
    if (indice >= nItems) return -1;
    const int i = static_cast<int>(indice);
    const ItemCarpeta& item = items[i];
    const int xc = x - g_.IcoGL - columna * g_.IcoW - g_.IcoL;
    if (item.PosSeleccion != 0) return y <= AltoOverlay(item) ? i : -1;
    if (y < g_.IcoDH + g_.IcoGT) return (xc >= 0 && xc <= g_.IcoDW) ? i : -1;
    const int lineas = ContarLineas(item.TextoIcono().empty() ? CalcularEtiquetaIcono(item)
                                                              : item.TextoIcono());
    return y <= g_.IcoDD + g_.IcoDT + g_.IcoDH + altoLinea_ * lineas ? i : -1;
}

}  // namespace quirvex
