#pragma once
// Test support for the pane's input: stand-ins for everything that would wait for a user (pop-up
// menus, the program chooser, drags), a frame that records what the tab window asks of it, and
// a desktop association service with one text editor.

#include <QAction>
#include <QMenu>
#include <optional>
#include <string>
#include <vector>

#include "frame/marco_qt.h"
#include "pane/interaccion_qt.h"
#include "platform/asociaciones.h"

namespace quirvex::prueba {

// The item of a menu (or of its submenus) named `nombre`.
inline QAction* BuscarAccion(QMenu& menu, const QString& nombre) {
    for (QAction* a : menu.actions()) {
        if (a->objectName() == nombre) return a;
        if (QMenu* sub = a->menu())
            if (QAction* b = BuscarAccion(*sub, nombre)) return b;
    }
    return nullptr;
}

// Records every pop-up menu shown, with the state of its items at that moment, and chooses
// the item named in `elegir` (none when empty). Installs itself for its lifetime.
class InteraccionGrabada {
public:
    InteraccionGrabada() {
        Interaccion i;
        i.MostrarMenu = [this](QMenu& menu, const QPoint&) {
            menus.push_back(menu.objectName());
            ultimo = &menu;
            if (elegir.isEmpty()) return;
            if (QAction* a = BuscarAccion(menu, elegir)) a->trigger();
        };
        i.ElegirPrograma = [this](const std::string& ruta, QWidget*) {
            elegidos.push_back(ruta);
            return true;
        };
        i.Arrastrar = [this](QDrag&) {
            ++arrastres;
            return Qt::CopyAction;
        };
        SetInteraccion(std::move(i));
    }
    ~InteraccionGrabada() { SetInteraccion({}); }

    QStringList menus;
    QMenu* ultimo = nullptr;
    QString elegir;
    std::vector<std::string> elegidos;
    int arrastres = 0;
};

// A frame that records new tabs and the commands sent to it.
class MarcoGrabador final : public MarcoNulo {
public:
    void NuevoTabVisor(const QString& lista) override { tabs << lista; }
    void cmdNuevoTab_Click() override { ++nuevos; }
    void SALIR() override { ++salidas; }

    QStringList tabs;
    int nuevos = 0;
    int salidas = 0;
};

// Text files open with "Editor"; other files have no program. Installs itself for its lifetime.
class AsociacionesFalsas final : public Asociaciones {
public:
    AsociacionesFalsas() { SetAsociaciones(this); }
    ~AsociacionesFalsas() override { SetAsociaciones(nullptr); }
    std::string TipoDe(const std::string& ruta) override {
        return ruta.size() > 4 && ruta.substr(ruta.size() - 4) == ".txt" ? "text/plain"
                                                                        : "application/x-nada";
    }
    std::optional<Aplicacion> PorDefecto(const std::string& tipo) override {
        if (tipo != "text/plain") return std::nullopt;
        return Aplicacion{"editor.desktop", "Editor", "editor %f"};
    }
    std::vector<Aplicacion> Recomendadas(const std::string& tipo) override {
        if (tipo != "text/plain") return {};
        return {{"notas.desktop", "Notas & Co", "notas %f"}};
    }
    std::vector<Aplicacion> Todas() override { return {}; }
    bool Lanzar(const std::string& id, const std::string& ruta) override {
        lanzados.emplace_back(id, ruta);
        return true;
    }
    bool Recordar(const std::string&, const std::string&) override { return true; }

    std::vector<std::pair<std::string, std::string>> lanzados;
};

}  // namespace quirvex::prueba
