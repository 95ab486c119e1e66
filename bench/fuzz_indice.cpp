// libFuzzer target for the index file the server loads at start (a damaged or planted file in the
// cache folder is outside input). An image it accepts must answer every question the server asks
// of it without reading out of bounds, and must save to an image that loads back and saves to
// the same bytes: a restart never changes the index. Built by the project's CMake (a fuzzing
// configuration, or a plain program over the seeds in the tests) and run by bench/run_fuzz.sh.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "search/indice_nombres.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n) {
    const std::string_view imagen(reinterpret_cast<const char*>(datos), n);
    quirvex::cIndiceNombres indice;
    if (!indice.Cargar(imagen)) {
        // Refused: nothing of it is kept.
        if (indice.Nombres() != 0 || !indice.Carpetas().empty()) __builtin_trap();
        return 0;
    }
    std::size_t vistos = 0;
    for (std::uint32_t id = 0; id < indice.Carpetas().size(); ++id) {
        if (!indice.Carpetas()[id].viva) continue;
        const std::string ruta = indice.RutaCarpeta(id);
        if (indice.CarpetaPorRuta(ruta) != id) __builtin_trap();
        for (std::uint32_t e : indice.EntradasDe(id)) {
            if (indice.CarpetaDe(e) != id) __builtin_trap();
            (void)indice.Nombre(e);
            (void)indice.EsCarpeta(e);
            ++vistos;
        }
    }
    if (vistos != indice.Nombres()) __builtin_trap();
    // The searches the popup makes: a few short texts, and one taken from the image itself.
    std::vector<std::uint32_t> aciertos;
    for (std::string_view q : {"a", "e.", "x", "/"}) (void)indice.Buscar(q, 100, aciertos);
    if (n > 3) (void)indice.Buscar(imagen.substr(n / 2, 3), 10, aciertos);
    const std::string guardado = indice.Serializar();
    quirvex::cIndiceNombres otro;
    if (!otro.Cargar(guardado) || otro.Serializar() != guardado || otro.Nombres() != indice.Nombres())
        __builtin_trap();
    return 0;
}
