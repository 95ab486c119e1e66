#include "pane/menus_visor_qt.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <algorithm>
#include <array>

#include "settings/idioma.h"

namespace quirvex {
namespace {

// Parents whose items the window fills each time they open.
constexpr std::array<std::string_view, 2> kMenusDinamicos = {"mnuAtras", "mnuAdelante"};

// Items that start a new group in their menu.
constexpr std::array<std::string_view, 14> kSeparadorAntes = {
    "mnuXaddTab",   "mnuXaddVisor",   "mnuAsalir",        "mnuAeliminar", "mnuApropiedades",
    "mnuEcortar",   "mnuEseleccionarTodo", "mnuAtras",    "mnuIescritorio", "mnuPAbuscar",
    "mnuPAcopiar",  "mnuPAeliminar",  "mnuPCactualizar",  "mnuPDcancelar"};

bool EnLista(std::string_view nombre, const auto& lista) {
    return std::find(lista.begin(), lista.end(), nombre) != lista.end();
}

// Items that carry a check mark when their rule says so.
bool Marcable(std::string_view n) {
    return n == "mnuVarbol" || n == "mnuVocultos" || n.substr(0, 8) == "mnuPCver" || n.substr(0, 11) == "mnuPCOorden" ||
           n.substr(0, 7) == "mnuPCOF";
}

const char* const kClave = "clave";

}  // namespace

QString CaptionMenu(int clave) {
    if (clave <= 0) return {};
    const std::string& t = clave > 1000 ? Texto(General, clave - 1000) : Texto(frmMainSec, clave);
    return QString::fromStdString(t);
}

cMenusVisor::cMenusVisor(QWidget* ventana, std::function<bool(std::string_view)> tieneComando)
    : QObject(ventana), tieneComando_(std::move(tieneComando)) {
    Construir(ventana);
    SetIdioma();
}

void cMenusVisor::Construir(QWidget* ventana) {
    barra_ = new QMenuBar(ventana);
    barra_->setObjectName(QStringLiteral("mnuBarra"));
    for (const ItemMenu& m : TablaMenus()) {
        if (!m.padre.empty()) {
            AgregarItem(m);
            continue;
        }
        // Top-level items with a caption are the bar's menus; the pop-ups have none.
        QMenu* menu = m.clave > 0 ? barra_->addMenu(QString()) : new QMenu(ventana);
        menu->setObjectName(QString::fromUtf8(m.nombre.data(), static_cast<int>(m.nombre.size())));
        menus_.emplace(std::string(m.nombre), menu);
        acciones_.emplace(std::string(m.nombre), menu->menuAction());
        menu->menuAction()->setProperty(kClave, m.clave);
        if (m.clave <= 0) continue;
        const std::string nombre(m.nombre);
        connect(menu, &QMenu::aboutToShow, this, [this, nombre] {
            if (alAbrir) alAbrir(nombre);
        });
        connect(menu, &QMenu::aboutToHide, this, [this, nombre] { Restablecer(nombre); });
    }
}

void cMenusVisor::AgregarItem(const ItemMenu& m) {
    QMenu* padre = Menu(m.padre);
    if (!padre) return;
    if (EnLista(m.nombre, kSeparadorAntes)) padre->addSeparator();
    const QString nombre = QString::fromUtf8(m.nombre.data(), static_cast<int>(m.nombre.size()));
    QAction* a = nullptr;
    if (EsPadre(m.nombre)) {
        QMenu* sub = padre->addMenu(QString());
        sub->setObjectName(nombre);
        menus_.emplace(std::string(m.nombre), sub);
        a = sub->menuAction();
    } else {
        a = padre->addAction(QString());
        const std::string clave(m.nombre);
        connect(a, &QAction::triggered, this, [this, clave] {
            if (alElegir) alElegir(clave);
        });
    }
    a->setObjectName(nombre);
    a->setProperty(kClave, m.clave);
    if (!m.atajo.empty())
        a->setShortcut(QKeySequence(QString::fromLatin1(m.atajo.data(), static_cast<int>(m.atajo.size()))));
    a->setCheckable(Marcable(m.nombre));
    a->setEnabled(EsPadre(m.nombre) || (m.activo && tieneComando_(m.nombre)));
    acciones_.emplace(std::string(m.nombre), a);
}

bool cMenusVisor::EsPadre(std::string_view nombre) const {
    if (EnLista(nombre, kMenusDinamicos)) return true;
    const auto& t = TablaMenus();
    return std::any_of(t.begin(), t.end(), [&](const ItemMenu& m) { return m.padre == nombre; });
}

QMenu* cMenusVisor::Menu(std::string_view nombre) const {
    const auto i = menus_.find(nombre);
    return i == menus_.end() ? nullptr : i->second;
}

QAction* cMenusVisor::Accion(std::string_view nombre) const {
    const auto i = acciones_.find(nombre);
    return i == acciones_.end() ? nullptr : i->second;
}

template <typename F>
void cMenusVisor::PorDebajo(std::string_view padre, F&& f) const {
    for (const ItemMenu& m : TablaMenus()) {
        if (m.padre != padre) continue;
        f(m);
        PorDebajo(m.nombre, f);
    }
}

void cMenusVisor::Aplicar(std::string_view padre, const ContextoMenus& c) {
    PorDebajo(padre, [&](const ItemMenu& m) {
        QAction* a = Accion(m.nombre);
        if (!a) return;
        const EstadoItem e = EstadoMenu(m.nombre, c);
        a->setEnabled(e.habilitado && (EsPadre(m.nombre) || tieneComando_(m.nombre)));
        if (a->isCheckable()) a->setChecked(e.marcado);
        if (e.clave > 0 && e.clave != a->property(kClave).toInt()) {
            a->setProperty(kClave, e.clave);
            a->setText(CaptionMenu(e.clave));
        }
    });
}

void cMenusVisor::Restablecer(std::string_view padre) {
    PorDebajo(padre, [&](const ItemMenu& m) {
        if (QAction* a = Accion(m.nombre))
            a->setEnabled(EsPadre(m.nombre) || (m.activo && tieneComando_(m.nombre)));
    });
}

void cMenusVisor::SetIdioma() {
    for (auto& [nombre, a] : acciones_) {
        const int clave = a->property(kClave).toInt();
        if (clave > 0) a->setText(CaptionMenu(clave));
    }
}

}  // namespace quirvex
