#include "platform/enlace_local.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sched.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>

namespace quirvex {
namespace {

std::int64_t Ahora() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<std::int64_t>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

bool DireccionDe(const std::string& ruta, sockaddr_un& dir) {
    std::memset(&dir, 0, sizeof dir);
    dir.sun_family = AF_UNIX;
    if (ruta.empty() || ruta.size() >= sizeof dir.sun_path) return false;
    std::memcpy(dir.sun_path, ruta.data(), ruta.size());
    return true;
}

// The peer runs as this user.
bool PeerPropio(int fd) {
    ucred c{};
    socklen_t n = sizeof c;
    return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &c, &n) == 0 && c.uid == getuid();
}

class ConexionLinux final : public ConexionLocal {
public:
    explicit ConexionLinux(int fd) : fd_(fd) {}
    ~ConexionLinux() override { close(fd_); }
    int Descriptor() const override { return fd_; }

    bool Enviar(std::string_view bytes, int plazoMs) override {
        const std::int64_t limite = Ahora() + plazoMs;
        std::size_t hecho = 0;
        while (hecho < bytes.size()) {
            const ssize_t n = send(fd_, bytes.data() + hecho, bytes.size() - hecho, MSG_NOSIGNAL);
            if (n > 0) {
                hecho += static_cast<std::size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return false;
            const std::int64_t queda = limite - Ahora();
            if (queda <= 0) return false;
            pollfd p{fd_, POLLOUT, 0};
            if (poll(&p, 1, static_cast<int>(queda)) < 0 && errno != EINTR) return false;
        }
        return true;
    }

    std::ptrdiff_t EnviarSinEsperar(std::string_view bytes) override {
        for (;;) {
            const ssize_t n = send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n >= 0) return n;
            if (errno == EINTR) continue;
            return errno == EAGAIN || errno == EWOULDBLOCK ? 0 : -1;
        }
    }

    bool Recibir(std::string& destino) override {
        char buf[65536];
        for (;;) {
            const ssize_t n = recv(fd_, buf, sizeof buf, MSG_DONTWAIT);
            if (n > 0) {
                destino.append(buf, static_cast<std::size_t>(n));
                continue;
            }
            if (n == 0) return false;
            if (errno == EINTR) continue;
            return errno == EAGAIN || errno == EWOULDBLOCK;
        }
    }

    bool EsperarLectura(int plazoMs) override {
        pollfd p{fd_, POLLIN, 0};
        for (;;) {
            const int r = poll(&p, 1, plazoMs);
            if (r < 0 && errno == EINTR) continue;
            return r > 0;
        }
    }

private:
    int fd_;
};

class EscuchaLinux final : public EscuchaLocal {
public:
    explicit EscuchaLinux(int fd) : fd_(fd) {}
    ~EscuchaLinux() override { close(fd_); }
    int Descriptor() const override { return fd_; }
    std::unique_ptr<ConexionLocal> Aceptar() override {
        for (;;) {
            const int c = accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (c < 0) {
                if (errno == EINTR || errno == ECONNABORTED) continue;
                return nullptr;
            }
            if (PeerPropio(c)) return std::make_unique<ConexionLinux>(c);
            close(c);
        }
    }

private:
    int fd_;
};

// The socket file exists and belongs to this user (and so does its folder).
bool DuenoPropio(const std::string& ruta, bool& existe, bool* esSocket = nullptr) {
    struct stat st {};
    existe = lstat(ruta.c_str(), &st) == 0;
    if (esSocket) *esSocket = existe && S_ISSOCK(st.st_mode);
    if (!existe) return true;
    return st.st_uid == getuid() && S_ISSOCK(st.st_mode);
}

class DespertadorLinux final : public Despertador {
public:
    DespertadorLinux() : fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}
    ~DespertadorLinux() override {
        if (fd_ >= 0) close(fd_);
    }
    int Descriptor() const override { return fd_; }
    void Avisar() override {
        const std::uint64_t uno = 1;
        [[maybe_unused]] const ssize_t n = write(fd_, &uno, sizeof uno);
    }
    void Limpiar() override {
        std::uint64_t v = 0;
        [[maybe_unused]] const ssize_t n = read(fd_, &v, sizeof v);
    }

private:
    int fd_;
};

