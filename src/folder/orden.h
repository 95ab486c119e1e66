#pragma once
// Sort keys and the sort of a pane's items.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "folder/item_carpeta.h"

namespace quirvex {

enum CriterioOrden : int {
    ORDEN_EXTENSION = 0,
    ORDEN_NOMBRE = 1,
    ORDEN_TAMANO = 2,
    ORDEN_CREACION = 3,
    ORDEN_MODIFICACION = 4,
};

// Sort key: text for the name, extension and size modes, a date for the two date modes. Kept
// beside the items, never in them: only a sort needs it, and it builds the keys it sorts by.
struct ClaveOrden {
    std::string texto;
    Fecha fecha = 0;
};

// The keys of the first n entries, in table order. The size mode reads each file's size again
// from `carpeta` + name, so a file that grew since the listing sorts by its present size.
std::vector<ClaveOrden> CalcularClavesOrden(const TablaItems& items, size_t n, int criterio,
                                            const std::string& carpeta);

// Sorts entries 0..n-1 ascending by their keys (`claves`, one per entry, moved with them).
// Equal keys end in the order the classic partition
// scheme leaves them; sorted input and deep recursion are handled (smaller side first, heap sort
// past 2·log2(n) levels), so 100,000 sorted entries neither overflow the stack nor go quadratic.
// When `permutacion` is given it receives the new order as the entries' former indices, so the
// same order can be given again to an identical table without sorting.
void OrdenarItems(TablaItems& items, std::vector<ClaveOrden>& claves, size_t n, int criterio,
                  std::vector<std::uint32_t>* permutacion = nullptr);

// One entry's key as the sort sees it: a view of its text, a date, or a whole number (a size,
// which orders as its zero-padded text does), and where the entry stood. The sort moves these
// small records, never the entries.
struct ClaveIndice {
    std::string_view texto;
    double numero = 0;
    std::uint64_t entero = 0;  // the key of TipoClave::Entero; the sort's own scratch for texts
    std::uint32_t indice = 0;
};

enum class TipoClave { Texto, Fechas, Entero };

// Sorts keys ascending with the same partition scheme and guards as OrdenarItems; texts compare
// by UTF-16 code units. The order of equal keys depends only on the comparisons, so the same
// keys in the same order always end in the same order.
void OrdenarClaves(std::vector<ClaveIndice>& claves, TipoClave tipo);

// The size key: the byte count zero-padded to 20 digits.
std::string ClaveTamano(std::int64_t tamano);

}  // namespace quirvex
