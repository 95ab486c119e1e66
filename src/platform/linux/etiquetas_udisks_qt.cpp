// Volume labels through the desktop's disk service (udisks2 on the system bus). The service
// knows which tool each file system needs and asks the user for authorisation when the volume
// is not the user's own.

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QFileInfo>
#include <QVariantMap>

#include "platform/etiquetas_volumen.h"
#include "platform/etiquetas_udisks_qt.h"
#include "platform/unidades.h"

namespace quirvex {
namespace {

const QString SERVICIO = QStringLiteral("org.freedesktop.UDisks2");
const QString RAIZ_BLOQUES = QStringLiteral("/org/freedesktop/UDisks2/block_devices/");
// Long enough for the user to answer an authorisation prompt.
constexpr int ESPERA_MS = 120000;

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

// Asks the service for the object of a device node; older services lack the call, so the
// object is then named after the node the path resolves to.
QString ObjetoBloque(QDBusConnection& bus, const std::string& dispositivo) {
    QDBusMessage m = QDBusMessage::createMethodCall(
        SERVICIO, QStringLiteral("/org/freedesktop/UDisks2/Manager"),
        QStringLiteral("org.freedesktop.UDisks2.Manager"), QStringLiteral("ResolveDevice"));
    QVariantMap espec;
    espec.insert(QStringLiteral("path"), QString::fromLocal8Bit(dispositivo.c_str()));
    m << espec << QVariantMap();
    const QDBusMessage r = bus.call(m, QDBus::Block, ESPERA_MS);
    if (r.type() == QDBusMessage::ReplyMessage && !r.arguments().isEmpty()) {
        const auto objetos =
            qdbus_cast<QList<QDBusObjectPath>>(r.arguments().at(0).value<QDBusArgument>());
        if (!objetos.isEmpty()) return objetos.first().path();
    }
    const QString nodo = QFileInfo(QString::fromLocal8Bit(dispositivo.c_str())).canonicalFilePath();
    if (nodo.isEmpty()) return {};
    return RAIZ_BLOQUES + NombreObjeto(QFileInfo(nodo).fileName().toLocal8Bit());
}

class EtiquetasUdisks final : public EtiquetasVolumen {
public:
    bool CambiarEtiqueta(const std::string& puntoMontaje, const std::string& etiqueta,
                         std::string& motivo) override {
        const std::string dispositivo = DispositivoDe(puntoMontaje);
        if (dispositivo.empty() || dispositivo.front() != '/') {
            motivo = "not a mounted device";
            return false;
        }
        QDBusConnection bus = QDBusConnection::systemBus();
        if (!bus.isConnected()) {
            motivo = bus.lastError().message().toStdString();
            return false;
        }
        const QString objeto = ObjetoBloque(bus, dispositivo);
        if (objeto.isEmpty()) {
            motivo = "no block device for " + dispositivo;
            return false;
        }
        QDBusMessage m = QDBusMessage::createMethodCall(
            SERVICIO, objeto, QStringLiteral("org.freedesktop.UDisks2.Filesystem"),
            QStringLiteral("SetLabel"));
        m << QString::fromUtf8(etiqueta.c_str()) << QVariantMap();
        const QDBusMessage r = bus.call(m, QDBus::Block, ESPERA_MS);
        if (r.type() == QDBusMessage::ErrorMessage) {
            motivo = r.errorMessage().toStdString();
            return false;
        }
        return true;
    }
};

}  // namespace

void InstalarEtiquetasUdisks() {
    static EtiquetasUdisks udisks;
    if (!HayEtiquetasVolumen()) SetEtiquetasVolumen(&udisks);
}

}  // namespace quirvex
