// libFuzzer target for the two wildcard matchers (the filter box's and the search's). The input
// is a pattern and a name split at the first NUL. Besides not crashing: a name always matches
// "*" + itself + "*" as a search pattern, and a filter pattern without special characters
// matches its own text. Built and run by bench/run_fuzz.sh.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "folder/filtro.h"
#include "search/busqueda.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n) {
    const std::string_view todo(reinterpret_cast<const char*>(datos), n);
    const auto corte = todo.find('\0');
    const std::string_view patron = todo.substr(0, corte);
    const std::string_view nombre =
        corte == std::string_view::npos ? std::string_view() : todo.substr(corte + 1);

    const quirvex::PatronComodin filtro(patron);
    (void)filtro.Coincide(nombre);
    if (filtro.AceptaTodo() && !filtro.Coincide(nombre)) __builtin_trap();
    if (patron.find_first_of("?*#[") == std::string_view::npos && !filtro.Coincide(patron))
        __builtin_trap();

    const quirvex::PatronBusqueda busqueda(patron);
    (void)busqueda.Coincide(nombre);
    if (nombre.find_first_of("?*") == std::string_view::npos) {
        const quirvex::PatronBusqueda propio(quirvex::PatronDeBusqueda(nombre));
        if (!propio.Coincide(nombre)) __builtin_trap();
    }
    return 0;
}
