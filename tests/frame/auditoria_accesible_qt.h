#pragma once
// What a screen reader and a keyboard-only user get from a window: walks its accessibility
// tree in-process (no bus needed) and lists every shown control a user can act on that has
// no accessible name, or that the keyboard can neither focus nor trigger through a key
// binding of its action. Lists, trees and combo boxes are checked as one control each (their
// rows are theirs to expose); menus are left to the menu bar's own keyboard handling.

#include <QAccessible>
#include <QApplication>
#include <QStringList>
#include <QWidget>

#include <cstdio>

namespace quirvex::prueba {

struct AuditoriaAccesible {
    int revisados = 0;
    QStringList sinNombre;
    QStringList inalcanzables;

    QString Resumen(const char* ventana) const {
        return QStringLiteral("%1: %2 controls checked, %3 without a name, %4 unreachable%5%6")
            .arg(QString::fromLatin1(ventana))
            .arg(revisados)
            .arg(sinNombre.size())
            .arg(inalcanzables.size())
            .arg(sinNombre.isEmpty() ? QString() : QStringLiteral("\n  unnamed: ") + sinNombre.join(QStringLiteral("; ")))
            .arg(inalcanzables.isEmpty() ? QString()
                                         : QStringLiteral("\n  unreachable: ") + inalcanzables.join(QStringLiteral("; ")));
    }
};

inline bool EsControlInteractivo(QAccessible::Role r) {
    switch (r) {
        case QAccessible::PushButton:
        case QAccessible::ButtonMenu:
        case QAccessible::ButtonDropDown:
        case QAccessible::CheckBox:
        case QAccessible::RadioButton:
        case QAccessible::EditableText:
        case QAccessible::ComboBox:
        case QAccessible::SpinBox:
        case QAccessible::Slider:
        case QAccessible::List:
        case QAccessible::ListItem:
        case QAccessible::Tree:
        case QAccessible::Table:
        case QAccessible::PageTab:
        case QAccessible::PageTabList:
        case QAccessible::Link:
            return true;
        default:
            return false;
    }
}

// The name of the label that labels a control. On Linux a combo box is named by its current
// value, and a reader says the label it is labelled by first.
inline QString EtiquetaDe(QAccessibleInterface* i) {
    for (const auto& [otra, relacion] : i->relations(QAccessible::Label))
        if (otra) return otra->text(QAccessible::Name);
    return {};
}

// Controls whose value a reader must be able to name even though nobody acts on them.
inline bool NecesitaNombre(QAccessible::Role r) {
    return EsControlInteractivo(r) || r == QAccessible::ProgressBar;
}

// Their children are rows, cells or a popup: the container stands for them.
inline bool EsContenedorDeFilas(QAccessible::Role r) {
    return r == QAccessible::List || r == QAccessible::Tree || r == QAccessible::Table ||
           r == QAccessible::ComboBox || r == QAccessible::MenuBar || r == QAccessible::ScrollBar ||
           r == QAccessible::PopupMenu;
}

inline bool TieneAtajo(QAccessibleInterface* i) {
    QAccessibleActionInterface* a = i->actionInterface();
    if (!a) return false;
    for (const QString& accion : a->actionNames())
        if (!a->keyBindingsForAction(accion).isEmpty()) return true;
    return false;
}

// Focusable to Qt also means "by a click only"; the keyboard needs a Tab stop. A tab of a tab
// list is reached from the list's one stop with the arrows.
inline bool TomaFocoConTeclado(QAccessibleInterface* i) {
    if (!i->state().focusable) return false;
    auto* w = qobject_cast<QWidget*>(i->object());
    return !w || (w->focusPolicy() & Qt::TabFocus) || (w->focusProxy() && (w->focusProxy()->focusPolicy() & Qt::TabFocus)) ||
           i->role() == QAccessible::PageTab;
}

// A tab list is reached through its tabs.
inline bool AlgunHijoTomaFoco(QAccessibleInterface* i) {
    for (int k = 0; k < i->childCount(); ++k)
        if (QAccessibleInterface* h = i->child(k); h && TomaFocoConTeclado(h)) return true;
    return false;
}

inline QString Describir(QAccessibleInterface* i, const QString& camino) {
    QString clase;
    if (QObject* o = i->object()) clase = QString::fromLatin1(o->metaObject()->className()) + QLatin1Char(' ') + o->objectName();
    return camino + QStringLiteral(" [role %1 %2]").arg(static_cast<int>(i->role())).arg(clase);
}

inline void Auditar(QAccessibleInterface* i, AuditoriaAccesible& r, const QString& camino) {
    if (!i || !i->isValid()) return;
    const QAccessible::State s = i->state();
    if (s.invisible) return;
    const QAccessible::Role rol = i->role();
    if (NecesitaNombre(rol)) {
        ++r.revisados;
        if (i->text(QAccessible::Name).trimmed().isEmpty()) r.sinNombre << Describir(i, camino);
        // A row or a tab is reached through the list that holds it.
        const bool porSuLista = (rol == QAccessible::ListItem || rol == QAccessible::PageTab) &&
                                i->parent() && TomaFocoConTeclado(i->parent());
        const bool porSusTabs = rol == QAccessible::PageTabList && AlgunHijoTomaFoco(i);
        if (EsControlInteractivo(rol) && !TomaFocoConTeclado(i) && !porSuLista && !porSusTabs && !TieneAtajo(i))
            r.inalcanzables << Describir(i, camino);
    }
    if (EsContenedorDeFilas(rol)) return;
    for (int k = 0; k < i->childCount(); ++k)
        Auditar(i->child(k), r, camino + QLatin1Char('/') + QString::number(k));
}

inline AuditoriaAccesible AuditarVentana(QWidget* w, const char* nombre) {
    AuditoriaAccesible r;
    Auditar(QAccessible::queryAccessibleInterface(w), r, QString::fromLatin1(nombre));
    std::printf("%s\n", qPrintable(r.Resumen(nombre)));
    return r;
}

}  // namespace quirvex::prueba
