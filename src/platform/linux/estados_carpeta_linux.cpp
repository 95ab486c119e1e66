// Folder-wide status calls on two threads or through an io_uring (see estados_carpeta_linux.h).

#include "platform/linux/estados_carpeta_linux.h"

#include <fcntl.h>
#include <liburing.h>

#include <atomic>
#include <cerrno>
#include <memory>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/sistema_archivos.h"

namespace quirvex {
namespace {

using Hecho = std::function<void(size_t, const struct statx*)>;

// Below this many names a second thread or a ring costs more than it saves.
constexpr size_t kMinimoEnParalelo = 4096;
// Calls in flight on the ring. The kernel runs them on its own workers (statx cannot be made
// without blocking), as many as four per processor; 64 keeps them all fed.
constexpr unsigned kProfundidad = 64;

std::atomic<ViaEstados> g_via{ViaEstados::Automatica};
std::atomic<ViaEstados> g_ultima{ViaEstados::Automatica};
// Set once the kernel refused a ring for good (disabled, filtered, or too old for statx): later
// batches go straight to the threads.
std::atomic<bool> g_sinAnillo{false};

bool Statx(const PedidoEstados& p, const char* nombre, struct statx& st) {
    return statx(p.carpeta, nombre, p.banderas, p.campos, &st) == 0;
}

void EnSerie(const PedidoEstados& p, size_t desde, size_t hasta, const Hecho& hecho) {
    std::string nombre;
    struct statx st {};
    for (size_t i = desde; i < hasta; ++i) {
        nombre.assign(p.nombre(i));
        hecho(i, Statx(p, nombre.c_str(), st) ? &st : nullptr);
    }
}

// Each index is done by one thread only, so the result is the same as on one thread.
void EnDosHilos(const PedidoEstados& p, const Hecho& hecho) {
    const size_t mitad = p.cuantos / 2;
    std::thread otro;
    if (mitad > 0) {
        try {
            otro = std::thread([&] { EnSerie(p, mitad, p.cuantos, hecho); });
        } catch (const std::system_error&) {
            // No thread to be had: the caller's thread does it all.
        }
    }
    EnSerie(p, 0, otro.joinable() ? mitad : p.cuantos, hecho);
    if (otro.joinable()) otro.join();
}

bool Definitivo(int error) { return error == -EPERM || error == -EACCES || error == -ENOSYS; }

// One call in flight: the kernel may read the name and write the record until it completes.
struct Hueco {
    size_t indice = 0;
    bool enVuelo = false;
    std::string nombre;
    struct statx st {};
};

class Anillo {
public:
    Anillo() = default;
    Anillo(const Anillo&) = delete;
    Anillo& operator=(const Anillo&) = delete;
    ~Anillo() {
        if (abierto_) io_uring_queue_exit(&ring_);
    }

    // False when the kernel gives no ring that makes status calls; remembers a refusal that a
    // later try would meet again.
    bool Abrir() {
        const int r = io_uring_queue_init(kProfundidad, &ring_, 0);
        if (r < 0) {
            if (Definitivo(r)) g_sinAnillo = true;
            return false;
        }
        abierto_ = true;
        io_uring_probe* probe = io_uring_get_probe_ring(&ring_);
        const bool statx = probe && io_uring_opcode_supported(probe, IORING_OP_STATX);
        if (probe) io_uring_free_probe(probe);
        if (!statx) g_sinAnillo = true;
        return statx;
    }

    void Recorrer(const PedidoEstados& p, const Hecho& hecho) {
        auto huecos = std::make_unique<Hueco[]>(kProfundidad);
        std::vector<unsigned> libres;
        for (unsigned h = kProfundidad; h-- > 0;) libres.push_back(h);
        size_t siguiente = 0;
        while (siguiente < p.cuantos || libres.size() < kProfundidad) {
            while (siguiente < p.cuantos && !libres.empty()) {
                io_uring_sqe* sqe = io_uring_get_sqe(&ring_);
                if (!sqe) break;
                const unsigned libre = libres.back();
                libres.pop_back();
                Hueco& h = huecos[libre];
                h.indice = siguiente++;
                h.enVuelo = true;
                h.nombre.assign(p.nombre(h.indice));
                io_uring_prep_statx(sqe, p.carpeta, h.nombre.c_str(), p.banderas, p.campos, &h.st);
                io_uring_sqe_set_data64(sqe, libre);
            }
            const int r = io_uring_submit_and_wait(&ring_, 1);
            if (r < 0 && r != -EINTR && r != -EAGAIN && r != -EBUSY) {
                Abandonar(p, std::move(huecos), siguiente, hecho);
                return;
            }
            unsigned cabeza = 0, vistos = 0;
            io_uring_cqe* cqe = nullptr;
            io_uring_for_each_cqe(&ring_, cabeza, cqe) {
                const auto i = static_cast<unsigned>(io_uring_cqe_get_data64(cqe));
                Hueco& h = huecos[i];
                h.enVuelo = false;
                // A failure is asked again here, so that it is told exactly as the threads would.
                const bool ok = cqe->res == 0 || Statx(p, h.nombre.c_str(), h.st);
                hecho(h.indice, ok ? &h.st : nullptr);
                libres.push_back(i);
                ++vistos;
            }
            io_uring_cq_advance(&ring_, vistos);
        }
    }

private:
    // The ring broke midway. What is still in flight may yet be written by the kernel, so those
    // buffers are kept for good and their names asked again here, with the rest.
    static void Abandonar(const PedidoEstados& p, std::unique_ptr<Hueco[]> huecos, size_t siguiente,
                          const Hecho& hecho) {
        Hueco* guardados = huecos.release();
        struct statx st {};
        for (unsigned h = 0; h < kProfundidad; ++h)
            if (guardados[h].enVuelo)
                hecho(guardados[h].indice, Statx(p, guardados[h].nombre.c_str(), st) ? &st : nullptr);
        EnSerie(p, siguiente, p.cuantos, hecho);
    }

    io_uring ring_{};
    bool abierto_ = false;
};

}  // namespace

void EstadosEn(const PedidoEstados& p, const Hecho& hecho) {
    const ViaEstados via = g_via.load();
    if (via == ViaEstados::Automatica && p.cuantos < kMinimoEnParalelo) {
        g_ultima = ViaEstados::Automatica;
        EnSerie(p, 0, p.cuantos, hecho);
        return;
    }
    if (via != ViaEstados::Hilos && !g_sinAnillo.load()) {
        Anillo anillo;
        if (anillo.Abrir()) {
            g_ultima = ViaEstados::Anillo;
            anillo.Recorrer(p, hecho);
            return;
        }
    }
    g_ultima = ViaEstados::Hilos;
    EnDosHilos(p, hecho);
}

void SetViaEstados(ViaEstados via) { g_via = via; }

ViaEstados UltimaViaEstados() { return g_ultima.load(); }

}  // namespace quirvex
