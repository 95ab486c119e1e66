// The network list: the workgroup browse merged with the computers found without it (mDNS,
// this machine on loopback, computers reached by path), against a network kept in memory.

#include "platform/red.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <map>

#include "folder/contenido_visor.h"
#include "platform/descubrimiento.h"
#include "platform/smb.h"
#include "support/nucleo_limpio.h"

namespace quirvex {
namespace {

// Computers by the path that reaches them, each with its shares; the browse gives `grupos`.
class SmbRedFija final : public ServicioSmb {
public:
    int Listar(const std::string& carpeta, std::vector<EntradaSmb>& e) override {
        std::string equipo = carpeta;
        while (equipo.size() > 2 && equipo.back() == '/') equipo.pop_back();
        listados.push_back(equipo);
        const auto it = equipos.find(equipo);
        if (it == equipos.end()) return ETIMEDOUT;
        for (const std::string& r : it->second) e.push_back(EntradaSmb{r, true});
        return 0;
    }
    int Consultar(const std::string&, EntradaSmb&) override { return ENOSYS; }
    int Abrir(const std::string&, bool, bool&, ManejadorSmb&) override { return ENOSYS; }
    std::int64_t Leer(ManejadorSmb, void*, std::size_t, int& e) override { return e = ENOSYS, -1; }
    std::int64_t Escribir(ManejadorSmb, const void*, std::size_t, int& e) override { return e = ENOSYS, -1; }
    std::int64_t Posicionar(ManejadorSmb, std::int64_t, bool, int& e) override { return e = ENOSYS, -1; }
    int Truncar(ManejadorSmb, std::int64_t) override { return ENOSYS; }
    int Cerrar(ManejadorSmb) override { return ENOSYS; }
    int CrearCarpeta(const std::string&) override { return ENOSYS; }
    int BorrarArchivo(const std::string&) override { return ENOSYS; }
    int BorrarCarpeta(const std::string&) override { return ENOSYS; }
    int Renombrar(const std::string&, const std::string&) override { return ENOSYS; }
    int FijarModificado(const std::string&, std::int64_t) override { return ENOSYS; }
    std::vector<GrupoRed> ExplorarRed() override { return grupos; }
    void SetCredenciales(const std::string&, const std::string&, const std::string&) override {}
    bool EsAccesoDenegado(int c) override { return c == EACCES; }
    bool EsTiempoAgotado(int c) override { return c == ETIMEDOUT; }

    std::vector<GrupoRed> grupos;
    std::map<std::string, std::vector<std::string>> equipos;
    std::vector<std::string> listados;
};

class DescubrimientoFijo final : public Descubrimiento {
public:
    std::vector<EquipoDescubierto> ServiciosMdns() override { return mdns; }
    std::vector<EquipoDescubierto> EsteEquipo() override { return local; }
    std::vector<EquipoDescubierto> mdns, local;
};

class VistaElegida : public VistaVisor {
public:
    std::int64_t ItemActual() const override { return actual; }
    std::int64_t actual = -1;
};

class RedTest : public prueba::NucleoLimpio {
protected:
    void SetUp() override {
        prueba::NucleoLimpio::SetUp();
        SetSmb(&smb);
        SetDescubrimiento(&descubrimiento);
        SetRed(nullptr);
    }
    void TearDown() override {
        SetSmb(nullptr);
        SetDescubrimiento(nullptr);
    }

    // Every computer as "group/name -> path: shares".
    static std::vector<std::string> Plano(const std::vector<GrupoRed>& grupos) {
        std::vector<std::string> r;
        for (const GrupoRed& g : grupos)
            for (const ComputadoraRed& c : g.computadoras) {
                std::string linea = g.nombre + "/" + c.nombre + " -> " + RutaComputadora(c) + ":";
                for (const std::string& s : c.recursos) linea += " " + s;
                r.push_back(linea);
            }
        return r;
    }

