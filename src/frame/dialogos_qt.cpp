#include "frame/dialogos_qt.h"

#include <QMessageBox>

namespace quirvex {

Respuesta DialogosQt::Mensaje(const std::string& texto, const std::string& titulo,
                              Botones botones) {
    return MensajeConIcono(texto, titulo, botones, IconoMensaje::Informacion);
}

Respuesta DialogosQt::MensajeConIcono(const std::string& texto, const std::string& titulo,
                                      Botones botones, IconoMensaje icono) {
    QMessageBox::StandardButtons b = QMessageBox::Ok;
    if (botones == Botones::SiNo || botones == Botones::SiNoDefectoNo)
        b = QMessageBox::Yes | QMessageBox::No;
    if (botones == Botones::SiNoCancelar)
        b = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    const auto defecto = botones == Botones::SiNoDefectoNo ? QMessageBox::No : QMessageBox::NoButton;
    const QString t = QString::fromUtf8(titulo);
    const QString m = QString::fromUtf8(texto);
    const auto r = icono == IconoMensaje::Exclamacion
                       ? QMessageBox::warning(padre_, t, m, b, defecto)
                       : QMessageBox::information(padre_, t, m, b, defecto);
    switch (r) {
        case QMessageBox::Yes: return Respuesta::Si;
        case QMessageBox::No: return Respuesta::No;
        case QMessageBox::Cancel: return Respuesta::Cancelar;
        default: return Respuesta::Aceptar;
    }
}

}  // namespace quirvex
