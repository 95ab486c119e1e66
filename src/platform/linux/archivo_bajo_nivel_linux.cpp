// Raw file calls on Linux: POSIX descriptors, copy_file_range for chunks, lstat for queries.

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <memory>

#include "platform/archivo_bajo_nivel.h"
#include "platform/archivos_red.h"

namespace quirvex {
namespace {

int Fd(ManejadorArchivo h) { return static_cast<int>(h); }
int Base(ManejadorArchivo carpeta) { return carpeta == MANEJADOR_INVALIDO ? AT_FDCWD : Fd(carpeta); }

InfoNodo Describir(const struct stat& st) {
    InfoNodo info;
    if (S_ISREG(st.st_mode))
        info.tipo = TipoNodo::Archivo;
    else if (S_ISDIR(st.st_mode))
        info.tipo = TipoNodo::Carpeta;
    else if (S_ISLNK(st.st_mode))
        info.tipo = TipoNodo::Enlace;
    else
        info.tipo = TipoNodo::Otro;
    if (S_ISFIFO(st.st_mode)) info.especial = TipoEspecial::Fifo;
    if (S_ISCHR(st.st_mode)) info.especial = TipoEspecial::Caracter;
    if (S_ISBLK(st.st_mode)) info.especial = TipoEspecial::Bloque;
    if (S_ISSOCK(st.st_mode)) info.especial = TipoEspecial::Socket;
    info.dispositivoEspecial = static_cast<std::uint64_t>(st.st_rdev);
    info.enlaces = static_cast<std::uint64_t>(st.st_nlink);
    info.accedido = static_cast<std::int64_t>(st.st_atim.tv_sec) * 1000000000 + st.st_atim.tv_nsec;
    info.tamano = info.tipo == TipoNodo::Archivo ? static_cast<std::int64_t>(st.st_size) : 0;
    info.dispositivo = static_cast<std::uint64_t>(st.st_dev);
    info.inodo = static_cast<std::uint64_t>(st.st_ino);
    info.permisos = static_cast<std::uint32_t>(st.st_mode & 07777);
    info.propietario = static_cast<std::uint32_t>(st.st_uid);
    info.grupo = static_cast<std::uint32_t>(st.st_gid);
    info.modificado = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    info.ocupado = static_cast<std::int64_t>(st.st_blocks) * 512;
    return info;
}

// Refuses what is not a regular file once it is open: reading a fifo would wait forever and a
// device would never end. The descriptor was opened non-blocking so that this check cannot hang;
// regular files ignore the flag, so it is left as it is (two calls a file saved).
int ComprobarRegular(int fd, InfoNodo& info) {
    struct stat st {};
    if (fstat(fd, &st) != 0) return errno;
    info = Describir(st);
    if (S_ISDIR(st.st_mode)) return EISDIR;
    if (!S_ISREG(st.st_mode)) return EOPNOTSUPP;
    return 0;
}

int AbrirComprobado(int base, const char* ruta, int banderas, int& error, InfoNodo& info,
                    mode_t modo = 0666) {
    const int fd = openat(base, ruta, banderas | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, modo);
    if (fd < 0) {
        error = errno;
        return -1;
    }
    error = ComprobarRegular(fd, info);
    if (error != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

timespec Tiempo(std::int64_t ns) {
    timespec t{};
    t.tv_sec = static_cast<time_t>(ns / 1000000000);
    t.tv_nsec = static_cast<long>(ns % 1000000000);
    if (t.tv_nsec < 0) {
        t.tv_nsec += 1000000000;
        --t.tv_sec;
    }
    return t;
}

// The mode a copy keeps: setuid and setgid only while the target has the source's owner (for
// setgid, its group), as a copy that cannot keep the owner must not hand out its privileges.
mode_t ModoCopia(const InfoNodo& origen, const struct stat& actual) {
    mode_t modo = origen.permisos & 07777;
    if (actual.st_uid != origen.propietario) modo &= ~static_cast<mode_t>(S_ISUID | S_ISGID);
    if (actual.st_gid != origen.grupo) modo &= ~static_cast<mode_t>(S_ISGID);
    return modo;
}

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

int RenombrarSinReemplazar(int baseOrigen, const char* origen, int base, const char* nombre) {
#ifdef SYS_renameat2
    if (syscall(SYS_renameat2, baseOrigen, origen, base, nombre, RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return errno;
#endif
    // A file system without the flag: a second name first (link refuses a taken one), then
    // the old name goes. A folder cannot be linked; it is renamed after a check.
    if (linkat(baseOrigen, origen, base, nombre, 0) == 0) {
        if (unlinkat(baseOrigen, origen, 0) == 0) return 0;
        const int error = errno;
        unlinkat(base, nombre, 0);
        return error;
    }
    if (errno == EEXIST) return EEXIST;
    struct stat otro {};
    if (fstatat(base, nombre, &otro, AT_SYMLINK_NOFOLLOW) == 0) return EEXIST;
    return renameat(baseOrigen, origen, base, nombre) == 0 ? 0 : errno;
}

// The names of an open file's extended attributes, or the error of reading them.
int NombresAtributos(int fd, std::vector<std::string>& nombres) {
    std::vector<char> lista;
    for (;;) {
        const ssize_t n = flistxattr(fd, nullptr, 0);
        if (n < 0) return errno == ENOTSUP ? 0 : errno;
        lista.resize(static_cast<std::size_t>(n) + 1);
        const ssize_t leidos = flistxattr(fd, lista.data(), lista.size());
        if (leidos >= 0) {
            lista.resize(static_cast<std::size_t>(leidos));
            break;
        }
        if (errno != ERANGE) return errno;  // grew meanwhile: asked again
    }
    for (std::size_t k = 0; k < lista.size();) {
        const std::string nombre(lista.data() + k);
        if (!nombre.empty()) nombres.push_back(nombre);
        k += nombre.size() + 1;
    }
    return 0;
}

int LeerAtributo(int fd, const std::string& nombre, std::vector<char>& valor) {
    for (;;) {
        const ssize_t n = fgetxattr(fd, nombre.c_str(), nullptr, 0);
        if (n < 0) return errno;
        valor.resize(static_cast<std::size_t>(n));
        const ssize_t leidos = fgetxattr(fd, nombre.c_str(), valor.data(), valor.size());
        if (leidos >= 0) {
            valor.resize(static_cast<std::size_t>(leidos));
            return 0;
        }
        if (errno != ERANGE) return errno;
    }
}

// Reads a directory stream to its end and closes it; `tipos`, when given, gets each name's type
// as the stream tells it (regular files only, the rest left to a query).
int Listar(DIR* dir, std::vector<std::string>& nombres, std::vector<TipoNodo>* tipos = nullptr) {
    errno = 0;
    while (const dirent* d = readdir(dir)) {
        const char* n = d->d_name;
        if (!(n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))) {
            nombres.emplace_back(n);
            if (tipos) tipos->push_back(d->d_type == DT_REG ? TipoNodo::Archivo : TipoNodo::NoExiste);
        }
        errno = 0;
    }
    const int error = errno;
    closedir(dir);
    return error;
}

class ArchivosBajoNivelLinux final : public ArchivosBajoNivel {
    static int ListarAbierta(ManejadorArchivo carpeta, std::vector<std::string>& nombres,
                             std::vector<TipoNodo>* tipos) {
        // The directory stream takes its own descriptor so the caller's stays open.
        const int copia = fcntl(Fd(carpeta), F_DUPFD_CLOEXEC, 0);
        if (copia < 0) return errno;
        DIR* dir = fdopendir(copia);
        if (!dir) {
            const int error = errno;
            close(copia);
            return error;
        }
        rewinddir(dir);
        return Listar(dir, nombres, tipos);
    }

public:
    ManejadorArchivo Abrir(const std::string& ruta, ModoApertura modo, bool& creado,
                           int& error, InfoNodo& info) override {
        creado = false;
        error = 0;
        const char* r = ruta.c_str();
        if (modo == ModoApertura::SoloLectura) return AbrirComprobado(AT_FDCWD, r, O_RDONLY, error, info);
        // Create exclusively first so the caller knows whether the file is its own; when it
        // exists, open it as it is. A file removed between the two calls is simply tried again.
        for (int intento = 0; intento < 4; ++intento) {
            int fd = AbrirComprobado(AT_FDCWD, r, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW, error, info);
            if (fd >= 0) {
                creado = true;
                return fd;
            }
            if (error != EEXIST) return MANEJADOR_INVALIDO;
            fd = AbrirComprobado(AT_FDCWD, r, O_RDWR | O_NOFOLLOW, error, info);
            if (fd >= 0) return fd;
            if (error != ENOENT) return MANEJADOR_INVALIDO;
        }
        return MANEJADOR_INVALIDO;
    }

    int Cerrar(ManejadorArchivo h) override { return close(Fd(h)) == 0 ? 0 : errno; }

    std::int64_t Leer(ManejadorArchivo h, void* datos, std::size_t n, int& error) override {
        auto* p = static_cast<char*>(datos);
        std::size_t hecho = 0;
        while (hecho < n) {
            const ssize_t r = read(Fd(h), p + hecho, n - hecho);
            if (r < 0 && errno == EINTR) continue;
            if (r < 0) {
                error = errno;
                return -1;
            }
            if (r == 0) break;
            hecho += static_cast<std::size_t>(r);
        }
        return static_cast<std::int64_t>(hecho);
    }

    std::int64_t Escribir(ManejadorArchivo h, const void* datos, std::size_t n,
                          int& error) override {
        const auto* p = static_cast<const char*>(datos);
        std::size_t hecho = 0;
        while (hecho < n) {
            const ssize_t r = write(Fd(h), p + hecho, n - hecho);
            if (r < 0 && errno == EINTR) continue;
            if (r < 0) {
                error = errno;
                return -1;
            }
            if (r == 0) {
                error = ENOSPC;
                return -1;
            }
            hecho += static_cast<std::size_t>(r);
        }
        return static_cast<std::int64_t>(hecho);
    }

    int Sincronizar(ManejadorArchivo h) override { return fsync(Fd(h)) == 0 ? 0 : errno; }

    void AdelantarEscritura(ManejadorArchivo h, std::int64_t desde, std::int64_t n) override {
        if (desde > 0)
            sync_file_range(Fd(h), 0, static_cast<off_t>(desde),
                            SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER);
        sync_file_range(Fd(h), static_cast<off_t>(desde), static_cast<off_t>(n), SYNC_FILE_RANGE_WRITE);
    }

    int Truncar(ManejadorArchivo h, std::int64_t largo) override {
        return ftruncate(Fd(h), static_cast<off_t>(largo)) == 0 ? 0 : errno;
    }

    std::int64_t Posicionar(ManejadorArchivo h, std::int64_t desplazamiento, bool desdeInicio,
                            int& error) override {
        const off_t r = lseek(Fd(h), static_cast<off_t>(desplazamiento),
                              desdeInicio ? SEEK_SET : SEEK_CUR);
        if (r < 0) error = errno;
        return r;
    }

    ResultadoTramo CopiarTramo(ManejadorArchivo origen, ManejadorArchivo destino,
                               std::size_t n) override {
        ResultadoTramo r;
        while (static_cast<std::size_t>(r.copiados) < n) {
            const ssize_t c = copy_file_range(Fd(origen), nullptr, Fd(destino), nullptr,
                                              n - static_cast<std::size_t>(r.copiados), 0);
            if (c > 0) {
                r.copiados += c;
                continue;
            }
            if (c == 0) break;
            if (errno == EINTR) continue;
            if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP ||
                errno == ENOTSUP) {
                r.sinSoporte = true;
            } else {
                r.error = errno;
            }
            break;
        }
        return r;
    }

    int CopiarMetadatos(const InfoNodo& origen, ManejadorArchivo destino,
                        const InfoNodo& actual) override {
        mode_t modo = origen.permisos & 07777;
        if (modo & (S_ISUID | S_ISGID)) {
            struct stat ahora {};
            if (fstat(Fd(destino), &ahora) != 0) return errno;
            modo = ModoCopia(origen, ahora);
        }
        int error = 0;
        if (modo != (actual.permisos & 07777) && fchmod(Fd(destino), modo) != 0) error = errno;
        const struct timespec tiempos[2] = {Tiempo(origen.accedido), Tiempo(origen.modificado)};
        if (futimens(Fd(destino), tiempos) != 0 && error == 0) error = errno;
        return error;
    }

    int CambiarPropietario(ManejadorArchivo h, std::uint32_t propietario, std::uint32_t grupo) override {
        return fchown(Fd(h), static_cast<uid_t>(propietario), static_cast<gid_t>(grupo)) == 0 ? 0 : errno;
    }

    int CopiarAtributos(ManejadorArchivo origen, ManejadorArchivo destino,
                        std::vector<std::pair<std::string, int>>& perdidos) override {
        std::vector<std::string> nombres;
        if (const int error = NombresAtributos(Fd(origen), nombres); error != 0) return error;
        std::vector<char> valor;
        for (const std::string& nombre : nombres) {
            int error = LeerAtributo(Fd(origen), nombre, valor);
            // What an unprivileged reader cannot see it cannot keep; it is not reported.
            if (error == ENODATA) continue;
            if (error == 0 && fsetxattr(Fd(destino), nombre.c_str(), valor.data(), valor.size(), 0) != 0)
                error = errno;
            if (error != 0) perdidos.emplace_back(nombre, error);
        }
        return 0;
    }

    int AplicarMetadatosEn(ManejadorArchivo carpeta, const std::string& nombre, const InfoNodo& origen,
                           bool propietario) override {
        const int base = Base(carpeta);
        const char* n = nombre.c_str();
        struct stat actual {};
        if (fstatat(base, n, &actual, AT_SYMLINK_NOFOLLOW) != 0) return errno;
        int error = 0;
        if (propietario && (actual.st_uid != origen.propietario || actual.st_gid != origen.grupo) &&
            fchownat(base, n, origen.propietario, origen.grupo, AT_SYMLINK_NOFOLLOW) != 0)
            error = errno;
        // A link has no mode of its own; anything else here is the special entry just made.
        if (!S_ISLNK(actual.st_mode) && fchmodat(base, n, origen.permisos & 07777, 0) != 0 && error == 0)
            error = errno;
        const struct timespec tiempos[2] = {Tiempo(origen.accedido), Tiempo(origen.modificado)};
        if (utimensat(base, n, tiempos, AT_SYMLINK_NOFOLLOW) != 0 && error == 0) error = errno;
        return error;
    }

    int SincronizarSistema(ManejadorArchivo carpeta) override {
        return syncfs(Fd(carpeta)) == 0 ? 0 : errno;
    }

    int CrearCarpetaEn(ManejadorArchivo carpeta, const std::string& nombre) override {
        return mkdirat(Base(carpeta), nombre.c_str(), 0700) == 0 ? 0 : errno;
    }

    ManejadorArchivo AbrirCarpetaElegida(const std::string& ruta, int& error) override {
        const int fd = open(ruta.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        error = fd < 0 ? errno : 0;
        return fd < 0 ? MANEJADOR_INVALIDO : fd;
    }

    ManejadorArchivo CrearSinNombreEn(ManejadorArchivo carpeta, int& error, InfoNodo& info) override {
        error = 0;
        const int fd = AbrirComprobado(Base(carpeta), ".", O_TMPFILE | O_RDWR, error, info, 0600);
        // Older kernels and some file systems: the flag is refused or taken for a folder open.
        if (fd < 0 && (error == EOPNOTSUPP || error == EISDIR || error == EINVAL)) error = EOPNOTSUPP;
        return fd < 0 ? MANEJADOR_INVALIDO : fd;
    }

    ManejadorArchivo CrearExclusivoEn(ManejadorArchivo carpeta, const std::string& nombre, int& error,
                                      InfoNodo& info) override {
        error = 0;
        const int fd = AbrirComprobado(Base(carpeta), nombre.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW,
                                       error, info, 0600);
        return fd < 0 ? MANEJADOR_INVALIDO : fd;
    }

    int EnlazarEn(ManejadorArchivo h, ManejadorArchivo carpeta, const std::string& nombre) override {
        // Through /proc, which needs no privilege for a file made unnamed; AT_EMPTY_PATH
        // where /proc is not mounted.
        const std::string propio = "/proc/self/fd/" + std::to_string(Fd(h));
        if (linkat(AT_FDCWD, propio.c_str(), Base(carpeta), nombre.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
        if (errno != ENOENT) return errno;
        return linkat(Fd(h), "", Base(carpeta), nombre.c_str(), AT_EMPTY_PATH) == 0 ? 0 : errno;
    }

    int EnlazarNombreEn(ManejadorArchivo carpetaOrigen, const std::string& origen, ManejadorArchivo carpeta,
                        const std::string& nombre) override {
        return linkat(Base(carpetaOrigen), origen.c_str(), Base(carpeta), nombre.c_str(), 0) == 0 ? 0 : errno;
    }

    int RenombrarEn(ManejadorArchivo carpetaOrigen, const std::string& origen, ManejadorArchivo carpeta,
                    const std::string& nombre, bool reemplazar) override {
        if (!reemplazar)
            return RenombrarSinReemplazar(Base(carpetaOrigen), origen.c_str(), Base(carpeta), nombre.c_str());
        return renameat(Base(carpetaOrigen), origen.c_str(), Base(carpeta), nombre.c_str()) == 0 ? 0 : errno;
    }

    int CrearEnlaceEn(const std::string& destino, ManejadorArchivo carpeta, const std::string& nombre) override {
        return symlinkat(destino.c_str(), Base(carpeta), nombre.c_str()) == 0 ? 0 : errno;
    }

    int CrearEspecialEn(ManejadorArchivo carpeta, const std::string& nombre, const InfoNodo& origen) override {
        mode_t tipo = S_IFIFO;
        if (origen.especial == TipoEspecial::Caracter) tipo = S_IFCHR;
        if (origen.especial == TipoEspecial::Bloque) tipo = S_IFBLK;
        if (origen.especial == TipoEspecial::Socket || origen.especial == TipoEspecial::Ninguno)
            return EOPNOTSUPP;
        return mknodat(Base(carpeta), nombre.c_str(), tipo | 0600,
                       static_cast<dev_t>(origen.dispositivoEspecial)) == 0 ? 0 : errno;
    }

    int AplicarMetadatos(const InfoNodo& origen, const std::string& ruta) override {
        const struct timespec tiempos[2] = {{0, UTIME_OMIT}, Tiempo(origen.modificado)};
        if (origen.tipo == TipoNodo::Enlace)
            return utimensat(AT_FDCWD, ruta.c_str(), tiempos, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : errno;
        struct stat actual {};
        if (lstat(ruta.c_str(), &actual) != 0) return errno;
        if (S_ISLNK(actual.st_mode)) return ELOOP;
        int error = chmod(ruta.c_str(), ModoCopia(origen, actual)) == 0 ? 0 : errno;
        if (utimensat(AT_FDCWD, ruta.c_str(), tiempos, AT_SYMLINK_NOFOLLOW) != 0 && error == 0)
            error = errno;
        return error;
    }

    InfoNodo ConsultarAbierto(ManejadorArchivo h) override {
        struct stat st {};
        if (fstat(Fd(h), &st) != 0) {
            InfoNodo info;
            info.error = errno;
            return info;
        }
        return Describir(st);
    }

    int RangosDatos(ManejadorArchivo h, std::int64_t largo, std::vector<RangoDatos>& rangos) override {
        rangos.clear();
        for (off_t desde = 0; desde < largo;) {
            const off_t datos = lseek(Fd(h), desde, SEEK_DATA);
            if (datos < 0) {
                if (errno == ENXIO) break;  // only a hole remains
                // No hole support here: the whole file is data.
                rangos.assign(1, RangoDatos{0, largo});
                return 0;
            }
            if (datos >= largo) break;
            off_t hueco = lseek(Fd(h), datos, SEEK_HOLE);
            if (hueco < 0 || hueco > largo) hueco = static_cast<off_t>(largo);
            rangos.push_back(RangoDatos{datos, hueco});
            desde = hueco;
        }
        return 0;
    }

    ManejadorArchivo AbrirCarpeta(ManejadorArchivo carpeta, const std::string& nombre,
                                  int& error) override {
        const int fd = openat(Base(carpeta), nombre.c_str(),
                              O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        error = fd < 0 ? errno : 0;
        return fd < 0 ? MANEJADOR_INVALIDO : fd;
    }

    int ListarEn(ManejadorArchivo carpeta, std::vector<std::string>& nombres) override {
        return ListarAbierta(carpeta, nombres, nullptr);
    }

    int ListarEnConTipos(ManejadorArchivo carpeta, std::vector<std::string>& nombres,
                         std::vector<TipoNodo>& tipos) override {
        tipos.clear();
        return ListarAbierta(carpeta, nombres, &tipos);
    }

    InfoNodo ConsultarEn(ManejadorArchivo carpeta, const std::string& nombre) override {
        struct stat st {};
        if (fstatat(Base(carpeta), nombre.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            InfoNodo info;
            info.error = errno;
            return info;
        }
        return Describir(st);
    }

    ManejadorArchivo AbrirEn(ManejadorArchivo carpeta, const std::string& nombre, int& error,
                             InfoNodo& info) override {
        error = 0;
        return AbrirComprobado(Base(carpeta), nombre.c_str(), O_RDONLY | O_NOFOLLOW, error, info);
    }

    int BorrarEn(ManejadorArchivo carpeta, const std::string& nombre, bool esCarpeta) override {
        return unlinkat(Base(carpeta), nombre.c_str(), esCarpeta ? AT_REMOVEDIR : 0) == 0 ? 0 : errno;
    }

    int LeerEnlaceEn(ManejadorArchivo carpeta, const std::string& nombre,
                     std::string& destino) override {
        std::string buffer(256, '\0');
        for (;;) {
            const ssize_t n = readlinkat(Base(carpeta), nombre.c_str(), buffer.data(), buffer.size());
            if (n < 0) return errno;
            if (static_cast<std::size_t>(n) < buffer.size()) {
                buffer.resize(static_cast<std::size_t>(n));
                destino = std::move(buffer);
                return 0;
            }
            buffer.resize(buffer.size() * 2);
        }
    }

    InfoNodo Consultar(const std::string& ruta) override { return ConsultarEn(MANEJADOR_INVALIDO, ruta); }

    int Renombrar(const std::string& origen, const std::string& destino) override {
        return rename(origen.c_str(), destino.c_str()) == 0 ? 0 : errno;
    }

    int BorrarArchivo(const std::string& ruta) override {
        return unlink(ruta.c_str()) == 0 ? 0 : errno;
    }

    int BorrarCarpetaVacia(const std::string& ruta) override {
        return rmdir(ruta.c_str()) == 0 ? 0 : errno;
    }

    int CrearCarpeta(const std::string& ruta) override {
        return mkdir(ruta.c_str(), 0777) == 0 ? 0 : errno;
    }

    int ListarNombres(const std::string& carpeta, std::vector<std::string>& nombres) override {
        DIR* dir = opendir(carpeta.c_str());
        if (!dir) return errno;
        return Listar(dir, nombres);
    }

    int LeerEnlace(const std::string& ruta, std::string& destino) override {
        return LeerEnlaceEn(MANEJADOR_INVALIDO, ruta, destino);
    }

    int CrearEnlace(const std::string& destino, const std::string& ruta) override {
        return symlink(destino.c_str(), ruta.c_str()) == 0 ? 0 : errno;
    }

    std::string RutaCanonica(const std::string& ruta) override {
        std::unique_ptr<char, decltype(&free)> r(realpath(ruta.c_str(), nullptr), &free);
        return r ? std::string(r.get()) : std::string();
    }

    std::string DescripcionError(int codigo) override {
        char buffer[256];
        // The GNU strerror_r returns the text, which may or may not live in the buffer.
        const char* texto = strerror_r(codigo, buffer, sizeof buffer);
        return texto && *texto ? texto : "Unknown Error.";
    }

    int Codigo(ErrorComun error) override {
        switch (error) {
            case ErrorComun::OtroDispositivo: return EXDEV;
            case ErrorComun::NoExiste: return ENOENT;
            case ErrorComun::YaExiste: return EEXIST;
            case ErrorComun::ArgumentoInvalido: return EINVAL;
            case ErrorComun::NoSoportado: return EOPNOTSUPP;
            case ErrorComun::FinInesperado: return ENODATA;
        }
        return EINVAL;
    }

    bool Es(int codigo, ErrorComun error) override {
        if (error == ErrorComun::NoExiste) return codigo == ENOENT || codigo == ENOTDIR;
        if (error == ErrorComun::NoSoportado) return codigo == EOPNOTSUPP || codigo == ENOTSUP;
        return codigo == Codigo(error);
    }
};

ArchivosBajoNivel* g_reemplazo = nullptr;

}  // namespace

ArchivosBajoNivel& BajoNivel() {
    static ArchivosBajoNivelLinux local;
    static const std::unique_ptr<ArchivosBajoNivel> real = BajoNivelConRed(local);
    return g_reemplazo ? *g_reemplazo : *real;
}

void SetBajoNivel(ArchivosBajoNivel* bajoNivel) { g_reemplazo = bajoNivel; }

}  // namespace quirvex
