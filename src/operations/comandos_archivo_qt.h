#pragma once
// The dialog half of the file commands, for the tab window's menus and keys. Delete and new
// folder need no window: the pane calls EliminarSeleccion and CrearCarpetaNueva of
// comandos_archivo.h directly.

#include <cstdint>
#include <string>

class QWidget;

namespace quirvex {

class cContenidoVisor;
class OyenteCambios;

// "&Rename" / "C&hange label" (mnuAnombre, mnuPAcambiarnombre): opens frmRenombrar modally for
// item `itemActual` of the pane (a drive of the My PC list changes its label). False when
// there is no such item or nothing changed. The widget that had the focus gets it back.
bool MostrarRenombrar(QWidget* padre, const cContenidoVisor& visor, std::int64_t itemActual,
                      OyenteCambios* oyente);

// "&Archive" (mnuANarchivo): opens frmRenombrar to create an empty file in `carpeta`. False when
// nothing was created.
bool MostrarArchivoNuevo(QWidget* padre, const std::string& carpeta, OyenteCambios* oyente);

}  // namespace quirvex
