#include "folder/rutas.h"

#include "folder/item_carpeta.h"

namespace quirvex {

std::string AgregarBarra(const std::string& ruta) {
    if (!ruta.empty() && ruta.back() == SepRuta) return ruta;
    return ruta + SepRuta;
}

std::string SinBarraFinal(const std::string& ruta) {
    std::string r = ruta;
    while (r.size() > 1 && r.back() == SepRuta) r.pop_back();
    return r;
}

std::string CarpetaDe(const std::string& ruta) {
    const std::string r = SinBarraFinal(ruta);
    const auto barra = r.rfind(SepRuta);
    return barra == std::string::npos ? std::string() : r.substr(0, barra);
}

std::string NombreDe(const std::string& ruta) {
    const std::string r = SinBarraFinal(ruta);
    const auto barra = r.rfind(SepRuta);
    return barra == std::string::npos ? r : r.substr(barra + 1);
}

}  // namespace quirvex
