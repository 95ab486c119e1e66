#include "settings/fuente_especial_qt.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTimer>

namespace quirvex {
namespace {

QFont& FuenteOriginal() {
    static QFont original = QApplication::font();
    return original;
}

}  // namespace

bool DescargarArchivo(const QUrl& direccion, const QString& destino, int esperaMs) {
    if (!direccion.isValid() || direccion.isRelative()) return false;
    QNetworkAccessManager red;
    QNetworkRequest pedido(direccion);
    pedido.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    // Counts from the last data received, so a server that never answers ends the wait.
    pedido.setTransferTimeout(esperaMs);
    QSaveFile archivo(destino);
    if (!QDir().mkpath(QFileInfo(destino).absolutePath()) || !archivo.open(QIODevice::WriteOnly))
        return false;
    QNetworkReply* r = red.get(pedido);
    bool escrito = true;
    qint64 recibidos = 0;
    QEventLoop espera;
    QObject::connect(r, &QNetworkReply::readyRead, &espera, [&] {
        const QByteArray datos = r->readAll();
        recibidos += datos.size();
        if (archivo.write(datos) != datos.size()) escrito = false;
    });
    QObject::connect(r, &QNetworkReply::finished, &espera, &QEventLoop::quit);
    if (!r->isFinished()) espera.exec(QEventLoop::ExcludeUserInputEvents);
    const QByteArray resto = r->readAll();
    recibidos += resto.size();
    if (archivo.write(resto) != resto.size()) escrito = false;
    const int estado = r->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QVariant largo = r->header(QNetworkRequest::ContentLengthHeader);
    const bool completo = r->error() == QNetworkReply::NoError &&
                          (direccion.scheme() != QLatin1String("http") &&
                                   direccion.scheme() != QLatin1String("https")
                               ? true
                               : estado >= 200 && estado < 300) &&
                          (!largo.isValid() || largo.toLongLong() == recibidos) && recibidos > 0;
    r->deleteLater();
    if (!completo || !escrito) {
        archivo.cancelWriting();
        return false;
    }
    return archivo.commit();
}

std::string ServicioFuentesQt::CarpetaFuentes() {
    const QString datos = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (datos.isEmpty()) return {};
    return QFile::encodeName(datos + QStringLiteral("/fonts/")).toStdString();
}

bool ServicioFuentesQt::Descargar(const std::string& direccion, const std::string& destino) {
    // The body lands beside the font under another name and takes the font's name only once it
    // is known to be a font: a server that answers with a page, or with nothing useful, must not
    // leave a file that every later attempt would take for the font.
    const QString final = QFile::decodeName(QByteArray::fromStdString(destino));
    const QString recibido = final + QStringLiteral(".descarga");
    QFile::remove(recibido);
    if (!DescargarArchivo(QUrl(QString::fromStdString(direccion)), recibido, esperaMs_)) return false;
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

void AplicarFuenteInterfaz(bool especial) {
    const QFont original = FuenteOriginal();
    if (!especial) {
        if (QApplication::font().family() == QLatin1String(FUENTE_ESPECIAL)) QApplication::setFont(original);
        return;
    }
    QFont f = original;
    f.setFamily(QString::fromLatin1(FUENTE_ESPECIAL));
    QApplication::setFont(f);
}

}  // namespace quirvex
