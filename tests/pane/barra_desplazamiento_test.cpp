#include "pane/barra_desplazamiento.h"

#include <gtest/gtest.h>

namespace quirvex {
namespace {

TEST(BarraDesplazamiento, ContentThatFitsHasNothingToScroll) {
    cBarraDesplazamiento b;
    b.Recalcular(334, 222, 300, 0);
    EXPECT_LE(b.vsbMax(), 1);
    EXPECT_EQ(b.vsbValue(), 0);
    EXPECT_FALSE(b.SetValue(50));
    EXPECT_EQ(b.vsbEspacioBarra(), 300);
    EXPECT_LE(b.vsbBarra(), b.vsbEspacioBarra());  // the thumb never overruns the track
    // Pressing the track with a thumb that fills it divides by nothing.
    EXPECT_FALSE(b.MouseDown(150, 74));
    EXPECT_EQ(b.vsbValue(), 0);
    // No content at all.
    b.Recalcular(334, 0, 300, 0);
    EXPECT_EQ(b.vsbMax(), 0);
}

TEST(BarraDesplazamiento, GeometryOfALongListing) {
    cBarraDesplazamiento b;
    b.Recalcular(334, 100000 * 74, 300, 0);
    EXPECT_EQ(b.vsbBarra(), 8);
    EXPECT_EQ(b.vsbMax(), 100000 * 74 - 300 + 1);
    EXPECT_EQ(b.TopBarra(), 17);
    b.SetValue(b.vsbMax());
    EXPECT_EQ(b.FondoBarra(), 334 - 17 - 1);  // thumb ends on the down arrow's edge
    // The header's height counts as visible content height.
    b.Recalcular(334, 1000, 300, 20);
    EXPECT_EQ(b.vsbMax(), 1000 - 280 + 1);
    EXPECT_EQ(b.vsbValue(), b.vsbMax());  // brought back into the smaller range
    EXPECT_EQ(b.vsbBarra(), 334 * 300 / 1000);
}

TEST(BarraDesplazamiento, ArrowsStepOneRowAndStayInRange) {
    cBarraDesplazamiento b;
    b.Recalcular(334, 7400, 300, 0);
    b.SetValue(10);
    EXPECT_TRUE(b.MouseDown(5, 74));
    EXPECT_EQ(b.Estado(), VSB_FLECHA_ARRIBA);
    EXPECT_EQ(b.vsbValue(), 0);  // not -64 until the next paint
    EXPECT_TRUE(b.MouseDown(334 - 17, 74));
    EXPECT_EQ(b.Estado(), VSB_FLECHA_ABAJO);
    EXPECT_EQ(b.vsbValue(), 74);
    b.SetValue(b.vsbMax() - 3);
    b.MouseDown(333, 74);
    EXPECT_EQ(b.vsbValue(), b.vsbMax());
    b.MouseUp();
    EXPECT_EQ(b.Estado(), VSB_LIBRE);
}

TEST(BarraDesplazamiento, TrackPressCentresTheThumbUnderThePointer) {
    cBarraDesplazamiento b;
    b.Recalcular(334, 7400, 300, 0);  // thumb 334 * 300 / 7400 = 13
    ASSERT_EQ(b.vsbBarra(), 13);
    b.MouseDown(200, 74);
    EXPECT_EQ(b.Estado(), VSB_PISTA);
    EXPECT_EQ(b.vsbValue(), (200 - (6 + 17)) * b.vsbMax() / (300 - 13));
    EXPECT_NEAR(b.TopBarra() + b.vsbBarra() / 2, 200, 1);
    // Dragging only follows the pointer while the thumb itself is held.
    EXPECT_FALSE(b.MouseMove(250, true));
    b.MouseUp();
    b.MouseDown(b.TopBarra() + 2, 74);
    EXPECT_EQ(b.Estado(), VSB_BARRA_TOMADA);
    EXPECT_FALSE(b.MouseMove(100, false));
    EXPECT_TRUE(b.MouseMove(100, true));
    EXPECT_NEAR(b.TopBarra() + b.vsbBarra() / 2, 100, 1);
    b.MouseMove(1000, true);
    EXPECT_EQ(b.vsbValue(), b.vsbMax());
    b.MouseMove(-1000, true);
    EXPECT_EQ(b.vsbValue(), 0);
}

TEST(BarraDesplazamiento, HugeContentDoesNotOverflow) {
    cBarraDesplazamiento b;
    b.Recalcular(2000, 2000000000, 1900, 0);
    b.MouseDown(1982, 142);  // bottom of the track
    EXPECT_EQ(b.vsbValue(), b.vsbMax());
    EXPECT_GT(b.TopBarra(), 1900);
    EXPECT_LE(b.FondoBarra(), 2000 - 18);
}

TEST(BarraDesplazamiento, WheelMovesOnePagePerNotch) {
    cBarraDesplazamiento b;
    b.Recalcular(334, 7400, 300, 0);
    EXPECT_FALSE(b.Rueda(1));  // already at the top
    EXPECT_TRUE(b.Rueda(-1));
    EXPECT_EQ(b.vsbValue(), 74);
    b.Rueda(-3);
    EXPECT_EQ(b.vsbValue(), 4 * 74);
    EXPECT_FALSE(b.Rueda(0));
    b.Rueda(-1000);
    EXPECT_EQ(b.vsbValue(), b.vsbMax());
}

}  // namespace
}  // namespace quirvex
