#include "platform/arbol_indice.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

namespace quirvex {
namespace {

std::int64_t Nanos(const timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}


class ArbolLinux final : public ArbolIndice {
public:
    bool Listar(const std::string& carpeta, EstadoCarpeta& estado,
                std::vector<NombreListado>& nombres) override {
        nombres.clear();
        const int fd = open(carpeta.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) return false;
        struct stat st {};
        if (fstat(fd, &st) != 0) {
            close(fd);
            return false;
        }
        estado.dispositivo = st.st_dev;
        estado.modificacion = Nanos(st.st_mtim);
        DIR* d = fdopendir(fd);
        if (!d) {
            close(fd);
            return false;
        }
        while (dirent* e = readdir(d)) {
            const char* n = e->d_name;
            if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))) continue;
            bool esCarpeta = e->d_type == DT_DIR;
            if (e->d_type == DT_UNKNOWN) {
                struct stat se {};
                esCarpeta = fstatat(dirfd(d), n, &se, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(se.st_mode);
            }
            nombres.push_back(NombreListado{n, esCarpeta});
        }
        closedir(d);
        return true;
    }

    std::optional<EstadoCarpeta> Consultar(const std::string& carpeta) override {
        struct stat st {};
        if (lstat(carpeta.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::nullopt;
        return EstadoCarpeta{static_cast<std::uint64_t>(st.st_dev), Nanos(st.st_mtim)};
    }

    std::int64_t Tamano(const std::string& ruta) override {
        struct stat st {};
        if (lstat(ruta.c_str(), &st) != 0) return -1;
        return S_ISDIR(st.st_mode) ? 0 : static_cast<std::int64_t>(st.st_size);
    }
};

class VigilanteLinux final : public VigilanteCarpetas {
public:
    explicit VigilanteLinux(std::size_t max)
        : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)), max_(max) {}
    ~VigilanteLinux() override {
        if (fd_ >= 0) close(fd_);
    }
    int Descriptor() const override { return fd_; }
    bool Lleno() const override { return lleno_; }
    std::size_t Cuantas() const override { return vivas_; }

    int Vigilar(const std::string& carpeta, std::uint32_t etiqueta, std::uint32_t& anterior) override {
        anterior = kSinEtiqueta;
        if (fd_ < 0 || lleno_) return -1;
        if (vivas_ >= max_) {
            lleno_ = true;
            return -1;
        }
        const int wd = inotify_add_watch(
            fd_, carpeta.c_str(),
            IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ONLYDIR | IN_DONT_FOLLOW |
                IN_EXCL_UNLINK);
        if (wd < 0) {
            if (errno == ENOSPC) lleno_ = true;
            return -1;
        }
        Poner(wd, etiqueta, anterior);
        return wd;
    }

    void Dejar(int vigilancia) override {
        if (Quitar(vigilancia) == kSinEtiqueta) return;
        inotify_rm_watch(fd_, vigilancia);
        lleno_ = false;
    }

    std::vector<std::uint32_t> Leer(bool& desbordado, std::vector<std::uint32_t>& terminadas) override {
        std::vector<std::uint32_t> cambiadas;
        desbordado = false;
        alignas(inotify_event) char buf[64 * 1024];
        for (;;) {
            const ssize_t n = read(fd_, buf, sizeof buf);
            if (n <= 0) break;
            for (ssize_t i = 0; i < n;) {
                inotify_event ev;
                std::memcpy(&ev, buf + i, sizeof ev);
                i += static_cast<ssize_t>(sizeof ev + ev.len);
                if (ev.mask & IN_Q_OVERFLOW) desbordado = true;
                if (ev.mask & IN_IGNORED) {
                    const std::uint32_t e = Quitar(ev.wd);
                    if (e != kSinEtiqueta) {
                        terminadas.push_back(e);
                        lleno_ = false;
                    }
                    continue;
                }
                const auto* v = Buscar(ev.wd);
                if (v && v->second != kSinEtiqueta) cambiadas.push_back(v->second);
            }
        }
        return cambiadas;
    }

private:
    using Par = std::pair<int, std::uint32_t>;

    const Par* Buscar(int wd) const {
        auto it = std::lower_bound(tabla_.begin(), tabla_.end(), wd, [](const Par& p, int w) { return p.first < w; });
        return it != tabla_.end() && it->first == wd ? &*it : nullptr;
    }

    void Poner(int wd, std::uint32_t etiqueta, std::uint32_t& anterior) {
        // The system hands out rising numbers: nearly always an append.
        auto it = tabla_.empty() || tabla_.back().first < wd
                      ? tabla_.end()
                      : std::lower_bound(tabla_.begin(), tabla_.end(), wd, [](const Par& p, int w) { return p.first < w; });
        if (it != tabla_.end() && it->first == wd) {
            anterior = it->second;
            if (anterior == kSinEtiqueta) {
                ++vivas_;
                --muertas_;
            }
            it->second = etiqueta;
            return;
        }
        tabla_.insert(it, Par{wd, etiqueta});
        ++vivas_;
    }

    // The tag the watch had (kSinEtiqueta when none). Dead pairs are swept out in one go once
    // they outnumber the live ones.
    std::uint32_t Quitar(int wd) {
        auto* p = const_cast<Par*>(Buscar(wd));
        if (!p || p->second == kSinEtiqueta) return kSinEtiqueta;
        const std::uint32_t e = p->second;
        p->second = kSinEtiqueta;
        --vivas_;
        ++muertas_;
        if (muertas_ > 64 && muertas_ > vivas_) {
            std::erase_if(tabla_, [](const Par& x) { return x.second == kSinEtiqueta; });
            muertas_ = 0;
        }
        return e;
    }

    int fd_;
    std::size_t max_;
    bool lleno_ = false;
    std::vector<Par> tabla_;  // by watch number
    std::size_t vivas_ = 0, muertas_ = 0;
};

}  // namespace

ArbolIndice& ArbolSistema() {
    static ArbolLinux arbol;
    return arbol;
}

std::unique_ptr<VigilanteCarpetas> CrearVigilanteCarpetas(std::size_t maxVigilancias) {
    return std::make_unique<VigilanteLinux>(maxVigilancias);
}

std::size_t LimiteVigilancias() {
    std::FILE* f = std::fopen("/proc/sys/fs/inotify/max_user_watches", "r");
    if (!f) return 0;
    unsigned long long v = 0;
    const bool ok = std::fscanf(f, "%llu", &v) == 1;
    std::fclose(f);
    return ok ? static_cast<std::size_t>(v) : 0;
}

}  // namespace quirvex
