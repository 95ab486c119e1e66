#include "folder/notificaciones_qt.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include "folder/cache_listados.h"

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
        mvCache::SetDrenaje([this] { Drenar(); });
    }
    if (vigilante_->DescriptorMontajes() >= 0) {
        // The mount table signals a change as an exceptional condition (POLLPRI).
        avisoMontajes_ = new QSocketNotifier(vigilante_->DescriptorMontajes(),
                                             QSocketNotifier::Exception, this);
        connect(avisoMontajes_, &QSocketNotifier::activated, this,
                &mNotificaciones::DrenarMontajes);
    }
}

mNotificaciones::~mNotificaciones() {
    if (avisoCarpetas_) mvCache::SetDrenaje({});
    // With the watcher gone nothing vouches for these folders any more.
    for (const auto& [carpeta, cuenta] : vigiladas_)
        for (int k = 0; k < cuenta; ++k) mvCache::Soltada(carpeta);
}

// The listing cache serves a folder's listing as it is only while the folder is watched, so it
// hears of every watch and of every event.
void mNotificaciones::Seguir(const std::string& carpeta) {
    for (const auto& c : CarpetaYPadres(carpeta)) {
        if (!vigilante_->Vigilar(c)) continue;
        ++vigiladas_[c];
        mvCache::Vigilada(c);
    }
}

void mNotificaciones::Soltar(const std::string& carpeta) {
    for (const auto& c : CarpetaYPadres(carpeta)) {
        const auto it = vigiladas_.find(c);
        if (it == vigiladas_.end()) continue;
        vigilante_->Dejar(c);
        mvCache::Soltada(c);
        if (--it->second == 0) vigiladas_.erase(it);
    }
}

namespace {

void AvisarCache(const std::string& ruta) {
    if (ruta.empty() || ruta[0] != '/') return;
    mvCache::Cambio(ruta.substr(0, ruta.rfind('/') + 1));
    mvCache::Cambio(ruta + '/');  // the entry may be a folder listed itself
}

}  // namespace

void mNotificaciones::RecibirNotificacion(RegistroNotificacion r) {
    if (!cola_.RecibirNotificacion(std::move(r))) return;
    if (!tN_.isActive() && !cola_.Ocupado()) tN_.start();
}

void mNotificaciones::Drenar() {
    for (auto& r : vigilante_->Leer()) {
        AvisarCache(r.ruta1);
        AvisarCache(r.ruta2);
        RecibirNotificacion(std::move(r));
    }
}

void mNotificaciones::DrenarMontajes() {
    for (auto& r : vigilante_->LeerMontajes()) RecibirNotificacion(std::move(r));
}

void mNotificaciones::tN_Timer() {
    if (cola_.Ocupado()) return;
    cola_.ProcesarNotificaciones(actualizar_);
}

}  // namespace quirvex
