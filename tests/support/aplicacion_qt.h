#pragma once
// The one QApplication of the window tests, made on first use: offscreen, with the settings
// and runtime folders in temporary places so no test touches the user's own.

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

namespace quirvex::prueba {

inline QApplication& AplicacionPrueba() {
    static QTemporaryDir config;
    static QTemporaryDir runtime;
    static int argc = 1;
    static char nombre[] = "quirvex_gui_tests";
    static char* argv[] = {nombre, nullptr};
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        return new QApplication(argc, argv);
    }();
    return *app;
}

}  // namespace quirvex::prueba
