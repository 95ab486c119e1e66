#include "settings/descarga_qt.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>

#include <algorithm>

namespace quirvex {

cDescarga::cDescarga(QUrl direccion, QString destino, int esperaMs)
    : direccion_(std::move(direccion)), destino_(std::move(destino)), esperaMs_(esperaMs) {}

cDescarga::~cDescarga() { Cancelar(); }

bool cDescarga::Empezar() {
    if (respuesta_ || !direccion_.isValid() || direccion_.isRelative()) return false;
    archivo_ = std::make_unique<QSaveFile>(destino_);
    if (!QDir().mkpath(QFileInfo(destino_).absolutePath()) || !archivo_->open(QIODevice::WriteOnly)) {
        archivo_.reset();
        return false;
    }
    QNetworkRequest pedido(direccion_);
    pedido.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    // Counts from the last data received, so a server that never answers ends the wait.
    pedido.setTransferTimeout(esperaMs_);
    recibidos_ = 0;
    escrito_ = true;
    respuesta_ = red_.get(pedido);
    QObject::connect(respuesta_, &QNetworkReply::readyRead, respuesta_, [this] { Recibir(); });
    QObject::connect(respuesta_, &QNetworkReply::downloadProgress, respuesta_, [this](qint64 r, qint64 t) {
        if (alAvanzar) alAvanzar(r, std::max<qint64>(t, 0));
    });
    QObject::connect(respuesta_, &QNetworkReply::finished, respuesta_, [this] { Terminar(); });
    return true;
}

void cDescarga::Recibir() {
    const QByteArray datos = respuesta_->readAll();
    recibidos_ += datos.size();
    if (archivo_->write(datos) != datos.size()) escrito_ = false;
}

void cDescarga::Terminar() {
    Recibir();
    QNetworkReply* r = respuesta_;
    const int estado = r->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const bool http = direccion_.scheme() == QLatin1String("http") || direccion_.scheme() == QLatin1String("https");
    const QVariant largo = r->header(QNetworkRequest::ContentLengthHeader);
    const bool completo = r->error() == QNetworkReply::NoError && (!http || (estado >= 200 && estado < 300)) &&
                          (!largo.isValid() || largo.toLongLong() == recibidos_) && recibidos_ > 0;
    respuesta_ = nullptr;
    r->disconnect();
    r->deleteLater();
    bool hecho = false;
    if (completo && escrito_)
        hecho = archivo_->commit();
    else
        archivo_->cancelWriting();
    archivo_.reset();
    if (alTerminar) alTerminar(hecho);
}

void cDescarga::Cancelar() {
    if (!respuesta_) return;
    QNetworkReply* r = respuesta_;
    respuesta_ = nullptr;
    r->disconnect();
    r->abort();
    r->deleteLater();
    archivo_->cancelWriting();
    archivo_.reset();  // the temporary file goes with it
}

bool DescargarArchivo(const QUrl& direccion, const QString& destino, int esperaMs) {
    cDescarga descarga(direccion, destino, esperaMs);
    bool hecho = false;
    QEventLoop espera;
    descarga.alTerminar = [&](bool completa) {
        hecho = completa;
        espera.quit();
    };
    if (!descarga.Empezar()) return false;
    espera.exec(QEventLoop::ExcludeUserInputEvents);
    return hecho;
}

}  // namespace quirvex
