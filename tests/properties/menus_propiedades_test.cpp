// When the "&Properties" items of the menus can be used.

#include <gtest/gtest.h>

#include "pane/menus_visor.h"

namespace quirvex {
namespace {

bool Habilitado(std::string_view item, bool enUnidades, const std::string& tipo) {
    ContextoMenus c;
    c.enUnidades = enUnidades;
    c.tipoActual = tipo;
    return EstadoMenu(item, c).habilitado;
}

TEST(MenusPropiedades, ItemMenuForFilesFoldersAndDrivesOnly) {
    EXPECT_TRUE(Habilitado("mnuPApropiedades", false, "A"));
    EXPECT_TRUE(Habilitado("mnuPApropiedades", false, "C"));
    EXPECT_TRUE(Habilitado("mnuPApropiedades", true, "U"));
    EXPECT_FALSE(Habilitado("mnuPApropiedades", true, "RC"));
    EXPECT_FALSE(Habilitado("mnuPApropiedades", true, "RF"));
    EXPECT_FALSE(Habilitado("mnuPApropiedades", false, ""));
}

TEST(MenusPropiedades, BackgroundAndMenuBarItemsFollowTheLocationWhenNothingIsCurrent) {
    EXPECT_TRUE(Habilitado("mnuPCpropiedades", false, ""));
    EXPECT_FALSE(Habilitado("mnuPCpropiedades", true, ""));
    EXPECT_TRUE(Habilitado("mnuApropiedades", false, ""));
    EXPECT_FALSE(Habilitado("mnuApropiedades", true, ""));
    EXPECT_TRUE(Habilitado("mnuApropiedades", true, "U"));
    EXPECT_TRUE(Habilitado("mnuApropiedades", false, "A"));
    EXPECT_FALSE(Habilitado("mnuApropiedades", true, "RC"));
}

}  // namespace
}  // namespace quirvex
