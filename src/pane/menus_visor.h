#pragma once
// The tab window's menus as data: every item with its caption key, shortcut and parent, and
// the rules that enable, check and caption them from the pane's state. The window builds its
// menu bar and pop-up menus from this table and asks EstadoMenus before showing one.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quirvex {

struct ItemMenu {
    std::string_view nombre;    // e.g. "mnuEcopiar"
    std::string_view padre;     // "" for a top-level menu, else the parent's name
    int clave;                  // caption key: 1..1000 frmMain, above 1000 General (n − 1000)
    std::string_view atajo;     // in QKeySequence's portable text form, "" for none
    bool activo;                // false: shown greyed, no action
};

// Menu bar, item menu (mnuPA), background menu (mnuPC) and drop menu (mnuPD), in order.
const std::vector<ItemMenu>& TablaMenus();
const ItemMenu* BuscarMenu(std::string_view nombre);

// The pane's state the rules read.
struct ContextoMenus {
    bool enUnidades = false;       // the pane shows the drive (or network) list
    std::int64_t nSel = 0;
    std::string tipoActual;        // Tipo of the current item, "" when none
    bool portapapelesConRutas = false;
    bool arbolVisible = false;
    int modoVista = 0;             // 0 icons, 1 details
    bool modoPreview = false;
    int criterioOrden = 0;
    bool direccionConFoco = false; // the address box has the focus
    bool ocultosVisibles = true;   // names beginning with "." are listed
};

struct EstadoItem {
    bool habilitado = true;
    bool marcado = false;
    int clave = 0;  // caption key to use (differs from the table for rename/change label)
};

EstadoItem EstadoMenu(std::string_view nombre, const ContextoMenus& c);

}  // namespace quirvex
