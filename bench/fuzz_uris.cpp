// libFuzzer target for the clipboard's file-list readers: text/uri-list, the copied-files list
// and plain text that may be a list of file URIs. Whatever a reader accepts must be a path that
// writes back to a list reading as the same paths, so a paste never reaches a different file.
// Built and run by bench/run_fuzz.sh.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "operations/lista_uris.h"

namespace {

void ComprobarRutas(const std::vector<std::string>& rutas) {
    for (const std::string& r : rutas) {
        if (r.empty() || r.front() != '/' || r.find('\0') != std::string::npos) __builtin_trap();
        std::string vuelta;
        if (!quirvex::RutaDeUri(quirvex::UriDeRuta(r), vuelta) || vuelta != r) __builtin_trap();
    }
    if (quirvex::RutasDeListaUris(quirvex::TextoListaUris(rutas)) != rutas) __builtin_trap();
    std::vector<std::string> copiadas;
    bool cortar = false;
    if (!quirvex::RutasDeArchivosCopiados(quirvex::TextoArchivosCopiados(rutas, true), copiadas,
                                          cortar) ||
        !cortar || copiadas != rutas)
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n) {
    const std::string_view texto(reinterpret_cast<const char*>(datos), n);
    ComprobarRutas(quirvex::RutasDeListaUris(texto));
    std::vector<std::string> rutas;
    bool cortar = false;
    if (quirvex::RutasDeArchivosCopiados(texto, rutas, cortar)) ComprobarRutas(rutas);
    if (quirvex::RutasDeTextoPlano(texto, rutas)) {
        if (rutas.empty()) __builtin_trap();
        ComprobarRutas(rutas);
    }
    std::string ruta;
    if (quirvex::RutaDeUri(texto, ruta)) ComprobarRutas({ruta});
    return 0;
}
