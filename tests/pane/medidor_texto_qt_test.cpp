#include "pane/medidor_texto_qt.h"

#include <gtest/gtest.h>

#include <QFont>
#include <QFontMetrics>
#include <string>

#include "pane/ajustar_texto.h"
#include "support/aplicacion_qt.h"

namespace quirvex {
namespace {

int Solo(const QFont& f, const std::string& t) { return QFontMetrics(f).horizontalAdvance(QString::fromStdString(t)); }

class MedidorTexto : public ::testing::Test {
protected:
    void SetUp() override { prueba::AsegurarAplicacionQt(); }
    QFont fuente{QStringLiteral("DejaVu Sans"), 9};
};

// A beginning read from the whole text's layout is the width the beginning has alone, give or
// take the kerning against the next letter; the whole text is exactly the metrics' width.
TEST_F(MedidorTexto, BeginningsAreTheirOwnWidthWithinTheWholeText) {
    cMedidorTexto m(fuente);
    for (const std::string nombre : {"file-000123.txt", "Informe anual de cuentas.pdf", "año señal ü.jpg", "  x  "}) {
        EXPECT_EQ(m.AnchoInicio(nombre, nombre.size()), Solo(fuente, nombre)) << nombre;
        EXPECT_EQ(m.Ancho(nombre), Solo(fuente, nombre));
        for (std::size_t b = 0; b <= nombre.size(); b = SiguienteCaracter(nombre, b))
            EXPECT_NEAR(m.AnchoInicio(nombre, b), Solo(fuente, nombre.substr(0, b)), 1) << nombre << " " << b;
    }
}

// The layout belongs to one text in one font: another text of the same length, or the same text
// after the font changed, is measured afresh.
TEST_F(MedidorTexto, AnotherTextOrAnotherFontIsMeasuredAgain) {
    cMedidorTexto m(fuente);
    const int estrecho = m.AnchoInicio("iiiiiiii", 8);
    const int ancho = m.AnchoInicio("mmmmmmmm", 8);
    EXPECT_EQ(ancho, Solo(fuente, "mmmmmmmm"));
    EXPECT_GT(ancho, estrecho);
    EXPECT_EQ(m.AnchoInicio("iiiiiiii", 4), Solo(fuente, "iiii"));
    QFont grande = fuente;
    grande.setPointSize(20);
    m.SetFuente(grande);
    EXPECT_EQ(m.AnchoInicio("mmmmmmmm", 8), Solo(grande, "mmmmmmmm"));
    EXPECT_GT(m.AnchoInicio("mmmmmmmm", 4), ancho / 2 + 4);
    EXPECT_EQ(m.Ancho("..."), Solo(grande, "..."));
}

// Right-to-left and joined scripts, and bytes that are not UTF-8, are measured beginning by
// beginning: exactly what the metrics say of each beginning alone.
TEST_F(MedidorTexto, ComplexScriptsAndStrayBytesAreMeasuredAlone) {
    cMedidorTexto m(fuente);
    for (const std::string t : {"\xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d abc", "\xd9\x85\xd8\xb1\xd8\xad\xd8\xa8\xd8\xa7",
                                "ab\xff" "cd"}) {
        for (std::size_t b = 0; b <= t.size(); b = SiguienteCaracter(t, b))
            EXPECT_EQ(m.AnchoInicio(t, b), QFontMetrics(fuente).horizontalAdvance(QString::fromUtf8(t.substr(0, b).c_str())))
                << b;
    }
}

}  // namespace
}  // namespace quirvex
