// The pane's keys and mouse as a user drives them: keys and clicks go to the items surface
// through the hosting window, pop-up menus and the program chooser are recorded instead of shown.

#include <QTest>
#include <gtest/gtest.h>

#include "pane/entorno_qt.h"
#include "pane/frm_main_qt.h"
#include "pane/interaccion_falsa_qt.h"
#include "pane/visor_qt.h"

namespace quirvex {
namespace {

using prueba::CarpetaTemporal;

QString Q(const std::string& s) { return QString::fromStdString(s); }

class EntradaVisor : public ::testing::Test, public prueba::ConAplicacion {
protected:
    // Four columns of icons and two rows per page.
    void SetUp() override { host.resize(350, 330); }

    cVisor* Abrir(const std::string& carpeta) {
        host.CargarVisores(Q(carpeta));
        host.show();
        return host.aVisor();
    }
    cVisor* AbrirArchivos(int n) {
        for (int k = 0; k < n; ++k) tmp.Archivo("f" + std::to_string(k), 1);
        return Abrir(tmp.Ruta());
    }
    static void Tecla(cVisor* v, Qt::Key k, Qt::KeyboardModifiers m = {}) {
        QTest::keyClick(v->picM(), k, m);
    }
    static int Actual(cVisor* v) { return v->Seleccion().sActual(); }
    static int Indice(cVisor* v, const std::string& nombre) {
        return static_cast<int>(v->Contenido().GetIndexItem(nombre));
    }
    // A point on the item's picture.
    static QPoint Sobre(cVisor* v, int i) { return v->RectItemEnPantalla(i).topLeft() + QPoint(37, 20); }

