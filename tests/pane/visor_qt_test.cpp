#include "pane/visor_qt.h"

#include <QAccessible>
#include <QTest>
#include <QWheelEvent>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "pane/entorno_qt.h"
#include "pane/frm_main_qt.h"
#include "support/fakes.h"

namespace quirvex {
namespace {

using prueba::AppPrueba;
using prueba::Captura;
using prueba::CarpetaTemporal;
using prueba::PixelesDistintos;

class Visor : public ::testing::Test, public prueba::ConAplicacion {
protected:
    void SetUp() override {
        AppPrueba();
        host.resize(800, 600);
    }

    cVisor* Abrir(const std::string& carpeta) {
        host.CargarVisores(QString::fromStdString(carpeta));
        host.show();
        return host.aVisor();
    }

    int Indice(cVisor* v, const std::string& nombre) {
        return static_cast<int>(v->Contenido().GetIndexItem(nombre));
    }

    CarpetaTemporal tmp;
    frmMain host;
};

TEST_F(Visor, SelectedItemsAndDifferentLabelsPaintDifferently) {
    tmp.Archivo("alfa.txt", 10);
    tmp.Archivo("omega.txt", 10);
    cVisor* v = Abrir(tmp.Ruta());
    ASSERT_EQ(v->nItems(), 2);
    const QRect a = v->RectItemEnPantalla(0);
    const QRect b = v->RectItemEnPantalla(1);
    const QImage antes = Captura(v->picM(), a);
    // Both cells show the same icon; only the labels differ, so a font that draws nothing
    // (every glyph an empty box or blank) makes the two images equal.
    const QImage otra = Captura(v->picM(), b);
    EXPECT_GT(PixelesDistintos(antes, otra), 20);
    v->Seleccion().SELECCIONAR(0, SEL_EXCLUSIVA, true);
    const QImage seleccionada = Captura(v->picM(), a);
    EXPECT_GT(PixelesDistintos(antes, seleccionada), a.width() * a.height() / 3);
    EXPECT_EQ(PixelesDistintos(otra, Captura(v->picM(), b)), 0);
    v->Seleccion().DeseleccionarTodo();
    EXPECT_EQ(PixelesDistintos(antes, Captura(v->picM(), a)), 0);
}

TEST_F(Visor, ALongSelectedNameShowsWholeBelowItsCell) {
    const std::string largo = "un nombre bastante largo que no cabe en dos lineas de la celda.txt";
    tmp.Archivo(largo, 1);
    cVisor* v = Abrir(tmp.Ruta());
    const QRect celda = v->RectItemEnPantalla(0);
    const QRect debajo(celda.left(), celda.bottom() + 1, celda.width(), 40);
    const QImage antes = Captura(v->picM(), debajo);
    v->Seleccion().SELECCIONAR(0, SEL_EXCLUSIVA, true);
    EXPECT_GT(PixelesDistintos(antes, Captura(v->picM(), debajo)), 100);
    EXPECT_GT(ContarLineas(v->Seleccion().ListaSel()[0].Texto), 2);
}

TEST_F(Visor, ClicksSelectWithCtrlAndShiftAndDoubleClickOpensFolders) {
    for (int k = 0; k < 6; ++k) tmp.Archivo("f" + std::to_string(k), 1024);
    tmp.Carpeta("sub");
    tmp.Archivo("sub/interior.txt", 1);
    cVisor* v = Abrir(tmp.Ruta());
    auto centro = [&](int i) { return v->RectItemEnPantalla(i).topLeft() + QPoint(37, 20); };
    const int f1 = Indice(v, "f1");
    const int f4 = Indice(v, "f4");
    QTest::mouseClick(v->picM(), Qt::LeftButton, {}, centro(f1));
    QTest::mouseClick(v->picM(), Qt::LeftButton, Qt::ShiftModifier, centro(f4));
    EXPECT_EQ(v->Seleccion().nSel(), 4);
    EXPECT_EQ(v->Seleccion().TotalSEL(), 4 * 1024);
    QTest::mouseClick(v->picM(), Qt::LeftButton, Qt::ControlModifier, centro(f1));
    EXPECT_EQ(v->Seleccion().nSel(), 3);
    EXPECT_EQ(v->strBarraEstado(), "Size: 1 KB [3 selected elements: 3 KB]");
    QTest::mouseDClick(v->picM(), Qt::LeftButton, {}, centro(Indice(v, "sub")));
    EXPECT_EQ(v->RutaActual(), tmp.Ruta("sub/"));
    EXPECT_EQ(v->Seleccion().nSel(), 0);
    QTest::keyClick(v->picM(), Qt::Key_Backspace);
    EXPECT_EQ(v->RutaActual(), tmp.Ruta());
}

TEST_F(Visor, StatusStripDescribesTheCurrentItemAndTheSelection) {
    tmp.Archivo("dos.bin", 2048);
    tmp.Archivo("x1", 1024);
    tmp.Archivo("x2", 1024);
    tmp.Carpeta("carpeta");
    cVisor* v = Abrir(tmp.Ruta());
    v->Seleccion().SELECCIONAR(Indice(v, "dos.bin"), SEL_SOLO_ACTUAL, true);
    v->DibujarBarraDeEstado(Indice(v, "dos.bin"));
    EXPECT_EQ(v->strBarraEstado(), "Size: 2 KB");
    v->Seleccion().SELECCIONAR(Indice(v, "x1"), SEL_EXCLUSIVA, true);
    v->Seleccion().SELECCIONAR(Indice(v, "x2"), SEL_ALTERNAR, true);
    v->Seleccion().SELECCIONAR(Indice(v, "carpeta"), SEL_SOLO_ACTUAL, true);
    v->DibujarBarraDeEstado(Indice(v, "carpeta"));
    EXPECT_EQ(v->strBarraEstado(), "Folder [2 selected elements: 2 KB]");
    // A file that grew since it was listed is shown with its size now.
    std::filesystem::resize_file(tmp.Ruta("dos.bin"), 4096);
    v->DibujarBarraDeEstado(Indice(v, "dos.bin"));
    EXPECT_EQ(v->strBarraEstado(), "Size: 4 KB [2 selected elements: 2 KB]");
}

TEST_F(Visor, DetailsModeShowsTheHeaderAndColumnTexts) {
    tmp.Archivo("medio.dat", 1536);
    tmp.Carpeta("dir");
    cVisor* v = Abrir(tmp.Ruta());
    const QImage iconos = Captura(v->picM());
    v->SetViewMode(MODO_DETALLES);
    EXPECT_TRUE(v->picD()->isVisible());
    EXPECT_EQ(v->Distribucion().Geometria().IcoH, 18);
    EXPECT_GT(PixelesDistintos(iconos, Captura(v->picM())), 500);
    const ItemCarpeta& archivo = v->Contenido().Items[static_cast<size_t>(Indice(v, "medio.dat"))];
    const ItemCarpeta& carpeta = v->Contenido().Items[static_cast<size_t>(Indice(v, "dir"))];
    EXPECT_EQ(v->TextoColumna(archivo, 1), "1.5 KB");  // the tests run in a period locale
    EXPECT_EQ(v->TextoColumna(archivo, 2), "Archivo dat");
    EXPECT_EQ(v->TextoColumna(carpeta, 1), "");
    EXPECT_EQ(v->TextoColumna(carpeta, 2), "Carpeta");
    EXPECT_EQ(v->TextoColumna(carpeta, 4).left(1), "D");
    // Selecting Details again changes nothing; Preview again re-applies it.
    const QImage detalles = Captura(v->picM());
    v->SetViewMode(MODO_DETALLES);
    EXPECT_EQ(PixelesDistintos(detalles, Captura(v->picM())), 0);
    v->SetViewMode(MODO_PREVIEW);
    EXPECT_FALSE(v->picD()->isVisible());
    EXPECT_EQ(v->Distribucion().Geometria().IcoW, 108);
    v->SetViewMode(MODO_ICONOS);
    EXPECT_EQ(v->Distribucion().Geometria().IcoW, 74);
}

TEST_F(Visor, ShortcutsGetTheArrowOnlyWhenTheSettingAsksForIt) {
    tmp.Archivo("destino.txt", 1);
    std::filesystem::create_symlink(tmp.Ruta("destino.txt"), tmp.Ruta("enlace.txt"));
    Opciones().DirectAccessRow = 1;
    cVisor* v = Abrir(tmp.Ruta());
    const QRect celda = v->RectItemEnPantalla(Indice(v, "enlace.txt"));
    const QRect imagen(celda.left() + 21, celda.top() + 4, 32, 32);
    const QImage con = Captura(v->picM(), imagen);
    Opciones().DirectAccessRow = 0;
    v->ReubicarIconos();
    EXPECT_GT(PixelesDistintos(con, Captura(v->picM(), imagen)), 10);
}

TEST_F(Visor, PreviewOfAnUnknownPictureExtensionIsReportedOnce) {
    Opciones().ImageExtensionsPreview = "*BMP*JPG*JPEG*GIF*PNG*";
    tmp.Archivo("a.png", 10);
    tmp.Archivo("b.png", 10);
    prueba::DialogosGrabados dialogos;
    cVisor* v = Abrir(tmp.Ruta());
    v->SetViewMode(MODO_PREVIEW);
    v->ReubicarIconos();
    QApplication::processEvents();
    ASSERT_EQ(dialogos.mensajes.size(), 1u);
    EXPECT_EQ(dialogos.mensajes[0], "Extensión desconocida: |PNG|");
}

class VisorLargo : public Visor {
protected:
    void SetUp() override {
        Visor::SetUp();
        for (int k = 0; k < 400; ++k) {
            char nombre[32];
            std::snprintf(nombre, sizeof nombre, "item%04d", k);
            tmp.Archivo(nombre, 1);
        }
    }

