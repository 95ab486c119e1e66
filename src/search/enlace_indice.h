#pragma once
// cEnlaceIndice: the frame's end of the quick-search link. It keeps the two values the frame
// knows of the index server — hWndServidor (the server's token, 0 when there is none) and
// hWndTxtServidor (its search-text token, 0 until the server sent it) — and the connection.
//
// Every send is bounded (kPlazoMs): a server that stops reading, or never greets, costs the
// frame at most that long and is then dropped; the next watch tick looks for it again. Nothing
// here ever blocks without a limit. Interface thread only; the window calls LeerPendiente when
// Descriptor() becomes readable and tSrv_Timer on every tick of its watch timer.

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

    explicit cEnlaceIndice(std::string rutaEnlace = RutaEnlaceIndice());
    ~cEnlaceIndice();

    // The frame's own handle, sent with 100.
    void SethWndMarco(std::int64_t h) { hWndMarco_ = h; }

    // Looks the server up: its token, or 0 when none answers. Keeps the connection.
    std::int64_t BuscarServidor();
    // The watch tick: when the server found differs from hWndServidor, store it and, when it
    // is not 0, register (100 with the frame's handle, then 101 with 0).
    void tSrv_Timer();
    // Stores `servidor` (as found by BuscarServidor) and registers with it: start-up's step
    // for a server that was already running.
    void Registrar(std::int64_t servidor);

    // Sends one frame; false when there is no connection or the send did not finish in time
    // (the connection is then dropped).
    bool Enviar(std::uint32_t mensaje, std::int64_t wParam, std::string_view datos = {});
    // Reads what the server sent: 100 and 101 go to MessageReceived, results to alResultados.
    void LeerPendiente();
    void MessageReceived(std::uint32_t mensaje, std::int64_t wParam);

    std::int64_t hWndServidor() const { return hWndServidor_; }
    std::int64_t hWndTxtServidor() const { return hWndTxtServidor_; }
    // The connection's descriptor, -1 when there is none.
    int Descriptor() const;

    // Results for the popup whose handle is given.
    std::function<void(std::int64_t popup, const ResultadosIndice&)> alResultados;
    // The connection was made or dropped (the window re-arms its notifier).
    std::function<void()> alCambiarConexion;

private:
    void Soltar();
    void Procesar();

    std::string ruta_;
    std::unique_ptr<ConexionLocal> con_;
    LectorTramas lector_{kMaxDatosAlMarco};
    std::int64_t tokenConexion_ = 0;
    std::int64_t hWndMarco_ = 0;
    std::int64_t hWndServidor_ = 0;
    std::int64_t hWndTxtServidor_ = 0;
};

// One search outside the quick-search box (the file search tab's "Database" source): its own
// connection, registration and request, the hits the server sends a popup (the first ones,
// ranked, with the total), all within plazoMs; nothing when no server answers in time.
std::optional<ResultadosIndice> ConsultarServidorIndice(const std::string& texto, int plazoMs = 2000,
                                                        const std::string& rutaEnlace = RutaEnlaceIndice());

}  // namespace quirvex
