#include "settings/elegir_carpeta_qt.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QPointer>

namespace quirvex {
namespace {

RespuestaElegirCarpeta& Respuesta() {
    static RespuestaElegirCarpeta r;
    return r;
}

}  // namespace

QFileDialog* CrearDialogoCarpeta(QWidget* padre, const QString& titulo, const QString& inicio) {
    auto* d = new QFileDialog(padre, titulo);
    d->setFileMode(QFileDialog::Directory);
    d->setOption(QFileDialog::ShowDirsOnly, true);
    d->setOption(QFileDialog::DontUseNativeDialog, true);
    d->setAcceptMode(QFileDialog::AcceptOpen);
    d->setDirectory(!inicio.isEmpty() && QDir(inicio).exists() ? inicio : QDir::homePath());
    return d;
}

std::string CarpetaElegida(const QString& ruta) {
    if (ruta.isEmpty()) return {};
    std::string r = QFile::encodeName(QDir::cleanPath(ruta)).toStdString();
    if (r.empty() || r.back() != '/') r.push_back('/');
    return r;
}

std::string ElegirCarpeta(QWidget* padre, const std::string& titulo, const std::string& inicio) {
    if (Respuesta()) return Respuesta()(titulo, inicio);
    QPointer<QFileDialog> d = CrearDialogoCarpeta(
        padre, QString::fromUtf8(titulo), QFile::decodeName(QByteArray::fromStdString(inicio)));
    const bool aceptado = d->exec() == QDialog::Accepted;
    if (!d) return {};
    const QStringList elegidas = d->selectedFiles();
    delete d;
    return aceptado && !elegidas.isEmpty() ? CarpetaElegida(elegidas.front()) : std::string();
}

void SetRespuestaElegirCarpeta(RespuestaElegirCarpeta respuesta) { Respuesta() = std::move(respuesta); }

}  // namespace quirvex
