#include "folder/notificaciones_qt.h"

#include <QCoreApplication>
#include <QSocketNotifier>

namespace quirvex {

std::vector<std::string> CarpetaYPadres(const std::string& carpeta) {
    std::vector<std::string> r;
    if (carpeta.empty() || carpeta[0] != '/') return r;
    std::string c = carpeta.back() == '/' ? carpeta : carpeta + '/';
    for (;;) {
        r.push_back(c);
        if (c == "/") break;
        c.pop_back();
        c = c.substr(0, c.rfind('/') + 1);
    }
    return r;
}

mNotificaciones::mNotificaciones(FuncionActualizarRuta actualizar, QObject* padre,
                                 std::unique_ptr<Vigilante> vigilante)
    : QObject(padre), actualizar_(std::move(actualizar)), vigilante_(std::move(vigilante)) {
    tN_.setInterval(1);
    tN_.setSingleShot(true);
    connect(&tN_, &QTimer::timeout, this, &mNotificaciones::tN_Timer);
    if (vigilante_->Descriptor() >= 0) {
        avisoCarpetas_ = new QSocketNotifier(vigilante_->Descriptor(), QSocketNotifier::Read, this);
        connect(avisoCarpetas_, &QSocketNotifier::activated, this, &mNotificaciones::Drenar);
    }
    if (vigilante_->DescriptorMontajes() >= 0) {
        // The mount table signals a change as an exceptional condition (POLLPRI).
        avisoMontajes_ = new QSocketNotifier(vigilante_->DescriptorMontajes(),
                                             QSocketNotifier::Exception, this);
        connect(avisoMontajes_, &QSocketNotifier::activated, this,
                &mNotificaciones::DrenarMontajes);
    }
}

mNotificaciones::~mNotificaciones() = default;

void mNotificaciones::Seguir(const std::string& carpeta) {
    for (const auto& c : CarpetaYPadres(carpeta)) vigilante_->Vigilar(c);
}

void mNotificaciones::Soltar(const std::string& carpeta) {
    for (const auto& c : CarpetaYPadres(carpeta)) vigilante_->Dejar(c);
}

void mNotificaciones::RecibirNotificacion(RegistroNotificacion r) {
    if (!cola_.RecibirNotificacion(std::move(r))) return;
    if (!tN_.isActive() && !cola_.Ocupado()) tN_.start();
}

void mNotificaciones::Drenar() {
    for (auto& r : vigilante_->Leer()) RecibirNotificacion(std::move(r));
}

void mNotificaciones::DrenarMontajes() {
    for (auto& r : vigilante_->LeerMontajes()) RecibirNotificacion(std::move(r));
}

void mNotificaciones::tN_Timer() {
    if (cola_.Ocupado()) return;
    cola_.ProcesarNotificaciones(actualizar_);
}

}  // namespace quirvex
