#pragma once
// ServicioSmb: files and folders of network shares, and the browse of the local network.
//
// A share is named like a folder whose path starts with two separators: "//host/share/dir/",
// where host may carry a port ("//127.0.0.1:4450/pub/"). "//host/" itself lists the host's disk
// shares as folders. Every call may reach another machine: the real implementation runs it on a
// thread of its own and gives up after the network time limit, so a server that vanishes or stops
// answering costs at most that long and never hangs the caller. While the caller waits it runs
// the installed EsperaRed, so the window keeps answering.
//
// Error codes are the system's own numbers, as in ArchivosBajoNivel (0 = success).

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/red.h"

namespace quirvex {

using ManejadorSmb = std::int64_t;

// What the credentials dialog says after the server refused the user and password given.
inline constexpr const char* TEXTO_ACCESO_DENEGADO = "Acceso denegado.";

struct EntradaSmb {
    std::string nombre;
    bool carpeta = false;
    std::int64_t tamano = 0;
    std::int64_t modificado = 0;  // nanoseconds since 1970 (UTC)
    std::uint64_t inodo = 0;
    bool soloLectura = false;
};

class ServicioSmb {
public:
    virtual ~ServicioSmb() = default;

    // The entries of a folder ("." and ".." left out), or a host's disk shares.
    virtual int Listar(const std::string& carpeta, std::vector<EntradaSmb>& entradas) = 0;
    virtual int Consultar(const std::string& ruta, EntradaSmb& entrada) = 0;
    // escribir: read and write, created when missing, never truncated. `creado` tells whether
    // this call made the file.
    // After a time-out nobody knows whether the server made the file: `creado` stays false.
    virtual int Abrir(const std::string& ruta, bool escribir, bool& creado, ManejadorSmb& h) = 0;
    // A new file for read and write; EEXIST when the name is taken. The name being new, a
    // file under it whose making timed out is the call's own: the real service removes it by
    // name once the server answers again.
    virtual int CrearNuevo(const std::string& ruta, ManejadorSmb& h) {
        bool creado = false;
        if (const int r = Abrir(ruta, true, creado, h)) return r;
        if (creado) return 0;
        Cerrar(h);
        return EEXIST;
    }
    // Up to n bytes, fewer only at the end of the file; -1 with `error` set.
    virtual std::int64_t Leer(ManejadorSmb h, void* datos, std::size_t n, int& error) = 0;
    // All n bytes or -1 with `error` set.
    virtual std::int64_t Escribir(ManejadorSmb h, const void* datos, std::size_t n, int& error) = 0;
    virtual std::int64_t Posicionar(ManejadorSmb h, std::int64_t desplazamiento, bool desdeInicio,
                                    int& error) = 0;
    virtual int Truncar(ManejadorSmb h, std::int64_t largo) = 0;
    virtual int Cerrar(ManejadorSmb h) = 0;
    virtual int CrearCarpeta(const std::string& ruta) = 0;
    virtual int BorrarArchivo(const std::string& ruta) = 0;
    virtual int BorrarCarpeta(const std::string& ruta) = 0;
    // Both paths on the same share; an existing target file is replaced.
    virtual int Renombrar(const std::string& origen, const std::string& destino) = 0;
    virtual int FijarModificado(const std::string& ruta, std::int64_t modificado) = 0;

    // Groups, their computers and each computer's shares, as far as the network answers.
    virtual std::vector<GrupoRed> ExplorarRed() = 0;

    // The user and password used from now on for `servidor`: "host:port" as the path names it
    // (two servers of one host have logins of their own), or a plain host, which also answers
    // for that host's ports without a login of their own. Empty ones go back to a guest
    // connection. Kept for this run only.
    virtual void SetCredenciales(const std::string& servidor, const std::string& usuario,
                                 const std::string& clave) = 0;
    virtual bool EsAccesoDenegado(int codigo) = 0;
    virtual bool EsTiempoAgotado(int codigo) = 0;
};

ServicioSmb& Smb();
// Replaces the process-wide instance; nullptr restores the real one. For tests.
void SetSmb(ServicioSmb* smb);

// How long one network call may take before it is given up, in milliseconds.
int TiempoLimiteRed();
void SetTiempoLimiteRed(int milisegundos);

// How a caller waits for a network call running on another thread: called with a test that
// turns true once the answer (or the time limit) is there. Without one installed the caller
// just blocks; the window installs one that keeps handling its events meanwhile.
using EsperaRed = std::function<void(const std::function<bool()>& listo)>;
void SetEsperaRed(EsperaRed espera);
void EsperarRed(const std::function<bool()>& listo);
// True while the window's thread is inside EsperarRed: work that would start another load
// from an event handled meanwhile waits for the next turn instead. Waits of other threads (a
// load running off the window's thread) do not count: the window is not inside them.
bool EsperandoRed();
// How many times the window's thread has entered EsperarRed: each is an event loop run inside
// whatever called. The thread that installs an EsperaRed is the window's; with none installed,
// every thread counts.
std::uint64_t EsperasRedEnVentana();

// How work done on another thread hands its answer back to the window's thread: the window
// installs one that queues the callable on its event loop. Without one nothing can come back,
// and callers wait in place through EsperarRed.
using EntregaVentana = std::function<void(std::function<void()>)>;
void SetEntregaVentana(EntregaVentana entrega);
bool HayEntregaVentana();
// Queues `alLlegar` to run on the window's thread; false (dropped) when nothing is installed.
bool EntregarEnVentana(std::function<void()> alLlegar);
// Setting it gives up every network wait under way at once, as past its time limit: the
// program is quitting and waits for no server. Later calls wait as usual, so what the quit
// itself asks (removing a canceled copy's partial file) still reaches a server that answers.
// It stays set, telling a load that failed not to say so, until a new frame clears it.
void CortarEsperasRed(bool cortar);
bool EsperasRedCortadas();
// Counts the cuts: a wait is given up when it changes while the wait is under way.
std::uint64_t CortesEsperasRed();

// Whether every name of the path is valid UTF-8: a share keeps names as text, so one that is
// not (a local file's exact bytes) cannot be written there. The service refuses such a path
// with ErrorNombreRed() before it reaches the server.
bool EsNombreRedValido(const std::string& ruta);
int ErrorNombreRed();

// Whether a path names something on a network share ("//host/...").
bool EsRutaRed(const std::string& ruta);
// The host of such a path, without a port; empty for another path.
std::string ServidorDeRuta(const std::string& ruta);
// "host:port" of such a path (the host alone without a port): what a login is kept under.
std::string ClaveLoginDeRuta(const std::string& ruta);
// "//host:port" of such a path: the computer as the network list names it.
std::string EquipoDeRuta(const std::string& ruta);
// "smb://host:port/share/a%20b": such a path as a URL, every byte but the unreserved ones
// escaped, so that no name can be taken for a user, an option or an escape.
std::string UrlSmb(const std::string& ruta);
// The steps of such a path below the network: "host:port", the share, its folders.
std::vector<std::string> PartesRutaRed(const std::string& ruta);
// The folder of step `indice` of PartesRutaRed ("//host:port/" for 0), ending in '/'; empty
// past the last one.
std::string RutaRedDeParte(const std::string& ruta, int indice);
// Whether such a path stops at the host ("//host" or "//host/"): it lists the host's shares.
bool EsRutaEquipo(const std::string& ruta);

// Computers reached by path during this run, in the order they were first reached: a server
// on a network without a browse master is still listed once the user has opened it.
std::vector<std::string> EquiposVisitados();
void RecordarEquipo(const std::string& equipo);

}  // namespace quirvex
