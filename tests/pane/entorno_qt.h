#pragma once
// The application object and program state every window test needs: an offscreen
// QApplication, a private settings folder, default settings, English texts and an icon theme.

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QWidget>
#include <cstdlib>
#include <filesystem>

#include "settings/idioma.h"
#include "settings/opciones.h"
#include "support/carpeta_temporal.h"

namespace quirvex::prueba {

inline QApplication& AppPrueba() {
    static CarpetaTemporal config;
    static CarpetaTemporal runtime;
    static const bool entorno = [] {
        setenv("XDG_CONFIG_HOME", config.Ruta().c_str(), 1);
        std::filesystem::permissions(runtime.Ruta(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace);
        setenv("XDG_RUNTIME_DIR", runtime.Ruta().c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        return true;
    }();
    (void)entorno;
    static int argc = 1;
    static char nombre[] = "quirvex_gui_tests";
    static char* argv[] = {nombre, nullptr};
    // Never destroyed: statics of the program may still hold icons at exit.
    static QApplication& app = *new QApplication(argc, argv);
    static const bool listo = [] {
        QIcon::setThemeSearchPaths(QIcon::themeSearchPaths() << "/usr/share/icons");
        QIcon::setThemeName("Adwaita");
        CargarIdiomaIncorporado(0);
        AplicarTextoMiPC();
        return true;
    }();
    (void)listo;
    OpcionesPorDefecto();
    return app;
}

// A base for fixtures whose members are windows: it makes the application before them.
struct ConAplicacion {
    ConAplicacion() { AppPrueba(); }
};

// How many pixels of two same-sized images differ.
inline int PixelesDistintos(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return -1;
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    int n = 0;
    for (int j = 0; j < x.height(); ++j)
        for (int i = 0; i < x.width(); ++i) n += x.pixel(i, j) != y.pixel(i, j);
    return n;
}

inline QImage Captura(QWidget* w, QRect zona = {}) {
    return w->grab(zona.isNull() ? QRect(QPoint(0, 0), w->size()) : zona).toImage();
}

}  // namespace quirvex::prueba
