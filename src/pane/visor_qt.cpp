#include "pane/visor_qt.h"

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QFontMetrics>
#include <QPainter>
#include <QResizeEvent>
#include <QTreeView>

#include "folder/abrir.h"
#include "folder/tabla_unidades.h"
#include "frame/marco_qt.h"
#include "pane/accesible_visor_qt.h"
#include "pane/formato_visor.h"
#include "pane/frm_main_qt.h"
#include "platform/smb.h"
#include "platform/sistema_archivos.h"
#include "settings/fuente_especial_qt.h"
#include "settings/idioma.h"
#include "settings/opciones.h"

namespace quirvex {

namespace {

// Columns of the details view: caption key of frmMain, data kind, width.
const std::vector<ColumnaDetalles> kColumnas = {
    {55, 0, 260}, {56, 2, 100}, {57, 1, 75}, {58, 3, 140}, {59, 4, 70}};

QFont FuenteDe(int pixeles, bool negrita) {
    QFont f = FuenteDibujo(pixeles);
    f.setBold(negrita);
    return f;
}

}  // namespace

SuperficieVisor::SuperficieVisor(cVisor* visor, TipoSuperficie tipo, QWidget* padre)
    : QWidget(padre), visor_(visor), tipo_(tipo) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void SuperficieVisor::paintEvent(QPaintEvent*) {
    QPainter p(this);
    visor_->PintarSuperficie(tipo_, p);
}

cVisor::cVisor(frmMain* host, int indice, QWidget* padre)
    : QWidget(padre),
      frmM_(host),
      indice_(indice),
      columnas_(kColumnas),
      fuenteItems_(FuenteDe(11, false)),
      fuenteTitulo_(FuenteDe(16, true)),
      metricas_(fuenteItems_),
      medidor_(fuenteItems_),
      seleccion_(contenido_.Items, this, [this](const ItemCarpeta& it) { return TamanoActual(it); }),
      dist_([this](std::string_view t) { return medidor_.Ancho(t); },
            [this](std::string_view t, std::size_t bytes) { return medidor_.AnchoInicio(t, bytes); }) {
    InstalarFabricaAccesible();
    picBT_ = new SuperficieVisor(this, TipoSuperficie::Titulo, this);
    picE_ = new SuperficieVisor(this, TipoSuperficie::Estado, this);
    picM_ = new SuperficieVisor(this, TipoSuperficie::Items, this);
    picD_ = new SuperficieVisor(this, TipoSuperficie::Cabecera, picM_);
    vsb_ = new SuperficieVisor(this, TipoSuperficie::Barra, this);
    picBarra_ = new SuperficieVisor(this, TipoSuperficie::Separador, this);
    picM_->setFocusPolicy(Qt::StrongFocus);
    picM_->setAcceptDrops(true);
    picM_->setAccessibleName(QStringLiteral("Items"));
    picBarra_->setCursor(Qt::SplitHCursor);
    picBarra_->hide();
    for (QWidget* w : {static_cast<QWidget*>(picBT_), static_cast<QWidget*>(picE_),
                       static_cast<QWidget*>(picM_), static_cast<QWidget*>(picD_),
                       static_cast<QWidget*>(vsb_), static_cast<QWidget*>(picBarra_)}) {
        w->installEventFilter(host);
    }
    SetIndice(indice);
    // Decoding waits for the items surface to be painted: a pane never shown decodes nothing,
    // and the first frame of a start in preview mode is not slowed by the decoders.
    iconos_.DecodificarAparte([this](int item, const std::string& nombre) { PreviewLista(item, nombre); },
                              0, true);
    // The cache is looked over while painting: it learns what has gone from the listing.
    iconos_.SetNombresVigentes([this] {
        std::vector<std::string> nombres;
        nombres.reserve(contenido_.Items.size());
        for (const ItemCarpeta& it : contenido_.Items) nombres.push_back(it.Nombre);
        return nombres;
    }, [this] { return contenido_.Items.size(); });
}

cVisor::~cVisor() = default;

// Sizes of selected files as they are now, as the status strip reads them: from the listing
// while its watch vouches for it (asked once per turn of the event loop, so selecting all of a
// large folder is not a status call per file), else from disk; a share's from its listing, so
// that selecting never waits on a server.
std::int64_t cVisor::TamanoActual(const ItemCarpeta& item) {
    // A file's path starts with the folder's: no path is built for the answers the listing holds.
    if (EsRutaRed(item.RutaPropia().empty() ? contenido_.RutaActual : item.RutaPropia())) return item.Tamano;
    if (!datosAlDiaSabido_) {
        datosAlDia_ = contenido_.DatosAlDia();
        datosAlDiaSabido_ = true;
        QTimer::singleShot(0, this, [this] { datosAlDiaSabido_ = false; });
    }
    if (datosAlDia_) return item.Tamano;
    const auto e = Archivos().Consultar(item.RutaCompleta(contenido_.RutaActual));
    return e ? e->tamano : item.Tamano;
}

// A preview came back from the pool: paint its cell again if it is still on screen. The table
// may have changed since it was asked for, so the name decides which item it is.
void cVisor::PreviewLista(int item, const std::string& nombre) {
    const auto [desde, hasta] = dist_.ItemsVisibles(vsbValue(), nItems());
    auto nombreDe = [this](int i) -> const std::string& { return contenido_.Items[static_cast<size_t>(i)].Nombre; };
    if (item < desde || item > hasta || nombreDe(item) != nombre) {
        item = -1;
        for (int i = desde; i <= hasta && item < 0; ++i)
            if (nombreDe(i) == nombre) item = i;
    }
    if (item >= 0) DibujarImagenItem(item);
}

void cVisor::SetIndice(int indice) {
    indice_ = indice;
    const QString tag = QString::number(indice);
    setProperty("Tag", tag);
    for (QWidget* w : {static_cast<QWidget*>(picBT_), static_cast<QWidget*>(picE_),
                       static_cast<QWidget*>(picM_), static_cast<QWidget*>(picD_),
                       static_cast<QWidget*>(vsb_), static_cast<QWidget*>(picBarra_)}) {
        w->setProperty("Tag", tag);
    }
}

void cVisor::Mostrar() {
    if (!oculto_) return;
    oculto_ = false;
    RedibujarTiras();
    show();
}

void cVisor::Ocultar() {
    if (oculto_) return;
    oculto_ = true;
    hide();
}

void cVisor::PreUnload() {
    if (!vigilada_.empty()) frmM_->marco().VigilarCarpeta(vigilada_, std::string());
    vigilada_.clear();
    tiras_.clear();
    if (picExplorer_) picExplorer_->setModel(nullptr);
}

QString cVisor::Caption() const { return QFile::decodeName(QByteArray::fromStdString(contenido_.NombreCarpeta)); }

bool cVisor::EsActivo() const { return frmM_->aVisor() == this; }

QString cVisor::DireccionMostrada() const {
    const std::string& r = contenido_.RutaActual;
    return QFile::decodeName(QByteArray::fromStdString(r.size() > 1 ? QuitarBarraFinal(r) : r));
}

void cVisor::Inicializar() {
    contenido_.txtFiltro = "*";
    columnas_ = kColumnas;
    dist_.SetAltoLinea(QFontMetrics(fuenteItems_).height());
    dist_.SetAnchoColumnaNombre(columnas_[0].ancho);
    CambiarModo(Opciones().DefaultView);
    ListarUnidades();
}

void cVisor::GoDefaultFolder(const std::string& ruta) { contenido_.GoDefaultFolder(ruta); }

bool cVisor::CargarContenido(const std::string& ruta) { return contenido_.CargarContenido(ruta, true); }

void cVisor::AbrirItem(int item, bool shift, bool ctrl) {
    const Apertura a = ICO_DblClick(contenido_, item, shift, ctrl);
    const QString ruta = QFile::decodeName(QByteArray::fromStdString(a.ruta));
    switch (a.accion) {
        case AccionAbrir::Navegar:
            seleccion_.SetSActual(item);
            CargarContenido(a.ruta);
            break;
        case AccionAbrir::NuevoTab: frmM_->marco().NuevoTabVisor(ruta); break;
        case AccionAbrir::NuevoVisor: frmM_->AgregarVisor(a.ruta); break;
        case AccionAbrir::AbrirArchivo: frmM_->AbrirArchivo(ruta); break;
        case AccionAbrir::Nada: break;
    }
}

void cVisor::CambiarModo(int modo) { dist_.CambiarModo(modo); }

void cVisor::SetViewMode(int modo) {
    if (!dist_.SetViewMode(modo, contenido_.Items, static_cast<size_t>(nItems()))) return;
    FixLabels();
    iconos_.DescartarPreviews();  // asked for the other mode's pictures
    ReubicarTodo();
}

void cVisor::FixLabels() {
    // Every label is fitted again for the present cell, when it is next drawn.
    dist_.InvalidarEtiquetas(contenido_.Items, static_cast<size_t>(nItems()));
    for (int k = 0; k < seleccion_.nSel(); ++k) seleccion_.SetTextoSlot(k, {});
}

void cVisor::ReubicarIconos() {
    const int cabecera = dist_.Geometria().ModoVer == 1 ? ALTO_CABECERA : 0;
    dist_.ReubicarIconos(picM_->width(), picM_->height(), cabecera);
    const int n = dist_.nTiras();
    const qreal dpr = devicePixelRatioF();
    const QSize tam(std::max(picM_->width(), 1), dist_.Geometria().IcoH);
    tiras_.resize(static_cast<size_t>(n));
    for (QPixmap& t : tiras_) {
        if (t.size() != tam * dpr) t = QPixmap(tam * dpr);
        t.setDevicePixelRatio(dpr);
    }
    RecalcularBarra();
    RedibujarTiras();
}

void cVisor::ReubicarTodo() {
    const int w = width();
    const int h = height();
    picBT_->setGeometry(0, 0, w, ALTO_TITULO);
    picE_->setGeometry(0, std::max(h - ALTO_ESTADO, ALTO_TITULO), w, ALTO_ESTADO);
    const int y0 = ALTO_TITULO;
    const int alto = std::max(h - ALTO_TITULO - ALTO_ESTADO, 0);
    int x = 0;
    if (arbolVisible_ && picExplorer_) {
        anchoArbol_ = std::clamp(anchoArbol_, MARGEN_ARBOL, std::max(w - MARGEN_ARBOL, MARGEN_ARBOL));
        picExplorer_->setGeometry(0, y0, anchoArbol_, alto);
        picBarra_->setGeometry(anchoArbol_, y0, ANCHO_SEPARADOR, alto);
        x = anchoArbol_ + ANCHO_SEPARADOR;
    }
    const int anchoVsb = vsbVisible_ ? ANCHO_VSB : 0;
    vsb_->setGeometry(std::max(w - ANCHO_VSB, x), y0, ANCHO_VSB, alto);
    vsb_->setVisible(vsbVisible_);
    picM_->setGeometry(x, y0, std::max(w - anchoVsb - x, 0), alto);
    const bool detalles = dist_.Geometria().ModoVer == 1;
    picD_->setGeometry(0, 0, picM_->width(), ALTO_CABECERA);
    picD_->setVisible(detalles);
    ReubicarIconos();
    update();
}

void cVisor::resizeEvent(QResizeEvent*) { ReubicarTodo(); }

// The interface font changed (the special font switched on or off): the pane draws in it at
// once, hidden or not; every measure, cell and fitted label made in the old one goes.
void cVisor::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::FontChange) SeguirFuente();
}

