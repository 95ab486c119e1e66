// The properties window on real files, folders and (faked) drives: its pages, the tally on its
// own thread with every way of stopping it, and the label box.

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <atomic>
#include <filesystem>
#include <functional>
#include <map>
#include <cstdio>
#include <thread>
#include <unistd.h>

#include "folder/tabla_unidades.h"
#include "pane/entorno_qt.h"
#include "platform/lector_carpetas.h"
#include "properties/lector_con_cerrada.h"
#include "properties/fakes_propiedades.h"
#include "properties/frm_info_qt.h"
#include "settings/idioma.h"
#include "support/fakes.h"

namespace quirvex::prueba {
namespace {

std::int64_t Numero(const std::string& orden) {
    FILE* f = popen(orden.c_str(), "r");
    long long n = -1;
    if (f && std::fscanf(f, "%lld", &n) != 1) n = -1;
    if (f) pclose(f);
    return n;
}

bool Esperar(const std::function<bool()>& condicion) {
    QElapsedTimer t;
    t.start();
    while (!condicion() && t.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return condicion();
}

// The first folder read is real, with 1000 files more; every later one waits until the tally
// is stopped: a tally that never ends by itself.
class LectorDetenido final : public LectorCarpetas {
public:
    LectorDetenido() : real_(LectorSistema()) { SetLectorCarpetas(this); }
    ~LectorDetenido() override { SetLectorCarpetas(nullptr); }
    ManejadorCarpeta Abrir(ManejadorCarpeta p, const std::string& n, FalloCarpeta& f) override {
        return real_.Abrir(p, n, f);
    }
    bool Leer(ManejadorCarpeta h, ContenidoCarpeta& c, const std::atomic<bool>* cancelar) override {
        if (leidas++ == 0) {
            const bool r = real_.Leer(h, c, cancelar);
            c.archivos += 1000;
            return r;
        }
        c = {};
        ++detenidas;
        while (!cancelar->load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return false;
    }
    void Cerrar(ManejadorCarpeta h) override { real_.Cerrar(h); }
    std::atomic<int> leidas{0};
    std::atomic<int> detenidas{0};

private:
    LectorCarpetas& real_;
};

// The real reads, deaf to the cancel flag, counting the folders closed.
class LectorSordo final : public LectorCarpetas {
public:
    LectorSordo() : real_(LectorSistema()) { SetLectorCarpetas(this); }
    ~LectorSordo() override { SetLectorCarpetas(nullptr); }
    ManejadorCarpeta Abrir(ManejadorCarpeta p, const std::string& n, FalloCarpeta& f) override {
        return real_.Abrir(p, n, f);
    }
    bool Leer(ManejadorCarpeta h, ContenidoCarpeta& c, const std::atomic<bool>*) override {
        return real_.Leer(h, c, nullptr);
    }
    void Cerrar(ManejadorCarpeta h) override {
        real_.Cerrar(h);
        ++cerradas;
    }
    std::atomic<int> cerradas{0};

private:
    LectorCarpetas& real_;
};

class FrmInfo : public ::testing::Test, public ConAplicacion {
protected:
    static QString Q(const std::string& s) { return QString::fromStdString(s); }
    CarpetaTemporal tmp;
};

TEST_F(FrmInfo, FilePageShowsLocationAndSizeOnlyAndEscapeClosesIt) {
    const std::string ruta = tmp.Archivo("docs/informe.pdf", (std::uintmax_t{6} << 30));
    QPointer<frmInfo> f = MostrarPropiedades(nullptr, ruta, false, nullptr);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->Titulo(), "informe.pdf (Propiedades del Archivo)");
    EXPECT_EQ(f->txtCU()->text(), Q(tmp.Ruta("docs")));
    EXPECT_EQ(f->txtCT()->text(), "6 GB");
    EXPECT_TRUE(f->txtCT()->isVisible());
    EXPECT_FALSE(f->cmdCalcular()->isVisible());
    EXPECT_FALSE(f->LISTA()->isVisible());
    EXPECT_FALSE(f->txtARCHIVOS()->isVisible());
    EXPECT_FALSE(f->picU()->isVisible());
    QTest::keyClick(f->txtCT(), Qt::Key_Escape);
    EXPECT_TRUE(Esperar([&] { return f.isNull(); }));
}

TEST_F(FrmInfo, FolderIsTalliedOnlyOnRequestAndListsItsDirectSubfolders) {
    tmp.Archivo("top/a.txt", 10);
    tmp.Archivo("top/A/uno", 100);
    tmp.Archivo("top/A/B/dos", 1000);
    tmp.Archivo("top/C/tres", 5);
    tmp.Carpeta("top/D");
    frmInfo f;
    f.show();
    f.Cargar(tmp.Ruta("top"), false);
    EXPECT_EQ(f.Titulo(), "top (Folder Properties)");
    EXPECT_EQ(f.txtCU()->text(), Q(tmp.Ruta().substr(0, tmp.Ruta().size() - 1)));
    EXPECT_EQ(f.txtCT()->text(), "(Calculating...)");
    EXPECT_TRUE(f.txtARCHIVOS()->text().isEmpty());
    EXPECT_EQ(f.LISTA()->topLevelItemCount(), 0);
    EXPECT_FALSE(f.Calculando());

    QTest::mouseClick(f.cmdCalcular(), Qt::LeftButton);
    ASSERT_TRUE(Esperar([&] { return !f.Calculando(); }));
    const std::string q = "'" + tmp.Ruta("top") + "'";
    EXPECT_EQ(f.txtARCHIVOS()->text().toLongLong(), Numero("find " + q + " -type f | wc -l"));
    EXPECT_EQ(f.txtCARPETAS()->text().toLongLong(), Numero("find " + q + " -mindepth 1 -type d | wc -l"));
    EXPECT_EQ(f.txtCT()->text(), "1.08 KB");  // 1115 bytes
    ASSERT_EQ(f.LISTA()->topLevelItemCount(), 3);
    std::map<QString, QStringList> filas;
    for (int i = 0; i < 3; ++i) {
        const QTreeWidgetItem* it = f.LISTA()->topLevelItem(i);
        filas[it->text(0)] = {it->text(1), it->text(2), it->text(3)};
    }
    EXPECT_EQ(filas["A"], (QStringList{"2", "1", "1.07 KB"}));
    EXPECT_EQ(filas["C"], (QStringList{"1", "0", "5 bytes"}));
    EXPECT_EQ(filas["D"], (QStringList{"0", "0", "0 bytes"}));
    EXPECT_EQ(f.LISTA()->headerItem()->text(1), "Files");
}

TEST_F(FrmInfo, ASecondPressEscapeOrClosingStopsARunningTally) {
    tmp.Archivo("t/x", 1);
    tmp.Carpeta("t/s");
    {
        LectorDetenido lector;
        frmInfo f(nullptr, true);  // as the info strip embeds it
        f.show();
        f.CargarCarpeta(tmp.Ruta("t"));
        EXPECT_EQ(f.cmdCalcular()->text(), "&Calculate size of folder");
        QTest::mouseClick(f.cmdCalcular(), Qt::LeftButton);
        ASSERT_TRUE(f.Calculando());
        // While it runs the button offers to stop it.
        EXPECT_EQ(f.cmdCalcular()->text(), "&Stop calculating");
        // The window keeps answering, with a running count.
        ASSERT_TRUE(Esperar([&] { return f.txtARCHIVOS()->text() == "1001"; }));
        EXPECT_TRUE(f.txtCT()->text().startsWith("(Calculating...)"));
        QTest::mouseClick(f.cmdCalcular(), Qt::LeftButton);
        EXPECT_FALSE(f.Calculando());
        // Stopped: the numbers so far stay, marked as partial, and nothing says it still runs.
        EXPECT_EQ(f.txtARCHIVOS()->text(), "1001");
        EXPECT_EQ(f.txtCARPETAS()->text(), "1");
        EXPECT_TRUE(f.txtCT()->text().endsWith("(Stopped)")) << f.txtCT()->text().toStdString();
        EXPECT_FALSE(f.txtCT()->text().contains("Calculating"));
        EXPECT_TRUE(f.lblAvisoCalculo()->isVisible());
        EXPECT_EQ(f.lblAvisoCalculo()->text(), "The calculation was stopped: the numbers are partial.");
        EXPECT_EQ(f.cmdCalcular()->text(), "&Calculate size of folder");

        lector.leidas = 0;
        QTest::mouseClick(f.cmdCalcular(), Qt::LeftButton);
        ASSERT_TRUE(f.Calculando());
        ASSERT_TRUE(Esperar([&] { return lector.detenidas.load() == 2; }));
        QTest::keyClick(f.txtCT(), Qt::Key_Escape);  // embedded: stops, stays
        EXPECT_FALSE(f.Calculando());
        EXPECT_TRUE(f.isVisible());
        EXPECT_TRUE(f.txtCT()->text().endsWith("(Stopped)"));
        EXPECT_EQ(f.cmdCalcular()->text(), "&Calculate size of folder");
    }
    LectorDetenido lector;
    QPointer<frmInfo> suelta = MostrarPropiedades(nullptr, tmp.Ruta("t"), false, nullptr);
    QTest::mouseClick(suelta->cmdCalcular(), Qt::LeftButton);
    ASSERT_TRUE(Esperar([&] { return lector.detenidas.load() == 1; }));
    suelta->close();  // returns once the tally thread is gone
    EXPECT_TRUE(Esperar([&] { return suelta.isNull(); }));
}

TEST_F(FrmInfo, AFinishedTallyNeverOverwritesTheItemShownSince) {
    tmp.Archivo("grande/sub/f", 123456);
    const std::string otro = tmp.Archivo("otro.txt", 3);
    LectorSordo lector;
    frmInfo f;
    f.show();
    f.CargarCarpeta(tmp.Ruta("grande"));
    QTest::mouseClick(f.cmdCalcular(), Qt::LeftButton);
    // Let the tally end (its result queued) without letting the window take it...
    QElapsedTimer t;
    t.start();
    while (lector.cerradas.load() < 2 && t.elapsed() < 5000) std::this_thread::yield();
    ASSERT_EQ(lector.cerradas.load(), 2);
    // ...then move on, and only then let the queued result arrive.
    f.Cargar(otro, false);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(f.Titulo(), "otro.txt (Propiedades del Archivo)");
    EXPECT_EQ(f.txtCT()->text(), "3 bytes");
    EXPECT_EQ(f.LISTA()->topLevelItemCount(), 0);
    EXPECT_FALSE(f.Calculando());

    // The same through a second folder: the first folder's numbers never show there.
    lector.cerradas = 0;
    f.CargarCarpeta(tmp.Ruta("grande"));
    QTest::mouseClick(f.cmdCalcular(), Qt::LeftButton);
    t.restart();
    while (lector.cerradas.load() < 2 && t.elapsed() < 5000) std::this_thread::yield();
    f.CargarCarpeta(tmp.Ruta("grande/sub"));
    QCoreApplication::processEvents();
    EXPECT_TRUE(f.txtARCHIVOS()->text().isEmpty());
    EXPECT_EQ(f.txtCT()->text(), "(Calculating...)");
}

TEST_F(FrmInfo, AFolderThatCannotBeReadOrReadOnlyInPartSaysSo) {
    tmp.Archivo("parte/abierta/f", 7);
    tmp.Archivo("parte/cerrada/g", 1000);
    tmp.Archivo("ida/x", 1);
    frmInfo f;
    f.show();
    {
        LectorConCerrada lector;
        f.CargarCarpeta(tmp.Ruta("parte"));
        EXPECT_FALSE(f.lblAvisoCalculo()->isVisible());
        QTest::mouseClick(f.cmdCalcular(), Qt::LeftButton);
        ASSERT_TRUE(Esperar([&] { return !f.Calculando(); }));
    }
    EXPECT_EQ(f.txtARCHIVOS()->text(), "1");
    EXPECT_EQ(f.txtCT()->text(), "7 bytes (Incomplete)");
    EXPECT_TRUE(f.lblAvisoCalculo()->isVisible());
    EXPECT_EQ(f.lblAvisoCalculo()->text(), "Some folders inside could not be read: the numbers leave them out.");
    EXPECT_EQ(f.LISTA()->topLevelItemCount(), 2);

    // Gone between the load and the press: it cannot be read, and it is not "0 files, 0 bytes".
    f.CargarCarpeta(tmp.Ruta("ida"));
    EXPECT_FALSE(f.lblAvisoCalculo()->isVisible());  // the last folder's notice went with it
    std::filesystem::remove_all(tmp.Ruta("ida"));
    QTest::mouseClick(f.cmdCalcular(), Qt::LeftButton);
    ASSERT_TRUE(Esperar([&] { return !f.Calculando(); }));
    EXPECT_EQ(f.txtARCHIVOS()->text(), "-");
    EXPECT_EQ(f.txtCARPETAS()->text(), "-");
    EXPECT_EQ(f.txtCT()->text(), "-");
    EXPECT_TRUE(f.lblAvisoCalculo()->isVisible());
    EXPECT_EQ(f.lblAvisoCalculo()->text(), "This folder cannot be read.");
}

TEST_F(FrmInfo, TheTallyStatesSpeakSpanishToo) {
    tmp.Archivo("t/x", 1);
    tmp.Carpeta("t/s");
    CargarIdioma(IdiomasIncorporados()[1].texto);
    LectorDetenido lector;
    frmInfo f;
    f.show();
    f.CargarCarpeta(tmp.Ruta("t"));
    QTest::mouseClick(f.cmdCalcular(), Qt::LeftButton);
    EXPECT_EQ(f.cmdCalcular()->text(), "&Detener el cálculo");
    ASSERT_TRUE(Esperar([&] { return lector.detenidas.load() == 1; }));
    QTest::mouseClick(f.cmdCalcular(), Qt::LeftButton);
    EXPECT_TRUE(f.txtCT()->text().endsWith("(Detenido)"));
    EXPECT_EQ(f.cmdCalcular()->text(), "&Calcular el tamaño de la carpeta");
    CargarIdioma(IdiomasIncorporados()[0].texto);
}

TEST_F(FrmInfo, TheFilePageTellsTypeTimesOwnerPermissionsAndALinksTarget) {
    const std::string ruta = tmp.ArchivoConTexto("docs/nota.txt", "hola\n");
    tmp.FijarFecha("docs/nota.txt", 1700000000);
    std::filesystem::permissions(ruta, std::filesystem::perms(0640), std::filesystem::perm_options::replace);
    frmInfo f;
    f.show();
    f.CargarArchivo(ruta);
    // The page's first two fields are as they always were.
    EXPECT_EQ(f.txtCU()->text(), Q(tmp.Ruta("docs")));
    EXPECT_EQ(f.txtCT()->text(), "5 bytes");
    EXPECT_TRUE(f.txtTipo()->text().endsWith("(text/plain)")) << f.txtTipo()->text().toStdString();
    EXPECT_EQ(f.txtModificado()->text(),
              QDateTime::fromSecsSinceEpoch(1700000000).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    EXPECT_FALSE(f.txtAccedido()->text().isEmpty());
    EXPECT_NE(f.txtCreado()->text(), "");
    EXPECT_EQ(f.txtPermisos()->text(), "-rw-r-----  (0640)");
    const std::string dueno = std::to_string(getuid());
    EXPECT_TRUE(f.txtPropietario()->text().endsWith(Q(dueno)) || f.txtPropietario()->text().endsWith(Q("(" + dueno + ")")));
    EXPECT_TRUE(f.txtGrupo()->text().contains(Q(std::to_string(getgid()))));
    EXPECT_TRUE(f.txtPermisos()->isVisible());
    EXPECT_FALSE(f.txtDestino()->isVisible());  // not a link
    for (QLineEdit* t : {f.txtTipo(), f.txtModificado(), f.txtPermisos()}) EXPECT_TRUE(t->isReadOnly());

    // A link: its target as stored, and what it points to described.
    std::filesystem::create_symlink("docs/nota.txt", tmp.Ruta("enlace"));
    f.CargarArchivo(tmp.Ruta("enlace"));
    EXPECT_TRUE(f.txtDestino()->isVisible());
    EXPECT_EQ(f.txtDestino()->text(), "docs/nota.txt");
    EXPECT_EQ(f.txtPermisos()->text(), "-rw-r-----  (0640)");
    std::filesystem::create_symlink("no-existe", tmp.Ruta("roto"));
    f.CargarArchivo(tmp.Ruta("roto"));
    EXPECT_EQ(f.txtDestino()->text(), "no-existe");
    EXPECT_TRUE(f.txtPermisos()->text().startsWith("l"));

    // Gone: dashes, and no stale target of the link before.
    f.CargarArchivo(tmp.Ruta("nada.txt"));
    EXPECT_EQ(f.txtModificado()->text(), "-");
    EXPECT_EQ(f.txtPermisos()->text(), "-");
    EXPECT_FALSE(f.txtDestino()->isVisible());

    CargarIdioma(IdiomasIncorporados()[1].texto);
    f.SetIdioma();
    EXPECT_EQ(f.EtiquetaDe(f.txtPermisos())->text(), "Permisos:");
    EXPECT_EQ(f.EtiquetaDe(f.txtAccedido())->text(), QString::fromUtf8("Último acceso:"));
    CargarIdioma(IdiomasIncorporados()[0].texto);
    f.SetIdioma();
    EXPECT_EQ(f.EtiquetaDe(f.txtModificado())->text(), "Modified:");
}

class FrmInfoUnidad : public FrmInfo {
protected:
    void SetUp() override { ListarUnidades(); }
    void TearDown() override {
        unidades_.volumenes.clear();
        ListarUnidades();
    }
    UnidadesFijas unidades_{{{"/", "ext4", "/dev/sda1", "", 3},
                             {"/media/usb/", "vfat", "/dev/sdb1", "STICK", 7},
                             {"/data/", "xfs", "/dev/sdc1", "OLD", 3}}};
    VolumenesFijos volumenes_;
    DialogosGrabados dialogos_;
};

TEST_F(FrmInfoUnidad, DrivePageAndTheLabelBox) {
    volumenes_.volumenes["/data"] = {true, "OLD", "xfs", "u-u-i-d", 4096, 1024};
    EtiquetasAnotadas etiquetas;
    CambiosAnotados cambios;
    frmInfo f;
    f.SetOyente(&cambios);
    f.show();
    f.Cargar("/data/", true);
    EXPECT_TRUE(f.picU()->isVisible());
    EXPECT_FALSE(f.txtCT()->isVisible());
    EXPECT_EQ(f.Titulo(), "OLD (/data)");
    EXPECT_EQ(f.lblEtotal()->text(), "Total space:: 4 KB");
    EXPECT_EQ(f.lblElibre()->text(), "Free space: 1 KB");
    EXPECT_EQ(f.lblEocupado()->text(), "Used space: 75%");
    EXPECT_EQ(f.txtEtiqueta()->text(), "OLD");
    EXPECT_FALSE(f.cmdSetLabel()->isEnabled());

    // Typing the label as loaded keeps the button off; a refused label keeps the typed text.
    f.txtEtiqueta()->selectAll();
    QTest::keyClicks(f.txtEtiqueta(), "OL");
    EXPECT_TRUE(f.cmdSetLabel()->isEnabled());
    QTest::keyClicks(f.txtEtiqueta(), "D");
    EXPECT_FALSE(f.cmdSetLabel()->isEnabled());
    f.txtEtiqueta()->setText(".nueva");
    QTest::mouseClick(f.cmdSetLabel(), Qt::LeftButton);
    EXPECT_EQ(dialogos_.mensajes, (std::vector<std::string>{"The label can't begin with space or dot."}));
    EXPECT_EQ(f.txtEtiqueta()->text(), ".nueva");
    EXPECT_TRUE(etiquetas.pedidos.empty());

    f.txtEtiqueta()->setText("NUEVA");
    QTest::keyClick(f.txtEtiqueta(), Qt::Key_Return);
    EXPECT_EQ(etiquetas.pedidos, (std::vector<std::string>{"/data/=NUEVA"}));
    EXPECT_EQ(cambios.avisos.size(), 1u);
    EXPECT_EQ(f.Titulo(), "NUEVA (/data)");
    EXPECT_FALSE(f.cmdSetLabel()->isEnabled());
}

TEST_F(FrmInfoUnidad, OnlyAFixedDriveCanBeRelabelledAndUnreadableDataIsADash) {
    volumenes_.volumenes["/media/usb"] = {true, "STICK", "vfat", "", 100, 100};
    frmInfo f;
    f.show();
    f.CargarUnidad("/media/usb/");
    EXPECT_TRUE(f.txtEtiqueta()->isReadOnly());
    EXPECT_FALSE(f.cmdSetLabel()->isVisible());
    EXPECT_EQ(f.lblEocupado()->text(), "Used space: 0%");
    f.CargarUnidad("/data/");  // no volume data
    EXPECT_TRUE(f.txtEtiqueta()->isReadOnly());
    EXPECT_EQ(f.lblEtotal()->text(), "Total space:: -");
    EXPECT_EQ(f.Pagina().lineaSistema, "FileSystem: -");
}

}  // namespace
}  // namespace quirvex::prueba
