#include "search/busqueda_rapida_qt.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>
#include <QTreeWidget>
#include <QTimer>
#include <QWidget>

#include "platform/dialogos.h"
#include "search/frm_buscar_rapido_qt.h"
#include "search/notificadores_enlace_qt.h"
#include "settings/idioma.h"

namespace quirvex {

cBusquedaRapida::cBusquedaRapida(QWidget* marco, QLineEdit* txtBuscar, Enganches enganches,
                                 bool escuchar, std::string rutaEnlace)
    : QObject(marco),
      marco_(marco),
      txt_(txtBuscar),
      enganches_(std::move(enganches)),
      escuchar_(escuchar),
      enlace_(std::move(rutaEnlace)),
      tSrv_(new QTimer(this)) {
    enlace_.SethWndMarco(static_cast<std::int64_t>(reinterpret_cast<quintptr>(marco) & 0x7FFFFFFFFFFFULL));
    enlace_.alResultados = [this](std::int64_t popup, const ResultadosIndice& r) { Resultados(popup, r); };
    enlace_.alCambiarEstado = [this] { MostrarEstado(); };
    notificadores_ = new NotificadoresEnlace(enlace_, this, escuchar_, [this] { SeguirConexion(); });
    tSrv_->setObjectName("tSrv");
    tSrv_->setInterval(1000);
    connect(tSrv_, &QTimer::timeout, this, [this] { tSrv_Timer(); });
    tSrv_->start();
    txt_->installEventFilter(this);
}

cBusquedaRapida::~cBusquedaRapida() {
    enlace_.alCambiarEstado = nullptr;
    delete notificadores_;
}

void cBusquedaRapida::SeguirConexion() {
    // Hits of a server that is gone would name a state nobody keeps current any more.
    if (enlace_.Descriptor() < 0 && popup_) {
        popup_->Vaciar();
        popup_->hide();
    }
}

void cBusquedaRapida::MostrarEstado() {
    // While the server builds its first index the box says so, instead of finding nothing.
    const bool construyendo = enlace_.Estado() == ESTADO_CONSTRUYENDO;
    const QString aviso = construyendo ? QString::fromStdString(Texto(General, 140)) : QString();
    txt_->setPlaceholderText(construyendo ? aviso : QString::fromStdString(Texto(MDISec, 7)));
    txt_->setToolTip(aviso);
    if (popup_ && popup_->isVisible() && construyendo) popup_->MostrarAviso(aviso);
}

void cBusquedaRapida::tSrv_Timer() { enlace_.tSrv_Timer(); }

void cBusquedaRapida::RegistrarServidor(std::int64_t servidor) {
    if (enlace_.BuscarServidor() == servidor) enlace_.Registrar(servidor);
}

bool cBusquedaRapida::PopupVisible() const { return popup_ && popup_->isVisible(); }

void cBusquedaRapida::CrearPopup() {
    if (popup_) return;
    popup_ = new frmBuscarRapido(marco_);
    popup_->alRedimensionar = [this](int ancho, int alto) {
        // The size as one 32-bit number, the way the server expects it.
        const auto w = static_cast<std::int32_t>(static_cast<std::int64_t>(ancho) * 100000 + alto);
        enlace_.Enviar(MSG_TAMANO_POPUP, w);
    };
    popup_->alAbrir = [this](const std::string& carpeta, const std::string& nombre) {
        if (enganches_.abrir) enganches_.abrir(carpeta, nombre);
    };
}

void cBusquedaRapida::ColocarPopup() {
    const QPoint abajo = txt_->mapToGlobal(QPoint(txt_->width(), txt_->height() + 2));
    popup_->move(abajo.x() - popup_->width(), abajo.y());
}

void cBusquedaRapida::txtBuscar_Change() {
    if (enlace_.hWndTxtServidor() == 0) {
        DialogosSistema().Mensaje(kMapaNoCargado, Texto(General, 0), Botones::Aceptar, IconoMensaje::Ninguno);
        return;
    }
    if (txt_->text().isEmpty()) {
        CancelarBusquedaRapida();
        return;
    }
    CrearPopup();
    enlace_.Enviar(MSG_VENTANA_POPUP, popup_->Handle());
    popup_->Form_Resize();
    if (!popup_->isVisible()) {
        ColocarPopup();
        popup_->show();
        marco_->activateWindow();
        txt_->setFocus(Qt::OtherFocusReason);
    }
    enlace_.Enviar(MSG_SETTEXT, enlace_.hWndTxtServidor(), txt_->text().toStdString());
    enlace_.Enviar(MSG_BUSCAR, 0);
    MostrarEstado();
}

void cBusquedaRapida::CancelarBusquedaRapida() {
    if (enlace_.hWndServidor() != 0) enlace_.Enviar(MSG_CANCELAR, 0);
    if (popup_) popup_->hide();
}

void cBusquedaRapida::txtBuscar_GotFocus() {
    if (enganches_.editandoFiltro) enganches_.editandoFiltro(true);
}

void cBusquedaRapida::txtBuscar_LostFocus() {
    if (enganches_.editandoFiltro) enganches_.editandoFiltro(false);
}

void cBusquedaRapida::Resultados(std::int64_t popup, const ResultadosIndice& r) {
    // Hits for another window, or for a text the box no longer holds, are late: dropped.
    if (!popup_ || popup != popup_->Handle() || !popup_->isVisible()) return;
    if (r.texto != txt_->text().toStdString()) return;
    popup_->MostrarResultados(r);
}

}  // namespace quirvex

namespace quirvex {

bool cBusquedaRapida::Tecla(int tecla, bool hacer) {
    const bool aciertos = PopupVisible() && popup_->lstAciertos()->topLevelItemCount() > 0;
    switch (tecla) {
        case Qt::Key_Down:
        case Qt::Key_Up:
            return aciertos && (!hacer || popup_->Mover(tecla == Qt::Key_Down ? 1 : -1));
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return aciertos && (!hacer || popup_->AbrirElegido());
        case Qt::Key_Escape:
            if (PopupVisible()) {
                if (hacer) popup_->hide();
                return true;
            }
            if (txt_->text().isEmpty()) return false;
            if (hacer) txt_->clear();  // an empty box cancels the quick search
            return true;
        default: return false;
    }
}

bool cBusquedaRapida::eventFilter(QObject* objeto, QEvent* e) {
    if (objeto != txt_ || (e->type() != QEvent::KeyPress && e->type() != QEvent::ShortcutOverride))
        return QObject::eventFilter(objeto, e);
    auto* k = static_cast<QKeyEvent*>(e);
    if ((k->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
    // A key the box takes is not a shortcut of the frame's.
    if (e->type() == QEvent::ShortcutOverride) {
        if (!Tecla(k->key(), false)) return false;
        e->accept();
        return true;
    }
    return Tecla(k->key(), true);
}

}  // namespace quirvex
