#include "frame/tabs_guardados.h"

namespace quirvex {
namespace {

std::vector<std::string> Partir(std::string_view texto, char separador) {
    std::vector<std::string> partes;
    if (texto.empty()) return partes;
    size_t inicio = 0;
    for (;;) {
        const size_t fin = texto.find(separador, inicio);
        if (fin == std::string_view::npos) {
            partes.emplace_back(texto.substr(inicio));
            return partes;
        }
        partes.emplace_back(texto.substr(inicio, fin - inicio));
        inicio = fin + 1;
    }
}

bool Representable(const std::string& ruta) {
    return ruta.find('\r') == std::string::npos && ruta.find('\n') == std::string::npos;
}

}  // namespace

std::string RutaGuardada(const std::string& ruta) {
    if (ruta.size() > 1 && ruta.back() == '/') return ruta.substr(0, ruta.size() - 1);
    return ruta;
}

std::string FormatearTabsGuardados(const std::vector<TabGuardable>& tabs) {
    std::string texto;
    for (size_t t = 0; t < tabs.size(); ++t) {
        if (!tabs[t].esCarpeta) continue;
        bool primero = true;
        for (const std::string& ruta : tabs[t].rutas) {
            if (!Representable(ruta)) continue;
            if (!primero) texto += '\n';
            texto += RutaGuardada(ruta);
            primero = false;
        }
        if (t + 1 < tabs.size()) texto += '\r';
    }
    return texto;
}

std::vector<std::string> SepararTabsGuardados(std::string_view texto) { return Partir(texto, '\r'); }

std::vector<std::string> SepararVisores(std::string_view entrada) { return Partir(entrada, '\n'); }

}  // namespace quirvex
