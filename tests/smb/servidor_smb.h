#pragma once
// What the tests against the private loopback SMB server (tools/con_smbd.sh) share: where the
// server is, how to freeze and thaw it, and the real service without the workgroup browse,
// counting the calls that reach the server.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/smb.h"

namespace quirvex::prueba {

inline std::string Variable(const char* nombre) {
    const char* v = std::getenv(nombre);
    return v ? v : "";
}

// Why the tests cannot run here, or empty when the server is there.
inline std::string SinServidorSmb() {
    if (!Variable("QUIRVEX_SMB_FALLO").empty()) return "no SMB server: " + Variable("QUIRVEX_SMB_FALLO");
    if (Variable("QUIRVEX_SMB_DIR").empty()) return "no SMB server: run through tools/con_smbd.sh";
    return {};
}

// Freezes or thaws the whole server (every process of its group).
inline void Senal(const char* senal) {
    const std::string orden =
        std::string("/bin/kill -s ") + senal + " -- -" + Variable("QUIRVEX_SMB_PGID");
    ASSERT_EQ(std::system(orden.c_str()), 0) << orden;
}

// Polls until the condition holds, up to a bound far beyond what a busy machine needs.
inline bool HastaQue(const std::function<bool()>& condicion, int segundos = 120) {
    const auto fin = std::chrono::steady_clock::now() + std::chrono::seconds(segundos);
    while (!condicion()) {
        if (std::chrono::steady_clock::now() >= fin) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

// Everything of the real service but the workgroup browse, which would send name queries to
// whatever network this machine is on. Counts the calls that name a path or a handle.
class SmbSinExplorar final : public ServicioSmb {
public:
    explicit SmbSinExplorar(ServicioSmb& real) : r_(real) {}
    int Listar(const std::string& c, std::vector<EntradaSmb>& e) override { return ++llamadas, r_.Listar(c, e); }
    int Consultar(const std::string& ruta, EntradaSmb& e) override { return ++llamadas, r_.Consultar(ruta, e); }
    int Abrir(const std::string& ruta, bool w, bool& c, ManejadorSmb& h) override {
        return ++llamadas, r_.Abrir(ruta, w, c, h);
    }
    int CrearNuevo(const std::string& ruta, ManejadorSmb& h) override { return ++llamadas, r_.CrearNuevo(ruta, h); }
    std::int64_t Leer(ManejadorSmb h, void* d, std::size_t n, int& e) override { return r_.Leer(h, d, n, e); }
    std::int64_t Escribir(ManejadorSmb h, const void* d, std::size_t n, int& e) override {
        return r_.Escribir(h, d, n, e);
    }
    std::int64_t Posicionar(ManejadorSmb h, std::int64_t d, bool i, int& e) override {
        return r_.Posicionar(h, d, i, e);
    }
    int Truncar(ManejadorSmb h, std::int64_t l) override { return r_.Truncar(h, l); }
    int Cerrar(ManejadorSmb h) override { return r_.Cerrar(h); }
    int CrearCarpeta(const std::string& ruta) override { return ++llamadas, r_.CrearCarpeta(ruta); }
    int BorrarArchivo(const std::string& ruta) override { return ++llamadas, r_.BorrarArchivo(ruta); }
    int BorrarCarpeta(const std::string& ruta) override { return ++llamadas, r_.BorrarCarpeta(ruta); }
    int Renombrar(const std::string& a, const std::string& b) override { return ++llamadas, r_.Renombrar(a, b); }
    int FijarModificado(const std::string& ruta, std::int64_t m) override { return r_.FijarModificado(ruta, m); }
    std::vector<GrupoRed> ExplorarRed() override { return {}; }
    void SetCredenciales(const std::string& s, const std::string& u, const std::string& c) override {
        r_.SetCredenciales(s, u, c);
    }
    bool EsAccesoDenegado(int c) override { return r_.EsAccesoDenegado(c); }
    bool EsTiempoAgotado(int c) override { return r_.EsTiempoAgotado(c); }

    std::atomic<int> llamadas{0};

private:
    ServicioSmb& r_;
};

}  // namespace quirvex::prueba
