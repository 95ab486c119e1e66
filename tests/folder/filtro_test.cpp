#include "folder/filtro.h"

#include <gtest/gtest.h>

#include "folder/texto.h"

namespace quirvex {
namespace {

bool Coincide(const char* patron, const char* nombre) {
    return PatronComodin(patron).Coincide(nombre);
}

TEST(PatronComodin, WildcardsMatchTheWholeNameIgnoringCase) {
    EXPECT_TRUE(Coincide("A?C", "abc"));
    EXPECT_FALSE(Coincide("A?C", "abcd"));
    EXPECT_TRUE(Coincide("*.*", "README"));  // "*.*" means everything
    EXPECT_TRUE(Coincide("", "x"));
    EXPECT_TRUE(Coincide("*.txt", "Notes.TXT"));
    EXPECT_FALSE(Coincide("*.txt", "notes.txt.bak"));
    EXPECT_TRUE(Coincide("a*b*c", "aXXbYYbc"));
    EXPECT_FALSE(Coincide("a*b*c", "aXXbYYb"));
    EXPECT_TRUE(Coincide("**x", "x"));
}

TEST(PatronComodin, DigitsListsAndRanges) {
    EXPECT_TRUE(Coincide("file#", "file7"));
    EXPECT_FALSE(Coincide("file#", "fileX"));
    EXPECT_TRUE(Coincide("[abc]*", "banana"));
    EXPECT_FALSE(Coincide("[abc]*", "danger"));
    EXPECT_TRUE(Coincide("[!abc]*", "danger"));
    EXPECT_FALSE(Coincide("[!abc]*", "apple"));
    EXPECT_TRUE(Coincide("x[0-3]y", "x2y"));
    EXPECT_FALSE(Coincide("x[0-3]y", "x5y"));
    EXPECT_TRUE(Coincide("[a-c][!0-9]", "Bz"));  // upper-cased on both sides
    EXPECT_TRUE(Coincide("a[b", "a[b"));         // an unclosed "[" is itself
}

TEST(PatronComodin, AccentedLettersIgnoreCaseAndBadBytesStayDistinct) {
    EXPECT_TRUE(Coincide("ÑANDÚ*", "ñandú.txt"));
    EXPECT_TRUE(Coincide("*é*", "CAFÉ"));
    EXPECT_TRUE(Coincide("я*", "Яблоко"));
    EXPECT_TRUE(Coincide("a?b", "a\xff" "b"));  // an invalid byte is one character
    EXPECT_FALSE(Coincide("a\xfe" "b", "a\xff" "b"));
}

TEST(PatronComodin, EveryScriptMatchesWithoutRegardToCase) {
    EXPECT_TRUE(Coincide("Ґ*", "ґанок"));                 // Ukrainian
    EXPECT_TRUE(Coincide("ΌΎΏ", "όύώ"));                  // Greek with tonos
    EXPECT_TRUE(Coincide("*ΣΟΣ", "σος"));                 // both sigmas
    EXPECT_TRUE(Coincide("TIẾNG VIỆT*", "tiếng việt.txt"));  // Vietnamese
    EXPECT_TRUE(Coincide("ՀԱՅ*", "հայերեն"));             // Armenian
    EXPECT_TRUE(Coincide("ᲥᲐᲠᲗᲣᲚᲘ", "ქართული"));         // Georgian, Mtavruli and Mkhedruli
    EXPECT_TRUE(Coincide("?Ǆ", "xǆ"));                    // a title-case digraph
    EXPECT_TRUE(Coincide("𐐀*", "𐐨x"));                   // Deseret, beyond the 16-bit plane
    EXPECT_FALSE(Coincide("ґ?", "ганок"));                // a different letter still differs
}

ItemCarpeta Item(const std::string& nombre, bool carpeta) {
    ItemCarpeta it;
    it.Nombre = nombre;
    it.Atributos = carpeta ? ATR_DIRECTORIO : ATR_ARCHIVO;
    it.Tipo = carpeta ? TIPO_CARPETA : TIPO_ARCHIVO;
    return it;
}

struct Filtrado {
    std::vector<std::string> nombres;
    std::int64_t carpetas = 0, archivos = 0;
};

Filtrado Filtrar(const char* patron, int tipo) {
    const TablaItems origen = {Item("docs", true), Item("a.txt", false), Item("b.doc", false),
                               Item("txt", true), Item("", false)};
    TablaItems destino;
    Filtrado f;
    FiltrarItems(origen, patron, tipo, destino, f.carpetas, f.archivos);
    for (const auto& it : destino) f.nombres.push_back(it.Nombre);
    return f;
}

TEST(FiltrarItems, TheFourKindsCountWhatTheyKeep) {
    auto f = Filtrar("*.txt", FILTRO_ARCHIVOS);  // every folder stays
    EXPECT_EQ(f.nombres, (std::vector<std::string>{"docs", "a.txt", "txt"}));
    EXPECT_EQ(f.carpetas, 2);
    EXPECT_EQ(f.archivos, 1);

    f = Filtrar("*txt", FILTRO_TODO);
    EXPECT_EQ(f.nombres, (std::vector<std::string>{"a.txt", "txt"}));

    f = Filtrar("*", FILTRO_SOLO_ARCHIVOS);
    EXPECT_EQ(f.nombres, (std::vector<std::string>{"a.txt", "b.doc"}));
    EXPECT_EQ(f.carpetas, 0);

    f = Filtrar("*", FILTRO_SOLO_CARPETAS);  // no file at all
    EXPECT_EQ(f.nombres, (std::vector<std::string>{"docs", "txt"}));
    EXPECT_EQ(f.archivos, 0);

    f = Filtrar("*", 7);
    EXPECT_TRUE(f.nombres.empty());
    EXPECT_EQ(f.carpetas + f.archivos, 0);
}

TEST(Texto, CaseMappingAndUtf16Order) {
    EXPECT_EQ(Mayusculas("ñandú straße"), "ÑANDÚ STRAßE");
    EXPECT_EQ(Minusculas("ÁRBOL.JPG"), "árbol.jpg");
    EXPECT_EQ(Mayusculas("a\xff"), "A\xff");  // invalid bytes survive untouched
    EXPECT_EQ(Mayusculas("ґ\xc3(ա"), "Ґ\xc3(Ա");
    EXPECT_EQ(Minusculas("ԱԲ ႠႡ ẞ"), "աբ ⴀⴁ ß");
    EXPECT_EQ(MayusculaDe(U'ǳ'), U'Ǳ');
    EXPECT_EQ(MinusculaDe(U'İ'), U'i');  // simple mapping: one character for one
    EXPECT_EQ(CodificarUtf8(DecodificarUtf8("x\xc3(\xff")), "x\xc3(\xff");
    EXPECT_LT(CompararUtf16("Zeta", "alpha"), 0);
    // U+10000 is a surrogate pair in UTF-16, so it sorts below U+FF21.
    EXPECT_LT(CompararUtf16("\xf0\x90\x80\x80", "\xef\xbc\xa1"), 0);
    EXPECT_LT(CompararUtf16("ab", "abc"), 0);
    EXPECT_EQ(CompararUtf16("abc", "abc"), 0);
}

}  // namespace
}  // namespace quirvex
