#pragma once
// ArchivosNuevos: the two file calls of the create and rename commands that must never touch
// an existing entry — create a file only when its name is free, and rename only onto a free
// name. Neither may destroy what the user already has, even when another program creates the
// same name between the check and the call. One process-wide instance, the real one unless a
// test installs its own; interface thread only.
//
// Error codes are the system's numbers (0 = success), described by BajoNivel().DescripcionError
// and tested with BajoNivel().Es(codigo, ErrorComun::YaExiste).

#include <string>

namespace quirvex {

class ArchivosNuevos {
public:
    virtual ~ArchivosNuevos() = default;
    // Creates an empty regular file and closes it; fails with "already exists" when anything
    // (a file, a folder, a dangling link) has that name.
    virtual int CrearArchivoExclusivo(const std::string& ruta) = 0;
    // Renames a file, folder or link; fails with "already exists" when the new name is taken.
    virtual int RenombrarSinReemplazar(const std::string& origen, const std::string& destino) = 0;
};

ArchivosNuevos& ArchivosNuevosSistema();
// Replaces the process-wide instance; nullptr restores the real one. For tests.
void SetArchivosNuevos(ArchivosNuevos* archivos);

}  // namespace quirvex
