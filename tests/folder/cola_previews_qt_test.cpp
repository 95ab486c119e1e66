#include "folder/cola_previews_qt.h"

#include <QRandomGenerator>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>
#include <set>

#include "folder/iconos_qt.h"
#include "settings/opciones.h"
#include "support/aplicacion_qt.h"
#include "support/carpeta_temporal.h"

namespace quirvex {
namespace {

using prueba::CarpetaTemporal;

// A picture that takes the decoder a while (grain everywhere), copied under n names.
std::vector<std::string> FotosLentas(const CarpetaTemporal& dir, int n, const std::string& prefijo = "f") {
    QImage img(1200, 900, QImage::Format_RGB32);
    QRandomGenerator r(7);
    for (int y = 0; y < img.height(); ++y) {
        auto* fila = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) fila[x] = r.generate() | 0xff000000u;
    }
    const std::string base = dir.Ruta(prefijo + "_base.jpg");
    EXPECT_TRUE(img.save(QString::fromStdString(base), "JPG", 95));
    std::vector<std::string> rutas;
    for (int i = 0; i < n; ++i) {
        rutas.push_back(dir.Ruta(prefijo + std::to_string(100 + i) + ".jpg"));
        EXPECT_TRUE(QFile::copy(QString::fromStdString(base), QString::fromStdString(rutas.back())));
    }
    QFile::remove(QString::fromStdString(base));
    return rutas;
}

std::string Foto(const CarpetaTemporal& dir, const std::string& nombre, QColor color) {
    QImage img(200, 100, QImage::Format_RGB32);
    img.fill(color);
    const std::string ruta = dir.Ruta(nombre);
    EXPECT_TRUE(img.save(QString::fromStdString(ruta), "BMP"));
    return ruta;
}

class ColaPreviews : public ::testing::Test {
protected:
    void SetUp() override {
        prueba::AsegurarAplicacionQt();
        Opciones() = RegistroOpciones{};
    }
    void TearDown() override { Opciones() = RegistroOpciones{}; }

    static bool Inactiva(const cColaPreviews& c) { return c.Esperando() == 0 && c.Decodificando() == 0; }

