// How the properties window's pages sit on screen, in its own window and in the frame's info
// strip, in both languages: geometry of the real widgets, never pixels. With QUIRVEX_CAPTURAS
// set to a folder, each checked page is also written there as a PNG to be looked at.

#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTreeWidget>
#include <cstdlib>

#include "folder/tabla_unidades.h"
#include "frame/tab_falsa_qt.h"
#include "pane/frm_main_qt.h"
#include "pane/visor_qt.h"
#include "properties/fakes_propiedades.h"
#include "properties/frm_info_qt.h"
#include "settings/idioma.h"
#include "support/fakes.h"

namespace quirvex::prueba {
namespace {

const char* const kIdiomas[] = {"en", "es"};

void Capturar(QWidget* w, const QString& nombre) {
    const char* carpeta = std::getenv("QUIRVEX_CAPTURAS");
    if (!carpeta || !*carpeta) return;
    QDir().mkpath(QString::fromLocal8Bit(carpeta));
    w->grab().save(QString::fromLocal8Bit(carpeta) + QStringLiteral("/propiedades-") + nombre + QStringLiteral(".png"));
}

QRect En(const QWidget* w, const QWidget* marco) { return QRect(w->mapTo(marco, QPoint(0, 0)), w->size()); }

// Every shown value box of `cajas` has its caption beside it on the same row, whole, and the
// rows follow one another without a gap; the first row sits right under the title.
void FilasEnOrden(const frmInfo& f, const std::vector<QLineEdit*>& cajas, const std::string& donde) {
    SCOPED_TRACE(donde);
    const QWidget* titulo = f.findChild<QWidget*>(QStringLiteral("picC"));
    ASSERT_TRUE(titulo && titulo->isVisible());
    int abajoAnterior = En(titulo, &f).bottom();
    int izquierdaValores = -1;
    for (QLineEdit* caja : cajas) {
        if (!caja->isVisible()) continue;
        const QLabel* etiqueta = f.EtiquetaDe(caja);
        ASSERT_TRUE(etiqueta) << caja->objectName().toStdString();
        SCOPED_TRACE(etiqueta->text().toStdString());
        ASSERT_TRUE(etiqueta->isVisible());
        const QRect e = En(etiqueta, &f);
        const QRect c = En(caja, &f);
        EXPECT_LE(e.right(), c.left());                       // beside, not over it
        EXPECT_GE(e.center().y(), c.top());                    // on the same row
        EXPECT_LE(e.center().y(), c.bottom());
        EXPECT_GE(e.width(), etiqueta->sizeHint().width());    // the caption is whole
        EXPECT_LE(c.right(), f.width());                       // the value stays in the window
        EXPECT_GE(c.width(), 60);
        EXPECT_LE(c.top() - abajoAnterior, 16);                // no gap between rows
        if (izquierdaValores >= 0) {
            EXPECT_EQ(c.left(), izquierdaValores);  // one column of values
        }
        izquierdaValores = c.left();
        abajoAnterior = c.bottom();
    }
}

class PaginaPropiedades : public MarcoTest {
protected:
    void TearDown() override {
        CargarIdioma(IdiomasIncorporados()[0].texto);
        MarcoTest::TearDown();
    }
    static void Idioma(int i) {
        CargarIdioma(IdiomasIncorporados()[static_cast<size_t>(i)].texto);
        AplicarTextoMiPC();
    }
    static std::vector<QLineEdit*> CajasArchivo(const frmInfo& f) {
        return {f.txtCU(),         f.txtCT(),       f.txtTipo(),      f.txtModificado(), f.txtAccedido(),
                f.txtCreado(),     f.txtPropietario(), f.txtGrupo(),  f.txtPermisos(),   f.txtDestino()};
    }
    static std::vector<QLineEdit*> CajasCarpeta(const frmInfo& f) {
        return {f.txtCU(), f.txtCT(), f.txtARCHIVOS(), f.txtCARPETAS()};
    }
    // Opens the strip on a frame at `carpeta`.
    frmInfo* Tira(const std::string& carpeta) {
        m_ = MarcoConPaneles(carpeta, QSize(1000, 650));
        QTest::mouseClick(m_->lblInfo(), Qt::LeftButton);
        return m_->InfoEmbebida();
    }
    cVisor* Visor() const { return static_cast<frmMain*>(m_->TabActual())->aVisor(); }
    static std::string Actual(cVisor* v) {
        const int i = v->Seleccion().sActual();
        return i < 0 ? std::string() : v->Contenido().Items[static_cast<size_t>(i)].Nombre;
    }
    bool Ir(const std::string& nombre) {
        cVisor* v = Visor();
        v->setFocus();
        QTest::keyClick(v->picM(), Qt::Key_Home);
        for (int k = 0; k < v->nItems() && Actual(v) != nombre; ++k) QTest::keyClick(v->picM(), Qt::Key_Right);
        return Actual(v) == nombre;
    }

