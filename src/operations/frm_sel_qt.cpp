#include "operations/frm_sel_qt.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>

#include "operations/selector.h"
#include "pane/selectores_qt.h"
#include "settings/idioma.h"
#include "settings/opciones.h"

namespace quirvex {
namespace {

constexpr int kAncho = 96, kAlto = 40, kMargen = 12, kHueco = 8;

QString Qs(int seccion, int clave) { return QString::fromStdString(Texto(seccion, clave)); }

TeclaSelector TeclaDe(int tecla) {
    switch (tecla) {
        case Qt::Key_Left: return TeclaSelector::Izquierda;
        case Qt::Key_Right: return TeclaSelector::Derecha;
        case Qt::Key_Up: return TeclaSelector::Arriba;
        case Qt::Key_Down: return TeclaSelector::Abajo;
        case Qt::Key_Home: return TeclaSelector::Inicio;
        case Qt::Key_End: return TeclaSelector::Fin;
        default: return TeclaSelector::Otra;
    }
}

}  // namespace

frmSel::frmSel(QWidget* padre)
    : QDialog(padre),
      marcado_(SelectorValido(Opciones().ColorSel)),
      cmdAplicar_(new QPushButton(this)),
      cmdCancelar_(new QPushButton(this)) {
    const int filas = (NUM_SELECTORES + COLUMNAS_SELECTOR - 1) / COLUMNAS_SELECTOR;
    const int ancho = 2 * kMargen + COLUMNAS_SELECTOR * kAncho + (COLUMNAS_SELECTOR - 1) * kHueco;
    const int altoGrid = kMargen + filas * (kAlto + kHueco);
    setFixedSize(ancho, altoGrid + 44);
    cmdCancelar_->setGeometry(ancho - kMargen - 100, altoGrid + 6, 100, 28);
    cmdAplicar_->setGeometry(ancho - kMargen - 208, altoGrid + 6, 100, 28);
    cmdAplicar_->setDefault(true);
    connect(cmdAplicar_, &QPushButton::clicked, this, &frmSel::cmdAplicar_Click);
    connect(cmdCancelar_, &QPushButton::clicked, this, &QDialog::reject);
    setFocusPolicy(Qt::StrongFocus);
    SetIdioma();
}

void frmSel::SetIdioma() {
    setWindowTitle(Qs(frmSelSec, 0));
    cmdAplicar_->setText(Qs(General, 24));
    cmdCancelar_->setText(Qs(General, 23));
}

QRect frmSel::RectMuestra(int i) const {
    const int fila = i / COLUMNAS_SELECTOR, col = i % COLUMNAS_SELECTOR;
    return QRect(kMargen + col * (kAncho + kHueco), kMargen + fila * (kAlto + kHueco), kAncho, kAlto);
}

void frmSel::Marcar(int indice) {
    if (indice < 0 || indice >= NUM_SELECTORES || indice == marcado_) return;
    marcado_ = indice;
    update();
}

void frmSel::cmdAplicar_Click() {
    AplicarSelector(marcado_);
    accept();
}

void frmSel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    for (int i = 0; i < NUM_SELECTORES; ++i) {
        const QRect r = RectMuestra(i);
        p.drawImage(r, MuestraSelector(i, r.size()));
        if (i == marcado_) {
            p.setPen(QPen(palette().color(QPalette::WindowText), 2, Qt::DotLine));
            p.drawRect(r.adjusted(-3, -3, 2, 2));
        }
    }
}

void frmSel::mousePressEvent(QMouseEvent* e) {
    for (int i = 0; i < NUM_SELECTORES; ++i)
        if (RectMuestra(i).contains(e->position().toPoint())) Marcar(i);
}

void frmSel::keyPressEvent(QKeyEvent* e) {
    const TeclaSelector t = TeclaDe(e->key());
    if (t == TeclaSelector::Otra) {
        QDialog::keyPressEvent(e);
        return;
    }
    Marcar(MoverSelector(marcado_, t));
}

}  // namespace quirvex
