// Case and form: the index server, the search tab's pattern and the filter find a name whatever
// its case and whether it was stored composed or decomposed, with one case mapping (upper-case
// classes) everywhere, at both ends of every folded range.

#include <gtest/gtest.h>

#include "folder/filtro.h"
#include "folder/texto.h"
#include "search/busqueda.h"
#include "search/indice_nombres.h"
#include "support/carpeta_temporal.h"

namespace quirvex::prueba {
namespace {

// First and last letter of each folded range, upper then lower.
const std::pair<const char*, const char*> kExtremos[] = {
    {"A", "a"}, {"Z", "z"}, {"À", "à"}, {"Þ", "þ"}, {"Ā", "ā"}, {"Ž", "ž"},  // Latin
    {"Α", "α"}, {"Ω", "ω"}, {"Σ", "ς"}, {"Σ", "σ"},                         // Greek
    {"Ѐ", "ѐ"}, {"Џ", "џ"}, {"А", "а"}, {"Я", "я"},                         // Cyrillic
    {"Ա", "ա"}, {"Ֆ", "ֆ"},                                                 // Armenian
};
const char* const kDescompuesto = "Cafe\xCC\x81 cre\xCC\x80me";  // "Café crème" with separate accents
const char* const kCompuesto = "café crème";

TEST(Plegado, TheKeyKeepsUpperCaseClassesForEveryCodePoint) {
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        ASSERT_EQ(MayusculaDe(PlegadoDe(c)), MayusculaDe(c)) << std::hex << static_cast<unsigned>(c);
    }
    EXPECT_EQ(Plegar("ΛΌΓΟΣ"), Plegar("λόγος"));
    EXPECT_EQ(Plegar("λόγοσ"), Plegar("λόγος"));
    EXPECT_EQ(Plegar(kDescompuesto), kCompuesto);
    EXPECT_EQ(FormaNFC(kDescompuesto), "Café crème");
    // Invalid bytes stay as they are and do not stop the runs around them from composing.
    EXPECT_EQ(FormaNFC("e\xCC\x81\xFF" "e\xCC\x81"), "é\xFFé");
    EXPECT_EQ(FormaNFC("\xC3"), "\xC3");
}

TEST(Plegado, TheSearchPatternAndTheFilterMatchAtEveryRangeEndAndInEitherForm) {
    for (const auto& [mayuscula, minuscula] : kExtremos) {
        const std::string nombreM = std::string("x") + mayuscula + "y", nombrem = std::string("x") + minuscula + "y";
        SCOPED_TRACE(nombreM + " / " + nombrem);
        EXPECT_TRUE(PatronBusqueda("*" + nombrem + "*").Coincide(nombreM));
        EXPECT_TRUE(PatronBusqueda("*" + nombreM + "*").Coincide(nombrem));
        EXPECT_TRUE(PatronComodin(nombrem).Coincide(nombreM));
        EXPECT_TRUE(PatronComodin(nombreM).Coincide(nombrem));
    }
    EXPECT_FALSE(PatronBusqueda("*xay*").Coincide("xby"));
    for (const std::string& patron : {std::string("*CAFÉ*"), std::string("*é c*"), std::string("*cafe\xCC\x81*")}) {
        EXPECT_TRUE(PatronBusqueda(patron).Coincide(kDescompuesto)) << patron;
        EXPECT_TRUE(PatronBusqueda(patron).Coincide(kCompuesto)) << patron;
        EXPECT_TRUE(PatronComodin(patron).Coincide(kDescompuesto)) << patron;
    }
    // "?" is one character of the composed form.
    EXPECT_TRUE(PatronBusqueda("caf? cr?me").Coincide(kDescompuesto));
    EXPECT_TRUE(PatronComodin("caf? cr?me").Coincide(kDescompuesto));
    EXPECT_TRUE(PatronBusqueda("*ΛΌΓΟΣ*").Coincide("λόγος.txt"));
    EXPECT_TRUE(PatronComodin("λόγοσ*").Coincide("ΛΌΓΟΣ.txt"));
}

TEST(Plegado, TheIndexFindsEveryRangeEndAndBothFormsOnDisk) {
    CarpetaTemporal tmp;
    int i = 0;
    for (const auto& [mayuscula, minuscula] : kExtremos) {
        tmp.Archivo("m" + std::to_string(i) + "-" + mayuscula + "-fin");
        tmp.Archivo("n" + std::to_string(i) + "-" + minuscula + "-fin");
        ++i;
    }
    tmp.Archivo(std::string(kDescompuesto) + ".txt");
    tmp.Archivo("λόγος.txt");
    cIndiceNombres indice;
    indice.Construir({tmp.Ruta()}, ArbolSistema());
    auto nombres = [&](const std::string& texto) {
        std::vector<std::uint32_t> a;
        indice.Buscar(texto, 10, a);
        std::vector<std::string> r;
        for (std::uint32_t e : a) r.emplace_back(indice.Nombre(e));
        return r;
    };
    i = 0;
    for (const auto& [mayuscula, minuscula] : kExtremos) {
        const std::string m = "m" + std::to_string(i) + "-", n = "n" + std::to_string(i) + "-";
        EXPECT_EQ(nombres(m + minuscula + "-"), std::vector<std::string>{m + mayuscula + "-fin"}) << mayuscula;
        EXPECT_EQ(nombres(n + mayuscula + "-"), std::vector<std::string>{n + minuscula + "-fin"}) << minuscula;
        ++i;
    }
    const std::vector<std::string> cafe{std::string(kDescompuesto) + ".txt"};
    EXPECT_EQ(nombres("CAFÉ CRÈME"), cafe) << "the name keeps its own bytes";
    EXPECT_EQ(nombres("é c"), cafe);
    EXPECT_EQ(nombres("cafe\xCC\x81"), cafe);
    EXPECT_EQ(nombres("ΛΌΓΟΣ"), std::vector<std::string>{"λόγος.txt"});
    EXPECT_EQ(nombres("ΌΓΟΣ."), std::vector<std::string>{"λόγος.txt"});
    // Reloaded from its file image, the index folds alike.
    cIndiceNombres cargado;
    ASSERT_TRUE(cargado.Cargar(indice.Serializar()));
    std::vector<std::uint32_t> a;
    EXPECT_EQ(cargado.Buscar("ΛΌΓΟΣ", 10, a), 1u);
    EXPECT_EQ(cargado.Buscar("CAFÉ", 10, a), 1u);
}

}  // namespace
}  // namespace quirvex::prueba
