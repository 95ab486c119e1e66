#pragma once
// The record of one entry shown by a pane, and the constants that describe it.
// Texts are UTF-8; a file name keeps its exact bytes even when they are not valid UTF-8, so every
// operation on the entry reaches the same file the listing saw.

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace quirvex {

// Day count from 30 December 1899, local time; the fraction is the time of day.
using Fecha = double;

// Attribute bits, with the values the rest of the program tests.
inline constexpr std::uint32_t ATR_SOLO_LECTURA = 1;
inline constexpr std::uint32_t ATR_OCULTO = 2;
inline constexpr std::uint32_t ATR_DIRECTORIO = 16;
inline constexpr std::uint32_t ATR_ARCHIVO = 32;
inline constexpr std::uint32_t ATR_DISPOSITIVO = 64;
inline constexpr std::uint32_t ATR_ENLACE = 1024;

// Sort key: text for the name, extension and size modes, a date for the two date modes.
struct ClaveOrden {
    std::string texto;
    Fecha fecha = 0;
};

struct ItemCarpeta {
    // Folders: empty; files: lower-case extension or "."; drives and network entries: the
    // entry's index in the drive table or the network table.
    std::variant<std::string, std::int32_t> Extension;
    std::string TextoLinea;
    std::string Nombre;
    std::int32_t Icono = 0;
    std::int32_t PosSeleccion = 0;  // 1-based place in the selection list, 0 = not selected
    std::string Tipo;               // "C", "A", "U", "RC", "RF"
    std::string TextoIcono;         // label lines joined by '\r'; empty = not computed yet
    std::string NombreMostrar;
    std::string RutaCompleta;
    Fecha FechaModificacion = 0;
    Fecha FechaCreacion = 0;
    std::int64_t Tamano = 0;
    std::uint32_t Atributos = 0;
    ClaveOrden Orden;
    std::string Ext;  // "\x00" folders, "\x01" files without a dot, else the extension

    bool EsCarpeta() const { return Atributos > 2000 || (Atributos & ATR_DIRECTORIO) != 0; }
};

using TablaItems = std::vector<ItemCarpeta>;

// Kind codes.
inline constexpr const char* TIPO_CARPETA = "C";
inline constexpr const char* TIPO_ARCHIVO = "A";
inline constexpr const char* TIPO_UNIDAD = "U";
inline constexpr const char* TIPO_RED_COMPUTADORA = "RC";
inline constexpr const char* TIPO_RED_CARPETA = "RF";

// Path separator; a folder location always ends with it.
inline constexpr char SepRuta = '/';

}  // namespace quirvex
