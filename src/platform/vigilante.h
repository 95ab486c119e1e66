#pragma once
// Watches folders and the mount table and reports changes as notification records. The window
// polls the two descriptors (readable / priority data) and calls Leer when either is ready.
// Watches are counted: a folder shown by two panes is watched once and released when the last
// one leaves it.

#include <memory>
#include <string>
#include <vector>

#include "folder/notificaciones.h"

namespace quirvex {

class Vigilante {
public:
    virtual ~Vigilante() = default;
    // Descriptor that becomes readable when folder changes are waiting; -1 when watching is not
    // available on this machine.
    virtual int Descriptor() const = 0;
    // Descriptor that signals priority data when the mount table changes; -1 when unavailable.
    virtual int DescriptorMontajes() const = 0;
    // False when the folder cannot be watched (gone, or the system's watch limit is reached):
    // the program's own broadcasts still keep panes up to date.
    virtual bool Vigilar(const std::string& carpeta) = 0;
    virtual void Dejar(const std::string& carpeta) = 0;
    // Takes what is waiting, without blocking.
    virtual std::vector<RegistroNotificacion> Leer() = 0;
    virtual std::vector<RegistroNotificacion> LeerMontajes() = 0;
};

std::unique_ptr<Vigilante> CrearVigilante();

}  // namespace quirvex
