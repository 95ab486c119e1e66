#include "pane/barra_desplazamiento.h"

#include <algorithm>
#include <limits>

namespace quirvex {

namespace {

int Acotar64(std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
}

}  // namespace

bool cBarraDesplazamiento::Recalcular(int alto, int altoContenido, int altoViewport,
                                      int altoCabecera) {
    alto_ = std::max(alto, 0);
    espacio_ = std::max(alto_ - 2 * VSB_FLECHA, 0);
    if (altoContenido > 0) {
        const std::int64_t proporcional =
            static_cast<std::int64_t>(alto_) * espacio_ / altoContenido;
        // At least 8 pixels, but never longer than the track it runs in.
        barra_ = Acotar64(std::max<std::int64_t>(proporcional, VSB_BARRA_MINIMA));
        if (espacio_ >= VSB_BARRA_MINIMA) barra_ = std::min(barra_, espacio_);
        max_ = Acotar64(static_cast<std::int64_t>(altoContenido) -
                        (static_cast<std::int64_t>(altoViewport) - altoCabecera) + 1);
    } else {
        barra_ = VSB_BARRA_MINIMA;
        max_ = 0;
    }
    const int anterior = valor_;
    valor_ = std::clamp(valor_, 0, std::max(max_, 0));
    return valor_ != anterior;
}

bool cBarraDesplazamiento::SetValue(int valor) {
    const int nuevo = std::clamp(valor, 0, std::max(max_, 0));
    if (nuevo == valor_) return false;
    valor_ = nuevo;
    return true;
}

int cBarraDesplazamiento::TopBarra() const {
    if (max_ <= 0) return VSB_FLECHA;
    return Acotar64(VSB_FLECHA + static_cast<std::int64_t>(valor_) * (espacio_ - barra_) / max_);
}

int cBarraDesplazamiento::ValorCentrado(int y) const {
    const int recorrido = espacio_ - barra_;
    if (recorrido <= 0 || max_ <= 0) return 0;  // the thumb fills the track: nothing to move
    const std::int64_t desde = static_cast<std::int64_t>(y) - (barra_ / 2 + VSB_FLECHA);
    return Acotar64(desde * max_ / recorrido);
}

bool cBarraDesplazamiento::MouseDown(int y, int paso) {
    if (y < VSB_FLECHA) {
        estado_ = VSB_FLECHA_ARRIBA;
        return SetValue(Acotar64(static_cast<std::int64_t>(valor_) - paso));
    }
    if (y >= alto_ - VSB_FLECHA) {
        estado_ = VSB_FLECHA_ABAJO;
        return SetValue(Acotar64(static_cast<std::int64_t>(valor_) + paso));
    }
    estado_ = (y >= TopBarra() && y <= FondoBarra()) ? VSB_BARRA_TOMADA : VSB_PISTA;
    return SetValue(ValorCentrado(y));
}

bool cBarraDesplazamiento::MouseMove(int y, bool botonIzquierdo) {
    if (!botonIzquierdo || estado_ != VSB_BARRA_TOMADA) return false;
    return SetValue(ValorCentrado(y));
}

bool cBarraDesplazamiento::Rueda(int muescas) {
    return SetValue(
        Acotar64(static_cast<std::int64_t>(valor_) -
                 static_cast<std::int64_t>(muescas) * VSB_CAMBIO_GRANDE));
}

}  // namespace quirvex
