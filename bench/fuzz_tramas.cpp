// libFuzzer target for what the index server and the frame read from a peer: the frame reader
// fed in arbitrary pieces, and the results list the frame decodes. Built and run by
// bench/run_fuzz.sh (clang, -fsanitize=fuzzer,address,undefined).

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "search/protocolo_indice.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n) {
    if (n == 0) return 0;
    // The first byte chooses the piece size, so splits across headers are explored too.
    const std::size_t trozo = 1 + datos[0] % 32;
    const char* p = reinterpret_cast<const char*>(datos + 1);
    const std::size_t resto = n - 1;
    quirvex::LectorTramas lector(quirvex::kMaxDatosAlServidor);
    for (std::size_t i = 0; i < resto; i += trozo) {
        lector.Agregar(p + i, resto - i < trozo ? resto - i : trozo);
        while (auto t = lector.Siguiente()) {
            (void)quirvex::MensajeDeCliente(t->mensaje);
            if (auto r = quirvex::DecodificarResultados(t->datos)) {
                // What decodes must encode back to the same bytes.
                if (quirvex::CodificarResultados(*r) != t->datos) __builtin_trap();
            }
        }
        if (lector.Error()) break;
    }
    (void)quirvex::DecodificarResultados(std::string_view(p, resto));
    return 0;
}
