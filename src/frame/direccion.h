#pragma once
// What the address bar decides before any window acts: what an entered text names, the parts a
// location is shown in, the ancestor behind each part, and the debug-mode switch of the command
// line. Pure functions over the core's file-system interface.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quirvex {

enum class AccionDireccion {
    IrCarpeta,     // an existing folder: the pane goes there
    AbrirArchivo,  // an existing file: it is opened, the box shows the pane's location again
    MiPC,          // "MI PC" in any case: the drives view
    Nada,          // the text as last accepted: no message, the focus stays
    NoExiste,      // anything else: "La ruta no existe."
};

// `aceptado` is the text as it was when an address was last accepted. Only absolute paths name
// folders and files: a relative one would depend on the program's working folder.
AccionDireccion ResolverDireccion(const std::string& texto, const std::string& aceptado);

// The parts a location is shown in: "/home/ana/" gives "/", "home", "ana"; a location that is
// not a path (My PC, the network) is one part.
std::vector<std::string> PartesDeRuta(const std::string& ruta);
// The location of part `indice` of `ruta`, with a trailing separator; empty when out of range.
std::string RutaDeParte(const std::string& ruta, int indice);

// Debug mode is on only when the whole command line is exactly "-debugmode".
bool EsModoDepuracion(const std::vector<std::string>& argumentos);

// The folder a command-line argument names. The desktop starts the program with a "file:" URI
// as readily as with a path: a URI gives its local path, a path is taken as it is. A URI that
// does not name a local path without loss (another host, a query, a fragment, a NUL, another
// scheme) gives nothing, so the program opens its default folder rather than a look-alike.
std::optional<std::string> CarpetaDeArgumento(std::string_view argumento);

}  // namespace quirvex
