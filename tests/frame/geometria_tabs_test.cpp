#include "frame/geometria_tabs.h"

#include <gtest/gtest.h>

#include "settings/opciones.h"

namespace quirvex {
namespace {

TEST(GeometriaTabs, CloseGlyphOnlyOnFolderTabsWhenMoreThanOneExists) {
    EXPECT_FALSE(TieneCerrar(false, true, 1));
    EXPECT_TRUE(TieneCerrar(false, true, 2));
    EXPECT_FALSE(TieneCerrar(true, true, 5));
    EXPECT_FALSE(TieneCerrar(false, false, 5));
    // A second tab widens the first by the glyph's room.
    EXPECT_EQ(AnchoBotonTab(50, false, true, 2) - AnchoBotonTab(50, false, true, 1), 26);
    EXPECT_EQ(AnchoBotonTab(50, true, true, 2), 86);
}

TEST(GeometriaTabs, TextWidthFollowsMaxWidthAndCloseButton) {
    EXPECT_EQ(CalcularAnchoTextoTab(160, 1), 98);
    EXPECT_EQ(CalcularAnchoTextoTab(160, 0), 124);
}

TEST(GeometriaTabs, CountsOnlyNonFixedTabs) {
    EXPECT_EQ(ContarTabsNoFijos(-1, 0), 0);
    EXPECT_EQ(ContarTabsNoFijos(1, 2), 0);
    EXPECT_EQ(ContarTabsNoFijos(4, 2), 3);
}

TEST(GeometriaTabs, ReleaseOnTheGlyphIsTheRightmostGlyphWidthPlusSix) {
    EXPECT_FALSE(EnGlifoCerrar(78, 100));
    EXPECT_TRUE(EnGlifoCerrar(79, 100));
}

TEST(GeometriaTabs, ClosingTheLastSelectsItsLeftNeighbourOtherwiseTheOneMovedIn) {
    EXPECT_EQ(TabTrasCerrar(4, 4), 3);
    EXPECT_EQ(TabTrasCerrar(3, 4), 3);
    EXPECT_EQ(TabTrasCerrar(2, 4), 2);
}

// Fixed tabs at 5 and 95, folder tabs at 185, 285, 385, each 96 wide (gap 4).
const std::vector<TramoTab> kFila = {{5, 86}, {95, 86}, {185, 96}, {285, 96}, {385, 96}};

TEST(GeometriaTabs, LeftDropGoesToTheNearestRightEdge) {
    EXPECT_EQ(DestinoMoverTab(kFila, 2, 480), 4);
    EXPECT_EQ(DestinoMoverTab(kFila, 2, 300), 2);  // 283 is nearer than 383
    EXPECT_EQ(DestinoMoverTab(kFila, 2, 10), 2);   // never onto a fixed tab
    EXPECT_FALSE(ArrastreLejos(-16, 96));
    EXPECT_TRUE(ArrastreLejos(-17, 96));
    EXPECT_TRUE(ArrastreLejos(113, 96));
}

TEST(GeometriaTabs, RightDropTakesTheLastTabStartingLeftOfThePoint) {
    EXPECT_EQ(DestinoIntercambiarTab(kFila, 2, 390), 4);
    EXPECT_EQ(DestinoIntercambiarTab(kFila, 2, 383), 3);
    EXPECT_EQ(DestinoIntercambiarTab(kFila, 2, 50), 2);
}

TEST(GeometriaTabs, ScrollingStopsAtBothEndsIn64PixelSteps) {
    EXPECT_EQ(DesplazarTabsIzquierda(0), 0);
    EXPECT_EQ(DesplazarTabsIzquierda(-100), -36);
    EXPECT_EQ(DesplazarTabsIzquierda(-30), 0);
    EXPECT_EQ(DesplazarTabsDerecha(0, 900, 1000), 0);
    EXPECT_EQ(DesplazarTabsDerecha(0, 1200, 1000), -64);
    EXPECT_EQ(DesplazarTabsDerecha(-180, 1200, 1000), -200);
    EXPECT_EQ(DesplazarTabsDerecha(-200, 1200, 1000), -200);
}

TEST(GeometriaTabs, MovingAnElementShiftsTheOnesBetween) {
    std::vector<int> v = {0, 1, 2, 3, 4};
    MoverElemento(v, 1, 3);
    EXPECT_EQ(v, (std::vector<int>{0, 2, 3, 1, 4}));
    MoverElemento(v, 4, 0);
    EXPECT_EQ(v, (std::vector<int>{4, 0, 2, 3, 1}));
}

TEST(GeometriaTabs, TheKeyboardCyclesOverThePagesAndSkipsTheCommandTabs) {
    // New Tab (0) is a command; Operations (1) and the folder tabs are pages.
    EXPECT_EQ(TabVecino(2, 1, 1, 3), 3);
    EXPECT_EQ(TabVecino(3, 1, 1, 3), 1);
    EXPECT_EQ(TabVecino(1, -1, 1, 3), 3);
    EXPECT_EQ(TabVecino(2, -1, 1, 3), 1);
    EXPECT_EQ(TabVecino(0, 1, 1, 3), 1);
    EXPECT_EQ(TabVecino(-1, -1, 1, 3), 3);
    EXPECT_EQ(TabVecino(1, 1, 1, 1), 1);
    EXPECT_EQ(TabVecino(0, 1, 1, 0), -1);
}

}  // namespace
}  // namespace quirvex
