#pragma once
// DatosVolumen: what the properties window's drive page shows of a mounted volume — its
// label, file-system type and UUID, and its total and free space. On Linux the mount table
// names the device and the type, udev's /dev/disk/by-label and /dev/disk/by-uuid links name
// its label and UUID; where udev made no links (a container, a loop device, a system without
// udev) libblkid reads them from the device itself; statvfs gives the space. One process-wide instance, replaceable in tests;
// interface thread only.

#include <cstdint>
#include <string>

namespace quirvex {

struct InfoVolumen {
    bool montado = false;         // false: nothing is mounted there; nothing else is known
    std::string etiqueta;         // empty when the volume has none
    std::string sistema;          // file-system type, e.g. "ext4"
    std::string uuid;             // empty when unknown
    std::int64_t total = -1;      // bytes; -1 unknown
    std::int64_t libre = -1;      // every free byte, reserved blocks included; -1 unknown
};

class DatosVolumen {
public:
    virtual ~DatosVolumen() = default;
    // The volume mounted at `puntoMontaje` (with or without the final '/').
    virtual InfoVolumen Leer(const std::string& puntoMontaje) = 0;
};

// What the file system's own superblock in `dispositivo` (a block device or an image file)
// says: its label, type and UUID, filled into `v` where found. False when it cannot be opened
// or holds no file system libblkid knows.
bool SondearVolumen(const std::string& dispositivo, InfoVolumen& v);

DatosVolumen& DatosVolumenSistema();
// Replaces the process-wide instance; nullptr restores the real one. For tests.
void SetDatosVolumen(DatosVolumen* datos);

}  // namespace quirvex
