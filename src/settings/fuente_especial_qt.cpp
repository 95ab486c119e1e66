#include "settings/fuente_especial_qt.h"

#include "settings/descarga_qt.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

namespace quirvex {
namespace {

QFont& FuenteOriginal() {
    static QFont original = QApplication::font();
    return original;
}

}  // namespace

QString ArchivoRecibido(const QString& final) { return final + QStringLiteral(".descarga"); }

bool ColocarFuenteRecibida(const QString& recibido, const QString& final) {
    QFile datos(recibido);
    const int id = datos.open(QIODevice::ReadOnly) ? QFontDatabase::addApplicationFontFromData(datos.readAll()) : -1;
    datos.close();
    // Data that holds no font may still be given an id, with no family in it.
    const bool esFuente = id >= 0 && !QFontDatabase::applicationFontFamilies(id).isEmpty();
    if (id >= 0) QFontDatabase::removeApplicationFont(id);
    if (!esFuente) {
        QFile::remove(recibido);
        return false;
    }
    QFile::remove(final);
    if (!QFile::rename(recibido, final)) {
        QFile::remove(recibido);
        return false;
    }
    return true;
}

std::string ServicioFuentesQt::CarpetaFuentes() {
    const QString datos = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (datos.isEmpty()) return {};
    return QFile::encodeName(datos + QStringLiteral("/fonts/")).toStdString();
}

bool ServicioFuentesQt::Descargar(const std::string& direccion, const std::string& destino) {
    const QString final = QFile::decodeName(QByteArray::fromStdString(destino));
    const QString recibido = ArchivoRecibido(final);
    QFile::remove(recibido);
    return DescargarArchivo(QUrl(QString::fromStdString(direccion)), recibido, esperaMs_) &&
           ColocarFuenteRecibida(recibido, final);
}

bool ServicioFuentesQt::Registrar(const std::string& archivo) {
    const QString ruta = QFile::decodeName(QByteArray::fromStdString(archivo));
    // Other programs learn of the font through fontconfig's cache; this one loads it at once.
    const QString fcCache = QStandardPaths::findExecutable(QStringLiteral("fc-cache"));
    if (!fcCache.isEmpty()) {
        QProcess p;
        p.start(fcCache, {QFileInfo(ruta).absolutePath()});
        p.waitForFinished(60000);
    }
    return QFontDatabase::addApplicationFont(ruta) >= 0;
}

void ServicioFuentesQt::DejarCorrer() { QCoreApplication::processEvents(); }

bool ServicioFuentesQt::Sondear() { return FuenteEspecialDisponible(); }

ServicioFuentesQt& ServicioFuentesPrograma() {
    static ServicioFuentesQt servicio;
    return servicio;
}

bool FuenteEspecialDisponible() {
    QFont f(QString::fromLatin1(FUENTE_ESPECIAL));
    return QFontInfo(f).family() == QLatin1String(FUENTE_ESPECIAL);
}

QFont FuenteDibujo(int pixeles) {
    const bool especial = QApplication::font().family() == QLatin1String(FUENTE_ESPECIAL);
    QFont f(especial ? QString::fromLatin1(FUENTE_ESPECIAL) : QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixeles);
    return f;
}

namespace {

// Qt does not always pass a new application font to the windows already open (not before its
// event loop runs); each window is told here, and passes it down to its children, which then
// get their FontChange. A window that already has the font sees no change and does nothing.
void AvisarVentanas() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        QEvent e(QEvent::ApplicationFontChange);
        QCoreApplication::sendEvent(w, &e);
    }
}

}  // namespace

void AplicarFuenteInterfaz(bool especial) {
    const QFont original = FuenteOriginal();
    if (!especial) {
        if (QApplication::font().family() != QLatin1String(FUENTE_ESPECIAL)) return;
        QApplication::setFont(original);
    } else {
        QFont f = original;
        f.setFamily(QString::fromLatin1(FUENTE_ESPECIAL));
        QApplication::setFont(f);
    }
    AvisarVentanas();
}

}  // namespace quirvex
