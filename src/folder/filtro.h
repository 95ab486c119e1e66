#pragma once
// Name patterns and the four filter kinds.

#include <string>
#include <string_view>

#include "folder/item_carpeta.h"

namespace quirvex {

// Filter kinds, in the order of the filter box's list.
enum TipoFiltro : int {
    FILTRO_ARCHIVOS = 0,      // every folder; files that match
    FILTRO_TODO = 1,          // folders and files that match
    FILTRO_SOLO_ARCHIVOS = 2, // files that match
    FILTRO_SOLO_CARPETAS = 3, // folders that match
};

// The classic wildcard operator over the whole name: "?" one character, "*" any run, "#" one
// digit, "[list]" / "[!list]" with "a-z" ranges; every other character is itself. Both sides are
// compared upper-cased, so the match ignores case for accented letters too.
class PatronComodin {
public:
    explicit PatronComodin(std::string_view patron);
    bool Coincide(std::string_view nombre) const;
    bool AceptaTodo() const { return aceptaTodo_; }

private:
    std::u32string patron_;
    bool aceptaTodo_ = false;
};

// Whether an entry with this shown name passes the filter of kind `tipo`. An empty name never
// passes.
bool PasaFiltro(const PatronComodin& patron, int tipo, std::string_view nombre, bool carpeta);

// Builds the shown table from `origen` ("*.*" and "" mean "*"), counting folders and files.
// Entries with an empty shown name are dropped.
void FiltrarItems(const TablaItems& origen, std::string_view patron, int tipo, TablaItems& destino,
                  std::int64_t& nCarpetas, std::int64_t& nArchivos);

}  // namespace quirvex
