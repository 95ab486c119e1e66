#include "frame/dialogos_qt.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QThread>
#include <QVBoxLayout>

#include "settings/idioma.h"

namespace quirvex {

namespace {

QMessageBox::Icon IconoCaja(IconoMensaje icono) {
    switch (icono) {
        case IconoMensaje::Informacion: return QMessageBox::Information;
        case IconoMensaje::Exclamacion: return QMessageBox::Warning;
        case IconoMensaje::Pregunta: return QMessageBox::Question;
        case IconoMensaje::Stop: return QMessageBox::Critical;
        case IconoMensaje::Ninguno: break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

Respuesta DialogosQt::Mensaje(const std::string& texto, const std::string& titulo,
                              Botones botones, IconoMensaje icono) {
    QMessageBox::StandardButtons b = QMessageBox::Ok;
    if (botones == Botones::SiNo || botones == Botones::SiNoDefectoNo)
        b = QMessageBox::Yes | QMessageBox::No;
    if (botones == Botones::SiNoCancelar)
        b = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    QMessageBox caja(IconoCaja(icono), QString::fromUtf8(titulo), QString::fromUtf8(texto), b, padre_);
    if (botones == Botones::SiNoDefectoNo) caja.setDefaultButton(QMessageBox::No);
    switch (caja.exec()) {
        case QMessageBox::Yes: return Respuesta::Si;
        case QMessageBox::No: return Respuesta::No;
        case QMessageBox::Cancel: return Respuesta::Cancelar;
        default: return Respuesta::Aceptar;
    }
}

// The password lives in the dialog and in the caller's strings only; it is never written to the
// settings.
bool DialogosQt::PedirCredenciales(const std::string& servidor, const std::string& aviso,
                                   std::string& usuario, std::string& clave) {
    // A worker (a tally, a preview) has no window to ask from: the share stays closed to it.
    if (QThread::currentThread() != QCoreApplication::instance()->thread()) return false;
    QDialog d(padre_);
    d.setObjectName("frmCredenciales");
    d.setWindowTitle(QString::fromUtf8(servidor));
    auto* lblAviso = new QLabel(QString::fromUtf8(aviso), &d);
    lblAviso->setObjectName("lblAviso");
    lblAviso->setVisible(!aviso.empty());
    auto* txtUsuario = new QLineEdit(QString::fromUtf8(usuario), &d);
    txtUsuario->setObjectName("txtUsuario");
    auto* txtClave = new QLineEdit(&d);
    txtClave->setObjectName("txtClave");
    txtClave->setEchoMode(QLineEdit::Password);
    auto* campos = new QFormLayout;
    campos->addRow(QString::fromUtf8(Texto(General, 65)), txtUsuario);
    campos->addRow(QString::fromUtf8(Texto(General, 66)), txtClave);
    auto* botones = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &d);
    QObject::connect(botones, &QDialogButtonBox::accepted, &d, &QDialog::accept);
    QObject::connect(botones, &QDialogButtonBox::rejected, &d, &QDialog::reject);
    auto* columna = new QVBoxLayout(&d);
    columna->addWidget(new QLabel(QString::fromUtf8("//" + servidor), &d));
    columna->addWidget(lblAviso);
    columna->addLayout(campos);
    columna->addWidget(botones);
    if (d.exec() != QDialog::Accepted) return false;
    usuario = txtUsuario->text().toStdString();
    clave = txtClave->text().toStdString();
    return true;
}

}  // namespace quirvex
