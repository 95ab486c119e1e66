#pragma once
// The file commands that act on a pane's folder: delete (through the queue), new folder, and
// the Apply of the rename dialog (rename, change label, new file). Each reports what it changed
// to the frame's change broadcast so every pane showing the folder follows.
//
// Owner: none; the pane's commands call these with the pane's folder (ending in '/') and its
// selection as full paths, and frmRenombrar keeps one cRenombrar per dialog. Interface thread
// only: messages are asked through DialogosSistema(), so tests answer them.
//
// None of these ever replaces an existing entry: a new file or a rename onto a taken name is
// refused with the failure message, and the new folder takes the first free "Carpeta (n)".

#include <cstdint>
#include <string>
#include <vector>

#include "operations/tareas.h"

namespace quirvex {

class cContenidoVisor;

// The base name of a new folder, the same in every language.
inline constexpr const char* NOMBRE_CARPETA_NUEVA = "Carpeta";

// -1 empty; -2 the first character is a space or a dot; otherwise the 1-based character
// position of the first of * / \ | : < > ? " found (testing them in that order), 0 when none.
int ValidarNombre(const std::string& nombre);

// A drive as the drive list shows it, "LABEL (MOUNTPOINT)": the label (trimmed) and the mount
// point. The drive table is asked first, so a mount point holding "(" is still found; other
// texts are split at their last "(".
struct PartesEtiqueta {
    std::string etiqueta;
    std::string unidad;
};
PartesEtiqueta SepararEtiquetaUnidad(const std::string& textoMostrado);

// The delete command: asks General/10 and queues a delete of `rutas` (permanent). Nothing
// happens at My PC or with nothing selected. The operation's index, or -1 when nothing was
// queued.
std::int64_t EliminarSeleccion(const std::string& carpeta, const std::vector<std::string>& rutas,
                               cTareas& tareas = mTareas());

// The new-folder command: creates "Carpeta", "Carpeta (1)", ... in `carpeta` and reports it.
// The new folder's path, or empty after showing General/18 with the reason.
std::string CrearCarpetaNueva(const std::string& carpeta, OyenteCambios* oyente);

enum class ModoRenombrar : std::uint8_t { Renombrar = 0, ArchivoNuevo = 2 };

// The state and the Apply of frmRenombrar.
class cRenombrar {
public:
    ModoRenombrar modo = ModoRenombrar::Renombrar;
    std::string tipo;       // "A", "C" or "U"
    std::string unidad;     // mount point, label mode
    std::string carpeta;    // the pane's folder ending in '/' (new file and rename)
    std::string anterior;   // exact old name, or the old label
    const cContenidoVisor* visor = nullptr;  // the active pane, asked for the renamed kind
    OyenteCambios* oyente = nullptr;

    // Checks the name and carries the change out. True when the dialog should close: after a
    // success, for an unchanged name, or when the pane no longer lists the renamed item.
    bool Aplicar(const std::string& nuevo);

private:
    bool CrearArchivo(const std::string& nuevo);
    bool CambiarEtiqueta(const std::string& nuevo);
    bool Renombrar(const std::string& nuevo);
};

}  // namespace quirvex