    std::unique_ptr<MDI> m_;
};

TEST_F(PaginaPropiedades, FileAndFolderPagesKeepLabelsBesideValuesAtAnyWidthInBothLanguages) {
    const std::string archivo = tmp.Archivo("docs/informe anual.txt", 2048);
    tmp.Archivo("docs/sub/x", 5);
    for (int idioma = 0; idioma < 2; ++idioma) {
        Idioma(idioma);
        frmInfo f;
        f.show();
        for (const QSize tamano : {QSize(280, 640), QSize(440, 500), QSize(900, 800)}) {
            const std::string donde = std::string(kIdiomas[idioma]) + " " + std::to_string(tamano.width());
            f.resize(tamano);
            f.CargarArchivo(archivo);
            QCoreApplication::processEvents();
            FilasEnOrden(f, CajasArchivo(f), "file " + donde);
            f.CargarCarpeta(tmp.Ruta("docs"));
            QCoreApplication::processEvents();
            FilasEnOrden(f, CajasCarpeta(f), "folder " + donde);
            // The button and the list follow the rows, the list taking the height left.
            EXPECT_LE(En(f.cmdCalcular(), &f).top() - En(f.txtCARPETAS(), &f).bottom(), 16);
            EXPECT_GT(f.LISTA()->height(), tamano.height() / 4);
        }
        f.resize(440, 560);
        f.CargarArchivo(archivo);
        QCoreApplication::processEvents();
        Capturar(&f, QStringLiteral("archivo-") + QLatin1String(kIdiomas[idioma]));
        f.CargarCarpeta(tmp.Ruta("docs"));
        QTest::mouseClick(f.cmdCalcular(), Qt::LeftButton);
        ASSERT_TRUE(Esperar([&] { return !f.Calculando(); }));
        Capturar(&f, QStringLiteral("carpeta-") + QLatin1String(kIdiomas[idioma]));
    }
}

TEST_F(PaginaPropiedades, InTheStripTheFilePageSitsUnderItsTitleAndTheListColumnsFit) {
    tmp.Archivo("w/nota.txt", 1234);
    tmp.Archivo("w/galeria de fotos del verano pasado en la costa/a.jpg", 123456789);
    tmp.Archivo("w/galeria de fotos del verano pasado en la costa/mas/b.jpg", 99);
    for (int k = 0; k < 12; ++k) tmp.Archivo("w/g" + std::to_string(k) + "/f", 1000u * k);
    for (int idioma = 0; idioma < 2; ++idioma) {
        Idioma(idioma);
        SCOPED_TRACE(kIdiomas[idioma]);
        frmInfo* info = Tira(tmp.Ruta("w/"));
        ASSERT_TRUE(info);
        ASSERT_TRUE(Ir("nota.txt"));
        FilasEnOrden(*info, CajasArchivo(*info), "strip file");
        Capturar(m_.get(), QStringLiteral("tira-archivo-") + QLatin1String(kIdiomas[idioma]));

        // The location's page, tallied.
        info->CargarCarpeta(tmp.Ruta("w/"));
        QTest::mouseClick(info->cmdCalcular(), Qt::LeftButton);
        ASSERT_TRUE(Esperar([&] { return !info->Calculando(); }));
        QCoreApplication::processEvents();
        QTreeWidget* lista = info->LISTA();
        ASSERT_EQ(lista->topLevelItemCount(), 13);
        const QHeaderView* h = lista->header();
        const int ancho = lista->viewport()->width();
        int suma = 0;
        for (int c = 0; c < 4; ++c) suma += h->sectionSize(c);
        EXPECT_FALSE(lista->horizontalScrollBar()->isVisible());
        EXPECT_LE(suma, ancho);
        EXPECT_GE(suma, ancho - 2);                 // the columns fill the list...
        EXPECT_GE(h->sectionSize(0), ancho / 3);    // ...the name taking the free width
        const QFontMetrics fm(lista->font());
        for (int i = 0; i < lista->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* it = lista->topLevelItem(i);
            for (int c = 1; c < 4; ++c) {
                // Every number whole, right-aligned in its column.
                EXPECT_GE(h->sectionSize(c), fm.horizontalAdvance(it->text(c)) + 4) << it->text(c).toStdString();
                EXPECT_TRUE(it->textAlignment(c) & Qt::AlignRight);
            }
        }
        EXPECT_TRUE(lista->headerItem()->textAlignment(3) & Qt::AlignRight);
        FilasEnOrden(*info, CajasCarpeta(*info), "strip folder");
        Capturar(m_.get(), QStringLiteral("tira-carpeta-") + QLatin1String(kIdiomas[idioma]));
        m_.reset();
    }
}

TEST_F(PaginaPropiedades, WithNothingToDescribeTheStripShowsNothingAndADriveShowsFromTheTop) {
    frmInfo* info = Tira(TextoMiPC());
    ASSERT_TRUE(info);
    ASSERT_LT(Visor()->Seleccion().sActual(), 0);
    ASSERT_TRUE(m_->picInfo()->isVisible());
    // No lone title floating in the strip: nothing of the window shows.
    for (const QWidget* w : info->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();

    // A drive made current: its page, starting at the top of the strip.
    QTest::keyClick(Visor()->picM(), Qt::Key_Home);
    ASSERT_GE(Visor()->Seleccion().sActual(), 0);
    ASSERT_TRUE(info->MuestraUnidad());
    const QWidget* titulo = info->findChild<QWidget*>(QStringLiteral("picC"));
    EXPECT_TRUE(titulo->isVisible());
    EXPECT_EQ(En(titulo, info).top(), 0);
    EXPECT_LE(En(info->picU(), info).top() - En(titulo, info).bottom(), 16);
}

TEST_F(PaginaPropiedades, DrivePageInBothLanguages) {
    UnidadesFijas unidades{{{"/", "ext4", "/dev/sda1", "", 3}, {"/datos/", "ext4", "/dev/sdc1", "Archivo", 3}}};
    VolumenesFijos volumenes;
    volumenes.volumenes["/datos"] = {true, "Archivo", "ext4", "0b1e4c2a-77d3-4f0e-9a51-3c2d1e0f9a8b",
                                     std::int64_t{500} << 30, std::int64_t{180} << 30};
    ListarUnidades();
    for (int idioma = 0; idioma < 2; ++idioma) {
        Idioma(idioma);
        frmInfo f;
        f.resize(440, 420);
        f.show();
        f.CargarUnidad("/datos/");
        QCoreApplication::processEvents();
        EXPECT_LE(En(f.txtEtiqueta(), &f).right(), f.width());
        EXPECT_LE(En(f.cmdSetLabel(), &f).right(), f.width());
        EXPECT_GE(f.lblEocupado()->width(), f.lblEocupado()->sizeHint().width());
        EXPECT_EQ(f.lblEocupado()->text().right(3), QStringLiteral("64%"));
        Capturar(&f, QStringLiteral("unidad-") + QLatin1String(kIdiomas[idioma]));
    }
    unidades.volumenes.clear();
    ListarUnidades();
}

TEST_F(PaginaPropiedades, NamesWithNewlinesStayOnOneLineWithAVisibleMark) {
    tmp.Archivo("w/dos\nlineas/f", 1);
    tmp.Archivo("w/una/g", 2);
    tmp.Archivo("w/tab\tdentro/h", 3);
    frmInfo* info = Tira(tmp.Ruta("w/"));
    ASSERT_TRUE(info);
    QTest::mouseClick(info->cmdCalcular(), Qt::LeftButton);
    ASSERT_TRUE(Esperar([&] { return !info->Calculando(); }));
    QTreeWidget* lista = info->LISTA();
    ASSERT_EQ(lista->topLevelItemCount(), 3);
    const int alto = QFontMetrics(lista->font()).height();
    QStringList nombres;
    for (int i = 0; i < 3; ++i) {
        const QTreeWidgetItem* it = lista->topLevelItem(i);
        nombres << it->text(0);
        EXPECT_FALSE(it->text(0).contains(QLatin1Char('\n')));
        EXPECT_LT(lista->visualItemRect(it).height(), alto * 3 / 2) << it->text(0).toStdString();
    }
    nombres.sort();
    EXPECT_EQ(nombres, (QStringList{QString::fromUtf8("dos\u240Alineas"), QString::fromUtf8("tab\u2409dentro"),
                                    QStringLiteral("una")}));
    // The title and the location of such a folder are one line too.
    info->Cargar(tmp.Ruta("w/dos\nlineas/f"), false);
    EXPECT_EQ(info->Titulo(), QString::fromUtf8("f (Propiedades del Archivo)"));
    EXPECT_TRUE(info->txtCU()->text().endsWith(QString::fromUtf8("/dos\u240Alineas")));
    info->Cargar(tmp.Ruta("w/dos\nlineas"), false);
    EXPECT_EQ(info->Titulo(), QString::fromUtf8("dos\u240Alineas (Folder Properties)"));
}

}  // namespace
}  // namespace quirvex::prueba
