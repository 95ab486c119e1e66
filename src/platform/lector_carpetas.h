#pragma once
// LectorCarpetas: the folder reads of the folder tally, shaped for one pass over a large tree.
// A folder is opened through its parent's handle and never through a symbolic link, so a link
// (to a folder outside, or a loop) is seen as an entry and never entered, and a folder swapped
// for a link between the listing and the open is not followed either.
//
// One process-wide instance, the real one unless a test installs its own. It keeps no state of
// its own: several tallies may read at once from their own threads.

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace quirvex {

using ManejadorCarpeta = std::intptr_t;
inline constexpr ManejadorCarpeta CARPETA_INVALIDA = -1;

// What one folder holds, in one read: subfolders by name (in the file system's order), and
// every other entry counted. Regular files add their size; links, devices, fifos and sockets
// count as entries of size 0 (a link's target is never looked at).
struct ContenidoCarpeta {
    std::vector<std::string> subcarpetas;
    std::int64_t archivos = 0;
    std::int64_t bytes = 0;
};

enum class FalloCarpeta {
    Ninguno,
    NoExiste,    // gone (or never was) by the time it was opened
    NoEsCarpeta, // no longer a folder: a link or a file took its place after it was listed
    Otro,        // exists but cannot be read (permissions, I/O, no handles left)
};

class LectorCarpetas {
public:
    virtual ~LectorCarpetas() = default;
    // Opens `nombre` inside the folder `padre` (never through a link), or the path `nombre`
    // itself when padre is CARPETA_INVALIDA (a link there is followed: the user chose it).
    // CARPETA_INVALIDA with `fallo` set when it cannot be opened or is not a folder.
    virtual ManejadorCarpeta Abrir(ManejadorCarpeta padre, const std::string& nombre,
                                   FalloCarpeta& fallo) = 0;
    // Reads the whole folder into `c` (cleared first). Stops early, returning false, once
    // `cancelar` is set (looked at every few hundred entries); false also when the folder
    // could not be read to its end, with what was read kept.
    virtual bool Leer(ManejadorCarpeta carpeta, ContenidoCarpeta& c,
                      const std::atomic<bool>* cancelar) = 0;
    virtual void Cerrar(ManejadorCarpeta carpeta) = 0;
};

LectorCarpetas& LectorSistema();
// Replaces the process-wide instance; nullptr restores the real one. For tests.
void SetLectorCarpetas(LectorCarpetas* lector);

}  // namespace quirvex
