#include "pane/soltar_visor.h"

namespace quirvex {
namespace {

std::string CarpetaDe(std::string ruta) {
    while (ruta.size() > 1 && ruta.back() == SepRuta) ruta.pop_back();
    const auto b = ruta.rfind(SepRuta);
    return b == std::string::npos ? std::string() : ruta.substr(0, b + 1);
}

}  // namespace

PreparacionSoltar PrepararSoltar(const std::vector<std::string>& rutas, const cContenidoVisor& c) {
    PreparacionSoltar p;
    if (c.EnMiPC() || c.EnRed()) {
        p.resultado = ResultadoSoltar::EnUnidades;
        return p;
    }
    p.destino = c.RutaActual;
    for (const auto& r : rutas) {
        if (r.empty() || CarpetaDe(r) == p.destino) continue;
        p.rutas.push_back(r);
    }
    if (p.rutas.empty()) return p;
    p.origen = CarpetaDe(p.rutas.front());
    p.resultado = ResultadoSoltar::Listo;
    return p;
}

}  // namespace quirvex
