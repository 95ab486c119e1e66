// The operations window over a queue of its own: panels, progress, log, cancel, and being
// destroyed while the engine yields inside the window's own timer tick.

#include <gtest/gtest.h>

#include <QImage>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <filesystem>

#include "operations/frm_operaciones_qt.h"
#include "operations/tareas_fixture.h"
#include "support/aplicacion_qt.h"
#include "support/fakes.h"

namespace quirvex {
namespace {

namespace fs = std::filesystem;
using prueba::Contenido;
using prueba::LeerTodo;

class FrmOperacionesTest : public ::testing::Test {
protected:
    void SetUp() override {
        prueba::AplicacionPrueba();
        CargarIdioma(IdiomasIncorporados()[0].texto);
        t.SetTamanoTramo(4096);
    }
    const Operacion& Op(std::size_t i) const { return t.Operaciones()[i]; }
    bool Esperar(const std::function<bool()>& condicion) {
        return QTest::qWaitFor(condicion, 10000);
    }
    bool Terminadas() const {
        for (const Operacion& op : t.Operaciones())
            if (op.Estado != ESTADO_TERMINADA && op.Estado != ESTADO_CANCELADA) return false;
        return !t.Ocupado();
    }
    // Pixels of the red error note on a panel.
    static int PuntosRojos(QWidget* panel) {
        const QImage img = panel->grab().toImage();
        int n = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QColor c = img.pixelColor(x, y);
                if (c.red() > 150 && c.green() < 70 && c.blue() < 70) ++n;
            }
        return n;
    }

