#pragma once
// The pass over the index's buffer of folded names, each ended by NUL (a file) or '/' (a folder):
// the candidates for a text in 64-byte rounds, picked by its two rarest bytes, with 16-byte
// compares everywhere and 32-byte ones where the processor has them (chosen at run time, or
// forced through CaminoForzado so that tests compare every path with a plain reading). Only
// cIndiceNombres includes it.

#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#endif

namespace quirvex::barrido {

inline bool EsTerminador(char c) { return c == '\0' || c == '/'; }

// 0: the widest pass the processor has; otherwise a CaminoBarrido (indice_nombres.h).
inline int& CaminoForzado() {
    static int camino = 0;
    return camino;
}

// The first terminator at or after `desde` in a buffer of `tam` bytes that ends with one.
inline std::size_t FinDesde(const char* base, std::size_t desde, std::size_t tam) {
#if defined(__SSE2__)
    const __m128i cero = _mm_setzero_si128();
    const __m128i barra = _mm_set1_epi8('/');
    for (; desde + 16 <= tam; desde += 16) {
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + desde));
        const auto m = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(c, cero), _mm_cmpeq_epi8(c, barra))));
        if (m) return desde + static_cast<std::size_t>(__builtin_ctz(m));
    }
#endif
    (void)tam;
    while (!EsTerminador(base[desde])) ++desde;
    return desde;
}

#if defined(__SSE2__)
// The terminators among the 64 bytes at `p`, one bit each.
inline std::uint64_t Terminadores64(const char* p) {
    const __m128i cero = _mm_setzero_si128();
    const __m128i barra = _mm_set1_epi8('/');
    std::uint64_t m = 0;
    for (int i = 0; i < 4; ++i) {
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
        m |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(
                 _mm_or_si128(_mm_cmpeq_epi8(c, cero), _mm_cmpeq_epi8(c, barra)))))
             << (16 * i);
    }
    return m;
}

// A pass over the name buffer: candidate starts p < hasta, where the byte at pa + p is `ca` and
// the one at pb + p is `cb` (the text's two rarest bytes, at their offsets in it; the same byte
// for a text of one).
struct Ronda {
    const char* base;
    const char* pa;
    const char* pb;
    char ca, cb;
    std::size_t hasta;
};

// 64 bytes a round, the candidates of a round as one mask: most rounds have none. A round with
// candidates is handed on with its terminators. Returns where the pass stopped.
template <typename Candidatos>
std::size_t BarrerSse2(const Ronda& r, std::size_t p, Candidatos& candidatos) {
    const __m128i va = _mm_set1_epi8(r.ca);
    const __m128i vb = _mm_set1_epi8(r.cb);
    for (; p < r.hasta; p += 64) {
        std::uint64_t m = 0;
        for (int i = 0; i < 4; ++i) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r.pa + p + 16 * i));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r.pb + p + 16 * i));
            m |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(
                     _mm_and_si128(_mm_cmpeq_epi8(a, va), _mm_cmpeq_epi8(b, vb)))))
                 << (16 * i);
        }
        if (m) candidatos(m, Terminadores64(r.base + p), p);
    }
    return p;
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
// The same pass with 32-byte compares, where the processor has them: the scan is bound by
// instructions, not by memory, and this halves them.
[[gnu::target("avx2")]] inline std::uint64_t Terminadores64Avx2(const char* p) {
    const __m256i cero = _mm256_setzero_si256();
    const __m256i barra = _mm256_set1_epi8('/');
    std::uint64_t m = 0;
    for (int i = 0; i < 2; ++i) {
        const __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32 * i));
        m |= static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(
                 _mm256_or_si256(_mm256_cmpeq_epi8(c, cero), _mm256_cmpeq_epi8(c, barra)))))
             << (32 * i);
    }
    return m;
}

template <typename Candidatos>
[[gnu::target("avx2")]] std::size_t BarrerAvx2(const Ronda& r, std::size_t p,
                                               Candidatos& candidatos) {
    const __m256i va = _mm256_set1_epi8(r.ca);
    const __m256i vb = _mm256_set1_epi8(r.cb);
    if (r.pa == r.pb) {
        // A text of one byte: one compare a byte, and most rounds have candidates.
        for (; p < r.hasta; p += 64) {
            const __m256i a0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(r.pa + p));
            const __m256i a1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(r.pa + p + 32));
            const std::uint64_t m =
                static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(a0, va))) |
                static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(a1, va)))) << 32;
            if (m) candidatos(m, Terminadores64Avx2(r.base + p), p);
        }
        return p;
    }
    for (; p < r.hasta; p += 64) {
        std::uint64_t m = 0;
        for (int i = 0; i < 2; ++i) {
            const __m256i a =
                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(r.pa + p + 32 * i));
            const __m256i b =
                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(r.pb + p + 32 * i));
            m |= static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(
                     _mm256_and_si256(_mm256_cmpeq_epi8(a, va), _mm256_cmpeq_epi8(b, vb)))))
                 << (32 * i);
        }
        if (m) candidatos(m, Terminadores64Avx2(r.base + p), p);
    }
    return p;
}

inline bool Avx2Disponible() {
    static const bool si = __builtin_cpu_supports("avx2");
    return si;
}
// Every path but the forced 16-byte one takes the widest pass.
inline bool ConAvx2() { return CaminoForzado() != 2 && Avx2Disponible(); }
#else
template <typename Candidatos>
std::size_t BarrerAvx2(const Ronda& r, std::size_t p, Candidatos& candidatos) {
    return BarrerSse2(r, p, candidatos);
}
inline bool Avx2Disponible() { return false; }
inline bool ConAvx2() { return false; }
#endif
#endif

}  // namespace quirvex::barrido
