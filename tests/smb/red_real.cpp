// The local network as a user meets it: a private two-machine network built by
// tools/con_red_smb.sh, with a workgroup browse master on the server side and this test on the
// client side. Without that network every test here says why and is skipped.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "folder/contenido_visor.h"
#include "folder/tabla_unidades.h"
#include "platform/descubrimiento.h"
#include "platform/red.h"
#include "platform/smb.h"
#include "support/fakes.h"
#include "support/nucleo_limpio.h"

namespace quirvex {
namespace {

std::string Variable(const char* nombre) {
    const char* v = std::getenv(nombre);
    return v ? v : "";
}

class VistaElegida : public VistaVisor {
public:
    std::int64_t ItemActual() const override { return actual; }
    std::int64_t actual = -1;
};

const GrupoRed* BuscarGrupo(const std::vector<GrupoRed>& grupos, const std::string& nombre) {
    for (const GrupoRed& g : grupos)
        if (g.nombre == nombre) return &g;
    return nullptr;
}

const ComputadoraRed* BuscarComputadora(const GrupoRed& g, const std::string& nombre) {
    for (const ComputadoraRed& c : g.computadoras)
        if (c.nombre == nombre) return &c;
    return nullptr;
}

std::int64_t Posicion(const cContenidoVisor& c, const std::string& nombre) {
    for (size_t i = 0; i < c.Items.size(); ++i)
        if (c.Items[i].Nombre == nombre) return static_cast<std::int64_t>(i);
    return -1;
}

std::string Nombres(const cContenidoVisor& c) {
    std::string r;
    for (const ItemCarpeta& it : c.Items) r += " \"" + it.Nombre + "\"";
    return r;
}

class RedReal : public prueba::NucleoLimpio {
protected:
    void SetUp() override {
        prueba::NucleoLimpio::SetUp();
        if (!Variable("QUIRVEX_RED_FALLO").empty())
            GTEST_SKIP() << "no private network: " << Variable("QUIRVEX_RED_FALLO");
        if (Variable("QUIRVEX_RED_DIR").empty())
            GTEST_SKIP() << "no private network: run through tools/con_red_smb.sh";
        SetTiempoLimiteRed(4000);
        grupo = Variable("QUIRVEX_RED_GRUPO");
        servidor = Variable("QUIRVEX_RED_SERVIDOR");
    }

    // The browse list forms only after the master browser's election: the network is walked
    // again until the computer shows in its group, for at most a minute.
    bool EsperarComputadora(const std::string& nombreGrupo, const std::string& nombre) {
        const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        for (;;) {
            ListarRed();
            const GrupoRed* g = BuscarGrupo(ArbolRed(), nombreGrupo);
            if (g && BuscarComputadora(*g, nombre)) return true;
            if (std::chrono::steady_clock::now() >= limite) return false;
            std::this_thread::sleep_for(std::chrono::seconds(1));
        }
    }

