// The window while a share's listing waits on the network. A pane's load lists off the window's
// thread and the pane fills in when the answer comes: keys are handled meanwhile, no event loop
// runs inside the load, and an answer for a load that was superseded, or for a pane that is gone,
// is dropped. A command that goes on with what its load shows waits in the one waiting place:
// keys are handled there too, and the pane that waits refuses a second load until it ends.

#include <QPointer>
#include <QTimer>
#include <atomic>

#include "folder/orden.h"
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
        const bool ahora = inmediato.load();  // decided before it counts as started
        ++listados;
        if (falla != 0) return falla;
        if (ahora) {
            e = {EntradaSmb{"inmediato.txt"}};
            return 0;
        }
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
    std::atomic<bool> inmediato{false};  // answers at once (a later load of another folder)
    std::atomic<int> listados{0};
    std::atomic<int> falla{0};  // the error every listing ends in, 0 for none
};

class EsperaRedMarco : public MarcoReal {
protected:
    void SetUp() override {
        MarcoReal::SetUp();
        InstalarEsperaRed();
        // The window's own hand-over, counting the answers it has run.
        SetEntregaVentana([this](std::function<void()> alLlegar) {
            QMetaObject::invokeMethod(
                qApp, [this, f = std::move(alLlegar)] { f(), ++entregadas; }, Qt::QueuedConnection);
        });
        SetSmb(&share);
        for (int k = 0; k < 30; ++k) tmp.Archivo("f" + std::to_string(k) + ".txt");
        Abrir(tmp.Ruta());
        ASSERT_TRUE(Tab()->AgregarVisor(tmp.Ruta()));
    }
    void TearDown() override {
        SetSmb(nullptr);
        QuitarEsperaRed();
        MarcoReal::TearDown();
    }
    ShareLento share;
    int entregadas = 0;
};

TEST_F(EsperaRedMarco, AShareLoadsWithoutAWaitOnTheWindowAndALaterLoadDropsItsLateAnswer) {
    cVisor* izq = Visor(0);
    cVisor* der = Visor(1);
    Clic(der->picM(), SobreItem(der, 0));
    const std::uint64_t esperas = EsperasRedEnVentana();
    ASSERT_TRUE(izq->CargarContenido("//lento/pub"));
    // Back at once, the pane showing what it had and saying it waits.
    EXPECT_EQ(izq->Contenido().CargaRedEnCurso(), "//lento/pub/");
    EXPECT_EQ(izq->Contenido().RutaActual, tmp.Ruta());
    EXPECT_EQ(izq->picM()->cursor().shape(), Qt::BusyCursor);
    Tecla(Qt::Key_End);
    EXPECT_EQ(der->Seleccion().sActual(), der->Contenido().nMostrados() - 1);

    // The user goes elsewhere in the same pane before the answer: the new folder shows, and
    // the late answer, once it comes, changes nothing.
    ASSERT_TRUE(Esperar([&] { return share.listados == 1; }));
    share.inmediato = true;
    ASSERT_TRUE(izq->CargarContenido("//rapido/pub"));
    ASSERT_TRUE(Esperar([&] { return entregadas == 1; }));
    EXPECT_EQ(izq->Contenido().RutaActual, "//rapido/pub/");
    EXPECT_TRUE(izq->Contenido().CargaRedEnCurso().empty());
    EXPECT_NE(izq->picM()->cursor().shape(), Qt::BusyCursor);
    share.liberado = true;
    ASSERT_TRUE(Esperar([&] { return entregadas == 2; }));
    EXPECT_EQ(izq->Contenido().RutaActual, "//rapido/pub/");
    ASSERT_EQ(izq->Contenido().nMostrados(), 1);
    EXPECT_EQ(izq->Contenido().Items[0].Nombre, "inmediato.txt");
    EXPECT_EQ(EsperasRedEnVentana(), esperas);  // no event loop ran inside a load
    EXPECT_TRUE(dialogos.mensajes.empty());
}

// A pane sorted by size takes the sizes from the share's listing: the share is listed once, and
// the window never waits for a second listing.
TEST_F(EsperaRedMarco, ASharePaneSortedBySizeIsListedOnceAndTheWindowNeverWaits) {
    cVisor* izq = Visor(0);
    izq->Contenido().CambiarOrden(ORDEN_TAMANO);
    const std::uint64_t esperas = EsperasRedEnVentana();
    share.inmediato = true;
    ASSERT_TRUE(izq->CargarContenido("//rapido/pub"));
    ASSERT_TRUE(Esperar([&] { return entregadas == 1; }));
    EXPECT_EQ(izq->Contenido().RutaActual, "//rapido/pub/");
    EXPECT_EQ(share.listados, 1);
    EXPECT_EQ(EsperasRedEnVentana(), esperas);
}

