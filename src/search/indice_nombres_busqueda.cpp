// cIndiceNombres: the search over the folded names, and the seam that forces each scan path.

#include <algorithm>
#include <cstring>

#include "folder/texto.h"
#include "search/barrido_nombres.h"
#include "search/indice_nombres.h"
#include "search/mejores_claves.h"

namespace quirvex {

using barrido::EsTerminador;
using barrido::FinDesde;

// Ranked keys (class, depth, position of the hit) in a bounded max-heap: the worst kept on top.
// Every nonzero byte is a live name, so a hit needs no look-up to count; positions only grow, so
// a hit whose (class, depth) is no better than the worst kept one is out, and the depth is that
// of the listing the last hit fell in until a hit passes its end.
class cIndiceNombres::Ranking {
public:
    Ranking(const cIndiceNombres& indice, std::size_t k, std::size_t limite)
        : base_(indice.plegados_.data()), tam_(indice.plegados_.size()), k_(k), limite_(limite),
          tramos_(indice.tramos_), carpetas_(indice.carpetas_) {
        monton_.reserve(limite + 1);
        Avanzar(tramos_.front().pos);
    }

    // A hit at `pos` of class 0 (the whole name), 1 (its beginning) or 2 (elsewhere in it).
    void Contar(std::size_t pos, std::uint64_t clase) {
        ++total_;
        Ofrecer(pos, clase);
    }
    void Sumar(std::uint64_t hits) { total_ += hits; }
    // Whether a hit of this class could still be kept.
    bool Admite(std::uint64_t clase) const {
        return limite_ != 0 && (monton_.size() < limite_ || (clase << 56) <= tope_);
    }
    // A hit counted already, kept if it ranks among the best so far. Positions only grow, so a
    // hit that is not kept rules out every later one of its class in its listing.
    bool Ofrecer(std::size_t pos, std::uint64_t clase) {
        if (!Admite(clase)) return false;
        if (pos >= finTramo_) Avanzar(pos);
        return GuardarEntreMejores(monton_, limite_, clase << 56 | profundidad_ << 40 | pos, tope_);
    }
    // Where the listing that holds `pos` ends.
    std::size_t FinListado(std::size_t pos) {
        if (pos >= finTramo_) Avanzar(pos);
        return finTramo_;
    }

    // A hit found without a round's masks. Returns the start of the next name.
    std::size_t Acierto(std::size_t pos) {
        const std::size_t fin = FinDesde(base_, pos + k_, tam_);
        Contar(pos, !EsTerminador(base_[pos - 1]) ? 2 : fin == pos + k_ ? 0 : 1);
        return fin + 1;
    }

    // Kept by where the text was found (one hit per name, so the order is the names'); the
    // entry is where its name starts.
    void Entregar(std::vector<std::uint32_t>& aciertos) {
        std::sort_heap(monton_.begin(), monton_.end());
        aciertos.reserve(monton_.size());
        for (std::uint64_t clave : monton_) {
            auto e = static_cast<std::uint32_t>(clave & 0xFFFFFFFFFFULL);
            while (!EsTerminador(base_[e - 1])) --e;
            aciertos.push_back(e);
        }
    }

    std::uint64_t Total() const { return total_; }

private:
    // Hits come in increasing order: gallop forward from the last listing, then bisect.
    [[gnu::noinline]] void Avanzar(std::size_t pos) {
        const std::size_t n = tramos_.size();
        std::size_t lo = tramo_, paso = 1, hi = lo + 1;
        while (hi < n && tramos_[hi].pos <= pos) {
            lo = hi;
            paso *= 2;
            hi = std::min(n, hi + paso);
        }
        const auto t = std::upper_bound(tramos_.begin() + static_cast<std::ptrdiff_t>(lo),
                                        tramos_.begin() + static_cast<std::ptrdiff_t>(hi), pos,
                                        [](std::size_t p, const Tramo& x) { return p < x.pos; });
        tramo_ = static_cast<std::size_t>(t - tramos_.begin()) - 1;
        finTramo_ = tramo_ + 1 < n ? tramos_[tramo_ + 1].pos : ~std::size_t{0};
        profundidad_ = carpetas_[tramos_[tramo_].carpeta].profundidad;
    }

