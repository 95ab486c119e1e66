// The frame with real folder tabs follows changes on disk made by another process, and the
// changes the operation engine reports.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <csignal>
#include <cstdlib>
#include <filesystem>

#include "frame/tab_falsa_qt.h"
#include "pane/frm_main_qt.h"
#include "operations/tareas.h"
#include "pane/visor_qt.h"

namespace quirvex::prueba {
namespace {

class CambiosMarco : public MarcoTest {
protected:
    std::unique_ptr<MDI> MarcoReal(const QString& carpeta) {
        auto m = std::make_unique<MDI>(
            [](MDI& mdi) -> VentanaTab* { return new frmMain(&mdi, SiguienteIdTab()); }, false);
        m->resize(900, 600);
        m->MDIForm_Load(carpeta);
        return m;
    }
    // Runs the event loop until the condition holds (or 3 s pass).
    static bool Esperar(const std::function<bool()>& condicion) {
        QElapsedTimer t;
        t.start();
        while (!condicion() && t.elapsed() < 3000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return condicion();
    }
    static bool Muestra(VentanaTab* v, const std::string& nombre) {
        return v->ContenidoAVisor()->GetIndexItem(nombre) >= 0;
    }
};

TEST_F(CambiosMarco, PanesOfEveryTabFollowChangesMadeInATerminal) {
    const std::string carpeta = tmp.Carpeta("shown");
    tmp.Archivo("shown/old.txt", 3);
    auto m = MarcoReal(Q(carpeta));
    m->NuevoTabVisor(Q(carpeta));
    const auto& tabs = m->Tabs();
    VentanaTab* a = tabs[2].Ventana;
    VentanaTab* b = tabs[3].Ventana;
    ASSERT_TRUE(Muestra(a, "old.txt"));
    ASSERT_TRUE(Muestra(b, "old.txt"));

    ASSERT_EQ(std::system(("touch '" + carpeta + "new.txt'").c_str()), 0);
    EXPECT_TRUE(Esperar([&] { return Muestra(a, "new.txt") && Muestra(b, "new.txt"); }));

    ASSERT_EQ(std::system(("rm '" + carpeta + "old.txt'").c_str()), 0);
    EXPECT_TRUE(Esperar([&] { return !Muestra(a, "old.txt") && !Muestra(b, "old.txt"); }));

    // The shown folder renamed: the location follows; then deleted: the pane goes to My PC.
    ASSERT_EQ(std::system(("mv '" + carpeta + "' '" + tmp.Ruta("renamed") + "'").c_str()), 0);
    EXPECT_TRUE(Esperar([&] { return a->ContenidoAVisor()->RutaActual == tmp.Ruta("renamed/"); }));
    ASSERT_EQ(std::system(("rm -r '" + tmp.Ruta("renamed") + "'").c_str()), 0);
    EXPECT_TRUE(Esperar([&] { return a->ContenidoAVisor()->EnMiPC() && b->ContenidoAVisor()->EnMiPC(); }));
}

TEST_F(CambiosMarco, TheFrameListensToTheEngineAndPassesItsReportsOn) {
    const std::string carpeta = tmp.Carpeta("target");
    auto m = MarcoReal(Q(carpeta));
    VentanaTab* a = m->Tabs()[2].Ventana;
    tmp.Archivo("target/made.bin", 1);
    // What the engine reports after it writes a file, as the frame hears it.
    static_cast<OyenteCambios&>(*m).ActualizarRuta(CambioRuta{carpeta, "made.bin", "", "A", "Created"});
    EXPECT_TRUE(Esperar([&] { return Muestra(a, "made.bin"); }));
}

}  // namespace
}  // namespace quirvex::prueba

namespace quirvex::prueba {
namespace {

TEST_F(CambiosMarco, QuittingDuringACopyCancelsItAndLeavesNoPartialFile) {
    const std::string origen = tmp.ArchivoConTexto("src/big.bin", std::string(4 << 20, 'x'));  // data, not holes
    const std::string destino = tmp.Carpeta("dst");
    auto m = MarcoReal(Q(destino));
    m->SetAlTerminar([] {});
    mTareas().SetTamanoTramo(64 << 10);  // many chunks, each one a chance to quit
    const auto i = mTareas().AgregarOperacion(TIPO_COPIAR, tmp.Ruta("src/"), destino, {origen});
    bool quitado = false;
    // Quit from inside the engine's yield, as a click on the window's close box would.
    auto* temporizador = new QTimer(m.get());
    QObject::connect(temporizador, &QTimer::timeout, m.get(), [&] {
        if (!quitado && mTareas().Ocupado()) {
            quitado = true;
            m->SALIR();
        }
    });
    temporizador->start(1);
    EXPECT_TRUE(Esperar([&] {
        return quitado && !mTareas().Ocupado() &&
               mTareas().Operaciones()[static_cast<size_t>(i)].Estado == ESTADO_CANCELADA;
    }));
    mTareas().SetTamanoTramo(0);
    EXPECT_FALSE(std::filesystem::exists(destino + "big.bin"));
    EXPECT_TRUE(std::filesystem::exists(origen));
}

// Logout, shutdown or a closed terminal: the signal takes the same path as quitting.
TEST_F(CambiosMarco, ATerminationSignalDuringACopyCancelsItAndLeavesNoPartialFile) {
    for (const int senal : {SIGTERM, SIGHUP, SIGINT}) {
        const std::string origen = tmp.ArchivoConTexto("src/big.bin", std::string(4 << 20, 'x'));  // data, not holes
        const std::string destino = tmp.Carpeta("dst" + std::to_string(senal));
        auto m = MarcoReal(Q(destino));
        int salidas = 0;
        m->SetAlTerminar([&] { ++salidas; });
        mTareas().SetTamanoTramo(64 << 10);
        const auto i = mTareas().AgregarOperacion(TIPO_COPIAR, tmp.Ruta("src/"), destino, {origen});
        bool enviada = false;
        auto* temporizador = new QTimer(m.get());
        QObject::connect(temporizador, &QTimer::timeout, m.get(), [&] {
            if (!enviada && mTareas().Ocupado() && mTareas().Operaciones()[static_cast<size_t>(i)].BytesHechos > 0) {
                enviada = true;
                ::raise(senal);
            }
        });
        temporizador->start(1);
        EXPECT_TRUE(Esperar([&] {
            return enviada && !mTareas().Ocupado() &&
                   mTareas().Operaciones()[static_cast<size_t>(i)].Estado == ESTADO_CANCELADA;
        })) << senal;
        mTareas().SetTamanoTramo(0);
        EXPECT_EQ(salidas, 1) << senal;
        EXPECT_TRUE(std::filesystem::is_empty(destino)) << senal;
        EXPECT_TRUE(std::filesystem::exists(origen));
    }
}

}  // namespace
}  // namespace quirvex::prueba
