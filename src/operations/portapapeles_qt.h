#pragma once
// mClipboard: file lists on the system clipboard. Writing puts the paths as text/uri-list and
// x-special/gnome-copied-files ("copy", or "cut" for the cut keys); reading takes either of
// those or plain text made only of file:// URIs. Path bytes go through unchanged (lista_uris.h).
//
// Called by the pane's commands with the selection as full paths (copy) and before queuing a
// paste or move; interface thread only, with a QGuiApplication alive. Failures are told to the
// user through DialogosSistema() with the fixed text below.

#include <string>
#include <vector>

class QMimeData;

namespace quirvex {

inline constexpr const char* TEXTO_ERROR_PORTAPAPELES = "Error al intentar abrir el portapapeles.";

struct ListaPortapapeles {
    std::vector<std::string> rutas;
    // The list came marked "cut" (the frame tags its list "Mover").
    bool cortar = false;
};

// Puts the paths on the clipboard. A list holding a drive (a mount point or "/") shows
// General/43 and writes nothing. False when nothing was written.
bool PonerEnPortapapeles(const std::vector<std::string>& rutas, bool cortar = false);
// The clipboard's file list; empty when it holds none (or cannot be read, after the message).
ListaPortapapeles LeerPortapapeles();

// The same formats for drag and drop. The caller owns the result.
QMimeData* CrearDatosArchivos(const std::vector<std::string>& rutas, bool cortar = false);
// The file list a QMimeData carries; empty when it carries none.
ListaPortapapeles LeerDatosArchivos(const QMimeData* datos);

}  // namespace quirvex
