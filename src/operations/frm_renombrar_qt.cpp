#include "operations/frm_renombrar_qt.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "folder/contenido_visor.h"
#include "operations/rutas_operacion.h"
#include "settings/idioma.h"

namespace quirvex {
namespace {

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
QString T(int seccion, int clave) { return Q(Texto(seccion, clave)); }

constexpr int MAX_ETIQUETA = 11;
constexpr int MAX_NOMBRE = 255;

}  // namespace

frmRenombrar::frmRenombrar(QWidget* padre) : QDialog(padre) {
    setObjectName(QStringLiteral("frmRenombrar"));
    setModal(true);
    auto* rejilla = new QGridLayout(this);
    lbl_[0] = new QLabel(this);
    lbl_[1] = new QLabel(this);
    txtAnterior_ = new QLineEdit(this);
    txtAnterior_->setReadOnly(true);
    txtNuevo_ = new QLineEdit(this);
    txtNuevo_->setMaxLength(MAX_NOMBRE);
    txtNuevo_->setMinimumWidth(320);
    cmdAplicar_ = new QPushButton(this);
    cmdCancelar_ = new QPushButton(this);
    cmdAplicar_->setDefault(true);
    // Both boxes may hold the same name: each is known by its label.
    lbl_[0]->setBuddy(txtAnterior_);
    lbl_[1]->setBuddy(txtNuevo_);
    rejilla->addWidget(lbl_[0], 0, 0);
    rejilla->addWidget(txtAnterior_, 0, 1);
    rejilla->addWidget(lbl_[1], 1, 0);
    rejilla->addWidget(txtNuevo_, 1, 1);
    auto* botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(cmdAplicar_);
    botones->addWidget(cmdCancelar_);
    rejilla->addLayout(botones, 2, 0, 1, 2);
    connect(cmdAplicar_, &QPushButton::clicked, this, &frmRenombrar::cmdAplicar_Click);
    connect(cmdCancelar_, &QPushButton::clicked, this, &QDialog::reject);
    SetIdioma();
}

void frmRenombrar::SetIdioma() {
    setWindowTitle(T(frmRename, 0));
    lbl_[0]->setText(T(frmRename, 1));
    lbl_[1]->setText(T(frmRename, 2));
    cmdAplicar_->setText(T(General, 24));
    cmdCancelar_->setText(T(General, 23));
}

void frmRenombrar::PrepararRenombrar(const cContenidoVisor& visor, std::int64_t item,
                                     OyenteCambios* oyente) {
    const ItemCarpeta& it = visor.Items[static_cast<std::size_t>(item)];
    estado_ = {};
    estado_.modo = ModoRenombrar::Renombrar;
    estado_.tipo = CodigoTipo(it.Tipo);
    estado_.visor = &visor;
    estado_.oyente = oyente;
    if (visor.EnMiPC()) {
        const PartesEtiqueta e = SepararEtiquetaUnidad(it.Nombre);
        estado_.tipo = TIPO_UNIDAD;
        estado_.unidad = it.RutaPropia().empty() ? e.unidad : SinBarraFinal(it.RutaPropia());
        estado_.anterior = e.etiqueta;
        setWindowTitle(T(General, 19) + Q(estado_.unidad));
        txtNuevo_->setMaxLength(MAX_ETIQUETA);
    } else {
        estado_.carpeta = visor.RutaActual;
        estado_.anterior = it.Nombre;
        setWindowTitle(T(General, 20));
        txtNuevo_->setMaxLength(MAX_NOMBRE);
    }
    txtAnterior_->setText(Q(estado_.anterior));
    txtNuevo_->setText(txtAnterior_->text());
    // A file's extension stays out of the selection so typing replaces only the name.
    const QString nombre = txtNuevo_->text();
    const qsizetype punto = nombre.lastIndexOf(QLatin1Char('.'));
    const bool soloNombre = estado_.tipo == TIPO_ARCHIVO && punto >= 0;
    txtNuevo_->setSelection(0, soloNombre ? static_cast<int>(punto) : static_cast<int>(nombre.size()));
    txtNuevo_->setFocus();
}

void frmRenombrar::PrepararArchivoNuevo(const std::string& carpeta, OyenteCambios* oyente) {
    estado_ = {};
    estado_.modo = ModoRenombrar::ArchivoNuevo;
    estado_.tipo = TIPO_ARCHIVO;
    estado_.carpeta = AgregarBarra(carpeta);
    estado_.oyente = oyente;
    setWindowTitle(T(General, 12));
    lbl_[0]->setText(T(General, 13));
    lbl_[1]->setText(T(General, 14));
    txtAnterior_->setText(Q(estado_.carpeta));
    txtNuevo_->setMaxLength(MAX_NOMBRE);
    txtNuevo_->setText(T(General, 15) + QLatin1Char('.'));
    txtNuevo_->selectAll();
    txtNuevo_->setFocus();
}

void frmRenombrar::cmdAplicar_Click() {
    // An untouched box keeps the exact old bytes, which the box may not be able to show.
    if (estado_.modo == ModoRenombrar::Renombrar && txtNuevo_->text() == txtAnterior_->text()) {
        reject();
        return;
    }
    if (estado_.Aplicar(txtNuevo_->text().toStdString())) accept();
}

}  // namespace quirvex
