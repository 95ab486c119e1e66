// The frame window: construction, load, shutdown, the client area and the Marco services.
// The tab strip lives in mdi_tabs_qt.cpp, the address bar and filter box in mdi_direccion_qt.cpp.

#include "frame/mdi_qt.h"

#include "operations/frm_operaciones_qt.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "folder/contenido_visor.h"
#include "frame/accesibles_marco_qt.h"
#include "frame/controles_marco_qt.h"
#include "frame/frm_acerca_qt.h"
#include "frame/geometria_marco_qt.h"
#include "frame/geometria_tabs.h"
#include "frame/ventana_tab_qt.h"
#include "platform/senales_salida_qt.h"
#include "platform/smb.h"
#include "pane/visor_qt.h"
#include "search/busqueda_rapida_qt.h"
#include "search/frm_buscar_rapido_qt.h"
#include "settings/fuente_especial_qt.h"
#include "settings/idioma.h"
#include "settings/opciones.h"
#include "settings/traduccion_qt.h"

namespace quirvex {
namespace {

constexpr int ALTO_FILA_TABS = 32;

const char* const kEstiloBarra = R"(
QWidget#picB { background: rgb(15, 35, 53); }
QToolButton { color: #e8eef4; border: none; border-radius: 4px; padding: 3px; }
QToolButton:hover { background: #2c4a68; }
QToolButton:pressed { background: #1c3550; }
QToolButton:disabled { color: #4e6580; }
QToolButton:focus { border: 1px solid #8cc4ff; }
QCheckBox:focus { background: #2c4a68; }
QLabel[atajo="true"] { color: #cfe3f7; padding: 0 6px; }
QLabel[atajo="true"]:focus { background: #2c4a68; color: white; text-decoration: underline; }
QLabel[atajo="true"]:hover { color: white; text-decoration: underline; }
QLineEdit, QComboBox { background: white; color: #14283c; border: 1px solid #7892ac;
                       border-radius: 3px; padding: 2px 5px; min-height: 20px; }
QComboBox::drop-down { border: none; width: 16px; }
QLineEdit:disabled { background: #c6d0da; color: #52677c; }
QLineEdit:focus, QComboBox:focus { border: 1px solid #ff9f1a; background: #fff8e8; }
)";

QString T(int seccion, int clave) { return QString::fromStdString(Texto(seccion, clave)); }

bool EsTeclaPulsar(const QKeyEvent* k) {
    return (k->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier &&
           (k->key() == Qt::Key_Space || k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter);
}

}  // namespace


MDI::MDI(FabricaTabs fabrica, bool modoDepuracion, QWidget* padre)
    : QWidget(padre), fabrica_(std::move(fabrica)), ModoDepuracion_(modoDepuracion) {
    setObjectName("MDI");
    CortarEsperasRed(false);  // a frame made after another one quit reaches the network again
    InstalarAccesibilidadMarco();
    ConstruirBarra();
    ConstruirAtajosTabs();
    cliente_ = new QWidget(this);
    cliente_->setObjectName("cliente");
    cliente_->installEventFilter(this);
    auto* operaciones = new frmOperaciones(mTareas(), cliente_);
    operaciones->hide();
    connect(operaciones, &frmOperaciones::TituloCambiado, this,
            [this](const QString& titulo) { SetTextoTab(1, titulo, true); });
    frmOperaciones_ = operaciones;
    auto* capas = new QVBoxLayout(this);
    capas->setContentsMargins(0, 0, 0, 0);
    capas->setSpacing(0);
    capas->addWidget(picB_);
    auto* cuerpo = new QHBoxLayout;
    cuerpo->setSpacing(0);
    cuerpo->addWidget(cliente_, 1);
    cuerpo->addWidget(ConstruirPicInfo());
    capas->addLayout(cuerpo, 1);
    frmAcerca_ = std::make_unique<frmAcerca>();
    resize(1024, 700);
}

MDI::~MDI() {
    CortarEsperasRed(false);
    if (!ModoDepuracion_) qApp->removeEventFilter(this);
    mTareas().SetOyente(nullptr);
    // The children go after this body; focus and hover events they raise on the way out
    // must find no tab to talk to.
    activa_ = nullptr;
    TabSobre_ = -1;
    Tabs_.clear();
    VentanasTab_.clear();
    picRuta_->alEnfocar = picRuta_->alMover = picRuta_->alRedimensionar = nullptr;
    txtRuta_->alEnfocar = txtRuta_->alDesenfocar = txtRuta_->alEnter = txtRuta_->alAtras = txtRuta_->alEscape = nullptr;
    if (auto* filtro = dynamic_cast<CajaAvisos*>(txtFiltro_))
        filtro->alEnfocar = filtro->alDesenfocar = filtro->alEnter = nullptr;
}

void MDI::ConstruirBarra() {
    picB_ = new QWidget(this);
    picB_->setObjectName("picB");
    picB_->setAttribute(Qt::WA_StyledBackground);
    picB_->setStyleSheet(kEstiloBarra);
    auto* capas = new QVBoxLayout(picB_);
    capas->setContentsMargins(0, 2, 0, 6);
    capas->setSpacing(6);
    auto* filaSup = new QWidget(picB_);
    filaSup->setFixedHeight(ALTO_FILA_TABS);
    ConstruirTira(filaSup);
    capas->addWidget(filaSup);
    capas->addWidget(ConstruirFilaDireccion());
}

void MDI::ConstruirTira(QWidget* fila) {
    auto* capas = new QHBoxLayout(fila);
    capas->setContentsMargins(0, 0, 4, 0);
    capas->setSpacing(2);
    picScrollTabs_ = new QWidget(fila);
    picScrollTabs_->installEventFilter(this);
    picTabs_ = new FilaTabs(*this, picScrollTabs_);
    picTabs_->setObjectName("picTabs");
    picTabs_->setGeometry(0, 0, IZQUIERDA_PRIMER_TAB, ALTO_FILA_TABS);
    capas->addWidget(picScrollTabs_, 1);
    for (int i = 0; i < 2; ++i) {
        picTabScroll_[i] = new QToolButton(fila);
        picTabScroll_[i]->setArrowType(i == 0 ? Qt::LeftArrow : Qt::RightArrow);
        picTabScroll_[i]->setFixedSize(22, 24);
        // A Tab stop while the strip is too long to show whole.
        picTabScroll_[i]->setFocusPolicy(Qt::TabFocus);
        picTabScroll_[i]->hide();
        connect(picTabScroll_[i], &QToolButton::clicked, this, [this, i] { picTabScroll_Click(i); });
        capas->addWidget(picTabScroll_[i]);
    }
}

void MDI::MDIForm_Load(const QString& carpeta) {
    if (!ModoDepuracion_) qApp->installEventFilter(this);
    BloqueoDibujo bloqueo(*this);
    // Before the first tab loads, so its panes are watched from their first folder on.
    notificaciones_ = std::make_unique<mNotificaciones>(
        [this](const CambioRuta& c) { ActualizarRuta(c); });
    mTareas().SetOyente(this);
    InstalarSenalesSalida(this, [this] { SALIR(); });
    CargarOpciones();
    // Before any tab is made, so every surface is made in it.
    if (Opciones().SpecialFont == 1 && FuenteEspecialDisponible()) AplicarFuenteInterfaz(true);
    RestaurarGeometriaMarco(*this);
    SetIdioma();
    CrearTabsFijos();

    VentanaTab* primera = CrearVentanaTab();
    VentanasTab_.push_back(primera);
    activa_ = primera;
    AgregarTab(primera, QStringLiteral("."), QIcon(), false, PIEL_CARPETA);
    if (!carpeta.isEmpty()) primera->GoDefaultFolder(carpeta);
    RestaurarTabs(carpeta.isEmpty());
    // A share's listing on its way fills the pane later.
    if (cContenidoVisor* c = primera->ContenidoAVisor(); c && c->RutaActual.empty() && c->CargaRedEnCurso().empty())
        primera->GoDefaultFolder(QString());
    TextoTabProvisional(primera->nTab());

    const int n = activa_ ? activa_->nTab() : 1;
    MostrarVentana(activa_);
    if (n != 0 && n != -1) DibujarTab(n, TAB_NORMAL, true);
    PonerFiltroDe(activa_);
    cBusquedaRapida::Enganches enganches;
    enganches.editandoFiltro = [this](bool editando) {
        if (EsCarpeta(activa_)) activa_->SetEditandoFiltro(editando);
    };
    enganches.abrir = [this](const std::string& lugar, const std::string& nombre) {
        AbrirAciertoRapido(lugar, nombre);
    };
    // Without the message window procedure (debug mode) the server's answers are not heard.
    busquedaRapida_ = new cBusquedaRapida(this, txtBusqueda_, std::move(enganches), !ModoDepuracion_);
    if (ModoDepuracion_) picB_->installEventFilter(this);
    connect(qApp, &QApplication::focusChanged, busquedaRapida_, [this](QWidget*, QWidget* ahora) {
        if (qobject_cast<QTreeView*>(ahora) && EsCarpeta(activa_) && activa_->Widget()->isAncestorOf(ahora))
            CancelarBusquedaRapida();
    });
    FrameCargado_ = true;
}

// What the tab windows call: a tab's tree area took the focus (or the active pane changed)
// while the popup may be up; only a visible popup is cancelled.
void MDI::CancelarBusquedaRapida() {
    if (busquedaRapida_ && busquedaRapida_->PopupVisible()) busquedaRapida_->CancelarBusquedaRapida();
}

void MDI::AbrirAciertoRapido(const std::string& carpeta, const std::string& nombre) {
    if (!EsCarpeta(activa_) || !activa_->aVisor()) return;
    cVisor* v = activa_->aVisor();
    const CargaEnEspera espera;  // the item is selected in what the load shows
    if (!v->CargarContenido(carpeta)) return;
    const auto item = static_cast<int>(v->Contenido().GetIndexItem(nombre));
    if (item >= 0) {
        v->Seleccion().SELECCIONAR(item, SEL_EXCLUSIVA, true);
        v->HacerVisible(item);
    }
    if (busquedaRapida_ && busquedaRapida_->Popup()) busquedaRapida_->Popup()->hide();
    activa_->EnfocarVisor();
}

void MDI::SetVentanaInicio(QWidget* ini, std::function<void()> permitirCerrar) {
    frmINI_ = ini;
    permitirCerrarIni_ = std::move(permitirCerrar);
}

void MDI::SALIR() {
    if (saliendo_) return;
    saliendo_ = true;
    GuardarTabs();
    if (isVisible()) RecordarGeometriaMarco(*this);
    if (!ModoDepuracion_) qApp->removeEventFilter(this);
    if (permitirCerrarIni_) permitirCerrarIni_();
    if (frmINI_) frmINI_->close();
    frmAcerca_->hide();
    // Folder tabs let go of their panes; a search tab stops its search.
    for (VentanaTab* v : VentanasTab_)
        if (v) v->PreUnload();
    // A copy under way is canceled the designed way (its partial target removed) before the
    // program ends; when this runs inside the engine's yield, the engine unwinds first.
    mTareas().CancelarTodo();
    // A network call waiting on a server that does not answer is given up now, not at its time
    // limit: whatever waits on it unwinds with a time-out.
    CortarEsperasRed(true);
    close();
    if (alTerminar_)
        alTerminar_();
    else
        QCoreApplication::quit();
}

void MDI::closeEvent(QCloseEvent* e) {
    // Closing the frame by any means ends the program, and never asks to stay.
    if (!saliendo_) SALIR();
    e->accept();
}

bool MDI::eventFilter(QObject* objeto, QEvent* e) {
    if (objeto == picB_ && e->type() == QEvent::MouseButtonPress && busquedaRapida_)
        busquedaRapida_->CancelarBusquedaRapida();
    if (objeto == cliente_ && e->type() == QEvent::Resize) {
        if (activa_) ColocarVentana(activa_->Widget());
        if (operacionesVisibles_) ColocarVentana(frmOperaciones_);
    } else if (objeto == picScrollTabs_ && e->type() == QEvent::Resize) {
        picTabs_->resize(picTabs_->width(), picScrollTabs_->height());
        ActualizarScroll();
    } else if (e->type() == QEvent::Wheel && objeto->isWidgetType()) {
        // An unhandled turn is offered to each parent in turn; the tab hears it once, when it
        // reaches the innermost widget under the pointer.
        auto* rueda = static_cast<QWheelEvent*>(e);
        auto* w = static_cast<QWidget*>(objeto);
        if (activa_ && w->window() == this && !w->childAt(rueda->position().toPoint()))
            activa_->MouseWheel(rueda->angleDelta().y());
    } else if (e->type() == QEvent::KeyPress && EsTeclaPulsar(static_cast<QKeyEvent*>(e)) &&
               (objeto->property("atajo").isValid() || EsBotonRuta(objeto))) {
        // Space or Enter on a label that acts as a button does what its click does.
        if (objeto->property("atajo").isValid())
            lblAD_Click(objeto->property("indice").toInt());
        else
            lblRuta_Click(objeto->property("parteRuta").toInt());
        return true;
    } else if (e->type() == QEvent::MouseButtonRelease && objeto->property("atajo").isValid()) {
        lblAD_Click(objeto->property("indice").toInt());
        return true;
    } else if (e->type() == QEvent::MouseButtonPress && EsBotonRuta(objeto)) {
        // The press is the label's: passed on, the address area would open the edit box too.
        return true;
    } else if (e->type() == QEvent::MouseButtonRelease && EsBotonRuta(objeto)) {
        lblRuta_Click(objeto->property("parteRuta").toInt());
        return true;
    } else if (e->type() == QEvent::MouseMove && objeto->property("parteRuta").isValid()) {
        picRuta_MouseMove();
    }
    return QWidget::eventFilter(objeto, e);
}

bool MDI::EsBotonRuta(const QObject* objeto) const {
    // Every path label but the last (the location itself, which a click edits) navigates.
    const QVariant parte = objeto->property("parteRuta");
    return parte.isValid() && parte.toInt() + 1 < static_cast<int>(lblRuta_.size());
}

// A new interface font: the bar's style sheet fixed its children's fonts when it was applied,
// so it is applied again for them to take the new one.
void MDI::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::FontChange && picB_) picB_->setStyleSheet(kEstiloBarra);
}

void MDI::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    ActualizarScroll();
}

VentanaTab* MDI::CrearVentanaTab() {
    VentanaTab* v = fabrica_(*this);
    v->Widget()->setParent(cliente_);
    v->Widget()->hide();
    return v;
}

void MDI::ColocarVentana(QWidget* w) {
    // One pixel outside the client area on every side, so the window's border is not seen.
    if (w) w->setGeometry(-1, -1, cliente_->width() + 2, cliente_->height() + 2);
}

void MDI::MostrarVentana(VentanaTab* v) {
    if (!v) return;
    for (VentanaTab* otra : VentanasTab_)
        if (otra && otra != v) otra->Widget()->hide();
    frmOperaciones_->hide();
    MostrarTiraInfo(EsCarpeta(v));
    ColocarVentana(v->Widget());
    v->Widget()->show();
    v->Widget()->raise();
    v->EnfocarVisor();
}

bool MDI::EsCarpeta(const VentanaTab* v) const {
    return v && v->NombreVentana() == QLatin1String("frmMain");
}

void MDI::SetIdioma() {
    AplicarTraduccionQt();
    setWindowTitle(T(General, 0));
    SetIdiomaBarra();
    if (Tabs_.size() >= 2) {
        SetTextoTab(0, T(MDISec, 2), true);
        SetTextoTab(1, T(frmOperations, 0), true);
    }
    for (VentanaTab* v : VentanasTab_)
        if (v) v->SetIdioma();
    frmAcerca_->SetIdioma();
    if (FrameCargado_) MostrarDireccion();
}

void MDI::SetIdiomaBarra() {
    lblAD_[0]->setText(QString::fromStdString(TextoMiPC()));
    lblAD_[1]->setText(T(General, 26));
    const bool antes = filtroSuprimido_;
    filtroSuprimido_ = true;
    const int tipo = cboFiltro_->currentIndex();
    cboFiltro_->clear();
    for (int k = 3; k <= 6; ++k) cboFiltro_->addItem(T(MDISec, k));
    cboFiltro_->setCurrentIndex(tipo < 0 ? 0 : tipo);
    filtroSuprimido_ = antes;
    txtBusqueda_->setPlaceholderText(T(MDISec, 7));
    if (busquedaRapida_) busquedaRapida_->MostrarEstado();
    NombrarBarra();
    SetIdiomaInfo();
}

// Names for assistive tools where a control shows a picture or no caption of its own.
void MDI::NombrarBarra() {
    cmdBF_[0]->setAccessibleName(SinAceleradores(T(frmMainSec, 28)));
    cmdBF_[1]->setAccessibleName(SinAceleradores(T(frmMainSec, 29)));
    cmdBF_[2]->setAccessibleName(T(MDISec, 240));
    txtRuta_->setAccessibleName(T(MDISec, 241));
    picRuta_->setAccessibleName(T(MDISec, 241));
    txtFiltro_->setAccessibleName(T(MDISec, 242));
    // On Linux a combo box is named by its value: what it is for goes in its description.
    cboFiltro_->setAccessibleName(T(MDISec, 243));
    cboFiltro_->setAccessibleDescription(T(MDISec, 243));
    txtBusqueda_->setAccessibleName(T(MDISec, 7));
    chkInfo_->setAccessibleName(T(MDISec, 1));
    picTabScroll_[0]->setAccessibleName(T(MDISec, 246));
    picTabScroll_[1]->setAccessibleName(T(MDISec, 247));
}

// Marco services.

bool MDI::EsTabActual(const VentanaTab* tab) const { return tab && tab == activa_; }

void MDI::SetEstadoAtrasAdelante(int boton, bool habilitado) {
    SetEstadoAtrasAdelante(boton, habilitado ? 1 : 0);
}

void MDI::SetTextoTab(const VentanaTab* tab, const QString& texto) {
    if (!tab) return;
    const int i = tab->nTab();
    if (i >= 0 && i < static_cast<int>(Tabs_.size()) && Tabs_[static_cast<size_t>(i)].Ventana == tab)
        SetTextoTab(i, texto, true);
}

void MDI::ActualizarRuta(const CambioRuta& cambio) {
    for (VentanaTab* v : VentanasTab_)
        if (v) v->ActualizarRuta(cambio);
}

void MDI::VigilarCarpeta(const std::string& anterior, const std::string& nueva) {
    if (!notificaciones_) return;
    // The new one first: the parents both share stay watched without a break.
    if (!nueva.empty()) notificaciones_->Seguir(nueva);
    if (!anterior.empty()) notificaciones_->Soltar(anterior);
}

void MDI::MostrarAcerca() {
    frmAcerca_->show();
    frmAcerca_->raise();
    frmAcerca_->activateWindow();
}

}  // namespace quirvex
