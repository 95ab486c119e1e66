// Folder listing on Linux: readdir for the names, statx for sizes and times.

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <memory>
#include <vector>

#include "platform/fecha_local.h"
#include "platform/linux/estados_carpeta_linux.h"
#include "platform/sistema_archivos.h"
#include "platform/archivos_red.h"

namespace quirvex {
namespace {

// Whether the user may write the entry, from its mode bits; cheaper than access(2) per entry.
class Permisos {
public:
    Permisos() : uid_(geteuid()) {
        grupos_.resize(static_cast<size_t>(getgroups(0, nullptr)) + 1);
        int n = getgroups(static_cast<int>(grupos_.size()), grupos_.data());
        grupos_.resize(n > 0 ? static_cast<size_t>(n) : 0);
        grupos_.push_back(getegid());
    }
    bool PuedeEscribir(const struct statx& st) const {
        if (uid_ == 0) return true;
        if (st.stx_uid == uid_) return (st.stx_mode & S_IWUSR) != 0;
        for (gid_t g : grupos_)
            if (g == st.stx_gid) return (st.stx_mode & S_IWGRP) != 0;
        return (st.stx_mode & S_IWOTH) != 0;
    }

private:
    uid_t uid_;
    std::vector<gid_t> grupos_;
};

const Permisos& PermisosProceso() {
    static const Permisos permisos;
    return permisos;
}

constexpr unsigned kCampos = STATX_TYPE | STATX_MODE | STATX_UID | STATX_GID | STATX_SIZE |
                             STATX_MTIME | STATX_BTIME;

bool Statx(int dirfd, const char* ruta, int flags, struct statx& st) {
    return statx(dirfd, ruta, flags | AT_STATX_SYNC_AS_STAT, kCampos, &st) == 0;
}

Fecha FechaDe(const struct statx_timestamp& t) {
    return FechaLocalDesdeUnix(t.tv_sec, t.tv_nsec);
}

// Fills what the listing says of an entry from its statx record. A link is described by its
// target (a link to a folder opens as a folder) and keeps the link bit; recursive work checks
// that bit and never follows it.
void Describir(const struct statx& st, bool esEnlace, EntradaDirectorio& e) {
    std::uint32_t atr = 0;
    const auto tipo = st.stx_mode & S_IFMT;
    if (tipo == S_IFDIR) {
        atr |= ATR_DIRECTORIO;
    } else if (tipo == S_IFREG) {
        atr |= ATR_ARCHIVO;
        e.tamano = static_cast<std::int64_t>(st.stx_size);
    } else if (!esEnlace || tipo != S_IFLNK) {
        atr |= ATR_DISPOSITIVO;
    } else {
        atr |= ATR_ARCHIVO;  // a dangling link shows as an empty file
    }
    if (esEnlace) atr |= ATR_ENLACE;
    if (!e.nombre.empty() && e.nombre[0] == '.') atr |= ATR_OCULTO;
    if (!PermisosProceso().PuedeEscribir(st)) atr |= ATR_SOLO_LECTURA;
    e.atributos = atr;
    e.modificacion = FechaDe(st.stx_mtime);
    e.creacion = (st.stx_mask & STATX_BTIME) ? FechaDe(st.stx_btime) : e.modificacion;
}

// Describes an entry of the folder open as dirfd (or a path with AT_FDCWD) from its own status
// record: a link is described by its target where it can be reached.
void DescribirDesde(int dirfd, const char* nombre, const struct statx& st, EntradaDirectorio& e) {
    if ((st.stx_mode & S_IFMT) != S_IFLNK) {
        Describir(st, false, e);
        return;
    }
    struct statx destino {};
    if (Statx(dirfd, nombre, 0, destino))
        Describir(destino, true, e);
    else
        Describir(st, true, e);
}

bool DescribirEn(int dirfd, const char* nombre, EntradaDirectorio& e) {
    struct statx st {};
    if (!Statx(dirfd, nombre, AT_SYMLINK_NOFOLLOW, st)) return false;
    DescribirDesde(dirfd, nombre, st, e);
    return true;
}

// The status calls that describe entries as a listing does, for every name of the folder.
PedidoEstados PedidoDescribir(int dirfd, size_t cuantos, std::function<std::string_view(size_t)> nombre) {
    return {dirfd, AT_SYMLINK_NOFOLLOW | AT_STATX_SYNC_AS_STAT, kCampos, cuantos, std::move(nombre)};
}

struct CerrarDir {
    void operator()(DIR* d) const { closedir(d); }
};

class SistemaArchivosLinux final : public SistemaArchivos {
public:
    bool Listar(const std::string& carpeta,
                const std::function<void(EntradaDirectorio&&)>& porEntrada) override {
        std::vector<EntradaDirectorio> entradas;
        if (!ListarTodo(carpeta, entradas)) return false;
        for (EntradaDirectorio& e : entradas) porEntrada(std::move(e));
        return true;
    }

