#include "pane/soltar_visor.h"

#include "folder/rutas.h"

namespace quirvex {

PreparacionSoltar PrepararSoltar(const std::vector<std::string>& rutas, const cContenidoVisor& c) {
    PreparacionSoltar p;
    if (c.EnMiPC() || c.EnRed()) {
        p.resultado = ResultadoSoltar::EnUnidades;
        return p;
    }
    p.destino = c.RutaActual;
    for (const auto& r : rutas) {
        if (r.empty() || AgregarBarra(CarpetaDe(r)) == p.destino) continue;
        p.rutas.push_back(r);
    }
    if (p.rutas.empty()) return p;
    p.origen = AgregarBarra(CarpetaDe(p.rutas.front()));
    p.resultado = ResultadoSoltar::Listo;
    return p;
}

}  // namespace quirvex
