// The frame's address bar and filter box acting on the active pane of fake folder tabs.

#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QToolButton>
#include <filesystem>

#include "frame/tab_falsa_qt.h"
#include "support/fakes.h"

namespace quirvex::prueba {
namespace {

class BarraDireccion : public MarcoTest {
protected:
    void SetUp() override {
        MarcoTest::SetUp();
        tmp.Carpeta("docs/sub");
        tmp.Archivo("docs/nota.txt", 4);
        tmp.Archivo("docs/plano.doc", 8);
        m = Marco(Q(tmp.Ruta("docs")));
        QApplication::setActiveWindow(m.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(m.get()));
        tab = Falsa(*m, 2);
        c = tab->ContenidoAVisor();
    }
    void Entrar(const QString& texto) {
        m->picRuta_GotFocus();
        m->txtRuta()->setText(texto);
        QTest::keyClick(m->txtRuta(), Qt::Key_Return);
    }
    std::unique_ptr<MDI> m;
    TabFalsa* tab = nullptr;
    cContenidoVisor* c = nullptr;
};

TEST_F(BarraDireccion, EnterOnAFolderGoesThereAndGivesTheFocusBackToThePane) {
    DialogosGrabados dialogos;
    Entrar(Q(tmp.Ruta("docs/sub")));
    EXPECT_EQ(c->RutaActual, tmp.Ruta("docs/sub/"));
    EXPECT_TRUE(dialogos.mensajes.empty());
    EXPECT_TRUE(tab->hasFocus());
    EXPECT_FALSE(m->txtRuta()->isVisible());
    EXPECT_EQ(m->TextosRuta().back(), "sub");
    EXPECT_EQ(m->EstadoAtrasAdelante(0), 1);
}

TEST_F(BarraDireccion, EnterOnAFileHandsItOverAndShowsTheLocationAgain) {
    DialogosGrabados dialogos;
    Entrar(Q(tmp.Ruta("docs/nota.txt")));
    EXPECT_EQ(tab->abiertos, QStringList{Q(tmp.Ruta("docs/nota.txt"))});
    EXPECT_EQ(c->RutaActual, tmp.Ruta("docs/"));
    EXPECT_EQ(m->txtRuta()->text(), Q(tmp.Ruta("docs/")));
    EXPECT_TRUE(dialogos.mensajes.empty());
}

TEST_F(BarraDireccion, MiPcInAnyCaseShowsTheDrivesButMyPcDoesNot) {
    DialogosGrabados dialogos;
    Entrar("Mi Pc");
    EXPECT_TRUE(c->EnMiPC());
    Entrar(Q(tmp.Ruta("docs")));
    Entrar("My PC");
    EXPECT_FALSE(c->EnMiPC());
    EXPECT_EQ(dialogos.mensajes, std::vector<std::string>{"La ruta no existe."});
}

TEST_F(BarraDireccion, TheSameUnknownTextTwiceIsReportedOnce) {
    DialogosGrabados dialogos;
    Entrar("/no/such/place");
    Entrar("/no/such/place");
    EXPECT_EQ(dialogos.mensajes.size(), 1u);
    EXPECT_EQ(m->txtRuta()->text(), "/no/such/place");  // the text stays in the box
    EXPECT_EQ(c->RutaActual, tmp.Ruta("docs/"));
}

TEST_F(BarraDireccion, CtrlCCopiesTheWholeAddressAndCopyMenuIsOffWhileEditing) {
    m->picRuta_GotFocus();
    ASSERT_TRUE(m->txtRuta()->hasFocus());
    EXPECT_FALSE(tab->copiarPegar);
    EXPECT_TRUE(tab->editandoFiltro);
    m->txtRuta()->setSelection(0, 3);
    QTest::keyClick(m->txtRuta(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), Q(tmp.Ruta("docs/")));
    tab->setFocus();
    EXPECT_TRUE(tab->copiarPegar);
    EXPECT_FALSE(tab->editandoFiltro);
    EXPECT_FALSE(m->txtRuta()->isVisible());
}

TEST_F(BarraDireccion, PathLabelsGoToTheirAncestorExceptTheLast) {
    const QStringList partes = m->TextosRuta();
    ASSERT_GE(partes.size(), 4);
    EXPECT_EQ(partes[0], "My PC");
    EXPECT_EQ(partes[1], "/");
    EXPECT_EQ(partes.back(), "docs");
    m->lblRuta_Click(static_cast<int>(partes.size()) - 1);
    EXPECT_EQ(c->RutaActual, tmp.Ruta("docs/"));
    m->lblRuta_Click(static_cast<int>(partes.size()) - 2);
    EXPECT_EQ(c->RutaActual, tmp.Ruta());
}

TEST_F(BarraDireccion, BackForwardAndHistoryFollowTheActivePane) {
    c->CargarContenido(tmp.Ruta("docs/sub"), true);
    tab->ActualizarAtrasAdelante();
    EXPECT_EQ(m->EstadoAtrasAdelante(0), 1);
    EXPECT_EQ(m->EstadoAtrasAdelante(1), 0);
    m->cmdBF_Click(0);
    EXPECT_EQ(c->RutaActual, tmp.Ruta("docs/"));
    EXPECT_EQ(m->EstadoAtrasAdelante(0), 0);
    EXPECT_EQ(m->EstadoAtrasAdelante(1), 1);
    m->cmdBF_Click(2);
    const QList<QAction*> items = m->mnuPBF()->actions();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0]->text(), "docs");
    EXPECT_EQ(items[1]->text(), "sub");
    EXPECT_TRUE(items[0]->isChecked());
    EXPECT_FALSE(items[1]->isChecked());
    items[1]->trigger();
    m->mnuPBF()->hide();
    EXPECT_EQ(c->RutaActual, tmp.Ruta("docs/sub/"));
    // The shortcuts go to My PC; the address follows.
    m->lblAD_Click(0);
    EXPECT_TRUE(c->EnMiPC());
    EXPECT_EQ(m->txtRuta()->text(), "My PC");
}

