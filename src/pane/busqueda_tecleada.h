#pragma once
// cBusquedaTecleada: type-ahead for the active pane of a hosting window. Typed characters
// gather into a search text that starts afresh after a pause of more than one second; the
// first item after the current one whose name begins with the text becomes the only selected
// item and the current one.
//
// Owned by the hosting window, one per window (the text is shared by its panes and must be
// emptied with Limpiar whenever another pane becomes active). The time comes in as a parameter
// (milliseconds of a steady clock) so that callers pass their clock and tests a fixed one.

#include <cstdint>
#include <string>
#include <string_view>

#include "pane/seleccion_visor.h"

namespace quirvex {

// Upper case of a UTF-8 text for name comparison: ASCII and the accented Latin-1 letters, so
// that a typed "Ñ" finds "ñandú". Other characters are left as they are.
std::string MayusculasNombre(std::string_view texto);

class cBusquedaTecleada {
public:
    // caracter: one typed character, upper case, UTF-8. visor: the active pane's selection or
    // nullptr when there is none. saltarSignos: the "SelSkipChars" setting is 1. Returns the
    // item made current, or -1 when nothing changed.
    int AddStrSel(std::string_view caracter, std::int64_t ahoraMs, cSeleccionVisor* visor,
                  bool saltarSignos);
    void Limpiar();
    const std::string& Texto() const { return texto_; }

private:
    std::string texto_;
    std::int64_t ultimaTecla_ = 0;
};

}  // namespace quirvex