void cVisor::SeguirFuente() {
    const QFont items = FuenteDe(11, false);
    if (items == fuenteItems_) return;
    fuenteItems_ = items;
    fuenteTitulo_ = FuenteDe(16, true);
    metricas_ = QFontMetrics(fuenteItems_);
    medidor_.SetFuente(fuenteItems_);
    dist_.SetAltoLinea(metricas_.height());
    if (picExplorer_) picExplorer_->setFont(fuenteItems_);
    FixLabels();
    ReubicarTodo();
    ActualizarBotonesRuta();
}

void cVisor::SetVsbValue(int valor) {
    if (!barra_.SetValue(valor)) return;
    Dibujar();
}

void cVisor::SetVsbVisible(bool visible) {
    if (vsbVisible_ == visible) return;
    vsbVisible_ = visible;
    ruedaResto_ = 0;
    ReubicarTodo();  // the items take or give back the bar's width, and are drawn again
}

void cVisor::MouseWheel(int angulo) {
    if (!vsbVisible_) return;
    ruedaResto_ += angulo;
    const int muescas = ruedaResto_ / 120;
    ruedaResto_ %= 120;
    if (muescas != 0 && barra_.Rueda(muescas)) Dibujar();
}

void cVisor::RecalcularBarra() {
    const int cabecera = dist_.AltoCabecera();
    barra_.Recalcular(vsb_->height(), dist_.AltoContenido(nItems()), picM_->height(), cabecera);
}

