// Folder watching with inotify; drives coming and going from the mount table.

#include <fcntl.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <array>
#include <map>
#include <set>

#include "platform/archivos_red.h"
#include "platform/unidades.h"
#include "platform/vigilante.h"

namespace quirvex {
namespace {

// IN_MODIFY and IN_ATTRIB: a file still being written, or whose permissions or times changed,
// shows the change while its folder is on screen, not only once the writer closes it.
constexpr std::uint32_t kMascara = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_CLOSE_WRITE |
                                   IN_MODIFY | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

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
        // inotify gives one watch per folder (device and inode): a folder reached through a link
        // under another name gets the same descriptor, which then reports under every name.
        const int wd = inotify_add_watch(fd_, c.c_str(), kMascara);
        if (wd < 0) return false;
        porRuta_[c] = Vigilancia{wd, 1};
        porWd_[wd].insert(c);
        return true;
    }

    void Dejar(const std::string& carpeta) override {
        auto it = porRuta_.find(SinBarra(carpeta));
        if (it == porRuta_.end() || --it->second.cuenta > 0) return;
        const int wd = it->second.wd;
        auto nombres = porWd_.find(wd);
        if (nombres != porWd_.end()) {
            nombres->second.erase(it->first);
            if (!nombres->second.empty()) {
                porRuta_.erase(it);
                return;  // still wanted under another name
            }
            porWd_.erase(nombres);
        }
        porRuta_.erase(it);
        inotify_rm_watch(fd_, wd);
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
            for (const auto& ruta : m.rutas)
                r.push_back(Registro(m.carpeta ? EV_BORRAR_CARPETA : EV_BORRAR, ruta));
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
        int wd;
        std::string nombre;
        std::vector<std::string> rutas;  // the entry under every name of its folder
        bool carpeta;
    };

    static RegistroNotificacion Registro(std::uint32_t ev, std::string ruta1, std::string ruta2 = {}) {
        RegistroNotificacion r;
        r.evento = ev;
        r.ruta1 = std::move(ruta1);
        r.ruta2 = std::move(ruta2);
        return r;
    }

    static std::string En(const std::string& carpeta, const std::string& nombre) {
        return (carpeta == "/" ? "" : carpeta) + "/" + nombre;
    }

    // The entry's path under every name its folder is watched by.
    std::vector<std::string> Rutas(int wd, const std::string& nombre) const {
        std::vector<std::string> r;
        if (auto w = porWd_.find(wd); w != porWd_.end())
            for (const auto& carpeta : w->second) r.push_back(En(carpeta, nombre));
        return r;
    }

    void Traducir(const inotify_event& e, std::map<std::uint32_t, Movido>& movidos,
                  std::vector<RegistroNotificacion>& r) {
        if (e.mask & IN_IGNORED) {
            Olvidar(e.wd);
            return;
        }
        // Events were lost: what any watched folder holds is unknown now, so every one of them
        // is told to read itself again.
        if (e.mask & IN_Q_OVERFLOW) {
            for (const auto& [carpeta, v] : porRuta_) r.push_back(Registro(EV_ACTUALIZAR_CARPETA, carpeta));
            return;
        }
        if (!porWd_.count(e.wd) || e.len == 0) return;  // self events: the parent's watch tells
        const std::string nombre = e.name;
        const bool dir = e.mask & IN_ISDIR;
        auto todas = [&](std::uint32_t ev) {
            for (auto& ruta : Rutas(e.wd, nombre)) r.push_back(Registro(ev, std::move(ruta)));
        };
        if (e.mask & IN_CREATE) todas(dir ? EV_CREAR_CARPETA : EV_CREAR);
        if (e.mask & IN_DELETE) todas(dir ? EV_BORRAR_CARPETA : EV_BORRAR);
        // A finished write is an update of the entry, which the duplicate test never drops: a
        // file written twice in a row is refreshed twice. A write in progress or a change of
        // permissions is one too; the kernel already merges a burst of them left unread.
        if (e.mask & (IN_CLOSE_WRITE | IN_MODIFY | IN_ATTRIB)) todas(EV_ACTUALIZAR_ITEM);
        if (e.mask & IN_MOVED_FROM) movidos[e.cookie] = Movido{e.wd, nombre, Rutas(e.wd, nombre), dir};
        if (e.mask & IN_MOVED_TO) {
            auto m = movidos.find(e.cookie);
            if (m == movidos.end()) {
                todas(dir ? EV_CREAR_CARPETA : EV_CREAR);
                return;
            }
            if (m->second.wd == e.wd) {
                for (const auto& carpeta : porWd_[e.wd])
                    r.push_back(Registro(dir ? EV_RENOMBRAR_CARPETA : EV_RENOMBRAR_ITEM,
                                         En(carpeta, m->second.nombre), En(carpeta, nombre)));
            } else {  // moved between folders: gone here, new there
                for (const auto& ruta : m->second.rutas)
                    r.push_back(Registro(dir ? EV_BORRAR_CARPETA : EV_BORRAR, ruta));
                todas(dir ? EV_CREAR_CARPETA : EV_CREAR);
            }
            movidos.erase(m);
        }
    }

    void Olvidar(int wd) {
        auto w = porWd_.find(wd);
        if (w == porWd_.end()) return;
        for (const auto& ruta : w->second) porRuta_.erase(ruta);
        porWd_.erase(w);
    }

    int fd_;
    int montajes_;
    std::set<std::string> puntos_;
    std::map<std::string, Vigilancia> porRuta_;
    std::map<int, std::set<std::string>> porWd_;  // every name a watched folder is shown by
};

}  // namespace

std::unique_ptr<Vigilante> CrearVigilante() { return VigilanteConRed(std::make_unique<VigilanteLinux>()); }

}  // namespace quirvex
