#include "frame/dialogos_qt.h"

#include <QMessageBox>

namespace quirvex {

Respuesta DialogosQt::Mensaje(const std::string& texto, const std::string& titulo,
                              Botones botones) {
    QMessageBox::StandardButtons b = QMessageBox::Ok;
    if (botones == Botones::SiNo || botones == Botones::SiNoDefectoNo)
        b = QMessageBox::Yes | QMessageBox::No;
    if (botones == Botones::SiNoCancelar)
        b = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    const auto r = QMessageBox::information(
        padre_, QString::fromUtf8(titulo), QString::fromUtf8(texto), b,
        botones == Botones::SiNoDefectoNo ? QMessageBox::No : QMessageBox::NoButton);
    switch (r) {
        case QMessageBox::Yes: return Respuesta::Si;
        case QMessageBox::No: return Respuesta::No;
        case QMessageBox::Cancel: return Respuesta::Cancelar;
        default: return Respuesta::Aceptar;
    }
}

}  // namespace quirvex
