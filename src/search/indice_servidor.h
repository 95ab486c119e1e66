#pragma once
// The file search tab's "Database" source: the running index server.
//
// The server answers case-insensitive substrings, so it is asked for the pattern's longest
// literal piece (the run between wildcards), and of what it sends only the files that the whole
// pattern matches become hits, in the server's ranked order. The server sends the first ranked
// hits of a search (its answer carries the total), so a common piece may list fewer hits than
// the folder walk would. No server, or none that answers in time, searches nothing.

#include <string>
#include <string_view>

#include "search/busqueda.h"

namespace quirvex {

// The longest run of the pattern without "*" or "?"; the first of equal length. Empty when the
// pattern is only wildcards.
std::string TrozoLiteral(std::string_view patron);

class cIndiceServidor final : public IndiceArchivos {
public:
    // An empty path asks the link's usual socket ($XDG_RUNTIME_DIR/MapServiceQx) at each search.
    explicit cIndiceServidor(std::string rutaEnlace = {}, int plazoMs = 2000);
    bool Disponible() override;
    bool Buscar(const std::string& patron, cBusqueda& b) override;

private:
    std::string Ruta() const;

    std::string rutaEnlace_;
    int plazoMs_;
};

}  // namespace quirvex
