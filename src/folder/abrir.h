#pragma once
// Opening pane entries: folders, drives and network entries navigate; files go to the program
// the desktop associates with their type, or to one the user picks.

#include <cstdint>
#include <string>
#include <vector>

#include "folder/contenido_visor.h"
#include "platform/asociaciones.h"

namespace quirvex {

enum class AccionAbrir { Nada, Navegar, NuevoTab, NuevoVisor, AbrirArchivo };

struct Apertura {
    AccionAbrir accion = AccionAbrir::Nada;
    std::string ruta;
};

// What a double click (or Enter) on entry i means. Shift opens a location in a new tab, Ctrl
// in a new pane; files are opened whatever the keys.
Apertura ICO_DblClick(const cContenidoVisor& c, std::int64_t i, bool shift, bool ctrl);

enum class ResultadoAbrir { Abierto, SinPrograma, Fallo };

// Opens a file with its default program. SinPrograma tells the caller to offer the chooser.
ResultadoAbrir AbrirConShell(const std::string& ruta);

// The "Open with" programs for a file: the recommended ones first, then the default one,
// each once.
std::vector<Aplicacion> LlenarAbrirCon(const std::string& ruta);

// Runs a chosen program on entry i when it is a file.
bool AbrirArchivoCon(const cContenidoVisor& c, std::int64_t i, const std::string& idAplicacion);

// The paths of the selected entries that are files, for "Open" with several selected.
std::vector<std::string> ArchivosAbrir(const cContenidoVisor& c,
                                       const std::vector<std::int64_t>& seleccion);

}  // namespace quirvex
