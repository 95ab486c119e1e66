// Servers found without the workgroup browse: mDNS announcements through the Avahi daemon's
// client library, and an SMB server on this machine's loopback.
//
// Both run on a thread of their own that owns everything it touches, called with a deadline
// (llamada_plazo.h): past a short time limit the caller takes what has arrived and leaves the
// thread to stop by itself (it checks whether it was given up between two short polls).

#include <arpa/inet.h>
#include <avahi-client/client.h>
#include <avahi-client/lookup.h>
#include <avahi-common/address.h>
#include <avahi-common/simple-watch.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/descubrimiento.h"
#include "platform/llamada_plazo.h"
#include "platform/smb.h"

namespace quirvex {
namespace {

// The mDNS browse waits for the daemon's "all for now" and every resolution, never longer than
// this (nor than the network time limit).
constexpr int LIMITE_MDNS_MS = 3000;
// A server on loopback answers at once or not at all.
constexpr int LIMITE_LOCAL_MS = 500;

// What the thread has found so far, shared with the caller, which reads it only under the mutex.
struct Busqueda {
    std::mutex m;
    std::vector<EquipoDescubierto> hallados;
};

using Trabajo = void (*)(Busqueda&, const Encargo<bool>&);

// State of one browse, owned by its thread alone.
struct Navegacion {
    Busqueda* busqueda = nullptr;
    AvahiClient* cliente = nullptr;
    int pendientes = 0;       // resolutions under way
    bool todoListado = false; // the daemon said "all for now"
    bool fallo = false;
};

void AlResolver(AvahiServiceResolver* r, AvahiIfIndex, AvahiProtocol, AvahiResolverEvent evento,
                const char* nombre, const char*, const char*, const char* anfitrion,
                const AvahiAddress* direccion, uint16_t puerto, AvahiStringList*,
                AvahiLookupResultFlags, void* datos) {
    auto* n = static_cast<Navegacion*>(datos);
    if (evento == AVAHI_RESOLVER_FOUND && direccion && nombre) {
        char texto[AVAHI_ADDRESS_STR_MAX] = {};
        avahi_address_snprint(texto, sizeof texto, direccion);
        EquipoDescubierto e{nombre, RutaServicio(texto, puerto), anfitrion ? anfitrion : ""};
        std::lock_guard<std::mutex> l(n->busqueda->m);
        auto& h = n->busqueda->hallados;
        // One service seen on several interfaces is one computer.
        const bool visto = std::any_of(h.begin(), h.end(), [&](const EquipoDescubierto& x) {
            return x.nombre == e.nombre || x.ruta == e.ruta;
        });
        if (!visto) h.push_back(std::move(e));
    }
    --n->pendientes;
    avahi_service_resolver_free(r);
}

void AlNavegar(AvahiServiceBrowser*, AvahiIfIndex interfaz, AvahiProtocol protocolo,
               AvahiBrowserEvent evento, const char* nombre, const char* tipo, const char* dominio,
               AvahiLookupResultFlags, void* datos) {
    auto* n = static_cast<Navegacion*>(datos);
    switch (evento) {
    case AVAHI_BROWSER_NEW:
        // Resolved to IPv4 only: an address libsmbclient reaches without a scope.
        if (avahi_service_resolver_new(n->cliente, interfaz, protocolo, nombre, tipo, dominio,
                                       AVAHI_PROTO_INET, static_cast<AvahiLookupFlags>(0),
                                       AlResolver, n))
            ++n->pendientes;
        break;
    case AVAHI_BROWSER_ALL_FOR_NOW:
        n->todoListado = true;
        break;
    case AVAHI_BROWSER_FAILURE:
        n->fallo = true;
        break;
    default:
        break;
    }
}

void AlCambiarCliente(AvahiClient*, AvahiClientState estado, void* datos) {
    if (estado == AVAHI_CLIENT_FAILURE) static_cast<Navegacion*>(datos)->fallo = true;
}

void NavegarMdns(Busqueda& busqueda, const Encargo<bool>& encargo) {
    AvahiSimplePoll* poll = avahi_simple_poll_new();
    Navegacion n;
    n.busqueda = &busqueda;
    int error = 0;
    // Without AVAHI_CLIENT_NO_FAIL a missing daemon fails here at once.
    if (poll)
        n.cliente = avahi_client_new(avahi_simple_poll_get(poll), static_cast<AvahiClientFlags>(0),
                                     AlCambiarCliente, &n, &error);
    AvahiServiceBrowser* b = nullptr;
    if (n.cliente)
        b = avahi_service_browser_new(n.cliente, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, "_smb._tcp",
                                      nullptr, static_cast<AvahiLookupFlags>(0), AlNavegar, &n);
    if (b) {
        while (!n.fallo && !encargo.Abandonado() && !(n.todoListado && n.pendientes == 0))
            if (avahi_simple_poll_iterate(poll, 100) != 0) break;
        avahi_service_browser_free(b);
    }
    // Freeing the client frees the resolutions still under way.
    if (n.cliente) avahi_client_free(n.cliente);
    if (poll) avahi_simple_poll_free(poll);
}

// Whether something accepts a TCP connection on 127.0.0.1:port within the limit.
bool Responde(int puerto, int limiteMs) {
    const int s = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (s < 0) return false;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(puerto));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool responde = connect(s, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
    if (!responde && errno == EINPROGRESS) {
        pollfd p{s, POLLOUT, 0};
        int error = 0;
        socklen_t largo = sizeof error;
        responde = poll(&p, 1, limiteMs) == 1 &&
                   getsockopt(s, SOL_SOCKET, SO_ERROR, &error, &largo) == 0 && error == 0;
    }
    close(s);
    return responde;
}

std::string NombreEquipo() {
    char nombre[256] = {};
    if (gethostname(nombre, sizeof nombre - 1) != 0 || nombre[0] == '\0') return "localhost";
    return nombre;
}

// Runs `trabajo` on a thread of its own and waits for it, at most `limiteMs`: what it found by then.
std::vector<EquipoDescubierto> EnHilo(Trabajo trabajo, int limiteMs) {
    auto busqueda = std::make_shared<Busqueda>();
    LlamarConPlazo<bool>(EnHiloNuevo,
                         [busqueda, trabajo](const Encargo<bool>& encargo) {
                             trabajo(*busqueda, encargo);
                             return true;
                         },
                         std::chrono::milliseconds(limiteMs));
    std::lock_guard<std::mutex> l(busqueda->m);
    return busqueda->hallados;
}

class DescubrimientoLinux final : public Descubrimiento {
public:
    std::vector<EquipoDescubierto> ServiciosMdns() override {
        return EnHilo(NavegarMdns, std::min(LIMITE_MDNS_MS, TiempoLimiteRed()));
    }

    std::vector<EquipoDescubierto> EsteEquipo() override {
        return EnHilo(
            [](Busqueda& b, const Encargo<bool>&) {
                if (Responde(445, LIMITE_LOCAL_MS)) {
                    std::lock_guard<std::mutex> l(b.m);
                    b.hallados.push_back(EquipoDescubierto{NombreEquipo(), "//127.0.0.1"});
                }
            },
            LIMITE_LOCAL_MS + 500);
    }
};

Descubrimiento* g_reemplazo = nullptr;

}  // namespace

Descubrimiento& DescubrimientoSistema() {
    // Never destroyed: a thread given up may still be finishing when the program exits.
    static auto* real = new DescubrimientoLinux;
    return g_reemplazo ? *g_reemplazo : *real;
}

void SetDescubrimiento(Descubrimiento* d) { g_reemplazo = d; }

}  // namespace quirvex
