#include "pane/interaccion_qt.h"

#include <QDrag>
#include <QMenu>

#include "folder/elegir_programa_qt.h"

namespace quirvex {
namespace {

Interaccion Reales() {
    Interaccion r;
    r.MostrarMenu = [](QMenu& menu, const QPoint& global) { menu.exec(global); };
    r.ElegirPrograma = [](const std::string& ruta, QWidget* padre) {
        return ElegirProgramaYAbrir(ruta, padre);
    };
    r.Arrastrar = [](QDrag& drag) { return drag.exec(Qt::CopyAction, Qt::CopyAction); };
    return r;
}

Interaccion& Actual() {
    static Interaccion i = Reales();
    return i;
}

}  // namespace

const Interaccion& InteraccionVentanas() { return Actual(); }

void SetInteraccion(Interaccion i) {
    const Interaccion r = Reales();
    if (!i.MostrarMenu) i.MostrarMenu = r.MostrarMenu;
    if (!i.ElegirPrograma) i.ElegirPrograma = r.ElegirPrograma;
    if (!i.Arrastrar) i.Arrastrar = r.Arrastrar;
    Actual() = std::move(i);
}

}  // namespace quirvex
