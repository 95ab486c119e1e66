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

// Parents up to "/" are watched, so other programs' changes in /tmp arrive too: wait for the
// one that concerns `ubicacion`.
CambioRuta EsperarCambio(const std::vector<CambioRuta>& cambios, const std::string& ubicacion) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 3000) {
        for (const auto& c : cambios)
            if (c.ubicacion == ubicacion) return c;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return {};
}

TEST(mNotificaciones, ChangesMadeByAnotherProcessReachTheBroadcast) {
    prueba::AsegurarAplicacionQt();
    CarpetaTemporal tmp;
    const std::string shown = tmp.Carpeta("shown/inner");
    std::vector<CambioRuta> cambios;
    mNotificaciones n([&](const CambioRuta& c) { cambios.push_back(c); });
    n.Seguir(shown);

    ASSERT_EQ(std::system(("touch '" + shown + "new.txt'").c_str()), 0);
    auto r = EsperarCambio(cambios, shown);
    EXPECT_EQ(r.nombre, "new.txt");
    EXPECT_EQ(r.accion, "Created");

    // The parent is watched too: renaming it is seen by the pane inside.
    cambios.clear();
    ASSERT_EQ(std::system(("mv '" + tmp.Ruta("shown") + "' '" + tmp.Ruta("moved") + "'").c_str()), 0);
    r = EsperarCambio(cambios, tmp.Ruta());
    EXPECT_EQ(r.nombre, "shown");
    EXPECT_EQ(r.tipo + r.accion, "CRename");
    EXPECT_EQ(r.nuevaRuta, tmp.Ruta("moved"));
    n.Soltar(shown);
}

TEST(mNotificaciones, ParentsAreListedUpToTheRoot) {
    EXPECT_EQ(CarpetaYPadres("/a/b"), (std::vector<std::string>{"/a/b/", "/a/", "/"}));
    EXPECT_EQ(CarpetaYPadres("/"), (std::vector<std::string>{"/"}));
    EXPECT_TRUE(CarpetaYPadres("My PC").empty());
}

}  // namespace
}  // namespace quirvex
