#pragma once
// Path routines of the file operations. Paths are bytes: nothing here decodes a name, so names
// with invalid UTF-8, quotes or leading dots pass through unchanged. Queries never follow a
// symbolic link: a link is an entry of its own, whatever it points to.

#include <cstddef>
#include <cstdint>
#include <string>

#include "folder/rutas.h"

namespace quirvex {

// Moves a path from one root to another: when the text begins with AgregarBarra(raizVieja)
// that beginning becomes AgregarBarra(raizNueva); any other text comes back unchanged. Only the
// beginning is replaced: a folder whose own name repeats further down the path must not have
// its inner components rewritten.
std::string CambiarRaiz(const std::string& texto, const std::string& raizVieja,
                        const std::string& raizNueva);

// The first of ruta, stem " (1)" suffix, stem " (2)" suffix, ... that names nothing at all (no
// file, folder or link). A path ending in "/" keeps the "/" as its suffix; with sinExtension the
// whole path is the stem; otherwise the suffix is the last "." of the last name and what follows
// it, unless that dot starts the name (".profile" → ".profile (1)").
// A name longer than a name may be gets its stem shortened (never inside a UTF-8 character) so
// that " (n)" and the suffix still fit.
std::string NombreLibre(const std::string& ruta, bool sinExtension);
// The n-th candidate of NombreLibre for one name (n = 0 is the name itself).
std::string CandidatoLibre(const std::string& nombre, long long n, bool sinExtension);

// The longest name, in bytes, a folder entry may have.
inline constexpr std::size_t LARGO_MAXIMO_NOMBRE = 255;

bool Existe(const std::string& ruta);  // anything, a dangling link included
bool ExisteArchivo(const std::string& ruta);
bool ExisteCarpeta(const std::string& ruta);
// Length of a regular file; 0 for anything else.
std::int64_t TamanoArchivo(const std::string& ruta);
// Total length of the regular files in a folder tree; linked folders are not entered.
std::int64_t TamanoCarpeta(const std::string& ruta);
// Creates the folder and every missing parent. 0 on success, else the system's error code.
int CrearRuta(const std::string& ruta);
// True when `ruta` is the folder `carpeta` or lies inside it, links resolved where both exist.
bool DentroDe(const std::string& ruta, const std::string& carpeta);

}  // namespace quirvex
