#include "pane/frm_main_qt.h"

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

QFont FuenteRutas() {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(13);  // size 10
    return f;
}

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

// --- path buttons ---

BarraRutas::BarraRutas(QWidget* padre) : QWidget(padre) {
    setFont(FuenteRutas());
    setCursor(Qt::PointingHandCursor);
}

void BarraRutas::SetSegmentos(const QString& miPC, const std::vector<std::string>& tags) {
    const QFontMetrics fm(font());
    const FuncionMedir medir = [&fm](std::string_view t) {
        return fm.horizontalAdvance(QString::fromUtf8(t.data(), static_cast<int>(t.size())));
    };
    tags_ = tags;
    captions_.assign(1, miPC);
    for (size_t k = 0; k < tags.size(); ++k) {
        const std::string texto = TextoSegmento(tags[k], static_cast<int>(k) + 1);
        captions_.push_back(QString::fromUtf8(AjustarTexto(texto, 100, 1, -1, medir)));
    }
    rects_.clear();
    int x = 4;
    for (const QString& c : captions_) {
        const int w = fm.horizontalAdvance(c) + 8;
        rects_.emplace_back(x, 2, w, ALTO_RUTAS - 4);
        x += w + 9;
    }
    update();
}

int BarraRutas::EtiquetaEn(QPoint p) const {
    for (size_t k = 0; k < rects_.size(); ++k)
        if (rects_[k].contains(p)) return static_cast<int>(k);
    return -1;
}

void BarraRutas::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(244, 244, 248));
    p.setPen(QColor(210, 210, 220));
    p.drawLine(0, height() - 1, width(), height() - 1);
    for (size_t k = 0; k < rects_.size(); ++k) {
        const QRect& r = rects_[k];
        p.setPen(QColor(200, 200, 215));
        p.setBrush(QColor(255, 255, 255));
        p.drawRoundedRect(r.adjusted(0, 0, -1, -1), 3, 3);
        p.setPen(QColor(40, 40, 60));
        p.drawText(r, Qt::AlignCenter, captions_[k]);
        if (k + 1 < rects_.size()) {
            p.setPen(QColor(150, 150, 170));
            p.drawText(QRect(r.right() + 1, r.top(), 9, r.height()), Qt::AlignCenter,
                       QStringLiteral("›"));
        }
    }
}

void BarraRutas::mousePressEvent(QMouseEvent* e) {
    const int k = EtiquetaEn(e->position().toPoint());
    if (k >= 0 && e->button() == Qt::LeftButton) emit EtiquetaPulsada(k);
}

// --- hosting window ---

frmMain::frmMain(Marco* marco, int id, QWidget* padre)
    : QWidget(padre),
      marco_(marco ? marco : &marcoNulo_),
      id_(id),
      picRutas_(new BarraRutas(this)),
      altoRutas_(marco ? 0 : ALTO_RUTAS),
      menus_(new cMenusVisor(this, [this](std::string_view n) { return Habilitable(n); })) {
    setObjectName(QStringLiteral("frmMain"));
    menus_->alElegir = [this](std::string_view n) { EjecutarComando(n); };
    menus_->alAbrir = [this](std::string_view n) { PrepararMenu(n); };
    picRutas_->setVisible(altoRutas_ > 0);
    setMinimumSize(15, 15);
    connect(picRutas_, &BarraRutas::EtiquetaPulsada, this, [this](int k) {
        if (aVisor_) aVisor_->picBR_Click(k);
    });
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

void frmMain::picBR_Click(int indice) {
    if (!aVisor_) return;
    const std::string destino = RutaDeParte(aVisor_->Contenido().RutaActual, indice);
    if (!destino.empty()) aVisor_->CargarContenido(destino);
}

void frmMain::EnfocarVisor() {
    if (aVisor_) aVisor_->setFocus(Qt::OtherFocusReason);
}

void frmMain::MouseWheel(int distancia) {
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
                                  Botones::Aceptar);
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
    const std::string ruta = it.RutaCompleta.empty() ? AgregarBarra(c.RutaActual) + it.Nombre : it.RutaCompleta;
    marco_->MostrarInfo(QFile::decodeName(QByteArray::fromStdString(ruta)), QString::fromUtf8(it.Nombre));
}

void frmMain::SetIdioma() {
    menus_->SetIdioma();
    for (cVisor* v : Visores_) {
        v->picD()->update();
        v->DibujarNombreCarpeta();
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
    const int y = altoMenu + altoRutas_;
    const int alto = std::max(height() - y, 0);
    picRutas_->setGeometry(0, altoMenu, w, altoRutas_);
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
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::FocusIn:
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
