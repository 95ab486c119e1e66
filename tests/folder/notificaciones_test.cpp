#include "folder/notificaciones.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "folder/cache_listados.h"
#include "folder/cambios_ruta.h"
#include "platform/vigilante.h"
#include "settings/idioma.h"
#include "settings/opciones.h"
#include "support/nucleo_limpio.h"

namespace quirvex {
namespace {

namespace fs = std::filesystem;
using prueba::CarpetaTemporal;

RegistroNotificacion Reg(std::uint32_t ev, std::string r1, std::string r2 = {}) {
    RegistroNotificacion r;
    r.evento = ev;
    r.ruta1 = std::move(r1);
    r.ruta2 = std::move(r2);
    return r;
}

std::vector<CambioRuta> Procesar(ColaNotificaciones& cola) {
    std::vector<CambioRuta> r;
    cola.ProcesarNotificaciones([&](const CambioRuta& c) { r.push_back(c); });
    return r;
}

TEST(ColaNotificaciones, RepeatsInARowAreDroppedButUpdatesNever) {
    ColaNotificaciones cola;
    EXPECT_TRUE(cola.RecibirNotificacion(Reg(EV_BORRAR, "/a/x")));
    EXPECT_FALSE(cola.RecibirNotificacion(Reg(EV_BORRAR, "/a/x")));
    EXPECT_TRUE(cola.RecibirNotificacion(Reg(EV_BORRAR, "/a/y")));
    EXPECT_TRUE(cola.RecibirNotificacion(Reg(EV_BORRAR, "/a/x")));  // only the last counts
    EXPECT_TRUE(cola.RecibirNotificacion(Reg(EV_ACTUALIZAR_ITEM, "/a/x")));
    EXPECT_TRUE(cola.RecibirNotificacion(Reg(EV_ACTUALIZAR_ITEM, "/a/x")));
    // Events that carry no path lose it, so two of them compare equal.
    EXPECT_TRUE(cola.RecibirNotificacion(Reg(0x8000, "/p")));
    EXPECT_FALSE(cola.RecibirNotificacion(Reg(0x8000, "/q")));
    const auto cambios = Procesar(cola);
    ASSERT_EQ(cambios.size(), 5u);  // the pathless one says nothing
    EXPECT_EQ(cambios[3].tipo + cambios[3].accion, "AUpdated");
    EXPECT_EQ(cambios[4].nombre, "x");
    EXPECT_FALSE(cola.HayPendientes());
    // Once handled, the same change again is a new change, not a repeat of the burst.
    EXPECT_TRUE(cola.RecibirNotificacion(Reg(0x8000, "/p")));
    EXPECT_FALSE(cola.RecibirNotificacion(Reg(0x8000, "/p")));
    Procesar(cola);
    EXPECT_TRUE(cola.RecibirNotificacion(Reg(EV_BORRAR, "/a/x")));
    Procesar(cola);
    EXPECT_TRUE(cola.RecibirNotificacion(Reg(EV_BORRAR, "/a/x")));
}

TEST(ColaNotificaciones, EachEventBecomesItsBroadcast) {
    ColaNotificaciones cola;
    cola.RecibirNotificacion(Reg(EV_RENOMBRAR_ITEM, "/a/old", "/a/new"));
    cola.RecibirNotificacion(Reg(EV_CREAR, "/a/f"));
    cola.RecibirNotificacion(Reg(EV_CREAR_CARPETA, "/a/d"));
    cola.RecibirNotificacion(Reg(EV_BORRAR_CARPETA, "/a/d"));
    cola.RecibirNotificacion(Reg(EV_RENOMBRAR_CARPETA, "/a/d", "/a/e"));
    cola.RecibirNotificacion(Reg(EV_UNIDAD_AGREGADA, "/media/usb/"));
    cola.RecibirNotificacion(Reg(EV_MEDIO_QUITADO, "/media/cd/"));
    const auto c = Procesar(cola);
    ASSERT_EQ(c.size(), 7u);
    EXPECT_EQ(c[0].ubicacion, "/a/");
    EXPECT_EQ(c[0].nombre, "old");
    EXPECT_EQ(c[0].nuevaRuta, "/a/new");
    EXPECT_EQ(c[0].tipo + c[0].accion, "ARename");
    EXPECT_EQ(c[1].tipo + c[1].accion, "ACreated");
    EXPECT_EQ(c[2].tipo + c[2].accion, "CCreatedFolder");
    EXPECT_EQ(c[3].tipo + c[3].accion, "CDeleted");
    EXPECT_EQ(c[4].tipo + c[4].accion, "CRename");
    EXPECT_EQ(c[5].ubicacion + c[5].tipo + c[5].accion, "/media/usb/UAdded");
    EXPECT_EQ(c[6].tipo + c[6].accion, "UDeleted");
}

TEST(ColaNotificaciones, RecordsArrivingWhileBusyAreProcessedInTheSamePass) {
    ColaNotificaciones cola;
    cola.RecibirNotificacion(Reg(EV_CREAR, "/a/1"));
    std::vector<std::string> vistos;
    int llamadas = 0;
    cola.ProcesarNotificaciones(
        [&](const CambioRuta& c) {
            vistos.push_back(c.nombre);
            cola.ProcesarNotificaciones([](const CambioRuta&) { FAIL() << "re-entered"; });
        },
        [&] {
            if (llamadas++ == 0) cola.RecibirNotificacion(Reg(EV_CREAR, "/a/2"));
        });
    EXPECT_EQ(vistos, (std::vector<std::string>{"1", "2"}));
    EXPECT_FALSE(cola.Ocupado());
    EXPECT_FALSE(cola.HayPendientes());
}

class CambiosRutaTest : public prueba::NucleoLimpio {
protected:
    CambioRuta Cambio(const std::string& ubic, const std::string& nombre, const char* tipo,
                      const char* accion, const std::string& nueva = {}) {
        return CambioRuta{ubic, nombre, nueva, tipo, accion};
    }
};

TEST_F(CambiosRutaTest, ChangesInsideTheShownFolder) {
    tmp.Archivo("a.txt");
    cContenidoVisor c;
    ASSERT_TRUE(c.CargarContenido(tmp.Ruta(), true));
    auto r = AplicarCambioRuta(c, Cambio(tmp.Ruta(), "a.txt", "A", "Rename", tmp.Ruta("b.txt")));
    EXPECT_EQ(r.efecto, EfectoCambio::RedibujarItem);
    EXPECT_EQ(c.Items[static_cast<size_t>(r.item)].Nombre, "b.txt");
    EXPECT_EQ(AplicarCambioRuta(c, Cambio(tmp.Ruta(), "b.txt", "A", "Deleted")).efecto,
              EfectoCambio::Refrescar);
    EXPECT_EQ(AplicarCambioRuta(c, Cambio(tmp.Ruta(), "zzz", "A", "Deleted")).efecto,
              EfectoCambio::Ninguno);
    // A new entry is shown at once, not left until the user refreshes.
    tmp.Archivo("new.txt");
    r = AplicarCambioRuta(c, Cambio(tmp.Ruta(), "new.txt", "A", "Created"));
    ASSERT_EQ(r.efecto, EfectoCambio::Refrescar);
    EjecutarEfecto(c, r);
    EXPECT_GE(c.GetIndexItem("new.txt"), 0);
    EXPECT_EQ(AplicarCambioRuta(c, Cambio(tmp.Ruta(), "A.TXT", "A", "Deleted")).efecto,
              EfectoCambio::Ninguno);  // case matters on Linux
}

TEST_F(CambiosRutaTest, RenamingOrDeletingTheShownFolderOrAParent) {
    const std::string sub = tmp.Carpeta("p/q/r");
    cContenidoVisor propia, hija, otra;
    ASSERT_TRUE(propia.CargarContenido(tmp.Ruta("p/q"), true));
    ASSERT_TRUE(hija.CargarContenido(sub, true));
    ASSERT_TRUE(otra.CargarContenido(tmp.Ruta("p"), true));
    const auto ren = Cambio(tmp.Ruta("p/"), "q", "C", "Rename", tmp.Ruta("p/Q2"));
    EXPECT_EQ(AplicarCambioRuta(propia, ren).efecto, EfectoCambio::NuevaUbicacion);
    EXPECT_EQ(propia.RutaActual, tmp.Ruta("p/Q2/"));
    EXPECT_EQ(propia.NombreCarpeta, "Q2");
    EXPECT_EQ(AplicarCambioRuta(hija, ren).efecto, EfectoCambio::NuevaUbicacion);
    EXPECT_EQ(hija.RutaActual, tmp.Ruta("p/Q2/r/"));
    EXPECT_EQ(hija.NombreCarpeta, "r");
    EXPECT_EQ(AplicarCambioRuta(otra, ren).efecto, EfectoCambio::RedibujarItem);

    const auto del = Cambio(tmp.Ruta("p/"), "Q2", "C", "Deleted");
    const auto r = AplicarCambioRuta(hija, del);
    ASSERT_EQ(r.efecto, EfectoCambio::IrAMiPC);
    EjecutarEfecto(hija, r);
    EXPECT_TRUE(hija.EnMiPC());
    // "p/Q" is not a parent of "p/Q2/": prefixes count whole names only.
    EXPECT_EQ(AplicarCambioRuta(propia, Cambio(tmp.Ruta("p/"), "Q", "C", "Deleted")).efecto,
              EfectoCambio::Ninguno);
}

TEST_F(CambiosRutaTest, DrivesReloadOnlyTheDriveList) {
    cContenidoVisor unidades, carpeta;
    unidades.CargarContenido(TextoMiPC(), true);
    ASSERT_TRUE(carpeta.CargarContenido(tmp.Ruta(), true));
    const auto k = Cambio("/media/usb/", "", "U", "Added");
    EXPECT_EQ(AplicarCambioRuta(unidades, k).efecto, EfectoCambio::RecargarUnidades);
    EXPECT_EQ(AplicarCambioRuta(carpeta, k).efecto, EfectoCambio::Ninguno);

    // A new label keeps the whole display name, slashes of the mount point included.
    const std::string antes = unidades.Items[0].Nombre;
    const auto r = AplicarCambioRuta(unidades, Cambio(TextoMiPC(), antes, "U", "Rename", "DATA (/)"));
    ASSERT_EQ(r.efecto, EfectoCambio::RedibujarItem);
    EXPECT_EQ(unidades.Items[static_cast<size_t>(r.item)].Nombre, "DATA (/)");
}

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

TEST(VigilanteLinux, RealChangesBecomeRecords) {
    CarpetaTemporal tmp;
    tmp.Carpeta("w");
    tmp.Carpeta("other");
    auto v = CrearVigilante();
    ASSERT_GE(v->Descriptor(), 0);
    ASSERT_TRUE(v->Vigilar(tmp.Ruta("w/")));
    ASSERT_TRUE(v->Vigilar(tmp.Ruta("w")));  // counted, not doubled
    const std::string w = tmp.Ruta("w");

    fs::create_directory(w + "/d");
    auto r = Esperar(*v, 1);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].evento, EV_CREAR_CARPETA);
    EXPECT_EQ(r[0].ruta1, w + "/d");

    fs::rename(w + "/d", w + "/e");
    r = Esperar(*v, 1);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].evento, EV_RENOMBRAR_CARPETA);
    EXPECT_EQ(r[0].ruta2, w + "/e");

    fs::rename(w + "/e", tmp.Ruta("other/e"));  // out of the watched folder
    r = Esperar(*v, 1);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].evento, EV_BORRAR_CARPETA);

    std::ofstream(w + "/f") << "x";
    r = Esperar(*v, 2);
    ASSERT_GE(r.size(), 2u);
    EXPECT_EQ(r[0].evento, EV_CREAR);

    v->Dejar(w);
    v->Dejar(w + "/");
    const std::string testigo = tmp.Carpeta("testigo");
    ASSERT_TRUE(v->Vigilar(testigo + "/"));
    fs::remove(w + "/f");
    SinRegistrosSalvoTestigo(*v, testigo);  // released with the last pane that watched it
    EXPECT_TRUE(v->LeerMontajes().empty());
}

}  // namespace
}  // namespace quirvex
