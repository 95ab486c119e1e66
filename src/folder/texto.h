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
// The name in Unicode normalization form C (composed), from ICU: a name stored decomposed, as
// some systems write them, compares equal to the same name typed. Invalid bytes stay as they are
// and split the text into runs normalized on their own.
std::string FormaNFC(std::string_view s);
// A case-insensitive key that agrees with MayusculaDe: two characters get the same key exactly
// when their upper-case forms are equal (σ, ς and Σ alike). The key is the lower-case form
// wherever that form maps back, so most names are their own key.
char32_t PlegadoDe(char32_t c);
// FormaNFC, then PlegadoDe character by character: the key names are matched by without regard
// to case or form.
std::string Plegar(std::string_view s);
// Decodes (in form C) and upper-cases in one pass into `destino`, reusing its storage (the filter
// runs this over every name of a folder).
void DecodificarMayusculas(std::string_view s, std::u32string& destino);

// Orders texts as their UTF-16 forms would order by code unit, without converting them.
int CompararUtf16(std::string_view a, std::string_view b);

// The byte's rank in that order: byte order is code-point order, and UTF-16 differs only where a
// character beyond U+FFFF (lead bytes F0..F4, surrogates in UTF-16) meets one in U+E000..U+FFFF
// (lead bytes EE, EF): the surrogates sort below those. So F0..FF move down to EE..FD and EE, EF
// up to FE, FF; every other byte keeps its value. Comparing texts byte by byte through this map
// is CompararUtf16, so a sort may pack several ranked bytes into one number.
constexpr unsigned char RangoUtf16(unsigned char c) {
    return c < 0xEE ? c : (c >= 0xF0 ? static_cast<unsigned char>(c - 2)
                                     : static_cast<unsigned char>(c + 0x10));
}

bool TerminaCon(std::string_view s, std::string_view fin);

}  // namespace quirvex
