// The tab window's menus and commands, and file lists dropped onto a pane: what each menu shows
// for the active pane's state, and what the commands and drops queue or change on disk.

#include <QClipboard>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMenuBar>
#include <QMimeData>
#include <QTest>
#include <gtest/gtest.h>

#include "operations/portapapeles_qt.h"
#include "operations/tareas.h"
#include "pane/entorno_qt.h"
#include "pane/frm_main_qt.h"
#include "pane/interaccion_falsa_qt.h"
#include "pane/menus_visor_qt.h"
#include "pane/visor_qt.h"
#include "support/fakes.h"

namespace quirvex {
namespace {

using prueba::CarpetaTemporal;

QString Q(const std::string& s) { return QString::fromStdString(s); }

class ComandosVisor : public ::testing::Test, public prueba::ConAplicacion {
protected:
    void SetUp() override {
        host.resize(700, 500);
        primeraOperacion_ = mTareas().UltimoIndice() + 1;
        QGuiApplication::clipboard()->setText(QStringLiteral("nothing"));
    }
    // Operations queued here must never run later, when their folders are gone.
    void TearDown() override {
        for (std::int64_t i = primeraOperacion_; i <= mTareas().UltimoIndice(); ++i)
            mTareas().CancelarOperacion(i);
    }

    cVisor* Abrir(const std::string& carpeta) {
        host.CargarVisores(Q(carpeta));
        host.show();
        return host.aVisor();
    }
    QAction* Accion(std::string_view nombre) { return host.Menus().Accion(nombre); }
    // Opens a menu of the bar the way a click on it does.
    void AbrirMenu(std::string_view nombre) { emit host.Menus().Menu(nombre)->aboutToShow(); }
    void CerrarMenu(std::string_view nombre) { emit host.Menus().Menu(nombre)->aboutToHide(); }
    void Elegir(std::string_view nombre) { Accion(nombre)->trigger(); }
    static int Indice(cVisor* v, const std::string& nombre) {
        return static_cast<int>(v->Contenido().GetIndexItem(nombre));
    }
    std::int64_t Queued() const { return mTareas().UltimoIndice() + 1 - primeraOperacion_; }
    const Operacion& Ultima() const { return mTareas().Operaciones().back(); }

    // A drag over the pane's items with the given buttons held, then the drop.
    bool Soltar(cVisor* v, const QMimeData& datos, Qt::MouseButtons botones) {
        const QPoint p(40, 40);
        QDragEnterEvent entrar(p, Qt::CopyAction | Qt::MoveAction, &datos, botones, {});
        QApplication::sendEvent(v->picM(), &entrar);
        QDragMoveEvent mover(p, Qt::CopyAction | Qt::MoveAction, &datos, botones, {});
        QApplication::sendEvent(v->picM(), &mover);
        EXPECT_EQ(mover.dropAction(), Qt::CopyAction);
        // Buttons are never reported at the drop itself.
        QDropEvent soltar(QPointF(p), Qt::CopyAction | Qt::MoveAction, &datos, Qt::NoButton, {});
        QApplication::sendEvent(v->picM(), &soltar);
        QApplication::processEvents();
        return soltar.isAccepted();
    }

