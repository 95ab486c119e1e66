#pragma once
// Window tests share one application object: Qt allows only one per process, and GoogleTest's
// own main creates none. Call one of these first in every window test. The object is never
// destroyed: at exit Qt's own globals (icon loader, fonts) are already gone and its destructor
// would touch them.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace quirvex::prueba {

inline void AsegurarAplicacionQt() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char nombre[] = "quirvex_gui_tests";
    static char* argv[] = {nombre, nullptr};
    new QApplication(argc, argv);
}

// The same, made offscreen with the settings and runtime folders in temporary places, so no
// test touches the user's own.
inline QApplication& AplicacionPrueba() {
    static QTemporaryDir config;
    static QTemporaryDir runtime;
    if (!QCoreApplication::instance()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        AsegurarAplicacionQt();
    }
    return *qApp;
}

}  // namespace quirvex::prueba
