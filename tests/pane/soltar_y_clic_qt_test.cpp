// The real frame and its panes: a drop list with a URI that would be cut short, and clicks on
// the edge pixel rows of a details row.

#include <QCoreApplication>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QMimeData>
#include <QTest>
#include <filesystem>

#include "frame/tab_falsa_qt.h"
#include "operations/frm_operaciones_qt.h"
#include "pane/frm_main_qt.h"
#include "pane/interaccion_falsa_qt.h"
#include "pane/visor_qt.h"

namespace quirvex::prueba {
namespace {

namespace fs = std::filesystem;

class SoltarYClic : public MarcoTest {
protected:
    static void Soltar(cVisor* v, QMimeData* datos) {
        const QPoint p(30, 30);
        QDragEnterEvent entrar(p, Qt::CopyAction, datos, Qt::LeftButton, {});
        QApplication::sendEvent(v->picM(), &entrar);
        QDropEvent soltar(QPointF(p), Qt::CopyAction, datos, Qt::NoButton, {});
        QApplication::sendEvent(v->picM(), &soltar);
    }
    InteraccionGrabada ui;
};

TEST_F(SoltarYClic, ADroppedUriWithAFragmentIsNotCutToAnotherFile) {
    tmp.ArchivoConTexto("origen/a.txt", "not this one");
    tmp.ArchivoConTexto("origen/b.txt", "hola");
    tmp.Carpeta("destino");
    auto m = MarcoConPaneles(tmp.Ruta("destino/"));
    cVisor* v = m->TabActual()->aVisor();
    frmOperaciones operaciones(mTareas());
    QMimeData datos;
    datos.setData("text/uri-list",
                  QByteArray::fromStdString("file://" + tmp.Ruta("origen/a.txt") + "#old\r\nfile://" +
                                            tmp.Ruta("origen/b.txt") + "\r\n"));
    Soltar(v, &datos);
    ASSERT_TRUE(Esperar([&] { return v->Contenido().GetIndexItem("b.txt") >= 0; }));
    EXPECT_FALSE(fs::exists(tmp.Ruta("destino/a.txt")));
    EXPECT_LT(v->Contenido().GetIndexItem("a.txt"), 0);

    // A list made only of such URIs is no file list: the pane refuses the drop.
    QMimeData malos;
    malos.setData("text/uri-list",
                  QByteArray::fromStdString("file://" + tmp.Ruta("origen/a.txt") + "?v=2\r\n"));
    QDragEnterEvent entrar(QPoint(30, 30), Qt::CopyAction, &malos, Qt::LeftButton, {});
    QApplication::sendEvent(v->picM(), &entrar);
    EXPECT_FALSE(entrar.isAccepted());
}

TEST_F(SoltarYClic, TheLastPixelRowOfADetailsRowSelectsThatRow) {
    for (const char* n : {"a", "b", "c"}) tmp.Archivo(n, 1);
    auto m = MarcoConPaneles(tmp.Ruta());
    cVisor* v = m->TabActual()->aVisor();
    v->SetViewMode(MODO_DETALLES);
    const QRect primera = v->RectItemEnPantalla(0);
    const QRect segunda = v->RectItemEnPantalla(1);
    ASSERT_FALSE(primera.isEmpty());
    ASSERT_EQ(primera.bottom() + 1, segunda.top());
    QTest::mouseClick(v->picM(), Qt::LeftButton, {}, QPoint(primera.left() + 5, primera.bottom()));
    EXPECT_EQ(v->Seleccion().sActual(), 0);
    EXPECT_TRUE(v->Seleccion().Seleccionado(0));
    EXPECT_FALSE(v->Seleccion().Seleccionado(1));
    QTest::mouseClick(v->picM(), Qt::LeftButton, {}, QPoint(segunda.left() + 5, segunda.top()));
    EXPECT_EQ(v->Seleccion().sActual(), 1);
    QTest::mouseClick(v->picM(), Qt::LeftButton, {}, QPoint(segunda.left() + 5, segunda.bottom()));
    EXPECT_EQ(v->Seleccion().sActual(), 1);
    EXPECT_EQ(v->Seleccion().nSel(), 1);
}

}  // namespace
}  // namespace quirvex::prueba
