#pragma once
// cEnlaceIndice: the frame's end of the quick-search link. It keeps the two values the frame
// knows of the index server — hWndServidor (the server's token, 0 when there is none) and
// hWndTxtServidor (its search-text token, 0 until the server sent it) — and the connection.
//
// Nothing here waits on the server (interface thread only): the watch tick connects without
// waiting, and the server's greeting is read when it comes (LeerPendiente, called by the window
// when Descriptor() becomes readable), which completes the tick's registration. Sends are queued
// and written as the socket takes them (EscribirPendiente, when it becomes writable). The time
// limit (kPlazoMs) applies to the server, not to the window: a server that does not greet, or
// does not take what was sent, within it is dropped; the next watch tick looks for it again.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/enlace_local.h"
#include "search/protocolo_indice.h"

namespace quirvex {

class cEnlaceIndice {
public:
    static constexpr int kPlazoMs = 250;
    // More than this waiting to be sent: the server is not reading, and is dropped.
    static constexpr std::size_t kMaxPorEnviar = 1 << 20;

    explicit cEnlaceIndice(std::string rutaEnlace = RutaEnlaceIndice());
    ~cEnlaceIndice();

    // The frame's own handle, sent with 100.
    void SethWndMarco(std::int64_t h) { hWndMarco_ = h; }

    // Looks the server up, waiting up to kPlazoMs for its greeting: its token, or 0 when none
    // answers. Keeps the connection. For start-up and one-off queries, not for the watch.
    std::int64_t BuscarServidor();
    // The watch tick, without waiting: when the server found differs from hWndServidor, store it
    // and, when it is not 0, register (100 with the frame's handle, then 101 with 0). A new
    // connection's greeting completes the tick when it arrives.
    void tSrv_Timer();
    // A new connection waits for its greeting.
    bool Esperando() const { return con_ && tokenConexion_ == 0; }
    // Connects without waiting unless connected already; false when no server takes the
    // connection. For a search of its own (the greeting is read when it comes).
    bool Conectar();
    // A new connection whose greeting did not come within kPlazoMs, or a queue the server did
    // not take in time: the server is hung.
    bool Vencido() const;
    // Stores `servidor` (as found by BuscarServidor) and registers with it: start-up's step
    // for a server that was already running.
    void Registrar(std::int64_t servidor);

    // Queues one frame and writes what the socket takes now; false when there is no connection
    // or the server has not taken what was queued before in time (the connection is then
    // dropped).
    bool Enviar(std::uint32_t mensaje, std::int64_t wParam, std::string_view datos = {});
    // Writes more of the queue (the socket became writable).
    void EscribirPendiente();
    bool QuiereEscribir() const { return !porEnviar_.empty(); }
    // Reads what the server sent: the greeting, 100 and 101 (to MessageReceived), results (to
    // alResultados).
    void LeerPendiente();
    void MessageReceived(std::uint32_t mensaje, std::int64_t wParam);

    std::int64_t hWndServidor() const { return hWndServidor_; }
    // What the server last said it is doing.
    EstadoServidor Estado() const { return estado_; }
    std::int64_t hWndTxtServidor() const { return hWndTxtServidor_; }
    // The connection's descriptor, -1 when there is none.
    int Descriptor() const;

    // Results for the popup whose handle is given.
    std::function<void(std::int64_t popup, const ResultadosIndice&)> alResultados;
    // A search for every hit (107): a slice of the hits, and its end.
    std::function<void(std::int64_t peticion, const ResultadosIndice&)> alAciertosTodo;
    std::function<void(std::int64_t peticion)> alFinTodo;
    // The server's state changed.
    std::function<void()> alCambiarEstado;
    // The connection was made or dropped (the window re-arms its notifier).
    std::function<void()> alCambiarConexion;
    // Something is, or is no longer, waiting to be written (the window watches for writability).
    std::function<void()> alCambiarEscritura;

private:
    void Soltar();
    void Procesar();
    void Encontrado(std::int64_t servidor);
    void Tomar(std::unique_ptr<ConexionLocal> con, bool delTick);

    std::string ruta_;
    std::unique_ptr<ConexionLocal> con_;
    LectorTramas lector_{kMaxDatosAlMarco};
    std::int64_t tokenConexion_ = 0;
    std::int64_t limiteSaludo_ = 0;
    bool delTick_ = false;  // the connection was made by the watch tick, which its greeting ends
    std::string porEnviar_;
    std::int64_t limiteEnvio_ = 0;  // what is queued must be taken by then
    std::int64_t hWndMarco_ = 0;
    std::int64_t hWndServidor_ = 0;
    std::int64_t hWndTxtServidor_ = 0;
    EstadoServidor estado_ = ESTADO_LISTO;
};

// One search outside the window, waiting for its answer (tests and tools): its own connection,
// registration and request, the hits the server sends a popup (the first ones, ranked, with the
// total), all within plazoMs; nothing when no server answers in time. The search tab does not
// wait: it uses cConsultaIndice.
std::optional<ResultadosIndice> ConsultarServidorIndice(const std::string& texto, int plazoMs = 2000,
                                                        const std::string& rutaEnlace = RutaEnlaceIndice());

}  // namespace quirvex
