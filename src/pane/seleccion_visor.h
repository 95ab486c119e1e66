#pragma once
// cSeleccionVisor: one pane's selection. It keeps the ordered list of selected items
// (`ListaSel`), each selected item's 1-based place in it (`PosSeleccion` in the item table),
// the current item `sActual`, the range anchor `Ancla`, the count `nSel` and the size of the
// selected files `TotalSEL`.
//
// Owned by the pane, which also owns the item table this object writes `PosSeleccion` into; the
// table must outlive it. Call Reiniciar after every load with the number of shown entries (the
// first nCarpetas + nArchivos items). Only the first nItems items can be selected; indices
// outside that range are ignored everywhere.
//
// The list order is the order in which paths go to the clipboard, drag and drop and the
// operation queue, so it is kept exactly. Select all, invert and the range styles work on the
// whole list in one pass (one compaction, one renumbering) instead of removing slots one by one,
// so they stay linear on folders of 100,000 entries; a single removal shifts the later slots.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "folder/item_carpeta.h"
#include "pane/oyente_visor.h"

namespace quirvex {

// "Selection mode" values.
inline constexpr int MODO_SEL_9X = 0;   // rectangle
inline constexpr int MODO_SEL_XP = 1;   // linear range
inline constexpr int MODO_SEL_MAC = 2;  // toggle the clicked item only

// Selection kinds of SELECCIONAR.
inline constexpr int SEL_REPINTAR = 0;
inline constexpr int SEL_EXCLUSIVA = 1;
inline constexpr int SEL_ALTERNAR = 2;
inline constexpr int SEL_SOLO_ACTUAL = 3;

// Where the user stood in a listing, by name: what a refresh of the same folder puts back.
struct LugarPorNombre {
    std::vector<std::string> seleccion;  // in ListaSel order
    std::string actual;                  // empty: no current item
    std::string ancla;
};

struct ItemSel {
    std::string Texto;        // cached full label of the overlay; empty until painted
    int Item = -1;            // index in the item table
    std::int64_t Tamano = 0;  // what this slot added to TotalSEL, taken off again on removal
};

class cSeleccionVisor {
public:
    // Size of a selected file as counted in TotalSEL; by default the size the listing read.
    using FuncionTamano = std::function<std::int64_t(const ItemCarpeta&)>;

    explicit cSeleccionVisor(TablaItems& items, cOyenteVisor* oyente = nullptr,
                             FuncionTamano tamano = {});

    // After a load: nothing selected, no current item, no anchor, every PosSeleccion 0.
    void Reiniciar(int nItems);
    int nItems() const { return nItems_; }
    const TablaItems& Items() const { return items_; }

    // Changes one item's selection by kind and makes it current; false when nothing happened
    // (index out of range, or already current without forzar).
    bool SELECCIONAR(int item, int tipo, bool forzar);
    // Range click in the style of "Selection mode"; columnas is the grid's IcoEX.
    void SeleccionarConModo(int item, int modo, int columnas);
    void SeleccionarXP(int item);
    void Seleccionar9X(int item, int columnas);
    void SeleccionarTODO();
    void InvertirSeleccion();
    void DeseleccionarTodo();

    // Number of selected items of a kind.
    int SelTipo(TipoItem tipo) const;
    // Full paths of the selected items in ListaSel order: folders and files as the location
    // followed by the current name (so a rename is followed), other kinds their RutaCompleta.
    std::vector<std::string> RutasSeleccion(std::string_view rutaActual) const;
    void SetClipboardSel(std::string_view rutaActual);

    int sActual() const { return sActual_; }
    // Moves the current item without touching the selection (-1: none).
    void SetSActual(int item);
    int Ancla() const { return ancla_; }
    int nSel() const { return static_cast<int>(lista_.size()); }
    std::int64_t TotalSEL() const { return totalSel_; }
    const std::vector<ItemSel>& ListaSel() const { return lista_; }
    bool Seleccionado(int item) const;
    // The current item, the anchor and the selection by name, read before a refresh.
    LugarPorNombre Lugar() const;
    // After Reiniciar on the refreshed table: the named items still shown are selected again in
    // their old order, and current and anchor go back to their names; one repaint of the lot.
    void Restaurar(const LugarPorNombre& lugar);

    // Caches the painted overlay label of slot k.
    void SetTextoSlot(int k, std::string texto);

    // Consistency of the list, the item table and the totals; empty when all hold, otherwise
    // a description of the first fault found. For tests, after every change; it asks the size
    // function again, so it assumes the files' sizes have not changed since they were selected.
    std::string Verificar() const;

private:
    void AplicarTipo(int item, int tipo);
    void Agregar(int item);
    void Quitar(int item);
    void Alternar(int item);
    // Removes every listed item for which fuera is true, keeping the order of the rest.
    void QuitarSi(const std::function<bool(int)>& fuera);

    TablaItems& items_;
    cOyenteVisor* oyente_;
    FuncionTamano tamano_;
    int nItems_ = 0;
    int sActual_ = -1;
    int ancla_ = -1;
    std::vector<ItemSel> lista_;
    std::int64_t totalSel_ = 0;
};

}  // namespace quirvex
