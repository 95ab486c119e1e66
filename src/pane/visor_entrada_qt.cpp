// cVisor's input: clicks and double clicks on items, the few keys handled here (Backspace,
// Enter, type-ahead), the wheel, the scroll bar, the tree area with its splitter, and the path
// buttons.

#include <QFile>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTreeView>
#include <QWheelEvent>

#include "pane/busqueda_tecleada.h"
#include "pane/formato_visor.h"
#include "pane/frm_main_qt.h"
#include "pane/visor_qt.h"
#include "settings/idioma.h"
#include "settings/opciones.h"

namespace quirvex {

bool cVisor::EventoSuperficie(TipoSuperficie tipo, QEvent* e) {
    const QEvent::Type t = e->type();
    if (t == QEvent::MouseButtonPress && tipo != TipoSuperficie::Separador)
        frmM_->SetAVisor(indice_);
    switch (tipo) {
        case TipoSuperficie::Items:
            if (t == QEvent::MouseButtonPress) return picVisor_MouseDown(static_cast<QMouseEvent*>(e));
            if (t == QEvent::MouseButtonDblClick) return picVisor_DblClick(static_cast<QMouseEvent*>(e));
            if (t == QEvent::KeyPress) return picVisor_KeyDown(static_cast<QKeyEvent*>(e));
            if (t == QEvent::Wheel) {
                MouseWheel(static_cast<QWheelEvent*>(e)->angleDelta().y());
                return true;
            }
            return false;
        case TipoSuperficie::Barra:
            if (t == QEvent::Wheel) {
                MouseWheel(static_cast<QWheelEvent*>(e)->angleDelta().y());
                return true;
            }
            return vsb_Evento(e);
        case TipoSuperficie::Separador: return picBarra_Evento(e);
        default: return false;
    }
}

bool cVisor::picVisor_MouseDown(QMouseEvent* e) {
    picM_->setFocus(Qt::MouseFocusReason);
    const QPoint pos = e->position().toPoint();
    const int item = dist_.ItemEnPunto(contenido_.Items, nItems(), vsbValue(), pos.x(), pos.y());
    ItemPulsado = item;
    if (e->button() != Qt::LeftButton && e->button() != Qt::RightButton) return true;
    if (item < 0) {
        if (!(e->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier)))
            seleccion_.DeseleccionarTodo();
        return true;
    }
    if (e->modifiers() & Qt::ShiftModifier) {
        seleccion_.SeleccionarConModo(item, Opciones().SelectionMode, dist_.Geometria().IcoEX);
    } else if (e->modifiers() & Qt::ControlModifier) {
        seleccion_.SELECCIONAR(item, SEL_ALTERNAR, true);
    } else if (!seleccion_.Seleccionado(item) || e->button() == Qt::LeftButton) {
        // A right press on a selected item keeps the selection for the menu that follows.
        if (!(e->button() == Qt::RightButton && seleccion_.Seleccionado(item)))
            seleccion_.SELECCIONAR(item, SEL_EXCLUSIVA, seleccion_.nSel() != 1 ||
                                                            !seleccion_.Seleccionado(item));
    }
    return true;
}

bool cVisor::picVisor_DblClick(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return true;
    const QPoint pos = e->position().toPoint();
    const int item = dist_.ItemEnPunto(contenido_.Items, nItems(), vsbValue(), pos.x(), pos.y());
    if (item >= 0) AbrirItem(item);
    return true;
}

bool cVisor::picVisor_KeyDown(QKeyEvent* e) {
    if (!TeclasE) return false;
    switch (e->key()) {
        case Qt::Key_Backspace:
            contenido_.SubirNivel();
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            AbrirItem(seleccion_.sActual());
            return true;
        default: break;
    }
    const QString texto = e->text();
    if (texto.size() == 1 && texto[0].isPrint() && !(e->modifiers() & Qt::ControlModifier)) {
        frmM_->AddStrSel(MayusculasNombre(texto.toStdString()));
        return true;
    }
    return false;
}

