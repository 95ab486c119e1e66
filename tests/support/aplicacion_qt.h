#pragma once
// Window tests share one application object: Qt allows only one per process, and GoogleTest's
// own main creates none. Call this first in every window test. The object is never destroyed:
// at exit Qt's own globals (icon loader, fonts) are already gone and its destructor would touch
// them.

#include <QApplication>

namespace quirvex::prueba {

inline void AsegurarAplicacionQt() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char nombre[] = "quirvex_gui_tests";
    static char* argv[] = {nombre, nullptr};
    new QApplication(argc, argv);
}

}  // namespace quirvex::prueba
