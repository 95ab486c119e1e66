// The search tab's "Database" source in the assembled frame against a real index server started
// by the test on the socket the frame looks for (a temporary runtime folder): the whole pattern
// and the folder list, every hit, the two sources merged, and a window that never waits.

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest/QTest>
#include <atomic>
#include <filesystem>
#include <thread>

#include "frame/tab_falsa_qt.h"
#include "pane/frm_main_qt.h"
#include "pane/visor_qt.h"
#include "search/busqueda_rapida_qt.h"
#include "search/frm_buscar_qt.h"
#include "search/frm_buscar_rapido_qt.h"
#include "search/servidor_indice.h"
#include "support/fakes.h"

namespace quirvex::prueba {
namespace {

namespace fs = std::filesystem;

// The real tree, each listing slowed down: a first build that lasts.
class ArbolLento final : public ArbolIndice {
public:
    bool Listar(const std::string& c, EstadoCarpeta& e, std::vector<NombreListado>& n) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(80));
        return ArbolSistema().Listar(c, e, n);
    }
    std::optional<EstadoCarpeta> Consultar(const std::string& c) override { return ArbolSistema().Consultar(c); }
    std::int64_t Tamano(const std::string& r) override { return ArbolSistema().Tamano(r); }
};

class BaseDatos : public MarcoTest {
protected:
    void SetUp() override {
        MarcoTest::SetUp();
        if (const char* r = std::getenv("XDG_RUNTIME_DIR")) runtimePrevio_ = r;
        ::setenv("XDG_RUNTIME_DIR", runtime_.Ruta().c_str(), 1);
    }
    void TearDown() override {
        if (servidor_) servidor_->Detener();
        if (hilo_.joinable()) hilo_.join();
        if (runtimePrevio_)
            ::setenv("XDG_RUNTIME_DIR", runtimePrevio_->c_str(), 1);
        else
            ::unsetenv("XDG_RUNTIME_DIR");
        MarcoTest::TearDown();
    }
    // The server prepares (builds) and serves on its own thread; `listo` turns true when it
    // serves, `fallo` when it could not start.
    void IniciarServidor(ArbolIndice& arbol = ArbolSistema()) {
        OpcionesServidor op;
        op.raices = {datos_.Ruta()};
        op.archivoIndice = runtime_.Ruta("kartoserv.map");
        servidor_ = std::make_unique<cServidorIndice>(op, arbol);
        hilo_ = std::thread([this] {
            std::string error;
            if (!servidor_->Preparar(error)) return;
            listo_ = true;
            servidor_->Ejecutar();
        });
    }
    // A search tab on the data folder, opened with F3 from the pane.
    frmBuscar* AbrirBusqueda(MDI& m) {
        auto* carpeta = dynamic_cast<frmMain*>(m.TabActual());
        carpeta->aVisor()->picM()->setFocus();
        QTest::keyClick(carpeta->aVisor()->picM(), Qt::Key_F3);
        return dynamic_cast<frmBuscar*>(m.TabActual());
    }
    static void Buscar(frmBuscar& f, const QString& texto, bool disco, bool bd) {
        f.chkDISCO()->setChecked(disco);
        f.chkBD()->setChecked(bd);
        f.txtARCHIVO()->setText(texto);
        f.cmdBUSCAR_Click();
    }
    static QStringList Filas(frmBuscar& f) {
        QStringList r;
        for (std::size_t i = 0; i < f.Busqueda().Resultados.size(); ++i)
            r << QString::fromStdString(f.Busqueda().RutaCompleta(i));
        r.sort();
        return r;
    }
    bool Terminada(frmBuscar& f) { return Esperar([&] { return !f.Buscando() && f.cmdBUSCAR()->isEnabled(); }); }

    CarpetaTemporal runtime_;
    CarpetaTemporal datos_;
    std::optional<std::string> runtimePrevio_;
    std::unique_ptr<cServidorIndice> servidor_;
    std::atomic<bool> listo_{false};
    std::thread hilo_;
};

