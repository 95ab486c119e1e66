#pragma once
// The local socket that joins the frame and the index server, and the few process services the
// server's loop needs (waiting on several descriptors, being woken, hearing the termination
// signals). The socket lives in $XDG_RUNTIME_DIR with owner-only permissions; a socket file owned
// by another user is never connected to nor removed, and a peer of another user is refused.
//
// Every send is bounded by a time limit: a peer that stops reading makes Enviar fail (and the
// connection is then useless), it never blocks the caller for longer than the limit.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quirvex {

class ConexionLocal {
public:
    virtual ~ConexionLocal() = default;
    virtual int Descriptor() const = 0;
    // Writes every byte within plazoMs; false when the peer is gone or too slow.
    virtual bool Enviar(std::string_view bytes, int plazoMs) = 0;
    // Writes what the socket takes now without waiting: the number of bytes taken (0 when its
    // buffer is full), -1 when the peer is gone.
    virtual std::ptrdiff_t EnviarSinEsperar(std::string_view bytes) = 0;
    // Appends what is waiting without blocking; false when the peer closed or on error (what
    // arrived before the close is still appended).
    virtual bool Recibir(std::string& destino) = 0;
    // Waits up to plazoMs for something to read (or the close); false on timeout.
    virtual bool EsperarLectura(int plazoMs) = 0;
};

class EscuchaLocal {
public:
    virtual ~EscuchaLocal() = default;
    virtual int Descriptor() const = 0;
    // The next waiting connection; nullptr when none waits or the peer belongs to another user.
    virtual std::unique_ptr<ConexionLocal> Aceptar() = 0;
};

enum class ErrorEscucha {
    Ninguno,
    EnUso,        // another server answers on the socket
    OtroUsuario,  // the socket file (or its folder) belongs to another user
    NoEsSocket,   // the user's own file of another kind (a folder, a plain file) is in the way
    Sistema,      // the socket could not be made
};

// $XDG_RUNTIME_DIR/MapServiceQx; empty when the variable is unset or not an absolute path.
std::string RutaEnlaceIndice();

// Connects without waiting on the server; nullptr when nothing listens, the server takes no
// connections, or the socket is not the user's own.
std::unique_ptr<ConexionLocal> ConectarLocal(const std::string& ruta);
// Listens on ruta (mode 0600). A stale socket of the same user is replaced.
std::unique_ptr<EscuchaLocal> EscucharLocal(const std::string& ruta, ErrorEscucha& error);
// The listening socket the service manager handed over (socket activation: LISTEN_PID and
// LISTEN_FDS name this process, the socket is descriptor 3); nullptr when none was. The
// variables are cleared so that no child takes the socket for its own.
std::unique_ptr<EscuchaLocal> EscuchaHeredada();
// Removes the socket file, when it is still the one this process made.
void QuitarEnlace(const std::string& ruta);

// An exclusive lock on a file (flock) for as long as the object lives. The file holds the
// holder's process id, so whoever finds it taken can say who holds it. The file stays when the
// lock goes (removing it would let two comers lock two different files).
class CerrojoProceso {
public:
    virtual ~CerrojoProceso() = default;
};
// The lock on `ruta` (its folder is made when missing); nullptr when another process holds it
// (`duenno` gets that process's id, 0 when it has not written it yet) or the file cannot be
// made (`duenno` -1).
std::unique_ptr<CerrojoProceso> TomarCerrojo(const std::string& ruta, long long& duenno);

// The descriptors among `descriptores` that are readable or closed, after waiting at most
// plazoMs (-1: no limit) for the first one.
std::vector<int> EsperarDescriptores(const std::vector<int>& descriptores, int plazoMs);
// The same, also waiting for any of `escribir` to take more bytes; those that can are put in
// `escribibles`.
std::vector<int> EsperarDescriptores(const std::vector<int>& leer, const std::vector<int>& escribir,
                                     int plazoMs, std::vector<int>& escribibles);

// A descriptor that becomes readable when Avisar is called (from any thread).
class Despertador {
public:
    virtual ~Despertador() = default;
    virtual int Descriptor() const = 0;
    virtual void Avisar() = 0;
    virtual void Limpiar() = 0;
};
std::unique_ptr<Despertador> CrearDespertador();

// Routes SIGTERM, SIGINT and SIGHUP of this process to a readable descriptor instead of the
// default action. Returns -1 when it cannot. The descriptor is emptied by LeerSenal, which
// returns the signal number (0 when none was waiting).
int DescriptorSenalesTerminar();
int LeerSenal(int descriptor);

// Moves this process to the idle processor policy and the idle disk class: it runs only when
// nothing else wants the machine. False when the system refused either.
bool PrioridadOciosa();

std::int64_t MilisegundosMonotonos();
// A random number that the server uses as its handles; never 0 and never negative.
std::int64_t TokenAleatorio();

}  // namespace quirvex
