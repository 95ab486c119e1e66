#include "frame/espera_red_qt.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include "platform/smb.h"

namespace quirvex {
namespace {

// Where answers are queued: a child of the application, so the hand-over ends with it.
class ReceptorRed final : public QObject {
public:
    using QObject::QObject;
    ~ReceptorRed() override { SetEntregaVentana(nullptr); }
};

}  // namespace

// A short poll keeps the answer's delay below what anyone notices, and the event loop keeps
// keys, paints and timers going meanwhile. A load started from an event handled here finds its
// pane busy and is refused; the engine's own yields already allow anything.
void InstalarEsperaRed() {
    SetEsperaRed([](const std::function<bool()>& listo) {
        // Other threads (a tally, a preview) just block: they have no window to keep alive.
        const auto* app = QCoreApplication::instance();
        if (listo() || !app || QThread::currentThread() != app->thread()) return;
        QEventLoop bucle;
        QTimer sondeo;
        QObject::connect(&sondeo, &QTimer::timeout, &bucle, [&] {
            if (listo()) bucle.quit();
        });
        sondeo.start(2);
        bucle.exec();
    });
    auto* app = QCoreApplication::instance();
    if (!app) return;
    static QPointer<ReceptorRed> receptor;
    if (!receptor) receptor = new ReceptorRed(app);
    // Called under the hand-over's lock, which the receptor's end also takes: it is alive here.
    SetEntregaVentana([r = receptor.data()](std::function<void()> alLlegar) {
        QMetaObject::invokeMethod(r, std::move(alLlegar), Qt::QueuedConnection);
    });
}

void QuitarEsperaRed() {
    SetEsperaRed(nullptr);
    SetEntregaVentana(nullptr);
}

}  // namespace quirvex
