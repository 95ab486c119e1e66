#include "platform/smb.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <chrono>
#include <mutex>
#include <thread>

namespace quirvex {
namespace {

std::atomic<int> g_limite{15000};
std::atomic<int> g_esperando{0};
std::atomic<bool> g_cortadas{false};
std::atomic<std::uint64_t> g_cortes{0};
std::atomic<std::uint64_t> g_esperasVentana{0};
std::atomic<std::thread::id> g_hiloVentana{};

// These are never destroyed: a listing thread (which remembers its computer, may wait and hands
// its answer over) can still be running while the program exits.
std::mutex& MutexEspera() {
    static auto* m = new std::mutex;
    return *m;
}

EsperaRed& Espera() {
    static auto* espera = new EsperaRed;
    return *espera;
}

// Held while an answer is queued, so that uninstalling waits for a hand-over under way and
// none comes after it.
std::mutex& MutexEntrega() {
    static auto* m = new std::mutex;
    return *m;
}

EntregaVentana& Entrega() {
    static auto* entrega = new EntregaVentana;
    return *entrega;
}

std::mutex& MutexEquipos() {
    static auto* m = new std::mutex;
    return *m;
}

std::vector<std::string>& Equipos() {
    static auto* equipos = new std::vector<std::string>;
    return *equipos;
}

}  // namespace

int TiempoLimiteRed() { return g_limite.load(); }
void SetTiempoLimiteRed(int milisegundos) { g_limite.store(milisegundos > 0 ? milisegundos : 1); }

void SetEsperaRed(EsperaRed espera) {
    std::lock_guard<std::mutex> l(MutexEspera());
    if (espera) g_hiloVentana.store(std::this_thread::get_id());
    Espera() = std::move(espera);
}

void SetEntregaVentana(EntregaVentana entrega) {
    std::lock_guard<std::mutex> l(MutexEntrega());
    Entrega() = std::move(entrega);
}

bool HayEntregaVentana() {
    std::lock_guard<std::mutex> l(MutexEntrega());
    return static_cast<bool>(Entrega());
}

bool EntregarEnVentana(std::function<void()> alLlegar) {
    std::lock_guard<std::mutex> l(MutexEntrega());
    if (!Entrega()) return false;
    Entrega()(std::move(alLlegar));
    return true;
}

void EsperarRed(const std::function<bool()>& listo) {
    EsperaRed espera;
    {
        std::lock_guard<std::mutex> l(MutexEspera());
        espera = Espera();
    }
    // With no window waiting its way, every caller counts as the one thread there is.
    const bool ventana = !espera || std::this_thread::get_id() == g_hiloVentana.load();
    if (ventana) {
        ++g_esperando;
        ++g_esperasVentana;
    }
    if (espera) espera(listo);
    // Whatever the installed wait did, the caller leaves only with the answer there.
    while (!listo()) std::this_thread::sleep_for(std::chrono::microseconds(200));
    if (ventana) --g_esperando;
}

bool EsperandoRed() { return g_esperando.load() > 0; }
std::uint64_t EsperasRedEnVentana() { return g_esperasVentana.load(); }

void CortarEsperasRed(bool cortar) {
    g_cortadas.store(cortar);
    if (cortar) ++g_cortes;
}
bool EsperasRedCortadas() { return g_cortadas.load(); }
std::uint64_t CortesEsperasRed() { return g_cortes.load(); }

bool EsNombreRedValido(const std::string& ruta) {
    std::size_t k = 0;
    while (k < ruta.size()) {
        const auto c = static_cast<unsigned char>(ruta[k]);
        const int siguen = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
        if (siguen < 0 || ruta.size() - k <= static_cast<std::size_t>(siguen)) return false;
        std::uint32_t punto = siguen == 0 ? c : c & (0x3F >> siguen);
        for (int j = 1; j <= siguen; ++j) {
            const auto d = static_cast<unsigned char>(ruta[k + static_cast<std::size_t>(j)]);
            if ((d & 0xC0) != 0x80) return false;
            punto = (punto << 6) | (d & 0x3F);
        }
        // Overlong forms, surrogates and points past U+10FFFF are not text either.
        static constexpr std::uint32_t kMinimo[] = {0, 0x80, 0x800, 0x10000};
        if (punto < kMinimo[siguen] || (punto >= 0xD800 && punto <= 0xDFFF) || punto > 0x10FFFF) return false;
        k += static_cast<std::size_t>(siguen) + 1;
    }
    return true;
}

int ErrorNombreRed() { return EILSEQ; }

bool EsRutaRed(const std::string& ruta) {
    return ruta.size() > 2 && ruta[0] == '/' && ruta[1] == '/' && ruta[2] != '/';
}

std::string EquipoDeRuta(const std::string& ruta) {
    if (!EsRutaRed(ruta)) return {};
    const auto barra = ruta.find('/', 2);
    return barra == std::string::npos ? ruta : ruta.substr(0, barra);
}

std::string UrlSmb(const std::string& ruta) {
    const std::string equipo = EquipoDeRuta(ruta);
    std::string url = "smb:" + equipo;
    static const char* hex = "0123456789ABCDEF";
    for (size_t k = equipo.size(); k < ruta.size(); ++k) {
        const auto c = static_cast<unsigned char>(ruta[k]);
        const bool tal = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                         c == '-' || c == '.' || c == '_' || c == '~' || c == '/';
        if (tal) {
            url += static_cast<char>(c);
        } else {
            url += '%';
            url += hex[c >> 4];
            url += hex[c & 15];
        }
    }
    while (url.size() > 6 && url.back() == '/' && url[url.size() - 2] != '/') url.pop_back();
    return url;
}

std::string ClaveLoginDeRuta(const std::string& ruta) {
    const std::string equipo = EquipoDeRuta(ruta);
    return equipo.size() > 2 ? equipo.substr(2) : std::string();
}

std::vector<std::string> PartesRutaRed(const std::string& ruta) {
    std::vector<std::string> partes;
    if (!EsRutaRed(ruta)) return partes;
    std::size_t inicio = 2;
    while (inicio < ruta.size()) {
        std::size_t fin = ruta.find('/', inicio);
        if (fin == std::string::npos) fin = ruta.size();
        if (fin > inicio) partes.push_back(ruta.substr(inicio, fin - inicio));
        inicio = fin + 1;
    }
    return partes;
}

std::string RutaRedDeParte(const std::string& ruta, int indice) {
    const std::vector<std::string> partes = PartesRutaRed(ruta);
    if (indice < 0 || indice >= static_cast<int>(partes.size())) return {};
    std::string r = "/";
    for (int i = 0; i <= indice; ++i) r += "/" + partes[static_cast<std::size_t>(i)];
    return r + "/";
}

bool EsRutaEquipo(const std::string& ruta) {
    const std::string equipo = EquipoDeRuta(ruta);
    return !equipo.empty() && ruta.find_first_not_of('/', equipo.size()) == std::string::npos;
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
