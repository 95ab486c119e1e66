// The frame's address bar (display and edit modes, Enter, the path labels, back/forward/history
// and the two location shortcuts) and its filter box.

#include <QComboBox>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QTimer>
#include <QToolButton>

#include "folder/contenido_visor.h"
#include "search/busqueda_rapida_qt.h"
#include "frame/accesibles_marco_qt.h"
#include "frame/controles_marco_qt.h"
#include "frame/direccion.h"
#include "frame/mdi_qt.h"
#include "frame/ventana_tab_qt.h"
#include "platform/dialogos.h"
#include "settings/idioma.h"

namespace quirvex {
namespace {

QString DeBytes(const std::string& s) { return QFile::decodeName(QByteArray::fromStdString(s)); }
std::string ABytes(const QString& s) { return QFile::encodeName(s).toStdString(); }

// A white arrow on the dark bar; dimmed when the button is disabled.
QPixmap PixmapFlecha(Qt::ArrowType flecha, const QColor& color) {
    QPixmap px(16, 16);
    px.fill(Qt::transparent);
    QPainter p(&px);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(color, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPolygonF linea;
    if (flecha == Qt::LeftArrow) linea << QPointF(10, 3) << QPointF(5, 8) << QPointF(10, 13);
    if (flecha == Qt::RightArrow) linea << QPointF(6, 3) << QPointF(11, 8) << QPointF(6, 13);
    if (flecha == Qt::DownArrow) linea << QPointF(4, 6) << QPointF(8, 10) << QPointF(12, 6);
    p.drawPolyline(linea);
    return px;
}

QToolButton* BotonBF(QWidget* padre, Qt::ArrowType flecha) {
    auto* b = new QToolButton(padre);
    QIcon icono;
    icono.addPixmap(PixmapFlecha(flecha, QColor(232, 238, 244)), QIcon::Normal);
    icono.addPixmap(PixmapFlecha(flecha, QColor(78, 101, 128)), QIcon::Disabled);
    b->setIcon(icono);
    b->setFixedSize(flecha == Qt::DownArrow ? 20 : 28, 26);
    // Reached with Tab; a click leaves the keys where they were.
    b->setFocusPolicy(Qt::TabFocus);
    return b;
}

}  // namespace

QWidget* MDI::ConstruirFilaDireccion() {
    auto* fila = new QWidget(picB_);
    auto* capas = new QHBoxLayout(fila);
    capas->setContentsMargins(6, 0, 8, 0);
    capas->setSpacing(4);
    const Qt::ArrowType flechas[3] = {Qt::LeftArrow, Qt::RightArrow, Qt::DownArrow};
    for (int i = 0; i < 3; ++i) {
        cmdBF_[i] = BotonBF(fila, flechas[i]);
        connect(cmdBF_[i], &QToolButton::clicked, this, [this, i] { cmdBF_Click(i); });
        capas->addWidget(cmdBF_[i]);
    }
    mnuPBF_ = new QMenu(this);

    picRuta_ = new AreaRuta(fila);
    picRuta_->setObjectName("picRuta");
    picRuta_->setMinimumWidth(200);
    picRuta_->setFixedHeight(26);
    capasRuta_ = new QHBoxLayout(picRuta_);
    capasRuta_->setContentsMargins(6, 0, 6, 0);
    capasRuta_->setSpacing(0);  // the path buttons keep their own distance
    imgRuta_ = new QLabel(picRuta_);
    imgRuta_->setFixedSize(18, 18);
    capasRuta_->addWidget(imgRuta_);
    capasRuta_->addSpacing(6);
    capasRuta_->addStretch(1);
    txtRuta_ = new CajaRuta(picRuta_);
    txtRuta_->setObjectName("txtRuta");
    txtRuta_->setStyleSheet("QLineEdit { border: none; background: white; min-height: 0; }");
    txtRuta_->hide();
    picRuta_->alEnfocar = [this] { picRuta_GotFocus(); };
    picRuta_->alMover = [this] { picRuta_MouseMove(); };
    picRuta_->alRedimensionar = [this] {
        txtRuta_->setGeometry(28, 2, picRuta_->width() - 32, 22);
        MostrarEtiquetasRuta(!txtRuta_->isVisible());
    };
    txtRuta_->alEnfocar = [this] { txtRuta_GotFocus(); };
    txtRuta_->alDesenfocar = [this] { txtRuta_LostFocus(); };
    txtRuta_->alEnter = [this] { txtRuta_Enter(); };
    txtRuta_->alAtras = [this] { SalirDireccionAtras(); };
    txtRuta_->alEscape = [this] { txtRuta_Escape(); };
    capas->addWidget(picRuta_, 1);

    for (int i = 0; i < 2; ++i) {
        lblAD_[i] = new QLabel(fila);
        lblAD_[i]->setProperty("atajo", true);
        lblAD_[i]->setProperty("indice", i);
        lblAD_[i]->setCursor(Qt::PointingHandCursor);
        HacerEtiquetaBoton(lblAD_[i]);
        lblAD_[i]->installEventFilter(this);
        capas->addWidget(lblAD_[i]);
    }
    capas->addSpacing(6);
    cboFiltro_ = new QComboBox(fila);
    cboFiltro_->setObjectName("cboFiltro");
    cboFiltro_->setMinimumWidth(110);
    connect(cboFiltro_, &QComboBox::activated, this, [this] { cboFiltro_Click(); });
    capas->addWidget(cboFiltro_);
    auto* filtro = new CajaAvisos(fila);
    filtro->setObjectName("txtFiltro");
    filtro->setFixedWidth(120);
    filtro->alEnfocar = [this] { txtFiltro_GotFocus(); };
    filtro->alDesenfocar = [this] { txtFiltro_LostFocus(); };
    filtro->alEnter = [this] { txtFiltro_Enter(); };
    txtFiltro_ = filtro;
    capas->addWidget(txtFiltro_);
    ConstruirChkInfo(fila, capas);
    capas->addSpacing(6);
    auto* buscar = new CajaAvisos(fila);
    buscar->setObjectName("txtBusqueda");
    buscar->setFixedWidth(160);
    buscar->alEnfocar = [this] {
        if (busquedaRapida_) busquedaRapida_->txtBuscar_GotFocus();
    };
    buscar->alDesenfocar = [this] {
        if (busquedaRapida_) busquedaRapida_->txtBuscar_LostFocus();
    };
    connect(buscar, &QLineEdit::textChanged, this, [this] {
        if (busquedaRapida_) busquedaRapida_->txtBuscar_Change();
    });
    txtBusqueda_ = buscar;
    capas->addWidget(txtBusqueda_);
    return fila;
}

QWidget* MDI::FilaTabsWidget() const { return picTabs_; }
QWidget* MDI::picRuta() const { return picRuta_; }
QLineEdit* MDI::txtRuta() const { return txtRuta_; }

QStringList MDI::TextosRuta() const {
    QStringList textos;
    for (const QLabel* l : lblRuta_) textos << l->text();
    return textos;
}

void MDI::MostrarDireccion() {
    VentanaTab* v = activa_;
    if (!v) {
        const QString titulo = QString::fromStdString(Texto(frmOperations, 0));
        txtRuta_->setText(titulo);
        MostrarPartesRuta({titulo});
        imgRuta_->clear();
        return;
    }
    cContenidoVisor* c = EsCarpeta(v) ? v->ContenidoAVisor() : nullptr;
    if (!c) {
        const QString titulo = QString::fromStdString(Texto(frmSearch, 0));
        txtRuta_->setText(titulo);
        MostrarPartesRuta({titulo});
        imgRuta_->clear();
        return;
    }
    txtRuta_->setText(DeBytes(c->RutaActual));
    MostrarPartesRuta(v->BotonesRuta());
    QIcon icono = v->CurrentIcon();
    if (icono.isNull()) icono = QIcon::fromTheme(c->EnMiPC() ? "computer" : "folder");
    imgRuta_->setPixmap(icono.pixmap(16, 16));
}

void MDI::MostrarPartesRuta(const QStringList& partes) {
    // The same captions in another font are laid out again.
    if (partes == TextosRuta() && (lblRuta_.empty() || lblRuta_.front()->font() == FuenteBotonesRuta())) return;
    // A label may be the one whose click led here: hide now, delete when its event is over.
    for (QLabel* l : lblRuta_) {
        l->hide();
        l->deleteLater();
    }
    for (QLabel* s : sepRuta_) {
        s->hide();
        s->deleteLater();
    }
    lblRuta_.clear();
    sepRuta_.clear();
    // The captions come already cut to their width in this font; the labels show them whole,
    // 9 pixels apart, and stay out of sight while the address is being typed.
    const bool editando = txtRuta_->isVisible();
    int pos = 2;  // after the icon and its spacing
    for (int i = 0; i < partes.size(); ++i) {
        const bool ultima = i + 1 == partes.size();
        // Marked before it has a text: its first text already tells assistive tools about it.
        auto* l = new QLabel(picRuta_);
        if (!ultima) HacerEtiquetaBoton(l);
        l->setText(partes[i]);
        l->setFont(FuenteBotonesRuta());
        l->setProperty("parteRuta", i);
        // The focus mark is a background, so a focused button keeps its width.
        l->setStyleSheet(!ultima
                             ? "QLabel { color: #24507a; } QLabel:hover { color: #0b6bd3; text-decoration: underline; }"
                               " QLabel:focus { background: #cfe2f7; color: #0b3f78; text-decoration: underline; }"
                             : "QLabel { color: #14283c; }");
        l->setMouseTracking(true);
        l->installEventFilter(this);
        l->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);  // never squeezed
        if (!ultima) l->setCursor(Qt::PointingHandCursor);
        if (editando) l->hide();
        capasRuta_->insertWidget(pos++, l);
        lblRuta_.push_back(l);
        if (!ultima) {
            auto* sep = new QLabel(QStringLiteral("›"), picRuta_);
            sep->setFixedWidth(SEPARACION_BOTONES_RUTA);
            sep->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
            sep->setAlignment(Qt::AlignCenter);
            sep->setStyleSheet("QLabel { color: #7892ac; }");
            if (editando) sep->hide();
            capasRuta_->insertWidget(pos++, sep);
            sepRuta_.push_back(sep);
        }
    }
    // Tab goes from the history button through the path buttons to the address box.
    QWidget* anterior = cmdBF_[2];
    for (size_t i = 0; i + 1 < lblRuta_.size(); ++i) {
        QWidget::setTabOrder(anterior, lblRuta_[i]);
        anterior = lblRuta_[i];
    }
    QWidget::setTabOrder(anterior, picRuta_);
    if (!editando) MostrarEtiquetasRuta(true);
}

// Shift+Tab in the address box goes to the control before the address, not back into the
// area that opens the box again.
void MDI::SalirDireccionAtras() {
    txtRuta_->clearFocus();  // the box closes and the path buttons show again
    for (QWidget* w = picRuta_->previousInFocusChain(); w && w != picRuta_; w = w->previousInFocusChain()) {
        if (w == txtRuta_ || !(w->focusPolicy() & Qt::TabFocus) || !w->isEnabled() || !w->isVisible())
            continue;
        w->setFocus(Qt::BacktabFocusReason);
        return;
    }
}

void MDI::MostrarEtiquetasRuta(bool visibles) {
    // Labels keep their width; when they do not all fit, the levels right after the drive
    // list give way first, so the drive list and the location itself always show whole.
    const int n = static_cast<int>(lblRuta_.size());
    const QMargins margenes = capasRuta_->contentsMargins();
    const int libre = picRuta_->width() - margenes.left() - margenes.right() -
                      imgRuta_->width() - 6;
    int ancho = 0;
    for (int i = 0; i < n; ++i)
        ancho += lblRuta_[static_cast<size_t>(i)]->sizeHint().width() +
                 (i + 1 < n ? SEPARACION_BOTONES_RUTA : 0);
    for (int i = 0; i < n; ++i) {
        bool ver = visibles;
        if (ver && i >= 1 && i + 1 < n && ancho > libre) {
            ancho -= lblRuta_[static_cast<size_t>(i)]->sizeHint().width() + SEPARACION_BOTONES_RUTA;
            ver = false;
        }
        lblRuta_[static_cast<size_t>(i)]->setVisible(ver);
        if (i + 1 < n) sepRuta_[static_cast<size_t>(i)]->setVisible(ver);
    }
}

void MDI::SetDireccion(const QString& texto, bool editable) {
    // What the user is typing stays until the box is left.
    if (!txtRuta_->hasFocus()) txtRuta_->setText(texto);
    txtRuta_->setReadOnly(!editable);
    if (activa_)
        MostrarPartesRuta(activa_->BotonesRuta());
    else
        MostrarPartesRuta({texto});
}

void MDI::SetPartesRuta(const QStringList& partes) { MostrarPartesRuta(partes); }

void MDI::picRuta_GotFocus() {
    // The box lies over the labels; they are hidden too, so none shows through the text.
    MostrarEtiquetasRuta(false);
    txtRuta_->show();
    txtRuta_->raise();
    txtRuta_->setFocus(Qt::OtherFocusReason);
}

void MDI::picRuta_MouseMove() {
    picRuta_->SetResaltado(true);
    if (TabSobre_ >= 0) picTabs_MouseMove();
    MouseOutAtrasAdelante();
}

void MDI::txtRuta_GotFocus() {
    picRuta_->SetFondoEdicion(true);
    txtRuta_->selectAll();
    if (EsCarpeta(activa_)) {
        activa_->SetCopiarPegarHabilitado(false);
        activa_->SetEditandoFiltro(true);
    }
}

void MDI::txtRuta_LostFocus() {
    txtRuta_->hide();
    MostrarEtiquetasRuta(true);
    picRuta_->SetFondoEdicion(false);
    if (EsCarpeta(activa_)) {
        activa_->SetTeclasE(true);
        activa_->SetEditandoFiltro(false);
        activa_->SetCopiarPegarHabilitado(true);
    }
    picRuta_->SetResaltado(false);
    picTabs_MouseMove();
    MouseOutAtrasAdelante();
}

void MDI::txtRuta_Enter() {
    if (!EsCarpeta(activa_)) return;
    cContenidoVisor* c = activa_->ContenidoAVisor();
    if (!c) return;
    const std::string texto = ABytes(txtRuta_->text());
    const AccionDireccion accion = ResolverDireccion(texto, ABytes(tagRuta_));
    switch (accion) {
        case AccionDireccion::IrCarpeta: c->CargarContenido(texto, true); break;
        case AccionDireccion::AbrirArchivo:
            activa_->AbrirArchivo(txtRuta_->text());
            txtRuta_->setText(DeBytes(c->RutaActual));
            break;
        case AccionDireccion::MiPC: c->CargarContenido(TextoMiPC(), true); break;
        case AccionDireccion::Nada: return;
        case AccionDireccion::NoExiste:
            DialogosSistema().Mensaje("La ruta no existe.", Texto(General, 0), Botones::Aceptar,
                                      IconoMensaje::Ninguno);
            break;
    }
    const bool noExiste = accion == AccionDireccion::NoExiste;
    tagRuta_ = txtRuta_->text();
    activa_->ActualizarAtrasAdelante();
    activa_->EnfocarVisor();
    if (txtRuta_->hasFocus()) txtRuta_->clearFocus();
    // A text that names nothing stays in the box, to be corrected; the labels keep showing
    // where the pane still is.
    if (noExiste)
        MostrarPartesRuta(activa_->BotonesRuta());
    else
        MostrarDireccion();
}

void MDI::txtRuta_Escape() {
    // What was typed is dropped, a text kept from a failed Enter included; leaving the box
    // (txtRuta_LostFocus) brings the path buttons back.
    MostrarDireccion();
    tagRuta_ = txtRuta_->text();
    if (activa_)
        activa_->EnfocarVisor();
    else
        txtRuta_->clearFocus();
    if (txtRuta_->hasFocus()) txtRuta_->clearFocus();
}

void MDI::lblRuta_Click(int indice) {
    if (!EsCarpeta(activa_) || indice < 0 || indice + 1 >= static_cast<int>(lblRuta_.size())) return;
    activa_->picBR_Click(indice);
    activa_->ActualizarAtrasAdelante();
    MostrarDireccion();
}

void MDI::lblAD_Click(int indice) {
    if (!EsCarpeta(activa_) || indice < 0 || indice > 1) return;
    cContenidoVisor* c = activa_->ContenidoAVisor();
    if (!c) return;
    c->CargarContenido(indice == 0 ? TextoMiPC() : std::string(TEXTO_RED), true);
    activa_->ActualizarAtrasAdelante();
    MostrarDireccion();
}

void MDI::cmdBF_Click(int indice) {
    if (!EsCarpeta(activa_)) return;
    cContenidoVisor* c = activa_->ContenidoAVisor();
    if (!c) return;
    if (indice == 0 || indice == 1) {
        c->GoHistorial(c->IndexHistorial() + (indice == 0 ? -1 : 1));
        activa_->ActualizarAtrasAdelante();
        MostrarDireccion();
        return;
    }
    mnuPBF_->clear();
    QPointer<QWidget> tab = activa_->Widget();
    VentanaTab* v = activa_;
    for (std::int64_t k = 0; k <= c->UboundHistorial(); ++k) {
        const std::string entrada = c->Historial(k);
        if (entrada.empty()) continue;
        QAction* a = mnuPBF_->addAction(DeBytes(UltimoComponente(entrada)));
        a->setCheckable(true);
        a->setChecked(k == c->IndexHistorial());
        connect(a, &QAction::triggered, this, [this, tab, v, k] {
            if (!tab || activa_ != v) return;
            if (cContenidoVisor* cv = v->ContenidoAVisor()) cv->GoHistorial(k);
            v->ActualizarAtrasAdelante();
            MostrarDireccion();
        });
    }
    mnuPBF_->popup(cmdBF_[2]->mapToGlobal(QPoint(0, cmdBF_[2]->height())));
}

void MDI::SetEstadoAtrasAdelante(int boton, int estado) {
    if (boton < 0 || boton > 1) return;
    estadoBF_[boton] = estado;
    cmdBF_[boton]->setEnabled(estado >= 1);
}

void MDI::MouseOutAtrasAdelante() {
    for (int i = 0; i < 2; ++i)
        if (estadoBF_[i] == 2) SetEstadoAtrasAdelante(i, 1);
}

void MDI::SetFiltro(const QString& texto, int tipo) {
    const bool antes = filtroSuprimido_;
    filtroSuprimido_ = true;
    txtFiltro_->setText(texto);
    cboFiltro_->setCurrentIndex(std::clamp(tipo, 0, cboFiltro_->count() - 1));
    filtroSuprimido_ = antes;
}

void MDI::PonerFiltroDe(VentanaTab* v) {
    if (!EsCarpeta(v)) return;
    if (cContenidoVisor* c = v->ContenidoAVisor()) SetFiltro(QString::fromStdString(c->txtFiltro), c->cboFiltro);
}

void MDI::cboFiltro_Click() {
    if (filtroSuprimido_ || !EsCarpeta(activa_) || !activa_->ContenidoAVisor()) return;
    activa_->AplicarFiltro(txtFiltro_->text(), cboFiltro_->currentIndex());
}

void MDI::txtFiltro_GotFocus() {
    if (EsCarpeta(activa_)) activa_->SetEditandoFiltro(true);
    // After the click that gave the focus has placed the cursor.
    QTimer::singleShot(0, txtFiltro_, [this] { txtFiltro_->selectAll(); });
}

void MDI::txtFiltro_Enter() {
    if (!EsCarpeta(activa_) || !activa_->ContenidoAVisor()) return;
    activa_->AplicarFiltro(txtFiltro_->text(), cboFiltro_->currentIndex());
}

void MDI::txtFiltro_LostFocus() {
    if (EsCarpeta(activa_)) activa_->SetEditandoFiltro(false);
    picTabs_MouseMove();
}

}  // namespace quirvex
