// The search tab in the assembled frame: opened from the pane's F3 and item menu, searching,
// cancelling, closing, showing a hit in its folder, the tab limit and a result list of 100,000
// hits.

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <chrono>
#include <map>
#include <thread>

#include "frame/tab_falsa_qt.h"
#include "pane/frm_main_qt.h"
#include "pane/interaccion_falsa_qt.h"
#include "pane/menus_visor_qt.h"
#include "pane/visor_qt.h"
#include "platform/listado_nombres.h"
#include "search/frm_buscar_qt.h"
#include "settings/elegir_carpeta_qt.h"
#include "support/fakes.h"

namespace quirvex::prueba {
namespace {

// A scripted tree: folder path -> entries in listing order. A folder may take a while to read,
// as on a slow disk, so that a search lasts long enough for the window to take its turns.
class ListadoGuion final : public ListadoNombres {
public:
    ListadoGuion() { SetListadoNombres(this); }
    ~ListadoGuion() override { SetListadoNombres(nullptr); }
    bool Listar(const std::string& carpeta,
                const std::function<bool(std::string_view, ClaseEntrada)>& porEntrada) override {
        if (porCarpeta.count() > 0) std::this_thread::sleep_for(porCarpeta);
        auto it = arbol.find(carpeta);
        if (it == arbol.end()) return false;
        for (const auto& [nombre, clase] : it->second)
            if (!porEntrada(nombre, clase)) break;
        return true;
    }
    std::map<std::string, std::vector<std::pair<std::string, ClaseEntrada>>> arbol;
    std::chrono::microseconds porCarpeta{0};
};

// "/r/" with `carpetas` folders of ten files each, every folder read taking a millisecond.
void ArbolAncho(ListadoGuion& guion, int carpetas) {
    guion.porCarpeta = std::chrono::milliseconds(1);
    for (int i = 0; i < carpetas; ++i) {
        guion.arbol["/r/"].push_back({"c" + std::to_string(i), ClaseEntrada::Carpeta});
        for (int k = 0; k < 10; ++k)
            guion.arbol["/r/c" + std::to_string(i) + "/"].push_back({"h" + std::to_string(k), ClaseEntrada::Archivo});
    }
}

class BuscarEnMarco : public MarcoTest {
protected:
    static frmBuscar* Busqueda(MDI& m) { return dynamic_cast<frmBuscar*>(m.TabActual()); }
    static bool Esperar(const std::function<bool()>& condicion) {
        QElapsedTimer t;
        t.start();
        while (!condicion() && t.elapsed() < 5000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        return condicion();
    }
    static QStringList Filas(frmBuscar& f) {
        QStringList r;
        for (int i = 0; i < f.Modelo()->rowCount(); ++i)
            r << f.Modelo()->index(i, 1).data().toString() + f.Modelo()->index(i, 0).data().toString();
        return r;
    }
    InteraccionGrabada ui;
};

TEST_F(BuscarEnMarco, F3SearchesThePanesFolderAndADoubleClickShowsTheHitInItsFolder) {
    tmp.Archivo("a/b/notes.txt");
    tmp.Archivo("a/txtfile.doc");
    tmp.Archivo("a/other.bin");
    auto m = MarcoConPaneles(Q(tmp.Ruta("a/")));
    auto* carpeta = dynamic_cast<frmMain*>(m->TabActual());
    ASSERT_NE(carpeta, nullptr);
    const int antes = m->ContarTabs();
    carpeta->aVisor()->picM()->setFocus();
    QTest::keyClick(carpeta->aVisor()->picM(), Qt::Key_F3);
    ASSERT_EQ(m->ContarTabs(), antes + 1);
    frmBuscar* f = Busqueda(*m);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->Carpetas(), (std::vector<std::string>{tmp.Ruta("a/")}));
    EXPECT_EQ(m->Tabs().back().TextoCompleto, "Search");
    EXPECT_EQ(f->lbl(3)->text(), "The search has not been made yet.");
    EXPECT_EQ(QApplication::focusWidget(), f->txtARCHIVO());

    QTest::keyClicks(f->txtARCHIVO(), "TXT");
    QTest::keyClick(f->txtARCHIVO(), Qt::Key_Return);
    EXPECT_FALSE(f->Buscando());
    EXPECT_EQ(Filas(*f), (QStringList{Q(tmp.Ruta("a/b/notes.txt")), Q(tmp.Ruta("a/txtfile.doc"))}));
    EXPECT_EQ(f->Busqueda().Linea(0), "notes.txt\t\t" + tmp.Ruta("a/b/"));
    EXPECT_TRUE(QRegularExpression("^Found 2 files in [0-9.]+ seconds$").match(f->lbl(3)->text()).hasMatch())
        << f->lbl(3)->text().toStdString();
    EXPECT_TRUE(f->cmdBUSCAR()->isEnabled());

