#pragma once
// The record of one entry shown by a pane, and the constants that describe it.
// Texts are UTF-8; a file name keeps its exact bytes even when they are not valid UTF-8, so every
// operation on the entry reaches the same file the listing saw.

#include <cstddef>
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

// Kind codes, as commands and change notices spell them.
inline constexpr const char* TIPO_CARPETA = "C";
inline constexpr const char* TIPO_ARCHIVO = "A";
inline constexpr const char* TIPO_UNIDAD = "U";
inline constexpr const char* TIPO_RED_COMPUTADORA = "RC";
inline constexpr const char* TIPO_RED_CARPETA = "RF";

// An item's kind in one byte, made from and compared with the kind codes above.
class TipoItem {
public:
    constexpr TipoItem() = default;
    // Implicit: a kind code is the kind.
    constexpr TipoItem(const char* codigo) : v_(Valor(codigo)) {}

    constexpr const char* Codigo() const { return kCodigos[v_]; }
    friend constexpr bool operator==(TipoItem a, TipoItem b) { return a.v_ == b.v_; }
    friend constexpr bool operator==(TipoItem a, const char* codigo) { return a == TipoItem(codigo); }

private:
    static constexpr const char* kCodigos[] = {"C", "A", "U", "RC", "RF", ""};
    // An unknown code is a kind of its own, equal to no known one.
    static constexpr std::uint8_t Valor(const char* codigo) {
        for (std::uint8_t i = 0; i < 5; ++i) {
            const char* k = kCodigos[i];
            std::size_t j = 0;
            while (k[j] && codigo[j] == k[j]) ++j;
            if (!k[j] && !codigo[j]) return i;
        }
        return 5;
    }
    std::uint8_t v_ = 5;  // no kind yet: code ""
};

inline const char* CodigoTipo(TipoItem t) { return t.Codigo(); }

// Texts only some items have, kept off the record so a listing of plain files stays small: a
// drive's, computer's or share's own path (files and folders have theirs from the folder), and
// the labels the view fitted for the items it drew.
struct TextosItem {
    std::string ruta;
    std::string linea;  // TextoLinea
    std::string icono;  // TextoIcono
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

// What the record holds is what the listing said; every text the view shows is made from it
// when asked (the type text, the extension, the full path) or kept only for the items drawn
// (the fitted labels).
struct ItemCarpeta {
    std::string Nombre;  // exact bytes
    CajaTextos Textos;
    Fecha FechaModificacion = 0;
    Fecha FechaCreacion = 0;
    std::int64_t Tamano = 0;
    std::uint32_t Atributos = 0;
    std::int32_t Icono = 0;
    std::int32_t PosSeleccion = 0;  // 1-based place in the selection list, 0 = not selected
    // Drives and network entries: the entry's index in the drive table or the network table.
    std::int32_t PosLista = -1;
    TipoItem Tipo;  // "C", "A", "U", "RC", "RF"

    bool EsCarpeta() const { return Atributos > 2000 || (Atributos & ATR_DIRECTORIO) != 0; }
    const std::string& NombreMostrar() const { return Nombre; }

    // Folders: empty; files: lower-case extension or "."; drives and network entries: PosLista.
    std::variant<std::string, std::int32_t> Extension() const;
    // "\x00" folders, "\x01" files without a dot, else the lower-case extension; empty for drives
    // and computers.
    std::string Ext() const;

    // The entry's full path: its own (drives, computers, shares) or `carpeta`, the folder that
    // lists it, followed by the present name, so a rename is followed.
    std::string RutaCompleta(std::string_view carpeta) const;
    // The path of an entry that is not reached through its folder; empty for files and folders.
    const std::string& RutaPropia() const;
    void SetRutaPropia(std::string ruta) { Textos.Escribir().ruta = std::move(ruta); }

    // The labels the view fitted; empty = not computed yet. TextoIcono's lines are joined by '\r'.
    const std::string& TextoLinea() const;
    const std::string& TextoIcono() const;
    void SetTextoLinea(std::string texto) { Textos.Escribir().linea = std::move(texto); }
    void SetTextoIcono(std::string texto) { Textos.Escribir().icono = std::move(texto); }
    // Forgets both labels, and the box with them when the item has no own path.
    void BorrarEtiquetas();
};

using TablaItems = std::vector<ItemCarpeta>;

}  // namespace quirvex
