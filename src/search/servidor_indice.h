#pragma once
// cServidorIndice: the index server's work — the map of names (cIndiceNombres), kept in one
// file and kept current, and the link's server side. One thread runs Ejecutar; Detener may be
// called from any other.
//
// The link: a client that connects is greeted with the server's token; 100 (the frame's
// handle) is answered with 100 and the token of the search text; 12 sets the text when it names
// that token; 102 names the popup; 106 sends the popup the first hits as one results frame;
// 104 drops the text; 107 streams every file a pattern matches under some folders, a slice at a
// time while the client takes them, between the other work of the loop. Each client is greeted
// with the server's state (102), told again when it changes: while the first index is built the
// server greets and answers 100, says it is building, and ends a 107 with no hits. A client that
// sends anything else, or a frame longer than a search text may be, is disconnected.
//
// Nothing is sent to a client with a wait: what it has not taken yet waits in its own queue, so
// a client that does not read never holds up the others; one whose queue passes `maxCola` is
// dropped. When the server ends, every client gets 101 with -1.
//
// Keeping current: inotify on as many folders as half the user's watch limit allows (the user's
// home first), each watch added before its folder is listed, a folder listed again as soon as its
// entries change; the other folders (and any listed before its watch existed) are looked at every
// `revisarCadaMs` and listed again only when their modification time moved. The file is written
// atomically a while after the last change, and on the way out.
//
// No client waits for the end of the slow work. Builds, rescans and the listings a change calls for
// run on the loop's thread and stop every few milliseconds, between two folders (where the index
// is whole), to serve the clients; a half-made first index answers no query. The save reads the
// index on a thread of its own and writes the file there; until it has read it, the loop only
// reads the index too (changes wait in the watcher's queue, rescans wait their turn). The sizes
// of a query's hits are looked up on other threads; the client gets its answer when they are,
// and its later frames are handled after that, so it hears everything in the order it asked.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/arbol_indice.h"
#include "platform/enlace_local.h"
#include "search/indice_nombres.h"
#include "search/protocolo_indice.h"
#include "search/trabajos_fondo.h"

namespace quirvex {

struct OpcionesServidor {
    std::vector<std::string> raices;  // empty: every local volume of the drive table
    std::string archivoIndice;        // empty: ArchivoIndicePorDefecto()
    std::string rutaEnlace;           // empty: RutaEnlaceIndice()
    std::int64_t token = 0;           // 0: a random one
    // A look at a folder is one stat: often enough that a change in an unwatched folder shows
    // within a minute.
    int revisarCadaMs = 60 * 1000;
    int guardarTrasMs = 30 * 1000;
    bool vigilar = true;
    std::size_t maxAciertos = 100;
    // What may wait to be sent to one client before it is dropped as one that does not read.
    std::size_t maxCola = 4 << 20;
    // The index's name buffer limit (0: what its positions can tell). Lower in tests.
    std::size_t limiteBuffer = 0;
    // Where termination signals are read from (DescriptorSenalesTerminar), -1 for none: heard
    // during the first build as well as while serving.
    int descriptorSenales = -1;
    std::function<void(const std::string&)> registro;  // one line per event worth a log line
};

// $XDG_CACHE_HOME/Ubrel/kartoserv.map (~/.cache when the variable is unset or relative).
std::string ArchivoIndicePorDefecto();
// The mount points of the local volumes in the drive table (remote ones left out).
std::vector<std::string> RaicesLocales();

class cServidorIndice {
public:
    explicit cServidorIndice(OpcionesServidor op, ArbolIndice& arbol = ArbolSistema());
    ~cServidorIndice();

    // Takes the locks of the socket and of the index file (before anything else: one server per
    // socket and per index), opens the socket, and loads the saved index (or builds it when
    // there is none, or it is damaged). False with a message when the socket or a lock cannot be
    // had, or when Detener or a signal came first (a build stopped so is never saved: the last
    // complete index file stays as it was).
    bool Preparar(std::string& error);
    // Serves until Detener or a signal (descriptorSenales; -1 keeps the one of the options).
    void Ejecutar(int descriptorSenales = -1);
    // From any thread, at any moment: the work stops at the next folder.
    void Detener();
    // After Preparar failed: the process id of the server that holds the socket or the index
    // (0 when it did not fail that way, -1 when its id is unknown).
    long long OtroServidor() const { return otroServidor_; }
    // After Preparar failed: it was told to stop.
    bool Detenido() const { return parar_; }

