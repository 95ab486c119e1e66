#pragma once
// The properties window's texts and its label change, kept apart from the window so they are
// tested alone: the titles of the three pages, the drive page's volume lines and usage
// figures, and the Apply of "Set new label" with every message.
//
// Interface thread only (messages go through DialogosSistema(), the drive table is the
// program-wide one).

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/datos_volumen.h"

namespace quirvex {

class OyenteCambios;

// The fixed suffix of a file's title, the same in every language.
inline constexpr const char* SUFIJO_PROPIEDADES_ARCHIVO = " (Propiedades del Archivo)";

std::string TituloArchivo(const std::string& nombre);
std::string TituloCarpeta(const std::string& nombre);

// What the drive page shows of one drive. Every text that could not be read is "-".
struct PaginaUnidad {
    std::string titulo;       // the drive's display text in the drive table
    std::string etiqueta;     // the label as loaded (empty: none), the label box's tag
    std::string lineaEtiqueta;  // the label, or "(None)"
    std::string lineaSistema;   // "FileSystem: " and the type
    std::string lineaSerie;     // "Serial Number: " and the UUID
    std::string total, libre, usado;  // "Total space::" size, "Free space:" size, "Used space:" NN%
    double fraccionUsada = 0; // 0..1, the share of the bar to fill
    bool legible = false;     // the volume data could be read
    bool renombrable = false; // only a fixed drive can be relabelled
};

// Fills the drive page of the drive whose mount point is `raiz`, from the drive table and the
// volume's data.
PaginaUnidad CargarPaginaUnidad(const std::string& raiz, std::string_view separador);

// "Set new label": checks `nuevo` (with the label messages) and returns false after the message
// when it is refused. Otherwise asks the disk service to change the label of the drive at `raiz`
// and returns true at once; when the service answers (on the interface thread, maybe before
// this returns), finds the drive in the drive table, gives it its new display text, broadcasts
// the rename of its entry in the drive list and calls `alTerminar(true)`; or shows the message
// that says why, with the service's reason below it, and calls `alTerminar(false)` (nothing
// changed then). The table and the broadcast are done even when the asker is gone by then, so
// `oyente` must outlive the request (the frame does).
bool CambiarEtiquetaUnidad(const std::string& raiz, const std::string& nuevo, OyenteCambios* oyente,
                           std::function<void(bool)> alTerminar);

// Permission bits of a mode as `ls -l` writes them ("-rwxr-s--T", the type letter first) and in
// octal with the special bits ("2755").
std::string TextoPermisos(std::uint32_t modo);
std::string OctalPermisos(std::uint32_t modo);
// An owner or group: "name (number)", or the number alone when it has no name.
std::string TextoCuenta(const std::string& nombre, std::uint32_t id);

}  // namespace quirvex
