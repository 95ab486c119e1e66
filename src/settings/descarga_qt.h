#pragma once
// A file fetched over the network by the event loop, for windows that must go on answering
// while it comes.

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QProgressDialog>
#include <QSaveFile>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

namespace quirvex {

// One download into a file, run by the event loop: the body goes into a temporary file beside
// `destino`, which becomes `destino` only when the whole body arrived with a success status.
// An error status, a body shorter than announced, no data for `esperaMs`, a cancel or the
// object's end before it finished leave no file behind.
class cDescarga {
public:
    cDescarga(QUrl direccion, QString destino, int esperaMs);
    ~cDescarga();
    cDescarga(const cDescarga&) = delete;
    cDescarga& operator=(const cDescarga&) = delete;

    // Called once, from the event loop, when the download ends (`completa`: the file is there).
    std::function<void(bool completa)> alTerminar;
    // Bytes received and announced (0 while unknown), as they arrive.
    std::function<void(qint64 recibidos, qint64 total)> alAvanzar;

    // Starts it; false (and nothing called) when it cannot start at all.
    bool Empezar();
    // Stops it now, leaving nothing; alTerminar is not called.
    void Cancelar();
    bool EnCurso() const { return respuesta_ != nullptr; }

private:
    void Recibir();
    void Terminar();

    QUrl direccion_;
    QString destino_;
    int esperaMs_;
    QNetworkAccessManager red_;
    QPointer<QNetworkReply> respuesta_;
    std::unique_ptr<QSaveFile> archivo_;
    qint64 recibidos_ = 0;
    bool escrito_ = true;
};

// The special font's download dialog: how far it has come, and a Cancel button. Deleted on
// close.
QProgressDialog* CrearDialogoDescarga(QWidget* padre);
// Per mille, so no size overflows the dialog's int range; busy while the size is unknown.
void MostrarAvance(QProgressDialog& dlg, qint64 recibidos, qint64 total);

// The same, waited for with the dialog shown: the call returns when the download is over or
// the user cancelled it, true when the file is there. Windows go on answering meanwhile.
bool DescargarArchivo(const QUrl& direccion, const QString& destino, int esperaMs);

}  // namespace quirvex
