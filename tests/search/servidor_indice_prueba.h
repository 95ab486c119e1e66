#pragma once
// What the index server's tests share: a real server on its own thread, the frame's real end of
// the link, and a fixture with a temporary tree, a socket and an index file of its own.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "search/enlace_indice.h"
#include "search/servidor_indice.h"
#include "support/carpeta_temporal.h"

namespace quirvex::prueba {

// A server on its own thread, recording every frame its clients send.
class ServidorEnHilo {
public:
    explicit ServidorEnHilo(OpcionesServidor op, ArbolIndice& arbol = ArbolSistema()) : s_(std::move(op), arbol) {
        s_.alRecibir = [this](const TramaIndice& t) {
            std::lock_guard<std::mutex> g(m_);
            recibidas_.push_back(t);
        };
        std::string error;
        listo_ = s_.Preparar(error);
        if (listo_) hilo_ = std::thread([this] { s_.Ejecutar(); });
    }
    ~ServidorEnHilo() { Parar(); }
    void Parar() {
        if (!hilo_.joinable()) return;
        s_.Detener();
        hilo_.join();
    }
    bool Listo() const { return listo_; }
    cServidorIndice& S() { return s_; }
    std::vector<std::uint32_t> Mensajes() {
        std::lock_guard<std::mutex> g(m_);
        std::vector<std::uint32_t> r;
        for (const auto& t : recibidas_) r.push_back(t.mensaje);
        return r;
    }
    std::vector<TramaIndice> Recibidas() {
        std::lock_guard<std::mutex> g(m_);
        return recibidas_;
    }
    void Olvidar() {
        std::lock_guard<std::mutex> g(m_);
        recibidas_.clear();
    }

private:
    cServidorIndice s_;
    std::mutex m_;
    std::vector<TramaIndice> recibidas_;
    std::thread hilo_;
    bool listo_ = false;
};

// Polls until the condition holds, up to a bound far beyond what a busy machine needs.
inline bool Esperar(const std::function<bool()>& condicion) {
    const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!condicion()) {
        if (std::chrono::steady_clock::now() > limite) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// A watch tick and the rest of it: the greeting of a new connection completes it when it comes
// (or its time limit ends it).
inline void Tick(cEnlaceIndice& e) {
    e.tSrv_Timer();
    Esperar([&] {
        if (e.Esperando()) e.tSrv_Timer();
        return !e.Esperando();
    });
}

class ServidorIndice : public ::testing::Test {
protected:
    OpcionesServidor Opciones(std::int64_t token = 0) {
        OpcionesServidor op;
        op.raices = {arbol.Ruta()};
        op.archivoIndice = tmp.Ruta("cache/kartoserv.map");
        op.rutaEnlace = tmp.Ruta("MapServiceQx");
        op.token = token;
        op.guardarTrasMs = 50;
        op.registro = [this](const std::string& l) {
            std::lock_guard<std::mutex> g(mLog);
            log += l + "\n";
        };
        return op;
    }
    std::string Log() {
        std::lock_guard<std::mutex> g(mLog);
        return log;
    }
    // The frame's end: search and wait for the results frame.
    std::optional<ResultadosIndice> Buscar(cEnlaceIndice& e, const std::string& texto) {
        std::optional<ResultadosIndice> r;
        e.alResultados = [&](std::int64_t popup, const ResultadosIndice& x) {
            if (popup == 77 && x.texto == texto) r = x;
        };
        e.Enviar(MSG_VENTANA_POPUP, 77);
        e.Enviar(MSG_TAMANO_POPUP, 300 * 100000 + 200);
        e.Enviar(MSG_SETTEXT, e.hWndTxtServidor(), texto);
        e.Enviar(MSG_BUSCAR, 0);
        Esperar([&] {
            e.LeerPendiente();
            return r.has_value();
        });
        e.alResultados = nullptr;
        return r;
    }
    std::vector<std::string> Nombres(cEnlaceIndice& e, const std::string& texto) {
        std::vector<std::string> n;
        if (auto r = Buscar(e, texto))
            for (const auto& a : r->aciertos) n.push_back(a.carpeta.substr(arbol.Ruta().size()) + a.nombre);
        return n;
    }
    // Registers a fresh link and waits for the server's text window.
    std::unique_ptr<cEnlaceIndice> Enlace() {
        auto e = std::make_unique<cEnlaceIndice>(tmp.Ruta("MapServiceQx"));
        e->SethWndMarco(4242);
        Tick(*e);
        Esperar([&] {
            e->LeerPendiente();
            return e->hWndTxtServidor() != 0;
        });
        return e;
    }

    CarpetaTemporal tmp;
    CarpetaTemporal arbol;
    std::mutex mLog;
    std::string log;
};

}  // namespace quirvex::prueba
