#include "folder/texto_una_linea.h"

namespace quirvex {

std::string EnUnaLinea(std::string_view nombre) {
    std::string r;
    r.reserve(nombre.size());
    for (const char c : nombre) {
        const auto b = static_cast<unsigned char>(c);
        if (b == 0 || (b >= 0x20 && b != 0x7F)) {
            r += c;
            continue;
        }
        // U+2400 + b (U+2421 for DEL) in UTF-8: E2 90 80+b.
        const unsigned punto = b == 0x7F ? 0x21 : b;
        r += static_cast<char>(0xE2);
        r += static_cast<char>(0x90);
        r += static_cast<char>(0x80 + punto);
    }
    return r;
}

}  // namespace quirvex