class CerrojoLinux final : public CerrojoProceso {
public:
    explicit CerrojoLinux(int fd) : fd_(fd) {}
    ~CerrojoLinux() override { close(fd_); }

private:
    int fd_;
};

}  // namespace

std::unique_ptr<CerrojoProceso> TomarCerrojo(const std::string& ruta, long long& duenno) {
    duenno = -1;
    std::error_code ec;
    const std::filesystem::path carpeta = std::filesystem::path(ruta).parent_path();
    if (!carpeta.empty() && !std::filesystem::exists(carpeta, ec)) {
        std::filesystem::create_directories(carpeta, ec);
        std::filesystem::permissions(carpeta, std::filesystem::perms::owner_all, ec);
    }
    const int fd = open(ruta.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return nullptr;
    int r;
    do r = flock(fd, LOCK_EX | LOCK_NB);
    while (r != 0 && errno == EINTR);
    if (r != 0) {
        if (errno == EWOULDBLOCK) {
            // The holder writes its id just after it takes the lock: a moment's grace.
            duenno = 0;
            for (int intento = 0; intento < 50 && duenno <= 0; ++intento) {
                char buf[32] = {};
                if (pread(fd, buf, sizeof buf - 1, 0) > 0) duenno = std::atoll(buf);
                if (duenno <= 0) usleep(1000);
            }
        }
        close(fd);
        return nullptr;
    }
    // The id over the old one, then the old tail cut: a reader never sees an empty file.
    const std::string pid = std::to_string(getpid()) + "\n";
    [[maybe_unused]] const bool escrito = pwrite(fd, pid.data(), pid.size(), 0) == static_cast<ssize_t>(pid.size()) &&
                                          ftruncate(fd, static_cast<off_t>(pid.size())) == 0;
    duenno = getpid();
    return std::make_unique<CerrojoLinux>(fd);
}

std::string RutaEnlaceIndice() {
    const char* r = std::getenv("XDG_RUNTIME_DIR");
    if (!r || r[0] != '/') return {};
    std::string ruta = r;
    if (ruta.back() != '/') ruta += '/';
    return ruta + "MapServiceQx";
}

std::unique_ptr<ConexionLocal> ConectarLocal(const std::string& ruta) {
    sockaddr_un dir{};
    bool existe = false;
    if (!DireccionDe(ruta, dir) || !DuenoPropio(ruta, existe) || !existe) return nullptr;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return nullptr;
    // A local connect either completes at once or fails (EAGAIN: the server's queue is full,
    // it is not taking connections): never wait on a server that hangs.
    int r;
    do r = connect(fd, reinterpret_cast<sockaddr*>(&dir), sizeof dir);
    while (r != 0 && errno == EINTR);
    if (r != 0) {
        close(fd);
        return nullptr;
    }
    if (!PeerPropio(fd)) {
        close(fd);
        return nullptr;
    }
    return std::make_unique<ConexionLinux>(fd);
}

std::unique_ptr<EscuchaLocal> EscucharLocal(const std::string& ruta, ErrorEscucha& error) {
    sockaddr_un dir{};
    error = ErrorEscucha::Sistema;
    if (!DireccionDe(ruta, dir)) return nullptr;
    bool existe = false, esSocket = false;
    if (!DuenoPropio(ruta, existe, &esSocket)) {
        struct stat st {};
        const bool mio = lstat(ruta.c_str(), &st) == 0 && st.st_uid == getuid();
        error = mio && !esSocket ? ErrorEscucha::NoEsSocket : ErrorEscucha::OtroUsuario;
        return nullptr;
    }
    if (existe) {
        if (ConectarLocal(ruta)) {
            error = ErrorEscucha::EnUso;
            return nullptr;
        }
        unlink(ruta.c_str());  // left behind by a server that died
    }
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return nullptr;
    // Owner-only from the moment it exists: no window in which another user could connect.
    const mode_t antes = umask(0177);
    const int r = bind(fd, reinterpret_cast<sockaddr*>(&dir), sizeof dir);
    umask(antes);
    if (r != 0 || listen(fd, 16) != 0) {
        if (r != 0 && errno == EADDRINUSE) error = ErrorEscucha::EnUso;
        close(fd);
        return nullptr;
    }
    error = ErrorEscucha::Ninguno;
    return std::make_unique<EscuchaLinux>(fd);
}

std::unique_ptr<EscuchaLocal> EscuchaHeredada() {
    constexpr int kPrimero = 3;  // the protocol's first descriptor
    const char* pid = std::getenv("LISTEN_PID");
    const char* fds = std::getenv("LISTEN_FDS");
    const bool nuestro = pid && fds && std::atoll(pid) == getpid() && std::atoi(fds) >= 1;
    unsetenv("LISTEN_PID");
    unsetenv("LISTEN_FDS");
    unsetenv("LISTEN_FDNAMES");
    if (!nuestro) return nullptr;
    int escucha = 0, tipo = 0;
    socklen_t n = sizeof escucha, m = sizeof tipo;
    if (getsockopt(kPrimero, SOL_SOCKET, SO_ACCEPTCONN, &escucha, &n) != 0 || !escucha ||
        getsockopt(kPrimero, SOL_SOCKET, SO_TYPE, &tipo, &m) != 0 || tipo != SOCK_STREAM)
        return nullptr;
    // Accepting must never wait: the loop asks until nothing is left.
    fcntl(kPrimero, F_SETFL, fcntl(kPrimero, F_GETFL) | O_NONBLOCK);
    fcntl(kPrimero, F_SETFD, FD_CLOEXEC);
    return std::make_unique<EscuchaLinux>(kPrimero);
}

void QuitarEnlace(const std::string& ruta) {
    bool existe = false;
    if (DuenoPropio(ruta, existe) && existe) unlink(ruta.c_str());
}

std::vector<int> EsperarDescriptores(const std::vector<int>& descriptores, int plazoMs) {
    std::vector<int> escribibles;
    return EsperarDescriptores(descriptores, {}, plazoMs, escribibles);
}

std::vector<int> EsperarDescriptores(const std::vector<int>& leer, const std::vector<int>& escribir,
                                     int plazoMs, std::vector<int>& escribibles) {
    escribibles.clear();
    std::vector<pollfd> p;
    p.reserve(leer.size() + escribir.size());
    for (int d : leer) p.push_back(pollfd{d, POLLIN, 0});
    for (int d : escribir) p.push_back(pollfd{d, POLLOUT, 0});
    int r;
    do r = poll(p.data(), p.size(), plazoMs);
    while (r < 0 && errno == EINTR);
    std::vector<int> listos;
    if (r <= 0) return listos;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const pollfd& x = p[i];
        if (i < leer.size() && (x.revents & (POLLIN | POLLHUP | POLLERR))) listos.push_back(x.fd);
        if (i >= leer.size() && (x.revents & (POLLOUT | POLLHUP | POLLERR))) escribibles.push_back(x.fd);
    }
    return listos;
}

