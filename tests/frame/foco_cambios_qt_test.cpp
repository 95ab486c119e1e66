// Where the keyboard goes after the panes or tabs change and after Escape in the address box:
// always to the active pane's item surface, so the next arrow key, Del or Enter acts on items.

#include <QLabel>
#include <QLineEdit>

#include "frame/marco_real_qt.h"

namespace quirvex::prueba {
namespace {

class FocoTrasCambios : public MarcoReal {
protected:
    void SetUp() override {
        MarcoReal::SetUp();
        for (const char* c : {"a", "b"})
            for (int k = 0; k < 5; ++k) tmp.Archivo(std::string(c) + "/" + c + std::to_string(k), 1);
    }
    static int Actual(cVisor* v) { return v->Seleccion().sActual(); }
    // The keys reach the active pane: End then Home move its current item.
    void LasTeclasLlegan(cVisor* v) {
        ASSERT_EQ(QApplication::focusWidget(), v->picM());
        ASSERT_GT(v->nItems(), 1);
        Tecla(Qt::Key_End);
        EXPECT_EQ(Actual(v), v->nItems() - 1);
        Tecla(Qt::Key_Home);
        EXPECT_EQ(Actual(v), 0);
    }
    void AbrirCaja() {
        Clic(m->picRuta(), QPoint(m->picRuta()->width() - 8, 12));
        ASSERT_TRUE(m->txtRuta()->hasFocus());
    }
};

TEST_F(FocoTrasCambios, AfterF8CtrlRAndClosingATabTheActivePaneHasTheKeys) {
    Abrir(tmp.Ruta("a/"));
    ASSERT_TRUE(Tab()->AgregarVisor(tmp.Ruta("b/")));
    Clic(Visor(1)->picM(), SobreItem(Visor(1), 0));
    ASSERT_EQ(QApplication::focusWidget(), Visor(1)->picM());
    // F8 closes the last pane, which held the keys.
    Tecla(Qt::Key_F8);
    ASSERT_EQ(Tab()->nVisores(), 1);
    LasTeclasLlegan(Visor(0));
    // Ctrl+R from the address box: the new pane takes the keys, not the box.
    AbrirCaja();
    QTest::keyClick(m->txtRuta(), Qt::Key_R, Qt::ControlModifier);
    QCoreApplication::processEvents();
    ASSERT_EQ(Tab()->nVisores(), 2);
    EXPECT_FALSE(m->txtRuta()->isVisible());
    LasTeclasLlegan(Tab()->aVisor());
    // F8 while the address box is open.
    AbrirCaja();
    QTest::keyClick(m->txtRuta(), Qt::Key_F8);
    ASSERT_EQ(Tab()->nVisores(), 1);
    LasTeclasLlegan(Visor(0));
    // A second tab, closed while it has the keys: the tab shown next has them.
    m->NuevoTabVisor(Q(tmp.Ruta("b/")));
    m->e_tabB_Click(3);
    ASSERT_EQ(m->TabActual(), m->Tabs()[3].Ventana);
    LasTeclasLlegan(Visor(0));
    m->CerrarTab(3);
    QCoreApplication::processEvents();
    ASSERT_EQ(m->TabActual(), m->Tabs()[2].Ventana);
    LasTeclasLlegan(Visor(0));
}

TEST_F(FocoTrasCambios, ClosingAMiddlePaneHandsTheKeysToThePaneThatTakesItsPlace) {
    Abrir(tmp.Ruta("a/"));
    ASSERT_TRUE(Tab()->AgregarVisor(tmp.Ruta("b/")));
    ASSERT_TRUE(Tab()->AgregarVisor(tmp.Ruta("a/")));
    Clic(Visor(1)->picM(), SobreItem(Visor(1), 0));
    cVisor* tercero = Visor(2);
    Tab()->CerrarVisor(1);
    QCoreApplication::processEvents();
    ASSERT_EQ(Tab()->aVisor(), tercero);
    LasTeclasLlegan(tercero);
}

TEST_F(FocoTrasCambios, EscapeInTheAddressBoxDropsTheTextShowsTheButtonsAndGivesBackTheKeys) {
    Abrir(tmp.Ruta("a/"));
    const QStringList botones = m->TextosRuta();
    AbrirCaja();
    QTest::keyClicks(m->txtRuta(), Q(tmp.Ruta("b")));
    QTest::keyClick(m->txtRuta(), Qt::Key_Escape);
    EXPECT_FALSE(m->txtRuta()->isVisible());
    EXPECT_EQ(Visor(0)->RutaActual(), tmp.Ruta("a/"));
    EXPECT_EQ(m->TextosRuta(), botones);
    for (QLabel* l : m->lblRuta()) EXPECT_TRUE(l->isVisible()) << l->text().toStdString();
    LasTeclasLlegan(Visor(0));
    // The typed text is gone: the box opens again on the pane's own path, and Enter on it
    // goes nowhere else.
    AbrirCaja();
    EXPECT_EQ(m->txtRuta()->text(), Q(tmp.Ruta("a/")));
    QTest::keyClick(m->txtRuta(), Qt::Key_Return);
    EXPECT_EQ(Visor(0)->RutaActual(), tmp.Ruta("a/"));
    EXPECT_TRUE(dialogos.mensajes.empty());
    // Escape after a text that named nothing: the kept text goes too.
    AbrirCaja();
    QTest::keyClicks(m->txtRuta(), "/no/hay/tal");
    QTest::keyClick(m->txtRuta(), Qt::Key_Return);
    ASSERT_EQ(dialogos.mensajes.size(), 1u);
    AbrirCaja();
    QTest::keyClick(m->txtRuta(), Qt::Key_Escape);
    AbrirCaja();
    EXPECT_EQ(m->txtRuta()->text(), Q(tmp.Ruta("a/")));
    QTest::keyClick(m->txtRuta(), Qt::Key_Escape);
    LasTeclasLlegan(Visor(0));
}

}  // namespace
}  // namespace quirvex::prueba
