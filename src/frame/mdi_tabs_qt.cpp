// The frame's tab strip: records, buttons, drawing, selection, closing, dragging, scrolling,
// and saving and restoring the folder tabs.

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFontMetrics>
#include <QPainter>
#include <QPointer>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>

#include "folder/contenido_visor.h"
#include "frame/accesibles_marco_qt.h"
#include "frame/controles_marco_qt.h"
#include "frame/geometria_tabs.h"
#include "frame/mdi_qt.h"
#include "frame/tabs_guardados.h"
#include "frame/ventana_tab_qt.h"
#include "platform/dialogos.h"
#include "platform/smb.h"
#include "settings/almacen_registro.h"
#include "settings/idioma.h"
#include "settings/opciones.h"

namespace quirvex {
namespace {

constexpr int ARRIBA_TAB = 4;
constexpr int ALTO_TAB = 28;
constexpr int kReintentoCierreMs = 20;

bool BotonCerrar() { return Opciones().TabsBotonCerrar == 1; }

QColor ColorTextoTab(int estado) {
    switch (estado) {
        case TAB_SOBRE:
        case TAB_ELEGIDO_SOBRE: return QColor(0xFF, 0xFF, 0xFF);
        case TAB_PULSADO: return QColor(0xCF, 0xCF, 0xCF);
        default: return QColor(0xEF, 0xEF, 0xEF);
    }
}

// The pictures of the fixed tabs: a plus for New Tab, two arrows for Operations.
QIcon IconoFijo(int piel) {
    QPixmap px(16, 16);
    px.fill(Qt::transparent);
    QPainter p(&px);
    p.setRenderHint(QPainter::Antialiasing);
    if (piel == PIEL_NUEVO) {
        p.setPen(QPen(QColor(150, 220, 170), 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 3), QPointF(8, 13));
        p.drawLine(QPointF(3, 8), QPointF(13, 8));
    } else {
        p.setPen(QPen(QColor(240, 196, 110), 1.8, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(2, 5), QPointF(13, 5));
        p.drawLine(QPointF(10, 2), QPointF(13, 5));
        p.drawLine(QPointF(14, 11), QPointF(3, 11));
        p.drawLine(QPointF(6, 14), QPointF(3, 11));
    }
    return QIcon(px);
}

}  // namespace

int MDI::ContarTabs() const {
    return ContarTabsNoFijos(static_cast<int>(Tabs_.size()) - 1, TabsFijos_);
}

void MDI::CrearTabsFijos() {
    AgregarTab(nullptr, QString::fromStdString(Texto(MDISec, 2)), IconoFijo(PIEL_NUEVO), true,
               PIEL_NUEVO);
    AgregarTab(nullptr, QString::fromStdString(Texto(frmOperations, 0)),
               IconoFijo(PIEL_OPERACIONES), true, PIEL_OPERACIONES);
}

int MDI::AnchoTexto(const QString& texto) const {
    return QFontMetrics(picTabs_->font()).horizontalAdvance(texto);
}

QString MDI::Acortar(const QString& texto) const {
    Opciones().AnchoTextoTab = CalcularAnchoTextoTab(Opciones().TabsMaxWidth, Opciones().TabsBotonCerrar);
    return QFontMetrics(picTabs_->font()).elidedText(texto, Qt::ElideRight, Opciones().AnchoTextoTab);
}

int MDI::AgregarTab(VentanaTab* ventana, const QString& texto, const QIcon& icono, bool fijo,
                    int piel) {
    if (fijo) ++TabsFijos_;
    const int n = static_cast<int>(Tabs_.size());
    auto* boton = new BotonTab(*this, n, picTabs_);
    tabB_.push_back(boton);
    RegistroTab r;
    r.TextoCompleto = texto;
    r.Texto = n >= 2 ? Acortar(texto) : texto;
    r.Icono = icono;
    r.Ventana = ventana;
    r.Boton = boton;
    r.Piel = piel;
    Tabs_.push_back(r);
    if (ventana) ventana->SetnTab(n);
    boton->setToolTip(texto);
    const int ancho = AnchoBotonTab(AnchoTexto(r.Texto), n < TabsFijos_, BotonCerrar(), ContarTabs());
    const int izquierda =
        n == 0 ? IZQUIERDA_PRIMER_TAB : tabB_[static_cast<size_t>(n) - 1]->geometry().right() + 1 + SEPARACION_TABS;
    boton->setGeometry(izquierda, ARRIBA_TAB, ancho, ALTO_TAB);
    boton->show();
    ReubicarBotonesDesde(n);
    if (ContarTabs() == 2) SetTextoTab(TabsFijos_, Tabs_[static_cast<size_t>(TabsFijos_)].TextoCompleto, true);
    return n;
}

void MDI::SetTextoTab(int indice, const QString& texto, bool acortar) {
    if (indice < 0 || indice >= static_cast<int>(Tabs_.size())) return;
    RegistroTab& r = Tabs_[static_cast<size_t>(indice)];
    const bool fijo = indice < TabsFijos_;
    r.Boton->setToolTip(texto);
    if (r.TextoCompleto != texto || r.Boton->property("nombreDicho").toString() != texto) {
        r.Boton->setProperty("nombreDicho", texto);
        AnunciarNombreTab(r.Boton);
    }
    r.TextoCompleto = texto;
    if (acortar) r.Texto = fijo ? texto : Acortar(texto);
    const int ancho = AnchoBotonTab(AnchoTexto(r.Texto), fijo, BotonCerrar(), ContarTabs());
    if (r.Boton->width() == ancho) {
        DibujarTab(indice, r.Estado, true);
        return;
    }
    r.Estado = TAB_NORMAL;
    r.Boton->resize(ancho, ALTO_TAB);
    tabB_Resize(indice);
}

// A new folder tab is drawn once its pane names a location; a tab window that never names one
// still gets its folder's name, so no tab stays invisible.
void MDI::TextoTabProvisional(int indice) {
    if (indice < 0 || indice >= static_cast<int>(Tabs_.size())) return;
    const RegistroTab& r = Tabs_[static_cast<size_t>(indice)];
    if (r.Texto != QLatin1String(".") || !r.Ventana) return;
    QString texto = r.Ventana->NombreVentana() == QLatin1String("frmMain")
                        ? QString() : QString::fromStdString(Texto(frmSearch, 0));
    if (cContenidoVisor* c = r.Ventana->ContenidoAVisor())
        texto = QFile::decodeName(QByteArray::fromStdString(
            c->NombreCarpeta.empty() ? c->RutaActual : c->NombreCarpeta));
    if (!texto.isEmpty()) SetTextoTab(indice, texto, true);
}

bool MDI::TabElegido(int indice) const {
    const RegistroTab& r = Tabs_[static_cast<size_t>(indice)];
    if (r.Ventana) return r.Ventana == activa_;
    return r.Piel == PIEL_OPERACIONES && operacionesVisibles_ && !activa_;
}

int MDI::IndiceTabActual() const {
    if (activa_) return activa_->nTab();
    return operacionesVisibles_ ? 1 : -1;
}

void MDI::DibujarTab(int indice, int estado, bool forzar) {
    if (indice < 0 || indice >= static_cast<int>(Tabs_.size())) return;
    if (TabSobre_ >= 0 && TabSobre_ < static_cast<int>(Tabs_.size()) && TabSobre_ != indice)
        DibujarTab(TabSobre_, TAB_NORMAL, false);
    RegistroTab& r = Tabs_[static_cast<size_t>(indice)];
    if (r.Texto == QLatin1String(".")) return;
    const bool elegido = TabElegido(indice);
    if (elegido && estado <= TAB_SOBRE) estado += 3;
    if (!elegido && estado >= TAB_ELEGIDO) estado -= 3;
    if (!forzar && estado == r.Estado) return;
    r.Estado = estado;
    r.Boton->setProperty("elegido", elegido);
    // Only the tab on screen is a Tab stop; the arrows lead from it to the others.
    r.Boton->setFocusPolicy(elegido ? Qt::TabFocus : Qt::NoFocus);
    r.Boton->update();
    if (elegido) MostrarDireccion();
}

void MDI::PintarTab(int indice, QPainter& p) const {
    if (indice < 0 || indice >= static_cast<int>(Tabs_.size())) return;
    const RegistroTab& r = Tabs_[static_cast<size_t>(indice)];
    if (r.Texto == QLatin1String(".")) return;
    const QRect caja = r.Boton->rect();
    PintarPielTab(p, caja, r.Piel, r.Estado);
    const int d = r.Estado == TAB_PULSADO ? 2 : 0;
    QIcon icono = r.Icono;
    if (EsCarpeta(r.Ventana)) {
        icono = r.Ventana->CurrentIcon();
        if (icono.isNull()) icono = QIcon::fromTheme(QStringLiteral("folder"));
    }
    if (!icono.isNull()) icono.paint(&p, QRect(8 + d, (caja.height() - 16) / 2 + d, 16, 16));
    const bool cerrar = TieneCerrar(indice < TabsFijos_, BotonCerrar(), ContarTabs());
    p.setPen(ColorTextoTab(r.Estado));
    p.setFont(picTabs_->font());
    const int derecha = cerrar ? ANCHO_CERRAR_TAB : 6;
    p.drawText(QRect(28 + d, 8 + d, caja.width() - 28 - derecha, caja.height() - 8),
               Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, r.Texto);
    if (cerrar) PintarGlifoCerrar(p, caja, r.Estado == TAB_PULSADO);
}

void MDI::tabB_Resize(int indice) {
    if (indice < 0 || indice >= static_cast<int>(Tabs_.size())) return;
    DibujarTab(indice, Tabs_[static_cast<size_t>(indice)].Estado, true);
    ReubicarBotonesDesde(indice);
}

void MDI::ReubicarBotonesDesde(int indice) {
    for (size_t k = static_cast<size_t>(std::max(indice, 0)) + 1; k < tabB_.size(); ++k)
        tabB_[k]->move(tabB_[k - 1]->x() + tabB_[k - 1]->width() + SEPARACION_TABS, ARRIBA_TAB);
    const int fin = tabB_.empty() ? IZQUIERDA_PRIMER_TAB : tabB_.back()->x() + tabB_.back()->width();
    picTabs_->resize(fin, picScrollTabs_->height());
    picTabs_->update();
    ActualizarScroll();
}

void MDI::ActualizarScroll() {
    if (!picTabs_ || !picScrollTabs_) return;
    const int visible = picScrollTabs_->width();
    int izquierda = picTabs_->x();
    // A wider window may leave the row's end short of the right edge: take the slack back.
    if (izquierda < 0 && izquierda + picTabs_->width() < visible)
        izquierda = std::min(0, visible - picTabs_->width());
    picTabs_->move(izquierda, 0);
    const bool hace = picTabs_->width() > visible || izquierda < 0;
    picTabScroll_[0]->setVisible(hace);
    picTabScroll_[1]->setVisible(hace);
}

void MDI::picTabScroll_Click(int indice) {
    const int izquierda = indice == 0
        ? DesplazarTabsIzquierda(picTabs_->x())
        : DesplazarTabsDerecha(picTabs_->x(), picTabs_->width(), picScrollTabs_->width());
    picTabs_->move(izquierda, 0);
}

void MDI::e_tabB_Click(int indice) {
    if (indice < 0 || indice >= static_cast<int>(Tabs_.size())) return;
    const RegistroTab& r = Tabs_[static_cast<size_t>(indice)];
    if (r.Piel == PIEL_NUEVO) {
        const size_t antes = VentanasTab_.size();
        cmdNuevoTab_Click();
        // A refused tab leaves the current tab on screen, and its buttons as they were.
        if (VentanasTab_.size() == antes) return;
        SetEstadoAtrasAdelante(0, -1);
        SetEstadoAtrasAdelante(1, -1);
        return;
    }
    BloqueoDibujo bloqueo(*this);
    const int anterior = IndiceTabActual();
    if (r.Piel == PIEL_OPERACIONES) {
        activa_ = nullptr;
        operacionesVisibles_ = true;
        MostrarTiraInfo(false);
        for (VentanaTab* v : VentanasTab_)
            if (v) v->Widget()->hide();
        ColocarVentana(frmOperaciones_);
        frmOperaciones_->show();
        if (anterior != indice) DibujarTab(anterior, TAB_NORMAL, false);
        DibujarTab(indice, TAB_NORMAL, true);
        return;
    }
    VentanaTab* v = r.Ventana;
    if (!v) return;
    if (EsCarpeta(v)) {
        PonerFiltroDe(v);
        v->ActualizarAtrasAdelante();
        ultimaCarpeta_ = v->Widget();
    }
    activa_ = v;
    operacionesVisibles_ = false;
    if (anterior != indice) DibujarTab(anterior, TAB_NORMAL, false);
    v->MostrarInfoAVisor();
    MostrarVentana(v);
    DibujarTab(indice, TAB_NORMAL, true);
}

bool MDI::TieneCerrarTab(int indice) const {
    return indice >= 0 && indice < static_cast<int>(Tabs_.size()) &&
           TieneCerrar(indice < TabsFijos_, BotonCerrar(), ContarTabs());
}

void MDI::ConstruirAtajosTabs() {
    const struct {
        QKeySequence teclas;
        int paso;  // 0: close
    } atajos[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_Tab), 1},
        {QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1},
        {QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1},
        {QKeySequence(Qt::CTRL | Qt::Key_W), 0},
    };
    for (const auto& a : atajos) {
        auto* atajo = new QShortcut(a.teclas, this);
        atajo->setContext(Qt::WindowShortcut);
        const int paso = a.paso;
        connect(atajo, &QShortcut::activated, this, [this, paso] {
            if (paso == 0)
                CerrarTabTeclado();
            else
                CambiarTabTeclado(paso);
        });
    }
}

