// File lists through a real X clipboard, against another program: xclip. Each side must read
// what the other owns, byte for byte, with names that need escaping (a space, "#", bytes that
// are not UTF-8). Runs on a private X server started by tools/con_xvfb.sh; without one every
// test is skipped with the reason, never passed. There is no clipboard manager under Xvfb, so
// the owner of a selection must stay alive while the other side reads it.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDeadlineTimer>
#include <QMimeData>
#include <QProcess>
#include <QStandardPaths>
#include <cstdlib>

#include "operations/lista_uris.h"
#include "operations/portapapeles_qt.h"
#include "settings/idioma.h"
#include "support/carpeta_temporal.h"
#include "support/fakes.h"

namespace quirvex {
namespace {

// Why these tests cannot run here; empty when they can.
std::string SinServidorX() {
    if (const char* motivo = std::getenv("QUIRVEX_SIN_X"); motivo && *motivo) return motivo;
    if (!std::getenv("DISPLAY")) return "no X display: run through tools/con_xvfb.sh";
    if (QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty())
        return "xclip is not installed";
    return {};
}

// Lets the event loop run (this process may own the selection and must answer the other side)
// until `hecho` holds; false after a generous bound, so a broken exchange fails instead of
// hanging.
template <typename F>
bool EsperarMientrasAtiende(F&& hecho) {
    QDeadlineTimer limite(30000);
    while (!hecho()) {
        if (limite.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

class PortapapelesX11 : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string motivo = SinServidorX();
        if (!motivo.empty()) GTEST_SKIP() << motivo;
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char nombre[] = "quirvex_x11_tests";
            static char* argv[] = {nombre, nullptr};
            qputenv("QT_QPA_PLATFORM", "xcb");
            new QApplication(argc, argv);
        }
        CargarIdioma(IdiomasIncorporados()[0].texto);
        rutas = {tmp.Archivo("a b.txt"), tmp.Archivo("x#y"), tmp.Archivo("caf\xE9 \xFF.bin")};
    }
    void TearDown() override {
        if (xclip.state() != QProcess::NotRunning) {
            xclip.kill();
            xclip.waitForFinished();
        }
    }

    prueba::DialogosGrabados dialogos;
    prueba::CarpetaTemporal tmp;
    std::vector<std::string> rutas;
    QProcess xclip;
};

TEST_F(PortapapelesX11, AListTheProgramCopiesReadsBackThroughXclip) {
    ASSERT_TRUE(PonerEnPortapapeles(rutas));
    xclip.start(QStringLiteral("xclip"),
                {"-selection", "clipboard", "-t", "text/uri-list", "-o"});
    ASSERT_TRUE(xclip.waitForStarted());
    ASSERT_TRUE(EsperarMientrasAtiende([&] { return xclip.state() == QProcess::NotRunning; }))
        << "xclip got no answer from the program";
    ASSERT_EQ(xclip.exitCode(), 0) << xclip.readAllStandardError().toStdString();
    const QByteArray leido = xclip.readAllStandardOutput();
    EXPECT_EQ(leido.toStdString(), TextoListaUris(rutas));
    EXPECT_EQ(RutasDeListaUris(std::string_view(leido.constData(), static_cast<size_t>(leido.size()))),
              rutas);
    EXPECT_TRUE(dialogos.mensajes.empty());
}

TEST_F(PortapapelesX11, AListXclipOwnsPastesIntoTheProgram) {
    const std::string lista = TextoListaUris(rutas);
    // -quiet keeps xclip in the foreground, owning the selection until it is killed.
    xclip.start(QStringLiteral("xclip"),
                {"-quiet", "-selection", "clipboard", "-t", "text/uri-list", "-i"});
    ASSERT_TRUE(xclip.waitForStarted());
    xclip.write(lista.data(), static_cast<qint64>(lista.size()));
    xclip.closeWriteChannel();

    // The program sees the new owner once the server has told it; until then it may still read
    // its own earlier list.
    ListaPortapapeles leida;
    ASSERT_TRUE(EsperarMientrasAtiende([&] {
        const QMimeData* m = QGuiApplication::clipboard()->mimeData();
        if (!m || !m->hasFormat(QStringLiteral("text/uri-list"))) return false;
        leida = LeerPortapapeles();
        return leida.rutas == rutas || xclip.state() == QProcess::NotRunning;
    })) << "the list xclip owns never reached the program";
    EXPECT_EQ(leida.rutas, rutas);
    EXPECT_FALSE(leida.cortar);
    EXPECT_EQ(xclip.state(), QProcess::Running) << xclip.readAllStandardError().toStdString();
    EXPECT_TRUE(dialogos.mensajes.empty());
}

}  // namespace
}  // namespace quirvex
