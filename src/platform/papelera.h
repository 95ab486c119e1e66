#pragma once
// Papelera: the desktop's trash. An item goes to the trash of its own volume — the home trash
// ($XDG_DATA_HOME/Trash) for the volume that holds it, else $topdir/.Trash/$uid when the volume
// offers a shared, sticky .Trash, else $topdir/.Trash-$uid — with a .trashinfo record that other
// file managers read (original path, URL-encoded, and deletion date). The record is written
// before the item moves, so a crash between the two leaves a record without an item, never an
// item nobody knows the origin of.
//
// One process-wide instance, the real one unless a test installs its own; interface thread only.
// Paths are bytes. Error codes are the system's numbers (0 = success), described by
// BajoNivel().DescripcionError. A share path ("//host/share/...") has no trash.

#include <string>

namespace quirvex {

// Where one trashed item went.
struct ElementoPapelera {
    std::string original;  // the path it had
    std::string archivo;   // TRASH/files/NAME
    std::string info;      // TRASH/info/NAME.trashinfo
};

class Papelera {
public:
    virtual ~Papelera() = default;
    // Whether `ruta` can go to a trash: its volume has one, or one can be made there now.
    virtual bool Disponible(const std::string& ruta) = 0;
    // Moves a file, folder or link (never what a link points to) to its volume's trash, under a
    // name no other item there has. Nothing is replaced; on failure the record is removed again.
    virtual int Mover(const std::string& ruta, ElementoPapelera& hecho) = 0;
    // Puts a trashed item back where it was, never over anything that took its place meanwhile,
    // and removes its record.
    virtual int Restaurar(const ElementoPapelera& elemento) = 0;
};

Papelera& PapeleraSistema();
// Replaces the process-wide instance; nullptr restores the real one. For tests.
void SetPapelera(Papelera* papelera);

// The record's text for an item at `rutaRegistro` (absolute, or relative to the volume's top
// for a volume trash) deleted at the given local time "YYYY-MM-DDThh:mm:ss".
std::string TextoTrashinfo(const std::string& rutaRegistro, const std::string& fecha);
// The path as the record stores it: bytes outside the URI's unreserved set and "/" as %XX.
std::string CodificarRutaTrash(const std::string& ruta);

}  // namespace quirvex
