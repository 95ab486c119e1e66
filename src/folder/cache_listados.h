#pragma once
// The program-wide folder-listing cache: the unfiltered, unsorted listing of every folder opened
// in this run, shared by all panes, until a refresh removes it. Single-threaded by design.

#include <cstdint>
#include <memory>
#include <string>

#include "folder/item_carpeta.h"

namespace quirvex {

struct ListadoCarpeta {
    std::string ruta;  // as enumerated, ending with '/'
    std::int64_t TotalSize = 0;
    std::shared_ptr<const TablaItems> items;
    std::int64_t nArchivos = 0;
    std::int64_t nCarpetas = 0;
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

// The listing of the folder from the cache, or read from disk and stored. A folder that cannot
// be read is stored as an empty listing (it stays empty until refreshed).
const ListadoCarpeta& ListarConCache(const std::string& carpeta, bool ocultarArchivosSistema);

}  // namespace mvCache

// Reads a folder from disk into items (no cache).
ListadoCarpeta EnumerarCarpeta(const std::string& carpeta, bool ocultarArchivosSistema);

// Extension group of a file name: 1 when it has no extension or none of the groups has it,
// else 2 + the group's position.
std::int32_t GrupoExtension(std::string_view nombre);

}  // namespace quirvex
