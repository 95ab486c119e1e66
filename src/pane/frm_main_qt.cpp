#include "pane/frm_main_qt.h"

#include <QApplication>
#include <QFile>

#include "folder/abrir.h"
#include "folder/cambios_ruta.h"
#include "frame/direccion.h"

#include <QFontMetrics>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <chrono>

#include "folder/rutas.h"
#include "folder/tabla_unidades.h"
#include "pane/ajustar_texto.h"
#include "pane/formato_visor.h"
#include "pane/interaccion_qt.h"
#include "pane/menus_visor_qt.h"
#include "pane/visor_qt.h"
#include "platform/dialogos.h"
#include "platform/sistema_archivos.h"
#include "settings/idioma.h"
#include "settings/opciones.h"

namespace quirvex {

namespace {

std::int64_t AhoraMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

int IndiceDeTag(const QString& tag) {
    int fin = 0;
    while (fin < tag.size() && tag[fin].isDigit()) ++fin;
    bool ok = false;
    const int n = tag.left(fin).toInt(&ok);
    return ok ? n : -1;
}

// --- hosting window ---

frmMain::frmMain(Marco* marco, int id, QWidget* padre)
    : QWidget(padre),
      marco_(marco ? marco : &marcoNulo_),
      id_(id),
      menus_(new cMenusVisor(this, [this](std::string_view n) { return Habilitable(n); })) {
    setObjectName(QStringLiteral("frmMain"));
    menus_->alElegir = [this](std::string_view n) { EjecutarComando(n); };
    menus_->alAbrir = [this](std::string_view n) { PrepararMenu(n); };
    setMinimumSize(15, 15);
    CrearVisor();
    SetAVisor(0);
}

frmMain::~frmMain() {
    // The panes go first, while this window can still hear their surfaces' last events.
    for (auto* s : findChildren<SuperficieVisor*>()) s->removeEventFilter(this);
    qDeleteAll(Visores_);
    Visores_.clear();
}

void frmMain::SetMarco(Marco* marco) { marco_ = marco ? marco : &marcoNulo_; }

cVisor* frmMain::GetVisor(int i) {
    if (i < 0 || i >= nVisores()) return nullptr;
    return Visores_[static_cast<size_t>(i)];
}

QString frmMain::RutaActual() const {
    return aVisor_ ? aVisor_->DireccionMostrada() : QString();
}

cContenidoVisor* frmMain::GetContenidoVisor(int i) {
    cVisor* v = GetVisor(i);
    return v ? &v->Contenido() : nullptr;
}

cContenidoVisor* frmMain::ContenidoAVisor() { return aVisor_ ? &aVisor_->Contenido() : nullptr; }

void frmMain::GoDefaultFolder(const QString& ruta) {
    if (cVisor* v = GetVisor(0)) v->GoDefaultFolder(QFile::encodeName(ruta).toStdString());
}

void frmMain::SetTeclasE(bool teclas) {
    for (cVisor* v : Visores_) v->TeclasE = teclas;
}

QStringList frmMain::BotonesRuta() { return aVisor_ ? aVisor_->BotonesRuta() : QStringList(); }

void frmMain::picBR_Click(int indice) {
    if (aVisor_) aVisor_->picBR_Click(indice);
}

void frmMain::EnfocarVisor() {
    // The item surface, which takes the pane's keys; the pane's container takes none.
    if (aVisor_) aVisor_->picM()->setFocus(Qt::OtherFocusReason);
}

void frmMain::MouseWheel(int distancia) {
    // The frame hears every turn of the wheel and brings it here: the active pane scrolls,
    // whichever pane the pointer is over.
    if (aVisor_) aVisor_->MouseWheel(distancia);
}

void frmMain::AbrirArchivo(const QString& ruta) {
    const std::string r = QFile::encodeName(ruta).toStdString();
    if (AbrirConShell(r) == ResultadoAbrir::SinPrograma)
        InteraccionVentanas().ElegirPrograma(r, this);
}

void frmMain::ActualizarRuta(const CambioRuta& cambio) {
    for (cVisor* v : Visores_) v->SeguirCambio(AplicarCambioRuta(v->Contenido(), cambio));
}

void frmMain::OyenteTab::ActualizarRuta(const CambioRuta& cambio) {
    if (f_.marco_ == &f_.marcoNulo_)
        f_.ActualizarRuta(cambio);
    else
        f_.marco_->ActualizarRuta(cambio);
}

bool frmMain::EsTabActual() const { return marco_->EsTabActual(this); }

cVisor* frmMain::CrearVisor() {
    auto* v = new cVisor(this, nVisores(), this);
    Visores_.push_back(v);
    v->show();
    v->Inicializar();
    tamanoAnterior_ = QSize();  // a new pane always needs a layout
    Form_Resize();
    return v;
}

bool frmMain::AgregarVisor(const std::string& ruta) {
    if (nVisores() >= MAX_VISORES) {
        DialogosSistema().Mensaje(TextoN(General, 21, MAX_VISORES), Texto(General, 0),
                                  Botones::Aceptar, IconoMensaje::Exclamacion);
        return false;
    }
    QWidget* ventana = window();
    const bool bloquear = marco_->CargaTerminada() && ventana->updatesEnabled();
    if (bloquear) ventana->setUpdatesEnabled(false);
    cVisor* anterior = aVisor_;
    cVisor* nuevo = CrearVisor();
    nuevo->Cargado = true;
    SetAVisor(nuevo->Indice());
    nuevo->GoDefaultFolder(ruta);
    if (anterior) anterior->DibujarNombreCarpeta();
    if (bloquear) ventana->setUpdatesEnabled(true);
    TeclasAlVisor();
    return true;
}

void frmMain::SetAVisor(int i) {
    busqueda_.Limpiar();
    marco_->CancelarBusquedaRapida();
    if (aVisor_ && aVisor_->Indice() == i) return;
    cVisor* nuevo = GetVisor(i);
    if (!nuevo) return;
    cVisor* anterior = aVisor_;
    aVisor_ = nuevo;
    marco_->SetTextoTab(this, nuevo->Caption());
    if (anterior) anterior->DibujarNombreCarpeta();
    nuevo->DibujarNombreCarpeta();
    if (!EsTabActual()) return;
    // The keys follow the active pane: one that held the focus hands it to the new one.
    QWidget* foco = QApplication::focusWidget();
    if (foco && isAncestorOf(foco)) EnfocarVisor();
    nuevo->ActualizarBotonesRuta();
    marco_->SetDireccion(nuevo->DireccionMostrada(), true);
    const cContenidoVisor& c = nuevo->Contenido();
    marco_->SetFiltro(QString::fromStdString(c.txtFiltro), c.cboFiltro);
    ActualizarAtrasAdelante();
    MostrarInfoAVisor();
}

void frmMain::VisorCargado(cVisor* visor) {
    if (visor != aVisor_ || !EsTabActual()) return;
    visor->ActualizarBotonesRuta();
    marco_->SetDireccion(visor->DireccionMostrada(), true);
    ActualizarAtrasAdelante();
    MostrarInfoAVisor();
}

void frmMain::CerrarVisor(int i) {
    if (nVisores() < 2 || i < 0 || i >= nVisores()) return;
    if (i == nVisores() - 1) {
        mnuXcerrarVisor_Click();
        return;
    }
    // The closed pane is really dropped: kept hidden in the array it would stay the active
    // pane when it was, and the next new pane would take its slot without releasing it.
    cVisor* cerrado = Visores_[static_cast<size_t>(i)];
    Visores_.erase(Visores_.begin() + i);
    cerrado->Ocultar();
    cerrado->PreUnload();
    cerrado->deleteLater();
    RenumerarVisores();
    if (aVisor_ == cerrado) {
        aVisor_ = nullptr;
        SetAVisor(std::min(i, nVisores() - 1));
    }
    TeclasAlVisor();
}

void frmMain::mnuXcerrarVisor_Click() {
    if (nVisores() < 2) return;
    cVisor* ultimo = Visores_.back();
    ultimo->PreUnload();
    ultimo->hide();
    ultimo->deleteLater();
    Visores_.pop_back();
    RenumerarVisores();
    aVisor_ = nullptr;
    SetAVisor(nVisores() - 1);
    TeclasAlVisor();
}

void frmMain::TeclasAlVisor() {
    // A hidden pane's focus has already moved on to the next widget in the chain (the address
    // box): after any change of panes the keys go back to the active pane of the shown tab.
    if (EsTabActual() && isVisible()) EnfocarVisor();
}

void frmMain::RenumerarVisores() {
    for (int k = 0; k < nVisores(); ++k) Visores_[static_cast<size_t>(k)]->SetIndice(k);
    tamanoAnterior_ = QSize();
    Form_Resize();
    for (cVisor* v : Visores_) v->DibujarNombreCarpeta();
}

void frmMain::CargarVisores(const QString& visores) {
    if (visores.isEmpty()) return;
    const QStringList rutas = visores.split('\n');
    cVisor* primero = GetVisor(0);
    if (primero && !primero->Cargado) {
        primero->Cargado = true;
        primero->GoDefaultFolder(QFile::encodeName(rutas[0]).toStdString());
        if (!PrimeraCarga && EsTabActual()) {
            const cContenidoVisor& c = primero->Contenido();
            marco_->SetFiltro(QString::fromStdString(c.txtFiltro), c.cboFiltro);
            PrimeraCarga = true;
        }
    }
    for (int k = 1; k < rutas.size() && nVisores() < MAX_VISORES; ++k) {
        std::string ruta = QFile::encodeName(rutas[k]).toStdString();
        if (ruta.empty()) continue;
        if (ruta.back() != SepRuta) ruta += SepRuta;
        if (!Archivos().Accesible(ruta)) continue;
        cVisor* v = CrearVisor();
        v->Cargado = true;
        v->GoDefaultFolder(ruta);
    }
    SetAVisor(0);
}

void frmMain::ActualizarAtrasAdelante() {
    if (!aVisor_) return;
    const cContenidoVisor& c = aVisor_->Contenido();
    marco_->SetEstadoAtrasAdelante(0, c.IndexHistorial() >= 1);
    marco_->SetEstadoAtrasAdelante(1, c.IndexHistorial() != c.UboundHistorial());
}

void frmMain::MostrarInfoAVisor() {
    if (!aVisor_ || !EsTabActual()) return;
    const cContenidoVisor& c = aVisor_->Contenido();
    const int i = aVisor_->Seleccion().sActual();
    // With nothing current the strip describes the location itself.
    if (i < 0 || i >= aVisor_->nItems()) {
        marco_->MostrarInfo(QFile::decodeName(QByteArray::fromStdString(c.RutaActual)), QString());
        return;
    }
    const ItemCarpeta& it = c.Items[static_cast<size_t>(i)];
    const std::string ruta = it.RutaCompleta(c.RutaActual);
    marco_->MostrarInfo(QFile::decodeName(QByteArray::fromStdString(ruta)), QString::fromUtf8(it.Nombre));
}

void frmMain::SetIdioma() {
    menus_->SetIdioma();
    for (cVisor* v : Visores_) {
        v->picD()->update();
        v->DibujarNombreCarpeta();
        v->SetIdioma();
    }
}

void frmMain::PreUnload() {
    for (cVisor* v : Visores_) v->PreUnload();
}

void frmMain::AddStrSel(const std::string& caracter) {
    if (!aVisor_) return;
    const int item = busqueda_.AddStrSel(caracter, AhoraMs(), &aVisor_->Seleccion(),
                                         Opciones().SelSkipChars == 1);
    if (item >= 0) aVisor_->HacerVisible(item);
}

void frmMain::Form_Resize() {
    if (size() == tamanoAnterior_) return;
    tamanoAnterior_ = size();
    const int w = width();
    const int altoMenu = menus_->Barra()->sizeHint().height();
    menus_->Barra()->setGeometry(0, 0, w, altoMenu);
    const int y = altoMenu;
    const int alto = std::max(height() - y, 0);
    const int n = std::max(nVisores(), 1);
    const int ancho = w / n;  // the remainder stays empty at the right edge
    for (int k = 0; k < nVisores(); ++k)
        Visores_[static_cast<size_t>(k)]->setGeometry(ancho * k, y, ancho, alto);
}

void frmMain::resizeEvent(QResizeEvent*) { Form_Resize(); }

bool frmMain::eventFilter(QObject* objeto, QEvent* e) {
    switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::KeyPress:
        case QEvent::FocusIn:
        case QEvent::FocusOut:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            break;
        default:
            return false;
    }
    auto* s = qobject_cast<SuperficieVisor*>(objeto);
    if (!s) return false;
    cVisor* v = GetVisor(IndiceDeTag(s->property("Tag").toString()));
    return v ? v->EventoSuperficie(s->Tipo(), e) : false;
}

}  // namespace quirvex
