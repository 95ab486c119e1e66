#pragma once
// cMenusVisor: the tab window's menu bar and its three pop-up menus (item mnuPA, background
// mnuPC, drop mnuPD), built from TablaMenus(): one QAction per item, named after it, with the
// caption of its key and its shortcut. It knows nothing of what the items do: a chosen item is
// handed to alElegir by name, and the window decides through tieneComando which items have a
// command (the others stay greyed).
//
// Owned by its frmMain (a QObject child); the bar is a child widget of that window and the
// pop-ups belong to it too. Interface thread only. Shortcuts stay live while a menu is closed,
// so every item with a command is enabled again when its menu closes: the commands check their
// own conditions, and the rules of EstadoMenu only decide what an open menu shows.

#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "pane/menus_visor.h"

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace quirvex {

// The caption of a caption key: 1..1000 frmMain, above 1000 General (n − 1000), "" for 0.
QString CaptionMenu(int clave);

class cMenusVisor final : public QObject {
    Q_OBJECT
public:
    cMenusVisor(QWidget* ventana, std::function<bool(std::string_view)> tieneComando);

    QMenuBar* Barra() const { return barra_; }
    // The menu of a parent item (a bar menu, a submenu or a pop-up), nullptr for a leaf.
    QMenu* Menu(std::string_view nombre) const;
    // The action of an item (for a parent, its menu's action), nullptr when unknown.
    QAction* Accion(std::string_view nombre) const;

    // Enables, checks and captions every item below `padre` from the pane's state.
    void Aplicar(std::string_view padre, const ContextoMenus& c);
    // Every item with a command enabled again, below `padre`.
    void Restablecer(std::string_view padre);
    void SetIdioma();

    // An item was chosen.
    std::function<void(std::string_view nombre)> alElegir;
    // A menu of the bar is about to open.
    std::function<void(std::string_view nombre)> alAbrir;

private:
    void Construir(QWidget* ventana);
    void AgregarItem(const ItemMenu& m);
    bool EsPadre(std::string_view nombre) const;
    template <typename F>
    void PorDebajo(std::string_view padre, F&& f) const;

    std::function<bool(std::string_view)> tieneComando_;
    QMenuBar* barra_ = nullptr;
    std::map<std::string, QMenu*, std::less<>> menus_;
    std::map<std::string, QAction*, std::less<>> acciones_;
};

}  // namespace quirvex