    CarpetaTemporal tmp;
    prueba::MarcoGrabador marco;
    prueba::InteraccionGrabada ui;
    frmMain host{&marco, 1};
};

TEST_F(EntradaVisor, PageAndArrowKeysMoveThroughTheGridAndStopAtItsEdges) {
    cVisor* v = AbrirArchivos(10);
    ASSERT_EQ(v->Distribucion().Geometria().IcoEX, 4);
    ASSERT_EQ(v->Distribucion().FilasPagina(), 2);
    v->Seleccion().SELECCIONAR(3, SEL_EXCLUSIVA, true);
    Tecla(v, Qt::Key_PageDown);  // 3 + 8 does not exist: the last item instead
    EXPECT_EQ(Actual(v), 9);
    EXPECT_EQ(v->Seleccion().nSel(), 1);
    EXPECT_TRUE(v->Seleccion().Seleccionado(9));
    Tecla(v, Qt::Key_PageDown);
    EXPECT_EQ(Actual(v), 9);
    Tecla(v, Qt::Key_PageUp);
    EXPECT_EQ(Actual(v), 1);
    Tecla(v, Qt::Key_PageUp);
    EXPECT_EQ(Actual(v), 0);
    Tecla(v, Qt::Key_Up);  // first row
    EXPECT_EQ(Actual(v), 0);
    Tecla(v, Qt::Key_Down);
    Tecla(v, Qt::Key_Right);
    EXPECT_EQ(Actual(v), 5);
    Tecla(v, Qt::Key_End);
    Tecla(v, Qt::Key_Down);  // last row
    Tecla(v, Qt::Key_Right);
    EXPECT_EQ(Actual(v), 9);
    Tecla(v, Qt::Key_Home);
    Tecla(v, Qt::Key_Left);
    EXPECT_EQ(Actual(v), 0);
    EXPECT_EQ(v->Seleccion().nSel(), 1);
}

TEST_F(EntradaVisor, InDetailsUpAndDownStepOneRow) {
    cVisor* v = AbrirArchivos(5);
    v->SetViewMode(MODO_DETALLES);
    v->Seleccion().SELECCIONAR(0, SEL_EXCLUSIVA, true);
    Tecla(v, Qt::Key_Up);
    EXPECT_EQ(Actual(v), 0);
    Tecla(v, Qt::Key_Down);
    Tecla(v, Qt::Key_Down);
    EXPECT_EQ(Actual(v), 2);
}

TEST_F(EntradaVisor, CtrlMovesTheCurrentItemAndSpaceTogglesItShiftExtends) {
    Opciones().SelectionMode = MODO_SEL_XP;
    cVisor* v = AbrirArchivos(10);
    QTest::mouseClick(v->picM(), Qt::LeftButton, {}, Sobre(v, 0));
    QTest::mouseClick(v->picM(), Qt::LeftButton, Qt::ControlModifier, Sobre(v, 1));
    ASSERT_EQ(v->Seleccion().nSel(), 2);
    Tecla(v, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(Actual(v), 5);
    EXPECT_EQ(v->Seleccion().nSel(), 2);
    EXPECT_FALSE(v->Seleccion().Seleccionado(5));
    Tecla(v, Qt::Key_Space, Qt::ControlModifier);
    EXPECT_TRUE(v->Seleccion().Seleccionado(5));
    EXPECT_EQ(v->Seleccion().nSel(), 3);
    Tecla(v, Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(v->Seleccion().nSel(), 2);
    // Ctrl with the page keys does nothing.
    Tecla(v, Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(Actual(v), 5);

    QTest::mouseClick(v->picM(), Qt::LeftButton, {}, Sobre(v, 2));
    Tecla(v, Qt::Key_Right, Qt::ShiftModifier);
    Tecla(v, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(v->Seleccion().nSel(), 3);
    EXPECT_EQ(Actual(v), 4);
}

TEST_F(EntradaVisor, LettersTypeAheadAndDigitsDoNot) {
    tmp.Archivo("1.txt", 1);
    tmp.Archivo("x.txt", 1);
    cVisor* v = Abrir(tmp.Ruta());
    Tecla(v, Qt::Key_1);
    EXPECT_EQ(Actual(v), -1);
    Tecla(v, Qt::Key_X);
    EXPECT_EQ(Actual(v), Indice(v, "x.txt"));
}

TEST_F(EntradaVisor, BackspaceGoesUpAndAltArrowsWalkTheHistory) {
    tmp.Carpeta("sub");
    cVisor* v = Abrir(tmp.Ruta("sub/"));
    Tecla(v, Qt::Key_Backspace);
    EXPECT_EQ(v->RutaActual(), tmp.Ruta());
    Tecla(v, Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(v->RutaActual(), tmp.Ruta("sub/"));
    Tecla(v, Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(v->RutaActual(), tmp.Ruta());
    Tecla(v, Qt::Key_Right, Qt::AltModifier);  // nothing ahead
    EXPECT_EQ(v->RutaActual(), tmp.Ruta());
}

TEST_F(EntradaVisor, TheMenuKeyOpensTheItemMenuOrTheBackgroundMenu) {
    cVisor* v = AbrirArchivos(3);
    Tecla(v, Qt::Key_Menu);
    v->Seleccion().SELECCIONAR(1, SEL_EXCLUSIVA, true);
    Tecla(v, Qt::Key_Menu);
    EXPECT_EQ(ui.menus, (QStringList{"mnuPC", "mnuPA"}));
}

TEST_F(EntradaVisor, KeyboardMovesKeepTheCurrentItemOnScreen) {
    cVisor* v = AbrirArchivos(60);
    v->Seleccion().SELECCIONAR(0, SEL_EXCLUSIVA, true);
    Tecla(v, Qt::Key_End);
    EXPECT_GT(v->vsbValue(), 0);
    EXPECT_TRUE(v->picM()->rect().contains(v->RectItemEnPantalla(59)));
    Tecla(v, Qt::Key_Home);
    EXPECT_EQ(v->vsbValue(), 0);
}

TEST_F(EntradaVisor, RightClickOnOneOfFiveSelectedKeepsThemAndShowsTheItemMenu) {
    Opciones().SelectionMode = MODO_SEL_XP;
    cVisor* v = AbrirArchivos(8);
    QTest::mouseClick(v->picM(), Qt::LeftButton, {}, Sobre(v, 0));
    QTest::mouseClick(v->picM(), Qt::LeftButton, Qt::ShiftModifier, Sobre(v, 4));
    ASSERT_EQ(v->Seleccion().nSel(), 5);
    QTest::mouseClick(v->picM(), Qt::RightButton, {}, Sobre(v, 2));
    EXPECT_EQ(v->Seleccion().nSel(), 5);
    EXPECT_EQ(Actual(v), 2);
    EXPECT_EQ(ui.menus, QStringList{"mnuPA"});
    // An unselected item is selected alone first.
    QTest::mouseClick(v->picM(), Qt::RightButton, {}, Sobre(v, 6));
    EXPECT_EQ(v->Seleccion().nSel(), 1);
    EXPECT_TRUE(v->Seleccion().Seleccionado(6));
    // Released away from the pressed item: the background menu.
    QTest::mousePress(v->picM(), Qt::RightButton, {}, Sobre(v, 6));
    QTest::mouseRelease(v->picM(), Qt::RightButton, {}, Sobre(v, 7));
    EXPECT_EQ(ui.menus, (QStringList{"mnuPA", "mnuPA", "mnuPC"}));
}

TEST_F(EntradaVisor, EmptySpaceClearsTheSelectionExceptCtrlPastTheLastItem) {
    cVisor* v = AbrirArchivos(10);
    QTest::mouseClick(v->picM(), Qt::LeftButton, {}, Sobre(v, 0));
    QTest::mouseClick(v->picM(), Qt::LeftButton, Qt::ControlModifier, Sobre(v, 1));
    ASSERT_EQ(v->Seleccion().nSel(), 2);
    const int ancho = v->Distribucion().Geometria().IcoW;
    const QPoint despues = Sobre(v, 9) + QPoint(ancho, 0);  // the cell an eleventh item would take
    QTest::mouseClick(v->picM(), Qt::LeftButton, Qt::ControlModifier, despues);
    EXPECT_EQ(v->Seleccion().nSel(), 2);
    // Between items, Ctrl does not keep it.
    const QPoint hueco = v->RectItemEnPantalla(2).topLeft() + QPoint(2, 2);
    QTest::mouseClick(v->picM(), Qt::LeftButton, Qt::ControlModifier, hueco);
    EXPECT_EQ(v->Seleccion().nSel(), 0);
    EXPECT_EQ(Actual(v), -1);
    QTest::mouseClick(v->picM(), Qt::RightButton, {}, despues);
    EXPECT_EQ(ui.menus, QStringList{"mnuPC"});
}

TEST_F(EntradaVisor, DraggingASelectedItemStartsADragOnce) {
    cVisor* v = AbrirArchivos(3);
    const QPoint p = Sobre(v, 1);
    QTest::mousePress(v->picM(), Qt::LeftButton, {}, p);
    for (int k = 1; k <= 3; ++k) {
        QMouseEvent mover(QEvent::MouseMove, p + QPoint(10 * k, 0),
                          v->picM()->mapToGlobal(p + QPoint(10 * k, 0)), Qt::NoButton,
                          Qt::LeftButton, {});
        QApplication::sendEvent(v->picM(), &mover);
    }
    EXPECT_EQ(ui.arrastres, 1);
}

TEST_F(EntradaVisor, ShiftDoubleClickOpensAFolderInANewTabAndCtrlInANewPane) {
    tmp.Carpeta("sub");
    cVisor* v = Abrir(tmp.Ruta());
    QTest::mouseDClick(v->picM(), Qt::LeftButton, Qt::ShiftModifier, Sobre(v, Indice(v, "sub")));
    EXPECT_EQ(marco.tabs, QStringList{Q(tmp.Ruta("sub"))});
    EXPECT_EQ(v->RutaActual(), tmp.Ruta());
    QTest::mouseDClick(v->picM(), Qt::LeftButton, Qt::ControlModifier, Sobre(v, Indice(v, "sub")));
    ASSERT_EQ(host.nVisores(), 2);
    EXPECT_EQ(host.aVisor()->RutaActual(), tmp.Ruta("sub/"));
    EXPECT_EQ(v->RutaActual(), tmp.Ruta());
}

TEST_F(EntradaVisor, DoubleClickOpensAFileWithItsProgramOrOffersTheChooser) {
    prueba::AsociacionesFalsas asociaciones;
    tmp.Archivo("nota.txt", 1);
    tmp.Archivo("dato.bin", 1);
    tmp.Carpeta("sub");
    cVisor* v = Abrir(tmp.Ruta());
    QTest::mouseDClick(v->picM(), Qt::LeftButton, {}, Sobre(v, Indice(v, "nota.txt")));
    using Par = std::pair<std::string, std::string>;
    EXPECT_EQ(asociaciones.lanzados, (std::vector<Par>{{"editor.desktop", tmp.Ruta("nota.txt")}}));
    EXPECT_TRUE(ui.elegidos.empty());
    QTest::mouseDClick(v->picM(), Qt::LeftButton, {}, Sobre(v, Indice(v, "dato.bin")));
    EXPECT_EQ(ui.elegidos, std::vector<std::string>{tmp.Ruta("dato.bin")});
    EXPECT_EQ(asociaciones.lanzados.size(), 1u);
    // Enter with a folder and a file selected opens the file only.
    v->Seleccion().SELECCIONAR(Indice(v, "sub"), SEL_EXCLUSIVA, true);
    v->Seleccion().SELECCIONAR(Indice(v, "nota.txt"), SEL_ALTERNAR, true);
    Tecla(v, Qt::Key_Return);
    EXPECT_EQ(asociaciones.lanzados.size(), 2u);
    EXPECT_EQ(v->RutaActual(), tmp.Ruta());
}

}  // namespace
}  // namespace quirvex
