#include "pane/accesible_visor_qt.h"

#include <QWidget>

#include "pane/formato_visor.h"
#include "pane/visor_qt.h"

namespace quirvex {

namespace {

QAccessibleInterface* Fabrica(const QString& clase, QObject* objeto) {
    if (clase != QLatin1String("quirvex::SuperficieVisor")) return nullptr;
    auto* s = qobject_cast<SuperficieVisor*>(objeto);
    if (!s || s->Tipo() != TipoSuperficie::Items) return nullptr;
    return new AccesibleItemsVisor(s, s->Visor());
}

}  // namespace

void InstalarFabricaAccesible() {
    static bool instalada = false;
    if (instalada) return;
    instalada = true;
    QAccessible::installFactory(Fabrica);
}

void ReiniciarAccesibles(QWidget* superficie) {
    // Only a surface whose interface already exists has children to drop; asking for it here
    // would create one for nothing.
    if (!QAccessible::isActive() && !superficie->property("quirvexAccesible").toBool()) return;
    if (auto* i = dynamic_cast<AccesibleItemsVisor*>(QAccessible::queryAccessibleInterface(superficie)))
        i->Reiniciar();
}

AccesibleItemsVisor::AccesibleItemsVisor(QWidget* superficie, cVisor* visor)
    : QAccessibleWidget(superficie, QAccessible::List), visor_(visor) {
    superficie->setProperty("quirvexAccesible", true);
}

AccesibleItemsVisor::~AccesibleItemsVisor() { Reiniciar(); }

void AccesibleItemsVisor::Reiniciar() {
    for (const auto& [indice, id] : hijos_) QAccessible::deleteAccessibleInterface(id);
    hijos_.clear();
}

int AccesibleItemsVisor::childCount() const { return visor_ ? visor_->nItems() : 0; }

QAccessibleInterface* AccesibleItemsVisor::child(int indice) const {
    if (indice < 0 || indice >= childCount()) return nullptr;
    if (const auto it = hijos_.find(indice); it != hijos_.end())
        return QAccessible::accessibleInterface(it->second);
    auto* hijo = new AccesibleItemVisor(this, indice);
    hijos_[indice] = QAccessible::registerAccessibleInterface(hijo);
    return hijo;
}

int AccesibleItemsVisor::indexOfChild(const QAccessibleInterface* hijo) const {
    const auto* h = dynamic_cast<const AccesibleItemVisor*>(hijo);
    return h && h->isValid() ? h->Indice() : -1;
}

QAccessibleInterface* AccesibleItemsVisor::childAt(int x, int y) const {
    if (!visor_) return nullptr;
    const QPoint p = widget()->mapFromGlobal(QPoint(x, y));
    const cContenidoVisor& c = visor_->Contenido();
    const int i = visor_->Distribucion().ItemEnPunto(c.Items, visor_->nItems(), visor_->vsbValue(),
                                                     p.x(), p.y());
    return i >= 0 ? child(i) : nullptr;
}

QString AccesibleItemsVisor::text(QAccessible::Text t) const {
    if (!visor_) return {};
    if (t == QAccessible::Name) return visor_->Caption();
    if (t == QAccessible::Description) return visor_->strBarraEstado();
    return QAccessibleWidget::text(t);
}

QAccessible::State AccesibleItemsVisor::state() const {
    QAccessible::State s = QAccessibleWidget::state();
    s.multiSelectable = true;
    s.focusable = true;
    return s;
}

AccesibleItemVisor::AccesibleItemVisor(const AccesibleItemsVisor* padre, int indice)
    : padre_(padre), indice_(indice) {}

bool AccesibleItemVisor::isValid() const {
    return padre_->Visor() && indice_ < padre_->Visor()->nItems();
}

QWindow* AccesibleItemVisor::window() const { return padre_->window(); }

QAccessibleInterface* AccesibleItemVisor::parent() const {
    return const_cast<AccesibleItemsVisor*>(padre_);
}

QString AccesibleItemVisor::text(QAccessible::Text t) const {
    if (!isValid()) return {};
    const cVisor* v = padre_->Visor();
    const ItemCarpeta& it = v->Contenido().Items[static_cast<size_t>(indice_)];
    if (t == QAccessible::Name) return QString::fromUtf8(it.Nombre);
    if (t == QAccessible::Description) return QString::fromUtf8(TextoTipoItem(it));
    return {};
}

QRect AccesibleItemVisor::rect() const {
    if (!isValid()) return {};
    const QRect r = padre_->Visor()->RectItemEnPantalla(indice_);
    if (r.isNull()) return {};
    return QRect(padre_->Superficie()->mapToGlobal(r.topLeft()), r.size());
}

QAccessible::State AccesibleItemVisor::state() const {
    QAccessible::State s;
    if (!isValid()) {
        s.invalid = true;
        return s;
    }
    cVisor* v = padre_->Visor();
    s.selectable = true;
    s.focusable = true;
    s.selected = v->Contenido().Items[static_cast<size_t>(indice_)].PosSeleccion != 0;
    // The current item is the one a reader follows, whether or not the pane has the focus.
    s.focused = v->Seleccion().sActual() == indice_;
    s.invisible = v->RectItemEnPantalla(indice_).isNull();
    s.offscreen = s.invisible;
    return s;
}

}  // namespace quirvex
