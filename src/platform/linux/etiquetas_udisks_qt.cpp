// Volume labels through the desktop's disk service (udisks2 on the system bus). The service
// knows which tool each file system needs. Two calls: the block device's object for the
// mounted device, then its SetLabel. Each waits a few seconds at most; the window's requests
// go out without waiting and are answered through the event loop, so a service that hangs
// never freezes the window.

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFileInfo>
#include <QVariantMap>

#include "platform/etiquetas_udisks_qt.h"
#include "platform/unidades.h"

namespace quirvex {
namespace {

const QString SERVICIO = QStringLiteral("org.freedesktop.UDisks2");
const QString RAIZ_BLOQUES = QStringLiteral("/org/freedesktop/UDisks2/block_devices/");

std::string SinBarra(std::string r) {
    while (r.size() > 1 && r.back() == '/') r.pop_back();
    return r;
}

std::string DispositivoDe(const std::string& puntoMontaje) {
    const std::string buscado = SinBarra(puntoMontaje);
    for (const Volumen& v : UnidadesSistema().Listar())
        if (SinBarra(v.puntoMontaje) == buscado) return v.dispositivo;
    return {};
}

// The service names block devices after the kernel's name, with every byte outside
// [A-Za-z0-9] written as "_" and two hex digits ("dm-0" is "dm_2d0").
QString NombreObjeto(const QByteArray& nombre) {
    QString r;
    for (const char c : nombre) {
        const auto u = static_cast<unsigned char>(c);
        if ((u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9'))
            r += QChar(u);
        else
            r += QStringLiteral("_%1").arg(u, 2, 16, QLatin1Char('0'));
    }
    return r;
}

QDBusMessage PedidoResolver(const std::string& dispositivo) {
    QDBusMessage m = QDBusMessage::createMethodCall(
        SERVICIO, QStringLiteral("/org/freedesktop/UDisks2/Manager"),
        QStringLiteral("org.freedesktop.UDisks2.Manager"), QStringLiteral("ResolveDevice"));
    QVariantMap espec;
    espec.insert(QStringLiteral("path"), QString::fromLocal8Bit(dispositivo.c_str()));
    m << espec << QVariantMap();
    return m;
}

QDBusMessage PedidoEtiqueta(const QString& objeto, const std::string& etiqueta) {
    QDBusMessage m = QDBusMessage::createMethodCall(
        SERVICIO, objeto, QStringLiteral("org.freedesktop.UDisks2.Filesystem"), QStringLiteral("SetLabel"));
    m << QString::fromUtf8(etiqueta.c_str()) << QVariantMap();
    return m;
}

bool SinRespuesta(const QDBusError& e) {
    return e.type() == QDBusError::NoReply || e.type() == QDBusError::Timeout;
}

// The object of the device from the service's answer; a service too old for ResolveDevice
// names it after the node the device path resolves to. Empty when neither says.
QString ObjetoDeRespuesta(const QDBusMessage& r, const std::string& dispositivo) {
    if (r.type() == QDBusMessage::ReplyMessage && !r.arguments().isEmpty()) {
        const auto objetos = qdbus_cast<QList<QDBusObjectPath>>(r.arguments().at(0).value<QDBusArgument>());
        if (!objetos.isEmpty()) return objetos.first().path();
    }
    const QString nodo = QFileInfo(QString::fromLocal8Bit(dispositivo.c_str())).canonicalFilePath();
    if (nodo.isEmpty()) return {};
    return RAIZ_BLOQUES + NombreObjeto(QFileInfo(nodo).fileName().toLocal8Bit());
}

RespuestaEtiqueta Fallo(std::string motivo) {
    RespuestaEtiqueta r;
    r.motivo = std::move(motivo);
    return r;
}

RespuestaEtiqueta FalloDeBus(const QDBusError& e, int esperaMs) {
    RespuestaEtiqueta r = Fallo(e.message().toStdString());
    if (SinRespuesta(e)) r.segundosEsperados = (esperaMs + 999) / 1000;
    return r;
}

// Sends `m` and calls `alResponder` with the answer (or the error the time limit gives)
// through the event loop.
void Enviar(QDBusConnection bus, const QDBusMessage& m, int esperaMs,
            std::function<void(const QDBusMessage&)> alResponder) {
    auto* espera = new QDBusPendingCallWatcher(bus.asyncCall(m, esperaMs));
    QObject::connect(espera, &QDBusPendingCallWatcher::finished, espera,
                     [alResponder = std::move(alResponder)](QDBusPendingCallWatcher* w) {
                         w->deleteLater();
                         alResponder(w->reply());
                     });
}

class EtiquetasUdisks final : public EtiquetasVolumen {
public:
    EtiquetasUdisks(const QDBusConnection& bus, int esperaMs) : bus_(bus), esperaMs_(esperaMs) {}

    // The rename window's blocking call, with the same time limit.
    bool CambiarEtiqueta(const std::string& puntoMontaje, const std::string& etiqueta,
                         std::string& motivo) override {
        const std::string dispositivo = Dispositivo(puntoMontaje, motivo);
        if (dispositivo.empty()) return false;
        const QDBusMessage resuelto = bus_.call(PedidoResolver(dispositivo), QDBus::Block, esperaMs_);
        if (resuelto.type() == QDBusMessage::ErrorMessage && SinRespuesta(QDBusError(resuelto))) {
            motivo = resuelto.errorMessage().toStdString();
            return false;
        }
        const QString objeto = ObjetoDeRespuesta(resuelto, dispositivo);
        if (objeto.isEmpty()) {
            motivo = "no block device for " + dispositivo;
            return false;
        }
        const QDBusMessage r = bus_.call(PedidoEtiqueta(objeto, etiqueta), QDBus::Block, esperaMs_);
        if (r.type() == QDBusMessage::ErrorMessage) {
            motivo = r.errorMessage().toStdString();
            return false;
        }
        return true;
    }

    void PedirEtiqueta(const std::string& puntoMontaje, const std::string& etiqueta,
                       FinEtiqueta alTerminar) override {
        std::string motivo;
        const std::string dispositivo = Dispositivo(puntoMontaje, motivo);
        if (dispositivo.empty()) {
            alTerminar(Fallo(motivo));
            return;
        }
        const int espera = esperaMs_;
        QDBusConnection bus = bus_;
        Enviar(bus, PedidoResolver(dispositivo), espera,
               [bus, espera, dispositivo, etiqueta, alTerminar](const QDBusMessage& resuelto) {
                   if (resuelto.type() == QDBusMessage::ErrorMessage && SinRespuesta(QDBusError(resuelto))) {
                       alTerminar(FalloDeBus(QDBusError(resuelto), espera));
                       return;
                   }
                   const QString objeto = ObjetoDeRespuesta(resuelto, dispositivo);
                   if (objeto.isEmpty()) {
                       alTerminar(Fallo(resuelto.type() == QDBusMessage::ErrorMessage
                                            ? resuelto.errorMessage().toStdString()
                                            : "no block device for " + dispositivo));
                       return;
                   }
                   Enviar(bus, PedidoEtiqueta(objeto, etiqueta), espera, [espera, alTerminar](const QDBusMessage& r) {
                       if (r.type() == QDBusMessage::ErrorMessage) {
                           alTerminar(FalloDeBus(QDBusError(r), espera));
                           return;
                       }
                       RespuestaEtiqueta hecho;
                       hecho.hecho = true;
                       alTerminar(hecho);
                   });
               });
    }

private:
    // The mounted device behind the point, with the reason when there is none or no bus.
    std::string Dispositivo(const std::string& puntoMontaje, std::string& motivo) {
        const std::string dispositivo = DispositivoDe(puntoMontaje);
        if (dispositivo.empty() || dispositivo.front() != '/') {
            motivo = "not a mounted device";
            return {};
        }
        if (!bus_.isConnected()) {
            motivo = bus_.lastError().message().toStdString();
            if (motivo.empty()) motivo = "no connection to the system bus";
            return {};
        }
        return dispositivo;
    }

    QDBusConnection bus_;
    int esperaMs_;
};

}  // namespace

std::unique_ptr<EtiquetasVolumen> CrearEtiquetasUdisks(const QDBusConnection& bus, int esperaMs) {
    return std::make_unique<EtiquetasUdisks>(bus, esperaMs);
}

void InstalarEtiquetasUdisks() {
    static const std::unique_ptr<EtiquetasVolumen> udisks = CrearEtiquetasUdisks(QDBusConnection::systemBus());
    if (!HayEtiquetasVolumen()) SetEtiquetasVolumen(udisks.get());
}

}  // namespace quirvex