    QCoreApplication::processEvents();
    const QRect celda = f->LISTA()->visualRect(f->Modelo()->index(0, 0));
    QTest::mouseDClick(f->LISTA()->viewport(), Qt::LeftButton, {}, celda.center());
    ASSERT_EQ(m->TabActual(), carpeta);
    cVisor* v = carpeta->aVisor();
    EXPECT_EQ(v->Contenido().RutaActual, tmp.Ruta("a/b/"));
    ASSERT_EQ(v->Seleccion().nSel(), 1);
    EXPECT_EQ(v->Contenido().Items[static_cast<size_t>(v->Seleccion().sActual())].Nombre, "notes.txt");
}

TEST_F(BuscarEnMarco, TheItemMenuSearchesTheChosenFolderAndTheDriveListOffersNoSearch) {
    tmp.Archivo("dentro/x.txt");
    auto m = MarcoConPaneles(Q(tmp.Ruta()));
    auto* carpeta = dynamic_cast<frmMain*>(m->TabActual());
    cVisor* v = carpeta->aVisor();
    const auto i = v->Contenido().GetIndexItem("dentro");
    ASSERT_GE(i, 0);
    v->Seleccion().SELECCIONAR(static_cast<int>(i), SEL_EXCLUSIVA, true);
    carpeta->MostrarMenuItem(QPoint(10, 10));
    QAction* buscar = carpeta->Menus().Accion("mnuPAbuscar");
    ASSERT_TRUE(buscar->isEnabled());
    buscar->trigger();
    ASSERT_NE(Busqueda(*m), nullptr);
    EXPECT_EQ(Busqueda(*m)->Carpetas(), (std::vector<std::string>{tmp.Ruta("dentro/")}));

    m->e_tabB_Click(carpeta->nTab());
    v->CargarContenido(TextoMiPC());
    const int tabs = m->ContarTabs();
    v->picM()->setFocus();
    QTest::keyClick(v->picM(), Qt::Key_F3);
    EXPECT_EQ(m->ContarTabs(), tabs);
}

TEST_F(BuscarEnMarco, FolderListRulesAndTheMessagesOfAnEmptySearch) {
    auto m = MarcoConPaneles(Q(tmp.Ruta()));
    m->NuevaBusqueda(QString());
    frmBuscar* f = Busqueda(*m);
    ASSERT_NE(f, nullptr);
    {
        DialogosGrabados d;
        f->cmdBUSCAR()->click();
        EXPECT_EQ(d.mensajes, (std::vector<std::string>{"Add at least one folder to search."}));
    }
    // Add goes through the folder dialog; a cancelled dialog adds nothing.
    std::vector<std::string> respuestas = {tmp.Ruta("x/"), "", tmp.Ruta("X/"), tmp.Ruta("x/")};
    std::vector<std::string> titulos;
    SetRespuestaElegirCarpeta([&](const std::string& titulo, const std::string&) {
        titulos.push_back(titulo);
        std::string r = respuestas.front();
        respuestas.erase(respuestas.begin());
        return r;
    });
    for (int k = 0; k < 4; ++k) f->cmdADD()->click();
    SetRespuestaElegirCarpeta(nullptr);
    EXPECT_EQ(titulos.front(), "Seleccionar Carpeta");
    EXPECT_EQ(f->Carpetas(), (std::vector<std::string>{tmp.Ruta("X/"), tmp.Ruta("x/")}));
    f->cboCARPETA()->setCurrentIndex(0);
    f->cmdELIMINAR()->click();
    EXPECT_EQ(f->Carpetas(), (std::vector<std::string>{tmp.Ruta("x/")}));
    // Unticked "Search in folders": nothing is searched and 0 files are reported.
    tmp.Archivo("x/a.txt");
    f->chkDISCO()->setChecked(false);
    f->cmdBUSCAR()->click();
    EXPECT_TRUE(f->lbl(3)->text().startsWith("Found 0 files in "));
    f->cmdBORRAR()->click();
    EXPECT_TRUE(f->Carpetas().empty());

    UnidadesFijas unidades({{"/", "ext4", "/dev/sda1", "", UNIDAD_FIJA},
                            {"/media/usb/", "vfat", "/dev/sdb1", "USB", UNIDAD_EXTRAIBLE},
                            {"/mnt/red/", "nfs", "srv:/x", "", UNIDAD_REMOTA}});
    f->cmdUNIDADES()->click();
    EXPECT_EQ(f->Carpetas(), (std::vector<std::string>{"/mnt/red/", "/media/usb/", "/"}));
}

TEST_F(BuscarEnMarco, CancelWhileSearchingKeepsTheHitsAndCancelWhileIdleClosesTheTab) {
    ListadoGuion guion;
    ArbolAncho(guion, 200);
    auto m = MarcoConPaneles(Q(tmp.Ruta()));
    m->NuevaBusqueda(QStringLiteral("/r/"));
    frmBuscar* f = Busqueda(*m);
    // Cancel is pressed at the first yield that has hits on the list.
    QTimer reloj;
    QObject::connect(&reloj, &QTimer::timeout, [&] {
        if (f->Buscando() && f->Modelo()->rowCount() > 0) f->cmdCancelar()->click();
    });
    reloj.start(0);
    f->cmdBUSCAR()->click();
    reloj.stop();
    EXPECT_FALSE(f->Buscando());
    const int hallados = f->Modelo()->rowCount();
    EXPECT_GT(hallados, 0);
    EXPECT_LT(hallados, 2000);
    EXPECT_TRUE(f->lbl(3)->text().startsWith(QString("Found %1 files in ").arg(hallados)));
    EXPECT_TRUE(f->cmdBUSCAR()->isEnabled());

    const int tabs = m->ContarTabs();
    f->cmdCancelar()->click();
    EXPECT_EQ(m->ContarTabs(), tabs - 1);
    EXPECT_EQ(m->TabActual() ? m->TabActual()->NombreVentana() : QString(), "frmMain");
}

TEST_F(BuscarEnMarco, TheTabTakesItsTurnsByTimeAndAppendsTheHitsInBatches) {
    ListadoGuion guion;
    ArbolAncho(guion, 300);
    auto m = MarcoConPaneles(Q(tmp.Ruta()));
    m->NuevaBusqueda(QStringLiteral("/r/"));
    frmBuscar* f = Busqueda(*m);
    int lotes = 0, turnos = 0;
    QObject::connect(f->Modelo(), &QAbstractItemModel::rowsInserted, [&] { ++lotes; });
    QTimer reloj;
    QObject::connect(&reloj, &QTimer::timeout, [&] { ++turnos; });
    reloj.start(0);
    QElapsedTimer t;
    t.start();
    f->cmdBUSCAR()->click();
    const qint64 ms = t.elapsed();
    reloj.stop();
    ASSERT_EQ(f->Modelo()->rowCount(), 3000);
    ASSERT_GE(ms, 300);
    // The window still answers while it searches, but not after every thirty hits: about one
    // turn, and one batch of rows, per 50 ms.
    EXPECT_GE(turnos, 2);
    EXPECT_GE(lotes, 2);
    EXPECT_LE(lotes, ms / 50 + 2) << ms << " ms";
    EXPECT_LE(turnos, ms / 50 + 2) << ms << " ms";
}

TEST_F(BuscarEnMarco, ClosingTheTabStopsTheSearch) {
    ListadoGuion guion;
    guion.porCarpeta = std::chrono::milliseconds(1);
    for (int i = 0; i < 400; ++i) {
        guion.arbol["/r/"].push_back({"c" + std::to_string(i), ClaseEntrada::Carpeta});
        guion.arbol["/r/c" + std::to_string(i) + "/"] = {{"h", ClaseEntrada::Archivo}};
    }
    auto m = MarcoConPaneles(Q(tmp.Ruta()));
    m->NuevaBusqueda(QStringLiteral("/r/"));
    QPointer<frmBuscar> f = Busqueda(*m);
    const int n = f->nTab();
    QTimer::singleShot(0, m.get(), [&] { m->CerrarTab(n); });
    f->cmdBUSCAR()->click();
    // The walk ended at its next entry, long before the 400 folders.
    if (f) {
        EXPECT_LT(f->Modelo()->rowCount(), 400);
    }
    EXPECT_TRUE(Esperar([&] { return f.isNull(); }));
}

TEST_F(BuscarEnMarco, SearchTabsCountTowardsTheTabLimit) {
    auto m = MarcoConPaneles(Q(tmp.Ruta()));
    DialogosGrabados d;
    while (m->ContarTabs() < 16) m->NuevaBusqueda(Q(tmp.Ruta()));
    EXPECT_TRUE(d.mensajes.empty());
    m->NuevaBusqueda(Q(tmp.Ruta()));
    EXPECT_EQ(m->ContarTabs(), 16);
    EXPECT_EQ(d.mensajes, (std::vector<std::string>{"Can't open more than 16 tabs on this version."}));
}

TEST_F(BuscarEnMarco, AHundredThousandHitsMakeNoWidgetsAndTheListScrollsToTheEnd) {
    ListadoGuion guion;
    auto& r = guion.arbol["/r/"];
    for (int i = 0; i < 100000; ++i) r.push_back({"hit" + std::to_string(i), ClaseEntrada::Archivo});
    auto m = MarcoConPaneles(Q(tmp.Ruta()));
    m->NuevaBusqueda(QStringLiteral("/r/"));
    frmBuscar* f = Busqueda(*m);
    const auto widgets = f->findChildren<QWidget*>().size();
    f->cmdBUSCAR()->click();
    ASSERT_EQ(f->Modelo()->rowCount(), 100000);
    EXPECT_EQ(f->findChildren<QWidget*>().size(), widgets);
    QCoreApplication::processEvents();
    f->LISTA()->scrollToBottom();
    QCoreApplication::processEvents();
    const QModelIndex ultimo = f->LISTA()->indexAt(QPoint(5, 5));
    EXPECT_GT(ultimo.row(), 99900) << f->LISTA()->viewport()->height();
    EXPECT_EQ(ultimo.sibling(ultimo.row(), 0).data().toString().left(3), "hit");
    const QImage captura = f->grab().toImage();
    EXPECT_FALSE(captura.isNull());
    if (const char* png = std::getenv("QUIRVEX_CAPTURAS")) captura.save(QString(png) + "/frm_buscar.png");
}

}  // namespace
}  // namespace quirvex::prueba
