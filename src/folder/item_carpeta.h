#pragma once
// The record of one entry shown by a pane, and the constants that describe it.
// Texts are UTF-8; a file name keeps its exact bytes even when they are not valid UTF-8, so every
// operation on the entry reaches the same file the listing saw.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace quirvex {

// Day count from 30 December 1899, local time; the fraction is the time of day.
using Fecha = double;

// Path separator; a folder location always ends with it.
inline constexpr char SepRuta = '/';

// Attribute bits, with the values the rest of the program tests.
inline constexpr std::uint32_t ATR_SOLO_LECTURA = 1;
inline constexpr std::uint32_t ATR_OCULTO = 2;
inline constexpr std::uint32_t ATR_DIRECTORIO = 16;
inline constexpr std::uint32_t ATR_ARCHIVO = 32;
inline constexpr std::uint32_t ATR_DISPOSITIVO = 64;
inline constexpr std::uint32_t ATR_ENLACE = 1024;

// Texts only a few items have, kept off the record so a listing of plain files stays small: a
// drive's, computer's or share's own path (files and folders have theirs from the folder).
struct TextosItem {
    std::string ruta;
};

// Owns the item's TextosItem when it has one; a copy copies the texts.
class CajaTextos {
public:
    CajaTextos() = default;
    CajaTextos(const CajaTextos& o) : p_(o.p_ ? std::make_unique<TextosItem>(*o.p_) : nullptr) {}
    CajaTextos(CajaTextos&&) noexcept = default;
    CajaTextos& operator=(const CajaTextos& o) {
        if (this != &o) p_ = o.p_ ? std::make_unique<TextosItem>(*o.p_) : nullptr;
        return *this;
    }
    CajaTextos& operator=(CajaTextos&&) noexcept = default;

    const TextosItem* Leer() const { return p_.get(); }
    TextosItem& Escribir() {
        if (!p_) p_ = std::make_unique<TextosItem>();
        return *p_;
    }
    void Vaciar() { p_.reset(); }

private:
    std::unique_ptr<TextosItem> p_;
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
    Fecha FechaModificacion = 0;
    Fecha FechaCreacion = 0;
    std::int64_t Tamano = 0;
    std::uint32_t Atributos = 0;
    std::string Ext;  // "\x00" folders, "\x01" files without a dot, else the extension
    CajaTextos Textos;

    bool EsCarpeta() const { return Atributos > 2000 || (Atributos & ATR_DIRECTORIO) != 0; }

    // The entry's full path: its own (drives, computers, shares) or `carpeta`, the folder that
    // lists it, followed by the present name, so a rename is followed.
    std::string RutaCompleta(std::string_view carpeta) const {
        if (const TextosItem* t = Textos.Leer(); t && !t->ruta.empty()) return t->ruta;
        std::string r;
        r.reserve(carpeta.size() + 1 + Nombre.size());
        r = carpeta;
        if (!r.empty() && r.back() != SepRuta) r += SepRuta;
        return r += Nombre;
    }
    // The path of an entry that is not reached through its folder; empty for files and folders.
    const std::string& RutaPropia() const {
        static const std::string vacia;
        const TextosItem* t = Textos.Leer();
        return t ? t->ruta : vacia;
    }
    void SetRutaPropia(std::string ruta) { Textos.Escribir().ruta = std::move(ruta); }
};

using TablaItems = std::vector<ItemCarpeta>;

// Kind codes.
inline constexpr const char* TIPO_CARPETA = "C";
inline constexpr const char* TIPO_ARCHIVO = "A";
inline constexpr const char* TIPO_UNIDAD = "U";
inline constexpr const char* TIPO_RED_COMPUTADORA = "RC";
inline constexpr const char* TIPO_RED_CARPETA = "RF";

}  // namespace quirvex
