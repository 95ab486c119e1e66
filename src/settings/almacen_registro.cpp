#include "settings/almacen_registro.h"

#include <algorithm>
#include <functional>

#include "platform/almacen_archivo.h"

namespace quirvex {
namespace {

constexpr std::string_view CABECERA = "Windows Registry Editor Version 5.00";
constexpr std::string_view PREFIJO_DWORD = "dword:";
constexpr char HEX[] = "0123456789abcdef";

char Minuscula(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IgualSinMayusculas(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char x, char y) { return Minuscula(x) == Minuscula(y); });
}

// Under `clave` in the key tree: the key itself or one of its subkeys.
bool EsClaveOSubclave(std::string_view ruta, std::string_view clave) {
    if (ruta.size() < clave.size() || !IgualSinMayusculas(ruta.substr(0, clave.size()), clave)) {
        return false;
    }
    return ruta.size() == clave.size() || ruta[clave.size()] == '\\';
}

int ValorHex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = Minuscula(c);
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string Entrecomillar(std::string_view texto) {
    std::string salida = "\"";
    for (const char c : texto) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '\\' || c == '"') {
            salida += '\\';
            salida += c;
        } else if (c == '\r') {
            salida += "\\r";
        } else if (c == '\n') {
            salida += "\\n";
        } else if (b < 0x20 || b == 0x7f) {
            salida += "\\x";
            salida += HEX[b >> 4];
            salida += HEX[b & 0xf];
        } else {
            salida += c;
        }
    }
    salida += '"';
    return salida;
}

// Reads a quoted string starting at linea[pos] == '"'; leaves pos after the closing quote.
std::optional<std::string> LeerEntrecomillado(std::string_view linea, std::size_t& pos) {
    if (pos >= linea.size() || linea[pos] != '"') return std::nullopt;
    std::string texto;
    for (++pos; pos < linea.size(); ++pos) {
        const char c = linea[pos];
        if (c == '"') {
            ++pos;
            return texto;
        }
        if (c != '\\') {
            texto += c;
            continue;
        }
        if (++pos >= linea.size()) return std::nullopt;
        switch (linea[pos]) {
            case '\\': texto += '\\'; break;
            case '"': texto += '"'; break;
            case 'r': texto += '\r'; break;
            case 'n': texto += '\n'; break;
            case 'x': {
                if (pos + 2 >= linea.size()) return std::nullopt;
                const int alto = ValorHex(linea[pos + 1]);
                const int bajo = ValorHex(linea[pos + 2]);
                if (alto < 0 || bajo < 0) return std::nullopt;
                texto += static_cast<char>(alto * 16 + bajo);
                pos += 2;
                break;
            }
            default: return std::nullopt;
        }
    }
    return std::nullopt;  // no closing quote
}

std::optional<std::int32_t> LeerDword(std::string_view resto) {
    if (resto.size() != 8) return std::nullopt;
    std::uint32_t n = 0;
    for (const char c : resto) {
        const int d = ValorHex(c);
        if (d < 0) return std::nullopt;
        n = n * 16 + static_cast<std::uint32_t>(d);
    }
    return static_cast<std::int32_t>(n);
}

// `"Name"=dword:0000000a`, `"Name"="text"` or `@=...` for the unnamed value.
std::optional<std::pair<std::string, ValorRegistro>> LeerLineaValor(std::string_view linea) {
    std::size_t pos = 0;
    std::string nombre;
    if (!linea.empty() && linea[0] == '@') {
        pos = 1;
    } else {
        auto leido = LeerEntrecomillado(linea, pos);
        if (!leido) return std::nullopt;
        nombre = std::move(*leido);
    }
    if (pos >= linea.size() || linea[pos] != '=') return std::nullopt;
    ++pos;
    const std::string_view resto = linea.substr(pos);
    if (resto.substr(0, PREFIJO_DWORD.size()) == PREFIJO_DWORD) {
        const auto numero = LeerDword(resto.substr(PREFIJO_DWORD.size()));
        if (!numero) return std::nullopt;
        return std::pair{std::move(nombre), ValorRegistro{*numero}};
    }
    auto texto = LeerEntrecomillado(linea, pos);
    if (!texto || pos != linea.size()) return std::nullopt;
    return std::pair{std::move(nombre), ValorRegistro{std::move(*texto)}};
}

std::string_view SinEspaciosFinales(std::string_view linea) {
    while (!linea.empty() && (linea.back() == ' ' || linea.back() == '\t' || linea.back() == '\r')) {
        linea.remove_suffix(1);
    }
    return linea;
}