    CarpetaTemporal dir;
};

TEST_F(ColaPreviews, NewestBatchFirstAndScrolledAwayRequestsDropped) {
    const auto rutas = FotosLentas(dir, 16);
    std::vector<int> entregados;
    cColaPreviews cola([&](ResultadoPreview&& r) {
        EXPECT_FALSE(r.imagen.isNull());
        EXPECT_EQ(r.imagen.size(), QSize(96, 96));
        entregados.push_back(r.pedido.item);
    }, 1);
    for (int i = 0; i < 10; ++i) cola.Pedir({rutas[static_cast<size_t>(i)], "n" + std::to_string(i), 96, 0, 0, 1, i});
    // The pane scrolled: items 0..9 are gone except 8 and 9, and 10..15 came into view.
    cola.Conservar(8, 15);
    for (int i = 10; i < 16; ++i) cola.Pedir({rutas[static_cast<size_t>(i)], "n" + std::to_string(i), 96, 0, 0, 1, i});
    ASSERT_TRUE(QTest::qWaitFor([&] { return Inactiva(cola) && cola.Decodificados() == static_cast<std::int64_t>(entregados.size()); }, 20000));
    QCoreApplication::processEvents();

    // At most the one request the single thread had taken before the scroll is decoded from
    // the dropped rows; the newest batch (10..15) comes before the rows still kept (8, 9).
    const std::set<int> vistos(entregados.begin(), entregados.end());
    EXPECT_EQ(vistos.size(), entregados.size());
    int caidos = 0;
    for (int i = 0; i < 8; ++i) caidos += vistos.count(i) ? 1 : 0;
    EXPECT_LE(caidos, 1);
    for (int i = 8; i < 16; ++i) EXPECT_EQ(vistos.count(i), 1u) << i;
    const auto pos = [&](int item) { return std::find(entregados.begin(), entregados.end(), item) - entregados.begin(); };
    // The first one delivered is whatever the thread took before the newer batch came.
    for (int nuevo = 10; nuevo < 16; ++nuevo) {
        for (int viejo : {8, 9}) {
            if (viejo == entregados.front()) continue;
            EXPECT_LT(pos(nuevo), pos(viejo)) << nuevo << " " << viejo;
        }
    }
}

TEST_F(ColaPreviews, DiscardDropsEverythingWaitingAndAClosedQueueDeliversNothing) {
    const auto rutas = FotosLentas(dir, 20);
    int entregados = 0;
    int antes = 0;
    {
        cColaPreviews cola([&](ResultadoPreview&&) { ++entregados; }, 1);
        for (int i = 0; i < 20; ++i) cola.Pedir({rutas[static_cast<size_t>(i)], std::to_string(i), 96, 0, 0, 1, i});
        cola.Descartar();
        EXPECT_EQ(cola.Esperando(), 0);
        ASSERT_TRUE(QTest::qWaitFor([&] { return Inactiva(cola); }, 20000));
        QCoreApplication::processEvents();
        EXPECT_LE(cola.Decodificados(), 1);
        EXPECT_EQ(entregados, cola.Decodificados());

        // Closed while a decode runs: the result never arrives.
        entregados = 0;
        for (int i = 0; i < 4; ++i) cola.Pedir({rutas[static_cast<size_t>(i)], "otra" + std::to_string(i), 96, 0, 0, 1, i});
        ASSERT_TRUE(QTest::qWaitFor([&] { return cola.Decodificando() > 0; }, 20000));
        // A decode that ended while we waited may have been delivered already; count from here.
        antes = entregados;
    }
    QTest::qWait(300);
    EXPECT_EQ(entregados, antes);
}

// The cache with the pool: the type icon stands in, the preview comes back and is served from
// then on, a result for a slot given to another folder meanwhile is dropped, and the slot's
// byte limit holds.
TEST_F(ColaPreviews, CacheShowsTheTypeIconUntilThePreviewArrivesAndKeepsItsLimits) {
    const std::string rojo = Foto(dir, "rojo.bmp", Qt::red);
    std::vector<std::pair<int, std::string>> listos;
    cCacheIconos cache;
    cache.DecodificarAparte([&](int item, const std::string& nombre) { listos.emplace_back(item, nombre); });
    const QImage tipo = IconoEnCaja(rojo, false, 96);

    const PosicionIcono p = cache.AgregarIconoCache(rojo, 96, true, 4);
    EXPECT_EQ(cache.Imagen(p), tipo);
    EXPECT_EQ(cache.PreviewsPendientes(), 1);
    EXPECT_EQ(cache.Renderizados(), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return cache.PreviewsPendientes() == 0; }, 10000));
    EXPECT_EQ(listos, (std::vector<std::pair<int, std::string>>{{4, "rojo.bmp"}}));
    EXPECT_EQ(cache.Imagen(cache.AgregarIconoCache(rojo, 96, true, 4)).pixelColor(48, 48), QColor(Qt::red));
    EXPECT_EQ(cache.Renderizados(), 1);
    EXPECT_EQ(cache.Cola()->Decodificados(), 1);  // served from the cache, not decoded again

    // Asked, then three other folders take every slot before the result is delivered.
    CarpetaTemporal otra;
    const std::string azul = Foto(otra, "azul.bmp", Qt::blue);
    cache.AgregarIconoCache(azul, 96, true, 0);
    for (const char* sub : {"a/x.txt", "b/x.txt", "c/x.txt"}) cache.AgregarIconoCache(otra.ArchivoConTexto(sub, "x"), 96, true);
    EXPECT_EQ(cache.PreviewsPendientes(), 0);  // the slot that waited was given away
    ASSERT_TRUE(QTest::qWaitFor([&] { return cache.Cola()->Decodificados() == 2; }, 10000));
    QCoreApplication::processEvents();
    EXPECT_EQ(listos.size(), 1u);
    EXPECT_EQ(cache.Renderizados(), 4);  // the three type icons and the first preview

    // A slot of room for three pictures starts over rather than grow, waiting previews included.
    cCacheIconos pequena(3 * 96 * 96 * 4);
    pequena.DecodificarAparte([](int, const std::string&) {});
    std::vector<std::string> fotos;
    for (int i = 0; i < 5; ++i) fotos.push_back(Foto(dir, "p" + std::to_string(i) + ".bmp", QColor(40 * i, 0, 0)));
    for (int i = 0; i < 5; ++i) pequena.AgregarIconoCache(fotos[static_cast<size_t>(i)], 96, true, i);
    EXPECT_LE(pequena.BytesImagenes(), 3 * 96 * 96 * 4);
    EXPECT_EQ(pequena.PreviewsPendientes(), 2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pequena.PreviewsPendientes() == 0 && Inactiva(*pequena.Cola()); }, 10000));
    QCoreApplication::processEvents();
    EXPECT_LE(pequena.BytesImagenes(), 3 * 96 * 96 * 4);
    EXPECT_EQ(pequena.ImagenDe(fotos[4], 96, true, 4).pixelColor(48, 48), QColor(160, 0, 0));
}

TEST_F(ColaPreviews, APictureTouchedWhileDecodingIsDecodedAgain) {
    const std::string ruta = Foto(dir, "a.bmp", Qt::red);
    dir.FijarFecha("a.bmp", 1'600'000'000);
    cCacheIconos cache;
    cache.DecodificarAparte([](int, const std::string&) {});
    cache.AgregarIconoCache(ruta, 96, true, 0);
    Foto(dir, "a.bmp", Qt::blue);
    dir.FijarFecha("a.bmp", 1'600'000'060);
    cache.AgregarIconoCache(ruta, 96, true, 0);  // a new time: asked again
    ASSERT_TRUE(QTest::qWaitFor([&] { return cache.PreviewsPendientes() == 0 && Inactiva(*cache.Cola()); }, 10000));
    QCoreApplication::processEvents();
    EXPECT_EQ(cache.ImagenDe(ruta, 96, true, 0).pixelColor(48, 48), QColor(Qt::blue));
}

}  // namespace
}  // namespace quirvex
