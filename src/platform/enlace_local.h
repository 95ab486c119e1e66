#pragma once
// The local socket that joins the frame and the index server, and the few process services the
// server's loop needs (waiting on several descriptors, being woken, hearing the termination
// signals). The socket lives in $XDG_RUNTIME_DIR with owner-only permissions; a socket file owned
// by another user is never connected to nor removed, and a peer of another user is refused.
//
// Every send is bounded by a time limit: a peer that stops reading makes Enviar fail (and the
// connection is then useless), it never blocks the caller for longer than the limit.

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
    Sistema,      // the socket could not be made
};

// $XDG_RUNTIME_DIR/MapServiceQx; empty when the variable is unset or not an absolute path.
std::string RutaEnlaceIndice();

// Connects without waiting on the server; nullptr when nothing listens, the server takes no
// connections, or the socket is not the user's own.
std::unique_ptr<ConexionLocal> ConectarLocal(const std::string& ruta);
// Listens on ruta (mode 0600). A stale socket of the same user is replaced.
std::unique_ptr<EscuchaLocal> EscucharLocal(const std::string& ruta, ErrorEscucha& error);
// Removes the socket file, when it is still the one this process made.
void QuitarEnlace(const std::string& ruta);

// The descriptors among `descriptores` that are readable or closed, after waiting at most
// plazoMs (-1: no limit) for the first one.
std::vector<int> EsperarDescriptores(const std::vector<int>& descriptores, int plazoMs);

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

std::int64_t MilisegundosMonotonos();
// A random number that the server uses as its handles; never 0 and never negative.
std::int64_t TokenAleatorio();

}  // namespace quirvex
