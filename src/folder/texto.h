#pragma once
// Text helpers over UTF-8 that keep names with invalid bytes intact: an invalid byte decodes to
// its own code point in U+DC80..U+DCFF and encodes back to the same byte.

#include <string>
#include <string_view>

namespace quirvex {

std::u32string DecodificarUtf8(std::string_view s);
std::string CodificarUtf8(std::u32string_view s);

// Unicode simple case mapping (one character to one character) for every script, from ICU's
// character properties: the same answer in every process locale. Invalid bytes keep their value.
char32_t MayusculaDe(char32_t c);
char32_t MinusculaDe(char32_t c);
std::string Mayusculas(std::string_view s);
std::string Minusculas(std::string_view s);
// Decodes and upper-cases in one pass into `destino`, reusing its storage (the filter runs this
// over every name of a folder).
void DecodificarMayusculas(std::string_view s, std::u32string& destino);

// Orders texts as their UTF-16 forms would order by code unit, without converting them.
int CompararUtf16(std::string_view a, std::string_view b);

bool TerminaCon(std::string_view s, std::string_view fin);

}  // namespace quirvex
