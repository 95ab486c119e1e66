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
    b->setFocusPolicy(Qt::NoFocus);
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
    capasRuta_->setSpacing(2);
    imgRuta_ = new QLabel(picRuta_);
    imgRuta_->setFixedSize(18, 18);
    capasRuta_->addWidget(imgRuta_);
    capasRuta_->addStretch(1);
    txtRuta_ = new CajaRuta(picRuta_);
    txtRuta_->setObjectName("txtRuta");
    txtRuta_->setStyleSheet("QLineEdit { border: none; background: white; min-height: 0; }");
    txtRuta_->hide();
    picRuta_->alEnfocar = [this] { picRuta_GotFocus(); };
    picRuta_->alMover = [this] { picRuta_MouseMove(); };
    picRuta_->alRedimensionar = [this] { txtRuta_->setGeometry(28, 2, picRuta_->width() - 32, 22); };
    txtRuta_->alEnfocar = [this] { txtRuta_GotFocus(); };
    txtRuta_->alDesenfocar = [this] { txtRuta_LostFocus(); };
    txtRuta_->alEnter = [this] { txtRuta_Enter(); };
    capas->addWidget(picRuta_, 1);

    for (int i = 0; i < 2; ++i) {
        lblAD_[i] = new QLabel(fila);
        lblAD_[i]->setProperty("atajo", true);
        lblAD_[i]->setProperty("indice", i);
        lblAD_[i]->setCursor(Qt::PointingHandCursor);
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
    QStringList partes;
    for (const std::string& p : PartesDeRuta(c->RutaActual)) partes << DeBytes(p);
    MostrarPartesRuta(partes);
    QIcon icono = v->CurrentIcon();
    if (icono.isNull()) icono = QIcon::fromTheme(c->EnMiPC() ? "computer" : "folder");
    imgRuta_->setPixmap(icono.pixmap(16, 16));
}

void MDI::MostrarPartesRuta(const QStringList& partes) {
    if (partes == TextosRuta()) return;
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
    // One label per part, each followed by a separator, before the stretch at the end.
    int pos = 1;
    for (int i = 0; i < partes.size(); ++i) {
        auto* l = new QLabel(partes[i], picRuta_);
        l->setProperty("parteRuta", i);
        l->setStyleSheet(i + 1 < partes.size()
                             ? "QLabel { color: #24507a; padding: 0 2px; } QLabel:hover { color: #0b6bd3; text-decoration: underline; }"
                             : "QLabel { color: #14283c; font-weight: bold; padding: 0 2px; }");
        l->setMouseTracking(true);
        l->installEventFilter(this);
        if (i + 1 < partes.size()) l->setCursor(Qt::PointingHandCursor);
        capasRuta_->insertWidget(pos++, l);
        lblRuta_.push_back(l);
        if (i + 1 < partes.size()) {
            auto* sep = new QLabel(QStringLiteral("›"), picRuta_);
            sep->setStyleSheet("QLabel { color: #7892ac; }");
            capasRuta_->insertWidget(pos++, sep);
            sepRuta_.push_back(sep);
        }
    }
}

void MDI::SetDireccion(const QString& texto, bool editable) {
    txtRuta_->setText(texto);
    txtRuta_->setReadOnly(!editable);
    QStringList partes;
    for (const std::string& p : PartesDeRuta(ABytes(texto))) partes << DeBytes(p);
    MostrarPartesRuta(partes);
}

void MDI::SetPartesRuta(const QStringList& partes) { MostrarPartesRuta(partes); }

void MDI::picRuta_GotFocus() {
    txtRuta_->show();
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
    switch (ResolverDireccion(texto, ABytes(tagRuta_))) {
        case AccionDireccion::IrCarpeta: c->CargarContenido(texto, true); break;
        case AccionDireccion::AbrirArchivo:
            activa_->AbrirArchivo(txtRuta_->text());
            txtRuta_->setText(DeBytes(c->RutaActual));
            break;
        case AccionDireccion::MiPC: c->CargarContenido(TextoMiPC(), true); break;
        case AccionDireccion::Nada: return;
        case AccionDireccion::NoExiste:
            DialogosSistema().Mensaje("La ruta no existe.", Texto(General, 0), Botones::Aceptar);
            break;
    }
    tagRuta_ = txtRuta_->text();
    activa_->ActualizarAtrasAdelante();
    activa_->EnfocarVisor();
    if (txtRuta_->hasFocus()) txtRuta_->clearFocus();
    MostrarDireccion();
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
