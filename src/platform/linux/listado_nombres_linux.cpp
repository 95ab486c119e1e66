// Names-only listing on Linux: readdir and the entry type the directory records. Only entries
// whose type the file system does not record, and symbolic links (to learn whether they lead to
// a folder), cost a query of their own.

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <memory>

#include "platform/archivos_red.h"
#include "platform/listado_nombres.h"

namespace quirvex {
namespace {

struct CerrarDir {
    void operator()(DIR* d) const { closedir(d); }
};

ClaseEntrada ClaseDe(int dirfd, const dirent& d) {
    unsigned char tipo = d.d_type;
    struct stat st {};
    if (tipo == DT_UNKNOWN) {
        if (fstatat(dirfd, d.d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) return ClaseEntrada::Archivo;
        if (S_ISDIR(st.st_mode)) return ClaseEntrada::Carpeta;
        if (!S_ISLNK(st.st_mode)) return ClaseEntrada::Archivo;
        tipo = DT_LNK;
    }
    if (tipo == DT_DIR) return ClaseEntrada::Carpeta;
    if (tipo != DT_LNK) return ClaseEntrada::Archivo;
    if (fstatat(dirfd, d.d_name, &st, 0) == 0 && S_ISDIR(st.st_mode))
        return ClaseEntrada::EnlaceACarpeta;
    return ClaseEntrada::Archivo;
}

class ListadoNombresLinux final : public ListadoNombres {
public:
    bool Listar(const std::string& carpeta,
                const std::function<bool(std::string_view, ClaseEntrada)>& porEntrada) override {
        std::unique_ptr<DIR, CerrarDir> dir(opendir(carpeta.c_str()));
        if (!dir) return false;
        const int fd = dirfd(dir.get());
        while (const dirent* d = readdir(dir.get())) {
            const char* n = d->d_name;
            if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))) continue;
            if (!porEntrada(std::string_view(n), ClaseDe(fd, *d))) break;
        }
        return true;
    }
};

ListadoNombres* g_reemplazo = nullptr;

}  // namespace

ListadoNombres& Nombres() {
    static ListadoNombresLinux local;
    static const auto real = ListadoNombresConRed(local);
    return g_reemplazo ? *g_reemplazo : *real;
}

void SetListadoNombres(ListadoNombres* listado) { g_reemplazo = listado; }

}  // namespace quirvex