TEST_F(BaseDatos, TheIndexFindsWhatTheFolderWalkFindsEachOnceAndTheWindowNeverWaits) {
    for (int i = 0; i < 2500; ++i) datos_.Archivo("lote/nota " + std::to_string(i) + ".txt");
    datos_.Archivo("a/Informe 2024.txt");
    datos_.Archivo("a/b/informe-2024.odt");
    datos_.Archivo("otra/informe 2024.txt");
    datos_.Carpeta("a/informe 2024 viejo");
    IniciarServidor();
    ASSERT_TRUE(Esperar([&] { return listo_.load(); }));
    auto m = MarcoConPaneles(datos_.Ruta("a/"));
    frmBuscar* f = AbrirBusqueda(*m);
    ASSERT_NE(f, nullptr);
    f->AgregarCarpeta(datos_.Ruta("lote/"));

    // "*" inside the pattern, and only the two folders of the list (not "otra").
    Buscar(*f, "INF*2024", false, true);
    EXPECT_TRUE(f->Buscando());  // the hits come to the window's loop, never waited for
    ASSERT_TRUE(Terminada(*f));
    const QStringList esperadas{Q(datos_.Ruta("a/Informe 2024.txt")), Q(datos_.Ruta("a/b/informe-2024.odt"))};
    EXPECT_EQ(Filas(*f), esperadas);
    EXPECT_TRUE(f->lbl(3)->text().startsWith("Found 2 files in")) << f->lbl(3)->text().toStdString();

    // Every hit, far past the popup's hundred, and the same list as the folder walk's.
    Buscar(*f, "*.txt", false, true);
    ASSERT_TRUE(Terminada(*f));
    const QStringList indice = Filas(*f);
    EXPECT_EQ(indice.size(), 2501);
    Buscar(*f, "*.txt", true, false);
    ASSERT_TRUE(Terminada(*f));
    EXPECT_EQ(Filas(*f), indice);
    // Both: each file once.
    Buscar(*f, "*.txt", true, true);
    ASSERT_TRUE(Terminada(*f));
    EXPECT_EQ(Filas(*f), indice);
    EXPECT_EQ(f->Modelo()->rowCount(), 2501);
    EXPECT_TRUE(f->lbl(3)->text().startsWith("Found 2501 files in")) << f->lbl(3)->text().toStdString();
}

TEST_F(BaseDatos, WithoutAServerTheStatusLineSaysSoAndTheFolderWalkStillRuns) {
    datos_.Archivo("a/nota.txt");
    auto m = MarcoConPaneles(datos_.Ruta("a/"));
    frmBuscar* f = AbrirBusqueda(*m);
    ASSERT_NE(f, nullptr);
    Buscar(*f, "nota", false, true);
    ASSERT_TRUE(Terminada(*f));
    EXPECT_TRUE(Filas(*f).isEmpty());
    EXPECT_TRUE(f->lbl(3)->text().contains("The index server is not running")) << f->lbl(3)->text().toStdString();
    Buscar(*f, "nota", true, true);
    ASSERT_TRUE(Terminada(*f));
    EXPECT_EQ(Filas(*f), QStringList{Q(datos_.Ruta("a/nota.txt"))});
    EXPECT_TRUE(f->lbl(3)->text().contains("not running"));
    // Only the walk: nothing is said of the server.
    Buscar(*f, "nota", true, false);
    ASSERT_TRUE(Terminada(*f));
    EXPECT_FALSE(f->lbl(3)->text().contains("not running"));
}

// While the server builds its first index, the quick-search box and the search tab say so
// instead of finding nothing in silence; once it is built, the box says nothing more.
TEST_F(BaseDatos, WhileTheServerBuildsTheQuickSearchBoxAndTheSearchTabSaySo) {
    for (int i = 0; i < 60; ++i) datos_.Archivo("c" + std::to_string(i) + "/nota.txt");
    ArbolLento lento;
    IniciarServidor(lento);
    ASSERT_TRUE(Esperar([&] { return fs::exists(runtime_.Ruta("MapServiceQx")); }));
    auto m = MarcoConPaneles(datos_.Ruta());
    QLineEdit* caja = m->txtBuscar();
    m->BusquedaRapida()->tSrv_Timer();
    ASSERT_TRUE(Esperar([&] { return caja->placeholderText().toStdString() == Texto(General, 140); }));
    EXPECT_EQ(caja->toolTip().toStdString(), Texto(General, 140));
    ASSERT_FALSE(listo_.load()) << "the build ended before the test looked";
    // Typing shows the word in the popup, not an empty list.
    ASSERT_TRUE(Esperar([&] { return m->BusquedaRapida()->Enlace().hWndTxtServidor() != 0; }));
    caja->setFocus();
    QTest::keyClicks(caja, "nota");
    ASSERT_TRUE(Esperar([&] { return m->BusquedaRapida()->PopupVisible(); }));
    EXPECT_EQ(m->BusquedaRapida()->Popup()->lblTotal()->text().toStdString(), Texto(General, 140));

    frmBuscar* f = AbrirBusqueda(*m);
    ASSERT_NE(f, nullptr);
    Buscar(*f, "nota", false, true);
    ASSERT_TRUE(Terminada(*f));
    EXPECT_TRUE(f->lbl(3)->text().contains("still building")) << f->lbl(3)->text().toStdString();

    ASSERT_TRUE(Esperar([&] { return listo_.load(); }) || Esperar([&] { return listo_.load(); }));
    ASSERT_TRUE(Esperar([&] { return caja->placeholderText() == "Quick Search"; }));
    EXPECT_TRUE(caja->toolTip().isEmpty());
    Buscar(*f, "nota", false, true);
    ASSERT_TRUE(Terminada(*f));
    EXPECT_EQ(Filas(*f).size(), 60);
}

}  // namespace
}  // namespace quirvex::prueba
