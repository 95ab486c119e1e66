#include "pane/selectores_qt.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QPainter>
#include <cstdlib>
#include <vector>

#include "settings/opciones.h"
#include "support/aplicacion_qt.h"

namespace quirvex {
namespace {

class SelectoresTest : public ::testing::Test {
protected:
    void SetUp() override { prueba::AsegurarAplicacionQt(); }
    void TearDown() override { Opciones().ColorSel = 0; }
};

// Within 2 of the expected value in every channel (blending rounds).
void EsperarCerca(QColor real, int r, int g, int b) {
    EXPECT_LE(std::abs(real.red() - r), 2) << real.red() << " vs " << r;
    EXPECT_LE(std::abs(real.green() - g), 2) << real.green() << " vs " << g;
    EXPECT_LE(std::abs(real.blue() - b), 2) << real.blue() << " vs " << b;
}

TEST_F(SelectoresTest, EveryStyleLooksDifferentAtSampleAndItemSizes) {
    for (QSize tamano : {QSize(40, 40), QSize(108, 142), QSize(300, 18)}) {
        std::vector<QImage> vistas;
        for (int i = 0; i < NUM_SELECTORES; ++i) {
            const QImage img = ImagenSelector(i, tamano);
            ASSERT_EQ(img.size(), tamano);
            const QImage muestra = MuestraSelector(i, tamano);
            for (size_t j = 0; j < vistas.size(); ++j) {
                EXPECT_NE(img, vistas[j]) << i << " and " << j;
                EXPECT_NE(muestra, MuestraSelector(static_cast<int>(j), tamano)) << i << " and " << j;
            }
            vistas.push_back(img);
        }
    }
}

TEST_F(SelectoresTest, StyleOutsideTheRangeIsTheFirst) {
    const QSize t(50, 30);
    EXPECT_EQ(SelectorValido(25), 25);
    EXPECT_EQ(SelectorValido(26), 0);
    EXPECT_EQ(ImagenSelector(-1, t), ImagenSelector(0, t));
    EXPECT_EQ(ImagenSelector(26, t), ImagenSelector(0, t));
    EXPECT_TRUE(ImagenSelector(3, QSize(0, 10)).isNull());
}

TEST_F(SelectoresTest, OverlayIsHalfTransparentAndStaysInItsRectangle) {
    const QRect r(10, 20, 60, 40);
    const QColor estilo = ImagenSelector(2, r.size()).pixelColor(30, 20);
    for (QColor fondo : {QColor(Qt::black), QColor(Qt::white)}) {
        QImage lienzo(100, 100, QImage::Format_ARGB32_Premultiplied);
        lienzo.fill(fondo);
        QPainter p(&lienzo);
        p.setOpacity(1.0);
        PintarSeleccion(p, r, 2);
        EXPECT_DOUBLE_EQ(p.opacity(), 1.0);
        p.end();
        auto mezcla = [&](int c, int f) { return (c * ALFA_SELECCION + f * (255 - ALFA_SELECCION)) / 255; };
        EsperarCerca(lienzo.pixelColor(40, 40), mezcla(estilo.red(), fondo.red()),
                     mezcla(estilo.green(), fondo.green()), mezcla(estilo.blue(), fondo.blue()));
        EXPECT_EQ(lienzo.pixelColor(9, 40), fondo);
        EXPECT_EQ(lienzo.pixelColor(70, 40), fondo);
        EXPECT_EQ(lienzo.pixelColor(40, 19), fondo);
        EXPECT_EQ(lienzo.pixelColor(40, 60), fondo);
    }
}

TEST_F(SelectoresTest, SampleShowsTheSelectionTheChosenStyleProduces) {
    const QSize t(90, 60);
    Opciones().ColorSel = 12;
    QImage pane(t, QImage::Format_ARGB32_Premultiplied);
    pane.fill(Qt::white);
    QPainter p(&pane);
    PintarSeleccion(p, pane.rect());
    p.end();
    EXPECT_EQ(pane, MuestraSelector(12, t));
    EXPECT_NE(pane, MuestraSelector(0, t));
    // A stored value out of range draws the first style, as the chooser would mark it.
    Opciones().ColorSel = 40;
    pane.fill(Qt::white);
    QPainter q(&pane);
    PintarSeleccion(q, pane.rect());
    q.end();
    EXPECT_EQ(pane, MuestraSelector(0, t));
}

}  // namespace
}  // namespace quirvex
