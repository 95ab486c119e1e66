#pragma once
// cServidorIndice: the index server's work — the map of names (cIndiceNombres), kept in one
// file and kept current, and the link's server side. One thread runs Ejecutar; Detener may be
// called from any other.
//
// The link: a client that connects is greeted with the server's token; 100 (the frame's
// handle) is answered with 100 and the token of the search text; 12 sets the text when it names
// that token; 102 names the popup; 106 sends the popup the first hits as one results frame;
// 104 drops the text. A client that sends anything else, or a frame longer than a search text
// may be, is disconnected. When the server ends, every client gets 101 with -1.
//
// Keeping current: inotify on as many folders as the watch limit allows (the user's home first),
// a folder listed again as soon as its entries change; the other folders are looked at every
// `revisarCadaMs` and listed again only when their modification time moved. The file is written
// atomically a while after the last change, and on the way out.

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

namespace quirvex {

struct OpcionesServidor {
    std::vector<std::string> raices;  // empty: every local volume of the drive table
    std::string archivoIndice;        // empty: ArchivoIndicePorDefecto()
    std::string rutaEnlace;           // empty: RutaEnlaceIndice()
    std::int64_t token = 0;           // 0: a random one
    int revisarCadaMs = 10 * 60 * 1000;
    int guardarTrasMs = 30 * 1000;
    bool vigilar = true;
    std::size_t maxAciertos = 100;
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

    // Loads the saved index (or builds it when there is none, or it is damaged) and opens the
    // socket. False with a message when the socket cannot be had.
    bool Preparar(std::string& error);
    // Serves until Detener or a signal read from descriptorSenales (-1: none).
    void Ejecutar(int descriptorSenales = -1);
    void Detener();

    std::int64_t Token() const { return token_; }
    std::int64_t TokenTexto() const { return tokenTexto_; }
    const cIndiceNombres& Indice() const { return indice_; }
    bool CargadoDeArchivo() const { return cargado_; }
    // Every frame a client sent, before it is handled. For tests that record the link.
    std::function<void(const TramaIndice&)> alRecibir;

    // The hits for a text, as the popup gets them. Public for the benchmark.
    ResultadosIndice Resultados(const std::string& texto) const;

private:
    struct Cliente;
    void Log(const std::string& linea) const;
    void Aceptar();
    bool Atender(Cliente& c);
    bool Manejar(Cliente& c, const TramaIndice& t);
    void CambiosVigilados();
    void Vigilar(const std::vector<std::uint32_t>& carpetas);
    void VigilarTodo();
    void Guardar();
    void Marcar();

    OpcionesServidor op_;
    ArbolIndice& arbol_;
    cIndiceNombres indice_;
    std::unique_ptr<EscuchaLocal> escucha_;
    std::unique_ptr<Despertador> despertador_;
    std::unique_ptr<VigilanteCarpetas> vigilante_;
    std::vector<std::unique_ptr<Cliente>> clientes_;
    std::vector<int> vigilada_;  // per folder: its watch, or -1
    std::int64_t token_ = 0;
    std::int64_t tokenTexto_ = 0;
    std::atomic<bool> parar_{false};
    bool cargado_ = false;
    bool sucio_ = false;
    std::int64_t ultimoCambio_ = 0;
    std::int64_t proximaRevision_ = 0;
};

}  // namespace quirvex
