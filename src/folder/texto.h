#pragma once
// Text helpers over UTF-8 that keep names with invalid bytes intact: an invalid byte decodes to
// its own code point in U+DC80..U+DCFF and encodes back to the same byte.

#include <string>
#include <string_view>

namespace quirvex {

std::u32string DecodificarUtf8(std::string_view s);
std::string CodificarUtf8(std::u32string_view s);

// Case mapping for ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic: enough for the names
// people type (ñ, é, ä, ş, я ...) without depending on the process locale.
char32_t MayusculaDe(char32_t c);
char32_t MinusculaDe(char32_t c);
std::string Mayusculas(std::string_view s);
std::string Minusculas(std::string_view s);

// Orders texts as their UTF-16 forms would order by code unit, without converting them.
int CompararUtf16(std::string_view a, std::string_view b);

bool TerminaCon(std::string_view s, std::string_view fin);

}  // namespace quirvex
