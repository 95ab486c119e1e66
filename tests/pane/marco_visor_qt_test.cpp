// The pane's input inside the real frame: new tabs from the keyboard and the mouse, and a drop
// that the frame's operation queue carries out.

#include <QCoreApplication>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QMimeData>
#include <QTest>
#include <filesystem>

#include "frame/tab_falsa_qt.h"
#include "operations/frm_operaciones_qt.h"
#include "operations/portapapeles_qt.h"
#include "pane/frm_main_qt.h"
#include "pane/interaccion_falsa_qt.h"
#include "pane/menus_visor_qt.h"
#include "pane/visor_qt.h"

namespace quirvex::prueba {
namespace {

class MarcoVisor : public MarcoTest {
protected:
    InteraccionGrabada ui;
};

TEST_F(MarcoVisor, ShiftDoubleClickOpensABackgroundTabAndNewTabComesForward) {
    tmp.Carpeta("sub");
    auto m = MarcoConPaneles(Q(tmp.Ruta()));
    auto* tab = dynamic_cast<frmMain*>(m->TabActual());
    ASSERT_NE(tab, nullptr);
    cVisor* v = tab->aVisor();
    const int antes = m->ContarTabs();
    const QPoint sobre =
        v->RectItemEnPantalla(static_cast<int>(v->Contenido().GetIndexItem("sub"))).topLeft() +
        QPoint(37, 20);
    QTest::mouseDClick(v->picM(), Qt::LeftButton, Qt::ShiftModifier, sobre);
    ASSERT_EQ(m->ContarTabs(), antes + 1);
    EXPECT_EQ(m->TabActual(), tab);
    EXPECT_EQ(m->Tabs().back().Ventana->ContenidoAVisor()->RutaActual, tmp.Ruta("sub/"));
    tab->Menus().Accion("mnuXaddTab")->trigger();
    EXPECT_EQ(m->ContarTabs(), antes + 2);
    EXPECT_NE(m->TabActual(), tab);
}

TEST_F(MarcoVisor, ADroppedFileIsCopiedAndShownInThePane) {
    const std::string a = tmp.ArchivoConTexto("origen/a.txt", "hola");
    tmp.Carpeta("destino");
    auto m = MarcoConPaneles(Q(tmp.Ruta("destino/")));
    cVisor* v = m->TabActual()->aVisor();
    // The window that runs the program's queue.
    frmOperaciones operaciones(mTareas());
    std::unique_ptr<QMimeData> datos(CrearDatosArchivos({a}));
    const QPoint p(30, 30);
    QDragEnterEvent entrar(p, Qt::CopyAction, datos.get(), Qt::LeftButton, {});
    QApplication::sendEvent(v->picM(), &entrar);
    QDropEvent soltar(QPointF(p), Qt::CopyAction, datos.get(), Qt::NoButton, {});
    QApplication::sendEvent(v->picM(), &soltar);
    EXPECT_TRUE(Esperar([&] { return v->Contenido().GetIndexItem("a.txt") >= 0; }));
    EXPECT_TRUE(std::filesystem::exists(tmp.Ruta("origen/a.txt")));
    EXPECT_EQ(std::filesystem::file_size(tmp.Ruta("destino/a.txt")), 4u);
}

}  // namespace
}  // namespace quirvex::prueba
