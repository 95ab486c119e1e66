#pragma once
// NotificadoresEnlace: a cEnlaceIndice driven by the window's event loop. It reads when the
// socket has something and writes only while something waits to be sent (a writable socket is
// the usual state), re-arming both whenever the link connects or drops. Interface thread only;
// it must not outlive the link.

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace quirvex {

class cEnlaceIndice;

class NotificadoresEnlace final : public QObject {
public:
    // escuchar false: the link is left alone (the frame in debug mode hears no server).
    // alCambiarConexion runs after the notifiers followed a connect or a drop.
    NotificadoresEnlace(cEnlaceIndice& enlace, QObject* padre, bool escuchar = true,
                        std::function<void()> alCambiarConexion = {});
    ~NotificadoresEnlace() override;

private:
    void Seguir();

    cEnlaceIndice& enlace_;
    bool escuchar_;
    std::function<void()> alCambiarConexion_;
    QSocketNotifier* lector_ = nullptr;
    QSocketNotifier* escritor_ = nullptr;
};

}  // namespace quirvex