    bool ListarTodo(const std::string& carpeta, std::vector<EntradaDirectorio>& entradas) override {
        entradas.clear();
        std::unique_ptr<DIR, CerrarDir> dir(opendir(carpeta.c_str()));
        if (!dir) return false;
        const int fd = dirfd(dir.get());
        std::vector<unsigned char> tipos;
        while (const dirent* d = readdir(dir.get())) {
            const char* n = d->d_name;
            if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))) continue;
            entradas.emplace_back().nombre = n;
            tipos.push_back(d->d_type);
        }
        // The status calls are most of a listing's time: they go out as one batch, and the
        // entries stay in the order readdir gave them.
        const auto pedido = PedidoDescribir(fd, entradas.size(), [&](size_t i) -> std::string_view {
            return entradas[i].nombre;
        });
        EstadosEn(pedido, [&](size_t i, const struct statx* st) {
            EntradaDirectorio& e = entradas[i];
            if (st) {
                DescribirDesde(fd, e.nombre.c_str(), *st, e);
                return;
            }
            // An entry that vanished since readdir still shows, with size 0 and no dates.
            e.atributos = tipos[i] == DT_DIR ? ATR_DIRECTORIO : ATR_ARCHIVO;
            if (e.nombre[0] == '.') e.atributos |= ATR_OCULTO;
        });
        return true;
    }

    // One status call per name, through the folder's descriptor and following links (what
    // Consultar reports of a link is its target), asking for the type and size only.
    std::vector<std::int64_t> Tamanos(const std::string& carpeta,
                                      const std::vector<std::string_view>& nombres) override {
        const int fd = open(carpeta.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) return SistemaArchivos::Tamanos(carpeta, nombres);
        std::vector<std::int64_t> r(nombres.size(), 0);
        const PedidoEstados pedido{fd, AT_STATX_SYNC_AS_STAT, STATX_TYPE | STATX_SIZE, nombres.size(),
                                   [&](size_t i) { return nombres[i]; }};
        EstadosEn(pedido, [&](size_t i, const struct statx* st) {
            if (st && (st->stx_mode & S_IFMT) == S_IFREG) r[i] = static_cast<std::int64_t>(st->stx_size);
        });
        close(fd);
        return r;
    }

    // Through the folder's descriptor, as one batch of status calls.
    std::vector<std::optional<EntradaDirectorio>> ConsultarEn(
        const std::string& carpeta, const std::vector<std::string_view>& nombres) override {
        const int fd = open(carpeta.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) return SistemaArchivos::ConsultarEn(carpeta, nombres);
        std::vector<std::optional<EntradaDirectorio>> r(nombres.size());
        const auto pedido = PedidoDescribir(fd, nombres.size(), [&](size_t i) { return nombres[i]; });
        EstadosEn(pedido, [&](size_t i, const struct statx* st) {
            if (!st) return;
            EntradaDirectorio& e = r[i].emplace();
            e.nombre.assign(nombres[i]);
            DescribirDesde(fd, e.nombre.c_str(), *st, e);
        });
        close(fd);
        return r;
    }

    bool Accesible(const std::string& carpeta) override {
        DIR* d = opendir(carpeta.c_str());
        if (!d) return false;
        closedir(d);
        return true;
    }

    std::optional<EntradaDirectorio> Consultar(const std::string& ruta) override {
        EntradaDirectorio e;
        std::string limpia = ruta;
        while (limpia.size() > 1 && limpia.back() == '/') limpia.pop_back();
        const auto barra = limpia.rfind('/');
        e.nombre = barra == std::string::npos ? limpia : limpia.substr(barra + 1);
        if (!DescribirEn(AT_FDCWD, limpia.c_str(), e)) return std::nullopt;
        return e;
    }

    std::optional<SelloCarpeta> Sello(const std::string& carpeta) override {
        struct statx st {};
        if (statx(AT_FDCWD, carpeta.c_str(), AT_STATX_SYNC_AS_STAT, STATX_MTIME | STATX_CTIME,
                  &st) != 0 ||
            (st.stx_mask & (STATX_MTIME | STATX_CTIME)) != (STATX_MTIME | STATX_CTIME))
            return std::nullopt;
        auto ns = [](const struct statx_timestamp& t) {
            return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
        };
        return SelloCarpeta{ns(st.stx_mtime), ns(st.stx_ctime)};
    }

    std::optional<DetallesArchivo> Detalles(const std::string& ruta) override {
        DetallesArchivo d;
        constexpr unsigned kPedido = STATX_BASIC_STATS | STATX_BTIME;
        struct statx st {};
        if (statx(AT_FDCWD, ruta.c_str(), AT_SYMLINK_NOFOLLOW, kPedido, &st) != 0) return std::nullopt;
        if ((st.stx_mode & S_IFMT) == S_IFLNK) {
            d.enlace = true;
            d.destino = DestinoEnlace(ruta, st.stx_size);
            struct statx apuntado {};
            if (statx(AT_FDCWD, ruta.c_str(), 0, kPedido, &apuntado) == 0) st = apuntado;
        }
        d.modo = st.stx_mode;
        d.modificado = st.stx_mtime.tv_sec;
        d.accedido = st.stx_atime.tv_sec;
        d.hayCreacion = (st.stx_mask & STATX_BTIME) != 0;
        d.creado = d.hayCreacion ? st.stx_btime.tv_sec : 0;
        d.uid = st.stx_uid;
        d.gid = st.stx_gid;
        d.propietario = NombreUsuario(st.stx_uid);
        d.grupo = NombreGrupo(st.stx_gid);
        return d;
    }