void cVisor::HacerVisible(int item) {
    if (item < 0 || item >= nItems()) return;
    const int alto = dist_.Geometria().IcoH;
    const int top = dist_.FilaDeItem(item) * alto;
    const int visible = picM_->height() - dist_.AltoCabecera();
    if (top < vsbValue()) SetVsbValue(top);
    else if (top + alto > vsbValue() + visible) SetVsbValue(top + alto - visible);
}

// --- what the content asks of the window ---

void cVisor::BloquearDibujo() { ++bloqueos_; }

void cVisor::DesbloquearDibujo() {
    if (bloqueos_ > 0 && --bloqueos_ == 0 && pendiente_) {
        pendiente_ = false;
        RedibujarTodo();
    }
}

void cVisor::ScrollArriba() {
    barra_.SetValue(0);
    primeraFila_ = 0;
}

void cVisor::DeseleccionarTodo() { seleccion_.Reiniciar(nItems()); }

// The scroll position needs nothing: a refresh leaves the bar's value alone, and the new
// listing's length clamps it.
void cVisor::GuardarLugar() { lugar_ = seleccion_.Lugar(); }

void cVisor::RestaurarLugar() {
    seleccion_.Reiniciar(nItems());
    seleccion_.Restaurar(lugar_);
    lugar_ = {};
}

