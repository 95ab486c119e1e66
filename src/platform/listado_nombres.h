#pragma once
// Names only: the cheapest listing of a folder, for recursive work that needs nothing but the
// name and the kind of each entry (the file search). It asks the file system for nothing beyond
// what the directory itself records, so a walk over a large tree costs one read per folder, not
// one query per entry. The process-wide instance is the real one; tests put their own in place
// with SetListadoNombres.

#include <functional>
#include <string>
#include <string_view>

namespace quirvex {

enum class ClaseEntrada {
    Archivo,         // anything that is not a folder: files, devices, links to files, dangling links
    Carpeta,         // a real folder
    EnlaceACarpeta,  // a symbolic link that leads to a folder: never entered by recursive work
};

class ListadoNombres {
public:
    virtual ~ListadoNombres() = default;
    // Calls porEntrada for each entry in the order the file system returns them, "." and ".."
    // left out, until it returns false. `carpeta` ends with '/'. False when the folder cannot
    // be opened (missing, no access): nothing is called then.
    virtual bool Listar(const std::string& carpeta,
                        const std::function<bool(std::string_view nombre, ClaseEntrada clase)>&
                            porEntrada) = 0;
};

ListadoNombres& Nombres();
// Replaces the process-wide instance; nullptr restores the real one.
void SetListadoNombres(ListadoNombres* listado);

}  // namespace quirvex
