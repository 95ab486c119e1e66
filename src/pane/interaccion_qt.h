#pragma once
// The pieces of input that wait for the user in a nested event loop: a pop-up menu, the
// program chooser and a drag. The windows reach them through InteraccionVentanas(); the program
// runs the real ones, and tests put their own in place (SetInteraccion) so that nothing waits.
// Program-wide; interface thread only. A window that calls one of these may be gone when it
// returns (the loop runs every event), so callers guard themselves with QPointer.

#include <QtCore/qnamespace.h>
#include <functional>
#include <string>

class QDrag;
class QMenu;
class QPoint;
class QWidget;

namespace quirvex {

struct Interaccion {
    // Shows the menu at a global point; a chosen item has been triggered when it returns.
    std::function<void(QMenu& menu, const QPoint& global)> MostrarMenu;
    // The program chooser for a file; true when a program was started.
    std::function<bool(const std::string& ruta, QWidget* padre)> ElegirPrograma;
    // Runs a drag and returns what the target did with it.
    std::function<Qt::DropAction(QDrag& drag)> Arrastrar;
};

const Interaccion& InteraccionVentanas();
// Members left empty take the real behaviour; SetInteraccion({}) restores all of it.
void SetInteraccion(Interaccion i);

}  // namespace quirvex