void cVisor::ActualizarTituloTab() {
    if (EsActivo()) frmM_->marco().SetTextoTab(frmM_, Caption());
}

// The pane keeps showing what it had; the pointer over it says a listing is on its way.
void cVisor::EsperandoListado(bool esperando) {
    if (esperando)
        picM_->setCursor(Qt::BusyCursor);
    else
        picM_->unsetCursor();
}

void cVisor::RedibujarTodo() {
    if (bloqueos_ > 0) {
        pendiente_ = true;
        return;
    }
    avisadas_.clear();
    // Previews asked for the listing shown before are not wanted any more; the rows painted
    // below ask again for theirs.
    iconos_.DescartarPreviews();
    // A load brings fresh items whose labels are fitted as they are drawn: fitting all of a
    // 100,000-entry folder up front would measure every name.
    FixLabels();
    ReubicarIconos();
    itemEstado_ = -1;
    strBarraEstado_ = QString::fromStdString(
        TextoEstadoCarga(contenido_, QLocale().decimalPoint().toStdString()));
    picE_->update();
    picD_->update();
    SincronizarArbol();
    NotificarAccesibilidad(true);
    VigilarUbicacion();
    frmM_->VisorCargado(this);
}

void cVisor::VigilarUbicacion() { VigilarAntesDeListar(contenido_.RutaActual); }

void cVisor::VigilarAntesDeListar(const std::string& carpeta) {
    const std::string nueva = !carpeta.empty() && carpeta[0] == SepRuta ? carpeta : std::string();
    if (nueva == vigilada_) return;
    frmM_->marco().VigilarCarpeta(vigilada_, nueva);
    vigilada_ = nueva;
}

