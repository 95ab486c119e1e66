#include "frame/tabs_guardados.h"

#include <gtest/gtest.h>

namespace quirvex {
namespace {

TabGuardable Carpeta(std::vector<std::string> rutas) { return {true, std::move(rutas)}; }
TabGuardable Busqueda() { return {false, {}}; }

TEST(TabsGuardados, TabsAreSeparatedByCrPanesByLfWithOneTrailingSeparatorDropped) {
    const std::string texto =
        FormatearTabsGuardados({Carpeta({"/usr/share/", "/mnt/d/"}), Carpeta({"/tmp/"})});
    EXPECT_EQ(texto, "/usr/share\n/mnt/d\r/tmp");
}

TEST(TabsGuardados, TheRootKeepsItsSeparatorAndOtherLocationsAreStoredAsGiven) {
    EXPECT_EQ(RutaGuardada("/"), "/");
    EXPECT_EQ(RutaGuardada("/a//"), "/a/");  // only one separator goes
    EXPECT_EQ(RutaGuardada("My PC"), "My PC");
    EXPECT_EQ(FormatearTabsGuardados({Carpeta({"/"})}), "/");
}

TEST(TabsGuardados, SearchTabsContributeNothing) {
    // Between two folder tabs: the folder tab before it keeps the entries apart.
    EXPECT_EQ(FormatearTabsGuardados({Carpeta({"/a/"}), Busqueda(), Carpeta({"/b/"})}), "/a\r/b");
    // At the end: the text ends with CR, and that empty entry opens nothing.
    const std::string alFinal = FormatearTabsGuardados({Carpeta({"/a/"}), Busqueda()});
    EXPECT_EQ(alFinal, "/a\r");
    EXPECT_EQ(SepararTabsGuardados(alFinal), (std::vector<std::string>{"/a", ""}));
    EXPECT_EQ(FormatearTabsGuardados({Busqueda()}), "");
}

TEST(TabsGuardados, LocationsHoldingSeparatorsAreLeftOutRatherThanSplitIntoOthers) {
    EXPECT_EQ(FormatearTabsGuardados({Carpeta({"/a/", "/x\ny/", "/b\r/", "/c/"})}), "/a\n/c");
}

TEST(TabsGuardados, SplittingGivesBackEveryEntryAndPane) {
    EXPECT_TRUE(SepararTabsGuardados("").empty());
    EXPECT_TRUE(SepararVisores("").empty());
    EXPECT_EQ(SepararTabsGuardados("\r/b"), (std::vector<std::string>{"", "/b"}));
    EXPECT_EQ(SepararVisores("/a\n/b\n/"), (std::vector<std::string>{"/a", "/b", "/"}));
}

TEST(TabsGuardados, RoundTripKeepsTabsAndPanesInOrder) {
    const std::vector<TabGuardable> tabs = {Carpeta({"/home/ana/", "/", "My PC"}),
                                            Carpeta({"/tmp/ñandú/"}), Carpeta({"/srv/"})};
    const auto entradas = SepararTabsGuardados(FormatearTabsGuardados(tabs));
    ASSERT_EQ(entradas.size(), 3u);
    EXPECT_EQ(SepararVisores(entradas[0]), (std::vector<std::string>{"/home/ana", "/", "My PC"}));
    EXPECT_EQ(SepararVisores(entradas[1]), (std::vector<std::string>{"/tmp/ñandú"}));
    EXPECT_EQ(SepararVisores(entradas[2]), (std::vector<std::string>{"/srv"}));
}

}  // namespace
}  // namespace quirvex
