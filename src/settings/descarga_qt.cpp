#include "settings/descarga_qt.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>

#include <algorithm>

#include "settings/idioma.h"

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

QProgressDialog* CrearDialogoDescarga(QWidget* padre) {
    auto* dlg = new QProgressDialog(QString::fromStdString(Texto(frmOptions, 161)),
                                    QString::fromStdString(Texto(General, 23)), 0, 0, padre);
    dlg->setWindowTitle(QString::fromStdString(Texto(General, 6)));
    dlg->setAttribute(Qt::WA_DeleteOnClose);
    dlg->setAutoClose(false);
    dlg->setAutoReset(false);
    dlg->setMinimumDuration(0);
    return dlg;
}

void MostrarAvance(QProgressDialog& dlg, qint64 recibidos, qint64 total) {
    dlg.setMaximum(total > 0 ? 1000 : 0);
    if (total > 0) dlg.setValue(static_cast<int>(std::min<qint64>(recibidos * 1000 / total, 1000)));
}

bool DescargarArchivo(const QUrl& direccion, const QString& destino, int esperaMs) {
    cDescarga descarga(direccion, destino, esperaMs);
    bool hecho = false;
    QEventLoop espera;
    QPointer<QProgressDialog> dlg = CrearDialogoDescarga(nullptr);
    QObject::connect(dlg, &QProgressDialog::canceled, &espera, [&] {
        descarga.Cancelar();
        espera.quit();
    });
    descarga.alAvanzar = [&](qint64 recibidos, qint64 total) {
        if (dlg) MostrarAvance(*dlg, recibidos, total);
    };
    descarga.alTerminar = [&](bool completa) {
        hecho = completa;
        espera.quit();
    };
    if (descarga.Empezar()) {
        dlg->show();
        espera.exec();
    }
    delete dlg.data();
    return hecho;
}

}  // namespace quirvex
