// cIndiceNombres: a text of one byte, answered from the names' first bytes and the count of names
// holding each byte instead of a pass over the whole buffer. Such a text is in most names, so
// that pass would stop at nearly every round; its hits that can rank are few: the whole names
// and prefixes (found among two bytes a name) and, when those do not fill the limit, the first
// hits elsewhere in the shallowest listings (found reading those listings alone).

#include <algorithm>
#include <cstring>

#include "search/barrido_nombres.h"
#include "search/indice_nombres.h"
#include "search/mejores_claves.h"

namespace quirvex {

using barrido::EsTerminador;
using barrido::FinDesde;

namespace {

// The first bytes equal to `b` among `n` kept in the low byte of each element, in order.
template <typename Cada>
void CadaInicial(const std::uint16_t* v, std::size_t n, unsigned char b, Cada&& cada) {
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i bajo = _mm_set1_epi16(0x00FF);
    const __m128i vb = _mm_set1_epi16(static_cast<short>(b));
    for (; i + 8 <= n; i += 8) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(v + i));
        // Two mask bits an element: every other one is enough.
        auto m = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(x, bajo), vb))) & 0x5555u;
        for (; m; m &= m - 1) cada(i + static_cast<std::size_t>(__builtin_ctz(m)) / 2);
    }
#endif
    for (; i < n; ++i)
        if ((v[i] & 0xFF) == b) cada(i);
}

}  // namespace

std::uint64_t cIndiceNombres::BuscarUnByte(unsigned char b, std::size_t limite,
                                           std::vector<std::uint32_t>& aciertos) const {
    const std::uint64_t total = nombresCon_[b];
    if (limite == 0 || total == 0) return total;
    std::vector<std::uint64_t> claves;
    const std::uint64_t alPrincipio = AlPrincipio(b, limite, claves);
    EntradasDeNumeros(claves, aciertos);
    if (aciertos.size() < limite && total > alPrincipio)
        Dentro(b, limite - aciertos.size(), total - alPrincipio, aciertos);
    return total;
}

// The names that begin with `b`, ranked as the full pass ranks them, the best `limite` kept in a
// bounded max-heap; returns how many there are. Keys hold a name's number, not its position:
// both grow along the buffer, so they rank alike.
std::uint64_t cIndiceNombres::AlPrincipio(unsigned char b, std::size_t limite,
                                          std::vector<std::uint64_t>& claves) const {
    claves.reserve(std::min<std::size_t>(limite, 4096) + 1);
    std::uint64_t cuantos = 0, tope = ~std::uint64_t{0};
    std::size_t t = 0, finTramo = 0;
    std::uint64_t profundidad = 0;
    CadaInicial(iniciales_.data(), iniciales_.size(), b, [&](std::size_t i) {
        ++cuantos;
        if (i >= finTramo) {
            while (t + 1 < tramos_.size() && tramos_[t + 1].nombre <= i) ++t;
            finTramo = t + 1 < tramos_.size() ? tramos_[t + 1].nombre : ~std::size_t{0};
            profundidad = carpetas_[tramos_[t].carpeta].profundidad;
        }
        const std::uint64_t clase = iniciales_[i] >> 8 ? 1 : 0;
        GuardarEntreMejores(claves, limite, clase << 56 | profundidad << 40 | i, tope);
    });
    std::sort_heap(claves.begin(), claves.end());
    return cuantos;
}

// From name numbers (in rank order) to entries: each listing that holds some is read once, name
// by name from its start, in the order of the numbers.
void cIndiceNombres::EntradasDeNumeros(const std::vector<std::uint64_t>& claves,
                                       std::vector<std::uint32_t>& aciertos) const {
    std::vector<std::pair<std::uint32_t, std::size_t>> porNumero;  // number, rank
    porNumero.reserve(claves.size());
    for (std::size_t k = 0; k < claves.size(); ++k)
        porNumero.emplace_back(static_cast<std::uint32_t>(claves[k] & 0xFFFFFFFFFFULL), k);
    std::sort(porNumero.begin(), porNumero.end());
    aciertos.assign(claves.size(), 0);
    const char* base = plegados_.data();
    std::size_t t = 0, pos = 0, numero = 0;
    bool dentro = false;
    for (const auto& [i, k] : porNumero) {
        if (!dentro || (t + 1 < tramos_.size() && tramos_[t + 1].nombre <= i)) {
            while (t + 1 < tramos_.size() && tramos_[t + 1].nombre <= i) ++t;
            pos = tramos_[t].pos;
            numero = tramos_[t].nombre;
            dentro = true;
        }
        for (; numero < i; ++numero) pos = FinDesde(base, pos, plegados_.size()) + 1;
        aciertos[k] = static_cast<std::uint32_t>(pos);
    }
}

// Up to `cuantos` names that hold `b` but do not begin with it, shallower listings first and in
// buffer order within a depth, as the full pass ranks them; `quedan` is how many there are in
// all, so the reading stops at the last.
void cIndiceNombres::Dentro(unsigned char b, std::size_t cuantos, std::uint64_t quedan,
                            std::vector<std::uint32_t>& aciertos) const {
    // The live listings by depth (a counting sort keeps buffer order within one).
    std::vector<std::uint32_t> porProfundidad(1, 0);
    std::vector<std::uint32_t> vivos;
    vivos.reserve(tramos_.size());
    for (std::uint32_t t = 0; t < tramos_.size(); ++t) {
        const Carpeta& c = carpetas_[tramos_[t].carpeta];
        if (!c.viva || c.inicio != tramos_[t].pos || c.fin == c.inicio) continue;
        vivos.push_back(t);
        if (c.profundidad + 2u > porProfundidad.size()) porProfundidad.resize(c.profundidad + 2u, 0);
        ++porProfundidad[c.profundidad + 1u];
    }
    for (std::size_t d = 1; d < porProfundidad.size(); ++d) porProfundidad[d] += porProfundidad[d - 1];
    std::vector<std::uint32_t> orden(vivos.size());
    for (std::uint32_t t : vivos) orden[porProfundidad[carpetas_[tramos_[t].carpeta].profundidad]++] = t;

    const char* base = plegados_.data();
    for (std::uint32_t t : orden) {
        const Carpeta& c = carpetas_[tramos_[t].carpeta];
        for (std::size_t p = c.inicio; p < c.fin;) {
            const void* h = std::memchr(base + p, b, c.fin - p);
            if (!h) break;
            const auto hit = static_cast<std::size_t>(static_cast<const char*>(h) - base);
            std::size_t e = hit;
            while (!EsTerminador(base[e - 1])) --e;
            if (static_cast<unsigned char>(base[e]) != b) {
                aciertos.push_back(static_cast<std::uint32_t>(e));
                if (--cuantos == 0 || --quedan == 0) return;
            }
            p = FinDesde(base, hit, plegados_.size()) + 1;
        }
    }
}

}  // namespace quirvex
