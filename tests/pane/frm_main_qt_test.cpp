#include "pane/frm_main_qt.h"

#include <QTest>
#include <QFileSystemModel>
#include <QTreeView>
#include <gtest/gtest.h>

#include "pane/entorno_qt.h"
#include "pane/visor_qt.h"
#include "support/fakes.h"

namespace quirvex {
namespace {

using prueba::CarpetaTemporal;

// Records what the hosting window asks of the frame.
class MarcoGrabador final : public Marco {
public:
    bool EsTabActual(const VentanaTab*) const override { return true; }
    void SetEstadoAtrasAdelante(int boton, bool habilitado) override {
        (boton == 0 ? atras : adelante) = habilitado;
    }
    void SetTextoTab(const VentanaTab*, const QString& t) override { textoTab = t; ++cambios; }
    void SetDireccion(const QString& t, bool) override { direccion = t; ++cambios; }
    void SetFiltro(const QString&, int) override { ++filtros; ++cambios; }
    void CancelarBusquedaRapida() override {}
    void MostrarInfo(const QString&, const QString&) override {}
    void ActualizarRuta(const CambioRuta&) override {}
    bool CargaTerminada() const override { return true; }

    bool atras = false;
    bool adelante = false;
    QString textoTab;
    QString direccion;
    int filtros = 0;
    int cambios = 0;
};

class FrmMain : public ::testing::Test, public prueba::ConAplicacion {
protected:
    void SetUp() override {
        prueba::AppPrueba();
        for (int k = 0; k < 12; ++k) {
            carpetas.push_back(tmp.Carpeta("c" + std::to_string(k)));
            tmp.Archivo("c" + std::to_string(k) + "/dentro" + std::to_string(k) + ".txt", 10);
        }
        host.resize(1001, 500);
    }

    QString Lista(int n) const {
        QStringList l;
        for (int k = 0; k < n; ++k) l << QString::fromStdString(carpetas[static_cast<size_t>(k)]);
        return l.join('\n');
    }

