#pragma once
// mNotificaciones: the frame's side of change notifications. Watches the folders panes show
// (and their parents, so a rename or deletion of a parent is seen), drains the watcher when
// it signals, queues the records and processes them on a 1 ms timer, handing each broadcast to
// the frame's ActualizarRuta. One per frame window, living as long as it.

#include <QObject>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "folder/notificaciones.h"
#include "platform/vigilante.h"

class QSocketNotifier;

namespace quirvex {

class mNotificaciones final : public QObject {
public:
    explicit mNotificaciones(FuncionActualizarRuta actualizar, QObject* padre = nullptr,
                             std::unique_ptr<Vigilante> vigilante = CrearVigilante());
    ~mNotificaciones() override;

    // A pane starts or stops showing a folder. Watches are counted per folder.
    void Seguir(const std::string& carpeta);
    void Soltar(const std::string& carpeta);

    // Queues one record (also how tests and other sources feed it).
    void RecibirNotificacion(RegistroNotificacion r);

private:
    void Drenar();
    void DrenarMontajes();
    void tN_Timer();

    FuncionActualizarRuta actualizar_;
    std::unique_ptr<Vigilante> vigilante_;
    ColaNotificaciones cola_;
    QTimer tN_;
    QSocketNotifier* avisoCarpetas_ = nullptr;
    QSocketNotifier* avisoMontajes_ = nullptr;
    std::map<std::string, int> vigiladas_;  // the watches this object holds, per folder
};

// The folder and every parent up to "/", each ending in '/'.
std::vector<std::string> CarpetaYPadres(const std::string& carpeta);

}  // namespace quirvex
