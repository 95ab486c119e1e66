#include "platform/descubrimiento.h"

namespace quirvex {

std::string RutaServicio(const std::string& direccion, int puerto) {
    const bool v6 = direccion.find(':') != std::string::npos;
    std::string ruta = "//" + (v6 ? "[" + direccion + "]" : direccion);
    if (puerto > 0 && puerto != 445) ruta += ":" + std::to_string(puerto);
    return ruta;
}

}  // namespace quirvex