    CarpetaTemporal tmp;
    prueba::MarcoGrabador marco;
    prueba::InteraccionGrabada ui;
    frmMain host{&marco, 1};
    std::int64_t primeraOperacion_ = 0;
};

TEST_F(ComandosVisor, FileMenuFollowsTheDriveListAndTheCurrentItem) {
    prueba::UnidadesFijas unidades({{"/", "ext4", "/dev/vda", "", 3},
                                    {"/media/usb/", "vfat", "/dev/sdb1", "STICK", 7}});
    tmp.Archivo("a.txt", 1);
    cVisor* v = Abrir(tmp.Ruta());
    v->CargarContenido(TextoMiPC());
    AbrirMenu("mnuA");
    EXPECT_FALSE(Accion("mnuAn")->isEnabled());
    EXPECT_FALSE(Accion("mnuAeliminar")->isEnabled());
    EXPECT_FALSE(Accion("mnuAnombre")->isEnabled());
    EXPECT_FALSE(Accion("mnuApropiedades")->isEnabled());  // the drive list has no properties
    v->Seleccion().SELECCIONAR(Indice(v, "STICK (/media/usb)"), SEL_EXCLUSIVA, true);
    AbrirMenu("mnuA");
    EXPECT_TRUE(Accion("mnuAnombre")->isEnabled());
    EXPECT_EQ(Accion("mnuAnombre")->text(), "C&hange label");
    EXPECT_FALSE(Accion("mnuAeliminar")->isEnabled());
    EXPECT_TRUE(Accion("mnuApropiedades")->isEnabled());  // the drive's
    // Closed, the shortcuts work again; the commands check for themselves.
    CerrarMenu("mnuA");
    EXPECT_TRUE(Accion("mnuAeliminar")->isEnabled());
    EXPECT_EQ(Accion("mnuAeliminar")->shortcut(), QKeySequence(Qt::Key_Delete));

    v->CargarContenido(tmp.Ruta());
    v->Seleccion().SELECCIONAR(Indice(v, "a.txt"), SEL_EXCLUSIVA, true);
    AbrirMenu("mnuA");
    EXPECT_TRUE(Accion("mnuAn")->isEnabled());
    EXPECT_TRUE(Accion("mnuAeliminar")->isEnabled());
    EXPECT_EQ(Accion("mnuAnombre")->text(), "&Rename");
}

TEST_F(ComandosVisor, EditMenuEnablesPasteOnlyForFileListsOutsideTheDriveList) {
    tmp.Archivo("a.txt", 1);
    cVisor* v = Abrir(tmp.Ruta());
    AbrirMenu("mnuE");
    EXPECT_TRUE(Accion("mnuEcopiar")->isEnabled());
    EXPECT_FALSE(Accion("mnuEpegar")->isEnabled());
    EXPECT_FALSE(Accion("mnuEmover")->isEnabled());
    EXPECT_FALSE(Accion("mnuEdeshacer")->isEnabled());
    ASSERT_TRUE(PonerEnPortapapeles({tmp.Ruta("a.txt")}));
    AbrirMenu("mnuE");
    EXPECT_TRUE(Accion("mnuEpegar")->isEnabled());
    EXPECT_TRUE(Accion("mnuEmover")->isEnabled());
    v->CargarContenido(TextoMiPC());
    AbrirMenu("mnuE");
    EXPECT_FALSE(Accion("mnuEpegar")->isEnabled());
    // While the address box has the focus, Ctrl+C and Ctrl+V belong to it.
    CerrarMenu("mnuE");
    host.SetCopiarPegarHabilitado(false);
    EXPECT_FALSE(Accion("mnuEcopiar")->isEnabled());
    host.SetCopiarPegarHabilitado(true);
    EXPECT_TRUE(Accion("mnuEcopiar")->isEnabled());
}

TEST_F(ComandosVisor, CopyPutsTheSelectionOnTheClipboardAndNothingLeavesItAlone) {
    tmp.Archivo("a.txt", 1);
    tmp.Archivo("b.txt", 1);
    cVisor* v = Abrir(tmp.Ruta());
    Elegir("mnuEcopiar");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "nothing");
    v->Seleccion().SELECCIONAR(Indice(v, "b.txt"), SEL_EXCLUSIVA, true);
    v->Seleccion().SELECCIONAR(Indice(v, "a.txt"), SEL_ALTERNAR, true);
    Elegir("mnuEcopiar");
    EXPECT_EQ(LeerPortapapeles().rutas, (std::vector<std::string>{tmp.Ruta("b.txt"), tmp.Ruta("a.txt")}));
}

TEST_F(ComandosVisor, PasteAndMoveQueueTheClipboardFilesIntoThePaneOrAFolderItem) {
    const std::string a = tmp.Archivo("otra/a.txt", 1);
    tmp.Carpeta("aqui/sub");
    cVisor* v = Abrir(tmp.Ruta("aqui/"));
    Elegir("mnuEpegar");  // the clipboard holds text only
    EXPECT_EQ(Queued(), 0);
    ASSERT_TRUE(PonerEnPortapapeles({a}));
    Elegir("mnuEpegar");
    ASSERT_EQ(Queued(), 1);
    EXPECT_EQ(Ultima().Tipo, TIPO_COPIAR);
    EXPECT_EQ(Ultima().Origen, tmp.Ruta("otra/"));
    EXPECT_EQ(Ultima().DestinoInicial, tmp.Ruta("aqui/"));
    EXPECT_EQ(Ultima().Lista, std::vector<std::string>{a});
    Elegir("mnuEmover");
    EXPECT_EQ(Ultima().Tipo, TIPO_MOVER);
    v->Seleccion().SELECCIONAR(Indice(v, "sub"), SEL_EXCLUSIVA, true);
    Elegir("mnuPApegar");
    EXPECT_EQ(Ultima().Tipo, TIPO_COPIAR);
    EXPECT_EQ(Ultima().DestinoInicial, tmp.Ruta("aqui/sub/"));
    EXPECT_EQ(Queued(), 3);
}

TEST_F(ComandosVisor, ALeftButtonDropQueuesACopyOfTheFilesFromElsewhere) {
    const std::string a = tmp.Archivo("origen/a.txt", 1);
    const std::string b = tmp.Archivo("origen/b.txt", 1);
    const std::string propio = tmp.Archivo("destino/propio.txt", 1);
    cVisor* v = Abrir(tmp.Ruta("destino/"));
    std::unique_ptr<QMimeData> datos(CrearDatosArchivos({propio, a, b}));
    EXPECT_TRUE(Soltar(v, *datos, Qt::LeftButton));
    ASSERT_EQ(Queued(), 1);
    EXPECT_EQ(Ultima().Tipo, TIPO_COPIAR);
    EXPECT_EQ(Ultima().Origen, tmp.Ruta("origen/"));
    EXPECT_EQ(Ultima().DestinoInicial, tmp.Ruta("destino/"));
    EXPECT_EQ(Ultima().Lista, (std::vector<std::string>{a, b}));
    EXPECT_TRUE(ui.menus.isEmpty());
    // Files that are all in the destination already: nothing.
    std::unique_ptr<QMimeData> propios(CrearDatosArchivos({propio}));
    Soltar(v, *propios, Qt::LeftButton);
    EXPECT_EQ(Queued(), 1);
    // Data that is not a file list is refused.
    QMimeData texto;
    texto.setText(QStringLiteral("hola"));
    EXPECT_FALSE(Soltar(v, texto, Qt::LeftButton));
    EXPECT_EQ(Queued(), 1);
}

TEST_F(ComandosVisor, ARightButtonDropAsksWhatToDo) {
    const std::string a = tmp.Archivo("origen/a.txt", 1);
    tmp.Carpeta("destino");
    cVisor* v = Abrir(tmp.Ruta("destino/"));
    std::unique_ptr<QMimeData> datos(CrearDatosArchivos({a}));
    ui.elegir = "mnuPDcancelar";
    Soltar(v, *datos, Qt::RightButton);
    EXPECT_EQ(ui.menus, QStringList{"mnuPD"});
    EXPECT_EQ(ui.ultimo->defaultAction(), Accion("mnuPDcopiar"));
    EXPECT_EQ(Queued(), 0);
    ui.elegir.clear();  // closed without a choice
    Soltar(v, *datos, Qt::RightButton);
    EXPECT_EQ(Queued(), 0);
    ui.elegir = "mnuPDmover";
    Soltar(v, *datos, Qt::RightButton);
    ASSERT_EQ(Queued(), 1);
    EXPECT_EQ(Ultima().Tipo, TIPO_MOVER);
    // The next drag is made with the left button: a copy, no question.
    Soltar(v, *datos, Qt::LeftButton);
    EXPECT_EQ(Ultima().Tipo, TIPO_COPIAR);
    EXPECT_EQ(ui.menus.size(), 3);
}

TEST_F(ComandosVisor, ADropOnTheDriveListIsRefusedWithAMessage) {
    prueba::DialogosGrabados dialogos;
    const std::string a = tmp.Archivo("origen/a.txt", 1);
    cVisor* v = Abrir(tmp.Ruta());
    v->CargarContenido(TextoMiPC());
    std::unique_ptr<QMimeData> datos(CrearDatosArchivos({a}));
    Soltar(v, *datos, Qt::LeftButton);
    EXPECT_EQ(dialogos.mensajes, std::vector<std::string>{"Can't drag elements here."});
    EXPECT_EQ(Queued(), 0);
}

TEST_F(ComandosVisor, GoMenuListsTheHistoryOnEitherSide) {
    tmp.Carpeta("uno");
    tmp.Carpeta("uno/dos");
    cVisor* v = Abrir(tmp.Ruta());
    AbrirMenu("mnuI");
    ASSERT_EQ(host.Menus().Menu("mnuAtras")->actions().size(), 1);
    EXPECT_EQ(host.Menus().Menu("mnuAtras")->actions()[0]->text(), "(empty)");
    EXPECT_FALSE(host.Menus().Menu("mnuAtras")->actions()[0]->isEnabled());
    v->CargarContenido(tmp.Ruta("uno/"));
    v->CargarContenido(tmp.Ruta("uno/dos/"));
    v->Contenido().GoHistorial(v->Contenido().IndexHistorial() - 1);
    AbrirMenu("mnuI");
    const QList<QAction*> atras = host.Menus().Menu("mnuAtras")->actions();
    const QList<QAction*> adelante = host.Menus().Menu("mnuAdelante")->actions();
    ASSERT_EQ(atras.size(), 1);
    ASSERT_EQ(adelante.size(), 1);
    EXPECT_EQ(atras[0]->text().toStdString(), UltimoComponente(tmp.Ruta()));
    EXPECT_EQ(adelante[0]->text(), "dos");
    adelante[0]->trigger();
    EXPECT_EQ(v->RutaActual(), tmp.Ruta("uno/dos/"));
    Elegir("mnuIsubir");
    EXPECT_EQ(v->RutaActual(), tmp.Ruta("uno/"));
    Elegir("mnuIpc");
    EXPECT_TRUE(v->Contenido().EnMiPC());
}

TEST_F(ComandosVisor, TheItemMenuOffersTheFilesProgramsAndTheChooser) {
    prueba::AsociacionesFalsas asociaciones;
    tmp.Archivo("nota.txt", 1);
    tmp.Carpeta("sub");
    cVisor* v = Abrir(tmp.Ruta());
    const QPoint sobre = v->RectItemEnPantalla(Indice(v, "nota.txt")).topLeft() + QPoint(37, 20);
    QTest::mouseClick(v->picM(), Qt::RightButton, {}, sobre);
    ASSERT_EQ(ui.menus, QStringList{"mnuPA"});
    EXPECT_TRUE(Accion("mnuPAA")->isVisible());
    QStringList textos;
    for (QAction* a : host.Menus().Menu("mnuPAA")->actions())
        if (!a->isSeparator()) textos << a->text();
    EXPECT_EQ(textos, (QStringList{"Notas && Co", "Editor", "&Choice program..."}));
    EXPECT_FALSE(Accion("mnuPApegar")->isEnabled());  // a file is no place to paste into
    host.Menus().Menu("mnuPAA")->actions()[1]->trigger();
    using Par = std::pair<std::string, std::string>;
    EXPECT_EQ(asociaciones.lanzados, (std::vector<Par>{{"editor.desktop", tmp.Ruta("nota.txt")}}));
    Elegir("mnuPAAelegir");
    EXPECT_EQ(ui.elegidos, std::vector<std::string>{tmp.Ruta("nota.txt")});
    // A folder has no programs; the list is rebuilt, not added to.
    v->Seleccion().SELECCIONAR(Indice(v, "sub"), SEL_EXCLUSIVA, true);
    host.MostrarMenuItem(QPoint());
    EXPECT_FALSE(Accion("mnuPAA")->isVisible());
    EXPECT_EQ(host.Menus().Menu("mnuPAA")->actions().size(), 1);
}

TEST_F(ComandosVisor, TheBackgroundMenuChecksTheViewAndTheOrder) {
    tmp.Archivo("a.txt", 1);
    cVisor* v = Abrir(tmp.Ruta());
    v->SetViewMode(MODO_PREVIEW);
    QTest::mouseClick(v->picM(), Qt::RightButton, {}, QPoint(v->picM()->width() - 5, v->picM()->height() - 5));
    ASSERT_EQ(ui.menus, QStringList{"mnuPC"});
    EXPECT_TRUE(Accion("mnuPCver2")->isChecked());
    EXPECT_FALSE(Accion("mnuPCver0")->isChecked());
    EXPECT_TRUE(Accion("mnuPCOorden0")->isChecked());
    Elegir("mnuPCver1");
    EXPECT_EQ(v->Distribucion().Geometria().ModoVer, MODO_DETALLES);
    Elegir("mnuPCOF1");
    EXPECT_EQ(v->Contenido().CriterioOrden, 4);
    host.MostrarMenuFondo(QPoint());
    EXPECT_TRUE(Accion("mnuPCver1")->isChecked());
    EXPECT_TRUE(Accion("mnuPCOorden3")->isChecked());
    EXPECT_TRUE(Accion("mnuPCOF1")->isChecked());
    EXPECT_FALSE(Accion("mnuPCOF0")->isChecked());
}

TEST_F(ComandosVisor, FileCommandsActOnTheActivePane) {
    tmp.Archivo("a.txt", 1);
    tmp.Archivo("b.txt", 1);
    cVisor* v = Abrir(tmp.Ruta());
    Elegir("mnuANcarpeta");
    Elegir("mnuANcarpeta");
    EXPECT_GE(Indice(v, "Carpeta"), 0);
    EXPECT_GE(Indice(v, "Carpeta (1)"), 0);
    Elegir("mnuEseleccionarTodo");
    EXPECT_EQ(v->Seleccion().nSel(), 4);
    v->Seleccion().SELECCIONAR(Indice(v, "a.txt"), SEL_EXCLUSIVA, true);
    Elegir("mnuEinvertirSeleccion");
    EXPECT_EQ(v->Seleccion().nSel(), 3);
    {
        prueba::DialogosGrabados si(Respuesta::Si);
        Elegir("mnuAeliminar");
        ASSERT_EQ(Queued(), 1);
        EXPECT_EQ(Ultima().Tipo, TIPO_BORRAR);
        EXPECT_EQ(Ultima().Lista.size(), 3u);
    }
    Elegir("mnuVarbol");
    EXPECT_TRUE(v->TreeVisible());
    Elegir("mnuXaddVisor");
    EXPECT_EQ(host.nVisores(), 2);
    Elegir("mnuXcerrarVisor");
    EXPECT_EQ(host.nVisores(), 1);
    Elegir("mnuXaddTab");
    Elegir("mnuAsalir");
    EXPECT_EQ(marco.nuevos, 1);
    EXPECT_EQ(marco.salidas, 1);
}

TEST_F(ComandosVisor, CaptionsFollowTheLanguageAndShortcutsReachTheCommands) {
    tmp.Archivo("a.txt", 1);
    tmp.Archivo("b.txt", 1);
    cVisor* v = Abrir(tmp.Ruta());
    EXPECT_EQ(host.Menus().Barra()->actions()[0]->text(), "E&xplorer");
    CargarIdiomaIncorporado(1);
    host.SetIdioma();
    const QString espanol = Accion("mnuA")->text();
    CargarIdiomaIncorporado(0);
    host.SetIdioma();
    EXPECT_NE(espanol, Accion("mnuA")->text());
    EXPECT_EQ(Accion("mnuA")->text(), "&File");

    host.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
    v->picM()->setFocus();
    QTest::keyClick(v->picM(), Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(v->Seleccion().nSel(), 2);
    QTest::keyClick(v->picM(), Qt::Key_F1, Qt::ControlModifier);
    EXPECT_GE(Indice(v, "Carpeta"), 0);
}

}  // namespace
}  // namespace quirvex
