// Every window of the assembled program as assistive tools read it: each shown control a
// user can act on has a name and can be reached from the keyboard, and the names are the
// labels the user sees (not the group around a box, nor its current value).

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

#include "folder/tabla_unidades.h"
#include "frame/auditoria_accesible_qt.h"
#include "frame/marco_real_qt.h"
#include "operations/frm_operaciones_qt.h"
#include "operations/frm_renombrar_qt.h"
#include "properties/frm_info_qt.h"
#include "search/frm_buscar_qt.h"
#include "settings/frm_opciones_qt.h"

namespace quirvex::prueba {
namespace {

QString Nombre(QObject* o) { return QAccessible::queryAccessibleInterface(o)->text(QAccessible::Name); }
QAccessible::Role Rol(QObject* o) { return QAccessible::queryAccessibleInterface(o)->role(); }

class Accesibilidad : public MarcoReal {
protected:
    void SetUp() override {
        MarcoReal::SetUp();
        for (const char* c : {"a/x", "b/y"}) tmp.Carpeta(c);
        archivo = tmp.ArchivoConTexto("a/file1.txt", "uno");
    }
    void TearDown() override {
        mTareas().SetTamanoTramo(0);
        MarcoReal::TearDown();
    }
    // Where the audit of each window adds up, for the summary line.
    void Contar(const AuditoriaAccesible& a) {
        total.revisados += a.revisados;
        total.sinNombre += a.sinNombre;
        total.inalcanzables += a.inalcanzables;
        EXPECT_TRUE(a.sinNombre.isEmpty()) << a.sinNombre.join('\n').toStdString();
        EXPECT_TRUE(a.inalcanzables.isEmpty()) << a.inalcanzables.join('\n').toStdString();
    }
    // The folder tab as a user leaves it: back and forward both possible, the info strip on.
    void AbrirCarpeta() {
        Abrir(tmp.Ruta("a/"));
        ASSERT_TRUE(Visor(0)->CargarContenido(tmp.Ruta("b/")));
        Tab()->ActualizarAtrasAdelante();
        m->cmdBF_Click(0);
        ASSERT_EQ(Visor(0)->RutaActual(), tmp.Ruta("a/"));
        m->chkInfo()->setChecked(true);
        QApplication::processEvents();
    }

