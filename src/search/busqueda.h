#pragma once
// The file search engine behind frmBuscar: a name pattern, and the depth-first walk that
// collects the hits of a list of folders.
//
// Order of the hits: inside a folder, every subfolder is searched first (in directory-listing
// order), and only then are the folder's own hits listed (in directory-listing order as well),
// so a hit in /a/b/ comes before a hit in /a/. Symbolic links that lead to folders are never
// entered (no loops, no leaving the chosen tree). Folders that cannot be listed are skipped
// without a word.
//
// The walk runs on the interface thread and yields through AvisosBusqueda::DejarCorrer every 20
// folders and every 30 hits (and every few thousand entries of a huge folder); while it yields
// the user may cancel (Buscando := false) or close the window. The state lives in a shared
// cBusqueda so that a window destroyed during a yield never leaves the walk on freed memory:
// the walk holds its own reference and stops at the next entry.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace quirvex {

// The typed name box turned into a search pattern: a "*" put in front unless it starts with
// one, and one appended unless it ends with one ("" gives "**").
std::string PatronDeBusqueda(std::string_view texto);

// A file-system wildcard pattern: "*" any run of characters, "?" any one character, every other
// character (including "#", "[" and "]") itself, compared without regard to case through the
// program's Unicode case mapping. Bytes that are not UTF-8 compare as themselves.
class PatronBusqueda {
public:
    explicit PatronBusqueda(std::string_view patron);
    bool Coincide(std::string_view nombre) const;

private:
    std::u32string plegado_;  // upper-cased code points
    std::string ascii_;       // the same when every code point is ASCII, else empty
    bool esAscii_ = false;
};

struct ResultadoBusqueda {
    std::string nombre;
    std::uint32_t carpeta = 0;  // index into cBusqueda::Carpetas
};

// The state of one search window's searches. Shared between the window and a running walk.
class cBusqueda {
public:
    bool Buscando = false;
    int NumBusquedas = 0;
    // Every folder that has hits, with its trailing '/', and the hits in order.
    std::vector<std::string> Carpetas;
    std::vector<ResultadoBusqueda> Resultados;
    // Set when two sources add hits: a path already listed is not listed again.
    bool Unicas = false;

    // Whether the hit may be listed: always, unless Unicas and it is listed already.
    bool Nueva(std::string_view carpeta, std::string_view nombre);

    // Result line i: the name, two tab characters, the folder with its trailing '/'.
    std::string Linea(std::size_t i) const;
    std::string RutaCompleta(std::size_t i) const;
    void Limpiar();

private:
    std::unordered_set<std::string> listadas_;
};

struct AvisosBusqueda {
    // Lets pending events run. May cancel the search or drop the window.
    std::function<void()> DejarCorrer;
    // The status line "Files: n" (n = hits so far), shown before every 30th hit.
    std::function<void(std::size_t nResultados)> Progreso;
};

struct ContadoresBusqueda {
    std::int64_t archivos = 0;
    std::int64_t carpetas = 0;
};

// Searches `carpeta` and all its subfolders, appending the hits to b.Resultados, while
// b.Buscando holds. The counters run on across calls (one per folder of the list).
void BuscarEnCarpeta(const PatronBusqueda& patron, std::string carpeta,
                     const std::shared_ptr<cBusqueda>& b, ContadoresBusqueda& contadores,
                     const AvisosBusqueda& avisos);

// "Found 12 files in 0.25 seconds": [9]/7 + n + [9]/8 + seconds + " " + General/60.
std::string TextoFinBusqueda(std::size_t n, double segundos);
// Seconds as the status line shows them: up to two decimals, no trailing zeros ("0.25", "3").
std::string TextoSegundos(double segundos);

// AgregarCarpeta: the list with `ruta` inserted first unless it is already there. Paths are
// compared exactly: on Linux two folders whose names differ only in case are two folders.
// Returns whether it was inserted.
bool AgregarCarpeta(std::vector<std::string>& lista, const std::string& ruta);

}  // namespace quirvex
