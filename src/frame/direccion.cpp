#include "frame/direccion.h"

#include "folder/item_carpeta.h"
#include "folder/texto.h"
#include "operations/lista_uris.h"
#include "platform/sistema_archivos.h"

namespace quirvex {
namespace {

bool ComienzaConSinMayusculas(std::string_view texto, std::string_view prefijo) {
    for (std::size_t k = 0; k < prefijo.size(); ++k) {
        char c = texto[k];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != prefijo[k]) return false;
    }
    return true;
}

}  // namespace

AccionDireccion ResolverDireccion(const std::string& texto, const std::string& aceptado) {
    if (!texto.empty() && texto.front() == SepRuta) {
        if (const auto e = Archivos().Consultar(texto)) {
            return (e->atributos & ATR_DIRECTORIO) ? AccionDireccion::IrCarpeta
                                                   : AccionDireccion::AbrirArchivo;
        }
    }
    if (Mayusculas(texto) == "MI PC") return AccionDireccion::MiPC;
    if (texto == aceptado) return AccionDireccion::Nada;
    return AccionDireccion::NoExiste;
}

std::vector<std::string> PartesDeRuta(const std::string& ruta) {
    std::vector<std::string> partes;
    if (ruta.empty()) return partes;
    if (ruta.front() != SepRuta) {
        partes.push_back(ruta);
        return partes;
    }
    partes.emplace_back(1, SepRuta);
    size_t inicio = 1;
    while (inicio < ruta.size()) {
        size_t fin = ruta.find(SepRuta, inicio);
        if (fin == std::string::npos) fin = ruta.size();
        if (fin > inicio) partes.push_back(ruta.substr(inicio, fin - inicio));
        inicio = fin + 1;
    }
    return partes;
}

std::string RutaDeParte(const std::string& ruta, int indice) {
    const std::vector<std::string> partes = PartesDeRuta(ruta);
    if (indice < 0 || indice >= static_cast<int>(partes.size())) return {};
    if (partes.front() != std::string(1, SepRuta)) return partes.front();
    std::string r(1, SepRuta);
    for (int i = 1; i <= indice; ++i) r += partes[static_cast<size_t>(i)] + SepRuta;
    return r;
}

bool EsModoDepuracion(const std::vector<std::string>& argumentos) {
    return argumentos.size() == 1 && argumentos.front() == "-debugmode";
}

std::optional<std::string> CarpetaDeArgumento(std::string_view argumento) {
    // "file:..." or "scheme://..." is a URI; "/a:b", "notes:2024" and "a/b://c" are paths.
    const auto marca = argumento.find("://");
    const bool esUri = (argumento.size() >= 5 && ComienzaConSinMayusculas(argumento, "file:")) ||
                       (marca != std::string_view::npos && marca > 0 &&
                        argumento.substr(0, marca).find('/') == std::string_view::npos);
    if (!esUri) return std::string(argumento);
    std::string ruta;
    if (!RutaDeUri(argumento, ruta)) return std::nullopt;
    return ruta;
}

}  // namespace quirvex