int MDI::IndiceTabEnfocado() const {
    for (size_t i = 0; i < tabB_.size(); ++i)
        if (tabB_[i]->hasFocus()) return static_cast<int>(i);
    return -1;
}

void MDI::EnfocarTab(int indice) {
    if (tabB_.empty()) return;
    indice = std::clamp(indice, 0, static_cast<int>(tabB_.size()) - 1);
    MostrarTabEnTira(indice);
    tabB_[static_cast<size_t>(indice)]->setFocus(Qt::TabFocusReason);
}

// Scrolls the row just enough for tab `indice` to show whole.
void MDI::MostrarTabEnTira(int indice) {
    if (indice < 0 || indice >= static_cast<int>(tabB_.size())) return;
    const QRect r = tabB_[static_cast<size_t>(indice)]->geometry();
    const int visible = picScrollTabs_->width();
    int izquierda = picTabs_->x();
    if (r.left() + izquierda < 0)
        izquierda = -r.left();
    else if (r.right() + 1 + izquierda > visible)
        izquierda = visible - r.right() - 1;
    picTabs_->move(std::min(0, izquierda), 0);
}

void MDI::CambiarTabTeclado(int paso) {
    const int enfocado = IndiceTabEnfocado();
    const int desde = enfocado >= TabsFijos_ - 1 ? enfocado : IndiceTabActual();
    const int destino = TabVecino(desde, paso, TabsFijos_ - 1, static_cast<int>(Tabs_.size()) - 1);
    if (destino < 0) return;
    e_tabB_Click(destino);
    MostrarTabEnTira(destino);
    EnfocarVentanaActual();
}