    std::string Nombre(cVisor* v, int i) { return v->Contenido().Items[static_cast<size_t>(i)].Nombre; }
    int ArribaIzquierda(cVisor* v) {
        const auto& d = v->Distribucion();
        return d.ItemEnPunto(v->Contenido().Items, v->nItems(), v->vsbValue(),
                             d.Geometria().IcoGL + 30, 10);
    }
};

TEST_F(VisorLargo, DraggingTheThumbScrollsWhatIsDrawn) {
    cVisor* v = Abrir(tmp.Ruta());
    const QImage antes = Captura(v->picM());
    EXPECT_EQ(ArribaIzquierda(v), 0);
    QWidget* vsb = v->vsb();
    const QPoint pulgar(8, v->Barra().TopBarra() + v->Barra().vsbBarra() / 2);
    QTest::mousePress(vsb, Qt::LeftButton, {}, pulgar);
    EXPECT_EQ(v->Barra().Estado(), VSB_BARRA_TOMADA);
    QMouseEvent mover(QEvent::MouseMove, QPointF(8, vsb->height() / 2),
                      vsb->mapToGlobal(QPointF(8, vsb->height() / 2)), Qt::NoButton,
                      Qt::LeftButton, {});
    QApplication::sendEvent(vsb, &mover);
    QTest::mouseRelease(vsb, Qt::LeftButton, {}, QPoint(8, vsb->height() / 2));
    EXPECT_GT(v->vsbValue(), 0);
    const int arriba = ArribaIzquierda(v);
    EXPECT_GT(arriba, 0);
    EXPECT_GT(PixelesDistintos(antes, Captura(v->picM())), 1000);
    // Every visible row is painted with its own items after the jump: compare with a pane that
    // draws the same offset from scratch.
    frmMain otro;
    otro.resize(host.size());
    otro.CargarVisores(QString::fromStdString(tmp.Ruta()));
    otro.show();
    otro.aVisor()->SetVsbValue(v->vsbValue());
    otro.aVisor()->ReubicarIconos();
    EXPECT_EQ(PixelesDistintos(Captura(v->picM()), Captura(otro.aVisor()->picM())), 0);
}

TEST_F(VisorLargo, EachWheelNotchScrollsOneLargeChange) {
    cVisor* v = Abrir(tmp.Ruta());
    const QImage antes = Captura(v->picM());
    // What the frame hands over for a turn of two notches anywhere over it.
    host.MouseWheel(-240);
    EXPECT_EQ(v->vsbValue(), 2 * 74);
    EXPECT_GT(PixelesDistintos(antes, Captura(v->picM())), 1000);
    // Scrolling back by small steps redraws only the rows coming in, and ends where it began.
    for (int k = 0; k < 2 * 74; k += 5) v->SetVsbValue(2 * 74 - k - 5);
    EXPECT_EQ(v->vsbValue(), 0);
    EXPECT_EQ(PixelesDistintos(antes, Captura(v->picM())), 0);
}

TEST_F(VisorLargo, ArrowsStepOneRowAndTheTrackCentresTheThumb) {
    cVisor* v = Abrir(tmp.Ruta());
    QWidget* vsb = v->vsb();
    QTest::mouseClick(vsb, Qt::LeftButton, {}, QPoint(8, vsb->height() - 5));
    EXPECT_EQ(v->vsbValue(), 74);
    QTest::mouseClick(vsb, Qt::LeftButton, {}, QPoint(8, 5));
    EXPECT_EQ(v->vsbValue(), 0);
    const int y = vsb->height() / 2 + 30;
    QTest::mouseClick(vsb, Qt::LeftButton, {}, QPoint(8, y));
    const auto& b = v->Barra();
    EXPECT_NEAR(b.TopBarra() + b.vsbBarra() / 2, y, 1);
}

TEST_F(VisorLargo, ReadersSeeEveryItemWithItsNameAndState) {
    cVisor* v = Abrir(tmp.Ruta());
    QAccessibleInterface* lista = QAccessible::queryAccessibleInterface(v->picM());
    ASSERT_NE(lista, nullptr);
    EXPECT_EQ(lista->role(), QAccessible::List);
    ASSERT_EQ(lista->childCount(), 400);
    for (int i : {0, 1, 200, 399}) {
        QAccessibleInterface* h = lista->child(i);
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(h->text(QAccessible::Name).toStdString(), Nombre(v, i));
        EXPECT_EQ(lista->indexOfChild(h), i);
        EXPECT_EQ(h->parent(), lista);
    }
    EXPECT_FALSE(lista->child(3)->state().selected);
    v->Seleccion().SELECCIONAR(3, SEL_EXCLUSIVA, true);
    EXPECT_TRUE(lista->child(3)->state().selected);
    EXPECT_TRUE(lista->child(3)->state().focused);
    EXPECT_FALSE(lista->child(2)->state().focused);
    EXPECT_TRUE(lista->child(399)->state().offscreen);
    // After a load the children describe the new location.
    tmp.Archivo("sub/solo.txt", 1);
    v->CargarContenido(tmp.Ruta("sub/"));
    ASSERT_EQ(lista->childCount(), 1);
    EXPECT_EQ(lista->child(0)->text(QAccessible::Name), "solo.txt");
}

TEST(VisorGrande, AHundredThousandEntriesLoadPaintAndScroll) {
    AppPrueba();
    CarpetaTemporal tmp;
    const std::string base = tmp.Ruta();
    for (int k = 0; k < 100000; ++k) {
        char nombre[32];
        std::snprintf(nombre, sizeof nombre, "e%06d.dat", k);
        std::ofstream(base + nombre).put('x');
    }
    frmMain host;
    host.resize(900, 600);
    host.CargarVisores(QString::fromStdString(base));
    host.show();
    cVisor* v = host.aVisor();
    ASSERT_EQ(v->nItems(), 100000);
    const QImage arriba = Captura(v->picM());
    v->SetVsbValue(v->Barra().vsbMax());
    const auto& d = v->Distribucion();
    const int ultimaFila = d.nFilas(100000) - 1;
    const auto [desde, hasta] = d.ItemsVisibles(v->vsbValue(), v->nItems());
    EXPECT_EQ(hasta, 99999);
    EXPECT_LE(desde, ultimaFila * d.Geometria().IcoEX);
    EXPECT_GT(PixelesDistintos(arriba, Captura(v->picM())), 1000);
    EXPECT_EQ(v->Barra().vsbBarra(), VSB_BARRA_MINIMA);
    v->Seleccion().SeleccionarTODO();
    EXPECT_EQ(v->Seleccion().nSel(), 100000);
    EXPECT_EQ(v->Seleccion().TotalSEL(), 100000);
    QAccessibleInterface* lista = QAccessible::queryAccessibleInterface(v->picM());
    ASSERT_EQ(lista->childCount(), 100000);
    EXPECT_EQ(lista->child(99999)->text(QAccessible::Name), "e099999.dat");
    EXPECT_TRUE(lista->child(99999)->state().selected);
}

}  // namespace
}  // namespace quirvex
