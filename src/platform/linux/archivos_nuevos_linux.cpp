// Exclusive create and non-replacing rename on Linux.

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "platform/archivos_red.h"
#include "platform/archivos_nuevos.h"

namespace quirvex {
namespace {

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

int RenombrarAtomico(const char* origen, const char* destino) {
#ifdef SYS_renameat2
    if (syscall(SYS_renameat2, AT_FDCWD, origen, AT_FDCWD, destino, RENAME_NOREPLACE) == 0) return 0;
    return errno;
#else
    (void)origen;
    (void)destino;
    return ENOSYS;
#endif
}

// For file systems without renameat2 flags (some network and FUSE ones). A file or link gets a
// second name first and loses the old one after: link() itself refuses a taken name, so nothing
// is replaced. A folder cannot be linked; it is renamed after a check, which leaves only the
// short window between the two calls.
int RenombrarSinFlags(const char* origen, const char* destino) {
    struct stat st {};
    if (lstat(origen, &st) != 0) return errno;
    if (!S_ISDIR(st.st_mode)) {
        if (link(origen, destino) == 0) {
            if (unlink(origen) == 0) return 0;
            const int error = errno;
            unlink(destino);
            return error;
        }
        if (errno == EEXIST) return EEXIST;
        // Link-less file systems (FAT, some FUSE): fall through to the checked rename.
    }
    struct stat otro {};
    if (lstat(destino, &otro) == 0) return EEXIST;
    if (errno != ENOENT) return errno;
    return rename(origen, destino) == 0 ? 0 : errno;
}

class ArchivosNuevosLinux final : public ArchivosNuevos {
public:
    int CrearArchivoExclusivo(const std::string& ruta) override {
        const int fd = open(ruta.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC |
                                              O_NOCTTY, 0666);
        if (fd < 0) return errno;
        return close(fd) == 0 ? 0 : errno;
    }

    int RenombrarSinReemplazar(const std::string& origen, const std::string& destino) override {
        const int error = RenombrarAtomico(origen.c_str(), destino.c_str());
        if (error == EINVAL || error == ENOSYS || error == EOPNOTSUPP)
            return RenombrarSinFlags(origen.c_str(), destino.c_str());
        return error;
    }
};

ArchivosNuevos* g_reemplazo = nullptr;

}  // namespace

ArchivosNuevos& ArchivosNuevosSistema() {
    static ArchivosNuevosLinux local;
    static const auto real = ArchivosNuevosConRed(local);
    return g_reemplazo ? *g_reemplazo : *real;
}

void SetArchivosNuevos(ArchivosNuevos* archivos) { g_reemplazo = archivos; }

}  // namespace quirvex
