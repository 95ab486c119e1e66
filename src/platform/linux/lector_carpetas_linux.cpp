// The folder tally's reads on Linux: openat with O_NOFOLLOW | O_DIRECTORY through the parent's
// descriptor, readdir, and one fstatat per regular file only. Folders are told apart by the
// type readdir gives, so the tally stats no more than `du` does.

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/archivos_red.h"
#include "platform/lector_carpetas.h"

namespace quirvex {
namespace {

constexpr int kEntradasEntreMiradas = 256;

DIR* ComoDir(ManejadorCarpeta h) { return reinterpret_cast<DIR*>(h); }

bool EsPuntoOPuntoPunto(const char* n) {
    return n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0));
}

class LectorCarpetasLinux final : public LectorCarpetas {
public:
    ManejadorCarpeta Abrir(ManejadorCarpeta padre, const std::string& nombre,
                           FalloCarpeta& fallo) override {
        const bool raiz = padre == CARPETA_INVALIDA;
        const int fd = openat(raiz ? AT_FDCWD : dirfd(ComoDir(padre)), nombre.c_str(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY | (raiz ? 0 : O_NOFOLLOW));
        if (fd < 0) {
            // O_NOFOLLOW refuses a link with ELOOP; O_DIRECTORY refuses anything else with ENOTDIR.
            fallo = errno == ENOENT                      ? FalloCarpeta::NoExiste
                    : errno == ELOOP || errno == ENOTDIR ? FalloCarpeta::NoEsCarpeta
                                                         : FalloCarpeta::Otro;
            return CARPETA_INVALIDA;
        }
        DIR* d = fdopendir(fd);
        if (!d) {
            close(fd);
            fallo = FalloCarpeta::Otro;
            return CARPETA_INVALIDA;
        }
        fallo = FalloCarpeta::Ninguno;
        return reinterpret_cast<ManejadorCarpeta>(d);
    }

    bool Leer(ManejadorCarpeta carpeta, ContenidoCarpeta& c,
              const std::atomic<bool>* cancelar) override {
        c.subcarpetas.clear();
        c.archivos = 0;
        c.bytes = 0;
        DIR* d = ComoDir(carpeta);
        const int fd = dirfd(d);
        int cuenta = 0;
        for (;;) {
            if (++cuenta == kEntradasEntreMiradas) {
                cuenta = 0;
                if (cancelar && cancelar->load(std::memory_order_relaxed)) return false;
            }
            errno = 0;
            const dirent* e = readdir(d);
            if (!e) return errno == 0;
            if (EsPuntoOPuntoPunto(e->d_name)) continue;
            unsigned char tipo = e->d_type;
            struct stat st {};
            if (tipo == DT_REG || tipo == DT_UNKNOWN) {
                if (fstatat(fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;  // gone
                if (S_ISDIR(st.st_mode)) tipo = DT_DIR;
                else if (S_ISREG(st.st_mode)) tipo = DT_REG;
                else tipo = DT_LNK;  // anything else counts, with no size of its own
            }
            if (tipo == DT_DIR) {
                c.subcarpetas.emplace_back(e->d_name);
                continue;
            }
            ++c.archivos;
            if (tipo == DT_REG) c.bytes += static_cast<std::int64_t>(st.st_size);
        }
    }

    void Cerrar(ManejadorCarpeta carpeta) override {
        if (carpeta != CARPETA_INVALIDA) closedir(ComoDir(carpeta));
    }
};

LectorCarpetas* g_reemplazo = nullptr;

}  // namespace

LectorCarpetas& LectorSistema() {
    static LectorCarpetasLinux local;
    static const auto real = LectorCarpetasConRed(local);
    return g_reemplazo ? *g_reemplazo : *real;
}

void SetLectorCarpetas(LectorCarpetas* lector) { g_reemplazo = lector; }

}  // namespace quirvex
