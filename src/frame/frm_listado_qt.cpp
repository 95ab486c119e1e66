#include "frame/frm_listado_qt.h"

#include <QDateTime>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTableView>
#include <QVBoxLayout>

#include "frame/marco_qt.h"
#include "settings/idioma.h"

namespace quirvex {
namespace {

QString DeBytes(const std::string& s) { return QFile::decodeName(QByteArray::fromStdString(s)); }

QString FechaTexto(Fecha f) {
    if (f <= 0) return {};
    const qint64 ms = static_cast<qint64>((f - 25569.0) * 86400000.0);
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC).toString("yyyy-MM-dd hh:mm");
}

int SiguienteId() {
    static int ultimo = 0;
    return ++ultimo;
}

}  // namespace

int ModeloListado::rowCount(const QModelIndex&) const {
    return static_cast<int>(c_.nMostrados());
}

QVariant ModeloListado::data(const QModelIndex& i, int rol) const {
    if (i.row() >= rowCount()) return {};
    const ItemCarpeta& it = c_.Items[static_cast<size_t>(i.row())];
    if (rol == Qt::DecorationRole && i.column() == 0)
        return QIcon::fromTheme(it.Tipo == TIPO_ARCHIVO ? "text-x-generic" : "folder");
    if (rol != Qt::DisplayRole) return {};
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

frmListado::frmListado(Marco& marco) : marco_(marco), id_(SiguienteId()), lista_(new QTableView(this)) {
    setObjectName("frmMain");
    auto* capas = new QVBoxLayout(this);
    capas->setContentsMargins(1, 1, 1, 1);
    capas->addWidget(lista_);
    lista_->setModel(&modelo_);
    lista_->verticalHeader()->hide();
    lista_->horizontalHeader()->setStretchLastSection(true);
    lista_->setSelectionBehavior(QAbstractItemView::SelectRows);
    lista_->setShowGrid(false);
    lista_->setColumnWidth(0, 420);
    connect(lista_, &QTableView::activated, this, &frmListado::Activar);
}

QString frmListado::RutaActual() const { return DeBytes(contenido_.RutaActual); }

void frmListado::CargarVisores(const QString& visores) {
    if (visores.isEmpty()) return;
    contenido_.GoDefaultFolder(QFile::encodeName(visores.section('\n', 0, 0)).toStdString());
}

void frmListado::ActualizarAtrasAdelante() {
    if (!marco_.EsTabActual(this)) return;
    marco_.SetEstadoAtrasAdelante(0, contenido_.IndexHistorial() >= 1);
    marco_.SetEstadoAtrasAdelante(1, contenido_.IndexHistorial() != contenido_.UboundHistorial());
}

void frmListado::SetIdioma() { modelo_.Recargar(); }

QIcon frmListado::CurrentIcon() {
    return QIcon::fromTheme(contenido_.EnMiPC() ? "computer" : "folder");
}

void frmListado::EnfocarVisor() { lista_->setFocus(Qt::OtherFocusReason); }

void frmListado::RedibujarTodo() {
    modelo_.Recargar();
    marco_.SetTextoTab(this, DeBytes(contenido_.NombreCarpeta));
    if (!marco_.EsTabActual(this)) return;
    marco_.SetDireccion(DeBytes(contenido_.RutaActual), true);
    ActualizarAtrasAdelante();
}

void frmListado::Activar(const QModelIndex& i) {
    if (i.row() >= contenido_.nMostrados()) return;
    const ItemCarpeta& it = contenido_.Items[static_cast<size_t>(i.row())];
    if (it.Tipo != TIPO_ARCHIVO) contenido_.CargarContenido(it.RutaCompleta, true);
}

void frmListado::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Backspace && !editandoFiltro_) {
        contenido_.SubirNivel();
        return;
    }
    QWidget::keyPressEvent(e);
}

}  // namespace quirvex
