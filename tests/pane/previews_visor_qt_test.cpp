// Picture previews in a real pane: decoded on the pool, the type icon painted meanwhile, the
// requests of a folder left behind dropped, and a pane closed mid-decode.

#include <QFile>
#include <QRandomGenerator>
#include <QTest>
#include <gtest/gtest.h>

#include "folder/cola_previews_qt.h"
#include "pane/entorno_qt.h"
#include "pane/frm_main_qt.h"
#include "pane/visor_qt.h"

namespace quirvex {
namespace {

using prueba::AppPrueba;
using prueba::CarpetaTemporal;

// Grain everywhere, so that each decode takes the pool a while; copied under n names.
void FotosLentas(const CarpetaTemporal& dir, int n) {
    QImage img(1200, 900, QImage::Format_RGB32);
    QRandomGenerator r(3);
    for (int y = 0; y < img.height(); ++y) {
        auto* fila = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) fila[x] = r.generate() | 0xff000000u;
    }
    const QString base = QString::fromStdString(dir.Ruta("base.jpg"));
    ASSERT_TRUE(img.save(base, "JPG", 95));
    for (int i = 0; i < n; ++i)
        ASSERT_TRUE(QFile::copy(base, QString::fromStdString(dir.Ruta("f" + std::to_string(100 + i) + ".jpg"))));
    QFile::remove(base);
}

bool ColaInactiva(const cVisor& v) {
    return v.Iconos().Cola()->Esperando() == 0 && v.Iconos().Cola()->Decodificando() == 0;
}

class PreviewsVisor : public ::testing::Test, public prueba::ConAplicacion {
protected:
    void SetUp() override { host.resize(800, 600); }

    cVisor* Abrir(const std::string& carpeta) {
        host.CargarVisores(QString::fromStdString(carpeta));
        host.show();
        cVisor* v = host.aVisor();
        v->SetViewMode(MODO_PREVIEW);
        return v;
    }

    // The colour at the middle of an item's picture box, as painted.
    QColor CentroImagen(cVisor* v, const std::string& nombre) {
        const int i = static_cast<int>(v->Contenido().GetIndexItem(nombre));
        const QRect celda = v->RectItemEnPantalla(i);
        const GeometriaVisor& g = v->Distribucion().Geometria();
        const QPoint centro(celda.left() + g.IcoL + g.IcoDW / 2, celda.top() + g.IcoDD + g.IcoDH / 2);
        return prueba::Captura(v->picM(), QRect(centro, QSize(1, 1))).pixelColor(0, 0);
    }

    CarpetaTemporal tmp;
    frmMain host;
};

TEST_F(PreviewsVisor, TheTypeIconStandsInUntilTheVisiblePreviewsArrive) {
    for (auto [nombre, color] : {std::pair{"rojo.bmp", QColor(Qt::red)}, {"verde.bmp", QColor(Qt::green)},
                                 {"azul.bmp", QColor(Qt::blue)}}) {
        QImage img(200, 100, QImage::Format_RGB32);
        img.fill(color);
        ASSERT_TRUE(img.save(QString::fromStdString(tmp.Ruta(nombre)), "BMP"));
    }
    cVisor* v = Abrir(tmp.Ruta());
    // Nothing is delivered before the event loop runs: what is painted now is the type icon.
    EXPECT_EQ(v->Iconos().PreviewsPendientes(), 3);
    EXPECT_NE(CentroImagen(v, "rojo.bmp"), QColor(Qt::red));
    ASSERT_TRUE(QTest::qWaitFor([&] { return v->Iconos().PreviewsPendientes() == 0; }, 10000));
    EXPECT_EQ(CentroImagen(v, "rojo.bmp"), QColor(Qt::red));
    EXPECT_EQ(CentroImagen(v, "verde.bmp"), QColor(Qt::green));
    EXPECT_EQ(CentroImagen(v, "azul.bmp"), QColor(Qt::blue));
    // Painting again takes them from the cache.
    const auto decodificados = v->Iconos().Cola()->Decodificados();
    v->ReubicarIconos();
    EXPECT_EQ(CentroImagen(v, "verde.bmp"), QColor(Qt::green));
    EXPECT_EQ(v->Iconos().Cola()->Decodificados(), decodificados);
}

TEST_F(PreviewsVisor, APaneNotYetPaintedDecodesNothing) {
    FotosLentas(tmp, 3);
    host.CargarVisores(QString::fromStdString(tmp.Ruta()));
    cVisor* v = host.aVisor();
    v->SetViewMode(MODO_PREVIEW);
    QTest::qWait(200);
    EXPECT_EQ(v->Iconos().Cola()->Decodificados(), 0);
    EXPECT_GT(v->Iconos().PreviewsPendientes(), 0);  // asked for while the strips were drawn
    host.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return v->Iconos().PreviewsPendientes() == 0; }, 20000));
    EXPECT_EQ(v->Iconos().Cola()->Decodificados(), 3);
}

TEST_F(PreviewsVisor, LeavingTheFolderDropsItsWaitingPreviewsAndComingBackAsksAgain) {
    FotosLentas(tmp, 20);
    CarpetaTemporal otra;
    otra.ArchivoConTexto("nota.txt", "x");
    cVisor* v = Abrir(otra.Ruta());
    v->CargarContenido(tmp.Ruta());
    ASSERT_EQ(v->nItems(), 20);
    v->CargarContenido(otra.Ruta());
    EXPECT_EQ(v->Iconos().Cola()->Esperando(), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ColaInactiva(*v); }, 20000));
    // Only what the pool had taken before the folder changed was decoded.
    EXPECT_LE(v->Iconos().Cola()->Decodificados(), 10);

    v->CargarContenido(tmp.Ruta());
    ASSERT_TRUE(QTest::qWaitFor([&] { return v->Iconos().PreviewsPendientes() == 0 && ColaInactiva(*v); }, 30000));
    EXPECT_GE(v->Iconos().Cola()->Decodificados(), 20);
}

TEST(PreviewsVisorCerrado, APaneClosedWhileDecodingDoesNotCrash) {
    AppPrueba();
    CarpetaTemporal tmp;
    FotosLentas(tmp, 12);
    for (int vuelta = 0; vuelta < 3; ++vuelta) {
        auto* host = new frmMain;
        host->resize(800, 600);
        host->CargarVisores(QString::fromStdString(tmp.Ruta()));
        host->show();
        host->aVisor()->SetViewMode(MODO_PREVIEW);
        ASSERT_GT(host->aVisor()->Iconos().PreviewsPendientes(), 0);
        if (vuelta == 0) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return host->aVisor()->Iconos().Cola()->Decodificando() > 0; }, 20000));
            delete host;
        } else {
            // Let some results arrive first, then close the way the program does.
            QTest::qWait(20 * vuelta);
            host->deleteLater();
        }
        QTest::qWait(400);
    }
}

}  // namespace
}  // namespace quirvex
