#include "folder/filtro.h"

#include "folder/texto.h"

namespace quirvex {
namespace {

// Matches one pattern element at p against c; returns the element's length, or 0 on no match.
size_t CoincideElemento(const std::u32string& p, size_t i, char32_t c) {
    const char32_t e = p[i];
    if (e == U'?') return 1;
    if (e == U'#') return (c >= U'0' && c <= U'9') ? 1 : 0;
    if (e != U'[') return e == c ? 1 : 0;
    const size_t cierre = p.find(U']', i + 1 + (i + 1 < p.size() && p[i + 1] == U'!' ? 1 : 0));
    if (cierre == std::u32string::npos) return c == U'[' ? 1 : 0;  // a lone "[" is itself
    size_t k = i + 1;
    const bool negado = k < cierre && p[k] == U'!';
    if (negado) ++k;
    bool dentro = false;
    for (; k < cierre; ++k) {
        if (k + 2 < cierre && p[k + 1] == U'-') {
            if (c >= p[k] && c <= p[k + 2]) dentro = true;
            k += 2;
        } else if (p[k] == c) {
            dentro = true;
        }
    }
    return dentro != negado ? cierre - i + 1 : 0;
}

}  // namespace

PatronComodin::PatronComodin(std::string_view patron) {
    if (patron.empty() || patron == "*.*") patron = "*";
    DecodificarMayusculas(patron, patron_);
    aceptaTodo_ = patron_.find_first_not_of(U'*') == std::u32string::npos;
}

bool PatronComodin::Coincide(std::string_view nombre) const {
    if (aceptaTodo_) return true;
    // One buffer per thread, reused name after name: no allocation per entry.
    thread_local std::u32string n;
    DecodificarMayusculas(nombre, n);
    // Every element but "*" takes exactly one character, so backtracking to the last "*" is
    // enough: O(name × pattern) at worst, never exponential.
    size_t i = 0, j = 0, estrella = std::u32string::npos, marca = 0;
    while (i < n.size()) {
        if (j < patron_.size() && patron_[j] == U'*') {
            estrella = j++;
            marca = i;
        } else if (size_t len = j < patron_.size() ? CoincideElemento(patron_, j, n[i]) : 0) {
            j += len;
            ++i;
        } else if (estrella != std::u32string::npos) {
            j = estrella + 1;
            i = ++marca;
        } else {
            return false;
        }
    }
    while (j < patron_.size() && patron_[j] == U'*') ++j;
    return j == patron_.size();
}

bool PasaFiltro(const PatronComodin& p, int tipo, std::string_view nombre, bool carpeta) {
    if (nombre.empty()) return false;
    switch (tipo) {
        case FILTRO_ARCHIVOS: return carpeta || p.Coincide(nombre);
        case FILTRO_TODO: return p.Coincide(nombre);
        case FILTRO_SOLO_ARCHIVOS: return !carpeta && p.Coincide(nombre);
        case FILTRO_SOLO_CARPETAS: return carpeta && p.Coincide(nombre);
        default: return false;
    }
}

void FiltrarItems(const TablaItems& origen, std::string_view patron, int tipo, TablaItems& destino,
                  std::int64_t& nCarpetas, std::int64_t& nArchivos) {
    const PatronComodin p(patron);
    destino.clear();
    nCarpetas = nArchivos = 0;
    if (tipo < FILTRO_ARCHIVOS || tipo > FILTRO_SOLO_CARPETAS) return;
    destino.reserve(origen.size());
    for (const ItemCarpeta& it : origen) {
        const bool carpeta = it.EsCarpeta();
        if (!PasaFiltro(p, tipo, it.NombreMostrar(), carpeta)) continue;
        ++(carpeta ? nCarpetas : nArchivos);
        destino.push_back(it);
    }
}

}  // namespace quirvex
