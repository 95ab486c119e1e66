// libFuzzer target for the settings-file reader. A text it accepts must write back to a text that
// reads as the same contents, and writing that again must give the same bytes: a save never
// changes what the next start reads. Built and run by bench/run_fuzz.sh.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "settings/almacen_registro.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n) {
    const std::string_view texto(reinterpret_cast<const char*>(datos), n);
    const auto contenido = quirvex::AnalizarRegistro(texto);
    if (!contenido) return 0;
    const std::string escrito = quirvex::FormatearRegistro(*contenido);
    const auto releido = quirvex::AnalizarRegistro(escrito);
    if (!releido || !(*releido == *contenido)) __builtin_trap();
    if (quirvex::FormatearRegistro(*releido) != escrito) __builtin_trap();
    return 0;
}
