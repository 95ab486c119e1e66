#include "folder/cola_previews_qt.h"

#include <QCoreApplication>
#include <QObject>
#include <QThread>
#include <QThreadPool>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "folder/iconos_qt.h"

namespace quirvex {

namespace {

// Set when the application is about to quit: the panes may never be destroyed after that (their
// deleteLater does not run once the loop has ended), so the workers stop at their next picture.
std::atomic<bool> saliendo{false};

// One pool for every pane. It belongs to the application object when there is one, so that
// quitting waits for the decodes that are still running instead of cutting them off inside the
// image reader.
QThreadPool& Pool() {
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool(QCoreApplication::instance());
        p->setMaxThreadCount(std::clamp(QThread::idealThreadCount(), 1, 4));
        if (QCoreApplication::instance())
            QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, p,
                             [] { saliendo = true; });
        return p;
    }();
    return *pool;
}

}  // namespace

// One cLecturaMiniaturas. Shared with the pool's tasks, which may outlive it: once it is
// closed (the results taken, or the reader gone) they take nothing more and keep nothing.
struct LoteMiniaturas {
    std::vector<std::string> rutas;
    int tamano = 0;
    std::atomic<std::size_t> siguiente{0};
    std::mutex m;
    std::condition_variable cv;
    std::vector<QImage> imagenes;
    std::size_t hechas = 0;
    bool cerrado = false;

    // Reads until none is left or the batch is closed.
    void Trabajar() {
        for (;;) {
            const std::size_t i = siguiente.fetch_add(1);
            if (i >= rutas.size()) return;
            {
                std::lock_guard<std::mutex> l(m);
                if (cerrado) return;
            }
            QImage img = MiniaturaCompartida(rutas[i], tamano);
            std::lock_guard<std::mutex> l(m);
            if (cerrado) return;
            imagenes[i] = std::move(img);
            if (++hechas == rutas.size()) cv.notify_all();
        }
    }
};

cLecturaMiniaturas::cLecturaMiniaturas(std::vector<std::string> rutas, int tamano)
    : lote_(std::make_shared<LoteMiniaturas>()) {
    lote_->rutas = std::move(rutas);
    lote_->tamano = tamano;
    lote_->imagenes.resize(lote_->rutas.size());
    // Only threads free now: behind another pane's decodes the thumbnails would come too late
    // for the frame, which then goes without them (the queue brings them after it).
    const int tareas = std::min(Pool().maxThreadCount(), static_cast<int>(lote_->rutas.size()));
    for (int k = 0; k < tareas; ++k)
        if (Pool().tryStart([lote = lote_] { lote->Trabajar(); })) ++lanzadas_;
}

cLecturaMiniaturas::~cLecturaMiniaturas() {
    std::lock_guard<std::mutex> l(lote_->m);
    lote_->cerrado = true;
}

std::vector<QImage> cLecturaMiniaturas::Recoger(int limiteMs) {
    LoteMiniaturas& lote = *lote_;
    std::unique_lock<std::mutex> l(lote.m);
    if (lote.cerrado) return {};
    if (lanzadas_ == 0) limiteMs = 0;
    lote.cv.wait_for(l, std::chrono::milliseconds(std::max(limiteMs, 0)),
                     [&] { return lote.hechas == lote.rutas.size(); });
    lote.cerrado = true;
    return std::move(lote.imagenes);
}

struct cColaPreviews::Estado {
    struct Espera {
        PedidoPreview pedido;
        std::uint64_t lote = 0;
        std::uint64_t orden = 0;
    };

    mutable std::mutex m;
    std::vector<Espera> esperando;
    int decodificando = 0;
    int trabajadores = 0;  // pool tasks started for this queue and not yet finished
    int maxTrabajadores = 1;
    std::uint64_t lote = 0;
    std::uint64_t orden = 0;
    std::int64_t decodificados = 0;
    bool cerrada = false;
    bool arranquePedido = false;  // the workers start once the loop is back (see Pedir)
    QObject* receptor = nullptr;  // valid while !cerrada
    FuncionListo listo;           // used on the receptor's thread only

    // The newest batch first, in its own order. Called with m held.
    bool Tomar(PedidoPreview& p) {
        if (esperando.empty()) return false;
        auto mejor = esperando.begin();
        for (auto it = esperando.begin(); it != esperando.end(); ++it) {
            if (it->lote > mejor->lote || (it->lote == mejor->lote && it->orden < mejor->orden))
                mejor = it;
        }
        p = std::move(mejor->pedido);
        *mejor = std::move(esperando.back());
        esperando.pop_back();
        return true;
    }
};