bool cVisor::vsb_Evento(QEvent* e) {
    const QEvent::Type t = e->type();
    bool cambio = false;
    if (t == QEvent::MouseButtonPress || t == QEvent::MouseButtonDblClick) {
        const auto* m = static_cast<QMouseEvent*>(e);
        if (m->button() != Qt::LeftButton) return true;
        cambio = barra_.MouseDown(m->position().toPoint().y(), dist_.Geometria().IcoH);
    } else if (t == QEvent::MouseMove) {
        const auto* m = static_cast<QMouseEvent*>(e);
        cambio = barra_.MouseMove(m->position().toPoint().y(), m->buttons() & Qt::LeftButton);
    } else if (t == QEvent::MouseButtonRelease) {
        barra_.MouseUp();
        vsb_->update();
        return true;
    } else if (t == QEvent::FocusIn) {
        picM_->setFocus();  // the bar never keeps the focus
        return true;
    } else {
        return false;
    }
    if (cambio) Dibujar();
    vsb_->update();
    return true;
}

bool cVisor::picBarra_Evento(QEvent* e) {
    const QEvent::Type t = e->type();
    if (t != QEvent::MouseButtonPress && t != QEvent::MouseMove && t != QEvent::MouseButtonRelease)
        return false;
    const auto* m = static_cast<QMouseEvent*>(e);
    const int x = picBarra_->x() + m->position().toPoint().x();
    if (t == QEvent::MouseButtonPress && m->button() == Qt::LeftButton) {
        barraPulsada_ = true;
        barraX_ = x - picBarra_->x();
        picBarra_->raise();
    } else if (t == QEvent::MouseMove && barraPulsada_) {
        picBarra_->move(x - barraX_, picBarra_->y());
    } else if (t == QEvent::MouseButtonRelease && barraPulsada_) {
        barraPulsada_ = false;
        anchoArbol_ = std::clamp(x - barraX_, MARGEN_ARBOL, std::max(width() - MARGEN_ARBOL, MARGEN_ARBOL));
        ReubicarTodo();
    }
    picBarra_->update();
    return true;
}

// --- tree area ---

void cVisor::CrearArbol() {
    modeloArbol_ = new QFileSystemModel(this);
    modeloArbol_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    modeloArbol_->setRootPath(QStringLiteral("/"));
    picExplorer_ = new QTreeView(this);
    picExplorer_->setModel(modeloArbol_);
    for (int c = 1; c < modeloArbol_->columnCount(); ++c) picExplorer_->hideColumn(c);
    picExplorer_->header()->hide();
    picExplorer_->setFont(fuenteItems_);
    picExplorer_->setProperty("Tag", QString::number(indice_));
    // Folders load in the background; the current location is shown once its parents are in.
    connect(modeloArbol_, &QFileSystemModel::directoryLoaded, this, [this](const QString& ruta) {
        if (DireccionMostrada().startsWith(ruta)) SincronizarArbol();
    });
    connect(picExplorer_, &QTreeView::clicked, this, [this](const QModelIndex& i) {
        frmM_->SetAVisor(indice_);
        CargarContenido(QFile::encodeName(modeloArbol_->filePath(i)).toStdString());
    });
}

void cVisor::SetTreeVisible(bool visible) {
    if (visible && !picExplorer_) CrearArbol();
    arbolVisible_ = visible;
    if (picExplorer_) picExplorer_->setVisible(visible);
    picBarra_->setVisible(visible);
    ReubicarTodo();
    SincronizarArbol();
}

void cVisor::SincronizarArbol() {
    if (!arbolVisible_ || !picExplorer_ || contenido_.EnMiPC() || contenido_.EnRed()) return;
    const QModelIndex i = modeloArbol_->index(DireccionMostrada());
    if (!i.isValid()) return;
    picExplorer_->setCurrentIndex(i);
    picExplorer_->scrollTo(i);
}

// --- path buttons ---

void cVisor::ActualizarBotonesRuta() {
    if (!EsActivo() || !frmM_->EsTabActual()) return;
    const std::vector<std::string> tags =
        contenido_.EnMiPC() || contenido_.EnRed() ? std::vector<std::string>{}
                                                  : SegmentosRuta(contenido_.RutaActual);
    frmM_->picRutas()->SetSegmentos(QString::fromStdString(TextoMiPC()), tags);
}

void cVisor::picBR_Click(int k) {
    if (k <= 0) {
        CargarContenido(TextoMiPC());
        return;
    }
    CargarContenido(RutaDeSegmentos(frmM_->picRutas()->Tags(), k));
}

}  // namespace quirvex