void cVisor::SeguirCambio(const ResultadoCambio& r) {
    switch (r.efecto) {
        case EfectoCambio::Ninguno: return;
        case EfectoCambio::RedibujarItem:
            ItemRenombrado(static_cast<int>(r.item));
            if (contenido_.EnMiPC()) ActualizarBarraEstado();
            return;
        case EfectoCambio::Refrescar:
            if (!tRefresco_) {
                tRefresco_ = new QTimer(this);
                tRefresco_->setSingleShot(true);
                tRefresco_->setInterval(100);
                connect(tRefresco_, &QTimer::timeout, this, [this] { contenido_.RefrescarPorCambio(); });
            }
            if (!tRefresco_->isActive()) tRefresco_->start();
            return;
        case EfectoCambio::NuevaUbicacion:
            ActualizarTituloTab();
            DibujarNombreCarpeta();
            ActualizarBotonesRuta();
            VigilarUbicacion();
            frmM_->VisorCargado(this);
            return;
        case EfectoCambio::IrAMiPC:
        case EfectoCambio::RecargarUnidades:
            CargarContenido(TextoMiPC());
            return;
    }
}

void cVisor::SetEstadoAtrasAdelante(int boton, bool habilitado) {
    if (EsActivo() && frmM_->EsTabActual()) frmM_->marco().SetEstadoAtrasAdelante(boton, habilitado);
}

void cVisor::ActualizarAtrasAdelante() {
    if (EsActivo()) frmM_->ActualizarAtrasAdelante();
}

void cVisor::RedibujarItem(int item) {
    DibujarICO(item);
    picM_->update();
    NotificarAccesibilidad(false);
}

void cVisor::ItemRenombrado(int item) {
    if (item < 0 || item >= nItems()) return;
    // Its fitted labels, on the strip and on a selection overlay, are of the old name.
    ItemCarpeta& it = contenido_.Items[static_cast<size_t>(item)];
    it.BorrarEtiquetas();
    if (it.PosSeleccion > 0) seleccion_.SetTextoSlot(it.PosSeleccion - 1, {});
    RedibujarItem(item);
}

void cVisor::RedibujarItems() {
    picM_->update();
    NotificarAccesibilidad(false);
}

void cVisor::ActualizarBarraEstado(int item) { DibujarBarraDeEstado(item); }

void cVisor::SetIdioma() {
    if (itemEstado_ >= 0 && itemEstado_ < nItems()) {
        DibujarBarraDeEstado(itemEstado_);
        return;
    }
    itemEstado_ = -1;
    strBarraEstado_ = QString::fromStdString(
        TextoEstadoCarga(contenido_, QLocale().decimalPoint().toStdString()));
    ActualizarBarraEstado();
}

void cVisor::SeleccionVaciada() {
    itemEstado_ = -1;
    strBarraEstado_ = QString::fromStdString(
        TextoEstadoCarga(contenido_, QLocale().decimalPoint().toStdString()));
    ActualizarBarraEstado();
    if (EsActivo()) frmM_->MostrarInfoAVisor();
}

void cVisor::SetListaPortapapeles(const std::vector<std::string>&) {}

void cVisor::NotificarAccesibilidad(bool reinicio) {
    if (reinicio) ReiniciarAccesibles(picM_);
    if (!QAccessible::isActive()) return;
    if (reinicio) {
        QAccessibleEvent ev(picM_, QAccessible::ObjectReorder);
        QAccessible::updateAccessibility(&ev);
        return;
    }
    const int actual = seleccion_.sActual();
    QAccessibleEvent sel(picM_, QAccessible::SelectionWithin);
    QAccessible::updateAccessibility(&sel);
    if (actual >= 0 && picM_->hasFocus()) {
        QAccessibleEvent foco(picM_, QAccessible::Focus);
        foco.setChild(actual);
        QAccessible::updateAccessibility(&foco);
    }
}

}  // namespace quirvex
