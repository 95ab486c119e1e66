#include "folder/notificaciones_qt.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "folder/cache_listados.h"
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

// Events lost to a full kernel queue: the listing the cache holds for a watched folder can no
// longer be trusted, so it is read again, and the pane showing the folder is told to refresh.
TEST(mNotificaciones, AfterLostEventsAWatchedFolderIsReadAgain) {
    prueba::AsegurarAplicacionQt();
    std::ifstream limite("/proc/sys/fs/inotify/max_queued_events");
    long maximo = 0;
    if (!(limite >> maximo) || maximo <= 0 || maximo > 200000) GTEST_SKIP() << "queue limit " << maximo;
    CarpetaTemporal tmp;
    mvCache::Vaciar();
    const std::string shown = tmp.Carpeta("shown");
    const std::string f = tmp.ArchivoConTexto("shown/f", "1");
    std::vector<CambioRuta> cambios;
    mNotificaciones n([&](const CambioRuta& c) { cambios.push_back(c); });
    n.Seguir(shown);
    auto tamano = [&] {
        const ListadoCarpeta& l = mvCache::ListarConCache(shown, false);
        for (const EntradaListado& e : *l.entradas)
            if (e.nombre == "f") return e.tamano;
        return std::int64_t{-1};
    };
    ASSERT_EQ(tamano(), 1);

    // No event loop runs meanwhile: the queue fills (three events a round) and then drops.
    // The flood is in the parent, so none of the events read says anything of `shown`.
    const std::string otro = tmp.Ruta("x");
    for (long k = 0; k < maximo / 3 + 100; ++k) {
        std::ofstream(otro) << "";
        std::remove(otro.c_str());
    }
    std::ofstream(f) << "twelve";  // its events are lost
    EXPECT_EQ(tamano(), 6);
    // Among the broadcasts of the events read before the loss: the folder as a whole.
    auto releida = [&] {
        return std::any_of(cambios.begin(), cambios.end(), [&](const CambioRuta& c) {
            return c.ubicacion == shown && c.nombre.empty() && c.tipo + c.accion == "CUpdated";
        });
    };
    QElapsedTimer t;
    t.start();
    while (!releida() && t.elapsed() < 10000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_TRUE(releida());
    n.Soltar(shown);
    mvCache::Vaciar();
}

TEST(mNotificaciones, ParentsAreListedUpToTheRoot) {
    EXPECT_EQ(CarpetaYPadres("/a/b"), (std::vector<std::string>{"/a/b/", "/a/", "/"}));
    EXPECT_EQ(CarpetaYPadres("/"), (std::vector<std::string>{"/"}));
    EXPECT_TRUE(CarpetaYPadres("My PC").empty());
}

}  // namespace
}  // namespace quirvex
