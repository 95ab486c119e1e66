#include "platform/arbol_indice.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unordered_map>

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
    std::size_t Cuantas() const override { return porRuta_.size(); }

    bool Vigilar(const std::string& carpeta) override {
        if (fd_ < 0 || lleno_) return false;
        if (porRuta_.count(carpeta)) return true;
        if (porRuta_.size() >= max_) {
            lleno_ = true;
            return false;
        }
        const int wd = inotify_add_watch(
            fd_, carpeta.c_str(),
            IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ONLYDIR | IN_DONT_FOLLOW |
                IN_EXCL_UNLINK);
        if (wd < 0) {
            if (errno == ENOSPC) lleno_ = true;
            return false;
        }
        // The same folder reached under a new name (it was renamed) keeps its watch number.
        auto viejo = porWd_.find(wd);
        if (viejo != porWd_.end()) porRuta_.erase(viejo->second);
        porWd_[wd] = carpeta;
        porRuta_[carpeta] = wd;
        return true;
    }

    void Dejar(const std::string& carpeta) override {
        auto it = porRuta_.find(carpeta);
        if (it == porRuta_.end()) return;
        inotify_rm_watch(fd_, it->second);
        porWd_.erase(it->second);
        porRuta_.erase(it);
        lleno_ = false;
    }

    std::vector<std::string> Leer(bool& desbordado) override {
        std::vector<std::string> cambiadas;
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
                auto it = porWd_.find(ev.wd);
                if (it == porWd_.end()) continue;
                if (ev.mask & IN_IGNORED) {
                    porRuta_.erase(it->second);
                    porWd_.erase(it);
                    lleno_ = false;
                    continue;
                }
                cambiadas.push_back(it->second);
            }
        }
        return cambiadas;
    }

private:
    int fd_;
    std::size_t max_;
    bool lleno_ = false;
    std::unordered_map<int, std::string> porWd_;
    std::unordered_map<std::string, int> porRuta_;
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