    const char* base_;
    std::size_t tam_, k_, limite_;
    const std::vector<Tramo>& tramos_;
    const std::vector<Carpeta>& carpetas_;
    std::vector<std::uint64_t> monton_;
    std::uint64_t total_ = 0;
    std::uint64_t tope_ = ~std::uint64_t{0};  // the worst kept key, once the heap is full
    std::size_t tramo_ = 0;
    std::size_t finTramo_ = 0;  // where the next listing starts
    std::uint64_t profundidad_ = 0;
};

namespace {

// The two rarest bytes of the text pick the candidates; the rest is compared only there.
std::pair<std::size_t, std::size_t> BytesRaros(const std::string& q, const std::uint32_t (&frecuencia)[256]) {
    auto f = [&](std::size_t i) { return frecuencia[static_cast<unsigned char>(q[i])]; };
    const std::size_t k = q.size();
    std::size_t a = 0, b = k - 1;
    for (std::size_t i = 0; i < k; ++i)
        if (f(i) < f(a)) a = i;
    if (k > 1) {
        b = a == 0 ? 1 : 0;
        for (std::size_t i = 0; i < k; ++i)
            if (i != a && f(i) < f(b)) b = i;
    }
    return {a, b};
}

#if defined(__SSE2__)
// The hits of the 64-byte rounds, a round at a time as masks: one bit a byte, the names' ends
// (terminators) in one mask, the hits' starts in another. Only the first hit of a name counts,
// and those are found for the whole round at once: from each name's start a borrow runs up the
// bits until it meets a hit or the name's end. Only hits that can still enter the ranking are
// looked at one by one, so a text found in most names costs a few instructions a round.
template <typename Ranking>
class Rondas {
public:
    Rondas(Ranking& r, std::string_view buffer, const std::string& q)
        : r_(r), base_(buffer.data()), tam_(buffer.size()), q_(q) {
        alignas(16) char q16[16] = {};
        std::memcpy(q16, q.data(), std::min<std::size_t>(q.size(), 16));
        vq_ = _mm_load_si128(reinterpret_cast<const __m128i*>(q16));
        todosK_ = q.size() >= 16 ? 0xFFFFu : (1u << q.size()) - 1;
    }

    // m: the candidates of the round at p (where the text's two rarest bytes are in place); t:
    // its terminators.
    void operator()(std::uint64_t m, std::uint64_t t, std::size_t p) {
        const bool yaContada = YaContada(p);  // the name at p has counted its hit already
        const std::uint64_t x = Verificar(m, p);
        const std::uint64_t inicios = t << 1 | (EsTerminador(base_[p - 1]) ? 1 : 0);
        const std::uint64_t w = x | t;
        std::uint64_t d = 0;
        const bool sigue = __builtin_sub_overflow(w, t << 1 | (yaContada ? 0 : 1), &d);
        const std::uint64_t primeros = x & ~d;
        r_.Sumar(static_cast<std::uint64_t>(__builtin_popcountll(primeros)));
        Clasificar(primeros, inicios, t, p);
        // The name that runs past the round has counted its hit unless the borrow ran out of it.
        contada_ = !sigue && !(t >> 63);
        finRonda_ = p + 64;
    }

    // Where the plain reading after the pass may start looking: past the name with the last hit.
    std::size_t Siguiente() const { return contada_ ? barrido::FinDesde(base_, finRonda_, tam_) + 1 : 0; }

private:
    // Offers the ranking the round's first hits that can still rank, in order.
    void Clasificar(std::uint64_t primeros, std::uint64_t inicios, std::uint64_t t, std::size_t p) {
        std::uint64_t mirar = primeros & (r_.Admite(2) ? inicios | ~Debajo(sinClase2Hasta_, p) : inicios);
        while (mirar) {
            const auto i = static_cast<std::size_t>(__builtin_ctzll(mirar));
            mirar &= mirar - 1;
            if ((inicios >> i) & 1) {
                r_.Ofrecer(p + i, Termina(t, p, i) ? 0 : 1);
            } else if (!r_.Ofrecer(p + i, 2)) {
                // The rest of its listing is as deep and further on: none of its other names
                // can rank with a hit inside them.
                sinClase2Hasta_ = r_.FinListado(p + i);
                mirar &= inicios | ~Debajo(sinClase2Hasta_, p);
            }
        }
    }

    bool YaContada(std::size_t p) const {
        if (!contada_) return false;
        if (p == finRonda_) return true;
        // Rounds without candidates between: the name may have ended in them.
        return barrido::FinDesde(base_, finRonda_, tam_) >= p;
    }

    // The bits of the round at p that lie before `hasta`.
    static std::uint64_t Debajo(std::size_t hasta, std::size_t p) {
        if (hasta <= p) return 0;
        return hasta - p >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << (hasta - p)) - 1;
    }

