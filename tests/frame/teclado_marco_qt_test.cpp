// The frame from the keyboard alone: the tab strip's keys, every toolbar control in the Tab
// order from the pane and back, and what the strip tells a screen reader.

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QToolButton>

#include "frame/accesibles_marco_qt.h"
#include "frame/auditoria_accesible_qt.h"
#include "frame/marco_real_qt.h"
#include "operations/frm_operaciones_qt.h"
#include "search/frm_buscar_qt.h"
#include "settings/frm_opciones_qt.h"

namespace quirvex::prueba {
namespace {

class TecladoMarco : public MarcoReal {
protected:
    void SetUp() override {
        MarcoReal::SetUp();
        for (const char* c : {"a/uno", "b/dos", "c/tres"}) tmp.Carpeta(c);
    }
    void TearDown() override {
        SetAvisoAccesible(nullptr);
        mTareas().SetTamanoTramo(0);
        MarcoReal::TearDown();
    }
    static QWidget* Foco() { return QApplication::focusWidget(); }
    bool FocoEn(QWidget* w) const { return Foco() && (Foco() == w || w->isAncestorOf(Foco())); }
    int Actual() const { return m->TabActual() ? m->TabActual()->nTab() : (m->OperacionesVisibles() ? 1 : -1); }
    QWidget* Operaciones() const { return m->Cliente()->findChild<frmOperaciones*>(); }
};

TEST_F(TecladoMarco, CtrlTabPgDnAndCtrlWDriveTheStripAndReachTheOperationsTab) {
    Abrir(tmp.Ruta("a/"));
    Tecla(Qt::Key_T, Qt::ControlModifier);
    ASSERT_EQ(m->ContarTabs(), 2);
    ASSERT_EQ(Actual(), 3);
    // Forward from the last tab wraps to Operations; "New Tab" is a command, never a stop.
    Tecla(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(Actual(), 1);
    EXPECT_TRUE(FocoEn(Operaciones()));
    Tecla(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(Actual(), 2);
    EXPECT_EQ(Foco(), Visor(0)->picM());
    Tecla(Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(Actual(), 3);
    Tecla(Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(Actual(), 2);
    Tecla(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Actual(), 1);
    Tecla(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Actual(), 3);

    // Ctrl+W on a fixed tab does nothing; on a folder tab it closes it as the glyph does.
    Tecla(Qt::Key_PageDown, Qt::ControlModifier);
    ASSERT_EQ(Actual(), 1);
    Tecla(Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(m->ContarTabs(), 2);
    Tecla(Qt::Key_PageDown, Qt::ControlModifier);
    ASSERT_EQ(Actual(), 2);
    VentanaTab* segunda = m->Tabs()[3].Ventana;
    Tecla(Qt::Key_W, Qt::ControlModifier);
    ASSERT_EQ(m->ContarTabs(), 1);
    EXPECT_EQ(m->TabActual(), segunda);
    EXPECT_EQ(Foco(), Visor(0)->picM());
    // The last folder tab stays, as with the mouse.
    Tecla(Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(m->ContarTabs(), 1);
    EXPECT_EQ(Foco(), Visor(0)->picM());
}

TEST_F(TecladoMarco, ATabReachedByKeysIsScrolledIntoAStripTooLongToShowWhole) {
    Abrir(tmp.Ruta("a/"), QSize(520, 500));
    for (int k = 0; k < 14; ++k) m->NuevoTabVisor(Q(tmp.Ruta(k % 2 ? "b/" : "c/")));
    QApplication::processEvents();
    QWidget* area = m->AreaTabsVisible();
    auto seVe = [&](int i) {
        const QRect r(m->Tabs()[static_cast<size_t>(i)].Boton->mapTo(area, QPoint(0, 0)),
                      m->Tabs()[static_cast<size_t>(i)].Boton->size());
        return area->rect().contains(r);
    };
    const int ultimo = static_cast<int>(m->Tabs().size()) - 1;
    ASSERT_FALSE(seVe(ultimo));
    Tecla(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Actual(), 1);
    Tecla(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Actual(), ultimo);
    EXPECT_TRUE(seVe(ultimo));
    m->EnfocarTab(0);
    EXPECT_TRUE(seVe(0));
    // The scroll buttons that now show are named Tab stops.
    const AuditoriaAccesible a = AuditarVentana(m.get(), "folder tab, strip scrolled");
    EXPECT_TRUE(a.sinNombre.isEmpty()) << a.sinNombre.join('\n').toStdString();
    EXPECT_TRUE(a.inalcanzables.isEmpty()) << a.inalcanzables.join('\n').toStdString();
}

TEST_F(TecladoMarco, ASearchTabReachedByKeysTakesTheKeysInItsNameBox) {
    Abrir(tmp.Ruta("a/"));
    m->NuevaBusqueda(Q(tmp.Ruta("a/")));
    auto* f = dynamic_cast<frmBuscar*>(m->TabActual());
    ASSERT_NE(f, nullptr);
    Tecla(Qt::Key_PageUp, Qt::ControlModifier);
    ASSERT_EQ(Actual(), 2);
    Tecla(Qt::Key_PageDown, Qt::ControlModifier);
    ASSERT_EQ(m->TabActual(), f);
    EXPECT_TRUE(FocoEn(f));
}

TEST_F(TecladoMarco, EachTabAndItsCloseGlyphAreNamedObjectsThatAct) {
    Abrir(tmp.Ruta("a/"));
    m->NuevoTabVisor(Q(tmp.Ruta("b/")));
    ASSERT_EQ(m->ContarTabs(), 2);
    QAccessibleInterface* tira = QAccessible::queryAccessibleInterface(m->FilaTabsWidget());
    EXPECT_EQ(tira->role(), QAccessible::PageTabList);
    EXPECT_EQ(tira->text(QAccessible::Name), "Tabs");
    QStringList nombres;
    for (int k = 0; k < tira->childCount(); ++k) nombres << tira->child(k)->text(QAccessible::Name);
    EXPECT_EQ(nombres, (QStringList{"New Tab", "Operations", "a", "b"}));

    QAccessibleInterface* nueva = QAccessible::queryAccessibleInterface(m->Tabs()[3].Boton);
    EXPECT_EQ(nueva->role(), QAccessible::PageTab);
    EXPECT_FALSE(nueva->state().selected);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(m->Tabs()[0].Boton)->childCount(), 0);
    ASSERT_EQ(nueva->childCount(), 1);
    QAccessibleInterface* cerrar = nueva->child(0);
    EXPECT_EQ(cerrar->role(), QAccessible::PushButton);
    EXPECT_EQ(cerrar->text(QAccessible::Name), "Close tab");
    EXPECT_TRUE(nueva->rect().contains(cerrar->rect()));
    ASSERT_NE(cerrar->actionInterface(), nullptr);
    EXPECT_FALSE(cerrar->actionInterface()->keyBindingsForAction(QAccessibleActionInterface::pressAction()).isEmpty());

    // Pressing a tab selects it; pressing its glyph closes it, and the one left has none.
    nueva->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(m->TabActual(), m->Tabs()[3].Ventana);
    EXPECT_TRUE(nueva->state().selected);
    cerrar->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(m->ContarTabs(), 1);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(m->Tabs()[2].Boton)->childCount(), 0);
}

TEST_F(TecladoMarco, TheArrowsMoveAlongTheFocusedStripAndEnterSelects) {
    Abrir(tmp.Ruta("a/"));
    m->NuevoTabVisor(Q(tmp.Ruta("b/")));
    // The tab on screen is the strip's one Tab stop.
    EXPECT_EQ(m->Tabs()[2].Boton->focusPolicy(), Qt::TabFocus);
    EXPECT_EQ(m->Tabs()[3].Boton->focusPolicy(), Qt::NoFocus);
    Tecla(Qt::Key_Tab);
    ASSERT_EQ(Foco(), m->Tabs()[2].Boton);
    Tecla(Qt::Key_Right);
    EXPECT_EQ(Foco(), m->Tabs()[3].Boton);
    EXPECT_EQ(Actual(), 2);
    // Ctrl+W closes the focused tab, not the one on screen.
    VentanaTab* primera = m->TabActual();
    Tecla(Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(m->ContarTabs(), 1);
    EXPECT_EQ(m->TabActual(), primera);
    m->NuevoTabVisor(Q(tmp.Ruta("c/")));
    m->EnfocarTab(2);
    Tecla(Qt::Key_End);
    EXPECT_EQ(Foco(), m->Tabs()[3].Boton);
    Tecla(Qt::Key_Return);
    EXPECT_EQ(Actual(), 3);
    EXPECT_EQ(Visor(0)->RutaActual(), tmp.Ruta("c/"));
    EXPECT_EQ(Foco(), Visor(0)->picM());
    m->EnfocarTab(1);
    Tecla(Qt::Key_Home);
    EXPECT_EQ(Foco(), m->Tabs()[0].Boton);
    Tecla(Qt::Key_Left);
    EXPECT_EQ(Foco(), m->Tabs()[0].Boton);
}

TEST_F(TecladoMarco, TabReachesEveryToolbarControlFromThePaneAndComesBack) {
    Abrir(tmp.Ruta("a/"));
    ASSERT_TRUE(Visor(0)->CargarContenido(tmp.Ruta("b/")));
    ASSERT_TRUE(Visor(0)->CargarContenido(tmp.Ruta("c/")));
    m->cmdBF_Click(0);
    ASSERT_TRUE(m->cmdBF(0)->isEnabled() && m->cmdBF(1)->isEnabled());
    QWidget* pane = Visor(0)->picM();
    pane->setFocus(Qt::OtherFocusReason);
    std::vector<QWidget*> paradas;
    for (int k = 0; k < 40; ++k) {
        Tecla(Qt::Key_Tab);
        if (Foco() == pane) break;
        paradas.push_back(Foco());
    }
    ASSERT_EQ(Foco(), pane) << "Tab never came back to the pane";
    const int nBotonesRuta = static_cast<int>(m->lblRuta().size()) - 1;
    ASSERT_GE(nBotonesRuta, 2);
    std::vector<QWidget*> esperadas = {m->Tabs()[2].Boton, m->cmdBF(0), m->cmdBF(1), m->cmdBF(2)};
    // Levels that do not fit give way, on screen and in the Tab order.
    for (int i = 0; i < nBotonesRuta; ++i)
        if (m->lblRuta()[static_cast<size_t>(i)]->isVisible()) esperadas.push_back(m->lblRuta()[static_cast<size_t>(i)]);
    QList<QLabel*> atajos = m->findChildren<QLabel*>();
    atajos.removeIf([](QLabel* l) { return !l->property("atajo").isValid(); });
    ASSERT_EQ(atajos.size(), 2);
    esperadas.insert(esperadas.end(), {m->txtRuta(), atajos[0], atajos[1], m->cboFiltro(), m->txtFiltro(),
                                       m->chkInfo(), m->txtBuscar()});
    EXPECT_EQ(paradas, esperadas);

    // Shift+Tab goes the same way back, out of the address box as well.
    m->picRuta()->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(m->txtRuta()->hasFocus());
    Tecla(Qt::Key_Backtab, Qt::ShiftModifier);
    const auto caja = std::find(esperadas.begin(), esperadas.end(), m->txtRuta());
    EXPECT_EQ(Foco(), *(caja - 1));
    EXPECT_TRUE(dynamic_cast<QLabel*>(Foco()));
    EXPECT_FALSE(m->txtRuta()->isVisible());
    int pasos = 0;
    while (Foco() != pane && pasos++ < 40) Tecla(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(Foco(), pane);
}

TEST_F(TecladoMarco, SpaceOnAPathButtonOrMyPcGoesThere) {
    Abrir(tmp.Ruta("a/uno/"));
    const int n = static_cast<int>(m->lblRuta().size());
    ASSERT_GE(n, 3);
    m->lblRuta()[static_cast<size_t>(n - 2)]->setFocus(Qt::TabFocusReason);
    Tecla(Qt::Key_Space);
    EXPECT_EQ(Visor(0)->RutaActual(), tmp.Ruta("a/"));
    QList<QLabel*> atajos = m->findChildren<QLabel*>();
    atajos.removeIf([](QLabel* l) { return !l->property("atajo").isValid(); });
    atajos[0]->setFocus(Qt::TabFocusReason);
    Tecla(Qt::Key_Return);
    EXPECT_TRUE(Visor(0)->Contenido().EnMiPC());
    // A reader presses the same link through its action.
    QAccessibleInterface* i = QAccessible::queryAccessibleInterface(atajos[0]);
    EXPECT_EQ(i->role(), QAccessible::Link);
    ASSERT_TRUE(Visor(0)->CargarContenido(tmp.Ruta("a/")));
    i->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(Visor(0)->Contenido().EnMiPC());
}

TEST_F(TecladoMarco, CtrlTabTurnsTheOptionsPages) {
    Abrir(tmp.Ruta("a/"));
    m->MostrarOpciones();
    auto* o = dynamic_cast<frmO*>(m->VentanaOpciones());
    ASSERT_NE(o, nullptr);
    QApplication::setActiveWindow(o);
    ASSERT_TRUE(QTest::qWaitForWindowActive(o));
    o->cmdAceptar()->setFocus();
    Tecla(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(o->Tabs()->currentIndex(), 1);
    Tecla(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    Tecla(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(o->Tabs()->currentIndex(), o->Tabs()->count() - 1);
    Tecla(Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(o->Tabs()->currentIndex(), 0);
    // The frame's tabs do not turn meanwhile.
    EXPECT_EQ(Actual(), 2);
    o->close();
}

TEST_F(TecladoMarco, TheFocusShowsOnAPaneWithNoCurrentItemAndOnAnOperation) {
    Abrir(tmp.Ruta("a/"));
    QWidget* pane = Visor(0)->picM();
    Visor(0)->Seleccion().SetSActual(-1);
    pane->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    const QImage conFoco = pane->grab().toImage();
    m->txtFiltro()->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    EXPECT_NE(pane->grab().toImage(), conFoco);
    pane->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(pane->grab().toImage(), conFoco);

    // An operation's panel is a stop of the list: marked when focused, Space shows its log.
    const std::string b = tmp.ArchivoConTexto("src/b", "B");
    mTareas().AgregarOperacion(TIPO_COPIAR, tmp.Ruta("src/"), tmp.Carpeta("d"), {b});
    ASSERT_TRUE(QTest::qWaitFor([&] { return mTareas().Operaciones().back().Estado == ESTADO_TERMINADA; }, 10000));
    Tecla(Qt::Key_PageUp, Qt::ControlModifier);
    ASSERT_EQ(Actual(), 1);
    auto* ops = m->Cliente()->findChild<frmOperaciones*>();
    const int i = ops->nPaneles() - 1;
    QWidget* panel = ops->picT(i);
    const QImage sinFoco = panel->grab().toImage();
    panel->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    EXPECT_NE(panel->grab().toImage(), sinFoco);
    mTareas().OperacionLog = -1;
    Tecla(Qt::Key_Space);
    EXPECT_EQ(mTareas().OperacionLog, i);
}

// A copy retitles the Operations tab at every step; a reader hears it at most once a second,
// and hears the last title once the copy is over.
TEST_F(TecladoMarco, TheOperationsTabNameIsToldAtMostOnceASecond) {
    Abrir(tmp.Ruta("a/"));
    std::vector<qint64> vistos;
    QElapsedTimer r;
    r.start();
    QObject* boton = m->Tabs()[1].Boton;
    SetAvisoAccesible([&](QAccessibleEvent* e) {
        if (e->type() == QAccessible::NameChanged && e->object() == boton) vistos.push_back(r.elapsed());
    });
    QStringList titulos;
    qint64 ultimoTitulo = 0;
    auto* ops = m->Cliente()->findChild<frmOperaciones*>();
    QObject::connect(ops, &frmOperaciones::TituloCambiado, ops, [&](const QString& t) {
        titulos << t;
        ultimoTitulo = r.elapsed();
    });
    mTareas().SetTamanoTramo(4096);
    const std::string grande = tmp.ArchivoConTexto("src/big", std::string(4000000, 'q'));
    mTareas().AgregarOperacion(TIPO_COPIAR, tmp.Ruta("src/"), tmp.Carpeta("d"), {grande});
    ASSERT_TRUE(QTest::qWaitFor([&] { return mTareas().Operaciones().back().Estado == ESTADO_TERMINADA; }, 60000));
    const qint64 fin = r.elapsed();
    ASSERT_GT(titulos.size(), 10);
    // The title after the copy is told within the second that follows.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !vistos.empty() && vistos.back() >= ultimoTitulo; }, 3000));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(boton)->text(QAccessible::Name), titulos.back());
    for (size_t k = 1; k < vistos.size(); ++k) EXPECT_GE(vistos[k] - vistos[k - 1], 990) << k;
    EXPECT_LE(static_cast<qint64>(vistos.size()), fin / 1000 + 2);
}

TEST_F(TecladoMarco, TheSearchStatusIsToldAsTextWhenTheSearchEnds) {
    Abrir(tmp.Ruta("a/"));
    m->NuevaBusqueda(Q(tmp.Ruta("a/")));
    auto* f = dynamic_cast<frmBuscar*>(m->TabActual());
    ASSERT_NE(f, nullptr);
    QStringList textos;
    SetAvisoAccesible([&](QAccessibleEvent* e) {
        if (e->type() == QAccessible::TextUpdated && e->object() == f->lbl(3))
            textos << static_cast<QAccessibleTextUpdateEvent*>(e)->textInserted();
    });
    f->txtARCHIVO()->setText("uno");
    f->cmdBUSCAR_Click();
    SetAvisoAccesible(nullptr);
    ASSERT_EQ(textos.size(), 1);
    EXPECT_EQ(textos[0], f->lbl(3)->text());
    EXPECT_TRUE(textos[0].startsWith("Found "));
    QAccessibleInterface* i = QAccessible::queryAccessibleInterface(f->lbl(3));
    ASSERT_NE(i->textInterface(), nullptr);
    EXPECT_EQ(i->textInterface()->text(0, i->textInterface()->characterCount()), f->lbl(3)->text());
}

}  // namespace
}  // namespace quirvex::prueba