    CarpetaTemporal tmp;
    std::vector<std::string> carpetas;
    MarcoGrabador marco;
    frmMain host{&marco, 7};
};

TEST_F(FrmMain, TheNinthPaneIsRefusedWithTheLimitMessage) {
    host.CargarVisores(Lista(1));
    for (int k = 1; k < 8; ++k) EXPECT_TRUE(host.AgregarVisor(carpetas[static_cast<size_t>(k)]));
    ASSERT_EQ(host.nVisores(), 8);
    cVisor* activo = host.aVisor();
    prueba::DialogosGrabados dialogos;
    EXPECT_FALSE(host.AgregarVisor(carpetas[9]));
    ASSERT_EQ(dialogos.mensajes.size(), 1u);
    EXPECT_EQ(dialogos.mensajes[0], "Can't load more than 8 viewers.");
    EXPECT_EQ(host.nVisores(), 8);
    EXPECT_EQ(host.aVisor(), activo);
    EXPECT_EQ(host.GetVisor(8), nullptr);
    EXPECT_EQ(host.GetVisor(-1), nullptr);
}

TEST_F(FrmMain, TwelveRestoredPathsGiveEightPanesWithTheFirstEight) {
    host.CargarVisores(Lista(12));
    ASSERT_EQ(host.nVisores(), 8);
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(host.GetVisor(k)->RutaActual(), carpetas[static_cast<size_t>(k)]);
        EXPECT_EQ(host.GetVisor(k)->Indice(), k);
    }
    EXPECT_EQ(host.aVisor(), host.GetVisor(0));
}

TEST_F(FrmMain, RestoringSkipsPathsThatNoLongerExist) {
    host.CargarVisores(Lista(2) + "\n" + QString::fromStdString(tmp.Ruta("desaparecida")) + "\n" +
                       QString::fromStdString(carpetas[5]));
    ASSERT_EQ(host.nVisores(), 3);
    EXPECT_EQ(host.GetVisor(2)->RutaActual(), carpetas[5]);
}

TEST_F(FrmMain, SlotsAreTheIntegerShareAndTheRemainderStaysEmpty) {
    host.CargarVisores(Lista(3));
    ASSERT_EQ(host.nVisores(), 3);
    for (int k = 0; k < 3; ++k) {
        const QRect g = host.GetVisor(k)->geometry();
        EXPECT_EQ(g.width(), 333);
        EXPECT_EQ(g.left(), 333 * k);
    }
    EXPECT_EQ(host.GetVisor(2)->geometry().right(), 998);  // pixels 999 and 1000 stay empty
}

TEST_F(FrmMain, ClosingTheMiddlePaneReindexesAndRoutesItsEvents) {
    host.resize(900, 500);
    host.CargarVisores(Lista(3));
    host.show();
    cVisor* tercero = host.GetVisor(2);
    cVisor* primero = host.GetVisor(0);
    host.CerrarVisor(1);
    ASSERT_EQ(host.nVisores(), 2);
    EXPECT_EQ(host.GetVisor(0), primero);
    EXPECT_EQ(host.GetVisor(1), tercero);
    EXPECT_EQ(tercero->Indice(), 1);
    EXPECT_EQ(tercero->picM()->property("Tag").toString(), "1");
    EXPECT_EQ(tercero->geometry().width(), 450);
    EXPECT_EQ(tercero->geometry().left(), 450);
    // A click on the former third pane's item reaches that pane, now index 1.
    host.SetAVisor(0);
    const QRect celda = tercero->RectItemEnPantalla(0);
    ASSERT_FALSE(celda.isNull());
    QTest::mouseClick(tercero->picM(), Qt::LeftButton, {}, celda.topLeft() + QPoint(30, 15));
    EXPECT_EQ(host.aVisor(), tercero);
    EXPECT_EQ(tercero->Seleccion().nSel(), 1);
    EXPECT_EQ(primero->Seleccion().nSel(), 0);
}

TEST_F(FrmMain, ClosingTheActivePaneActivatesALivePane) {
    host.CargarVisores(Lista(3));
    host.SetAVisor(1);
    host.CerrarVisor(1);
    ASSERT_EQ(host.nVisores(), 2);
    ASSERT_NE(host.aVisor(), nullptr);
    EXPECT_EQ(host.aVisor(), host.GetVisor(1));
    EXPECT_EQ(host.aVisor()->RutaActual(), carpetas[2]);
}

TEST_F(FrmMain, TheSolePaneIsNeverClosedAndTheLastGoesFromTheMenu) {
    host.CargarVisores(Lista(1));
    host.CerrarVisor(0);
    host.mnuXcerrarVisor_Click();
    EXPECT_EQ(host.nVisores(), 1);
    host.AgregarVisor(carpetas[1]);
    host.AgregarVisor(carpetas[2]);
    host.mnuXcerrarVisor_Click();
    ASSERT_EQ(host.nVisores(), 2);
    EXPECT_EQ(host.aVisor(), host.GetVisor(1));
    EXPECT_EQ(host.GetVisor(1)->RutaActual(), carpetas[1]);
}

TEST_F(FrmMain, ActivatingTheActivePaneTouchesNothing) {
    host.CargarVisores(Lista(2));
    host.SetAVisor(1);
    EXPECT_EQ(marco.direccion.toStdString() + "/", carpetas[1]);
    const int antes = marco.cambios;
    const int filtros = marco.filtros;
    host.SetAVisor(1);
    EXPECT_EQ(marco.cambios, antes);
    EXPECT_EQ(marco.filtros, filtros);
    host.SetAVisor(0);
    EXPECT_GT(marco.cambios, antes);
    EXPECT_EQ(marco.direccion.toStdString() + "/", carpetas[0]);
}

TEST_F(FrmMain, BackAndForwardFollowTheActivePaneHistory) {
    host.CargarVisores(Lista(1));
    cVisor* v = host.aVisor();
    v->CargarContenido(carpetas[1]);
    EXPECT_TRUE(marco.atras);
    EXPECT_FALSE(marco.adelante);
    v->Contenido().GoHistorial(0);
    EXPECT_FALSE(marco.atras);
    EXPECT_TRUE(marco.adelante);
}

TEST_F(FrmMain, TypingSelectsTheNextMatchingNameInTheActivePane) {
    tmp.Archivo("c0/pera", 1);
    tmp.Archivo("c0/prado", 1);
    host.CargarVisores(Lista(1));
    cVisor* v = host.aVisor();
    v->Contenido().ActualizarContenido();
    host.show();
    v->picM()->setFocus();
    QTest::keyClicks(v->picM(), "pr");
    const int actual = v->Seleccion().sActual();
    ASSERT_GE(actual, 0);
    EXPECT_EQ(v->Contenido().Items[static_cast<size_t>(actual)].Nombre, "prado");
    EXPECT_EQ(v->Seleccion().nSel(), 1);
}

TEST_F(FrmMain, TheTreeSplitterStaysEightyTwoPixelsFromEitherEdge) {
    host.resize(600, 400);
    host.CargarVisores(Lista(1));
    host.show();
    cVisor* v = host.aVisor();
    v->SetTreeVisible(true);
    QWidget* barra = v->picBarra();
    ASSERT_TRUE(barra->isVisible());
    auto arrastrar = [&](int destinoX) {
        QTest::mousePress(barra, Qt::LeftButton, {}, QPoint(0, 20));
        QMouseEvent mover(QEvent::MouseMove, QPointF(destinoX - barra->x(), 20),
                          barra->mapToGlobal(QPointF(destinoX - barra->x(), 20)), Qt::NoButton,
                          Qt::LeftButton, {});
        QApplication::sendEvent(barra, &mover);
        QTest::mouseRelease(barra, Qt::LeftButton, {}, QPoint(destinoX - barra->x(), 20));
    };
    arrastrar(10);
    EXPECT_EQ(v->AnchoArbol(), 82);
    EXPECT_EQ(v->picExplorer()->width(), 82);
    arrastrar(590);
    EXPECT_EQ(v->AnchoArbol(), v->width() - 82);
    EXPECT_GE(v->picM()->x(), v->AnchoArbol());
    arrastrar(250);
    EXPECT_EQ(v->AnchoArbol(), 250);
}

TEST_F(FrmMain, ChoosingAFolderInTheTreeOpensItInThePane) {
    host.CargarVisores(Lista(1));
    host.show();
    cVisor* v = host.aVisor();
    v->SetTreeVisible(true);
    auto* modelo = qobject_cast<QFileSystemModel*>(v->picExplorer()->model());
    ASSERT_NE(modelo, nullptr);
    const QModelIndex i = modelo->index(QString::fromStdString(tmp.Ruta("c3")));
    ASSERT_TRUE(i.isValid());
    emit v->picExplorer()->clicked(i);
    EXPECT_EQ(v->RutaActual(), carpetas[3]);
    EXPECT_EQ(v->Contenido().Items.at(0).Nombre, "dentro3.txt");
}

}  // namespace
}  // namespace quirvex
