#include "operations/frm_sel_qt.h"

#include <gtest/gtest.h>

#include <QTest>

#include "operations/selector.h"
#include "pane/selectores_qt.h"
#include "platform/almacen_archivo.h"
#include "settings/almacen_registro.h"
#include "settings/idioma.h"
#include "settings/opciones.h"
#include "support/aplicacion_qt.h"
#include "support/carpeta_temporal.h"

namespace quirvex {
namespace {

TEST(Selector, ArrowsMoveThroughTheGridAndStopAtItsEdges) {
    EXPECT_EQ(MoverSelector(22, TeclaSelector::Abajo), 22);  // 27 is beyond the last
    EXPECT_EQ(MoverSelector(20, TeclaSelector::Abajo), 25);
    EXPECT_EQ(MoverSelector(3, TeclaSelector::Arriba), 3);
    EXPECT_EQ(MoverSelector(7, TeclaSelector::Arriba), 2);
    EXPECT_EQ(MoverSelector(0, TeclaSelector::Izquierda), 0);
    EXPECT_EQ(MoverSelector(25, TeclaSelector::Derecha), 25);
    EXPECT_EQ(MoverSelector(9, TeclaSelector::Derecha), 10);  // rows run on
    EXPECT_EQ(MoverSelector(13, TeclaSelector::Inicio), 0);
    EXPECT_EQ(MoverSelector(13, TeclaSelector::Fin), 25);
    EXPECT_EQ(MoverSelector(13, TeclaSelector::Otra), 13);
}

class frmSelTest : public ::testing::Test {
protected:
    void SetUp() override {
        prueba::AsegurarAplicacionQt();
        ::setenv("XDG_CONFIG_HOME", config_.Ruta().c_str(), 1);
        SetArchivoRegistro(nullptr);
        Opciones() = RegistroOpciones{};
        CargarIdioma(IdiomasIncorporados()[0].texto);
    }
    void TearDown() override {
        ::unsetenv("XDG_CONFIG_HOME");
        Opciones() = RegistroOpciones{};
    }
    prueba::CarpetaTemporal config_;
};

TEST_F(frmSelTest, ApplyStoresTheChoiceAtOnceAndOnlyWhenItChanged) {
    Opciones().ColorSel = 4;
    frmSel f;
    EXPECT_EQ(f.windowTitle(), "Choose selector");
    EXPECT_EQ(f.Marcado(), 4);
    f.cmdAplicar_Click();  // the same style: nothing is written
    EXPECT_EQ(RegLeerDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "ColorSel", -7), -7);

    frmSel g;
    QTest::keyClick(&g, Qt::Key_Down);
    QTest::keyClick(&g, Qt::Key_Right);
    EXPECT_EQ(g.Marcado(), 10);
    QTest::mouseClick(&g, Qt::LeftButton, {}, g.RectMuestra(17).center());
    EXPECT_EQ(g.Marcado(), 17);
    g.cmdAplicar_Click();
    EXPECT_EQ(Opciones().ColorSel, 17);
    EXPECT_EQ(RegLeerDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "ColorSel", -7), 17);
}

TEST_F(frmSelTest, EachSampleLooksLikeTheSelectionItMakes) {
    frmSel f;
    f.resize(f.size());
    const QImage ventana = f.grab().toImage();
    for (int i : {0, 12, 25}) {
        const QRect r = f.RectMuestra(i);
        EXPECT_EQ(ventana.copy(r).convertToFormat(QImage::Format_ARGB32),
                  MuestraSelector(i, r.size()).convertToFormat(QImage::Format_ARGB32))
            << i;
    }
}

}  // namespace
}  // namespace quirvex