std::vector<std::string_view> PartirLineas(std::string_view texto) {
    std::vector<std::string_view> lineas;
    while (!texto.empty()) {
        const auto fin = texto.find('\n');
        lineas.push_back(SinEspaciosFinales(texto.substr(0, fin)));
        if (fin == std::string_view::npos) break;
        texto.remove_prefix(fin + 1);
    }
    return lineas;
}

std::string FormatearValor(const std::string& nombre, const ValorRegistro& valor) {
    std::string linea = nombre.empty() ? "@" : Entrecomillar(nombre);
    linea += '=';
    if (const auto* numero = std::get_if<std::int32_t>(&valor)) {
        const auto n = static_cast<std::uint32_t>(*numero);
        linea += PREFIJO_DWORD;
        for (int desplazamiento = 28; desplazamiento >= 0; desplazamiento -= 4) {
            linea += HEX[(n >> desplazamiento) & 0xf];
        }
    } else {
        linea += Entrecomillar(std::get<std::string>(valor));
    }
    return linea;
}

}  // namespace

bool MenorSinMayusculas::operator()(std::string_view a, std::string_view b) const {
    return std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
            return static_cast<unsigned char>(Minuscula(x)) <
                   static_cast<unsigned char>(Minuscula(y));
        });
}

const ValorRegistro* ContenidoRegistro::Buscar(std::string_view clave,
                                               std::string_view nombre) const {
    const auto k = claves_.find(clave);
    if (k == claves_.end()) return nullptr;
    for (const auto& [n, valor] : k->second) {
        if (IgualSinMayusculas(n, nombre)) return &valor;
    }
    return nullptr;
}

bool ContenidoRegistro::Poner(std::string_view clave, std::string_view nombre,
                              const ValorRegistro& valor) {
    auto k = claves_.find(clave);
    if (k == claves_.end()) k = claves_.emplace(std::string(clave), ValoresRegistro{}).first;
    for (auto& [n, actual] : k->second) {
        if (!IgualSinMayusculas(n, nombre)) continue;
        if (actual == valor) return false;
        actual = valor;
        return true;
    }
    k->second.emplace_back(std::string(nombre), valor);
    return true;
}

bool ContenidoRegistro::CrearClave(std::string_view clave) {
    if (claves_.find(clave) != claves_.end()) return false;
    claves_.emplace(std::string(clave), ValoresRegistro{});
    return true;
}

bool ContenidoRegistro::BorrarClave(std::string_view clave) {
    return std::erase_if(claves_, [&](const auto& par) {
               return EsClaveOSubclave(par.first, clave);
           }) > 0;
}

bool ContenidoRegistro::ExisteClave(std::string_view clave) const {
    return claves_.find(clave) != claves_.end();
}

std::optional<ContenidoRegistro> AnalizarRegistro(std::string_view texto) {
    if (texto.substr(0, 3) == "\xEF\xBB\xBF") texto.remove_prefix(3);
    ContenidoRegistro contenido;
    bool cabecera = false;
    std::string clave;
    for (const std::string_view linea : PartirLineas(texto)) {
        if (linea.empty() || linea[0] == ';') continue;
        if (!cabecera) {
            if (linea != CABECERA) return std::nullopt;
            cabecera = true;
        } else if (linea[0] == '[') {
            if (linea.size() < 3 || linea.back() != ']' || linea[1] == '-') return std::nullopt;
            clave = linea.substr(1, linea.size() - 2);
            contenido.CrearClave(clave);
        } else {
            auto valor = LeerLineaValor(linea);
            if (!valor || clave.empty()) return std::nullopt;
            contenido.Poner(clave, valor->first, valor->second);
        }
    }
    return contenido;
}

std::string FormatearRegistro(const ContenidoRegistro& contenido) {
    std::string texto(CABECERA);
    texto += "\n\n";
    for (const auto& [clave, valores] : contenido.Claves()) {
        texto += '[';
        texto += clave;
        texto += "]\n";
        for (const auto& [nombre, valor] : valores) {
            texto += FormatearValor(nombre, valor);
            texto += '\n';
        }
        texto += '\n';
    }
    return texto;
}

