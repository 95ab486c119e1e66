#include "folder/elegir_programa_qt.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "settings/idioma.h"

namespace quirvex {
namespace {

QString Qs(const std::string& s) { return QString::fromUtf8(s); }
QString SinAceleradores(QString s) { return s.remove('&'); }

}  // namespace

frmElegirPrograma::frmElegirPrograma(const std::string& ruta, QWidget* padre)
    : QDialog(padre), txtBuscar_(new QLineEdit), lista_(new QListWidget) {
    setWindowTitle(SinAceleradores(Qs(Texto(frmMainSec, 49))));
    programas_ = AsociacionesSistema().Todas();
    std::sort(programas_.begin(), programas_.end(), [](const Aplicacion& a, const Aplicacion& b) {
        return QString::localeAwareCompare(Qs(a.nombre), Qs(b.nombre)) < 0;
    });
    for (const auto& p : programas_) {
        auto* it = new QListWidgetItem(Qs(p.nombre), lista_);
        it->setData(Qt::UserRole, Qs(p.id));
        it->setToolTip(Qs(p.comando));
    }
    auto* botones = new QDialogButtonBox;
    botones->addButton(SinAceleradores(Qs(Texto(General, 22))), QDialogButtonBox::AcceptRole);
    botones->addButton(SinAceleradores(Qs(Texto(General, 23))), QDialogButtonBox::RejectRole);
    auto* capas = new QVBoxLayout(this);
    capas->addWidget(new QLabel(QFile::decodeName(QByteArray::fromStdString(ruta))));
    capas->addWidget(txtBuscar_);
    capas->addWidget(lista_);
    capas->addWidget(botones);
    txtBuscar_->setClearButtonEnabled(true);
    connect(txtBuscar_, &QLineEdit::textChanged, this, &frmElegirPrograma::Filtrar);
    connect(botones, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(botones, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(lista_, &QListWidget::itemActivated, this, &QDialog::accept);
    if (lista_->count() > 0) lista_->setCurrentRow(0);
    resize(420, 480);
}

void frmElegirPrograma::Filtrar(const QString& texto) {
    QListWidgetItem* primero = nullptr;
    for (int i = 0; i < lista_->count(); ++i) {
        QListWidgetItem* it = lista_->item(i);
        const bool ve = texto.isEmpty() || it->text().contains(texto, Qt::CaseInsensitive);
        it->setHidden(!ve);
        if (ve && !primero) primero = it;
    }
    if (lista_->currentItem() == nullptr || lista_->currentItem()->isHidden())
        lista_->setCurrentItem(primero);
}

std::string frmElegirPrograma::Elegido() const {
    const QListWidgetItem* it = lista_->currentItem();
    if (!it || it->isHidden()) return {};
    return it->data(Qt::UserRole).toString().toStdString();
}

bool ElegirProgramaYAbrir(const std::string& ruta, QWidget* padre) {
    frmElegirPrograma dlg(ruta, padre);
    if (dlg.exec() != QDialog::Accepted || dlg.Elegido().empty()) return false;
    Asociaciones& a = AsociacionesSistema();
    a.Recordar(dlg.Elegido(), a.TipoDe(ruta));
    return a.Lanzar(dlg.Elegido(), ruta);
}

}  // namespace quirvex
