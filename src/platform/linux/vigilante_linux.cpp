// Folder watching with inotify; drives coming and going from the mount table.

#include <fcntl.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <array>
#include <map>
#include <set>

#include "platform/unidades.h"
#include "platform/vigilante.h"

namespace quirvex {
namespace {

constexpr std::uint32_t kMascara = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                   IN_CLOSE_WRITE | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

std::string SinBarra(const std::string& r) {
    return r.size() > 1 && r.back() == '/' ? r.substr(0, r.size() - 1) : r;
}

std::set<std::string> PuntosMontaje() {
    std::set<std::string> r;
    for (const auto& v : UnidadesSistema().Listar()) r.insert(v.puntoMontaje);
    return r;
}

class VigilanteLinux final : public Vigilante {
public:
    VigilanteLinux()
        : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)),
          montajes_(open("/proc/self/mounts", O_RDONLY | O_CLOEXEC)),
          puntos_(PuntosMontaje()) {}
    ~VigilanteLinux() override {
        if (fd_ >= 0) close(fd_);
        if (montajes_ >= 0) close(montajes_);
    }

    int Descriptor() const override { return fd_; }
    int DescriptorMontajes() const override { return montajes_; }

    bool Vigilar(const std::string& carpeta) override {
        const std::string c = SinBarra(carpeta);
        auto it = porRuta_.find(c);
        if (it != porRuta_.end()) {
            ++it->second.cuenta;
            return true;
        }
        if (fd_ < 0) return false;
        const int wd = inotify_add_watch(fd_, c.c_str(), kMascara);
        if (wd < 0) return false;
        // The same folder reached by another path shares the watch descriptor.
        porRuta_[c] = Vigilancia{wd, 1};
        porWd_[wd] = c;
        return true;
    }

    void Dejar(const std::string& carpeta) override {
        auto it = porRuta_.find(SinBarra(carpeta));
        if (it == porRuta_.end() || --it->second.cuenta > 0) return;
        const int wd = it->second.wd;
        porRuta_.erase(it);
        for (const auto& [ruta, v] : porRuta_)
            if (v.wd == wd) return;  // still wanted under another name
        inotify_rm_watch(fd_, wd);
        porWd_.erase(wd);
    }

    std::vector<RegistroNotificacion> Leer() override {
        std::vector<RegistroNotificacion> r;
        if (fd_ < 0) return r;
        alignas(inotify_event) std::array<char, 64 * 1024> buf;
        std::map<std::uint32_t, Movido> movidos;
        for (;;) {
            const ssize_t n = read(fd_, buf.data(), buf.size());
            if (n <= 0) break;
            for (ssize_t p = 0; p < n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(buf.data() + p);
                Traducir(*e, movidos, r);
                p += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
            }
        }
        // A move out of every watched folder is a deletion as far as the panes can tell.
        for (const auto& [cookie, m] : movidos)
            r.push_back(Registro(m.carpeta ? EV_BORRAR_CARPETA : EV_BORRAR, m.ruta));
        return r;
    }

    std::vector<RegistroNotificacion> LeerMontajes() override {
        std::vector<RegistroNotificacion> r;
        const auto ahora = PuntosMontaje();
        for (const auto& p : ahora)
            if (!puntos_.count(p)) r.push_back(Registro(EV_UNIDAD_AGREGADA, p));
        for (const auto& p : puntos_)
            if (!ahora.count(p)) r.push_back(Registro(EV_UNIDAD_QUITADA, p));
        puntos_ = ahora;
        return r;
    }

private:
    struct Vigilancia {
        int wd;
        int cuenta;
    };
    struct Movido {
        std::string ruta;
        bool carpeta;
    };

    static RegistroNotificacion Registro(std::uint32_t ev, std::string ruta1, std::string ruta2 = {}) {
        RegistroNotificacion r;
        r.evento = ev;
        r.ruta1 = std::move(ruta1);
        r.ruta2 = std::move(ruta2);
        return r;
    }

    static std::string Carpeta(const std::string& ruta) {
        const auto b = ruta.rfind('/');
        return b == std::string::npos ? std::string() : ruta.substr(0, b);
    }

    void Traducir(const inotify_event& e, std::map<std::uint32_t, Movido>& movidos,
                  std::vector<RegistroNotificacion>& r) {
        if (e.mask & IN_IGNORED) {
            Olvidar(e.wd);
            return;
        }
        auto w = porWd_.find(e.wd);
        if (w == porWd_.end() || e.len == 0) return;  // self events: the parent's watch tells
        const std::string ruta = (w->second == "/" ? "" : w->second) + "/" + e.name;
        const bool dir = e.mask & IN_ISDIR;
        if (e.mask & IN_CREATE) r.push_back(Registro(dir ? EV_CREAR_CARPETA : EV_CREAR, ruta));
        if (e.mask & IN_DELETE) r.push_back(Registro(dir ? EV_BORRAR_CARPETA : EV_BORRAR, ruta));
        // A file written in place (no new entry) is reported as created: the pane that lists
        // it refreshes its size and date.
        if (e.mask & IN_CLOSE_WRITE) r.push_back(Registro(EV_CREAR, ruta));
        if (e.mask & IN_MOVED_FROM) movidos[e.cookie] = Movido{ruta, dir};
        if (e.mask & IN_MOVED_TO) {
            auto m = movidos.find(e.cookie);
            if (m == movidos.end()) {
                r.push_back(Registro(dir ? EV_CREAR_CARPETA : EV_CREAR, ruta));
                return;
            }
            if (Carpeta(m->second.ruta) == Carpeta(ruta)) {
                r.push_back(Registro(dir ? EV_RENOMBRAR_CARPETA : EV_RENOMBRAR_ITEM, m->second.ruta, ruta));
            } else {  // moved between folders: gone here, new there
                r.push_back(Registro(dir ? EV_BORRAR_CARPETA : EV_BORRAR, m->second.ruta));
                r.push_back(Registro(dir ? EV_CREAR_CARPETA : EV_CREAR, ruta));
            }
            movidos.erase(m);
        }
    }

    void Olvidar(int wd) {
        auto w = porWd_.find(wd);
        if (w == porWd_.end()) return;
        for (auto it = porRuta_.begin(); it != porRuta_.end();)
            it = it->second.wd == wd ? porRuta_.erase(it) : std::next(it);
        porWd_.erase(w);
    }

    int fd_;
    int montajes_;
    std::set<std::string> puntos_;
    std::map<std::string, Vigilancia> porRuta_;
    std::map<int, std::string> porWd_;
};

}  // namespace

std::unique_ptr<Vigilante> CrearVigilante() { return std::make_unique<VigilanteLinux>(); }

}  // namespace quirvex
