#pragma once
// The settings store: a typed key-value store kept as one text file in the format of registry
// exports, and the registry wrappers the rest of the program calls.
//
// File format (what FormatearRegistro writes and AnalizarRegistro accepts):
//   Windows Registry Editor Version 5.00
//   <blank line>
//   [HKEY_CURRENT_USER\Software\Ubrel\Halvord]
//   "Tabs Max Width"=dword:000000a0
//   "Default Folder Path"="/home/ana/"
//   <blank line>
//   [HKEY_CURRENT_USER\Software\Ubrel\Halvord\TypedUrls]
//   ...
// Lines end in LF (CR LF is accepted too), blank lines and lines starting with ";" are skipped,
// an unnamed value is written "@". A DWORD is exactly 8 hex digits (the 32 bits of the signed
// number, so -1 is ffffffff). Names and texts are quoted; inside the quotes a backslash is
// written "\\", a double quote "\"", CR "\r", LF "\n", and every other byte below 0x20 and 0x7f
// as "\xHH". Each value stays on its line (no line continuations), so any byte string, including
// CR LF pairs and bytes that are not UTF-8, comes back exactly. Anything else (another value
// type, an unknown escape, a value outside a key, a missing header) makes the whole file
// unparseable: the store then keeps it aside and reads as empty.
//
// Key paths and value names are matched ignoring ASCII case, as the registry does; a value
// keeps the spelling it was first written with.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace quirvex {

enum RaizRegistro : int {
    HKEY_CURRENT_USER = 1,
};

// The key that holds every setting of the program, and the list of visited locations under it.
inline constexpr std::string_view CLAVE_OPCIONES = "Software\\Ubrel\\Halvord";
inline constexpr std::string_view CLAVE_TYPED_URLS = "Software\\Ubrel\\Halvord\\TypedUrls";

// REG_DWORD or REG_SZ; the two are never converted into each other.
using ValorRegistro = std::variant<std::int32_t, std::string>;
using ValoresRegistro = std::vector<std::pair<std::string, ValorRegistro>>;

struct MenorSinMayusculas {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
};

// The parsed contents of the file. A plain value type: the caller owns it.
class ContenidoRegistro {
public:
    // Full key path, e.g. "HKEY_CURRENT_USER\Software\Ubrel\Halvord".
    const ValorRegistro* Buscar(std::string_view clave, std::string_view nombre) const;
    // Creates the key when missing. Returns whether anything changed.
    bool Poner(std::string_view clave, std::string_view nombre, const ValorRegistro& valor);
    // Creates the key (without values) when missing. Returns whether it was missing.
    bool CrearClave(std::string_view clave);
    // Removes the key, its values and every key below it. Returns whether anything was removed.
    bool BorrarClave(std::string_view clave);
    bool ExisteClave(std::string_view clave) const;

    const std::map<std::string, ValoresRegistro, MenorSinMayusculas>& Claves() const {
        return claves_;
    }
    bool operator==(const ContenidoRegistro&) const = default;

private:
    std::map<std::string, ValoresRegistro, MenorSinMayusculas> claves_;
};

// Nothing when the text is not a store file. An empty (or all-blank) text is an empty store.
std::optional<ContenidoRegistro> AnalizarRegistro(std::string_view texto);
std::string FormatearRegistro(const ContenidoRegistro& contenido);

// "HKEY_CURRENT_USER" + "\" + the subkey without leading or trailing backslashes.
std::string RutaClave(RaizRegistro raiz, std::string_view subclave);

// The registry wrappers. They work on the process-wide store file (ArchivoRegistro), read it
// afresh on every call so the values of another running instance are seen, and never report a
// failure: a missing or unreadable value reads as the fallback and a failed write is dropped.
// A file that cannot be parsed is kept aside as "<file>.bad" on the first read or write that
// meets it, and the store starts again empty.

// Absent key or value: porDefecto. A text value: 0.
std::int32_t RegLeerDword(RaizRegistro raiz, std::string_view subclave, std::string_view nombre,
                          std::int32_t porDefecto);
// Absent, or a DWORD: empty. Otherwise the text up to its first NUL.
std::string RegLeerCadena(RaizRegistro raiz, std::string_view subclave, std::string_view nombre);
// Whether the value is stored at all, of either type.
bool RegExisteValor(RaizRegistro raiz, std::string_view subclave, std::string_view nombre);
void RegEscribirDword(RaizRegistro raiz, std::string_view subclave, std::string_view nombre,
                      std::int32_t valor);
void RegEscribirCadena(RaizRegistro raiz, std::string_view subclave, std::string_view nombre,
                       std::string_view texto);
// Several values of one key in one locked rewrite of the file, applied in the given order.
void RegEscribirValores(RaizRegistro raiz, std::string_view subclave,
                        const ValoresRegistro& valores);
// Deletes the key with its values and every key below it.
void RegBorrarClave(RaizRegistro raiz, std::string_view subclave);

}  // namespace quirvex
