#include "search/frm_buscar_qt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include "folder/tabla_unidades.h"
#include "frame/accesibles_marco_qt.h"
#include "frame/marco_qt.h"
#include "platform/dialogos.h"
#include "search/notificadores_enlace_qt.h"
#include "settings/elegir_carpeta_qt.h"
#include "settings/idioma.h"

namespace quirvex {
namespace {

// How long the search runs between two turns of the window's events.
constexpr qint64 kCesionMs = 50;
// How often a running "Database" search looks at its server's time limits.
constexpr int kRevisarConsultaMs = 250;


QString T(int seccion, int clave) { return QString::fromStdString(Texto(seccion, clave)); }

QString Nativo(const std::string& bytes) { return QFile::decodeName(QByteArray::fromStdString(bytes)); }

// The title of the folder browser of the Add button, the same in every language.
constexpr const char* kTituloCarpeta = "Seleccionar Carpeta";

}  // namespace

ModeloResultados::ModeloResultados(std::shared_ptr<cBusqueda> b, QObject* padre)
    : QAbstractTableModel(padre), b_(std::move(b)) {}

int ModeloResultados::rowCount(const QModelIndex& padre) const {
    return padre.isValid() ? 0 : mostradas_;
}

int ModeloResultados::columnCount(const QModelIndex& padre) const { return padre.isValid() ? 0 : 2; }

QVariant ModeloResultados::data(const QModelIndex& i, int rol) const {
    if (!i.isValid() || i.row() >= mostradas_ || static_cast<std::size_t>(i.row()) >= b_->Resultados.size())
        return {};
    const ResultadoBusqueda& r = b_->Resultados[static_cast<std::size_t>(i.row())];
    if (rol == Qt::DisplayRole || rol == Qt::ToolTipRole)
        return i.column() == 0 ? Nativo(r.nombre) : Nativo(b_->Carpetas[r.carpeta]);
    return {};
}

QVariant ModeloResultados::headerData(int seccion, Qt::Orientation o, int rol) const {
    if (o != Qt::Horizontal || rol != Qt::DisplayRole || seccion < 0 || seccion > 1) return {};
    return titulos_[seccion];
}

void ModeloResultados::Sincronizar() {
    const int total = static_cast<int>(b_->Resultados.size());
    if (total < mostradas_) {
        Reiniciar();
        return;
    }
    if (total == mostradas_) return;
    beginInsertRows({}, mostradas_, total - 1);
    mostradas_ = total;
    endInsertRows();
}

void ModeloResultados::Reiniciar() {
    beginResetModel();
    mostradas_ = static_cast<int>(b_->Resultados.size());
    endResetModel();
}

void ModeloResultados::SetTitulos(const QString& nombre, const QString& carpeta) {
    titulos_[0] = nombre;
    titulos_[1] = carpeta;
    emit headerDataChanged(Qt::Horizontal, 0, 1);
}

frmBuscar::frmBuscar(Marco& marco, int id, QWidget* padre)
    : QWidget(padre), marco_(marco), id_(id), b_(std::make_shared<cBusqueda>()) {
    setObjectName("frmBuscar");
    Construir();
    SetIdioma();
}

frmBuscar::~frmBuscar() {
    b_->Buscando = false;
    delete notificadores_;  // before the link they drive
}

void frmBuscar::Construir() {
    setAutoFillBackground(true);
    for (auto*& l : lbl_) l = new QLabel(this);
    txtARCHIVO_ = new QLineEdit(this);
    cboCARPETA_ = new QComboBox(this);
    cboCARPETA_->setMinimumContentsLength(30);
    cboCARPETA_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cmdADD_ = new QPushButton(QIcon::fromTheme("list-add"), QStringLiteral("+"), this);
    cmdELIMINAR_ = new QPushButton(QIcon::fromTheme("list-remove"), QStringLiteral("-"), this);
    cmdBORRAR_ = new QPushButton(this);
    cmdUNIDADES_ = new QPushButton(this);
    fraMB_ = new QGroupBox(this);
    chkDISCO_ = new QCheckBox(fraMB_);
    chkDISCO_->setChecked(true);
    chkBD_ = new QCheckBox(fraMB_);
    cmdBUSCAR_ = new QPushButton(this);
    cmdCancelar_ = new QPushButton(this);
    // Kept for the index server's map; it has no action.
    cmdCrearMapa_ = new QPushButton(this);
    cmdCrearMapa_->hide();
    tConsulta_ = new QTimer(this);
    tConsulta_->setInterval(kRevisarConsultaMs);
    connect(tConsulta_, &QTimer::timeout, this, [this] {
        if (consulta_) consulta_->Revisar();
    });
    modelo_ = new ModeloResultados(b_, this);
    LISTA_ = new QTreeView(this);
    LISTA_->setModel(modelo_);
    LISTA_->setRootIsDecorated(false);
    LISTA_->setUniformRowHeights(true);
    LISTA_->setItemsExpandable(false);
    LISTA_->setSelectionBehavior(QAbstractItemView::SelectRows);
    LISTA_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LISTA_->header()->setStretchLastSection(true);
    LISTA_->header()->resizeSection(0, 260);
    lbl_[0]->setBuddy(txtARCHIVO_);
    lbl_[1]->setBuddy(cboCARPETA_);
    lbl_[2]->setBuddy(LISTA_);
    MarcarLineaEstado(lbl_[3]);

    auto* rejilla = new QGridLayout;
    rejilla->addWidget(lbl_[0], 0, 0);
    rejilla->addWidget(txtARCHIVO_, 0, 1, 1, 5);
    rejilla->addWidget(lbl_[1], 1, 0);
    rejilla->addWidget(cboCARPETA_, 1, 1);
    rejilla->addWidget(cmdADD_, 1, 2);
    rejilla->addWidget(cmdELIMINAR_, 1, 3);
    rejilla->addWidget(cmdBORRAR_, 1, 4);
    rejilla->addWidget(cmdUNIDADES_, 1, 5);
    rejilla->setColumnStretch(1, 1);
    auto* motor = new QHBoxLayout(fraMB_);
    motor->addWidget(chkDISCO_);
    motor->addWidget(chkBD_);
    motor->addStretch(1);
    auto* botones = new QHBoxLayout;
    botones->addWidget(fraMB_, 1);
    botones->addWidget(cmdBUSCAR_, 0, Qt::AlignBottom);
    botones->addWidget(cmdCancelar_, 0, Qt::AlignBottom);
    auto* capas = new QVBoxLayout(this);
    capas->setContentsMargins(10, 10, 10, 6);
    capas->addLayout(rejilla);
    capas->addLayout(botones);
    capas->addWidget(lbl_[2]);
    capas->addWidget(LISTA_, 1);
    capas->addWidget(lbl_[3]);

    connect(cmdADD_, &QPushButton::clicked, this, [this] { cmdADD_Click(); });
    connect(cmdELIMINAR_, &QPushButton::clicked, this, [this] { cmdELIMINAR_Click(); });
    connect(cmdBORRAR_, &QPushButton::clicked, this, [this] { cmdBORRAR_Click(); });
    connect(cmdUNIDADES_, &QPushButton::clicked, this, [this] { cmdUNIDADES_Click(); });
    connect(cmdBUSCAR_, &QPushButton::clicked, this, [this] { cmdBUSCAR_Click(); });
    connect(cmdCancelar_, &QPushButton::clicked, this, [this] { cmdCancelar_Click(); });
    // Enter in the name box starts the search, as if the search button were the default.
    connect(txtARCHIVO_, &QLineEdit::returnPressed, this, [this] {
        if (cmdBUSCAR_->isEnabled()) cmdBUSCAR_Click();
    });
    // A double click anywhere on a row, whichever button pressed it first.
    LISTA_->viewport()->installEventFilter(this);
}

bool frmBuscar::eventFilter(QObject* objeto, QEvent* e) {
    if (objeto == LISTA_->viewport() && e->type() == QEvent::MouseButtonDblClick) {
        const QModelIndex i = LISTA_->indexAt(static_cast<QMouseEvent*>(e)->position().toPoint());
        if (i.isValid()) {
            LISTA_DblClick(i.row());
            return true;
        }
    }
    return QWidget::eventFilter(objeto, e);
}

QString frmBuscar::RutaActual() const {
    return cboCARPETA_->count() > 0 ? cboCARPETA_->itemText(0) : QString();
}

void frmBuscar::ActualizarAtrasAdelante() {
    marco_.SetEstadoAtrasAdelante(0, false);
    marco_.SetEstadoAtrasAdelante(1, false);
}

void frmBuscar::SetIdioma() {
    setWindowTitle(T(frmSearch, 0));
    for (int k = 0; k < 3; ++k) lbl_[k]->setText(T(frmSearch, k + 1));
    // The status line says in the new language what it said: ready, or the last search's end.
    if (!hecha_ && !b_->Buscando) lbl_[3]->setText(T(frmSearch, 4));
    if (hecha_ && !corriendo_)
        SetEstado(QString::fromStdString(TextoFinBusqueda(b_->Resultados.size(), SegundosBusqueda_)));
    cmdBORRAR_->setText(T(General, 11));
    cmdUNIDADES_->setText(T(frmSearch, 12));
    chkDISCO_->setText(T(frmSearch, 11));
    chkBD_->setText(T(frmSearch, 10));
    fraMB_->setTitle(T(frmSearch, 14));
    cmdBUSCAR_->setText(T(frmSearch, 5));
    cmdCancelar_->setText(T(General, 23));
    cmdADD_->setAccessibleName(T(frmSearch, 240));
    cmdELIMINAR_->setAccessibleName(T(frmSearch, 241));
    LISTA_->setAccessibleName(T(frmSearch, 3));
    modelo_->SetTitulos(T(frmSearch, 1).remove(QLatin1Char(':')), T(frmSearch, 2).remove(QLatin1Char(':')));
    IniCaption();
}

void frmBuscar::IniCaption() {
    const QString texto = T(frmSearch, 1);
    const int dosPuntos = texto.indexOf(QLatin1Char(':'));
    marco_.SetTextoTab(this, dosPuntos >= 0 ? texto.left(dosPuntos) : texto);
}

void frmBuscar::PreUnload() { b_->Buscando = false; }

QIcon frmBuscar::CurrentIcon() { return QIcon::fromTheme(QStringLiteral("system-search")); }

std::vector<std::string> frmBuscar::Carpetas() const {
    std::vector<std::string> r;
    for (int i = 0; i < cboCARPETA_->count(); ++i)
        r.push_back(cboCARPETA_->itemData(i).toByteArray().toStdString());
    return r;
}

void frmBuscar::PonerCarpetas(const std::vector<std::string>& carpetas) {
    cboCARPETA_->clear();
    for (const std::string& c : carpetas) cboCARPETA_->addItem(Nativo(c), QByteArray::fromStdString(c));
    cboCARPETA_->setCurrentIndex(carpetas.empty() ? -1 : 0);
}

void frmBuscar::AgregarCarpeta(const std::string& ruta) {
    std::vector<std::string> lista = Carpetas();
    if (quirvex::AgregarCarpeta(lista, ruta)) PonerCarpetas(lista);
}

void frmBuscar::cmdADD_Click() {
    const std::string elegida = ElegirCarpeta(this, kTituloCarpeta, QDir::homePath().toStdString());
    if (!elegida.empty()) AgregarCarpeta(elegida);
}

void frmBuscar::cmdELIMINAR_Click() {
    const int i = cboCARPETA_->currentIndex();
    if (i >= 0) cboCARPETA_->removeItem(i);
}

void frmBuscar::cmdBORRAR_Click() { cboCARPETA_->clear(); }

void frmBuscar::cmdUNIDADES_Click() {
    // Each one goes to the top, so the list ends up in the table's reverse order.
    ListarUnidades();
    for (const RegistroUnidad& u : TablaUnidades()) AgregarCarpeta(u.raiz);
}

void frmBuscar::SetEstado(const QString& texto) { lbl_[3]->setText(texto); }

void frmBuscar::cmdBUSCAR_Click() {
    // A click that arrives while a cancelled walk is still unwinding waits for it to end.
    if (b_->Buscando || corriendo_) return;
    if (cboCARPETA_->count() == 0) {
        DialogosSistema().Mensaje(Texto(frmSearch, 13), Texto(frmSearch, 0), Botones::Aceptar,
                                  IconoMensaje::Informacion);
        return;
    }
    reloj_.start();
    // Everything the walk needs is held here: the window may be closed during a yield.
    const std::shared_ptr<cBusqueda> b = b_;
    QPointer<frmBuscar> yo = this;
    ++b->NumBusquedas;
    const std::vector<std::string> carpetas = Carpetas();
    cmdBUSCAR_->setEnabled(false);
    corriendo_ = true;
    b->Buscando = true;
    b->Limpiar();
    // Both sources find the same files: each path is listed once.
    b->Unicas = chkBD_->isChecked() && chkDISCO_->isChecked();
    modelo_->Reiniciar();
    const std::string patron = PatronDeBusqueda(txtARCHIVO_->text().toStdString());
    if (chkBD_->isChecked()) EmpezarBaseDatos(patron, carpetas);
    if (chkDISCO_->isChecked()) {
        recorriendo_ = true;
        const PatronBusqueda p(patron);
        ContadoresBusqueda contadores;
        AvisosBusqueda avisos;
        // The walk offers a turn every few folders and hits; the window takes one only every
        // kCesionMs. Each turn appends the hits found since the last one in one batch and says
        // the count once: a repaint per thirty hits cost more than the search itself.
        QElapsedTimer desdeCesion;
        desdeCesion.start();
        std::size_t contados = 0, dichos = 0;
        avisos.DejarCorrer = [yo, &desdeCesion, &contados, &dichos] {
            if (desdeCesion.elapsed() < kCesionMs) return;
            if (yo) {
                yo->modelo_->Sincronizar();
                if (contados != dichos) yo->SetEstado(T(frmInfoSec, 3) + QLatin1Char(' ') + QString::number(contados));
                dichos = contados;
            }
            QCoreApplication::processEvents();
            desdeCesion.restart();
        };
        avisos.Progreso = [&contados](std::size_t n) { contados = n; };
        for (const std::string& carpeta : carpetas) {
            if (!b->Buscando) break;
            BuscarEnCarpeta(p, carpeta, b, contadores, avisos);
        }
        if (!yo) return;
        recorriendo_ = false;
    }
    TerminarSiHecha();
}

void frmBuscar::EmpezarBaseDatos(const std::string& patron, const std::vector<std::string>& carpetas) {
    delete notificadores_;
    notificadores_ = nullptr;
    consulta_ = std::make_unique<cConsultaIndice>();
    finConsulta_ = cConsultaIndice::Fin::EnCurso;
    consulta_->alAciertos = [this](const std::vector<AciertoIndice>& a) { AciertosBaseDatos(a); };
    consulta_->alTerminar = [this] {
        finConsulta_ = consulta_->Estado();
        tConsulta_->stop();
        // Not here: the link is still reading. The end is taken on the next turn.
        QTimer::singleShot(0, this, [this] { TerminarSiHecha(); });
    };
    notificadores_ = new NotificadoresEnlace(consulta_->Enlace(), this);
    if (consulta_->Empezar(patron, carpetas)) tConsulta_->start();
}

void frmBuscar::AciertosBaseDatos(const std::vector<AciertoIndice>& aciertos) {
    cBusqueda& b = *b_;
    if (!b.Buscando) return;
    for (const AciertoIndice& a : aciertos) {
        if (!b.Nueva(a.carpeta, a.nombre)) continue;
        if (b.Carpetas.empty() || b.Carpetas.back() != a.carpeta) b.Carpetas.push_back(a.carpeta);
        b.Resultados.push_back({a.nombre, static_cast<std::uint32_t>(b.Carpetas.size() - 1)});
    }
    // While the walk runs it shows the rows at its turns; alone, each slice shows at once.
    if (!recorriendo_) {
        modelo_->Sincronizar();
        SetEstado(T(frmInfoSec, 3) + QLatin1Char(' ') + QString::number(b.Resultados.size()));
    }
}

void frmBuscar::TerminarSiHecha() {
    if (!corriendo_ || recorriendo_) return;
    if (b_->Buscando && finConsulta_ == cConsultaIndice::Fin::EnCurso) return;  // more hits to come
    corriendo_ = false;
    b_->Buscando = false;
    tConsulta_->stop();
    const cConsultaIndice::Fin fin = finConsulta_;
    finConsulta_ = cConsultaIndice::Fin::Completa;
    // A stream cut short by a cancel is dropped with its connection.
    delete notificadores_;
    notificadores_ = nullptr;
    consulta_.reset();
    cmdBUSCAR_->setEnabled(true);
    modelo_->Sincronizar();
    SegundosBusqueda_ = static_cast<double>(reloj_.elapsed()) / 1000.0;
    hecha_ = true;
    const QString antes = lbl_[3]->text();
    QString estado = QString::fromStdString(TextoFinBusqueda(b_->Resultados.size(), SegundosBusqueda_));
    if (fin == cConsultaIndice::Fin::SinServidor) estado += QStringLiteral(". ") + T(frmSearch, 140);
    if (fin == cConsultaIndice::Fin::Construyendo) estado += QStringLiteral(". ") + T(frmSearch, 141);
    SetEstado(estado);
    AnunciarLineaEstado(lbl_[3], antes);
}

void frmBuscar::cmdCancelar_Click() {
    if (b_->Buscando) {
        b_->Buscando = false;
        cmdBUSCAR_->setEnabled(true);
        // A walk that is unwinding ends the search itself; the server's stream alone ends here.
        if (!recorriendo_) TerminarSiHecha();
        return;
    }
    marco_.CerrarVentanaTab(this);
}

void frmBuscar::Form_Activate() {
    txtARCHIVO_->setFocus(Qt::OtherFocusReason);
    txtARCHIVO_->end(false);
}

void frmBuscar::LISTA_DblClick(int fila) {
    if (fila < 0 || static_cast<std::size_t>(fila) >= b_->Resultados.size()) return;
    const ResultadoBusqueda& r = b_->Resultados[static_cast<std::size_t>(fila)];
    marco_.MostrarEnCarpeta(b_->Carpetas[r.carpeta], r.nombre);
}

}  // namespace quirvex
