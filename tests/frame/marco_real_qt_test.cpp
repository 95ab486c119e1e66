// The assembled window driven as a user drives it: the wheel, where the keys go, the path
// buttons and the address box, the tab limit, changes made from outside, and the pane's
// smaller rules (preview icons, the pane limit's message, Ctrl+arrows, the one-line labels).

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <QToolButton>
#include <filesystem>

#include "folder/iconos_qt.h"
#include "frame/dialogos_qt.h"
#include "frame/marco_real_qt.h"
#include "pane/entorno_qt.h"

namespace quirvex::prueba {
namespace {

namespace fs = std::filesystem;

QString Q(const std::string& s) { return QFile::decodeName(QByteArray::fromStdString(s)); }

// --- the wheel ---

class RuedaMarco : public MarcoReal {
protected:
    void SetUp() override {
        MarcoReal::SetUp();
        for (int k = 0; k < 150; ++k) tmp.Archivo("f" + std::to_string(1000 + k), 1);
        Abrir(tmp.Ruta());
        ASSERT_TRUE(Tab()->AgregarVisor(tmp.Ruta()));
        Clic(Visor(0)->picBT(), QPoint(20, 10));  // the left pane is the active one
        ASSERT_EQ(Tab()->aVisor(), Visor(0));
        ASSERT_GT(Visor(0)->Barra().vsbMax(), 3 * 74);
    }
    static QPoint Centro(QWidget* w) { return w->rect().center(); }
};

TEST_F(RuedaMarco, ANotchScrollsTheActivePaneOnePageWhereverThePointerIs) {
    cVisor* izq = Visor(0);
    cVisor* der = Visor(1);
    Rueda(izq->picM(), Centro(izq->picM()), -120);
    EXPECT_EQ(izq->vsbValue(), 74);
    // Over the other pane: the active pane scrolls, the one under the pointer does not.
    Rueda(der->picM(), Centro(der->picM()), -120);
    EXPECT_EQ(izq->vsbValue(), 148);
    EXPECT_EQ(der->vsbValue(), 0);
    // Over the scroll bar, the title strip and the tab strip alike; towards the user is down.
    Rueda(izq->vsb(), Centro(izq->vsb()), 120);
    EXPECT_EQ(izq->vsbValue(), 74);
    Rueda(izq->picBT(), QPoint(30, 10), 120);
    EXPECT_EQ(izq->vsbValue(), 0);
    Rueda(izq->picM(), Centro(izq->picM()), 120);  // never above the top
    EXPECT_EQ(izq->vsbValue(), 0);
    EXPECT_EQ(der->vsbValue(), 0);
}

TEST_F(RuedaMarco, AHiddenScrollBarGivesItsWidthToTheItemsAndTheWheelDoesNothing) {
    cVisor* izq = Visor(0);
    const int ancho = izq->picM()->width();
    izq->SetVsbVisible(false);
    EXPECT_FALSE(izq->vsb()->isVisible());
    EXPECT_EQ(izq->picM()->width(), ancho + ANCHO_VSB);
    Rueda(izq->picM(), Centro(izq->picM()), -120);
    EXPECT_EQ(izq->vsbValue(), 0);
    izq->SetVsbVisible(true);
    EXPECT_TRUE(izq->vsb()->isVisible());
    EXPECT_EQ(izq->picM()->width(), ancho);
    Rueda(izq->picM(), Centro(izq->picM()), -120);
    EXPECT_EQ(izq->vsbValue(), 74);
}

// --- where the keys go ---

class FocoMarco : public MarcoReal {
protected:
    void SetUp() override {
        MarcoReal::SetUp();
        for (const char* c : {"a", "b"})
            for (int k = 0; k < 5; ++k) tmp.Archivo(std::string(c) + "/" + c + std::to_string(k), 1);
    }
    static int Actual(cVisor* v) { return v->Seleccion().sActual(); }
};

TEST_F(FocoMarco, AClickOnAPanesTitleOrStatusStripGivesItTheKeys) {
    Abrir(tmp.Ruta("a/"));
    ASSERT_TRUE(Tab()->AgregarVisor(tmp.Ruta("b/")));
    cVisor* a = Visor(0);
    cVisor* b = Visor(1);
    Clic(a->picM(), SobreItem(a, 0));
    ASSERT_EQ(Actual(a), 0);
    Clic(b->picBT(), QPoint(20, 10));
    EXPECT_EQ(Tab()->aVisor(), b);
    EXPECT_EQ(QApplication::focusWidget(), b->picM());
    Tecla(Qt::Key_End);
    EXPECT_EQ(Actual(b), 4);
    EXPECT_EQ(Actual(a), 0);
    Clic(a->picE(), QPoint(20, 5));
    EXPECT_EQ(Tab()->aVisor(), a);
    Tecla(Qt::Key_End);
    EXPECT_EQ(Actual(a), 4);
    Tecla(Qt::Key_Home);
    EXPECT_EQ(Actual(a), 0);
    EXPECT_EQ(Actual(b), 4);
    // The keyboard's own way between panes makes the pane it reaches the active one.
    b->picM()->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(Tab()->aVisor(), b);
}

TEST_F(FocoMarco, AfterTheAddressBoxAndATabSwitchTheKeysReachTheActivePane) {
    Abrir(tmp.Ruta("a/"));
    Clic(m->picRuta(), QPoint(m->picRuta()->width() - 8, 12));
    ASSERT_TRUE(m->txtRuta()->hasFocus());
    QTest::keyClicks(m->txtRuta(), Q(tmp.Ruta("b")));
    QTest::keyClick(m->txtRuta(), Qt::Key_Return);
    ASSERT_EQ(Visor(0)->RutaActual(), tmp.Ruta("b/"));
    Tecla(Qt::Key_End);
    EXPECT_EQ(Actual(Visor(0)), 4);
    Tecla(Qt::Key_Home);
    EXPECT_EQ(Actual(Visor(0)), 0);
    // "New Tab", then back to the first folder tab with a click on it.
    Clic(m->Tabs()[0].Boton, QPoint(8, 8));
    ASSERT_EQ(m->ContarTabs(), 2);
    EXPECT_NE(m->TabActual(), m->Tabs()[2].Ventana);
    Clic(m->Tabs()[2].Boton, QPoint(8, 8));
    ASSERT_EQ(m->TabActual(), m->Tabs()[2].Ventana);
    Tecla(Qt::Key_End);
    EXPECT_EQ(Actual(Visor(0)), 4);
}

// --- path buttons and the address box ---

class DireccionMarco : public MarcoReal {
protected:
    static int Ancho(const QString& texto) {
        return QFontMetrics(FuenteBotonesRuta()).horizontalAdvance(texto);
    }
    QLabel* Etiqueta(int k) const { return m->lblRuta()[static_cast<size_t>(k)]; }
};

TEST_F(DireccionMarco, TheButtonsShownStartWithTheDriveListAndCutLongNamesAtAHundredPixels) {
    const std::string largo =
        "una carpeta con un nombre largo que no cabe en cien pixeles de ancho";
    ASSERT_GE(largo.size(), 64u);
    const std::string fondo = tmp.Carpeta("A/" + largo + "/C");
    Abrir(fondo, QSize(1400, 650));
    const QStringList textos = m->TextosRuta();
    ASSERT_GE(textos.size(), 5);
    EXPECT_EQ(textos[0].toStdString(), TextoMiPC());
    EXPECT_EQ(textos[1], "/");
    EXPECT_EQ(textos.back(), "C");
    const int k = static_cast<int>(textos.size()) - 2;  // the long one
    EXPECT_TRUE(textos[k].endsWith("...")) << textos[k].toStdString();
    EXPECT_TRUE(textos[k].startsWith("una car"));
    EXPECT_LE(Ancho(textos[k]), ANCHO_BOTON_RUTA);
    EXPECT_LE(Etiqueta(k)->width(), ANCHO_BOTON_RUTA + 2);
    for (int i = 0; i + 1 < textos.size(); ++i) {
        const int hueco = Etiqueta(i + 1)->x() - (Etiqueta(i)->x() + Etiqueta(i)->width());
        EXPECT_EQ(hueco, SEPARACION_BOTONES_RUTA) << i;
    }
    // In a narrower window no label is squeezed: the levels after the drive list give way,
    // the drive list and the location itself stay whole.
    m->resize(900, 650);
    QCoreApplication::processEvents();
    EXPECT_TRUE(Etiqueta(0)->isVisible());
    EXPECT_TRUE(Etiqueta(k + 1)->isVisible());
    EXPECT_FALSE(Etiqueta(1)->isVisible());
    for (int i = 0; i < textos.size(); ++i) {
        if (Etiqueta(i)->isVisible()) {
            EXPECT_EQ(Etiqueta(i)->width(), Etiqueta(i)->sizeHint().width()) << i;
        }
    }
    m->resize(1400, 650);
    QCoreApplication::processEvents();
    ASSERT_TRUE(Etiqueta(k)->isVisible());
    // The label keeps the whole name: a click goes there, and only goes there.
    Clic(Etiqueta(k), Etiqueta(k)->rect().center());
    EXPECT_EQ(Visor(0)->RutaActual(), tmp.Ruta("A/" + largo + "/"));
    EXPECT_FALSE(m->txtRuta()->isVisible());
    EXPECT_FALSE(m->txtRuta()->hasFocus());
    ASSERT_EQ(m->TextosRuta().size(), k + 1);
    EXPECT_EQ(m->TextosRuta().back(), textos[k]);
    EXPECT_TRUE(m->cmdBF(0)->isEnabled());
    Clic(Etiqueta(0), Etiqueta(0)->rect().center());
    EXPECT_TRUE(Visor(0)->Contenido().EnMiPC());
    EXPECT_EQ(m->TextosRuta().size(), 1);
}

TEST_F(DireccionMarco, WhileTypingNoLabelShowsAndATextThatNamesNothingStays) {
    tmp.Carpeta("docs/sub");
    Abrir(tmp.Ruta("docs/"));
    QWidget* area = m->picRuta();
    Clic(area, QPoint(area->width() - 8, 12));
    ASSERT_TRUE(m->txtRuta()->isVisible());
    ASSERT_TRUE(m->txtRuta()->hasFocus());
    for (QLabel* l : m->lblRuta()) EXPECT_FALSE(l->isVisible()) << l->text().toStdString();
    // Nothing lies over the box anywhere along its text.
    const QRect caja = m->txtRuta()->geometry();
    int tapados = 0;
    for (int x = caja.left() + 2; x < caja.right(); x += 7) {
        QWidget* arriba = area->childAt(x, caja.center().y());
        tapados += arriba != m->txtRuta() && !m->txtRuta()->isAncestorOf(arriba);
    }
    EXPECT_EQ(tapados, 0);
    const QString escrito = Q(tmp.Ruta("no/hay/tal"));
    QTest::keyClicks(m->txtRuta(), escrito);
    QTest::keyClick(m->txtRuta(), Qt::Key_Return);
    ASSERT_EQ(dialogos.mensajes, std::vector<std::string>{"La ruta no existe."});
    EXPECT_EQ(m->txtRuta()->text(), escrito);
    EXPECT_EQ(Visor(0)->RutaActual(), tmp.Ruta("docs/"));
    EXPECT_EQ(QApplication::focusWidget(), Visor(0)->picM());
    EXPECT_EQ(m->TextosRuta().back(), "docs");
    for (QLabel* l : m->lblRuta()) EXPECT_TRUE(l->isVisible());
    // Back in the box the same text is there; Enter on it again says nothing more.
    Clic(area, QPoint(area->width() - 8, 12));
    EXPECT_EQ(m->txtRuta()->text(), escrito);
    QTest::keyClick(m->txtRuta(), Qt::Key_Return);
    EXPECT_EQ(dialogos.mensajes.size(), 1u);
}

// --- tabs ---

TEST_F(MarcoReal, ARefusedNewTabLeavesTheCurrentTabsBackButtonAsItWas) {
    tmp.Carpeta("a/b");
    Abrir(tmp.Ruta("a/"));
    Visor(0)->CargarContenido(tmp.Ruta("a/b/"));
    ASSERT_TRUE(m->cmdBF(0)->isEnabled());
    while (m->VentanasTab().size() < 16) m->cmdNuevoTab_Click();
    m->e_tabB_Click(2);
    ASSERT_EQ(m->TabActual(), m->Tabs()[2].Ventana);
    ASSERT_TRUE(m->cmdBF(0)->isEnabled());
    ASSERT_FALSE(m->cmdBF(1)->isEnabled());
    const int tabs = m->ContarTabs();
    Clic(m->Tabs()[0].Boton, QPoint(8, 8));
    EXPECT_EQ(dialogos.mensajes.size(), 1u);
    EXPECT_EQ(m->ContarTabs(), tabs);
    EXPECT_EQ(m->TabActual(), m->Tabs()[2].Ventana);
    EXPECT_TRUE(m->cmdBF(0)->isEnabled());
    EXPECT_FALSE(m->cmdBF(1)->isEnabled());
    m->cmdBF_Click(0);
    EXPECT_EQ(Visor(0)->RutaActual(), tmp.Ruta("a/"));
}

// --- changes made from outside ---

TEST_F(MarcoReal, AnEntryRenamedFromOutsideIsDrawnUnderItsNewNameAndReachedByIt) {
    tmp.ArchivoConTexto("a_primero.txt", "uno");
    for (int k = 0; k < 3; ++k) tmp.Archivo("z" + std::to_string(k), 1);
    Abrir(tmp.Ruta());
    cVisor* v = Visor(0);
    const int i = Indice(v, "a_primero.txt");
    ASSERT_GE(i, 0);
    const QImage antes = Captura(v->picM());
    fs::rename(tmp.Ruta("a_primero.txt"), tmp.Ruta("a_segundo.txt"));
    ASSERT_TRUE(Esperar([&] { return Indice(v, "a_segundo.txt") >= 0; }));
    QCoreApplication::processEvents();
    const QRect celda = v->RectItemEnPantalla(Indice(v, "a_segundo.txt"));
    EXPECT_GT(PixelesDistintos(antes.copy(celda), Captura(v->picM()).copy(celda)), 20);
    // Commands on the entry reach the file by its new path.
    const ItemCarpeta& it = v->Contenido().Items[static_cast<size_t>(Indice(v, "a_segundo.txt"))];
    EXPECT_EQ(it.RutaCompleta(v->Contenido().RutaActual), tmp.Ruta("a_segundo.txt"));
}

TEST_F(MarcoReal, AShownFolderRenamedFromOutsideRenamesItsTabAndButtons) {
    tmp.Archivo("viejo/x", 1);
    Abrir(tmp.Ruta("viejo/"));
    ASSERT_EQ(m->Tabs()[2].TextoCompleto, "viejo");
    fs::rename(tmp.Ruta("viejo"), tmp.Ruta("nuevo"));
    ASSERT_TRUE(Esperar([&] { return Visor(0)->RutaActual() == tmp.Ruta("nuevo/"); }));
    EXPECT_EQ(m->Tabs()[2].TextoCompleto, "nuevo");
    EXPECT_EQ(m->TextosRuta().back(), "nuevo");
}

// --- the pane's smaller rules ---

TEST_F(MarcoReal, TheNinthPaneIsRefusedWithAnExclamation) {
    Abrir(tmp.Ruta());
    for (int k = 1; k < MAX_VISORES; ++k) ASSERT_TRUE(Tab()->AgregarVisor(tmp.Ruta()));
    EXPECT_FALSE(Tab()->AgregarVisor(tmp.Ruta()));
    EXPECT_EQ(Tab()->nVisores(), MAX_VISORES);
    ASSERT_EQ(dialogos.mensajes, std::vector<std::string>{"Can't load more than 8 viewers."});
    EXPECT_EQ(dialogos.iconos.back(), IconoMensaje::Exclamacion);
}

TEST(DialogosQtTest, TheCredentialsDialogSpeaksTheCurrentLanguageAndReturnsWhatWasTyped) {
    AplicacionPrueba();
    DialogosQt dialogos;
    for (const int idioma : {0, 1}) {
        ASSERT_TRUE(CargarIdiomaIncorporado(idioma));
        QStringList etiquetas;
        QTimer::singleShot(0, [&etiquetas] {
            QWidget* d = QApplication::activeModalWidget();
            if (!d) return;
            for (auto* l : d->findChildren<QLabel*>()) etiquetas << l->text();
            d->findChild<QLineEdit*>("txtUsuario")->setText("ana");
            QTest::keyClicks(d->findChild<QLineEdit*>("txtClave"), "s3cr3t");
            QTest::keyClick(d->findChild<QLineEdit*>("txtClave"), Qt::Key_Return);
        });
        std::string usuario, clave;
        ASSERT_TRUE(dialogos.PedirCredenciales("nas", "", usuario, clave));
        EXPECT_EQ(usuario, "ana");
        EXPECT_EQ(clave, "s3cr3t");
        EXPECT_TRUE(etiquetas.contains(QString::fromUtf8(Texto(General, 65)))) << etiquetas.join("|").toStdString();
        EXPECT_TRUE(etiquetas.contains(QString::fromUtf8(Texto(General, 66))));
    }
    EXPECT_EQ(Texto(General, 65), "Usuario:");
    CargarIdiomaIncorporado(0);
    EXPECT_EQ(Texto(General, 66), "Password:");
}

TEST(DialogosQtTest, EachPictureAMessageNamesIsTheOneItsBoxShows) {
    AplicacionPrueba();
    DialogosQt dialogos;
    for (const auto& [icono, esperado] :
         {std::pair{IconoMensaje::Exclamacion, QMessageBox::Warning},
          std::pair{IconoMensaje::Informacion, QMessageBox::Information},
          std::pair{IconoMensaje::Pregunta, QMessageBox::Question},
          std::pair{IconoMensaje::Stop, QMessageBox::Critical},
          std::pair{IconoMensaje::Ninguno, QMessageBox::NoIcon}}) {
        QMessageBox::Icon visto = QMessageBox::NoIcon;
        QTimer::singleShot(0, [&visto] {
            if (auto* caja = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                visto = caja->icon();
                caja->accept();
            }
        });
        dialogos.Mensaje("texto", "titulo", Botones::Aceptar, icono);
        EXPECT_EQ(visto, esperado);
    }
}

TEST_F(MarcoReal, CtrlArrowsMoveTheCurrentItemAndLeaveTheStatusStrip) {
    tmp.Carpeta("carpeta");
    tmp.Archivo("grande.bin", 5000);
    tmp.Archivo("z.bin", 1);
    Abrir(tmp.Ruta());
    cVisor* v = Visor(0);
    Clic(v->picM(), SobreItem(v, 0));
    const QString estado = v->strBarraEstado();
    ASSERT_FALSE(estado.isEmpty());
    Tecla(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(v->Seleccion().sActual(), 1);
    EXPECT_TRUE(v->Seleccion().Seleccionado(0));
    EXPECT_FALSE(v->Seleccion().Seleccionado(1));
    EXPECT_EQ(v->strBarraEstado(), estado);
    Tecla(Qt::Key_Right);  // a plain move selects and tells
    EXPECT_NE(v->strBarraEstado(), estado);
}

TEST(IconosPreview, TypeIconsInAPreviewBoxAreThirtyTwoPixelsAtTheTopLeft) {
    AplicacionPrueba();
    CarpetaTemporal tmp;
    const std::string texto = tmp.ArchivoConTexto("nota.txt", "hola");
    const std::string carpeta = tmp.Carpeta("sub");
    for (const auto& [ruta, nombre] : {std::pair{texto, "file"}, std::pair{carpeta, "folder"}}) {
        const QImage img = RenderizarImagenItem(ruta, 96, true);
        ASSERT_EQ(img.size(), QSize(96, 96)) << nombre;
        int dentro = 0;
        int fuera = 0;
        for (int y = 0; y < 96; ++y)
            for (int x = 0; x < 96; ++x) {
                const bool opaco = qAlpha(img.pixel(x, y)) != 0;
                (x < ICONO_MAXIMO && y < ICONO_MAXIMO ? dentro : fuera) += opaco;
            }
        EXPECT_GT(dentro, 50) << nombre;
        EXPECT_EQ(fuera, 0) << nombre;
        // The icon itself is the one the icons view shows.
        EXPECT_EQ(img.copy(0, 0, ICONO_MAXIMO, ICONO_MAXIMO),
                  RenderizarImagenItem(ruta, ICONO_MAXIMO, true).convertToFormat(img.format()))
            << nombre;
    }
}

TEST_F(MarcoReal, DetailsRowsShowTheOneLineLabelAndARenameRefitsIt) {
    const std::string largo(80, 'x');
    tmp.Archivo(largo, 1);
    tmp.Archivo("corto", 1);
    Abrir(tmp.Ruta());
    cVisor* v = Visor(0);
    v->SetViewMode(MODO_DETALLES);
    QCoreApplication::processEvents();
    const cDistribucionVisor& d = v->Distribucion();
    const int ancho = d.AnchoEtiqueta();
    EXPECT_EQ(ancho, v->Columnas()[0].ancho - (d.Geometria().IcoDW + d.Geometria().IcoDL + 2));
    const ItemCarpeta& l = v->Contenido().Items[static_cast<size_t>(Indice(v, largo))];
    EXPECT_TRUE(l.TextoLinea().size() < largo.size() && l.TextoLinea().ends_with("..."))
        << l.TextoLinea();
    EXPECT_EQ(v->Contenido().Items[static_cast<size_t>(Indice(v, "corto"))].TextoLinea(), "corto");
    fs::rename(tmp.Ruta("corto"), tmp.Ruta("cortisimo"));
    ASSERT_TRUE(Esperar([&] { return Indice(v, "cortisimo") >= 0; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(v->Contenido().Items[static_cast<size_t>(Indice(v, "cortisimo"))].TextoLinea(),
              "cortisimo");
}

}  // namespace
}  // namespace quirvex::prueba
