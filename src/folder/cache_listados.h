#pragma once
// The program-wide folder-listing cache: the unfiltered, unsorted listing of every folder opened
// in this run, shared by all panes, until a refresh removes it. Single-threaded by design.
// A cached listing is served as it is only while its folder has been watched since it was
// listed and no event came for it (the watcher tells the cache both). Otherwise the names are
// kept only while the folder's stamp (one status call) is the one taken when it was listed, and
// the entries' sizes and times are read again, since a file rewritten in place leaves the
// folder's stamp alone; a listing taken while the folder was changing within the file system's
// clock granularity is never trusted, since a later change could leave the stamp unchanged.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "folder/item_carpeta.h"
#include "platform/sistema_archivos.h"

namespace quirvex {

// The order each sort mode gives a whole listing, kept from the first time a pane sorts it that
// way: a revisit or a return to that mode, with no entry filtered out, takes it instead of
// sorting again. The result is the one the sort would give, since the table is the same.
// The size mode re-reads the sizes the watch cannot vouch for and is never kept.
struct OrdenesListado {
    std::array<std::vector<std::uint32_t>, 5> porCriterio;
};

// What the cache keeps of one entry: what the disk said, and nothing a pane can rebuild from it
// (the full path, kind and extension texts are made when the entry is shown). A quarter of an
// item record's size, so a cached folder costs little beside the one a pane shows.
struct EntradaListado {
    std::string nombre;  // exact bytes
    std::int64_t tamano = 0;
    Fecha modificacion = 0;
    Fecha creacion = 0;
    std::uint32_t atributos = 0;
    std::int32_t icono = 0;  // extension group; 0 for folders

    bool EsCarpeta() const { return atributos > 2000 || (atributos & ATR_DIRECTORIO) != 0; }
};

using TablaEntradas = std::vector<EntradaListado>;

struct ListadoCarpeta {
    std::string ruta;  // as enumerated, ending with '/'
    std::int64_t TotalSize = 0;
    std::shared_ptr<const TablaEntradas> entradas;
    std::int64_t nArchivos = 0;
    std::int64_t nCarpetas = 0;
    std::optional<SelloCarpeta> sello;  // the folder's stamp read just before listing
    bool confiable = false;             // the stamp was old enough to vouch for the listing
    std::uint64_t vigilancia = 0;       // the folder's watch at listing time; 0: not watched
    std::shared_ptr<OrdenesListado> ordenes = std::make_shared<OrdenesListado>();
};

namespace mvCache {

// Index of the entry for the folder, or -1. Paths compare exactly: Linux names are
// case-sensitive, so "/a/Docs/" and "/a/docs/" are two folders.
std::int64_t Buscar(const std::string& ruta);
const ListadoCarpeta& Entrada(std::int64_t indice);
std::int64_t Cantidad();
// Removing moves the last entry into the freed slot.
void Quitar(std::int64_t indice);
void Quitar(const std::string& ruta);
void Vaciar();

// What the watcher knows. A watch is counted per folder (path ending with '/'); an event for
// an entry of a folder, or the last watch on it ending, stops its listing being served as is.
void Vigilada(const std::string& carpeta);
void Soltada(const std::string& carpeta);
void Cambio(const std::string& carpeta);
// Reads what the watcher has waiting (events may already be queued for a folder about to be
// served); none by default.
void SetDrenaje(std::function<void()> drenar);

// Nanoseconds since 1970 (UTC); the cache compares folder stamps with it. For tests.
using RelojCache = std::int64_t (*)();
void SetReloj(RelojCache reloj);  // nullptr restores the system clock

// Whether the sizes and times of `entradas`, the listing of `carpeta` a pane shows, are current
// without asking the disk: it is the cached listing of the folder, and the folder has been
// watched since before it was listed with no event since (what the watcher has waiting is read
// first). False for anything the watch cannot vouch for.
bool AlDia(const std::string& carpeta, const std::shared_ptr<const TablaEntradas>& entradas);

// The listing of the folder from the cache, or read from disk and stored. A folder that cannot
// be read is stored as an empty listing (it stays empty until refreshed).
const ListadoCarpeta& ListarConCache(const std::string& carpeta, bool ocultarArchivosSistema);

// Stores a listing read elsewhere (a share's, read off the window's thread) as the one of its
// folder, in place of an older one.
const ListadoCarpeta& Guardar(ListadoCarpeta l);

}  // namespace mvCache

// Reads a folder from disk (no cache).
ListadoCarpeta EnumerarCarpeta(const std::string& carpeta, bool ocultarArchivosSistema);
// The listing of `carpeta` made of entries already read (they are moved from).
ListadoCarpeta ListadoDeEntradas(const std::string& carpeta, std::vector<EntradaDirectorio>& leidas,
                                 bool ocultarArchivosSistema);

// The item a pane shows for a listed entry (its full path is made from the pane's folder).
ItemCarpeta ItemDeEntrada(const EntradaListado& e);
// The same, written into a freshly made item where it stands in its table.
void LlenarItemDeEntrada(ItemCarpeta& it, const EntradaListado& e);

// Extension group of a file name: 1 when it has no extension or none of the groups has it,
// else 2 + the group's position.
std::int32_t GrupoExtension(std::string_view nombre);

}  // namespace quirvex
