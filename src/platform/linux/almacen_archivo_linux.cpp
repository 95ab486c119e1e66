// The settings file on Linux: whole-file reads, and writes that go through a temporary file in
// the same folder (fsync, rename, fsync of the folder) while holding flock on "<file>.lock".
// The temporary file has a fixed name: only the lock holder ever writes it, so a leftover from a
// crash is simply truncated by the next writer and is never read as the store.

#include "platform/almacen_archivo.h"
#include "platform/memoria.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <utility>

namespace quirvex {
namespace {

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor(Descriptor&& otro) noexcept : fd_(std::exchange(otro.fd_, -1)) {}
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    bool valido() const { return fd_ >= 0; }
    // Closes now and reports whether the close succeeded (a late write error shows up here).
    bool Cerrar() {
        const int fd = std::exchange(fd_, -1);
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int fd_;
};

int AbrirSinInterrupcion(const std::string& ruta, int banderas, mode_t modo = 0) {
    int fd;
    do {
        fd = ::open(ruta.c_str(), banderas | O_CLOEXEC, modo);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

bool EscribirTodo(int fd, std::string_view datos) {
    while (!datos.empty()) {
        const ssize_t n = ::write(fd, datos.data(), datos.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        datos.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::string CarpetaDe(const std::string& ruta) {
    const auto barra = ruta.find_last_of('/');
    if (barra == std::string::npos) return ".";
    if (barra == 0) return "/";
    return ruta.substr(0, barra);
}

// mkdir -p with owner-only folders (settings are private to the user).
bool CrearCarpetas(const std::string& carpeta) {
    struct stat st {};
    if (::stat(carpeta.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    if (errno != ENOENT) return false;
    const std::string padre = CarpetaDe(carpeta);
    if (padre != carpeta && !CrearCarpetas(padre)) return false;
    return ::mkdir(carpeta.c_str(), 0700) == 0 || errno == EEXIST;
}

class PasosLinux final : public PasosReemplazo {
public:
    int SincronizarArchivo(std::intptr_t manejador, const std::string&) override {
        return ::fsync(static_cast<int>(manejador)) == 0 ? 0 : errno;
    }
    int Renombrar(const std::string& de, const std::string& a) override {
        return ::rename(de.c_str(), a.c_str()) == 0 ? 0 : errno;
    }
    int SincronizarCarpeta(const std::string& carpeta) override {
        Descriptor fd(AbrirSinInterrupcion(carpeta, O_RDONLY | O_DIRECTORY));
        if (!fd.valido()) return errno;
        return ::fsync(fd.get()) == 0 ? 0 : errno;
    }
};

PasosReemplazo* pasosInstalados = nullptr;

PasosReemplazo& Pasos() { return pasosInstalados ? *pasosInstalados : PasosReemplazoReales(); }

LecturaArchivo LeerArchivo(const std::string& ruta) {
    LecturaArchivo lectura;
    Descriptor fd(AbrirSinInterrupcion(ruta, O_RDONLY));
    if (!fd.valido()) {
        lectura.estado = errno == ENOENT ? LecturaArchivo::Estado::Ausente
                                         : LecturaArchivo::Estado::Fallido;
        return lectura;
    }
    // Read in place at the size the file has: a large file (the index server's) is otherwise
    // copied each time the text doubles.
    struct stat st {};
    if (::fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
        const auto tam = static_cast<std::size_t>(st.st_size);
        lectura.texto.reserve(tam);
        PaginasGrandes(lectura.texto.data(), lectura.texto.capacity());
        lectura.texto.resize(tam);
        std::size_t hecho = 0;
        while (hecho < tam) {
            const ssize_t n = ::read(fd.get(), lectura.texto.data() + hecho, tam - hecho);
            if (n == 0) break;
            if (n < 0) {
                if (errno == EINTR) continue;
                return {LecturaArchivo::Estado::Fallido, {}};
            }
            hecho += static_cast<std::size_t>(n);
        }
        lectura.texto.resize(hecho);  // shorter than it was a moment ago; anything longer follows
    }
    char bloque[16384];
    for (;;) {
        const ssize_t n = ::read(fd.get(), bloque, sizeof bloque);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            return {LecturaArchivo::Estado::Fallido, {}};
        }
        lectura.texto.append(bloque, static_cast<std::size_t>(n));
    }
    lectura.estado = LecturaArchivo::Estado::Leido;
    return lectura;
}

// Writes the new text beside the store, as `escribir` hands it on, and renames it over the store.
bool ReemplazarArchivo(const std::string& ruta,
                       const std::function<bool(const AlmacenArchivo::Escritor&)>& escribir) {
    const std::string temporal = ruta + ".tmp";
    Descriptor fd(AbrirSinInterrupcion(temporal, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW, 0600));
    if (!fd.valido()) return false;
    const bool escrito = escribir([&fd](std::string_view trozo) { return EscribirTodo(fd.get(), trozo); }) &&
                         Pasos().SincronizarArchivo(fd.get(), temporal) == 0;
    if (!fd.Cerrar() || !escrito || Pasos().Renombrar(temporal, ruta) != 0) {
        ::unlink(temporal.c_str());
        return false;
    }
    return true;
}

class AlmacenArchivoLinux final : public AlmacenArchivo {
public:
    // An empty path means "the user's store", looked up on every call.
    explicit AlmacenArchivoLinux(std::string ruta) : ruta_(std::move(ruta)) {}

    LecturaArchivo Leer() override { return LeerArchivo(Ruta()); }

    bool Actualizar(
        const std::function<CambioArchivo(const LecturaArchivo&)>& cambio) override {
        const std::string ruta = Ruta();
        const std::string carpeta = CarpetaDe(ruta);
        Descriptor cerrojo = Bloquear(ruta, carpeta);
        if (!cerrojo.valido()) return false;

        const LecturaArchivo actual = LeerArchivo(ruta);
        if (actual.estado == LecturaArchivo::Estado::Fallido) return false;
        const CambioArchivo pedido = cambio(actual);
        if (pedido.apartarActual && actual.estado == LecturaArchivo::Estado::Leido &&
            Pasos().Renombrar(ruta, ruta + ".bad") != 0) {
            return false;  // never write over a file that could not be kept aside
        }
        bool bien = true;
        if (pedido.nuevoTexto)
            bien = ReemplazarArchivo(ruta, [&](const Escritor& e) { return e(*pedido.nuevoTexto); });
        if (pedido.nuevoTexto || pedido.apartarActual)
            bien = Pasos().SincronizarCarpeta(carpeta) == 0 && bien;
        return bien;  // the lock goes with the descriptor
    }

    bool Reemplazar(const std::function<bool(const Escritor&)>& escribir) override {
        const std::string ruta = Ruta();
        const std::string carpeta = CarpetaDe(ruta);
        Descriptor cerrojo = Bloquear(ruta, carpeta);
        return cerrojo.valido() && ReemplazarArchivo(ruta, escribir) &&
               Pasos().SincronizarCarpeta(carpeta) == 0;
    }

private:
    // The store's lock, held while the descriptor lives (invalid when it cannot be taken); the
    // store's folders are made first.
    static Descriptor Bloquear(const std::string& ruta, const std::string& carpeta) {
        if (!CrearCarpetas(carpeta)) return Descriptor(-1);
        Descriptor cerrojo(AbrirSinInterrupcion(ruta + ".lock", O_RDWR | O_CREAT | O_NOFOLLOW, 0600));
        if (!cerrojo.valido()) return cerrojo;
        int r;
        do {
            r = ::flock(cerrojo.get(), LOCK_EX);
        } while (r != 0 && errno == EINTR);
        return r == 0 ? std::move(cerrojo) : Descriptor(-1);
    }

    std::string Ruta() const { return ruta_.empty() ? RutaDelUsuario() : ruta_; }

    static std::string RutaDelUsuario() {
        std::string base;
        if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/') {
            base = xdg;
        } else {
            const char* casa = std::getenv("HOME");
            if (!casa || casa[0] != '/') {
                const passwd* pw = ::getpwuid(::getuid());
                casa = pw ? pw->pw_dir : "/tmp";
            }
            base = std::string(casa) + "/.config";
        }
        return base + "/Ubrel/Halvord.reg";
    }

    std::string ruta_;
};

AlmacenArchivo* instalado = nullptr;

}  // namespace

PasosReemplazo& PasosReemplazoReales() {
    static PasosLinux reales;
    return reales;
}

void SetPasosReemplazo(PasosReemplazo* pasos) { pasosInstalados = pasos; }

AlmacenArchivo& ArchivoRegistro() {
    static AlmacenArchivoLinux delUsuario{std::string()};
    return instalado ? *instalado : delUsuario;
}

void SetArchivoRegistro(AlmacenArchivo* almacen) { instalado = almacen; }

std::unique_ptr<AlmacenArchivo> CrearAlmacenArchivo(const std::string& ruta) {
    return std::make_unique<AlmacenArchivoLinux>(ruta);
}

}  // namespace quirvex
