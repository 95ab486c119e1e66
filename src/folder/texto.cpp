#include "folder/texto.h"

#include <algorithm>

namespace quirvex {
namespace {

constexpr char32_t kBaseByteInvalido = 0xDC00;

// Length of the UTF-8 sequence starting at s[i], or 0 when it is not a valid one.
size_t LongitudSecuencia(std::string_view s, size_t i, char32_t& cp) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    size_t n = 0;
    char32_t minimo = 0;
    if ((b0 & 0xE0) == 0xC0) {
        n = 2, cp = b0 & 0x1F, minimo = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        n = 3, cp = b0 & 0x0F, minimo = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        n = 4, cp = b0 & 0x07, minimo = 0x10000;
    } else {
        return 0;
    }
    if (i + n > s.size()) return 0;
    for (size_t k = 1; k < n; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < minimo || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return n;
}

void Agregar(std::string& r, char32_t c) {
    if (c >= kBaseByteInvalido + 0x80 && c <= kBaseByteInvalido + 0xFF) {
        r += static_cast<char>(c - kBaseByteInvalido);
    } else if (c < 0x80) {
        r += static_cast<char>(c);
    } else if (c < 0x800) {
        r += static_cast<char>(0xC0 | (c >> 6));
        r += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        r += static_cast<char>(0xE0 | (c >> 12));
        r += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        r += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        r += static_cast<char>(0xF0 | (c >> 18));
        r += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        r += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        r += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool EsAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

template <typename Mapa>
std::string Mapear(std::string_view s, Mapa mapa) {
    if (EsAscii(s)) {
        std::string r(s);
        for (char& c : r) c = static_cast<char>(mapa(static_cast<char32_t>(c)));
        return r;
    }
    std::u32string u = DecodificarUtf8(s);
    for (char32_t& c : u) c = mapa(c);
    return CodificarUtf8(u);
}

}  // namespace

std::u32string DecodificarUtf8(std::string_view s) {
    std::u32string r;
    r.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        char32_t cp = 0;
        const size_t n = LongitudSecuencia(s, i, cp);
        if (n == 0) {
            r += kBaseByteInvalido + static_cast<unsigned char>(s[i]);
            ++i;
        } else {
            r += cp;
            i += n;
        }
    }
    return r;
}

std::string CodificarUtf8(std::u32string_view s) {
    std::string r;
    r.reserve(s.size());
    for (char32_t c : s) Agregar(r, c);
    return r;
}

char32_t MayusculaDe(char32_t c) {
    if (c >= 'a' && c <= 'z') return c - 0x20;
    if (c < 0xB5) return c;
    if (c == 0xB5) return 0x39C;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 0x20;
    if (c == 0xFF) return 0x178;
    if (c >= 0x100 && c <= 0x17F) {
        const bool parImpar = (c <= 0x137) || (c >= 0x14A && c <= 0x177);
        if (c == 0x131) return 'I';
        if (parImpar) return (c % 2 == 1) ? c - 1 : c;
        if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
            return (c % 2 == 0) ? c - 1 : c;
        return c;
    }
    if (c == 0x3C2) return 0x3A3;
    if (c >= 0x3AC && c <= 0x3AF) {
        static constexpr char32_t kAcentuadas[] = {0x386, 0x388, 0x389, 0x38A};
        return kAcentuadas[c - 0x3AC];
    }
    if (c >= 0x3B1 && c <= 0x3CB) return c - 0x20;
    if (c >= 0x430 && c <= 0x44F) return c - 0x20;
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;
    return c;
}

char32_t MinusculaDe(char32_t c) {
    if (c >= 'A' && c <= 'Z') return c + 0x20;
    if (c < 0xC0) return c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
    if (c == 0x178) return 0xFF;
    if (c >= 0x100 && c <= 0x17F) {
        if (c == 0x130) return 'i';
        const bool parImpar = (c <= 0x137) || (c >= 0x14A && c <= 0x177);
        if (parImpar) return (c % 2 == 0) ? c + 1 : c;
        if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
            return (c % 2 == 1) ? c + 1 : c;
        return c;
    }
    if (c == 0x386) return 0x3AC;
    if (c >= 0x388 && c <= 0x38A) return c + 0x25;
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 0x20;
    if (c >= 0x410 && c <= 0x42F) return c + 0x20;
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;
    return c;
}

std::string Mayusculas(std::string_view s) { return Mapear(s, MayusculaDe); }
std::string Minusculas(std::string_view s) { return Mapear(s, MinusculaDe); }

int CompararUtf16(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    size_t i = 0;
    while (i < n && a[i] == b[i]) ++i;
    if (i == n) return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
    // Byte order is code-point order. UTF-16 differs only where a character beyond U+FFFF
    // (lead bytes F0..F4, surrogates in UTF-16) meets one in U+E000..U+FFFF (lead bytes EE, EF):
    // the surrogates sort below those. Differing continuation bytes share a lead byte, so the
    // plain order holds for them.
    auto rango = [](unsigned char c) { return c >= 0xF0 ? 0xED * 2 + 1 : c * 2; };
    const int ra = rango(static_cast<unsigned char>(a[i]));
    const int rb = rango(static_cast<unsigned char>(b[i]));
    return ra < rb ? -1 : 1;
}

bool TerminaCon(std::string_view s, std::string_view fin) {
    return s.size() >= fin.size() && s.substr(s.size() - fin.size()) == fin;
}

}  // namespace quirvex
