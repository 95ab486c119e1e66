#include "folder/texto.h"

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

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

// Maps every character without decoding the whole text first; ASCII takes the short way and an
// invalid byte is copied as it is (its stand-in code point has no case).
template <typename Mapa>
std::string Mapear(std::string_view s, Mapa mapa) {
    std::string r;
    r.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) {
            r += static_cast<char>(mapa(b));
            ++i;
            continue;
        }
        char32_t cp = 0;
        const size_t n = LongitudSecuencia(s, i, cp);
        if (n == 0) {
            r += s[i];
            ++i;
        } else {
            Agregar(r, mapa(cp));
            i += n;
        }
    }
    return r;
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
    if (c < 0x80) return c >= 'a' && c <= 'z' ? c - 0x20 : c;
    if (c > 0x10FFFF) return c;
    return static_cast<char32_t>(u_toupper(static_cast<UChar32>(c)));
}

char32_t MinusculaDe(char32_t c) {
    if (c < 0x80) return c >= 'A' && c <= 'Z' ? c + 0x20 : c;
    if (c > 0x10FFFF) return c;
    return static_cast<char32_t>(u_tolower(static_cast<UChar32>(c)));
}

std::string Mayusculas(std::string_view s) { return Mapear(s, MayusculaDe); }
std::string Minusculas(std::string_view s) { return Mapear(s, MinusculaDe); }

namespace {

bool EsByteInvalido(char32_t c) { return c >= kBaseByteInvalido + 0x80 && c <= kBaseByteInvalido + 0xFF; }

// Below U+0300 nothing decomposes into, or composes with, anything else in form C.
bool SinComponer(std::string_view s) {
    for (unsigned char b : s)
        if (b >= 0xCC) return false;  // a lead byte of U+0300 or above
    return true;
}

void NormalizarTramo(const icu::Normalizer2& nfc, std::u32string_view tramo, std::u32string& destino) {
    UErrorCode e = U_ZERO_ERROR;
    icu::UnicodeString u = icu::UnicodeString::fromUTF32(reinterpret_cast<const UChar32*>(tramo.data()),
                                                          static_cast<int32_t>(tramo.size()));
    if (nfc.isNormalized(u, e) || U_FAILURE(e)) {
        destino.append(tramo);
        return;
    }
    e = U_ZERO_ERROR;
    const icu::UnicodeString n = nfc.normalize(u, e);
    if (U_FAILURE(e)) {
        destino.append(tramo);
        return;
    }
    std::u32string r(static_cast<std::size_t>(n.countChar32()), U'\0');
    e = U_ZERO_ERROR;
    const int32_t escritos = n.toUTF32(reinterpret_cast<UChar32*>(r.data()), static_cast<int32_t>(r.size()), e);
    r.resize(static_cast<std::size_t>(std::max(0, escritos)));
    destino += r;
}

}  // namespace

std::string FormaNFC(std::string_view s) {
    if (SinComponer(s)) return std::string(s);
    UErrorCode e = U_ZERO_ERROR;
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(e);
    if (!nfc || U_FAILURE(e)) return std::string(s);
    const std::u32string u = DecodificarUtf8(s);
    std::u32string r;
    r.reserve(u.size());
    std::size_t inicio = 0;
    for (std::size_t i = 0; i <= u.size(); ++i) {
        if (i < u.size() && !EsByteInvalido(u[i])) continue;
        NormalizarTramo(*nfc, std::u32string_view(u).substr(inicio, i - inicio), r);
        if (i < u.size()) r += u[i];
        inicio = i + 1;
    }
    return CodificarUtf8(r);
}

char32_t PlegadoDe(char32_t c) {
    if (c < 0x80) return c >= 'A' && c <= 'Z' ? c + 0x20 : c;
    const char32_t mayuscula = MayusculaDe(c);
    const char32_t minuscula = MinusculaDe(mayuscula);
    return MayusculaDe(minuscula) == mayuscula ? minuscula : mayuscula;
}

std::string Plegar(std::string_view s) {
    std::u32string u = DecodificarUtf8(FormaNFC(s));
    for (char32_t& c : u) c = PlegadoDe(c);
    return CodificarUtf8(u);
}

void DecodificarMayusculas(std::string_view s, std::u32string& destino) {
    if (!SinComponer(s)) {
        const std::string c = FormaNFC(s);
        if (c != s) return DecodificarMayusculas(c, destino);
    }
    destino.clear();
    for (size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) {
            destino += b >= 'a' && b <= 'z' ? static_cast<char32_t>(b - 0x20) : b;
            ++i;
            continue;
        }
        char32_t cp = 0;
        const size_t n = LongitudSecuencia(s, i, cp);
        if (n == 0) {
            destino += kBaseByteInvalido + b;
            ++i;
        } else {
            destino += MayusculaDe(cp);
            i += n;
        }
    }
}

int CompararUtf16(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    size_t i = 0;
    while (i < n && a[i] == b[i]) ++i;
    if (i == n) return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
    return RangoUtf16(static_cast<unsigned char>(a[i])) < RangoUtf16(static_cast<unsigned char>(b[i]))
               ? -1
               : 1;
}

bool TerminaCon(std::string_view s, std::string_view fin) {
    return s.size() >= fin.size() && s.substr(s.size() - fin.size()) == fin;
}

}  // namespace quirvex