std::unique_ptr<Despertador> CrearDespertador() { return std::make_unique<DespertadorLinux>(); }

int DescriptorSenalesTerminar() {
    sigset_t s;
    sigemptyset(&s);
    sigaddset(&s, SIGTERM);
    sigaddset(&s, SIGINT);
    sigaddset(&s, SIGHUP);
    if (sigprocmask(SIG_BLOCK, &s, nullptr) != 0) return -1;
    return signalfd(-1, &s, SFD_NONBLOCK | SFD_CLOEXEC);
}

int LeerSenal(int descriptor) {
    signalfd_siginfo info{};
    if (read(descriptor, &info, sizeof info) != static_cast<ssize_t>(sizeof info)) return 0;
    return static_cast<int>(info.ssi_signo);
}

bool PrioridadOciosa() {
    sched_param p{};
    const bool cpu = sched_setscheduler(0, SCHED_IDLE, &p) == 0;
    constexpr int kQuienProceso = 1, kClaseOciosa = 3, kDesplClase = 13;  // linux/ioprio.h
    const bool disco = syscall(SYS_ioprio_set, kQuienProceso, 0, kClaseOciosa << kDesplClase) == 0;
    return cpu && disco;
}

std::int64_t MilisegundosMonotonos() { return Ahora(); }

std::int64_t TokenAleatorio() {
    static std::mt19937_64 gen{std::random_device{}() ^ static_cast<std::uint64_t>(Ahora()) ^
                               (static_cast<std::uint64_t>(getpid()) << 32)};
    std::int64_t t;
    do t = static_cast<std::int64_t>(gen() >> 2);
    while (t == 0);
    return t;
}

}  // namespace quirvex