    std::string archivo;
    AuditoriaAccesible total;
};

TEST_F(Accesibilidad, TheFolderTabAndItsToolbarAreNamedAndReachable) {
    AbrirCarpeta();
    Contar(AuditarVentana(m.get(), "folder tab"));
    EXPECT_EQ(Rol(m.get()), QAccessible::Window);
    EXPECT_EQ(Nombre(m->cmdBF(0)), "Back");
    EXPECT_EQ(Nombre(m->cmdBF(1)), "Forward");
    EXPECT_EQ(Nombre(m->cmdBF(2)), "History");
    EXPECT_EQ(Nombre(m->txtFiltro()), "Filter");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(m->cboFiltro())->text(QAccessible::Description), "Filter type");
    EXPECT_EQ(Nombre(m->txtBuscar()), "Quick Search");
    EXPECT_EQ(Nombre(m->chkInfo()), "View Info");
    EXPECT_EQ(Rol(m->lblRuta()[0]), QAccessible::Link);
    EXPECT_EQ(Nombre(m->lblRuta()[0]), "My PC");
    // The panes' items stay what they were to a reader.
    QAccessibleInterface* items = QAccessible::queryAccessibleInterface(Visor(0)->picM());
    ASSERT_EQ(items->role(), QAccessible::List);
    ASSERT_GT(items->childCount(), 0);
    EXPECT_EQ(items->child(Indice(Visor(0), "file1.txt"))->text(QAccessible::Name), "file1.txt");
}

TEST_F(Accesibilidad, TheSearchTabNamesItsBoxesButtonsAndResults) {
    Abrir(tmp.Ruta("a/"));
    m->NuevaBusqueda(Q(tmp.Ruta("a/")));
    auto* f = dynamic_cast<frmBuscar*>(m->TabActual());
    ASSERT_NE(f, nullptr);
    QApplication::processEvents();
    Contar(AuditarVentana(m.get(), "search tab"));
    EXPECT_EQ(Nombre(f->txtARCHIVO()), "Search:");
    EXPECT_EQ(Nombre(f->cmdADD()), "Add folder");
    EXPECT_EQ(Nombre(f->cmdELIMINAR()), "Remove folder");
    EXPECT_EQ(Nombre(f->LISTA()), "Search results:");
}

TEST_F(Accesibilidad, TheOperationsTabWithARunningCopyExposesEachOperation) {
    Abrir(tmp.Ruta("a/"));
    const std::string grande = tmp.ArchivoConTexto("src/big", std::string(3000000, 'q'));
    mTareas().SetTamanoTramo(4096);
    m->e_tabB_Click(1);
    auto* ops = dynamic_cast<frmOperaciones*>(m->Cliente()->findChild<frmOperaciones*>());
    ASSERT_NE(ops, nullptr);
    bool auditado = false;
    QObject::connect(ops, &frmOperaciones::TituloCambiado, ops, [&](const QString& t) {
        if (auditado || !t.endsWith('%')) return;
        auditado = true;
        // While the engine yields, as a reader would find it.
        QTimer::singleShot(0, ops, [&] {
            ASSERT_TRUE(mTareas().Ocupado());
            Contar(AuditarVentana(m.get(), "operations tab, copy running"));
            const int i = ops->nPaneles() - 1;
            const Operacion& op = mTareas().Operaciones().back();
            QAccessibleInterface* panel = QAccessible::queryAccessibleInterface(ops->picT(i));
            EXPECT_EQ(panel->role(), QAccessible::ListItem);
            EXPECT_EQ(panel->text(QAccessible::Name), Q("Copy from " + op.Origen + " to " + op.Destino));
            EXPECT_TRUE(panel->text(QAccessible::Description).contains('%'));
            QAccessibleInterface* barra = QAccessible::queryAccessibleInterface(ops->bar(i));
            EXPECT_EQ(barra->text(QAccessible::Name), panel->text(QAccessible::Name));
            ASSERT_NE(barra->valueInterface(), nullptr);
            EXPECT_EQ(barra->valueInterface()->currentValue().toInt(), ops->bar(i)->value());
            EXPECT_EQ(Nombre(ops->cmdPausa(i)), "Pause: " + panel->text(QAccessible::Name));
            EXPECT_EQ(Nombre(ops->cmdCancelar(i)), "Cancel: " + panel->text(QAccessible::Name));
            EXPECT_EQ(Nombre(ops->txtLOG()), "Error log");
        });
    });
    mTareas().AgregarOperacion(TIPO_COPIAR, tmp.Ruta("src/"), tmp.Carpeta("d"), {grande});
    ASSERT_TRUE(QTest::qWaitFor([&] { return mTareas().Operaciones().back().Estado == ESTADO_TERMINADA; }, 60000));
    EXPECT_TRUE(auditado);
}

TEST_F(Accesibilidad, EveryPageOfTheOptionsWindowIsNamedByItsLabels) {
    Abrir(tmp.Ruta("a/"));
    m->MostrarOpciones();
    auto* o = dynamic_cast<frmO*>(m->VentanaOpciones());
    ASSERT_NE(o, nullptr);
    for (int i = 0; i < o->Tabs()->count(); ++i) {
        o->Tabs()->setCurrentIndex(i);
        QApplication::processEvents();
        const std::string pagina = "options page " + std::to_string(i + 1);
        Contar(AuditarVentana(o, pagina.c_str()));
    }
    EXPECT_EQ(Nombre(o->txtPmaxW()), "Max width:");
    EXPECT_EQ(EtiquetaDe(QAccessible::queryAccessibleInterface(o->cboDefaultView())), "View by default:");
    EXPECT_EQ(Nombre(o->txtImgMax(0)), "Limit BMP's and Gif's preview (KB):");
    EXPECT_EQ(Nombre(o->txtImgMax(1)), "Limit JPG's and JPEG's preview (KB):");
    EXPECT_EQ(Nombre(o->lstPrevia()), "File types with preview");
    EXPECT_EQ(Nombre(o->lstCargar()), "File types whose own icon is loaded");
    o->close();
}

TEST_F(Accesibilidad, PropertiesOfAFileAFolderAndADriveAreDialogsNamedAfterTheirItem) {
    Abrir(tmp.Ruta("a/"));
    struct Caso {
        std::string ruta;
        bool unidad;
    };
    ListarUnidades();
    for (const Caso& c : {Caso{archivo, false}, Caso{tmp.Ruta("a/x/"), false}, Caso{"/", true}}) {
        frmInfo* w = MostrarPropiedades(m.get(), c.ruta, c.unidad, nullptr);
        ASSERT_NE(w, nullptr);
        QApplication::processEvents();
        const std::string que = "properties of " + c.ruta;
        Contar(AuditarVentana(w, que.c_str()));
        EXPECT_EQ(Rol(w), QAccessible::Dialog);
        EXPECT_EQ(Nombre(w), w->Titulo());
        EXPECT_FALSE(w->Titulo().isEmpty());
        if (c.unidad) {
            QAccessibleInterface* barra = QAccessible::queryAccessibleInterface(w->findChild<QWidget*>("picUE"));
            EXPECT_EQ(barra->role(), QAccessible::ProgressBar);
            EXPECT_EQ(barra->text(QAccessible::Name), "Used space");
            ASSERT_NE(barra->valueInterface(), nullptr);
            EXPECT_NEAR(barra->valueInterface()->currentValue().toDouble(), w->Pagina().fraccionUsada * 100, 0.01);
            EXPECT_EQ(Nombre(w->txtEtiqueta()), "Label:");
        } else {
            EXPECT_EQ(Nombre(w->txtCU()), "Location:");
            EXPECT_EQ(Nombre(w->txtCT()), "Size:");
        }
        w->close();
        QApplication::processEvents();
    }
}

TEST_F(Accesibilidad, TheRenameBoxesAreToldApartByTheirLabels) {
    Abrir(tmp.Ruta("a/"));
    frmRenombrar d(m.get());
    d.PrepararRenombrar(Visor(0)->Contenido(), Indice(Visor(0), "file1.txt"), nullptr);
    d.show();
    QApplication::processEvents();
    Contar(AuditarVentana(&d, "rename"));
    EXPECT_EQ(Nombre(d.txtAnterior()), "Original name:");
    EXPECT_EQ(Nombre(d.txtNuevo()), "New name:");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(d.txtNuevo())->text(QAccessible::Value), "file1.txt");
}

}  // namespace
}  // namespace quirvex::prueba