// While a share's listing is on its way, a change in the folder the pane leaves, a new sort order
// and new options do not cancel it: the pane goes to the share, sorted the new way.
TEST_F(EsperaRedMarco, AChangeInTheFolderLeftOrANewSortDoesNotCancelTheShareOnItsWay) {
    cVisor* izq = Visor(0);
    ASSERT_TRUE(izq->CargarContenido("//lento/pub"));
    ASSERT_TRUE(Esperar([&] { return share.listados == 1; }));
    tmp.Archivo("llega-mientras.txt");
    izq->Contenido().RefrescarPorCambio();
    izq->Contenido().CambiarOrden(ORDEN_TAMANO);
    m->RecargarPaneles();
    EXPECT_EQ(izq->Contenido().CargaRedEnCurso(), "//lento/pub/");
    EXPECT_EQ(izq->Contenido().CriterioOrden, ORDEN_TAMANO);
    share.liberado = true;
    ASSERT_TRUE(Esperar([&] { return entregadas == 1; }));
    EXPECT_EQ(izq->Contenido().RutaActual, "//lento/pub/");
    ASSERT_EQ(izq->Contenido().nMostrados(), 1);
    EXPECT_EQ(izq->Contenido().Items[0].Nombre, "remoto.txt");
    EXPECT_EQ(share.listados, 1);
    EXPECT_TRUE(dialogos.mensajes.empty());
}

// Back to a share whose listing fails, or is replaced by another load, never showed the share:
// the history stays where the pane is, and what comes next is added after it.
TEST_F(EsperaRedMarco, BackToAShareThatNeverShowsLeavesTheHistoryWhereThePaneIs) {
    cContenidoVisor& c = Visor(0)->Contenido();
    share.inmediato = true;
    ASSERT_TRUE(c.CargarContenido("//rapido/pub", true));
    ASSERT_TRUE(Esperar([&] { return entregadas == 1; }));
    const std::string otra = tmp.Carpeta("otra");
    ASSERT_TRUE(c.CargarContenido(otra, true));
    ASSERT_EQ(c.IndexHistorial(), 2);

    share.falla = 5;
    c.GoHistorial(1);
    ASSERT_TRUE(Esperar([&] { return entregadas == 2; }));
    EXPECT_EQ(dialogos.mensajes, (std::vector<std::string>{"No se pudo cargar el contenido."}));
    EXPECT_EQ(c.IndexHistorial(), 2);
    EXPECT_EQ(c.Historial(c.IndexHistorial()), c.Historial(2));
    EXPECT_EQ(QuitarBarraFinal(c.RutaActual), QuitarBarraFinal(otra));

    // Replaced by a load of another folder before it comes: that folder follows the one shown.
    share.falla = 0;
    share.inmediato = false;
    c.GoHistorial(1);
    ASSERT_TRUE(Esperar([&] { return share.listados == 3; }));
    const std::string tercera = tmp.Carpeta("tercera");
    ASSERT_TRUE(c.CargarContenido(tercera, true));
    EXPECT_EQ(c.UboundHistorial(), 3);
    EXPECT_EQ(c.IndexHistorial(), 3);
    EXPECT_EQ(c.Historial(2), QuitarBarraFinal(otra));
    share.liberado = true;
    ASSERT_TRUE(Esperar([&] { return entregadas == 3; }));
    EXPECT_EQ(QuitarBarraFinal(c.RutaActual), QuitarBarraFinal(tercera));

    // Back to the share when it answers: it shows, and the position is its own.
    share.inmediato = true;
    c.GoHistorial(1);
    ASSERT_TRUE(Esperar([&] { return entregadas == 4; }));
    EXPECT_EQ(c.RutaActual, "//rapido/pub/");
    EXPECT_EQ(c.IndexHistorial(), 1);
    c.CargarContenido(otra, true);
    EXPECT_EQ(c.IndexHistorial(), 2);
}

// Closing the tab of a pane whose listing is on its way closes it at once; the answer that comes
// afterwards finds no pane and is dropped.
TEST_F(EsperaRedMarco, ATabClosedWhileItsPaneListsGoesAtOnceAndTheAnswerIsDropped) {
    const int indice = Tab()->nTab();
    cVisor* v = Visor(0);
    QPointer<QWidget> tab = Tab()->Widget();
    m->NuevoTabVisor(Q(tmp.Ruta()));  // a tab to fall back on: the last one is never closed
    const int n = m->ContarTabs();
    ASSERT_TRUE(v->CargarContenido("//lento/pub"));
    m->CerrarTab(indice);
    EXPECT_EQ(m->ContarTabs(), n - 1);
    // Out of any event loop's turn, what was left for deletion goes when asked to.
    EXPECT_TRUE(Esperar([&] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return tab.isNull();
    }));
    share.liberado = true;
    EXPECT_TRUE(Esperar([&] { return entregadas == 1; }));
    EXPECT_TRUE(dialogos.mensajes.empty());
}

TEST_F(EsperaRedMarco, KeysReachTheOtherPaneWhileACommandWaitsForItsShareAndThatPaneLoadsOnce) {
    const CargaEnEspera espera;
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
    const CargaEnEspera espera;
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
