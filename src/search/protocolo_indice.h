#pragma once
// The quick-search link's wire format. Both ends (the frame and the index server) speak frames
// over a local stream socket: a 16-byte header — data length (u32), message number (u32) and
// wParam (i64), all little-endian — followed by the data bytes. The message numbers are the
// link's own (100..106, 12 for the search text); the server adds a greeting that carries its
// token (the handle the frame compares on every watch tick) and a results frame for the popup.
// LectorTramas never trusts a length it has not bounded: a peer that sends a frame longer than
// the reader's limit, or garbage, puts the reader in error and the connection is closed.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quirvex {

// Frame to server.
inline constexpr std::uint32_t MSG_REGISTRAR = 100;       // wParam: the frame's handle
inline constexpr std::uint32_t MSG_REGISTRAR_FIN = 101;   // wParam 0, right after 100
inline constexpr std::uint32_t MSG_VENTANA_POPUP = 102;   // wParam: the popup's handle
inline constexpr std::uint32_t MSG_TAMANO_POPUP = 103;    // wParam: width * 100000 + height
inline constexpr std::uint32_t MSG_CANCELAR = 104;        // wParam 0
inline constexpr std::uint32_t MSG_BUSCAR = 106;          // wParam 0
// wParam: the request's number; data: a PeticionTodo. Answered by any number of 201 and one 202.
inline constexpr std::uint32_t MSG_BUSCAR_TODO = 107;
inline constexpr std::uint32_t MSG_SETTEXT = 12;          // wParam: the text window; data: text
// Server to frame.
inline constexpr std::uint32_t MSG_SALUDO = 1;            // wParam: the server's token
inline constexpr std::uint32_t MSG_TEXTO_SERVIDOR = 100;  // wParam: the server's text window
inline constexpr std::uint32_t MSG_AVISO_SERVIDOR = 101;  // wParam: -1 when closing
inline constexpr std::uint32_t MSG_ESTADO_SERVIDOR = 102; // wParam: an EstadoServidor
inline constexpr std::uint32_t MSG_RESULTADOS = 200;      // wParam: the popup; data: hits
inline constexpr std::uint32_t MSG_ACIERTOS_TODO = 201;   // wParam: the request; data: hits
inline constexpr std::uint32_t MSG_FIN_TODO = 202;        // wParam: the request; no more hits

// What the server is doing, told to every client when it greets it and when it changes.
enum EstadoServidor : std::int64_t { ESTADO_LISTO = 0, ESTADO_CONSTRUYENDO = 1 };

inline constexpr std::size_t kCabeceraTrama = 16;
// What a frame may carry towards the server (a search text), and towards the frame (hits).
inline constexpr std::size_t kMaxDatosAlServidor = 64 * 1024;
inline constexpr std::size_t kMaxDatosAlMarco = 8 * 1024 * 1024;

struct TramaIndice {
    std::uint32_t mensaje = 0;
    std::int64_t wParam = 0;
    std::string datos;
};

std::string CodificarTrama(std::uint32_t mensaje, std::int64_t wParam, std::string_view datos = {});

// Splits a byte stream into frames. Feed it whatever arrived; take frames until none is whole.
class LectorTramas {
public:
    explicit LectorTramas(std::size_t maxDatos) : maxDatos_(maxDatos) {}
    void Agregar(const char* datos, std::size_t n);
    // The next whole frame, or nothing (incomplete or in error).
    std::optional<TramaIndice> Siguiente();
    bool Error() const { return error_; }
    void Reiniciar();

private:
    std::size_t maxDatos_;
    std::string pendiente_;
    std::size_t inicio_ = 0;
    bool error_ = false;
};

// One hit as the popup lists it. tamano is -1 when the file could not be looked at.
struct AciertoIndice {
    std::string nombre;
    std::string carpeta;  // ends with '/'
    std::int64_t tamano = -1;
    bool esCarpeta = false;
};

struct ResultadosIndice {
    std::string texto;         // the search the hits answer
    std::uint64_t total = 0;   // hits in the whole index (the list holds the first ones)
    std::vector<AciertoIndice> aciertos;
};

std::string CodificarResultados(const ResultadosIndice& r);
// Nothing when the data is not a well-formed list (cut short, lengths past the end, trailing
// bytes).
std::optional<ResultadosIndice> DecodificarResultados(std::string_view datos);

// A search for every file a wildcard pattern matches under some folders (the search tab's
// "Database"): the server streams the hits as 201 frames whose lists are not ranked and whose
// total is 0, then 202.
struct PeticionTodo {
    std::string patron;
    std::vector<std::string> carpetas;  // each ends with '/'
};
std::string CodificarPeticion(const PeticionTodo& p);
std::optional<PeticionTodo> DecodificarPeticion(std::string_view datos);

// True for the messages a client may send the server.
bool MensajeDeCliente(std::uint32_t mensaje);

}  // namespace quirvex
