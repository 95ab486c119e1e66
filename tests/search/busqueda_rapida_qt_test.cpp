// The quick search in the assembled frame (real folder tabs and panes) against a real index
// server started by the test on the socket the frame looks for: the link's order of messages,
// the popup, the focus mark, and opening a hit.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTreeView>
#include <QTreeWidget>
#include <QtTest/QTest>
#include <atomic>
#include <mutex>
#include <thread>

#include "frame/tab_falsa_qt.h"
#include "pane/frm_main_qt.h"
#include "pane/visor_qt.h"
#include "search/busqueda_rapida_qt.h"
#include "search/frm_buscar_rapido_qt.h"
#include "search/servidor_indice.h"
#include "support/fakes.h"

namespace quirvex::prueba {
namespace {

// The real tree, each listing slowed down: a first build that lasts.
class ArbolLento final : public ArbolIndice {
public:
    bool Listar(const std::string& c, EstadoCarpeta& e, std::vector<NombreListado>& n) override {
        ++listados;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return ArbolSistema().Listar(c, e, n);
    }
    std::optional<EstadoCarpeta> Consultar(const std::string& c) override { return ArbolSistema().Consultar(c); }
    std::int64_t Tamano(const std::string& r) override { return ArbolSistema().Tamano(r); }
    std::atomic<int> listados{0};
};

class BusquedaRapida : public MarcoTest {
protected:
    void SetUp() override {
        MarcoTest::SetUp();
        if (const char* r = std::getenv("XDG_RUNTIME_DIR")) runtimePrevio_ = r;
        ::setenv("XDG_RUNTIME_DIR", runtime_.Ruta().c_str(), 1);
    }
    void TearDown() override {
        PararServidor();
        if (runtimePrevio_)
            ::setenv("XDG_RUNTIME_DIR", runtimePrevio_->c_str(), 1);
        else
            ::unsetenv("XDG_RUNTIME_DIR");
        MarcoTest::TearDown();
    }
    void IniciarServidor() {
        OpcionesServidor op;
        op.raices = {datos_.Ruta()};
        op.archivoIndice = runtime_.Ruta("kartoserv.map");
        servidor_ = std::make_unique<cServidorIndice>(op);
        servidor_->alRecibir = [this](const TramaIndice& t) {
            std::lock_guard<std::mutex> g(m_);
            recibidas_.push_back(t);
        };
        std::string error;
        ASSERT_TRUE(servidor_->Preparar(error)) << error;
        hilo_ = std::thread([this] { servidor_->Ejecutar(); });
    }
    void PararServidor() {
        if (!hilo_.joinable()) return;
        servidor_->Detener();
        hilo_.join();
    }
    std::vector<TramaIndice> Recibidas() {
        std::lock_guard<std::mutex> g(m_);
        return recibidas_;
    }
    std::vector<std::uint32_t> Mensajes() {
        std::vector<std::uint32_t> r;
        for (const auto& t : Recibidas()) r.push_back(t.mensaje);
        return r;
    }
    void Olvidar() {
        std::lock_guard<std::mutex> g(m_);
        recibidas_.clear();
    }
    // A frame registered with the server and told its text window. The server's thread may
    // log the frame's 101 after the frame already has the reply, so both are awaited.
    std::unique_ptr<MDI> MarcoConServidor() {
        auto m = MarcoConPaneles(Q(datos_.Ruta()));
        m->BusquedaRapida()->tSrv_Timer();
        EXPECT_TRUE(Esperar([&] { return m->BusquedaRapida()->Enlace().hWndTxtServidor() != 0; }));
        EXPECT_TRUE(Esperar([&] { return Mensajes().size() >= 2; }));
        return m;
    }

