#include "search/indice_servidor.h"

#include <utility>

#include "search/enlace_indice.h"

namespace quirvex {

std::string TrozoLiteral(std::string_view patron) {
    std::string_view mejor;
    std::size_t inicio = 0;
    for (std::size_t i = 0; i <= patron.size(); ++i) {
        if (i < patron.size() && patron[i] != '*' && patron[i] != '?') continue;
        if (i - inicio > mejor.size()) mejor = patron.substr(inicio, i - inicio);
        inicio = i + 1;
    }
    return std::string(mejor);
}

cIndiceServidor::cIndiceServidor(std::string rutaEnlace, int plazoMs)
    : rutaEnlace_(std::move(rutaEnlace)), plazoMs_(plazoMs) {}

std::string cIndiceServidor::Ruta() const { return rutaEnlace_.empty() ? RutaEnlaceIndice() : rutaEnlace_; }

bool cIndiceServidor::Disponible() { return ConectarLocal(Ruta()) != nullptr; }

bool cIndiceServidor::Buscar(const std::string& patron, cBusqueda& b) {
    const std::string trozo = TrozoLiteral(patron);
    // A pattern of wildcards alone would name every file of the index: the server is not asked.
    if (trozo.empty()) return Disponible();
    const auto r = ConsultarServidorIndice(trozo, plazoMs_, Ruta());
    if (!r) return false;
    const PatronBusqueda p(patron);
    for (const AciertoIndice& a : r->aciertos) {
        if (a.esCarpeta || !p.Coincide(a.nombre)) continue;
        std::string carpeta = a.carpeta;
        if (carpeta.empty() || carpeta.back() != '/') carpeta.push_back('/');
        if (b.Carpetas.empty() || b.Carpetas.back() != carpeta) b.Carpetas.push_back(std::move(carpeta));
        b.Resultados.push_back({a.nombre, static_cast<std::uint32_t>(b.Carpetas.size() - 1)});
    }
    return true;
}

}  // namespace quirvex
