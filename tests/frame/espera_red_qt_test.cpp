// The window while a share's listing waits on the network: keys are handled, and the pane that
// waits refuses a second load until its first one ends.

#include <QPointer>
#include <QTimer>
#include <atomic>

#include "frame/espera_red_qt.h"
#include "frame/marco_real_qt.h"
#include "platform/smb.h"

namespace quirvex::prueba {
namespace {

// A share whose listing waits as a slow server would: until the test releases it, or after a
// few seconds of polling so that a wait that never let events run fails instead of hanging.
class ShareLento final : public ServicioSmb {
public:
    int Listar(const std::string&, std::vector<EntradaSmb>& e) override {
        ++listados;
        int vueltas = 0;
        EsperarRed([&] { return liberado.load() || ++vueltas > 20000; });
        EntradaSmb uno;
        uno.nombre = "remoto.txt";
        e = {uno};
        return 0;
    }
    int Consultar(const std::string&, EntradaSmb& e) override {
        e = EntradaSmb{};
        e.carpeta = true;
        return 0;
    }
    int Abrir(const std::string&, bool, bool&, ManejadorSmb&) override { return 5; }
    std::int64_t Leer(ManejadorSmb, void*, std::size_t, int& e) override { return e = 5, -1; }
    std::int64_t Escribir(ManejadorSmb, const void*, std::size_t, int& e) override { return e = 5, -1; }
    std::int64_t Posicionar(ManejadorSmb, std::int64_t, bool, int& e) override { return e = 5, -1; }
    int Truncar(ManejadorSmb, std::int64_t) override { return 5; }
    int Cerrar(ManejadorSmb) override { return 0; }
    int CrearCarpeta(const std::string&) override { return 5; }
    int BorrarArchivo(const std::string&) override { return 5; }
    int BorrarCarpeta(const std::string&) override { return 5; }
    int Renombrar(const std::string&, const std::string&) override { return 5; }
    int FijarModificado(const std::string&, std::int64_t) override { return 5; }
    std::vector<GrupoRed> ExplorarRed() override { return {}; }
    void SetCredenciales(const std::string&, const std::string&, const std::string&) override {}
    bool EsAccesoDenegado(int) override { return false; }
    bool EsTiempoAgotado(int) override { return false; }

    std::atomic<bool> liberado{false};
    int listados = 0;
};

class EsperaRedMarco : public MarcoReal {
protected:
    void SetUp() override {
        MarcoReal::SetUp();
        InstalarEsperaRed();
        SetSmb(&share);
        for (int k = 0; k < 30; ++k) tmp.Archivo("f" + std::to_string(k) + ".txt");
        Abrir(tmp.Ruta());
        ASSERT_TRUE(Tab()->AgregarVisor(tmp.Ruta()));
    }
    void TearDown() override {
        SetSmb(nullptr);
        SetEsperaRed(nullptr);
        MarcoReal::TearDown();
    }
    ShareLento share;
};

TEST_F(EsperaRedMarco, KeysReachTheOtherPaneWhileAShareListsAndTheWaitingPaneLoadsOnce) {
    cVisor* izq = Visor(0);
    cVisor* der = Visor(1);
    Clic(der->picM(), SobreItem(der, 0));
    const std::int64_t antes = der->Seleccion().sActual();

    bool vistoEsperando = false;
    std::int64_t durante = -2;
    bool segundaCarga = true;
    QTimer::singleShot(0, [&] {
        vistoEsperando = EsperandoRed();
        // The other pane has the keys: End moves its current item while the share waits.
        Tecla(Qt::Key_End);
        durante = der->Seleccion().sActual();
        // The waiting pane is asked for another folder meanwhile: refused.
        segundaCarga = izq->CargarContenido(tmp.Ruta());
        share.liberado = true;
    });
    ASSERT_TRUE(izq->CargarContenido("//lento/pub"));
    EXPECT_TRUE(vistoEsperando);
    EXPECT_NE(durante, antes);
    EXPECT_EQ(durante, der->Contenido().nMostrados() - 1);
    EXPECT_FALSE(segundaCarga);
    EXPECT_EQ(share.listados, 1);
    EXPECT_EQ(izq->Contenido().RutaActual, "//lento/pub/");
    ASSERT_EQ(izq->Contenido().nMostrados(), 1);
    EXPECT_EQ(izq->Contenido().Items[0].Nombre, "remoto.txt");
}

// Closing the tab whose pane waits (from the wait's own event loop, as a click would) leaves the
// tab in place until the load is over, then closes it: the load never runs on a freed pane.
TEST_F(EsperaRedMarco, ATabClosedWhileItsPaneWaitsGoesOnlyWhenTheWaitIsOver) {
    const int indice = Tab()->nTab();
    cVisor* v = Visor(0);
    QPointer<QWidget> tab = Tab()->Widget();
    m->NuevoTabVisor(Q(tmp.Ruta()));  // a tab to fall back on: the last one is never closed
    const int n = m->ContarTabs();
    int durante = -1;
    QTimer::singleShot(0, [&] {
        m->CerrarTab(indice);
        durante = m->ContarTabs();
        share.liberado = true;
    });
    ASSERT_TRUE(v->CargarContenido("//lento/pub"));
    EXPECT_EQ(durante, n);
    EXPECT_EQ(v->Contenido().RutaActual, "//lento/pub/");  // the pane is still whole here
    EXPECT_TRUE(Esperar([&] { return m->ContarTabs() == n - 1; }));
    EXPECT_TRUE(Esperar([&] { return tab.isNull(); }));
}

}  // namespace
}  // namespace quirvex::prueba
