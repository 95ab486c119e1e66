#include "operations/lista_uris.h"

#include <string_view>

namespace quirvex {
namespace {

bool Libre(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~' || c == '/';
}

int ValorHex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool Decodificar(std::string_view texto, std::string& salida) {
    salida.clear();
    for (std::size_t k = 0; k < texto.size(); ++k) {
        if (texto[k] != '%') {
            salida += texto[k];
            continue;
        }
        if (k + 2 >= texto.size()) return false;
        const int alto = ValorHex(texto[k + 1]);
        const int bajo = ValorHex(texto[k + 2]);
        if (alto < 0 || bajo < 0) return false;
        const char c = static_cast<char>(alto * 16 + bajo);
        if (c == '\0') return false;
        salida += c;
        k += 2;
    }
    return true;
}

bool EmpiezaCon(std::string_view texto, std::string_view prefijo) {
    if (texto.size() < prefijo.size()) return false;
    for (std::size_t k = 0; k < prefijo.size(); ++k) {
        char c = texto[k];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != prefijo[k]) return false;
    }
    return true;
}

// Splits on LF, dropping a CR before it.
std::vector<std::string_view> Lineas(std::string_view texto) {
    std::vector<std::string_view> lineas;
    while (!texto.empty()) {
        const auto fin = texto.find('\n');
        std::string_view linea = texto.substr(0, fin);
        if (!linea.empty() && linea.back() == '\r') linea.remove_suffix(1);
        lineas.push_back(linea);
        if (fin == std::string_view::npos) break;
        texto.remove_prefix(fin + 1);
    }
    return lineas;
}

std::string_view Recortar(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\0')) s.remove_suffix(1);
    return s;
}

}  // namespace

std::string UriDeRuta(const std::string& ruta) {
    static constexpr char HEX[] = "0123456789ABCDEF";
    std::string uri = "file://";
    for (const char c : ruta) {
        const auto u = static_cast<unsigned char>(c);
        if (Libre(u)) {
            uri += c;
        } else {
            uri += '%';
            uri += HEX[u >> 4];
            uri += HEX[u & 15];
        }
    }
    return uri;
}

bool RutaDeUri(const std::string& uri, std::string& ruta) {
    std::string_view u = uri;
    if (!EmpiezaCon(u, "file:")) return false;
    u.remove_prefix(5);
    if (u.substr(0, 2) == "//") {
        u.remove_prefix(2);
        const auto barra = u.find('/');
        if (barra == std::string_view::npos) return false;
        const std::string_view host = u.substr(0, barra);
        if (!host.empty() && !(host.size() == 9 && EmpiezaCon(host, "localhost"))) return false;
        u.remove_prefix(barra);
    }
    if (u.empty() || u.front() != '/') return false;
    // A query or fragment is not part of a local path.
    u = u.substr(0, u.find_first_of("?#"));
    return Decodificar(u, ruta);
}

std::string TextoListaUris(const std::vector<std::string>& rutas) {
    std::string texto;
    for (const std::string& r : rutas) texto += UriDeRuta(r) + "\r\n";
    return texto;
}

std::vector<std::string> RutasDeListaUris(const std::string& texto) {
    std::vector<std::string> rutas;
    for (std::string_view linea : Lineas(texto)) {
        linea = Recortar(linea);
        if (linea.empty() || linea.front() == '#') continue;
        std::string ruta;
        if (RutaDeUri(std::string(linea), ruta)) rutas.push_back(std::move(ruta));
    }
    return rutas;
}

std::string TextoArchivosCopiados(const std::vector<std::string>& rutas, bool cortar) {
    std::string texto = cortar ? "cut" : "copy";
    for (const std::string& r : rutas) texto += "\n" + UriDeRuta(r);
    return texto;
}

bool RutasDeArchivosCopiados(const std::string& texto, std::vector<std::string>& rutas,
                             bool& cortar) {
    rutas.clear();
    const std::vector<std::string_view> lineas = Lineas(texto);
    if (lineas.empty()) return false;
    const std::string_view accion = Recortar(lineas.front());
    if (accion != "copy" && accion != "cut") return false;
    cortar = accion == "cut";
    for (std::size_t k = 1; k < lineas.size(); ++k) {
        const std::string_view linea = Recortar(lineas[k]);
        std::string ruta;
        if (!linea.empty() && RutaDeUri(std::string(linea), ruta)) rutas.push_back(std::move(ruta));
    }
    return true;
}

bool RutasDeTextoPlano(const std::string& texto, std::vector<std::string>& rutas) {
    rutas.clear();
    for (std::string_view linea : Lineas(texto)) {
        linea = Recortar(linea);
        if (linea.empty()) continue;
        std::string ruta;
        if (!EmpiezaCon(linea, "file://") || !RutaDeUri(std::string(linea), ruta)) {
            rutas.clear();
            return false;
        }
        rutas.push_back(std::move(ruta));
    }
    return !rutas.empty();
}

}  // namespace quirvex