cColaPreviews::cColaPreviews(FuncionListo listo, int hilos, bool esperarPintura)
    : estado_(std::make_shared<Estado>()),
      receptor_(std::make_unique<QObject>()),
      hilos_(hilos > 0 ? hilos : std::clamp(QThread::idealThreadCount(), 1, 4)),
      esperarPintura_(esperarPintura) {
    estado_->maxTrabajadores = hilos_;
    estado_->receptor = receptor_.get();
    estado_->listo = std::move(listo);
}

cColaPreviews::~cColaPreviews() {
    std::lock_guard<std::mutex> l(estado_->m);
    estado_->cerrada = true;
    estado_->esperando.clear();
    estado_->receptor = nullptr;
    // receptor_ goes after this, taking the results already posted to it along.
}

void cColaPreviews::Pedir(PedidoPreview pedido) {
    Estado& e = *estado_;
    {
        std::lock_guard<std::mutex> l(e.m);
        auto igual = std::find_if(e.esperando.begin(), e.esperando.end(), [&](const Estado::Espera& w) {
            return w.pedido.visita == pedido.visita && w.pedido.ranura == pedido.ranura &&
                   w.pedido.nombre == pedido.nombre;
        });
        if (igual != e.esperando.end()) {
            igual->pedido = std::move(pedido);
            igual->lote = e.lote;
            igual->orden = e.orden++;
        } else {
            e.esperando.push_back({std::move(pedido), e.lote, e.orden++});
        }
    }
    // Not at once: the requests come from painting, and the frame being painted (the first one
    // of a start in preview mode above all) is finished before the decoders take the processors.
    if (!esperarPintura_) ProgramarArranque();
}

void cColaPreviews::Pintado() { ProgramarArranque(); }

void cColaPreviews::ProgramarArranque() {
    Estado& e = *estado_;
    {
        std::lock_guard<std::mutex> l(e.m);
        if (e.arranquePedido || e.trabajadores >= e.maxTrabajadores || e.esperando.empty()) return;
        e.arranquePedido = true;
    }
    QTimer::singleShot(0, receptor_.get(), [this] { Arrancar(); });
}

void cColaPreviews::Arrancar() {
    Estado& e = *estado_;
    int nuevos = 0;
    {
        std::lock_guard<std::mutex> l(e.m);
        e.arranquePedido = false;
        nuevos = std::min(e.maxTrabajadores - e.trabajadores, static_cast<int>(e.esperando.size()));
        e.trabajadores += std::max(nuevos, 0);
    }
    for (int i = 0; i < nuevos; ++i) {
        std::shared_ptr<Estado> estado = estado_;
        Pool().start([estado] { Trabajar(estado); });
    }
}

void cColaPreviews::Trabajar(const std::shared_ptr<Estado>& estado) {
    Estado& e = *estado;
    for (;;) {
        PedidoPreview p;
        {
            std::lock_guard<std::mutex> l(e.m);
            if (e.cerrada || saliendo || !e.Tomar(p)) {
                --e.trabajadores;
                return;
            }
            ++e.decodificando;
        }
        ResultadoPreview r{std::move(p), {}};
        r.imagen = VistaPreviaCompartida(r.pedido.ruta, r.pedido.tamano);
        std::lock_guard<std::mutex> l(e.m);
        --e.decodificando;
        ++e.decodificados;
        if (e.cerrada) continue;
        // Posted while the lock is held: the queue cannot close, and its receptor cannot go,
        // in between.
        QMetaObject::invokeMethod(
            e.receptor,
            [estado, r = std::move(r)]() mutable {
                if (!estado->cerrada) estado->listo(std::move(r));
            },
            Qt::QueuedConnection);
    }
}

void cColaPreviews::Conservar(int desde, int hasta) {
    std::lock_guard<std::mutex> l(estado_->m);
    auto& v = estado_->esperando;
    v.erase(std::remove_if(v.begin(), v.end(),
                           [&](const Estado::Espera& w) {
                               return w.pedido.item >= 0 &&
                                      (w.pedido.item < desde || w.pedido.item > hasta);
                           }),
            v.end());
    ++estado_->lote;
}

void cColaPreviews::Descartar() {
    std::lock_guard<std::mutex> l(estado_->m);
    estado_->esperando.clear();
    ++estado_->lote;
}

int cColaPreviews::Esperando() const {
    std::lock_guard<std::mutex> l(estado_->m);
    return static_cast<int>(estado_->esperando.size());
}

int cColaPreviews::Decodificando() const {
    std::lock_guard<std::mutex> l(estado_->m);
    return estado_->decodificando;
}

std::int64_t cColaPreviews::Decodificados() const {
    std::lock_guard<std::mutex> l(estado_->m);
    return estado_->decodificados;
}

}  // namespace quirvex
