// The frame's tab strip and saved tabs, driven through the frame with fake folder tabs.

#include <QAccessible>
#include <QTest>

#include "frame/controles_marco_qt.h"
#include "frame/tab_falsa_qt.h"
#include "support/fakes.h"

namespace quirvex::prueba {
namespace {

using TiraTabs = MarcoTest;

QPoint CentroGlifo(const BotonTab* b) { return QPoint(b->width() - 12, b->height() / 2); }

TEST_F(TiraTabs, LoadMakesTheFixedTabsAndTheFirstFolderTabNamedByItsFolder) {
    tmp.Carpeta("uno");
    auto m = Marco(Q(tmp.Ruta("uno")));
    ASSERT_EQ(m->Tabs().size(), 3u);
    EXPECT_EQ(m->TabsFijos(), 2);
    EXPECT_EQ(m->Tabs()[0].Texto, "New Tab");
    EXPECT_EQ(m->Tabs()[1].Texto, "Operations");
    EXPECT_EQ(m->Tabs()[2].Texto, "uno");
    EXPECT_EQ(m->TabActual(), m->Tabs()[2].Ventana);
    EXPECT_EQ(m->Tabs()[2].Estado, TAB_ELEGIDO);
    EXPECT_TRUE(m->CargaTerminada());

    // Assistive tools see a page tab list of page tabs named by their captions.
    QAccessibleInterface* lista = QAccessible::queryAccessibleInterface(m->FilaTabsWidget());
    ASSERT_NE(lista, nullptr);
    EXPECT_EQ(lista->role(), QAccessible::PageTabList);
    ASSERT_EQ(lista->childCount(), 3);
    EXPECT_EQ(lista->child(0)->role(), QAccessible::PageTab);
    EXPECT_EQ(lista->child(2)->text(QAccessible::Name), "uno");
    EXPECT_TRUE(lista->child(2)->state().selected);
    EXPECT_FALSE(lista->child(0)->state().selected);
}

TEST_F(TiraTabs, NewTabIsRefusedAfterSixteenFolderTabsEvenWhenSomeWereClosed) {
    DialogosGrabados dialogos;
    auto m = Marco();
    for (int i = 0; i < 15; ++i) m->e_tabB_Click(0);
    EXPECT_EQ(m->ContarTabs(), 16);
    EXPECT_TRUE(dialogos.mensajes.empty());
    m->CerrarTab(5);
    m->CerrarTab(5);
    EXPECT_EQ(m->ContarTabs(), 14);
    m->e_tabB_Click(0);
    EXPECT_EQ(m->ContarTabs(), 14);
    ASSERT_EQ(dialogos.mensajes.size(), 1u);
    EXPECT_EQ(dialogos.mensajes[0], "Can't open more than 16 tabs on this version.");
}

TEST_F(TiraTabs, NewTabOpensAtTheDefaultFolderAndIsSelected) {
    Ajustar("Default Folder Option", 0);
    Ajustar("Default Folder Path", tmp.Carpeta("inicio"));
    auto m = Marco();
    m->e_tabB_Click(0);
    ASSERT_EQ(m->ContarTabs(), 2);
    EXPECT_EQ(m->TabActual(), m->Tabs()[3].Ventana);
    EXPECT_EQ(m->TabActual()->RutaActual(), Q(tmp.Ruta("inicio/")));
    EXPECT_EQ(m->Tabs()[2].Estado, TAB_NORMAL);
}

TEST_F(TiraTabs, WithOneFolderTabTheGlyphIsAbsentAndAClickOnlySelects) {
    auto m = Marco();
    BotonTab* b = m->Tabs()[2].Boton;
    const int anchoSolo = b->width();
    QTest::mouseClick(b, Qt::LeftButton, {}, CentroGlifo(b));
    EXPECT_EQ(m->ContarTabs(), 1);

    m->NuevoTabVisor(Q(tmp.Ruta()));
    EXPECT_EQ(m->Tabs()[2].Boton->width(), anchoSolo + 26);
    // The second tab opened in the background.
    EXPECT_EQ(m->TabActual(), m->Tabs()[2].Ventana);
    QTest::mouseClick(m->Tabs()[3].Boton, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(m->TabActual(), m->Tabs()[3].Ventana);
    QTest::mouseClick(m->Tabs()[3].Boton, Qt::LeftButton, {}, CentroGlifo(m->Tabs()[3].Boton));
    EXPECT_EQ(m->ContarTabs(), 1);
    EXPECT_EQ(m->Tabs()[2].Boton->width(), anchoSolo);
    // Fixed tabs never close.
    m->CerrarTab(1);
    EXPECT_EQ(m->Tabs().size(), 3u);
}

TEST_F(TiraTabs, LongCaptionsAreShortenedButTheTooltipKeepsThemAndFixedTabsNever) {
    auto m = Marco();
    const QString largo = QString(60, QChar('x'));
    m->SetTextoTab(2, largo, true);
    EXPECT_TRUE(m->Tabs()[2].Texto.endsWith(QChar(0x2026)));
    EXPECT_LT(m->Tabs()[2].Texto.size(), largo.size());
    EXPECT_EQ(m->Tabs()[2].Boton->toolTip(), largo);
    m->SetTextoTab(0, largo, true);
    EXPECT_EQ(m->Tabs()[0].Texto, largo);
}

class TresTabs : public MarcoTest {
protected:
    void SetUp() override {
        MarcoTest::SetUp();
        for (const char* n : {"a", "b", "c"}) tmp.Carpeta(n);
        m = Marco(Q(tmp.Ruta("a")));
        m->NuevoTabVisor(Q(tmp.Ruta("b")));
        m->NuevoTabVisor(Q(tmp.Ruta("c")));
    }
    QStringList Textos() const {
        QStringList t;
        for (size_t i = 2; i < m->Tabs().size(); ++i) t << m->Tabs()[i].Texto;
        return t;
    }
    // The records, their buttons and their windows' nTab agree after any change.
    void Coherente() const {
        for (size_t i = 0; i < m->Tabs().size(); ++i) {
            const RegistroTab& r = m->Tabs()[i];
            EXPECT_EQ(r.Boton->Indice(), static_cast<int>(i));
            if (r.Ventana) {
                EXPECT_EQ(r.Ventana->nTab(), static_cast<int>(i));
            }
            EXPECT_EQ(r.Boton->toolTip(), r.TextoCompleto);
        }
        for (size_t i = 1; i < m->Tabs().size(); ++i)
            EXPECT_EQ(m->Tabs()[i].Boton->x(),
                      m->Tabs()[i - 1].Boton->x() + m->Tabs()[i - 1].Boton->width() + 4);
    }
    std::unique_ptr<MDI> m;
};

TEST_F(TresTabs, ClosingTheRightmostSelectsItsLeftNeighbourOtherwiseTheTabMovedIn) {
    ASSERT_EQ(Textos(), (QStringList{"a", "b", "c"}));
    m->e_tabB_Click(4);
    m->CerrarTab(4);
    EXPECT_EQ(Textos(), (QStringList{"a", "b"}));
    EXPECT_EQ(m->TabActual(), m->Tabs()[3].Ventana);
    m->NuevoTabVisor(Q(tmp.Ruta("c")));
    m->e_tabB_Click(2);
    TabFalsa* cerrada = Falsa(*m, 2);
    m->CerrarTab(2);
    EXPECT_EQ(cerrada->preUnloads, 1);
    EXPECT_EQ(Textos(), (QStringList{"b", "c"}));
    EXPECT_EQ(m->TabActual(), m->Tabs()[2].Ventana);
    EXPECT_EQ(m->TabActual()->RutaActual(), Q(tmp.Ruta("b/")));
    Coherente();
    // The closed tab's slot stays counted.
    EXPECT_EQ(m->VentanasTab().size(), 4u);
}

TEST_F(TresTabs, MoveShiftsTheTabsBetweenAndExchangeSwapsTwo) {
    m->MoverTab(2, 4);
    EXPECT_EQ(Textos(), (QStringList{"b", "c", "a"}));
    Coherente();
    m->MoverTab(4, 2);
    EXPECT_EQ(Textos(), (QStringList{"a", "b", "c"}));
    m->IntercambiarTabs(2, 4, true);
    EXPECT_EQ(Textos(), (QStringList{"c", "b", "a"}));
    Coherente();
    m->MoverTab(2, 1);  // never onto a fixed tab
    EXPECT_EQ(Textos(), (QStringList{"c", "b", "a"}));
}

TEST_F(TresTabs, DraggingWithTheLeftButtonMovesWithTheRightButtonExchanges) {
    BotonTab* a = m->Tabs()[2].Boton;
    BotonTab* c = m->Tabs()[4].Boton;
    // Left drop just past the right edge of "c".
    const QPoint trasC(c->x() + c->width() + 2 - a->x(), 10);
    QTest::mousePress(a, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(a, Qt::LeftButton, {}, trasC);
    EXPECT_EQ(Textos(), (QStringList{"b", "c", "a"}));
    // Right drop over the first tab exchanges the two.
    BotonTab* ultimo = m->Tabs()[4].Boton;
    const QPoint sobrePrimero(m->Tabs()[2].Boton->x() + 10 - ultimo->x(), 10);
    QTest::mousePress(ultimo, Qt::RightButton, {}, QPoint(10, 10));
    QTest::mouseRelease(ultimo, Qt::RightButton, {}, sobrePrimero);
    EXPECT_EQ(Textos(), (QStringList{"a", "c", "b"}));
    Coherente();
    // A left release just beside the button moves nothing.
    BotonTab* b = m->Tabs()[3].Boton;
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(b->width() + 10, 10));
    EXPECT_EQ(Textos(), (QStringList{"a", "c", "b"}));
}

TEST_F(TresTabs, HoverAndPressChangeOnlyTheStateOfTheTabUnderTheMouse) {
    m->tabB_MouseMove(3, Qt::NoButton);
    EXPECT_EQ(m->Tabs()[3].Estado, TAB_SOBRE);
    EXPECT_EQ(m->TabSobre(), 3);
    m->tabB_MouseMove(2, Qt::NoButton);
    EXPECT_EQ(m->Tabs()[3].Estado, TAB_NORMAL);
    EXPECT_EQ(m->Tabs()[2].Estado, TAB_ELEGIDO_SOBRE);
    m->picTabs_MouseMove();
    EXPECT_EQ(m->Tabs()[2].Estado, TAB_ELEGIDO);
    EXPECT_EQ(m->TabSobre(), -1);
    m->tabB_MouseDown(4, Qt::LeftButton);
    EXPECT_EQ(m->Tabs()[4].Estado, TAB_PULSADO);
}

TEST_F(TresTabs, ScrollButtonsMoveTheRowBy64AndStopAtBothEnds) {
    for (int i = 0; i < 10; ++i) m->NuevoTabVisor(Q(tmp.Ruta("a")));
    QApplication::processEvents();
    QWidget* fila = m->FilaTabsWidget();
    ASSERT_GT(fila->width(), m->AreaTabsVisible()->width());
    m->picTabScroll_Click(0);
    EXPECT_EQ(fila->x(), 0);
    m->picTabScroll_Click(1);
    EXPECT_EQ(fila->x(), -64);
    for (int i = 0; i < 20; ++i) m->picTabScroll_Click(1);
    EXPECT_EQ(fila->x() + fila->width(), m->AreaTabsVisible()->width());
    m->picTabScroll_Click(0);
    EXPECT_EQ(fila->x() + fila->width(), m->AreaTabsVisible()->width() + 64);
}

TEST_F(TresTabs, OperationsTabShowsItsPageAndLeavesNoFolderTabSelected) {
    m->e_tabB_Click(1);
    EXPECT_TRUE(m->OperacionesVisibles());
    EXPECT_EQ(m->TabActual(), nullptr);
    EXPECT_EQ(m->Tabs()[1].Estado, TAB_ELEGIDO);
    EXPECT_EQ(m->Tabs()[2].Estado, TAB_NORMAL);
    m->e_tabB_Click(3);
    EXPECT_FALSE(m->OperacionesVisibles());
    EXPECT_EQ(m->Tabs()[1].Estado, TAB_NORMAL);
}

// Saving and restoring.

std::string Guardado() { return RegLeerCadena(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Previous Tabs"); }

TEST_F(TresTabs, SavedTextListsEveryFolderTabAndPaneAndRestoresThem) {
    Ajustar("Restore Tabs", 1);
    Opciones().RestoreTabs = 1;
    Falsa(*m, 3)->AgregarVisor().CargarContenido(tmp.Ruta("c"), false);
    m->GuardarTabs();
    const std::string base = tmp.Ruta().substr(0, tmp.Ruta().size() - 1);
    EXPECT_EQ(Guardado(), base + "/a\r" + base + "/b\n" + base + "/c\r" + base + "/c");

    auto otro = Marco();
    ASSERT_EQ(otro->ContarTabs(), 3);
    EXPECT_EQ(Falsa(*otro, 2)->RutaActual(), Q(tmp.Ruta("a/")));
    ASSERT_EQ(Falsa(*otro, 3)->nVisores(), 2);
    EXPECT_EQ(Q(Falsa(*otro, 3)->GetContenidoVisor(1)->RutaActual), Q(tmp.Ruta("c/")));
    EXPECT_EQ(otro->TabActual(), otro->Tabs()[2].Ventana);  // the first folder tab is shown
}

TEST_F(TresTabs, WithRestoreTabsOffExitLeavesTheSavedTextAlone) {
    RegEscribirCadena(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Previous Tabs", "/old");
    Opciones().RestoreTabs = 0;
    m->SALIR();
    EXPECT_EQ(Guardado(), "/old");
    EXPECT_EQ(terminados, 1);
}

TEST_F(MarcoTest, ASearchTabSavesNothingAndItsTrailingSeparatorOpensNoTab) {
    Ajustar("Restore Tabs", 1);
    tmp.Carpeta("a");
    auto m = Marco(Q(tmp.Ruta("a")));
    auto* busqueda = new TabFalsa(*m, QStringLiteral("frmBuscar"));
    busqueda->setParent(m->Cliente());
    m->AgregarTab(busqueda, QStringLiteral("File Search"), QIcon(), false, PIEL_BUSQUEDA);
    m->GuardarTabs();
    EXPECT_EQ(Guardado(), tmp.Ruta("a") + "\r");
    auto otro = Marco();
    EXPECT_EQ(otro->ContarTabs(), 1);
}

TEST_F(MarcoTest, EighteenSavedEntriesRestoreSixteenFolderTabs) {
    Ajustar("Restore Tabs", 1);
    std::string texto;
    for (int i = 0; i < 18; ++i) texto += (i ? "\r" : "") + tmp.Carpeta("t" + std::to_string(i));
    RegEscribirCadena(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Previous Tabs", texto);
    auto m = Marco();
    EXPECT_EQ(m->ContarTabs(), 16);
    EXPECT_EQ(m->Tabs().back().Texto, "t15");
}

}  // namespace
}  // namespace quirvex::prueba