std::string RutaClave(RaizRegistro raiz, std::string_view subclave) {
    std::string ruta;
    switch (raiz) {
        case HKEY_CURRENT_USER: ruta = "HKEY_CURRENT_USER"; break;
    }
    while (!subclave.empty() && subclave.front() == '\\') subclave.remove_prefix(1);
    while (!subclave.empty() && subclave.back() == '\\') subclave.remove_suffix(1);
    if (!subclave.empty()) {
        ruta += '\\';
        ruta += subclave;
    }
    return ruta;
}

namespace {

// The store as it is now; a file that cannot be parsed is kept aside (under the lock, and only
// if it is still the same unparseable text) and reads as empty.
ContenidoRegistro LeerContenido() {
    AlmacenArchivo& archivo = ArchivoRegistro();
    const LecturaArchivo lectura = archivo.Leer();
    if (lectura.estado != LecturaArchivo::Estado::Leido) return {};
    if (auto contenido = AnalizarRegistro(lectura.texto)) return std::move(*contenido);
    archivo.Actualizar([](const LecturaArchivo& actual) {
        CambioArchivo cambio;
        cambio.apartarActual = actual.estado == LecturaArchivo::Estado::Leido &&
                               !AnalizarRegistro(actual.texto);
        return cambio;
    });
    return {};
}

// One read-modify-write of the file under its lock. `aplicar` returns whether it changed
// anything; an unchanged store is not rewritten.
void Modificar(const std::function<bool(ContenidoRegistro&)>& aplicar) {
    ArchivoRegistro().Actualizar([&](const LecturaArchivo& actual) {
        CambioArchivo cambio;
        std::optional<ContenidoRegistro> contenido;
        if (actual.estado == LecturaArchivo::Estado::Leido) {
            contenido = AnalizarRegistro(actual.texto);
            cambio.apartarActual = !contenido;
        }
        if (!contenido) contenido.emplace();
        if (aplicar(*contenido) || cambio.apartarActual) {
            cambio.nuevoTexto = FormatearRegistro(*contenido);
        }
        return cambio;
    });
}

const ValorRegistro* BuscarEn(const ContenidoRegistro& contenido, RaizRegistro raiz,
                              std::string_view subclave, std::string_view nombre) {
    return contenido.Buscar(RutaClave(raiz, subclave), nombre);
}

}  // namespace

std::int32_t RegLeerDword(RaizRegistro raiz, std::string_view subclave, std::string_view nombre,
                          std::int32_t porDefecto) {
    const ContenidoRegistro contenido = LeerContenido();
    const ValorRegistro* valor = BuscarEn(contenido, raiz, subclave, nombre);
    if (!valor) return porDefecto;
    const auto* numero = std::get_if<std::int32_t>(valor);
    return numero ? *numero : 0;
}

std::string RegLeerCadena(RaizRegistro raiz, std::string_view subclave, std::string_view nombre) {
    const ContenidoRegistro contenido = LeerContenido();
    const ValorRegistro* valor = BuscarEn(contenido, raiz, subclave, nombre);
    const auto* texto = valor ? std::get_if<std::string>(valor) : nullptr;
    if (!texto) return {};
    return texto->substr(0, texto->find('\0'));
}

bool RegExisteValor(RaizRegistro raiz, std::string_view subclave, std::string_view nombre) {
    const ContenidoRegistro contenido = LeerContenido();
    return BuscarEn(contenido, raiz, subclave, nombre) != nullptr;
}

void RegEscribirValores(RaizRegistro raiz, std::string_view subclave,
                        const ValoresRegistro& valores) {
    const std::string clave = RutaClave(raiz, subclave);
    Modificar([&](ContenidoRegistro& contenido) {
        bool cambiado = contenido.CrearClave(clave);
        for (const auto& [nombre, valor] : valores) {
            cambiado = contenido.Poner(clave, nombre, valor) || cambiado;
        }
        return cambiado;
    });
}

void RegEscribirDword(RaizRegistro raiz, std::string_view subclave, std::string_view nombre,
                      std::int32_t valor) {
    RegEscribirValores(raiz, subclave, {{std::string(nombre), valor}});
}

void RegEscribirCadena(RaizRegistro raiz, std::string_view subclave, std::string_view nombre,
                       std::string_view texto) {
    RegEscribirValores(raiz, subclave, {{std::string(nombre), std::string(texto)}});
}

void RegBorrarClave(RaizRegistro raiz, std::string_view subclave) {
    const std::string clave = RutaClave(raiz, subclave);
    if (clave == RutaClave(raiz, {})) return;  // a root hive is never deleted
    Modificar([&](ContenidoRegistro& contenido) { return contenido.BorrarClave(clave); });
}

}  // namespace quirvex
