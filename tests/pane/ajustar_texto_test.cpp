#include "pane/ajustar_texto.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

// The rule as written: measure every beginning in turn until one is too wide.
std::string AjustarUnoAUno(std::string_view texto, int ancho, int maxLineas, int puntos,
                           const FuncionMedir& medir) {
    std::string r;
    int quedan = maxLineas;
    for (bool primera = true;; primera = false) {
        if (texto.empty() || medir(texto) <= ancho) return r + (primera ? "" : "\r") + std::string(texto);
        const bool ultima = maxLineas > 0 && quedan == 1;
        const int w = ultima ? ancho - puntos : ancho;
        std::size_t corte = texto.size(), espacio = std::string_view::npos;
        for (std::size_t pos = 0; pos < texto.size();) {
            const std::size_t sig = SiguienteCaracter(texto, pos);
            if (!ultima && texto[pos] == ' ') espacio = pos;
            if (medir(texto.substr(0, sig)) > w) {
                corte = pos;
                break;
            }
            pos = sig;
        }
        std::size_t fin = corte, saltar = corte;
        if (espacio != std::string_view::npos) fin = espacio, saltar = espacio + 1;
        if (saltar == 0 && !ultima) fin = saltar = SiguienteCaracter(texto, 0);
        r += (primera ? "" : "\r") + std::string(texto.substr(0, fin));
        texto.remove_prefix(saltar);
        if (texto.empty()) return r;
        if (maxLineas > 0 && --quedan == 0) return r + "...";
    }
}

TEST(AjustarTexto, ProportionalWidthsGiveTheRuleAsWrittenWithFewMeasurements) {
    // Narrow and wide letters, spaces and two-byte characters, as a proportional font has them.
    auto ancho = [](unsigned char c) { return c == ' ' ? 3 : c == 'i' ? 2 : c == 'm' ? 9 : c >= 0xC0 ? 7 : (c & 0xC0) == 0x80 ? 0 : 5 + c % 3; };
    int medidas = 0;
    const FuncionMedir medir = [&](std::string_view t) {
        ++medidas;
        int w = 0;
        for (unsigned char c : t) w += ancho(c);
        return w;
    };
    const std::string letras[] = {"a", "i", "m", " ", "x", "\xc3\xb1", "k", "-", "."};
    unsigned semilla = 12345;
    auto azar = [&](unsigned n) { semilla = semilla * 1103515245u + 12345u; return (semilla >> 16) % n; };
    for (int caso = 0; caso < 2000; ++caso) {
        std::string nombre;
        for (unsigned k = 0, n = 1 + azar(60); k < n; ++k) nombre += letras[azar(9)];
        const int w = 10 + static_cast<int>(azar(90));
        for (int lineas : {0, 1, 2}) {
            ASSERT_EQ(AjustarTexto(nombre, w, lineas, 9, medir), AjustarUnoAUno(nombre, w, lineas, 9, medir))
                << "'" << nombre << "' width " << w << " lines " << lineas;
        }
    }
    // A 200-character name cut to two lines: a few measurements per line, not one per character.
    medidas = 0;
    AjustarTexto(std::string(200, 'x'), 66, 2, 9, medir);
    EXPECT_LT(medidas, 30);
}

// With a measurer of beginnings, each line's text is what gets measured (once shaped, every
// beginning is read from it) and the result is the rule's.
TEST(AjustarTexto, BeginningsAreMeasuredWithinEachLinesText) {
    const FuncionMedir medir = [](std::string_view t) { return static_cast<int>(6 * ContarCaracteres(t)); };
    std::vector<std::string> textos;
    const FuncionMedirInicio inicio = [&](std::string_view t, std::size_t bytes) {
        if (textos.empty() || textos.back() != t) textos.emplace_back(t);
        return medir(t.substr(0, bytes));
    };
    const std::string nombre = "un nombre bastante largo para tres lineas.txt";
    for (int lineas : {0, 1, 2, 3}) {
        textos.clear();
        const std::string r = AjustarTexto(nombre, 60, lineas, 18, medir, inicio);
        EXPECT_EQ(r, AjustarTexto(nombre, 60, lineas, 18, medir));
        EXPECT_EQ(static_cast<int>(textos.size()), ContarLineas(r)) << r;
        for (const std::string& t : textos) EXPECT_TRUE(nombre.ends_with(t)) << t;
    }
}

TEST(AjustarTexto, LineCountIgnoresATrailingCarriageReturn) {
    EXPECT_EQ(ContarLineas(""), 0);
    EXPECT_EQ(ContarLineas("a"), 1);
    EXPECT_EQ(ContarLineas("a\rb"), 2);
    EXPECT_EQ(ContarLineas("a\r"), 1);
}

}  // namespace
}  // namespace quirvex