private:
    static std::string DestinoEnlace(const std::string& ruta, std::uint64_t largo) {
        std::string r(largo > 0 ? largo : 4096, '\0');
        const ssize_t n = readlink(ruta.c_str(), r.data(), r.size());
        r.resize(n > 0 ? static_cast<size_t>(n) : 0);
        return r;
    }
    static std::string NombreUsuario(uid_t uid) {
        std::vector<char> buf(16384);
        struct passwd p {};
        struct passwd* r = nullptr;
        return getpwuid_r(uid, &p, buf.data(), buf.size(), &r) == 0 && r ? std::string(r->pw_name) : std::string();
    }
    static std::string NombreGrupo(gid_t gid) {
        std::vector<char> buf(16384);
        struct group g {};
        struct group* r = nullptr;
        return getgrgid_r(gid, &g, buf.data(), buf.size(), &r) == 0 && r ? std::string(r->gr_name) : std::string();
    }
};

SistemaArchivos* g_reemplazo = nullptr;

}  // namespace

SistemaArchivos& Archivos() {
    static SistemaArchivosLinux local;
    static const std::unique_ptr<SistemaArchivos> real = SistemaArchivosConRed(local);
    return g_reemplazo ? *g_reemplazo : *real;
}

void SetSistemaArchivos(SistemaArchivos* sistema) { g_reemplazo = sistema; }

}  // namespace quirvex
