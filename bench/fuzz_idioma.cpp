// libFuzzer target for the language-file parser: any text, however broken, gives entries inside
// the key limits, and loading it into the tables neither crashes nor allocates without bound.
// Built and run by bench/run_fuzz.sh.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "settings/idioma.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n) {
    const std::string_view texto(reinterpret_cast<const char*>(datos), n);
    for (const quirvex::EntradaIdioma& e : quirvex::AnalizarIdioma(texto)) {
        if (e.clave < 0 || e.clave > quirvex::MAX_CLAVE_IDIOMA) __builtin_trap();
        if (e.seccion < 0 || e.seccion > quirvex::MAX_CLAVE_IDIOMA) __builtin_trap();
        if (e.texto.find('\n') != std::string::npos) __builtin_trap();
    }
    quirvex::CargarIdioma(texto);
    (void)quirvex::TextoN(quirvex::General, 0, 12345);
    return 0;
}
