#include "folder/notificaciones_qt.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdlib>

#include "support/aplicacion_qt.h"
#include "support/carpeta_temporal.h"

namespace quirvex {
namespace {

using prueba::CarpetaTemporal;

std::vector<CambioRuta> EsperarCambios(const std::vector<CambioRuta>& cambios, size_t n) {
    QElapsedTimer t;
    t.start();
    while (cambios.size() < n && t.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return cambios;
}

TEST(mNotificaciones, ChangesMadeByAnotherProcessReachTheBroadcast) {
    prueba::AsegurarAplicacionQt();
    CarpetaTemporal tmp;
    const std::string shown = tmp.Carpeta("shown/inner");
    std::vector<CambioRuta> cambios;
    mNotificaciones n([&](const CambioRuta& c) { cambios.push_back(c); });
    n.Seguir(shown);

    ASSERT_EQ(std::system(("touch '" + shown + "new.txt'").c_str()), 0);
    auto r = EsperarCambios(cambios, 1);
    ASSERT_GE(r.size(), 1u);
    EXPECT_EQ(r[0].ubicacion, shown);
    EXPECT_EQ(r[0].nombre, "new.txt");
    EXPECT_EQ(r[0].accion, "Created");

    // The parent is watched too: renaming it is seen by the pane inside.
    cambios.clear();
    ASSERT_EQ(std::system(("mv '" + tmp.Ruta("shown") + "' '" + tmp.Ruta("moved") + "'").c_str()), 0);
    r = EsperarCambios(cambios, 1);
    ASSERT_GE(r.size(), 1u);
    EXPECT_EQ(r[0].ubicacion, tmp.Ruta());
    EXPECT_EQ(r[0].nombre, "shown");
    EXPECT_EQ(r[0].tipo + r[0].accion, "CRename");
    EXPECT_EQ(r[0].nuevaRuta, tmp.Ruta("moved"));
    n.Soltar(shown);
}

TEST(mNotificaciones, ParentsAreListedUpToTheRoot) {
    EXPECT_EQ(CarpetaYPadres("/a/b"), (std::vector<std::string>{"/a/b/", "/a/", "/"}));
    EXPECT_EQ(CarpetaYPadres("/"), (std::vector<std::string>{"/"}));
    EXPECT_TRUE(CarpetaYPadres("My PC").empty());
}

}  // namespace
}  // namespace quirvex
