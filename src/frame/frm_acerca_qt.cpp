#include "frame/frm_acerca_qt.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "settings/idioma.h"

namespace quirvex {
namespace {

QPixmap Logo() {
    QPixmap px(64, 64);
    px.fill(Qt::transparent);
    QPainter p(&px);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 64);
    g.setColorAt(0, QColor(58, 110, 162));
    g.setColorAt(1, QColor(15, 35, 53));
    p.setBrush(g);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    p.setPen(QColor(240, 246, 252));
    QFont f = p.font();
    f.setPixelSize(38);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRect(0, 0, 64, 62), Qt::AlignCenter, QStringLiteral("Q"));
    return px;
}

}  // namespace

QString TextoVersion() {
    return QStringLiteral("%1.%2.%3")
        .arg(QUIRVEX_VERSION_MAJOR)
        .arg(QUIRVEX_VERSION_MINOR)
        .arg(QUIRVEX_VERSION_PATCH);
}

frmAcerca::frmAcerca(QWidget* padre)
    : QWidget(padre, Qt::Dialog),
      picLogo_(new QLabel(this)),
      lbl_(new QLabel(this)),
      lblV_(new QLabel(this)),
      txtL_(new QPlainTextEdit(this)),
      cmdCerrar_(new QPushButton(this)) {
    setObjectName("frmAcerca");
    picLogo_->setPixmap(Logo());
    QFont titulo = lbl_->font();
    titulo.setFamily(QStringLiteral("Segoe UI"));
    titulo.setPointSize(titulo.pointSize() + 6);
    titulo.setBold(true);
    lbl_->setFont(titulo);
    txtL_->setReadOnly(true);
    txtL_->setFixedHeight(64);
    auto* cabecera = new QHBoxLayout;
    cabecera->addWidget(picLogo_);
    auto* textos = new QVBoxLayout;
    textos->addWidget(lbl_);
    textos->addWidget(lblV_);
    cabecera->addLayout(textos, 1);
    auto* capas = new QVBoxLayout(this);
    capas->addLayout(cabecera);
    capas->addWidget(txtL_);
    capas->addWidget(cmdCerrar_, 0, Qt::AlignRight);
    connect(cmdCerrar_, &QPushButton::clicked, this, [this] { cmdCerrar_Click(); });
    SetIdioma();
    setFixedSize(380, sizeHint().height());
}

void frmAcerca::SetIdioma() {
    setWindowTitle(QString::fromStdString(Texto(frmAbout, 0)));
    lbl_->setText(QString::fromStdString(Texto(General, 0)));
    txtL_->setPlainText(QString::fromStdString(Texto(frmAbout, 2)));
    lblV_->setText(QString::fromStdString(Texto(frmAbout, 1)) + TextoVersion());
    cmdCerrar_->setText(QString::fromStdString(Texto(General, 27)));
}

void frmAcerca::closeEvent(QCloseEvent* e) {
    e->ignore();
    hide();
}

}  // namespace quirvex
