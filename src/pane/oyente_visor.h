#pragma once
// cOyenteVisor: what the pane's core logic asks of the window that shows it. The window layer
// implements it (repaint an item, the status strip, the frame's clipboard list); tests record
// the calls. Calls arrive on the user-interface thread, from inside the core operation that
// caused them, after the core state is already updated, so the window may read it back.

#include <string>
#include <vector>

namespace quirvex {

class cOyenteVisor {
public:
    virtual ~cOyenteVisor() = default;

    // The selected look of one item changed.
    virtual void RedibujarItem(int item) = 0;
    // Many items changed at once (select all, invert, a range): repaint the visible ones.
    virtual void RedibujarItems() = 0;
    // The status strip should show the selection as seen from this item.
    virtual void ActualizarBarraEstado(int item) = 0;
    // The selection was emptied: the status strip and, with "View Info", the frame's info strip
    // show the location's summary.
    virtual void SeleccionVaciada() = 0;
    // SetClipboardSel: the frame's hidden clipboard list becomes these full paths, in order.
    virtual void SetListaPortapapeles(const std::vector<std::string>& rutas) = 0;
};

}  // namespace quirvex
