#include "search/notificadores_enlace_qt.h"

#include <QSocketNotifier>

#include "search/enlace_indice.h"

namespace quirvex {

NotificadoresEnlace::NotificadoresEnlace(cEnlaceIndice& enlace, QObject* padre, bool escuchar,
                                         std::function<void()> alCambiarConexion)
    : QObject(padre), enlace_(enlace), escuchar_(escuchar), alCambiarConexion_(std::move(alCambiarConexion)) {
    enlace_.alCambiarConexion = [this] { Seguir(); };
    enlace_.alCambiarEscritura = [this] {
        if (escritor_) escritor_->setEnabled(enlace_.QuiereEscribir());
    };
    Seguir();
}

NotificadoresEnlace::~NotificadoresEnlace() {
    enlace_.alCambiarConexion = nullptr;
    enlace_.alCambiarEscritura = nullptr;
}

void NotificadoresEnlace::Seguir() {
    delete lector_;
    lector_ = nullptr;
    delete escritor_;
    escritor_ = nullptr;
    if (escuchar_ && enlace_.Descriptor() >= 0) {
        lector_ = new QSocketNotifier(enlace_.Descriptor(), QSocketNotifier::Read, this);
        // Queued: the link may drop the connection (and this notifier) while it reads.
        connect(lector_, &QSocketNotifier::activated, this, [this] { enlace_.LeerPendiente(); },
                Qt::QueuedConnection);
        escritor_ = new QSocketNotifier(enlace_.Descriptor(), QSocketNotifier::Write, this);
        escritor_->setEnabled(enlace_.QuiereEscribir());
        connect(escritor_, &QSocketNotifier::activated, this, [this] { enlace_.EscribirPendiente(); },
                Qt::QueuedConnection);
    }
    if (alCambiarConexion_) alCambiarConexion_();
}

}  // namespace quirvex