void MDI::CerrarTabTeclado() {
    const int enfocado = IndiceTabEnfocado();
    const int indice = enfocado >= 0 ? enfocado : IndiceTabActual();
    const size_t antes = Tabs_.size();
    CerrarTab(indice);
    if (Tabs_.size() != antes) EnfocarVentanaActual();
}

// The keys go on where the page is: its pane, else its first control.
void MDI::EnfocarVentanaActual() {
    QWidget* ventana = activa_ ? activa_->Widget() : operacionesVisibles_ ? frmOperaciones_ : nullptr;
    if (!ventana) return;
    if (activa_) activa_->EnfocarVisor();
    if (QWidget* foco = QApplication::focusWidget(); foco && ventana->isAncestorOf(foco)) return;
    for (QWidget* w = ventana->nextInFocusChain(); w && w != ventana; w = w->nextInFocusChain()) {
        if (ventana->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && w->isVisible() &&
            w->isEnabled()) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

void MDI::cmdNuevoTab_Click() {
    if (static_cast<int>(VentanasTab_.size()) >= MAX_VENTANAS_TAB) {
        DialogosSistema().Mensaje(TextoN(General, 9, MAX_VENTANAS_TAB), Texto(General, 0),
                                  Botones::Aceptar, IconoMensaje::Informacion);
        return;
    }
    BloqueoDibujo bloqueo(*this);
    VentanaTab* v = CrearVentanaTab();
    VentanasTab_.push_back(v);
    const int n = AgregarTab(v, QStringLiteral("."), QIcon(), false, PIEL_CARPETA);
    v->GoDefaultFolder(QString());
    TextoTabProvisional(n);
    e_tabB_Click(n);
}

void MDI::NuevoTabVisor(const QString& lista) {
    if (ContarTabs() > MAX_VENTANAS_TAB || lista.isEmpty()) return;
    BloqueoDibujo bloqueo(*this);
    VentanaTab* v = CrearVentanaTab();
    VentanasTab_.push_back(v);
    const int n = AgregarTab(v, QStringLiteral("."), QIcon(), false, PIEL_CARPETA);
    v->CargarVisores(lista);
    TextoTabProvisional(n);
    DibujarTab(n, TAB_NORMAL, true);
}

void MDI::CerrarTab(int indice) {
    const int ultimo = static_cast<int>(Tabs_.size()) - 1;
    if (ContarTabs() <= 1 || indice < TabsFijos_ || indice > ultimo) return;
    VentanaTab* v = Tabs_[static_cast<size_t>(indice)].Ventana;
    // A pane may be inside a network wait, whose event loop is what brought this close: the tab
    // goes once the wait is over, never from under the load that waits.
    if (v && EsperandoRed()) {
        QTimer::singleShot(kReintentoCierreMs, this, [this, v, w = QPointer<QWidget>(v->Widget())] {
            if (w) CerrarVentanaTab(v);
        });
        return;
    }
    if (TabSobre_ == indice) TabSobre_ = -1;
    BloqueoDibujo bloqueo(*this);
    if (v) {
        // A search window stops its search here; a folder tab lets go of its panes.
        v->PreUnload();
        for (VentanaTab*& w : VentanasTab_)
            if (w == v) w = nullptr;  // the array keeps its length: it counts every tab made
        if (activa_ == v) activa_ = nullptr;
        v->Widget()->hide();
        v->Widget()->deleteLater();
    }
    tabB_.back()->hide();
    for (int k = indice; k < ultimo; ++k) {
        Tabs_[static_cast<size_t>(k)] = Tabs_[static_cast<size_t>(k) + 1];
        ReasignarTab(k);
    }
    tabB_.back()->deleteLater();
    tabB_.pop_back();
    Tabs_.pop_back();
    if (TabSobre_ > static_cast<int>(Tabs_.size()) - 1) TabSobre_ = -1;
    ReubicarBotonesDesde(0);
    e_tabB_Click(TabTrasCerrar(indice, ultimo));
    if (ContarTabs() == 1)
        SetTextoTab(TabsFijos_, Tabs_[static_cast<size_t>(TabsFijos_)].TextoCompleto, true);
}

void MDI::ReasignarTab(int indice) {
    RegistroTab& r = Tabs_[static_cast<size_t>(indice)];
    r.Boton = tabB_[static_cast<size_t>(indice)];
    if (r.Ventana) r.Ventana->SetnTab(indice);
    SetTextoTab(indice, r.TextoCompleto, true);
}

void MDI::MoverTab(int desde, int hasta) {
    const int ultimo = static_cast<int>(Tabs_.size()) - 1;
    if (desde == hasta || ultimo < 3 || desde < TabsFijos_ || hasta < TabsFijos_ || desde > ultimo ||
        hasta > ultimo)
        return;
    BloqueoDibujo bloqueo(*this);
    MoverElemento(Tabs_, desde, hasta);
    for (int k = std::min(desde, hasta); k <= std::max(desde, hasta); ++k) ReasignarTab(k);
}

void MDI::IntercambiarTabs(int a, int b, bool bloquear) {
    const int ultimo = static_cast<int>(Tabs_.size()) - 1;
    if (ultimo < 3 || a == b || a < TabsFijos_ || b < TabsFijos_ || a > ultimo || b > ultimo) return;
    std::unique_ptr<BloqueoDibujo> bloqueo;
    if (bloquear) bloqueo = std::make_unique<BloqueoDibujo>(*this);
    std::swap(Tabs_[static_cast<size_t>(a)], Tabs_[static_cast<size_t>(b)]);
    ReasignarTab(a);
    ReasignarTab(b);
}

void MDI::tabB_MouseDown(int indice, Qt::MouseButton) { DibujarTab(indice, TAB_PULSADO, false); }

void MDI::tabB_MouseMove(int indice, Qt::MouseButtons botones) {
    if (botones != Qt::NoButton) return;
    DibujarTab(indice, TAB_SOBRE, false);
    TabSobre_ = indice;
}

void MDI::picTabs_MouseMove() {
    const int sobre = TabSobre_;
    TabSobre_ = -1;
    if (sobre >= 0) DibujarTab(sobre, TAB_NORMAL, false);
}

void MDI::tabB_MouseUp(int indice, Qt::MouseButton boton, QPoint punto) {
    if (indice < 0 || indice >= static_cast<int>(Tabs_.size())) return;
    BotonTab* b = tabB_[static_cast<size_t>(indice)];
    const bool fijo = indice < TabsFijos_;
    if (b->rect().contains(punto)) {
        if (ContarTabs() >= 2 && !fijo && BotonCerrar() && boton == Qt::LeftButton &&
            EnGlifoCerrar(punto.x(), b->width())) {
            CerrarTab(indice);
            return;
        }
        e_tabB_Click(indice);
        if (indice < static_cast<int>(Tabs_.size())) DibujarTab(indice, TAB_SOBRE, false);
        return;
    }
    DibujarTab(indice, TAB_NORMAL, false);
    if (fijo || ContarTabs() < 2) return;
    std::vector<TramoTab> tramos;
    for (const BotonTab* t : tabB_) tramos.push_back({t->x(), t->width()});
    const int r = b->x() + punto.x();
    if (boton == Qt::LeftButton && ArrastreLejos(punto.x(), b->width())) {
        MoverTab(indice, DestinoMoverTab(tramos, TabsFijos_, r));
    } else if (boton == Qt::RightButton) {
        const int destino = DestinoIntercambiarTab(tramos, TabsFijos_, r);
        if (destino != indice) IntercambiarTabs(indice, destino, true);
    }
}

void MDI::GuardarTabs() {
    if (Opciones().RestoreTabs != 1) return;
    std::vector<TabGuardable> tabs;
    for (size_t i = static_cast<size_t>(TabsFijos_); i < Tabs_.size(); ++i) {
        TabGuardable t;
        VentanaTab* v = Tabs_[i].Ventana;
        t.esCarpeta = EsCarpeta(v);
        for (int j = 0; t.esCarpeta && j < v->nVisores(); ++j)
            if (cContenidoVisor* c = v->GetContenidoVisor(j)) t.rutas.push_back(c->RutaActual);
        tabs.push_back(std::move(t));
    }
    RegEscribirCadena(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Previous Tabs", FormatearTabsGuardados(tabs));
}

void MDI::RestaurarTabs(bool alPrimerTab) {
    if (Opciones().RestoreTabs != 1) return;
    const std::vector<std::string> entradas =
        SepararTabsGuardados(RegLeerCadena(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Previous Tabs"));
    auto texto = [](const std::string& s) { return QFile::decodeName(QByteArray::fromStdString(s)); };
    for (size_t k = 0; k < entradas.size(); ++k) {
        if (k == 0 && alPrimerTab && !VentanasTab_.empty() && VentanasTab_.front()) {
            VentanasTab_.front()->CargarVisores(texto(entradas[k]));
            continue;
        }
        if (static_cast<int>(VentanasTab_.size()) >= MAX_VENTANAS_TAB) break;
        NuevoTabVisor(texto(entradas[k]));
    }
}

}  // namespace quirvex