    SmbRedFija smb;
    DescubrimientoFijo descubrimiento;
};

TEST_F(RedTest, ComputersFoundWithoutTheBrowseFollowItOnceEachWithTheirShares) {
    smb.grupos = {GrupoRed{"OFICINA", {ComputadoraRed{"ALMACEN", {"datos"}}}}};
    smb.equipos = {{"//10.1.0.5:4455", {"pub", "docs"}},
                   {"//10.1.0.6", {"fotos"}},
                   {"//10.1.0.7", {"otra"}},
                   {"//10.1.0.9", {"datos"}},
                   {"//10.1.0.9:139", {"datos"}},
                   {"//127.0.0.1", {"casa"}},
                   {"//rtest-visitado:4450", {"v"}}};
    descubrimiento.mdns = {
        {"Servidor de mDNS", "//10.1.0.5:4455"},
        {"almacen", "//10.1.0.9"},           // the browse's ALMACEN, by another name's case
        {"Apagado", "//10.1.0.8"},           // announced, but does not answer
        {"fotos.local", "//10.1.0.6"},
        {"Otra vez", "//10.1.0.5:4455"},     // the same service by another name
        {"FOTOS", "//10.1.0.7"},             // fotos.local under its bare name
        {"Archivos", "//10.1.0.9:139", "Almacen.local"},  // ALMACEN again, by its host name
    };
    descubrimiento.local = {{"rtest-casa", "//127.0.0.1"}};
    RecordarEquipo("//rtest-visitado:4450");
    RecordarEquipo("//10.1.0.6");  // reached by path, and announced too

    EXPECT_EQ(Plano(RedSistema().Listar()),
              (std::vector<std::string>{
                  "OFICINA/ALMACEN -> //ALMACEN: datos",
                  "local/Servidor de mDNS -> //10.1.0.5:4455: pub docs",
                  "local/fotos.local -> //10.1.0.6: fotos",
                  "/rtest-casa -> //127.0.0.1: casa",
                  "/rtest-visitado:4450 -> //rtest-visitado:4450: v",
              }));
}

TEST_F(RedTest, NothingFoundBesidesTheBrowseAddsNoGroup) {
    smb.grupos = {GrupoRed{"OFICINA", {ComputadoraRed{"ALMACEN", {"datos"}}}}};
    descubrimiento.mdns = {{"Apagado", "//10.1.0.8"}};
    const auto grupos = RedSistema().Listar();
    ASSERT_EQ(grupos.size(), 1u);
    EXPECT_EQ(grupos[0].nombre, "OFICINA");
}

TEST_F(RedTest, AnAnnouncedComputerOpensAtItsAddressAndPort) {
    smb.equipos = {{"//10.1.0.5:4455", {"pub"}}};
    descubrimiento.mdns = {{"Servidor", "//10.1.0.5:4455"}};
    VistaElegida vista;
    cContenidoVisor pane(&vista);
    ASSERT_TRUE(pane.CargarContenido(TEXTO_RED, true));
    std::int64_t pos = -1;
    for (size_t i = 0; i < pane.Items.size(); ++i)
        if (pane.Items[i].Nombre == "Servidor") pos = static_cast<std::int64_t>(i);
    ASSERT_GE(pos, 0);
    EXPECT_EQ(pane.Items[static_cast<size_t>(pos)].RutaCompleta(pane.RutaActual), "//10.1.0.5:4455");
    vista.actual = pos;
    ASSERT_TRUE(pane.CargarContenido(pane.Items[static_cast<size_t>(pos)].RutaCompleta(pane.RutaActual), true));
    ASSERT_EQ(pane.Items.size(), 1u);
    EXPECT_EQ(pane.Items[0].RutaCompleta(pane.RutaActual), "//10.1.0.5:4455/pub");
}

TEST(DescubrimientoSistema, WithoutAnMdnsDaemonNothingIsFoundAndNothingIsSaid) {
    prueba::CarpetaTemporal tmp;
    const char* antes = std::getenv("DBUS_SYSTEM_BUS_ADDRESS");
    const std::string guardada = antes ? antes : "";
    setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + tmp.Ruta("no-hay-bus")).c_str(), 1);
    prueba::DialogosGrabados dialogos;
    SetDescubrimiento(nullptr);
    EXPECT_TRUE(DescubrimientoSistema().ServiciosMdns().empty());
    EXPECT_TRUE(dialogos.mensajes.empty());
    if (antes)
        setenv("DBUS_SYSTEM_BUS_ADDRESS", guardada.c_str(), 1);
    else
        unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
}

TEST(RutaServicio, TheStandardPortIsLeftOutAndIpv6GoesInBrackets) {
    EXPECT_EQ(RutaServicio("10.0.0.1", 445), "//10.0.0.1");
    EXPECT_EQ(RutaServicio("10.0.0.1", 4455), "//10.0.0.1:4455");
    EXPECT_EQ(RutaServicio("fe80::1", 139), "//[fe80::1]:139");
}

}  // namespace
}  // namespace quirvex
