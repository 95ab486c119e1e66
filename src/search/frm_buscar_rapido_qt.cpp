#include "search/frm_buscar_rapido_qt.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <atomic>

#include "pane/formato_visor.h"
#include "settings/idioma.h"

namespace quirvex {
namespace {

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
QString T(int seccion, int clave) { return Q(Texto(seccion, clave)); }

// Handles are small positive numbers, unique in the run.
std::int64_t NuevoHandle() {
    static std::atomic<std::int64_t> siguiente{0x51000};
    return ++siguiente;
}

constexpr int kRolCarpeta = Qt::UserRole;
constexpr int kRolNombre = Qt::UserRole + 1;

}  // namespace

frmBuscarRapido::frmBuscarRapido(QWidget* duena)
    : QWidget(duena, Qt::Tool | Qt::FramelessWindowHint), handle_(NuevoHandle()) {
    setObjectName("frmBuscarRapido");
    setAttribute(Qt::WA_ShowWithoutActivating);
    auto* capas = new QVBoxLayout(this);
    capas->setContentsMargins(1, 1, 1, 1);
    capas->setSpacing(0);
    lst_ = new QTreeWidget(this);
    lst_->setObjectName("lstAciertos");
    lst_->setRootIsDecorated(false);
    lst_->setUniformRowHeights(true);
    lst_->setColumnCount(3);
    lst_->header()->setStretchLastSection(false);
    lst_->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    lst_->installEventFilter(this);
    connect(lst_, &QTreeWidget::itemDoubleClicked, this, [this] { AbrirElegido(); });
    capas->addWidget(lst_);
    lblTotal_ = new QLabel(this);
    lblTotal_->setObjectName("lblTotal");
    capas->addWidget(lblTotal_);
    SetIdioma();
    resize(560, 320);
}

void frmBuscarRapido::SetIdioma() {
    lst_->setHeaderLabels({T(frmMainSec, 55), T(General, 64), T(frmMainSec, 57)});
}

void frmBuscarRapido::MostrarResultados(const ResultadosIndice& r) {
    texto_ = r.texto;
    lst_->clear();
    const std::string sep = QLocale().decimalPoint().toStdString();
    QList<QTreeWidgetItem*> filas;
    for (const AciertoIndice& a : r.aciertos) {
        auto* f = new QTreeWidgetItem({Q(a.nombre), Q(a.carpeta),
                                       a.esCarpeta || a.tamano < 0 ? QString() : Q(FormatearTamano(a.tamano, 0, sep))});
        f->setData(0, kRolCarpeta, QByteArray::fromStdString(a.carpeta));
        f->setData(0, kRolNombre, QByteArray::fromStdString(a.nombre));
        f->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        filas.push_back(f);
    }
    lst_->addTopLevelItems(filas);
    // Nothing chosen yet: Enter opens the first, Down chooses it.
    lst_->setCurrentItem(nullptr);
    lst_->resizeColumnToContents(0);
    lblTotal_->setText(T(frmMainSec, 60) + " " + QString::number(r.total) + " " + T(frmMainSec, 61));
}

void frmBuscarRapido::Vaciar() {
    texto_.clear();
    lst_->clear();
    lblTotal_->clear();
}

void frmBuscarRapido::MostrarAviso(const QString& aviso) {
    Vaciar();
    lblTotal_->setText(aviso);
}

bool frmBuscarRapido::Mover(int paso) {
    const int n = lst_->topLevelItemCount();
    if (n == 0) return false;
    QTreeWidgetItem* actual = lst_->currentItem();
    const int fila = actual ? std::clamp(lst_->indexOfTopLevelItem(actual) + paso, 0, n - 1) : 0;
    lst_->setCurrentItem(lst_->topLevelItem(fila));
    return true;
}

bool frmBuscarRapido::AbrirElegido() {
    const QTreeWidgetItem* f = lst_->currentItem() ? lst_->currentItem() : lst_->topLevelItem(0);
    if (!f) return false;
    if (alAbrir)
        alAbrir(f->data(0, kRolCarpeta).toByteArray().toStdString(), f->data(0, kRolNombre).toByteArray().toStdString());
    return true;
}

void frmBuscarRapido::Form_Resize() {
    if (alRedimensionar) alRedimensionar(width(), height());
}

void frmBuscarRapido::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    // The size a hidden popup takes when it is first shown was reported just before, by the
    // search that shows it: only a change on screen is news.
    if (isVisible()) Form_Resize();
}

bool frmBuscarRapido::eventFilter(QObject* objeto, QEvent* e) {
    // Enter opens the current hit (the list would otherwise leave it to the style).
    if (objeto == lst_ && e->type() == QEvent::KeyPress) {
        const int tecla = static_cast<QKeyEvent*>(e)->key();
        if (tecla == Qt::Key_Return || tecla == Qt::Key_Enter) {
            AbrirElegido();
            return true;
        }
    }
    return QWidget::eventFilter(objeto, e);
}

}  // namespace quirvex