    CarpetaTemporal runtime_;
    CarpetaTemporal datos_;
    std::optional<std::string> runtimePrevio_;
    std::unique_ptr<cServidorIndice> servidor_;
    std::thread hilo_;
    std::mutex m_;
    std::vector<TramaIndice> recibidas_;
};

TEST_F(BusquedaRapida, WithoutAServerEveryChangeSaysTheMapIsNotLoaded) {
    DialogosGrabados dialogos;
    auto m = MarcoConPaneles(Q(datos_.Ruta()));
    EXPECT_EQ(m->BusquedaRapida()->tSrv()->interval(), 1000);
    EXPECT_TRUE(m->BusquedaRapida()->tSrv()->isActive());
    m->BusquedaRapida()->tSrv_Timer();
    EXPECT_EQ(m->BusquedaRapida()->Enlace().hWndServidor(), 0);
    QTest::keyClicks(m->txtBuscar(), "ab");
    EXPECT_EQ(dialogos.mensajes, (std::vector<std::string>{"El mapa no esta cargado.", "El mapa no esta cargado."}));
    EXPECT_EQ(m->BusquedaRapida()->Popup(), nullptr);
}

TEST_F(BusquedaRapida, TypingSendsTheLinksOrderAndClearingCancelsAndHidesThePopup) {
    datos_.Archivo("informe.txt", 10);
    IniciarServidor();
    auto m = MarcoConServidor();
    EXPECT_EQ(Mensajes(), (std::vector<std::uint32_t>{100, 101}));
    Olvidar();

    m->txtBuscar()->setFocus();
    QTest::keyClicks(m->txtBuscar(), "i");
    frmBuscarRapido* popup = m->BusquedaRapida()->Popup();
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(popup->isVisible());
    EXPECT_EQ(popup->parentWidget(), m.get());
    EXPECT_TRUE(popup->isWindow());
    ASSERT_TRUE(Esperar([&] { return Mensajes().size() >= 4; }));
    auto r = Recibidas();
    EXPECT_EQ(Mensajes(), (std::vector<std::uint32_t>{102, 103, 12, 106}));
    EXPECT_EQ(r[0].wParam, popup->Handle());
    EXPECT_EQ(r[1].wParam, popup->width() * 100000 + popup->height());
    EXPECT_EQ(r[2].wParam, m->BusquedaRapida()->Enlace().hWndTxtServidor());
    EXPECT_EQ(r[2].datos, "i");
    ASSERT_TRUE(Esperar([&] { return popup->lstAciertos()->topLevelItemCount() == 1; }));
    EXPECT_EQ(popup->lstAciertos()->topLevelItem(0)->text(0), "informe.txt");

    // A popup of 300 x 200 is reported as 30000200.
    Olvidar();
    popup->resize(300, 200);
    ASSERT_TRUE(Esperar([&] { return !Recibidas().empty(); }));
    EXPECT_EQ(Recibidas()[0].mensaje, MSG_TAMANO_POPUP);
    EXPECT_EQ(Recibidas()[0].wParam, 30000200);

    // Clearing the box: 104, popup hidden.
    Olvidar();
    m->txtBuscar()->clear();
    EXPECT_FALSE(popup->isVisible());
    ASSERT_TRUE(Esperar([&] { return !Recibidas().empty(); }));
    EXPECT_EQ(Mensajes(), std::vector<std::uint32_t>{MSG_CANCELAR});

    // Typing again re-sends 102 and 103 before the text; the same popup comes back.
    Olvidar();
    QTest::keyClicks(m->txtBuscar(), "n");
    EXPECT_EQ(m->BusquedaRapida()->Popup(), popup);
    EXPECT_TRUE(popup->isVisible());
    ASSERT_TRUE(Esperar([&] { return Mensajes().size() >= 4; }));
    EXPECT_EQ(Mensajes(), (std::vector<std::uint32_t>{102, 103, 12, 106}));

    // A press on the frame's top bar cancels too.
    Olvidar();
    QWidget* barra = m->findChild<QWidget*>("picB");
    ASSERT_NE(barra, nullptr);
    QMouseEvent pulsar(QEvent::MouseButtonPress, QPointF(2, 2), barra->mapToGlobal(QPointF(2, 2)),
                       Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(barra, &pulsar);
    EXPECT_FALSE(popup->isVisible());
    ASSERT_TRUE(Esperar([&] { return !Recibidas().empty(); }));
    EXPECT_EQ(Mensajes(), std::vector<std::uint32_t>{MSG_CANCELAR});
}

TEST_F(BusquedaRapida, TheTreeAreaTakingTheFocusCancelsAVisiblePopupOnly) {
    IniciarServidor();
    auto m = MarcoConServidor();
    m->activateWindow();
    cVisor* v = m->TabActual()->aVisor();
    v->SetTreeVisible(true);
    auto* arbol = v->findChild<QTreeView*>();
    ASSERT_NE(arbol, nullptr);
    // No popup up: the tree taking the focus sends nothing.
    Olvidar();
    arbol->setFocus();
    m->txtBuscar()->setFocus();
    QTest::keyClicks(m->txtBuscar(), "x");
    ASSERT_TRUE(Esperar([&] { return Mensajes().size() >= 4; }));
    EXPECT_EQ(Mensajes(), (std::vector<std::uint32_t>{102, 103, 12, 106}));
    Olvidar();
    arbol->setFocus();
    ASSERT_TRUE(Esperar([&] { return arbol->hasFocus(); }));
    EXPECT_FALSE(m->BusquedaRapida()->Popup()->isVisible());
    ASSERT_TRUE(Esperar([&] { return !Recibidas().empty(); }));
    EXPECT_EQ(Mensajes(), std::vector<std::uint32_t>{MSG_CANCELAR});
}

TEST_F(BusquedaRapida, TheBoxMarksTheCurrentPaneAsEditingWhileItHasTheFocus) {
    auto m = MarcoConPaneles(Q(datos_.Ruta()));
    m->activateWindow();
    VentanaTab* tab = m->TabActual();
    ASSERT_NE(tab, nullptr);
    EXPECT_FALSE(tab->EditandoFiltro());
    m->txtBuscar()->setFocus();
    ASSERT_TRUE(Esperar([&] { return m->txtBuscar()->hasFocus(); }));
    EXPECT_TRUE(tab->EditandoFiltro());
    tab->EnfocarVisor();
    ASSERT_TRUE(Esperar([&] { return !m->txtBuscar()->hasFocus(); }));
    EXPECT_FALSE(tab->EditandoFiltro());
}

TEST_F(BusquedaRapida, EnterOnAHitOpensItsFolderInTheActivePaneWithTheHitSelected) {
    datos_.Archivo("otra/aqui-esta.txt", 3);
    datos_.Archivo("otra/vecino.txt", 3);
    IniciarServidor();
    auto m = MarcoConServidor();
    QTest::keyClicks(m->txtBuscar(), "aqui");
    frmBuscarRapido* popup = m->BusquedaRapida()->Popup();
    ASSERT_TRUE(Esperar([&] {
        return popup->TextoMostrado() == "aqui" && popup->lstAciertos()->topLevelItemCount() == 1;
    }));
    QTest::keyClick(popup->lstAciertos(), Qt::Key_Return);
    cVisor* v = m->TabActual()->aVisor();
    EXPECT_EQ(v->Contenido().RutaActual, datos_.Ruta("otra/"));
    const auto item = v->Contenido().GetIndexItem("aqui-esta.txt");
    ASSERT_GE(item, 0);
    EXPECT_EQ(v->Seleccion().nSel(), 1);
    EXPECT_EQ(v->Seleccion().sActual(), item);
    EXPECT_FALSE(popup->isVisible());
}

// The box's keys, pressed where the user types: Down and Up choose among the hits, Enter opens
// the chosen one (the first when none is chosen) as a double click does, Escape closes the
// popup and keeps the text, a second Escape clears the box and cancels.
TEST_F(BusquedaRapida, TheBoxsKeysChooseOpenCloseAndClear) {
    datos_.Archivo("pieza.txt", 1);
    datos_.Archivo("a/pieza-dos.txt", 1);
    datos_.Archivo("a/b/pieza-tres.txt", 1);
    IniciarServidor();
    auto m = MarcoConServidor();
    m->activateWindow();
    QLineEdit* txt = m->txtBuscar();
    txt->setFocus();
    ASSERT_TRUE(Esperar([&] { return txt->hasFocus(); }));
    QTest::keyClicks(txt, "pieza");
    frmBuscarRapido* popup = m->BusquedaRapida()->Popup();
    QTreeWidget* lista = popup->lstAciertos();
    ASSERT_TRUE(Esperar([&] { return popup->TextoMostrado() == "pieza" && lista->topLevelItemCount() == 3; }));
    auto fila = [&] { return lista->currentItem() ? lista->indexOfTopLevelItem(lista->currentItem()) : -1; };
    EXPECT_EQ(fila(), -1);
    QTest::keyClick(txt, Qt::Key_Down);
    EXPECT_EQ(fila(), 0);
    QTest::keyClick(txt, Qt::Key_Down);
    QTest::keyClick(txt, Qt::Key_Down);
    QTest::keyClick(txt, Qt::Key_Down);
    EXPECT_EQ(fila(), 2) << "stays on the last";
    QTest::keyClick(txt, Qt::Key_Up);
    EXPECT_EQ(fila(), 1);
    EXPECT_TRUE(txt->hasFocus()) << "the keys leave the focus in the box";
    const std::string elegido = lista->currentItem()->text(1).toStdString() + lista->currentItem()->text(0).toStdString();
    QTest::keyClick(txt, Qt::Key_Return);
    cVisor* v = m->TabActual()->aVisor();
    const std::size_t barra = elegido.rfind('/');
    EXPECT_EQ(v->Contenido().RutaActual, elegido.substr(0, barra + 1));
    const auto item = v->Contenido().GetIndexItem(elegido.substr(barra + 1));
    ASSERT_GE(item, 0);
    EXPECT_EQ(v->Seleccion().sActual(), item);
    EXPECT_FALSE(popup->isVisible());

    // A new search and Enter at once: the first hit.
    txt->setFocus();
    ASSERT_TRUE(Esperar([&] { return txt->hasFocus(); }));
    txt->clear();
    QTest::keyClicks(txt, "pieza-tres");
    ASSERT_TRUE(Esperar([&] { return popup->TextoMostrado() == "pieza-tres" && lista->topLevelItemCount() == 1; }));
    QTest::keyClick(txt, Qt::Key_Enter);
    EXPECT_EQ(v->Contenido().RutaActual, datos_.Ruta("a/b/"));

    // Escape: the popup closes and the text stays; again: the box is cleared and the search
    // cancelled.
    txt->setFocus();
    ASSERT_TRUE(Esperar([&] { return txt->hasFocus(); }));
    txt->clear();
    QTest::keyClicks(txt, "pieza");
    ASSERT_TRUE(popup->isVisible());
    // The search goes out without waiting; its answer shows the server has it before the log
    // is cleared.
    ASSERT_TRUE(Esperar([&] { return popup->TextoMostrado() == "pieza" && lista->topLevelItemCount() == 3; }));
    Olvidar();
    QTest::keyClick(txt, Qt::Key_Escape);
    EXPECT_FALSE(popup->isVisible());
    EXPECT_EQ(txt->text(), "pieza");
    QTest::keyClick(txt, Qt::Key_Escape);
    EXPECT_TRUE(txt->text().isEmpty());
    ASSERT_TRUE(Esperar([&] { return !Mensajes().empty(); }));
    EXPECT_EQ(Mensajes().back(), MSG_CANCELAR);
    // Keys with nothing to act on are the box's as before.
    QTest::keyClick(txt, Qt::Key_Down);
    EXPECT_FALSE(popup->isVisible());
}

// A server still building its first index takes connections but answers nothing: the window's
// ticks and typing never wait on it, and the frame registers once it answers.
TEST_F(BusquedaRapida, TheWindowNeverWaitsOnAServerThatIsStillBuilding) {
    for (int i = 0; i < 400; ++i) datos_.Carpeta("d" + std::to_string(i));
    datos_.Archivo("d7/al-final.txt");
    ArbolLento lento;
    OpcionesServidor op;
    op.raices = {datos_.Ruta()};
    op.archivoIndice = runtime_.Ruta("kartoserv.map");
    cServidorIndice s(op, lento);
    std::thread hilo([&] {
        std::string error;
        if (s.Preparar(error)) s.Ejecutar();
    });
    ASSERT_TRUE(Esperar([&] { return lento.listados > 3; }));
    DialogosGrabados dialogos;
    auto m = MarcoConPaneles(Q(datos_.Ruta()));
    m->txtBuscar()->setFocus();
    qint64 masLarga = 0;
    QElapsedTimer t;
    for (int vuelta = 0; vuelta < 12 && lento.listados < 380; ++vuelta) {
        t.start();
        m->BusquedaRapida()->tSrv_Timer();
        masLarga = std::max(masLarga, t.elapsed());
        t.start();
        QTest::keyClick(m->txtBuscar(), 'a');
        masLarga = std::max(masLarga, t.elapsed());
        QTest::qWait(40);
    }
    EXPECT_LT(masLarga, 20) << "the longest the window waited, in ms";
    EXPECT_FALSE(dialogos.mensajes.empty()) << "typing before the server answers says so";
    // Built (a busy machine may take a while): the ticks find it and the frame is registered.
    QElapsedTimer construccion;
    construccion.start();
    while (lento.listados < 401 && construccion.elapsed() < 60000) QTest::qWait(20);
    EXPECT_TRUE(Esperar([&] {
        m->BusquedaRapida()->tSrv_Timer();
        return m->BusquedaRapida()->Enlace().hWndTxtServidor() != 0;
    }));
    s.Detener();
    hilo.join();
}

TEST_F(BusquedaRapida, AServerThatDiesTakesItsHitsWithIt) {
    datos_.Archivo("viejo.txt", 3);
    IniciarServidor();
    auto m = MarcoConServidor();
    m->txtBuscar()->setFocus();
    QTest::keyClicks(m->txtBuscar(), "viejo");
    frmBuscarRapido* popup = m->BusquedaRapida()->Popup();
    ASSERT_TRUE(Esperar([&] { return popup->lstAciertos()->topLevelItemCount() == 1; }));
    PararServidor();
    ASSERT_TRUE(Esperar([&] { return m->BusquedaRapida()->Enlace().Descriptor() < 0; }));
    EXPECT_EQ(popup->lstAciertos()->topLevelItemCount(), 0);
    EXPECT_TRUE(popup->lblTotal()->text().isEmpty());
    EXPECT_FALSE(popup->isVisible());
    EXPECT_EQ(m->txtBuscar()->text(), "viejo") << "the user's text stays";
}

TEST_F(BusquedaRapida, AServerThatSaysItClosesIsForgottenUntilATickFindsOne) {
    IniciarServidor();
    auto m = MarcoConServidor();
    ASSERT_NE(m->BusquedaRapida()->Enlace().hWndServidor(), 0);
    PararServidor();
    ASSERT_TRUE(Esperar([&] { return m->BusquedaRapida()->Enlace().hWndServidor() == 0; }));
    IniciarServidor();
    // The tick connects; the new server's greeting, when it comes, completes it.
    m->BusquedaRapida()->tSrv_Timer();
    EXPECT_TRUE(Esperar([&] { return m->BusquedaRapida()->Enlace().hWndServidor() == servidor_->Token(); }));
}

}  // namespace
}  // namespace quirvex::prueba
