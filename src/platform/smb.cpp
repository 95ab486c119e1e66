#include "platform/smb.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

namespace quirvex {
namespace {

std::atomic<int> g_limite{15000};
std::atomic<int> g_esperando{0};

std::mutex& MutexEspera() {
    static std::mutex m;
    return m;
}

EsperaRed& Espera() {
    static EsperaRed espera;
    return espera;
}

std::mutex& MutexEquipos() {
    static std::mutex m;
    return m;
}

std::vector<std::string>& Equipos() {
    static std::vector<std::string> equipos;
    return equipos;
}

}  // namespace

int TiempoLimiteRed() { return g_limite.load(); }
void SetTiempoLimiteRed(int milisegundos) { g_limite.store(milisegundos > 0 ? milisegundos : 1); }

void SetEsperaRed(EsperaRed espera) {
    std::lock_guard<std::mutex> l(MutexEspera());
    Espera() = std::move(espera);
}

void EsperarRed(const std::function<bool()>& listo) {
    EsperaRed espera;
    {
        std::lock_guard<std::mutex> l(MutexEspera());
        espera = Espera();
    }
    ++g_esperando;
    if (espera) espera(listo);
    // Whatever the installed wait did, the caller leaves only with the answer there.
    while (!listo()) std::this_thread::sleep_for(std::chrono::microseconds(200));
    --g_esperando;
}

bool EsperandoRed() { return g_esperando.load() > 0; }

bool EsRutaRed(const std::string& ruta) {
    return ruta.size() > 2 && ruta[0] == '/' && ruta[1] == '/' && ruta[2] != '/';
}

std::string EquipoDeRuta(const std::string& ruta) {
    if (!EsRutaRed(ruta)) return {};
    const auto barra = ruta.find('/', 2);
    return barra == std::string::npos ? ruta : ruta.substr(0, barra);
}

std::string ServidorDeRuta(const std::string& ruta) {
    std::string equipo = EquipoDeRuta(ruta);
    if (equipo.empty()) return {};
    equipo.erase(0, 2);
    // "[::1]:4450" keeps its brackets' colons; a plain host loses its port.
    if (!equipo.empty() && equipo.front() == '[') {
        const auto cierre = equipo.find(']');
        return cierre == std::string::npos ? equipo : equipo.substr(0, cierre + 1);
    }
    const auto dos = equipo.find(':');
    return dos == std::string::npos ? equipo : equipo.substr(0, dos);
}

std::vector<std::string> EquiposVisitados() {
    std::lock_guard<std::mutex> l(MutexEquipos());
    return Equipos();
}

void RecordarEquipo(const std::string& equipo) {
    if (equipo.empty()) return;
    std::lock_guard<std::mutex> l(MutexEquipos());
    for (const std::string& e : Equipos())
        if (e == equipo) return;
    Equipos().push_back(equipo);
}

}  // namespace quirvex
