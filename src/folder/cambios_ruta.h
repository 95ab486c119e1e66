#pragma once
// How one pane follows a broadcast change: the tab window asks, for each of its panes, what the
// change means for it. Location texts are rewritten here; refreshes and redraws are left to the
// caller, which can then refresh a pane once for a burst of changes.

#include <cstdint>

#include "folder/contenido_visor.h"
#include "folder/notificaciones.h"

namespace quirvex {

enum class EfectoCambio {
    Ninguno,
    RedibujarItem,    // an entry was renamed in place (index in `item`)
    Refrescar,        // the pane's folder changed: list it again
    NuevaUbicacion,   // the shown folder was renamed: redraw the header and path buttons
    IrAMiPC,          // the shown folder is gone
    RecargarUnidades, // a drive came or went while the pane shows the drive list
};

struct ResultadoCambio {
    EfectoCambio efecto = EfectoCambio::Ninguno;
    std::int64_t item = -1;
};

// Applies a change to a pane. The new name is the part of the new path after its last '/'.
// Paths and names compare exactly: Linux names are case-sensitive.
ResultadoCambio AplicarCambioRuta(cContenidoVisor& c, const CambioRuta& cambio);

// Carries out the effect on the pane's content (the window adds the drawing).
void EjecutarEfecto(cContenidoVisor& c, const ResultadoCambio& r);

}  // namespace quirvex