    prueba::CarpetaTemporal tmp;
    prueba::DialogosGrabados dialogos;
    cTareas t;
};

TEST_F(FrmOperacionesTest, AQueuedCopyShowsItsPanelAndProgressReaches100) {
    frmOperaciones w(t);
    w.resize(760, 360);
    w.show();
    QStringList titulos;
    QObject::connect(&w, &frmOperaciones::TituloCambiado, [&](const QString& s) { titulos << s; });
    EXPECT_EQ(w.Titulo(), "Operations");
    EXPECT_EQ(w.txtLOG()->toPlainText(), "(With no errors)");
    EXPECT_FALSE(w.tIni()->isActive());

    const std::string datos = Contenido(40960);
    const std::string a = tmp.ArchivoConTexto("src/a.bin", datos);
    t.AgregarOperacion(TIPO_COPIAR, tmp.Ruta("src/"), tmp.Carpeta("dst"), {a});
    ASSERT_EQ(w.nPaneles(), 1);
    EXPECT_TRUE(w.tIni()->isActive());
    EXPECT_EQ(w.tIni()->interval(), 100);
    EXPECT_TRUE(w.bar(0)->isVisible());
    EXPECT_EQ(w.cmdCancelar(0)->text(), "Cancel");
    EXPECT_EQ(w.cmdPausa(0)->text(), "Pause");

    ASSERT_TRUE(Esperar([&] { return Terminadas(); }));
    EXPECT_EQ(Op(0).Estado, ESTADO_TERMINADA);
    EXPECT_EQ(LeerTodo(tmp.Ruta("dst/a.bin")), datos);
    EXPECT_EQ(w.bar(0)->value(), 100);
    EXPECT_FALSE(w.bar(0)->isVisible());
    EXPECT_EQ(w.cmdCancelar(0)->text(), "Undo");
    EXPECT_TRUE(titulos.contains("Operations (0) 50%"));
    EXPECT_TRUE(titulos.contains("Operations (0) 100%"));
    EXPECT_EQ(titulos.back(), "Operations");
    EXPECT_EQ(w.windowTitle(), "Operations");
    EXPECT_EQ(w.txtLOG()->toPlainText(), "(With no errors)");
    // Clicking the panel that is already selected changes nothing.
    QTest::mouseClick(w.picT(0), Qt::LeftButton, {}, QPoint(20, 30));
    EXPECT_EQ(w.txtLOG()->toPlainText(), "(With no errors)");
    EXPECT_EQ(PuntosRojos(w.picT(0)), 0);
}

// A picture of the window with a failed, a running and a waiting operation, for a person to
// look at: set QUIRVEX_CAPTURAS to a folder.
TEST_F(FrmOperacionesTest, Captura) {
    const QByteArray dir = qgetenv("QUIRVEX_CAPTURAS");
    if (dir.isEmpty()) GTEST_SKIP();
    frmOperaciones w(t);
    w.resize(820, 420);
    w.show();
    const std::string a = tmp.ArchivoConTexto("src/a", Contenido(400000));
    t.AgregarOperacion(TIPO_COPIAR, tmp.Ruta("src/"), tmp.Carpeta("d"), {tmp.Ruta("src/nope")});
    t.AgregarOperacion(TIPO_COPIAR, tmp.Ruta("src/"), tmp.Carpeta("d2"), {a});
    t.AgregarOperacion(TIPO_BORRAR, tmp.Ruta("src/"), "", {tmp.Ruta("src/x")});
    bool hecha = false;
    QObject::connect(&w, &frmOperaciones::TituloCambiado, [&](const QString& s) {
        if (hecha || !s.endsWith("45%")) return;
        hecha = true;
        w.grab().save(QString::fromLocal8Bit(dir) + "/operaciones.png");
    });
    ASSERT_TRUE(Esperar([&] { return Terminadas(); }));
    EXPECT_TRUE(hecha);
    w.grab().save(QString::fromLocal8Bit(dir) + "/operaciones_fin.png");
}

TEST_F(FrmOperacionesTest, AnOperationQueuedBehindARunningOneWaitsAndTheCaptionCountsIt) {
    frmOperaciones w(t);
    w.show();
    QStringList titulos;
    QObject::connect(&w, &frmOperaciones::TituloCambiado, [&](const QString& s) { titulos << s; });
    const std::string a = tmp.ArchivoConTexto("src/a", Contenido(400000));
    const std::string b = tmp.ArchivoConTexto("src/b", "B");
    std::int32_t estadoSegundo = 0;
    // A slow disk: the start timer ticks while the first copy still runs.
    t.SetCeder([] {
        QCoreApplication::processEvents();
        QThread::msleep(2);
    });
    t.AgregarOperacion(TIPO_COPIAR, tmp.Ruta("src/"), tmp.Carpeta("d1"), {a});
    QTimer sondeo;
    QObject::connect(&sondeo, &QTimer::timeout, [&] {
        if (t.Ocupado() && t.Operaciones().size() == 1) {
            t.AgregarOperacion(TIPO_COPIAR, tmp.Ruta("src/"), tmp.Carpeta("d2"), {b});
            estadoSegundo = Op(1).Estado;
        }
    });
    sondeo.start(1);
    ASSERT_TRUE(Esperar([&] { return t.Operaciones().size() == 2 && Terminadas(); }));
    EXPECT_EQ(estadoSegundo, ESTADO_ESPERANDO);
    EXPECT_EQ(w.nPaneles(), 2);
    EXPECT_TRUE(titulos.contains("Operations (1) ..."));
    EXPECT_EQ(LeerTodo(tmp.Ruta("d2/b")), "B");
    EXPECT_EQ(w.Titulo(), "Operations");
}

TEST_F(FrmOperacionesTest, AFailureShowsInTheLogAndAsARedNoteInTheTitle) {
    frmOperaciones w(t);
    w.resize(760, 360);
    w.show();
    const std::string falta = tmp.Ruta("src/missing.txt");
    const std::string b = tmp.ArchivoConTexto("src/b", "B");
    t.AgregarOperacion(TIPO_COPIAR, tmp.Ruta("src/"), tmp.Carpeta("d"), {falta});
    t.AgregarOperacion(TIPO_COPIAR, tmp.Ruta("src/"), tmp.Carpeta("d"), {b});
    ASSERT_TRUE(Esperar([&] { return Terminadas(); }));
    ASSERT_EQ(Op(0).NumErrores, 1);
    EXPECT_EQ(w.txtLOG()->toPlainText(), QString::fromStdString("Missing: " + falta));
    QApplication::processEvents();
    EXPECT_GT(PuntosRojos(w.picT(0)), 0);
    EXPECT_EQ(PuntosRojos(w.picT(1)), 0);

    QTest::mouseClick(w.picT(1), Qt::LeftButton, {}, QPoint(20, 30));
    EXPECT_EQ(t.OperacionLog, 1);
    EXPECT_EQ(w.txtLOG()->toPlainText(), "(Sin errores)");
    // The note stays red on the panel that is no longer selected.
    EXPECT_GT(PuntosRojos(w.picT(0)), 0);
    QTest::mouseClick(w.picT(0), Qt::LeftButton, {}, QPoint(20, 30));
    EXPECT_EQ(w.txtLOG()->toPlainText(), QString::fromStdString("Missing: " + falta));
    EXPECT_TRUE(dialogos.mensajes.empty());
}

TEST_F(FrmOperacionesTest, TheCancelButtonStopsTheCopyAndThenOffersUndo) {
    frmOperaciones w(t);
    w.show();
    const std::string a = tmp.ArchivoConTexto("src/big", Contenido(2000000));
    const std::string previo = tmp.ArchivoConTexto("src/first", "F");
    bool pulsado = false;
    QObject::connect(&w, &frmOperaciones::TituloCambiado, [&](const QString& s) {
        if (pulsado || !s.endsWith('%') || Op(0).Actual.empty() || Op(0).Destino.find("big") == std::string::npos)
            return;
        pulsado = true;
        // Pressed while the engine yields, as a user would.
        QTimer::singleShot(0, w.cmdCancelar(0), [&] { QTest::mouseClick(w.cmdCancelar(0), Qt::LeftButton); });
    });
    t.AgregarOperacion(TIPO_COPIAR, tmp.Ruta("src/"), tmp.Carpeta("d"), {previo, a});
    ASSERT_TRUE(Esperar([&] { return Terminadas(); }));
    ASSERT_TRUE(pulsado);
    EXPECT_EQ(Op(0).Estado, ESTADO_CANCELADA);
    EXPECT_EQ(LeerTodo(tmp.Ruta("d/first")), "F");
    EXPECT_FALSE(fs::exists(tmp.Ruta("d/big")));
    EXPECT_EQ(w.cmdCancelar(0)->text(), "Undo");
    EXPECT_FALSE(w.bar(0)->isVisible());

    // Undo asks first (the recorded answer is not a yes); an ended operation has no pause.
    QTest::mouseClick(w.cmdCancelar(0), Qt::LeftButton);
    QTest::mouseClick(w.cmdPausa(0), Qt::LeftButton);
    EXPECT_FALSE(w.cmdPausa(0)->isEnabled());
    ASSERT_EQ(dialogos.mensajes.size(), 1u);
    EXPECT_EQ(dialogos.mensajes[0], Texto(General, 203));
    EXPECT_EQ(t.UltimoIndice(), 0);
    EXPECT_EQ(Op(0).Estado, ESTADO_CANCELADA);
    EXPECT_EQ(LeerTodo(tmp.Ruta("d/first")), "F");
}

TEST_F(FrmOperacionesTest, PauseHoldsTheCopyBetweenChunksAndContinueResumesIt) {
    frmOperaciones w(t);
    w.show();
    const std::string datos = Contenido(400000);
    const std::string a = tmp.ArchivoConTexto("src/big", datos);
    const std::string b = tmp.ArchivoConTexto("src/b", "B");
    // The engine waits inside the event loop while paused, so what a user does meanwhile comes
    // as events: the press, the look a moment later, and Continue.
    bool pausado = false;
    QString texto;
    std::int64_t hechos = -1, despues = -2;
    std::int32_t detras = 0;
    QObject::connect(&w, &frmOperaciones::TituloCambiado, [&](const QString& s) {
        if (pausado || !s.endsWith('%')) return;
        pausado = true;
        QTimer::singleShot(0, w.cmdPausa(0), [&] { QTest::mouseClick(w.cmdPausa(0), Qt::LeftButton); });
        QTimer::singleShot(200, w.cmdPausa(0), [&] {
            texto = w.cmdPausa(0)->text();
            hechos = Op(0).BytesHechos;
        });
        QTimer::singleShot(500, w.cmdPausa(0), [&] {
            despues = Op(0).BytesHechos;
            detras = Op(1).Estado;
            QTest::mouseClick(w.cmdPausa(0), Qt::LeftButton);
        });
    });
    t.AgregarOperacion(TIPO_COPIAR, tmp.Ruta("src/"), tmp.Carpeta("d"), {a});
    t.AgregarOperacion(TIPO_COPIAR, tmp.Ruta("src/"), tmp.Carpeta("d2"), {b});
    ASSERT_TRUE(Esperar([&] { return Terminadas(); }));
    EXPECT_EQ(texto, "Continue");
    EXPECT_EQ(hechos, despues);  // a paused copy writes nothing
    EXPECT_LT(hechos, static_cast<std::int64_t>(datos.size()));
    EXPECT_EQ(detras, ESTADO_ESPERANDO);  // and the one behind it waits
    EXPECT_GT(Op(0).UltimaPausa, 0);
    EXPECT_EQ(w.cmdPausa(0)->text(), "Pause");
    EXPECT_EQ(LeerTodo(tmp.Ruta("d/big")), datos);
    EXPECT_EQ(LeerTodo(tmp.Ruta("d2/b")), "B");
    EXPECT_TRUE(dialogos.mensajes.empty());
}

TEST_F(FrmOperacionesTest, UndoRunsAsAnOperationOfItsOwnWithItsOwnPanel) {
    frmOperaciones w(t);
    w.show();
    const std::string a = tmp.ArchivoConTexto("src/a", "A");
    const std::string d = tmp.Carpeta("d");
    t.AgregarOperacion(TIPO_MOVER, tmp.Ruta("src/"), d, {a});
    ASSERT_TRUE(Esperar([&] { return Terminadas(); }));
    ASSERT_FALSE(fs::exists(a));
    QTest::mouseClick(w.cmdCancelar(0), Qt::LeftButton);  // a move is undone without a question
    ASSERT_EQ(w.nPaneles(), 2);
    ASSERT_TRUE(Esperar([&] { return Terminadas(); }));
    EXPECT_EQ(LeerTodo(a), "A");
    EXPECT_EQ(Op(1).Tipo, TIPO_DESHACER);
    EXPECT_EQ(w.cmdCancelar(1)->text(), "Undo");
    EXPECT_FALSE(w.cmdCancelar(0)->isEnabled());  // undone once
    EXPECT_TRUE(dialogos.mensajes.empty());
}

TEST_F(FrmOperacionesTest, TheWindowMayBeDestroyedWhileTheEngineYieldsInItsTick) {
    auto* w = new frmOperaciones(t);
    w->show();
    const std::string datos = Contenido(300000);
    const std::string a = tmp.ArchivoConTexto("src/a", datos);
    const std::string b = tmp.ArchivoConTexto("src/b", "B");
    bool borrado = false;
    QObject::connect(w, &frmOperaciones::TituloCambiado, [&](const QString& s) {
        if (borrado || !s.endsWith('%')) return;
        borrado = true;
        QTimer::singleShot(0, qApp, [&] {
            EXPECT_TRUE(t.Ocupado());
            delete w;
            w = nullptr;
        });
    });
    t.AgregarOperacion(TIPO_COPIAR, tmp.Ruta("src/"), tmp.Carpeta("d1"), {a});
    t.AgregarOperacion(TIPO_COPIAR, tmp.Ruta("src/"), tmp.Carpeta("d2"), {b});
    ASSERT_TRUE(Esperar([&] { return Terminadas(); }));
    EXPECT_EQ(w, nullptr);
    EXPECT_EQ(LeerTodo(tmp.Ruta("d1/a")), datos);
    EXPECT_EQ(LeerTodo(tmp.Ruta("d2/b")), "B");
    QApplication::processEvents();

    // A new window shows what the queue holds.
    frmOperaciones otra(t);
    EXPECT_EQ(otra.nPaneles(), 2);
    EXPECT_EQ(otra.cmdCancelar(1)->text(), "Undo");
    EXPECT_FALSE(otra.tIni()->isActive());
}

TEST_F(FrmOperacionesTest, SetIdiomaRetextsTheWindow) {
    frmOperaciones w(t);
    t.AgregarOperacion(TIPO_COPIAR, tmp.Ruta("src/"), tmp.Carpeta("d"), {tmp.Ruta("nada")});
    ASSERT_TRUE(CargarIdiomaIncorporado(1));
    w.SetIdioma();
    EXPECT_EQ(w.Titulo().toStdString(), Texto(frmOperations, 0) + " (0) ...");
    EXPECT_EQ(w.cmdCancelar(0)->text().toStdString(), Texto(frmOperations, 3));
    EXPECT_NE(w.cmdCancelar(0)->text(), "Cancel");
    ASSERT_TRUE(Esperar([&] { return Terminadas(); }));
}

}  // namespace
}  // namespace quirvex
