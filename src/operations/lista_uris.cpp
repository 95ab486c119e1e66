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
    salida.reserve(texto.size());
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

// Walks the lines of a text one at a time (split on LF, a CR before it dropped), storing none:
// a list of millions of blank lines costs one scan. NULs that end the whole text are a C
// string's terminator that some programs send along, not part of the last line.
class Lineas {
public:
    explicit Lineas(std::string_view texto) : resto_(texto) {
        while (!resto_.empty() && resto_.back() == '\0') resto_.remove_suffix(1);
    }
    bool Siguiente(std::string_view& linea) {
        if (resto_.empty()) return false;
        const auto fin = resto_.find('\n');
        linea = resto_.substr(0, fin);
        if (fin == std::string_view::npos)
            resto_ = {};
        else
            resto_.remove_prefix(fin + 1);
        if (!linea.empty() && linea.back() == '\r') linea.remove_suffix(1);
        return true;
    }

private:
    std::string_view resto_;
};

std::string_view Recortar(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

}  // namespace

std::string UriDeRuta(const std::string& ruta) { return UriDeRuta(ruta, Libre); }

std::string UriDeRuta(const std::string& ruta, bool (*libre)(unsigned char)) {
    static constexpr char HEX[] = "0123456789ABCDEF";
    std::string uri = "file://";
    uri.reserve(uri.size() + ruta.size() + 16);
    for (const char c : ruta) {
        const auto u = static_cast<unsigned char>(c);
        if (libre(u)) {
            uri += c;
        } else {
            uri += '%';
            uri += HEX[u >> 4];
            uri += HEX[u & 15];
        }
    }
    return uri;
}

bool RutaDeUri(std::string_view u, std::string& ruta) {
    if (!EmpiezaCon(u, "file:")) return false;
    u.remove_prefix(5);
    // Each of these would end the path for some reader, which would then reach a different
    // file than the one named: the URI is refused whole, never cut.
    if (u.find_first_of(std::string_view("?#\0", 3)) != std::string_view::npos) return false;
    if (u.substr(0, 2) == "//") {
        u.remove_prefix(2);
        const auto barra = u.find('/');
        if (barra == std::string_view::npos) return false;
        const std::string_view host = u.substr(0, barra);
        if (!host.empty() && !(host.size() == 9 && EmpiezaCon(host, "localhost"))) return false;
        u.remove_prefix(barra);
    }
    if (u.empty() || u.front() != '/') return false;
    return Decodificar(u, ruta);
}

std::string TextoListaUris(const std::vector<std::string>& rutas) {
    std::string texto;
    for (const std::string& r : rutas) texto += UriDeRuta(r) + "\r\n";
    return texto;
}

std::vector<std::string> RutasDeListaUris(std::string_view texto) {
    std::vector<std::string> rutas;
    Lineas lineas(texto);
    std::string ruta;
    for (std::string_view linea; lineas.Siguiente(linea);) {
        linea = Recortar(linea);
        if (linea.empty() || linea.front() == '#') continue;
        if (RutaDeUri(linea, ruta)) rutas.push_back(std::move(ruta));
    }
    return rutas;
}

std::string TextoArchivosCopiados(const std::vector<std::string>& rutas, bool cortar) {
    std::string texto = cortar ? "cut" : "copy";
    for (const std::string& r : rutas) texto += "\n" + UriDeRuta(r);
    return texto;
}

bool RutasDeArchivosCopiados(std::string_view texto, std::vector<std::string>& rutas,
                             bool& cortar) {
    rutas.clear();
    Lineas lineas(texto);
    std::string_view accion;
    if (!lineas.Siguiente(accion)) return false;
    accion = Recortar(accion);
    if (accion != "copy" && accion != "cut") return false;
    cortar = accion == "cut";
    std::string ruta;
    for (std::string_view linea; lineas.Siguiente(linea);) {
        linea = Recortar(linea);
        if (!linea.empty() && RutaDeUri(linea, ruta)) rutas.push_back(std::move(ruta));
    }
    return true;
}

bool RutasDeTextoPlano(std::string_view texto, std::vector<std::string>& rutas) {
    rutas.clear();
    Lineas lineas(texto);
    std::string ruta;
    for (std::string_view linea; lineas.Siguiente(linea);) {
        linea = Recortar(linea);
        if (linea.empty()) continue;
        if (!EmpiezaCon(linea, "file://") || !RutaDeUri(linea, ruta)) {
            rutas.clear();
            return false;
        }
        rutas.push_back(std::move(ruta));
    }
    return !rutas.empty();
}

}  // namespace quirvex