    // A text of one or two bytes is whole once its rarest bytes match; a longer one is compared
    // at each candidate.
    std::uint64_t Verificar(std::uint64_t m, std::size_t p) const {
        const std::size_t k = q_.size();
        if (k <= 2) return m;
        std::uint64_t x = 0;
        for (; m; m &= m - 1) {
            const auto i = static_cast<std::size_t>(__builtin_ctzll(m));
            const std::size_t cand = p + i;
            bool igual;
            if (cand + 16 <= tam_ && k <= 16) {
                const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base_ + cand));
                const auto iguales = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(c, vq_)));
                igual = (iguales & todosK_) == todosK_;
            } else {
                igual = cand + k <= tam_ && std::memcmp(base_ + cand, q_.data(), k) == 0;
            }
            if (igual) x |= std::uint64_t{1} << i;
        }
        return x;
    }

    // Whether the hit at bit i ends where its name does.
    bool Termina(std::uint64_t t, std::size_t p, std::size_t i) const {
        const std::size_t j = i + q_.size();
        return j < 64 ? (t >> j) & 1 : EsTerminador(base_[p + j]);
    }

    Ranking& r_;
    const char* base_;
    std::size_t tam_;
    const std::string& q_;
    __m128i vq_;  // the text's first 16 bytes, to compare a candidate in one step
    unsigned todosK_;
    bool contada_ = false;
    std::size_t finRonda_ = 0;
    std::size_t sinClase2Hasta_ = 0;  // hits elsewhere than at a name's start cannot rank before here
};

// The wide pass over all but the buffer's last round. Returns where it stopped; `siguiente` is
// where the name after its last hit starts.
template <typename Ranking>
std::size_t BarrerAncho(const std::string& q, std::string_view buffer, const std::uint32_t (&frecuencia)[256],
                        Ranking& r, std::size_t& siguiente) {
    const std::size_t tam = buffer.size();
    const char* base = buffer.data();
    Rondas<Ranking> rondas(r, buffer, q);
    const auto [a, b] = BytesRaros(q, frecuencia);
    const barrido::Ronda ronda{base, base + a, base + b, q[a], q[b], tam - std::min(tam, std::max(a, b) + 64)};
    const std::size_t p = barrido::ConAvx2() ? barrido::BarrerAvx2(ronda, 1, rondas) : barrido::BarrerSse2(ronda, 1, rondas);
    siguiente = rondas.Siguiente();
    return p;
}
#endif

}  // namespace

bool ForzarCaminoBarrido(CaminoBarrido camino) {
#if defined(__SSE2__)
    const bool puede = camino != CaminoBarrido::Avx2 || barrido::Avx2Disponible();
#else
    const bool puede = camino == CaminoBarrido::Auto || camino == CaminoBarrido::Simple ||
                       camino == CaminoBarrido::Iniciales;
#endif
    if (puede) barrido::CaminoForzado() = static_cast<int>(camino);
    return puede;
}

std::uint64_t cIndiceNombres::Buscar(std::string_view texto, std::size_t limite,
                                     std::vector<std::uint32_t>& aciertos) const {
    aciertos.clear();
    const std::string q = Plegar(texto);
    // No name holds a terminator: such a text matches nothing (and must not match across names).
    if (q.empty() || q.find_first_of(std::string_view("\0/", 2)) != std::string::npos || vivas_ == 0) return 0;
    const auto camino = static_cast<CaminoBarrido>(barrido::CaminoForzado());
    if (q.size() == 1 && (camino == CaminoBarrido::Auto || camino == CaminoBarrido::Iniciales))
        return BuscarUnByte(static_cast<unsigned char>(q[0]), limite, aciertos);
    Ranking r(*this, q.size(), limite);
    std::size_t p = 1, siguiente = 1;
#if defined(__SSE2__)
    if (camino != CaminoBarrido::Simple)
        p = BarrerAncho(q, plegados_, frecuencia_, r, siguiente);
#endif
    // The rest (all of it on the plain path) a hit at a time.
    const std::string_view todo(plegados_);
    for (p = std::max(p, siguiente); p + q.size() <= todo.size();) {
        const std::size_t hit = todo.find(q, p);
        if (hit == std::string_view::npos) break;
        p = r.Acierto(hit);
    }
    r.Entregar(aciertos);
    return r.Total();
}

}  // namespace quirvex
