// cVisor's mouse on the items: presses select, a right release opens the item or background
// menu, a double click opens; dragging the selection out, and file lists dropped onto the pane.

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>

#include "operations/portapapeles_qt.h"
#include "operations/tareas.h"
#include "pane/frm_main_qt.h"
#include "pane/interaccion_qt.h"
#include "pane/soltar_visor.h"
#include "pane/visor_qt.h"
#include "platform/dialogos.h"
#include "settings/idioma.h"
#include "settings/opciones.h"

namespace quirvex {

int cVisor::ItemEn(const QPoint& p) const {
    return dist_.ItemEnPunto(contenido_.Items, nItems(), vsbValue(), p.x(), p.y());
}

bool cVisor::picVisor_MouseDown(QMouseEvent* e) {
    picM_->setFocus(Qt::MouseFocusReason);
    const QPoint pos = e->position().toPoint();
    const int item = ItemEn(pos);
    arrastrePosible_ = false;
    if (e->button() != Qt::LeftButton && e->button() != Qt::RightButton) return true;
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    if (item < 0) {
        ItemPulsado = -1;
        if (ctrl && dist_.DespuesDelUltimo(nItems(), vsbValue(), pos.x(), pos.y())) return true;
        seleccion_.DeseleccionarTodo();
        seleccion_.SetSActual(-1);
        return true;
    }
    ItemPulsado = item;
    if (e->modifiers() & Qt::ShiftModifier) {
        seleccion_.SeleccionarConModo(item, Opciones().SelectionMode, dist_.Geometria().IcoEX);
    } else if (ctrl) {
        seleccion_.SetSActual(-1);
        seleccion_.SELECCIONAR(item, SEL_ALTERNAR, true);
    } else if (e->button() == Qt::RightButton && seleccion_.Seleccionado(item)) {
        // The selection stays for the menu that follows; the menu acts on this item.
        seleccion_.SetSActual(item);
    } else {
        seleccion_.SELECCIONAR(item, SEL_EXCLUSIVA,
                               seleccion_.nSel() != 1 || !seleccion_.Seleccionado(item));
    }
    if (e->button() == Qt::LeftButton && seleccion_.Seleccionado(item)) {
        arrastrePosible_ = true;
        puntoPulsado_ = pos;
    }
    return true;
}

bool cVisor::picVisor_MouseUp(QMouseEvent* e) {
    arrastrePosible_ = false;
    if (e->button() != Qt::RightButton) return true;
    const QPoint global = picM_->mapToGlobal(e->position().toPoint());
    const int item = ItemEn(e->position().toPoint());
    if (item >= 0 && item == ItemPulsado)
        frmM_->MostrarMenuItem(global);
    else
        frmM_->MostrarMenuFondo(global);
    return true;
}

bool cVisor::picVisor_MouseMove(QMouseEvent* e) {
    if (!arrastrePosible_ || !(e->buttons() & Qt::LeftButton)) return false;
    const QPoint d = e->position().toPoint() - puntoPulsado_;
    if (d.manhattanLength() < QApplication::startDragDistance()) return true;
    arrastrePosible_ = false;
    picVisor_OLEStartDrag();
    return true;
}

bool cVisor::picVisor_DblClick(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return true;
    const int item = ItemEn(e->position().toPoint());
    if (item >= 0)
        AbrirItem(item, e->modifiers() & Qt::ShiftModifier, e->modifiers() & Qt::ControlModifier);
    return true;
}

void cVisor::picVisor_OLEStartDrag() {
    // Drives are not files to copy: the clipboard refuses them too.
    if (contenido_.EnMiPC() || contenido_.EnRed() || seleccion_.nSel() == 0) return;
    QPointer<QDrag> drag = new QDrag(picM_);
    drag->setMimeData(CrearDatosArchivos(seleccion_.RutasSeleccion(contenido_.RutaActual)));
    InteraccionVentanas().Arrastrar(*drag);
    if (drag) drag->deleteLater();
}

bool cVisor::picM_OLEDragOver(QDragMoveEvent* e) {
    const QMimeData* datos = e->mimeData();
    if (!datos || LeerDatosArchivos(datos).rutas.empty()) {
        e->ignore();
        return true;
    }
    // Qt knows the buttons only while they are held; the drop asks for the last ones seen.
    if (e->buttons() != Qt::NoButton) frmM_->SetBotonArrastre(e->buttons());
    // Whatever the drop leads to, the source is told "copy": a source told "move" would
    // delete its files before the queued operation has copied them.
    e->setDropAction(Qt::CopyAction);
    e->accept();
    return true;
}

bool cVisor::picM_OLEDragDrop(QDropEvent* e) {
    const ListaPortapapeles lista = LeerDatosArchivos(e->mimeData());
    if (lista.rutas.empty()) {
        e->ignore();
        return true;
    }
    e->setDropAction(Qt::CopyAction);
    e->accept();
    const bool derecho = frmM_->BotonArrastre() & Qt::RightButton;
    frmM_->SetBotonArrastre(Qt::LeftButton);
    const QPoint global = picM_->mapToGlobal(e->position().toPoint());
    // The drag's source waits in its own loop until this returns; menus and messages come after.
    QPointer<cVisor> yo = this;
    QTimer::singleShot(0, this, [yo, rutas = lista.rutas, derecho, global] {
        if (yo) yo->SoltarArchivos(rutas, derecho, global);
    });
    return true;
}

void cVisor::SoltarArchivos(const std::vector<std::string>& rutas, bool derecho, QPoint global) {
    const PreparacionSoltar p = PrepararSoltar(rutas, contenido_);
    if (p.resultado == ResultadoSoltar::EnUnidades) {
        DialogosSistema().Mensaje(Texto(General, 63), Texto(General, 0), Botones::Aceptar,
                                  IconoMensaje::Ninguno);
        return;
    }
    if (p.resultado != ResultadoSoltar::Listo) return;
    std::int32_t tipo = TIPO_COPIAR;
    if (derecho) {
        const int opcion = frmM_->PedirOpcionDrop(global);
        if (opcion != 1 && opcion != 2) return;
        tipo = opcion == 2 ? TIPO_MOVER : TIPO_COPIAR;
    }
    mTareas().AgregarOperacion(tipo, p.origen, p.destino, p.rutas);
}

}  // namespace quirvex
