// Raw file calls on Linux: POSIX descriptors, copy_file_range for chunks, lstat for queries.

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

#include "platform/archivo_bajo_nivel.h"

namespace quirvex {
namespace {

int Fd(ManejadorArchivo h) { return static_cast<int>(h); }

// Refuses what is not a regular file once it is open: reading a fifo would wait forever and a
// device would never end. The descriptor was opened non-blocking so that this check cannot hang;
// regular files ignore the flag, which is cleared anyway.
int ComprobarRegular(int fd) {
    struct stat st {};
    if (fstat(fd, &st) != 0) return errno;
    if (S_ISDIR(st.st_mode)) return EISDIR;
    if (!S_ISREG(st.st_mode)) return EOPNOTSUPP;
    const int banderas = fcntl(fd, F_GETFL);
    if (banderas >= 0) fcntl(fd, F_SETFL, banderas & ~O_NONBLOCK);
    return 0;
}

int AbrirComprobado(const char* ruta, int banderas, int& error) {
    const int fd = open(ruta, banderas | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
    if (fd < 0) {
        error = errno;
        return -1;
    }
    error = ComprobarRegular(fd);
    if (error != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

class ArchivosBajoNivelLinux final : public ArchivosBajoNivel {
public:
    ManejadorArchivo Abrir(const std::string& ruta, ModoApertura modo, bool& creado,
                           int& error) override {
        creado = false;
        error = 0;
        if (modo == ModoApertura::SoloLectura) return AbrirComprobado(ruta.c_str(), O_RDONLY, error);
        // Create exclusively first so the caller knows whether the file is its own; when it
        // exists, open it as it is. A file removed between the two calls is simply tried again.
        for (int intento = 0; intento < 4; ++intento) {
            int fd = AbrirComprobado(ruta.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW, error);
            if (fd >= 0) {
                creado = true;
                return fd;
            }
            if (error != EEXIST) return MANEJADOR_INVALIDO;
            fd = AbrirComprobado(ruta.c_str(), O_RDWR | O_NOFOLLOW, error);
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

    int CopiarMetadatos(const std::string& origen, ManejadorArchivo destino) override {
        struct stat fuente {};
        struct stat actual {};
        if (stat(origen.c_str(), &fuente) != 0 || fstat(Fd(destino), &actual) != 0) return errno;
        // Execute bits follow the source where the new file may be read; the rest of the mode
        // stays what the user's umask gave the new file.
        mode_t modo = actual.st_mode & 0777;
        modo |= ((modo & 0444) >> 2) & (fuente.st_mode & 0111);
        if (fchmod(Fd(destino), modo) != 0) return errno;
        const struct timespec tiempos[2] = {{0, UTIME_OMIT}, fuente.st_mtim};
        return futimens(Fd(destino), tiempos) == 0 ? 0 : errno;
    }

    InfoNodo Consultar(const std::string& ruta) override {
        InfoNodo info;
        struct stat st {};
        if (lstat(ruta.c_str(), &st) != 0) {
            info.error = errno;
            return info;
        }
        if (S_ISREG(st.st_mode))
            info.tipo = TipoNodo::Archivo;
        else if (S_ISDIR(st.st_mode))
            info.tipo = TipoNodo::Carpeta;
        else if (S_ISLNK(st.st_mode))
            info.tipo = TipoNodo::Enlace;
        else
            info.tipo = TipoNodo::Otro;
        info.tamano = info.tipo == TipoNodo::Archivo ? static_cast<std::int64_t>(st.st_size) : 0;
        info.dispositivo = static_cast<std::uint64_t>(st.st_dev);
        info.inodo = static_cast<std::uint64_t>(st.st_ino);
        return info;
    }

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
        errno = 0;
        while (const dirent* d = readdir(dir)) {
            const char* n = d->d_name;
            if (!(n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))) nombres.emplace_back(n);
            errno = 0;
        }
        const int error = errno;
        closedir(dir);
        return error;
    }

    int LeerEnlace(const std::string& ruta, std::string& destino) override {
        std::string buffer(256, '\0');
        for (;;) {
            const ssize_t n = readlink(ruta.c_str(), buffer.data(), buffer.size());
            if (n < 0) return errno;
            if (static_cast<std::size_t>(n) < buffer.size()) {
                buffer.resize(static_cast<std::size_t>(n));
                destino = std::move(buffer);
                return 0;
            }
            buffer.resize(buffer.size() * 2);
        }
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
    static ArchivosBajoNivelLinux real;
    return g_reemplazo ? *g_reemplazo : real;
}

void SetBajoNivel(ArchivosBajoNivel* bajoNivel) { g_reemplazo = bajoNivel; }

}  // namespace quirvex