TEST_F(BarraDireccion, FilterBoxShowsTheActivePanesFilterOnEveryTabChange) {
    c->txtFiltro = "*.doc";
    c->cboFiltro = 2;
    m->NuevoTabVisor(Q(tmp.Ruta()));
    m->e_tabB_Click(3);
    EXPECT_EQ(m->txtFiltro()->text(), "*");
    EXPECT_EQ(m->cboFiltro()->currentIndex(), 0);
    m->e_tabB_Click(2);
    EXPECT_EQ(m->txtFiltro()->text(), "*.doc");
    EXPECT_EQ(m->cboFiltro()->currentIndex(), 2);
    EXPECT_EQ(m->cboFiltro()->currentText(), "Only Files");
}

TEST_F(BarraDireccion, EnterInTheFilterBoxFiltersTheActivePaneFromTheCachedListing) {
    m->txtFiltro()->setFocus();
    EXPECT_TRUE(tab->editandoFiltro);  // no type-ahead in the pane meanwhile
    m->txtFiltro()->setText("*.doc");
    QTest::keyClick(m->txtFiltro(), Qt::Key_Return);
    EXPECT_EQ(c->txtFiltro, "*.doc");
    ASSERT_EQ(c->nArchivos, 1);
    EXPECT_EQ(c->Items[1].Nombre, "plano.doc");  // folders first: "sub" passes "Filter Files"
    m->cboFiltro()->setCurrentIndex(2);
    m->cboFiltro_Click();
    EXPECT_EQ(c->cboFiltro, 2);
    EXPECT_EQ(c->nMostrados(), 1);
    tab->setFocus();
    EXPECT_FALSE(tab->editandoFiltro);
}

}  // namespace
}  // namespace quirvex::prueba
