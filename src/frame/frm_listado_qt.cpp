#include "frame/frm_listado_qt.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>
#include <QVBoxLayout>

#include "settings/idioma.h"

namespace quirvex {
namespace {

QString DeBytes(const std::string& s) { return QFile::decodeName(QByteArray::fromStdString(s)); }

QString FechaTexto(Fecha f) {
    if (f <= 0) return {};
    const qint64 ms = static_cast<qint64>((f - 25569.0) * 86400000.0);
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC).toString("yyyy-MM-dd hh:mm");
}

}  // namespace

int ModeloListado::rowCount(const QModelIndex&) const {
    return static_cast<int>(c_.nMostrados());
}

QVariant ModeloListado::data(const QModelIndex& i, int rol) const {
    if (rol != Qt::DisplayRole || i.row() >= rowCount()) return {};
    const ItemCarpeta& it = c_.Items[static_cast<size_t>(i.row())];
    switch (i.column()) {
        case 0: return DeBytes(it.Nombre);
        case 1: return it.Tipo == TIPO_ARCHIVO ? QVariant(QString::number(it.Tamano)) : QVariant();
        case 2: return QString::fromStdString(it.Tipo);
        default: return FechaTexto(it.FechaModificacion);
    }
}

QVariant ModeloListado::headerData(int seccion, Qt::Orientation o, int rol) const {
    if (o != Qt::Horizontal || rol != Qt::DisplayRole) return {};
    static const char* const kTitulos[] = {"Name", "Size", "Type", "Modified"};
    return QString::fromLatin1(kTitulos[seccion]);
}

frmListado::frmListado() : txtRuta_(new QLineEdit), lista_(new QTableView) {
    auto* centro = new QWidget;
    auto* capas = new QVBoxLayout(centro);
    capas->addWidget(txtRuta_);
    capas->addWidget(lista_);
    setCentralWidget(centro);
    lista_->setModel(&modelo_);
    lista_->verticalHeader()->hide();
    lista_->horizontalHeader()->setStretchLastSection(true);
    lista_->setSelectionBehavior(QAbstractItemView::SelectRows);
    lista_->setColumnWidth(0, 420);
    connect(lista_, &QTableView::activated, this, &frmListado::Activar);
    connect(txtRuta_, &QLineEdit::returnPressed, this,
            [this] { contenido_.CargarContenido(QFile::encodeName(txtRuta_->text()).toStdString(), true); });
    setWindowTitle(QString::fromStdString(Texto(General, 0)));
}

void frmListado::Abrir(const QString& ruta) {
    if (ruta.isEmpty())
        contenido_.GoDefaultFolder(QFile::encodeName(QDir::homePath()).toStdString());
    else
        contenido_.GoDefaultFolder(QFile::encodeName(ruta).toStdString());
}

void frmListado::RedibujarTodo() {
    modelo_.Recargar();
    txtRuta_->setText(DeBytes(contenido_.RutaActual));
    setWindowTitle(DeBytes(contenido_.NombreCarpeta) + " - " +
                   QString::fromStdString(Texto(General, 0)));
}

void frmListado::Activar(const QModelIndex& i) {
    if (i.row() >= contenido_.nMostrados()) return;
    const ItemCarpeta& it = contenido_.Items[static_cast<size_t>(i.row())];
    if (it.Tipo != TIPO_ARCHIVO) contenido_.CargarContenido(it.RutaCompleta, true);
}

void frmListado::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Backspace) {
        contenido_.SubirNivel();
        return;
    }
    QMainWindow::keyPressEvent(e);
}

}  // namespace quirvex