    std::int64_t Token() const { return token_; }
    std::int64_t TokenTexto() const { return tokenTexto_; }
    const cIndiceNombres& Indice() const { return indice_; }
    bool CargadoDeArchivo() const { return cargado_; }
    // Every frame a client sent, before it is handled. For tests that record the link.
    std::function<void(const TramaIndice&)> alRecibir;

    // The hits for a text, as the popup gets them (sizes included).
    ResultadosIndice Resultados(const std::string& texto) const;

private:
    struct Cliente;
    struct BusquedaTodo;
    void Log(const std::string& linea) const;
    // Takes every waiting connection; when none can be taken the socket is left alone a while.
    void Aceptar();
    bool Escuchando() const;
    bool Atender(Cliente& c);
    // Handles the frames that arrived, up to one that waits for an answer.
    bool Procesar(Cliente& c);
    bool Manejar(Cliente& c, const TramaIndice& t);
    // The hits without their sizes, and the sizes of hits [desde, hasta) (on any thread).
    ResultadosIndice Aciertos(const std::string& texto) const;
    void PonerTamanos(ResultadosIndice& r, std::size_t desde, std::size_t hasta) const;
    // A query: the sizes are looked up away from the loop, a piece on each thread, then the
    // last piece done has Responder send the answer.
    void Consultar(Cliente& c);
    void Responder(std::uint64_t serie, std::int64_t popup, const ResultadosIndice& r);
    // Runs what the threads handed back; drops the clients that are done.
    void RecogerTrabajos();
    // Queues a frame and writes what the socket takes now; false when the client is to go.
    bool Poner(Cliente& c, std::uint32_t mensaje, std::int64_t wParam, std::string_view datos = {});
    bool Escribir(Cliente& c);
    void EmpezarTodo(Cliente& c, std::int64_t id, const PeticionTodo& p);
    // The next slice of a client's 107; false when the client is to go.
    bool Avanzar(Cliente& c);
    // Reads, writes and accepts for `listos`/`escribibles`; drops the clients that are done.
    void AtenderClientes(const std::vector<int>& listos, const std::vector<int>& escribibles);
    // During the slow work: the clients are served between two folders.
    void AtenderEntreCarpetas();
    // How long the loop may sleep when nothing happens.
    int Espera() const;
    void Revision();
    void CambiarEstado(EstadoServidor e);
    void CambiosVigilados();
    void Vigilar(const std::vector<std::uint32_t>& carpetas);
    // Watches one folder unless it is watched already; true when it is watched.
    bool VigilarUna(std::uint32_t id, const std::string& ruta);
    // Rescans look at the folders that are not watched or whose listing is not confirmed.
    std::function<bool(std::uint32_t)> PorConfirmar() const;
    std::size_t MaxVigilancias() const;
    void VigilarTodo();
    // Hands the save to the writer's thread; GuardarAhora writes on this one.
    void Guardar();
    void GuardarAhora();
    bool EscribirImagen(std::uint64_t& bytes) const;
    void Guardado(bool ok, std::size_t nombres, std::uint64_t bytes);
    void Marcar();
    bool DebeParar();
    bool TomarCerrojos(std::string& error);
    // A log line when names were left out since the last look.
    void AvisarDescartados();

    OpcionesServidor op_;
    ArbolIndice& arbol_;
    cIndiceNombres indice_;
    std::unique_ptr<CerrojoProceso> cerrojoEnlace_, cerrojoIndice_;
    std::unique_ptr<EscuchaLocal> escucha_;
    std::unique_ptr<Despertador> despertador_;
    std::unique_ptr<VigilanteCarpetas> vigilante_;
    std::vector<std::unique_ptr<Cliente>> clientes_;
    std::vector<int> vigilada_;  // per folder: its watch, or -1
    std::int64_t token_ = 0;
    std::int64_t tokenTexto_ = 0;
    std::string home_;
    std::atomic<bool> parar_{false};
    bool construyendo_ = false;
    // Slow work under way: DebeParar serves the clients between folders.
    bool ocupado_ = false;
    // A save is under way; the writer's thread reads the index (nothing may change it).
    bool guardando_ = false;
    bool leyendo_ = false;
    std::uint64_t proximaSerie_ = 0;
    bool heredada_ = false;
    long long otroServidor_ = 0;
    std::int64_t proximaSenal_ = 0;
    std::int64_t proximaAtencion_ = 0;
    std::int64_t pausaEscucha_ = 0;
    std::size_t descartadosDichos_ = 0;
    bool cargado_ = false;
    bool sucio_ = false;
    std::int64_t ultimoCambio_ = 0;
    std::int64_t proximaRevision_ = 0;
    // Last: their threads end before anything they use goes.
    std::unique_ptr<cTrabajosFondo> escritor_, tamanos_;
};

}  // namespace quirvex
