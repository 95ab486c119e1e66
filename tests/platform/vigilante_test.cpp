// The Linux watcher against the real kernel: how the halves of a move become records, and how
// its records refresh the panes.

#include "platform/vigilante.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include "folder/cambios_ruta.h"
#include "folder/contenido_visor.h"
#include "folder/rutas.h"
#include "support/carpeta_temporal.h"
#include "support/nucleo_limpio.h"

namespace quirvex {
namespace {

namespace fs = std::filesystem;

// Drains the watcher until `minimo` records came, for at most ten seconds.
std::vector<RegistroNotificacion> Esperar(Vigilante& v, size_t minimo) {
    std::vector<RegistroNotificacion> r;
    const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (r.size() < minimo && std::chrono::steady_clock::now() < limite) {
        auto nuevos = v.Leer();
        r.insert(r.end(), nuevos.begin(), nuevos.end());
        if (r.size() < minimo) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return r;
}

// The kernel queues one watcher's records in order: once a change made last in a folder still
// watched has arrived, a record for any change made before it would have arrived too.
void SinRegistrosSalvoTestigo(Vigilante& v, const std::string& testigo) {
    std::ofstream(testigo + "/t") << "x";
    const auto r = Esperar(v, 1);
    ASSERT_FALSE(r.empty());
    for (const auto& x : r) EXPECT_EQ(x.ruta1.rfind(testigo + "/", 0), 0u) << x.ruta1;
}

std::set<std::string> Rutas(const std::vector<RegistroNotificacion>& r, std::uint32_t evento) {
    std::set<std::string> s;
    for (const auto& x : r)
        if (x.evento == evento) s.insert(x.ruta1);
    return s;
}

class VigilanteTest : public prueba::NucleoLimpio {
protected:
    // Passes every record the watcher read through the queue to the pane, the way the frame
    // does, and returns how many refreshes the pane made.
    int Aplicar(Vigilante& v, size_t minimo, cContenidoVisor& c) {
        for (auto& r : Esperar(v, minimo)) cola.RecibirNotificacion(std::move(r));
        int refrescos = 0;
        cola.ProcesarNotificaciones([&](const CambioRuta& k) {
            const ResultadoCambio r = AplicarCambioRuta(c, k);
            if (r.efecto == EfectoCambio::Refrescar) ++refrescos;
            EjecutarEfecto(c, r);
        });
        return refrescos;
    }
    ColaNotificaciones cola;
};

TEST_F(VigilanteTest, AFileWrittenAgainIsRefreshedEveryTime) {
    const std::string f = tmp.ArchivoConTexto("notes.txt", "1");
    auto v = CrearVigilante();
    ASSERT_TRUE(v->Vigilar(tmp.Ruta()));
    cContenidoVisor c;
    ASSERT_TRUE(c.CargarContenido(tmp.Ruta(), true));

    std::ofstream(f) << "twelve";
    EXPECT_GE(Aplicar(*v, 1, c), 1);
    EXPECT_EQ(c.Items[0].Tamano, 6);

    std::ofstream(f) << "a longer text";  // the same record as before: still a change
    EXPECT_GE(Aplicar(*v, 1, c), 1);
    EXPECT_EQ(c.Items[0].Tamano, 13);
}

TEST_F(VigilanteTest, AFolderShownUnderTwoNamesReportsUnderBoth) {
    const std::string real = SinBarraFinal(tmp.Carpeta("real"));
    const std::string enlace = tmp.Ruta("link");
    fs::create_directory_symlink(real, enlace);
    auto v = CrearVigilante();
    ASSERT_TRUE(v->Vigilar(real + "/"));
    ASSERT_TRUE(v->Vigilar(enlace + "/"));  // opened last: must not take the name away

    std::ofstream(real + "/a") << "x";
    auto r = Esperar(*v, 4);
    EXPECT_EQ(Rutas(r, EV_CREAR), (std::set<std::string>{real + "/a", enlace + "/a"}));

    fs::rename(real + "/a", real + "/b");
    r = Esperar(*v, 2);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(Rutas(r, EV_RENOMBRAR_ITEM), (std::set<std::string>{real + "/a", enlace + "/a"}));

    // A pane leaving one name leaves the other followed, whichever was opened first.
    v->Dejar(real);
    fs::remove(real + "/b");
    r = Esperar(*v, 1);
    EXPECT_EQ(Rutas(r, EV_BORRAR), (std::set<std::string>{enlace + "/b"}));

    v->Dejar(enlace);
    const std::string testigo = tmp.Carpeta("testigo");
    ASSERT_TRUE(v->Vigilar(testigo + "/"));
    std::ofstream(real + "/c") << "x";
    SinRegistrosSalvoTestigo(*v, testigo);
}

TEST_F(VigilanteTest, APaneShowingTheLinkFollowsChangesMadeUnderTheRealName) {
    const std::string real = tmp.Carpeta("real");
    const std::string enlace = tmp.Ruta("link");
    fs::create_directory_symlink(real, enlace);
    auto v = CrearVigilante();
    ASSERT_TRUE(v->Vigilar(enlace));
    ASSERT_TRUE(v->Vigilar(real));
    cContenidoVisor porEnlace, porNombre;
    ASSERT_TRUE(porEnlace.CargarContenido(enlace, true));
    ASSERT_TRUE(porNombre.CargarContenido(real, true));

    tmp.Archivo("real/new.txt", 3);
    for (auto& r : Esperar(*v, 4)) cola.RecibirNotificacion(std::move(r));
    cola.ProcesarNotificaciones([&](const CambioRuta& k) {
        for (cContenidoVisor* c : {&porEnlace, &porNombre}) EjecutarEfecto(*c, AplicarCambioRuta(*c, k));
    });
    EXPECT_EQ(porEnlace.nArchivos, 1);
    EXPECT_EQ(porNombre.nArchivos, 1);
}

// A file still being written (no close yet) and a file whose times are set, while its folder
// is shown: both reach the pane at once.
TEST_F(VigilanteTest, AWriteInProgressAndAChangeOfTimesAreRefreshed) {
    const std::string f = tmp.ArchivoConTexto("log.txt", "1");
    auto v = CrearVigilante();
    ASSERT_TRUE(v->Vigilar(tmp.Ruta()));
    cContenidoVisor c;
    ASSERT_TRUE(c.CargarContenido(tmp.Ruta(), true));

    std::ofstream escritor(f, std::ios::app);
    escritor << "23456" << std::flush;  // written, still open
    EXPECT_GE(Aplicar(*v, 1, c), 1);
    EXPECT_EQ(c.Items[0].Tamano, 6);

    const Fecha antes = c.Items[0].FechaModificacion;
    fs::last_write_time(f, fs::last_write_time(f) - std::chrono::hours(24 * 400));
    EXPECT_GE(Aplicar(*v, 1, c), 1);
    EXPECT_LT(c.Items[0].FechaModificacion, antes - 300);
}

bool Hay(const std::vector<RegistroNotificacion>& r, std::uint32_t evento, const std::string& ruta1,
         const std::string& ruta2 = {}) {
    return std::any_of(r.begin(), r.end(), [&](const RegistroNotificacion& n) {
        return n.evento == evento && n.ruta1 == ruta1 && n.ruta2 == ruta2;
    });
}

// A file moved out of the folder and another renamed inside it, both waiting in one read: the
// rename's halves carry one cookie and must be joined by it, not by which came first.
TEST(VigilanteLinux, RenameHalvesArePairedByTheirCookieNotByArrival) {
    prueba::CarpetaTemporal tmp;
    tmp.Carpeta("other");
    tmp.Carpeta("w");
    const std::string w = tmp.Ruta("w");
    tmp.Archivo("w/leaves");
    tmp.Archivo("w/before");
    auto v = CrearVigilante();
    ASSERT_GE(v->Descriptor(), 0);
    ASSERT_TRUE(v->Vigilar(w));

    fs::rename(w + "/leaves", tmp.Ruta("other/leaves"));
    fs::rename(w + "/before", w + "/after");
    // The kernel queues the events during the calls: one read takes all three.
    const std::vector<RegistroNotificacion> r = v->Leer();
    EXPECT_TRUE(Hay(r, EV_RENOMBRAR_ITEM, w + "/before", w + "/after"));
    EXPECT_TRUE(Hay(r, EV_BORRAR, w + "/leaves"));
    EXPECT_FALSE(Hay(r, EV_RENOMBRAR_ITEM, w + "/leaves", w + "/after"));
    EXPECT_FALSE(Hay(r, EV_BORRAR, w + "/before"));
    EXPECT_EQ(r.size(), 2u);
    v->Dejar(w);
}


}  // namespace
}  // namespace quirvex
