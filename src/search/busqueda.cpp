#include "search/busqueda.h"

#include <algorithm>
#include <cstdio>

#include "folder/texto.h"
#include "platform/listado_nombres.h"
#include "settings/idioma.h"

namespace quirvex {
namespace {

constexpr std::int64_t kCarpetasPorPausa = 20;
constexpr std::int64_t kArchivosPorPausa = 30;
// A folder of hundreds of thousands of entries must not freeze the window while it is read.
constexpr std::size_t kEntradasPorPausa = 8192;

constexpr char32_t kAsterisco = U'*';
constexpr char32_t kInterrogacion = U'?';

char MayusculaAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

bool TodoAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The classic wildcard walk: on a mismatch go back to the last "*" and let it take one more
// character. Linear in practice, never exponential. Only the pattern's "*" and "?" are special:
// a "*" of the pattern is always a wildcard, even facing a "*" of the name, and every character
// of the name is itself.
template <typename Texto, typename Car>
bool CoincideComodin(const Texto& p, const Texto& s, Car asterisco, Car interrogacion) {
    std::size_t i = 0, j = 0, estrella = Texto::npos, desde = 0;
    while (j < s.size()) {
        if (i < p.size() && p[i] == asterisco) {
            estrella = i++;
            desde = j;
        } else if (i < p.size() && (p[i] == interrogacion || p[i] == s[j])) {
            ++i, ++j;
        } else if (estrella != Texto::npos) {
            i = estrella + 1;
            j = ++desde;
        } else {
            return false;
        }
    }
    while (i < p.size() && p[i] == asterisco) ++i;
    return i == p.size();
}

void Ceder(const AvisosBusqueda& a) {
    if (a.DejarCorrer) a.DejarCorrer();
}

void Buscar(const PatronBusqueda& patron, const std::string& carpeta, cBusqueda& b,
            ContadoresBusqueda& c, const AvisosBusqueda& a) {
    // One reading of the folder gives both its subfolders and its own hits, kept in
    // listing order; the subfolders are searched before the hits are listed.
    std::vector<std::string> subcarpetas;
    std::vector<std::string> aciertos;
    std::size_t leidas = 0;
    Nombres().Listar(carpeta, [&](std::string_view nombre, ClaseEntrada clase) {
        if (!b.Buscando) return false;
        if (++leidas % kEntradasPorPausa == 0) {
            Ceder(a);
            if (!b.Buscando) return false;
        }
        if (clase == ClaseEntrada::Carpeta)
            subcarpetas.emplace_back(nombre);
        else if (clase == ClaseEntrada::Archivo && patron.Coincide(nombre))
            aciertos.emplace_back(nombre);
        return true;
    });
    std::string ruta;
    for (const std::string& sub : subcarpetas) {
        if (!b.Buscando) return;
        if (c.carpetas % kCarpetasPorPausa == 0) {
            Ceder(a);
            if (!b.Buscando) return;
        }
        ++c.carpetas;
        ruta.assign(carpeta).append(sub).push_back('/');
        Buscar(patron, ruta, b, c, a);
    }
    if (aciertos.empty() || !b.Buscando) return;
    const auto indice = static_cast<std::uint32_t>(b.Carpetas.size());
    b.Carpetas.push_back(carpeta);
    for (std::string& nombre : aciertos) {
        if (c.archivos % kArchivosPorPausa == 0) {
            if (a.Progreso) a.Progreso(b.Resultados.size());
            Ceder(a);
        }
        if (!b.Buscando) return;
        if (!b.Nueva(carpeta, nombre)) continue;
        ++c.archivos;
        b.Resultados.push_back({std::move(nombre), indice});
    }
}

}  // namespace

std::string PatronDeBusqueda(std::string_view texto) {
    std::string p(texto);
    if (p.empty() || p.front() != '*') p.insert(p.begin(), '*');
    if (p.size() == 1 || p.back() != '*') p.push_back('*');
    return p;
}

PatronBusqueda::PatronBusqueda(std::string_view patron) {
    for (char32_t c : DecodificarUtf8(FormaNFC(patron))) plegado_.push_back(MayusculaDe(c));
    esAscii_ = std::all_of(plegado_.begin(), plegado_.end(), [](char32_t c) { return c < 0x80; });
    if (esAscii_)
        for (char32_t c : plegado_) ascii_.push_back(static_cast<char>(c));
}

bool PatronBusqueda::Coincide(std::string_view nombre) const {
    // Most names are ASCII: they are folded byte by byte with no decoding.
    if (esAscii_ && nombre.size() <= 255 && TodoAscii(nombre)) {
        char buffer[256];
        for (std::size_t k = 0; k < nombre.size(); ++k) buffer[k] = MayusculaAscii(nombre[k]);
        return CoincideComodin(std::string_view(ascii_), std::string_view(buffer, nombre.size()), '*', '?');
    }
    std::u32string n = DecodificarUtf8(FormaNFC(nombre));
    for (char32_t& c : n) c = MayusculaDe(c);
    return CoincideComodin(std::u32string_view(plegado_), std::u32string_view(n), kAsterisco,
                           kInterrogacion);
}

std::string cBusqueda::Linea(std::size_t i) const {
    const ResultadoBusqueda& r = Resultados[i];
    return r.nombre + "\t\t" + Carpetas[r.carpeta];
}

std::string cBusqueda::RutaCompleta(std::size_t i) const {
    const ResultadoBusqueda& r = Resultados[i];
    return Carpetas[r.carpeta] + r.nombre;
}

void cBusqueda::Limpiar() {
    Carpetas.clear();
    Resultados.clear();
    listadas_.clear();
}

bool cBusqueda::Nueva(std::string_view carpeta, std::string_view nombre) {
    if (!Unicas) return true;
    std::string ruta;
    ruta.reserve(carpeta.size() + nombre.size());
    ruta.append(carpeta).append(nombre);
    return listadas_.insert(std::move(ruta)).second;
}

void BuscarEnCarpeta(const PatronBusqueda& patron, std::string carpeta,
                     const std::shared_ptr<cBusqueda>& b, ContadoresBusqueda& contadores,
                     const AvisosBusqueda& avisos) {
    if (!b) return;
    if (carpeta.empty() || carpeta.back() != '/') carpeta.push_back('/');
    // Held for the whole walk: the window may be gone by the time a yield returns.
    const std::shared_ptr<cBusqueda> propia = b;
    Buscar(patron, carpeta, *propia, contadores, avisos);
}

std::string TextoSegundos(double segundos) {
    char texto[64];
    std::snprintf(texto, sizeof texto, "%.3f", segundos < 0 ? 0.0 : segundos);
    std::string s = texto;
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
    return s;
}

std::string TextoFinBusqueda(std::size_t n, double segundos) {
    return Texto(frmSearch, 7) + std::to_string(n) + Texto(frmSearch, 8) + TextoSegundos(segundos) +
           " " + Texto(General, 60);
}

bool AgregarCarpeta(std::vector<std::string>& lista, const std::string& ruta) {
    if (ruta.empty() || std::find(lista.begin(), lista.end(), ruta) != lista.end()) return false;
    lista.insert(lista.begin(), ruta);
    return true;
}

}  // namespace quirvex
