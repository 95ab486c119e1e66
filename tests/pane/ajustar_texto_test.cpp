#include "pane/ajustar_texto.h"

#include <gtest/gtest.h>

namespace quirvex {
namespace {

// Every character is 6 pixels wide, so "..." is 18.
int Medir6(std::string_view texto) { return static_cast<int>(ContarCaracteres(texto)) * 6; }

TEST(AjustarTexto, OneLineFitsWholeOrCutsWithEllipsis) {
    EXPECT_EQ(AjustarTexto("abcde", 30, 1, -1, Medir6), "abcde");
    // 36 pixels less 18 for "..." leaves three characters.
    EXPECT_EQ(AjustarTexto("abcdefgh", 36, 1, -1, Medir6), "abc...");
    // A given ellipsis width is used as is.
    EXPECT_EQ(AjustarTexto("abcdefgh", 36, 1, 6, Medir6), "abcde...");
    // Spaces are no break points on the last permitted line.
    EXPECT_EQ(AjustarTexto("ab cdefgh", 42, 1, 18, Medir6), "ab c...");
}

TEST(AjustarTexto, BreaksAtTheLastSpaceBeforeTheWidthRunsOut) {
    EXPECT_EQ(AjustarTexto("uno dos tres", 48, 0, 18, Medir6), "uno dos\rtres");
    // No space: the word is cut where it stops fitting.
    EXPECT_EQ(AjustarTexto("abcdefghij", 24, 0, 18, Medir6), "abcd\refgh\rij");
    // Two lines, the second cut for "...".
    EXPECT_EQ(AjustarTexto("uno dos tres cuatro", 48, 2, 18, Medir6), "uno dos\rtres ...");
}

TEST(AjustarTexto, OverflowingSpaceEndsTheLineAndIsDropped) {
    // The space is the character that overflows: the line ends before it, the next begins after.
    EXPECT_EQ(AjustarTexto("abcd efgh", 24, 0, 18, Medir6), "abcd\refgh");
}

TEST(AjustarTexto, CountsCharactersNotBytes) {
    // Four two-byte characters fit in 24 pixels; a byte-wise cut would split one of them.
    EXPECT_EQ(AjustarTexto("ñáéíóú", 24, 0, 18, Medir6), "ñáéí\róú");
    EXPECT_EQ(AjustarTexto("ññññññ", 30, 1, 18, Medir6), "ññ...");
}

TEST(AjustarTexto, WidthBelowOneCharacterStillEnds) {
    EXPECT_EQ(AjustarTexto("abc", 2, 0, 18, Medir6), "a\rb\rc");
    EXPECT_EQ(AjustarTexto("abc", 2, 1, 18, Medir6), "...");
    EXPECT_EQ(AjustarTexto("", -5, 0, 18, Medir6), "");
    // Invalid UTF-8 is walked byte by byte without reading past the end.
    EXPECT_EQ(AjustarTexto("\xff\xfe", 6, 0, 18, Medir6), "\xff\r\xfe");
}

TEST(AjustarTexto, LineCountIgnoresATrailingCarriageReturn) {
    EXPECT_EQ(ContarLineas(""), 0);
    EXPECT_EQ(ContarLineas("a"), 1);
    EXPECT_EQ(ContarLineas("a\rb"), 2);
    EXPECT_EQ(ContarLineas("a\r"), 1);
}

}  // namespace
}  // namespace quirvex
