#pragma once
// The saved tab list ("Previous Tabs"): one entry per folder tab in strip order, entries
// separated by CR, each entry the tab's pane locations from left to right separated by LF.
// Plain text functions with no state; the frame calls them at exit and at start.

#include <string>
#include <string_view>
#include <vector>

namespace quirvex {

// At most this many tab windows are created in one run, so at most this many entries restore.
inline constexpr int MAX_VENTANAS_TAB = 16;

// One record of the tab strip as saving sees it: a folder tab lists its panes' locations; a
// search tab lists nothing and saves nothing.
struct TabGuardable {
    bool esCarpeta = false;
    std::vector<std::string> rutas;
};

// A pane location as stored: one trailing separator removed, except that the root "/" stays
// "/" (without it the root would be stored as nothing and come back as the default folder).
std::string RutaGuardada(const std::string& ruta);

// The text of "Previous Tabs" for the non-fixed records of the strip, in order. A folder tab
// not at the end of the strip is followed by CR, so a search tab at the end leaves a trailing
// CR. A location holding CR or LF cannot be told apart from the separators and is left out.
std::string FormatearTabsGuardados(const std::vector<TabGuardable>& tabs);

// The entries of a saved text split at CR; empty entries are kept (they open no tab).
// An empty text has no entries.
std::vector<std::string> SepararTabsGuardados(std::string_view texto);
// The pane locations of one entry, split at LF; an empty entry has none.
std::vector<std::string> SepararVisores(std::string_view entrada);

}  // namespace quirvex