    std::string grupo;     // the server's workgroup
    std::string servidor;  // its NetBIOS name
};

TEST_F(RedReal, MyLanShowsTheWorkgroupItsComputerItsSharesAndASharesFiles) {
    ASSERT_TRUE(EsperarComputadora(grupo, servidor)) << "the browse never listed " << servidor;
    const ComputadoraRed* c = BuscarComputadora(*BuscarGrupo(ArbolRed(), grupo), servidor);
    std::vector<std::string> recursos = c->recursos;
    std::sort(recursos.begin(), recursos.end());
    EXPECT_EQ(recursos, (std::vector<std::string>{"docs", "pub"}));

    // The pane: the computer in the network location, its shares, and a share's files.
    VistaElegida vista;
    cContenidoVisor pane(&vista);
    prueba::DialogosGrabados dialogos;
    ASSERT_TRUE(pane.CargarContenido(TEXTO_RED, true));
    const std::int64_t pos = Posicion(pane, servidor);
    ASSERT_GE(pos, 0) << Nombres(pane);
    vista.actual = pos;
    ASSERT_TRUE(pane.CargarContenido(pane.Items[static_cast<size_t>(pos)].RutaCompleta(pane.RutaActual), true));
    vista.actual = -1;
    const std::int64_t pub = Posicion(pane, "pub");
    ASSERT_GE(pub, 0);
    EXPECT_GE(Posicion(pane, "docs"), 0);
    ASSERT_TRUE(pane.CargarContenido(pane.Items[static_cast<size_t>(pub)].RutaCompleta(pane.RutaActual), true));
    EXPECT_GE(Posicion(pane, "hola.txt"), 0);
    EXPECT_TRUE(dialogos.mensajes.empty());
}

TEST_F(RedReal, AServerAnnouncedOverMdnsIsFoundAndOpensAtTheAnnouncedPort) {
    if (!Variable("QUIRVEX_RED_FALLO_MDNS").empty())
        GTEST_SKIP() << "no mDNS daemons: " << Variable("QUIRVEX_RED_FALLO_MDNS");
    const std::string nombre = Variable("QUIRVEX_RED_NOMBRE_MDNS");
    const std::string ruta = "//" + Variable("QUIRVEX_RED_IP") + ":" + Variable("QUIRVEX_RED_PUERTO_MDNS");

    // The client's daemon learns the announcement within seconds: asked again until it
    // shows, for at most half a minute.
    const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    std::vector<EquipoDescubierto> hallados;
    for (;;) {
        hallados = DescubrimientoSistema().ServiciosMdns();
        if (!hallados.empty() || std::chrono::steady_clock::now() >= limite) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    ASSERT_EQ(hallados.size(), 1u) << "nothing announced over mDNS was found";
    EXPECT_EQ(hallados[0].nombre, nombre);
    EXPECT_EQ(hallados[0].ruta, ruta);
    EXPECT_EQ(hallados[0].anfitrion, "qxservidor.local");

    // The address and port lead to the server's shares, and a share to its files.
    VistaElegida vista;
    cContenidoVisor pane(&vista);
    prueba::DialogosGrabados dialogos;
    ASSERT_TRUE(pane.CargarContenido(ruta, true));
    EXPECT_GE(Posicion(pane, "docs"), 0);
    const std::int64_t pub = Posicion(pane, "pub");
    ASSERT_GE(pub, 0);
    ASSERT_TRUE(pane.CargarContenido(pane.Items[static_cast<size_t>(pub)].RutaCompleta(pane.RutaActual), true));
    EXPECT_EQ(pane.RutaActual, ruta + "/pub/");
    EXPECT_GE(Posicion(pane, "hola.txt"), 0);
    EXPECT_TRUE(dialogos.mensajes.empty());
}

// On the server side, whose SMB server also answers on loopback.
class EsteEquipoReal : public prueba::NucleoLimpio {
protected:
    void SetUp() override {
        prueba::NucleoLimpio::SetUp();
        if (!Variable("QUIRVEX_RED_FALLO").empty())
            GTEST_SKIP() << "no private network: " << Variable("QUIRVEX_RED_FALLO");
        if (Variable("QUIRVEX_RED_LADO") != "servidor")
            GTEST_SKIP() << "no SMB server on loopback: run through tools/con_red_smb.sh --servidor";
        SetTiempoLimiteRed(4000);
    }
};

TEST_F(EsteEquipoReal, MyLanListsThisMachineWhenItServesSmbOnLoopback) {
    const std::vector<EquipoDescubierto> local = DescubrimientoSistema().EsteEquipo();
    ASSERT_EQ(local.size(), 1u);
    EXPECT_EQ(local[0].ruta, "//127.0.0.1");
    EXPECT_FALSE(local[0].nombre.empty());

    VistaElegida vista;
    cContenidoVisor pane(&vista);
    prueba::DialogosGrabados dialogos;
    ASSERT_TRUE(pane.CargarContenido(TEXTO_RED, true));
    std::int64_t pos = -1;
    for (size_t i = 0; i < pane.Items.size(); ++i)
        if (pane.Items[i].RutaCompleta(pane.RutaActual) == "//127.0.0.1") pos = static_cast<std::int64_t>(i);
    ASSERT_GE(pos, 0) << Nombres(pane);
    EXPECT_EQ(pane.Items[static_cast<size_t>(pos)].Nombre, local[0].nombre);
    vista.actual = pos;
    ASSERT_TRUE(pane.CargarContenido("//127.0.0.1", true));
    vista.actual = -1;
    EXPECT_GE(Posicion(pane, "docs"), 0);
    const std::int64_t pub = Posicion(pane, "pub");
    ASSERT_GE(pub, 0);
    EXPECT_EQ(pane.Items[static_cast<size_t>(pub)].RutaCompleta(pane.RutaActual), "//127.0.0.1/pub");
    EXPECT_TRUE(dialogos.mensajes.empty());
}

}  // namespace
}  // namespace quirvex
