#pragma once
// Texts a pane shows about its items: sizes, attribute letters, type names, the status strip
// line and the path segments of the location. Qt-free so they can be tested alone; the window
// passes in what depends on the desktop (the locale's decimal separator).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "folder/item_carpeta.h"

namespace quirvex {

class cContenidoVisor;

// A size with its unit ("1,5 KB", "100 MB", "500 bytes"): divided by 1024 while it is 1024 or
// more, written with the given decimal separator and cut to four characters; a trailing
// separator, ",0" or ",00" is dropped. unidad is the unit the value starts in (0 bytes).
std::string FormatearTamano(std::int64_t valor, int unidad, std::string_view separador);

// Eight letters or "_": D A R H S V a X.
std::string TextoAtributos(std::uint32_t atributos);

// The details view's type column: drives their type name, folders "Carpeta", files "Archivo "
// followed by the part after the last dot.
std::string TextoTipoItem(const ItemCarpeta& item);
// Name of a drive type (UNIDAD_* of platform/unidades.h; 2 floppy).
std::string TextoTipoUnidad(int tipo);

// The status strip line for item `item` of the pane's content, with the selection summary.
// A file's size is read again from disk; when it changed, the item and the pane's total follow.
// A removable drive is described without touching the medium. -1 gives an empty line.
std::string TextoBarraEstado(cContenidoVisor& contenido, int item, int nSel,
                             std::int64_t totalSel, std::string_view separador);
// The line shown after a load: the location's own status text for the drive and network
// lists, else the number of entries and, when there are files, their total size.
std::string TextoEstadoCarga(const cContenidoVisor& contenido, std::string_view separador);

// The path buttons of a location: the text each button keeps (its tag). Segment 1 is the root
// (an empty tag, shown as "/"); the following ones are the folder names.
std::vector<std::string> SegmentosRuta(std::string_view ruta);
// The folder that button k (k >= 1) stands for: the tags 1..k, each followed by the separator.
std::string RutaDeSegmentos(const std::vector<std::string>& tags, int k);
// The caption of a segment before fitting: the root shows the separator.
std::string TextoSegmento(const std::string& tag, int k);

// Extension of a name in upper case, between "*" as the settings lists write them ("*JPG*");
// empty when the name has no extension.
std::string ExtensionLista(std::string_view nombre);
// A shortcut (a link, or a .lnk/.pif/.url file) gets the arrow when "Direct access row" is 1.
bool LlevaFlechaAcceso(const ItemCarpeta& item, int directAccessRow);

// What preview mode shows for a file.
enum class ImagenItem { Icono, VistaPrevia, Desconocida };
// Preview of a picture unless the limits say it is too large; an extension listed for previews
// that the loader does not know is reported as Desconocida (and still previewed).
ImagenItem ElegirImagen(const ItemCarpeta& item);

}  // namespace quirvex
