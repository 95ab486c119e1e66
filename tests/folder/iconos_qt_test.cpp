#include "folder/iconos_qt.h"
#include "pane/formato_visor.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QImageWriter>
#include <QStringList>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>
#include <vector>

#include "folder/item_carpeta.h"
#include "platform/unidades.h"
#include <QPainter>

#include "support/aplicacion_qt.h"
#include "support/carpeta_temporal.h"

namespace quirvex {
namespace {

using prueba::CarpetaTemporal;

// The smallest rectangle holding every pixel that is not fully transparent.
QRect RectOpaco(const QImage& img) {
    QRect r;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qAlpha(img.pixel(x, y)) > 0) r |= QRect(x, y, 1, 1);
    return r;
}

// What a file shows in a preview box when it gets no preview: its type icon, never
// stretched, 32 × 32 at the box's top-left corner.
QImage IconoEnCajaPreview(const std::string& ruta) {
    QImage caja(96, 96, QImage::Format_ARGB32_Premultiplied);
    caja.fill(Qt::transparent);
    QPainter p(&caja);
    p.drawImage(0, 0, ImagenTipoArchivo(ruta, false, 32));
    return caja;
}

std::string GuardarImagen(const CarpetaTemporal& c, const std::string& nombre, int w, int h,
                          QColor color, const char* formato = nullptr) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(color);
    const std::string ruta = c.Ruta(nombre);
    EXPECT_TRUE(img.save(QString::fromStdString(ruta), formato));
    return ruta;
}

class IconosTest : public ::testing::Test {
protected:
    void SetUp() override {
        prueba::AsegurarAplicacionQt();
        Opciones() = RegistroOpciones{};
    }
    void TearDown() override { Opciones() = RegistroOpciones{}; }
    CarpetaTemporal dir;
};

TEST_F(IconosTest, ScrollingBackAndForthRendersEachPictureOnce) {
    std::vector<std::string> rutas;
    for (int i = 0; i < 4; ++i)
        rutas.push_back(GuardarImagen(dir, "p" + std::to_string(i) + ".bmp", 20 + i, 10, Qt::red));
    rutas.push_back(dir.ArchivoConTexto("nota.txt", "hola"));
    rutas.push_back(dir.Carpeta("sub"));

    cCacheIconos cache;
    std::vector<PosicionIcono> primeras;
    for (const auto& r : rutas) primeras.push_back(cache.AgregarIconoCache(r, 96, true));
    EXPECT_EQ(cache.Renderizados(), 6);
    for (int vuelta = 0; vuelta < 3; ++vuelta) {
        for (size_t i = rutas.size(); i-- > 0;) {
            const PosicionIcono p = cache.AgregarIconoCache(rutas[i], 96, true);
            EXPECT_EQ(p.slot, primeras[i].slot);
            EXPECT_EQ(p.imagen, primeras[i].imagen);
        }
    }
    EXPECT_EQ(cache.Renderizados(), 6);
    for (size_t i = 0; i < primeras.size(); ++i) {
        EXPECT_EQ(primeras[i].imagen, static_cast<int>(i) + 1);
        EXPECT_EQ(cache.Imagen(primeras[i]).size(), QSize(96, 96));
    }
    EXPECT_TRUE(cache.Imagen({0, 99}).isNull());
    EXPECT_TRUE(cache.Imagen({5, 1}).isNull());
}

TEST_F(IconosTest, TouchedFileIsRenderedAgainWithItsNewPicture) {
    const std::string ruta = GuardarImagen(dir, "a.bmp", 30, 30, Qt::red);
    dir.FijarFecha("a.bmp", 1'600'000'000);
    cCacheIconos cache;
    const PosicionIcono antes = cache.AgregarIconoCache(ruta, 96, true);
    EXPECT_EQ(cache.Imagen(antes).pixelColor(48, 48), QColor(Qt::red));

    GuardarImagen(dir, "a.bmp", 30, 30, Qt::blue);
    dir.FijarFecha("a.bmp", 1'600'000'000);  // same time: the cached picture stands
    EXPECT_EQ(cache.Imagen(cache.AgregarIconoCache(ruta, 96, true)).pixelColor(48, 48),
              QColor(Qt::red));
    EXPECT_EQ(cache.Renderizados(), 1);

    dir.FijarFecha("a.bmp", 1'600'000'060);
    const PosicionIcono despues = cache.AgregarIconoCache(ruta, 96, true);
    EXPECT_EQ(cache.Renderizados(), 2);
    EXPECT_EQ(despues.slot, antes.slot);
    EXPECT_EQ(despues.imagen, antes.imagen);
    EXPECT_EQ(cache.Imagen(despues).pixelColor(48, 48), QColor(Qt::blue));
    cache.AgregarIconoCache(ruta, 96, true);
    EXPECT_EQ(cache.Renderizados(), 2);
}

TEST_F(IconosTest, ThreeFolderVisitsAreKeptAndAFourthPushesOutTheFirst) {
    std::vector<std::string> archivos;
    for (const char* carpeta : {"a", "b", "c", "d"})
        archivos.push_back(dir.ArchivoConTexto(std::string(carpeta) + "/x.txt", "x"));
    cCacheIconos cache;
    for (int i = 0; i < 3; ++i) cache.AgregarIconoCache(archivos[static_cast<size_t>(i)], 32);
    cache.AgregarIconoCache(archivos[0], 32);
    EXPECT_EQ(cache.Renderizados(), 3);

    cache.AgregarIconoCache(archivos[3], 32);
    EXPECT_EQ(cache.Renderizados(), 4);
    cache.AgregarIconoCache(archivos[0], 32);
    EXPECT_EQ(cache.Renderizados(), 5);
    // Another size of the same folder is another visit.
    cache.AgregarIconoCache(archivos[0], 16);
    EXPECT_EQ(cache.Renderizados(), 6);
    EXPECT_EQ(cache.Imagen(cache.AgregarIconoCache(archivos[0], 16)).size(), QSize(16, 16));
    EXPECT_EQ(cache.Renderizados(), 6);
}

TEST_F(IconosTest, NamesDifferingOnlyInCaseKeepTheirOwnPictures) {
    const std::string rojo = GuardarImagen(dir, "foto.bmp", 10, 10, Qt::red, "BMP");
    const std::string azul = GuardarImagen(dir, "FOTO.BMP", 10, 10, Qt::blue, "BMP");
    cCacheIconos cache;
    EXPECT_EQ(cache.ImagenDe(rojo, 32, true).pixelColor(16, 16), QColor(Qt::red));
    EXPECT_EQ(cache.ImagenDe(azul, 32, true).pixelColor(16, 16), QColor(Qt::blue));
    EXPECT_EQ(cache.ImagenDe(rojo, 32, true).pixelColor(16, 16), QColor(Qt::red));
}

TEST_F(IconosTest, FullSlotStartsOverInsteadOfGrowing) {
    std::vector<std::string> rutas;
    for (int i = 0; i < 4; ++i) rutas.push_back(dir.ArchivoConTexto(std::to_string(i) + ".txt", "x"));
    cCacheIconos cache(3 * 16 * 16 * 4);
    for (const auto& r : rutas) cache.AgregarIconoCache(r, 16);
    EXPECT_EQ(cache.Renderizados(), 4);
    EXPECT_EQ(cache.AgregarIconoCache(rutas[3], 16).imagen, 1);
    cache.AgregarIconoCache(rutas[0], 16);
    EXPECT_EQ(cache.Renderizados(), 5);
}

// A shown folder where files keep coming and going (downloads, logs): the slot holds about what
// the folder holds, not every name it ever showed.
TEST_F(IconosTest, FilesThatComeAndGoDoNotGrowTheSlot) {
    const std::string queda = GuardarImagen(dir, "queda.bmp", 10, 10, Qt::red, "BMP");
    cCacheIconos cache;
    EXPECT_EQ(cache.ImagenDe(queda, 32, true).pixelColor(16, 16), QColor(Qt::red));
    for (int i = 0; i < 2000; ++i) {
        const std::string ruta = dir.ArchivoConTexto("c" + std::to_string(i) + ".txt", "x");
        cache.AgregarIconoCache(ruta, 32, true);
        std::filesystem::remove(ruta);
    }
    EXPECT_LE(cache.BytesImagenes(),
              static_cast<std::int64_t>(2 * cCacheIconos::MINIMO_REVISION) * 32 * 32 * 4);
    const std::int64_t antes = cache.Renderizados();
    EXPECT_EQ(cache.ImagenDe(queda, 32, true).pixelColor(16, 16), QColor(Qt::red));
    EXPECT_EQ(cache.Renderizados(), antes);
}

// Gone files are dropped and the pictures behind them close up: every file still there keeps
// its own picture and is not rendered again.
TEST_F(IconosTest, LookingOverASlotKeepsThePicturesOfFilesStillThere) {
    const std::vector<std::pair<std::string, QColor>> fotos = {
        {GuardarImagen(dir, "r.bmp", 10, 10, Qt::red, "BMP"), QColor(Qt::red)},
        {GuardarImagen(dir, "g.bmp", 10, 10, Qt::green, "BMP"), QColor(Qt::green)},
        {GuardarImagen(dir, "b.bmp", 10, 10, Qt::blue, "BMP"), QColor(Qt::blue)}};
    std::vector<std::string> textos;
    for (int i = 0; i < 200; ++i) textos.push_back(dir.ArchivoConTexto("t" + std::to_string(i) + ".txt", "x"));
    cCacheIconos cache;
    for (const auto& [ruta, color] : fotos) cache.AgregarIconoCache(ruta, 32, true);
    for (const auto& t : textos) cache.AgregarIconoCache(t, 32, true);
    // Every other text file goes; as many new ones come, which makes the slot look itself over.
    std::vector<std::string> quedan;
    for (size_t i = 0; i < textos.size(); ++i) {
        if (i % 2 == 0) std::filesystem::remove(textos[i]);
        else quedan.push_back(textos[i]);
    }
    for (int i = 0; i < 100; ++i) quedan.push_back(dir.ArchivoConTexto("n" + std::to_string(i) + ".txt", "x"));
    for (size_t i = 100; i < quedan.size(); ++i) cache.AgregarIconoCache(quedan[i], 32, true);
    EXPECT_EQ(cache.BytesImagenes(), std::int64_t{203} * 32 * 32 * 4);

    const std::int64_t antes = cache.Renderizados();
    for (const auto& [ruta, color] : fotos)
        EXPECT_EQ(cache.ImagenDe(ruta, 32, true).pixelColor(16, 16), color) << ruta;
    for (const auto& t : quedan) EXPECT_EQ(cache.ImagenDe(t, 32, true).size(), QSize(32, 32));
    EXPECT_EQ(cache.Renderizados(), antes);
}

// A pane scrolling through a large folder: the slot never holds more names than the folder, so
// the folder's names are not gathered (that cost a page of scrolling tens of milliseconds each
// time the slot doubled); once the folder holds fewer names than the slot, the gone ones go.
TEST_F(IconosTest, SlotIsLookedOverOnlyWhenItHoldsMoreThanTheFolder) {
    std::vector<std::string> nombres;
    for (int i = 0; i < 1200; ++i) nombres.push_back("f" + std::to_string(i) + ".txt");
    std::size_t enCarpeta = nombres.size();
    int reunidas = 0;
    cCacheIconos cache;
    cache.SetNombresVigentes(
        [&] {
            ++reunidas;
            return std::vector<std::string>(nombres.begin(), nombres.begin() + static_cast<long>(enCarpeta));
        },
        [&] { return enCarpeta; });
    const MiradaArchivo m = MiradaDeListado(0, 1, 45000.0);
    for (const auto& n : nombres) cache.AgregarIconoCache(dir.Ruta(n), m, 32, false, -1);
    EXPECT_EQ(reunidas, 0);
    EXPECT_EQ(cache.BytesImagenes(), std::int64_t{1200} * 32 * 32 * 4);

    // Most files go and others come: the slot is looked over and keeps what is still there.
    enCarpeta = 100;
    for (int i = 0; i < 1200; ++i) {
        nombres.insert(nombres.begin() + static_cast<long>(enCarpeta), "n" + std::to_string(i) + ".txt");
        cache.AgregarIconoCache(dir.Ruta(nombres[enCarpeta]), m, 32, false, -1);
        ++enCarpeta;
    }
    EXPECT_GE(reunidas, 1);
    EXPECT_LE(cache.BytesImagenes(), std::int64_t{2} * 1300 * 32 * 32 * 4);
    EXPECT_LT(cache.BytesImagenes(), std::int64_t{2400} * 32 * 32 * 4);
}

TEST_F(IconosTest, PreviewFitsTheLongerSideAndCentres) {
    cCacheIconos cache;
    const QImage ancha = cache.ImagenDe(GuardarImagen(dir, "ancha.jpg", 400, 200, Qt::green), 96, true);
    EXPECT_EQ(RectOpaco(ancha), QRect(0, 24, 96, 48));
    const QImage alta = cache.ImagenDe(GuardarImagen(dir, "alta.jpeg", 100, 300, Qt::green), 96, true);
    EXPECT_EQ(RectOpaco(alta), QRect(32, 0, 32, 96));
    const QImage chica = cache.ImagenDe(GuardarImagen(dir, "chica.bmp", 40, 20, Qt::green), 96, true);
    EXPECT_EQ(RectOpaco(chica), QRect(28, 38, 40, 20));
    EXPECT_EQ(UbicarEnCaja(QSize(1000, 1), 96), QRect(0, 47, 96, 1));
}

TEST_F(IconosTest, PicturesOnlyBecomePreviewsInPreviewModeAndByTheLists) {
    RegistroOpciones op;
    EXPECT_EQ(ElegirClaseImagen("a.jpeg", 10, true, op), ClaseImagen::VistaPrevia);
    EXPECT_EQ(ElegirClaseImagen("a.Gif", 10, true, op), ClaseImagen::VistaPrevia);
    EXPECT_EQ(ElegirClaseImagen("a.jpeg", 10, false, op), ClaseImagen::TipoArchivo);
    // A new settings file previews PNG too; the classic list stored by an older run does not.
    EXPECT_EQ(ElegirClaseImagen("a.png", 10, true, op), ClaseImagen::VistaPrevia);
    op.ImageExtensionsPreview = LISTA_PREVIA_CLASICA;
    EXPECT_EQ(ElegirClaseImagen("a.png", 10, true, op), ClaseImagen::TipoArchivo);
    EXPECT_EQ(ElegirClaseImagen("jpg", 10, true, op), ClaseImagen::TipoArchivo);
    EXPECT_EQ(ElegirClaseImagen("a.ico", 10, true, op), ClaseImagen::DelArchivo);
    // "Icons load" wins over the preview list; a '*' cannot join two entries of a list.
    op.ImageExtensionsPreview = "*BMP*ICO*";
    EXPECT_EQ(ElegirClaseImagen("a.ico", 10, true, op), ClaseImagen::DelArchivo);
    EXPECT_EQ(ElegirClaseImagen("a.BMP*ICO", 10, true, op), ClaseImagen::TipoArchivo);

    EXPECT_TRUE(ExtensionPreviewConocida("x.JPEG"));
    EXPECT_FALSE(ExtensionPreviewConocida("x.png"));
}

TEST_F(IconosTest, SizeLimitsApplyToTheirOwnFormats) {
    RegistroOpciones op;
    const std::int64_t tresMB = 3 * 1024 * 1024;
    EXPECT_EQ(ElegirClaseImagen("a.bmp", tresMB, true, op), ClaseImagen::VistaPrevia);
    op.LimitBmpGifPreview = 1;  // default maximum 2048 KB
    EXPECT_EQ(ElegirClaseImagen("a.bmp", tresMB, true, op), ClaseImagen::TipoArchivo);
    EXPECT_EQ(ElegirClaseImagen("a.gif", 2048 * 1024, true, op), ClaseImagen::VistaPrevia);
    EXPECT_EQ(ElegirClaseImagen("a.gif", 2048 * 1024 + 1, true, op), ClaseImagen::TipoArchivo);
    EXPECT_EQ(ElegirClaseImagen("a.jpg", tresMB, true, op), ClaseImagen::VistaPrevia);
    op.LimitJpgPreview = 1;  // default maximum 512 KB
    EXPECT_EQ(ElegirClaseImagen("a.JPG", 512 * 1024 + 1, true, op), ClaseImagen::TipoArchivo);
    EXPECT_EQ(ElegirClaseImagen("a.jpeg", 512 * 1024, true, op), ClaseImagen::VistaPrevia);
    op.JpgMaxSize = 4096;
    EXPECT_EQ(ElegirClaseImagen("a.jpg", tresMB, true, op), ClaseImagen::VistaPrevia);
}

TEST_F(IconosTest, ThreeMegabyteBmpOverTheLimitShowsItsIcon) {
    const std::string ruta = GuardarImagen(dir, "grande.bmp", 1024, 1024, Qt::red, "BMP");
    ASSERT_GT(std::filesystem::file_size(ruta), 3'000'000u);
    const QImage icono = IconoEnCajaPreview(ruta);
    EXPECT_NE(RenderizarImagenItem(ruta, 96, true), icono);
    Opciones().LimitBmpGifPreview = 1;
    EXPECT_EQ(RenderizarImagenItem(ruta, 96, true), icono);
}

// CRC of a PNG chunk (type and data), so a patched header still reads as valid.
std::uint32_t Crc32(const char* datos, size_t n) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) {
        crc ^= static_cast<std::uint8_t>(datos[i]);
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void PonerBE32(QByteArray& b, int pos, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[pos + i] = static_cast<char>((v >> (24 - 8 * i)) & 0xFF);
}

TEST_F(IconosTest, HeaderClaimingHugeDimensionsIsNotDecodedWhole) {
    const std::string ruta = GuardarImagen(dir, "enorme.png", 8, 8, Qt::red, "PNG");
    QFile f(QString::fromStdString(ruta));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray datos = f.readAll();
    f.close();
    PonerBE32(datos, 16, 60000);  // IHDR width and height
    PonerBE32(datos, 20, 60000);
    PonerBE32(datos, 29, Crc32(datos.constData() + 12, 17));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(datos);
    f.close();

    const auto inicio = std::chrono::steady_clock::now();
    EXPECT_TRUE(RenderizarVistaPrevia(ruta, 96).isNull());
    EXPECT_LT(std::chrono::steady_clock::now() - inicio, std::chrono::seconds(5));

    // A BMP cannot be scaled while read: claiming 30000 × 30000 it is refused before decoding.
    const std::string bmp = GuardarImagen(dir, "enorme.bmp", 8, 8, Qt::red, "BMP");
    std::fstream b(bmp, std::ios::in | std::ios::out | std::ios::binary);
    const std::int32_t lado = 30000;
    b.seekp(18);
    b.write(reinterpret_cast<const char*>(&lado), 4);
    b.write(reinterpret_cast<const char*>(&lado), 4);
    b.close();
    EXPECT_TRUE(RenderizarVistaPrevia(bmp, 96).isNull());
    EXPECT_EQ(RenderizarImagenItem(bmp, 96, true), IconoEnCajaPreview(bmp));
}

TEST_F(IconosTest, LargePictureIsDecodedStraightToTheBoxSize) {
    // 4000 × 3000 colour pixels are 48 MB in full; with a 32 MB limit only a decoder that
    // scales while reading gets through.
    QImage img(4000, 3000, QImage::Format_RGB32);
    img.fill(QColor(10, 200, 30));
    const std::string ruta = dir.Ruta("grande.png");
    ASSERT_TRUE(img.save(QString::fromStdString(ruta), "PNG"));
    img = QImage();
    const QImage prev = RenderizarVistaPrevia(ruta, 96, 32);
    ASSERT_FALSE(prev.isNull());
    EXPECT_EQ(RectOpaco(prev), QRect(0, 12, 96, 72));
    EXPECT_EQ(prev.pixelColor(48, 48), QColor(10, 200, 30));
}

TEST_F(IconosTest, GifIsPreviewedThoughItsReaderGivesNoSizeFirst) {
    // A 1 × 1 GIF whose two palette colours are both red.
    const char gif[] = "GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\x00\x00\xff\x00\x00"
                       ",\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;";
    const std::string ruta = dir.ArchivoConTexto("punto.gif", std::string(gif, sizeof gif - 1));
    const QImage prev = RenderizarImagenItem(ruta, 96, true);
    EXPECT_EQ(RectOpaco(prev), QRect(47, 47, 1, 1));
    EXPECT_EQ(prev.pixelColor(47, 47), QColor(Qt::red));
}

TEST_F(IconosTest, IconFilesGiveTheirOwnPictureOthersTheTypeIcon) {
    QImage ico(32, 32, QImage::Format_ARGB32);
    ico.fill(QColor(200, 0, 200));
    const std::string ruta = dir.Ruta("app.ico");
    ASSERT_TRUE(QImageWriter(QString::fromStdString(ruta), "ico").write(ico));
    const QImage leida = RenderizarImagenItem(ruta, 96, false);
    EXPECT_EQ(leida.size(), QSize(96, 96));
    EXPECT_EQ(leida.pixelColor(48, 48), QColor(200, 0, 200));

    const std::string exe = dir.ArchivoConTexto("prog.exe", "MZ");
    EXPECT_TRUE(RenderizarIconoDelArchivo(exe, 32).isNull());
    EXPECT_EQ(RenderizarImagenItem(exe, 32, false), ImagenTipoArchivo(exe, false, 32));
    // Broken picture files fall back to their icon as well.
    const std::string roto = dir.ArchivoConTexto("roto.jpg", "not a picture");
    EXPECT_EQ(RenderizarImagenItem(roto, 96, true), IconoEnCajaPreview(roto));
}

TEST_F(IconosTest, ShortcutArrowFollowsTheSetting) {
    auto flechaEn = [](const char* nombre, std::uint32_t atributos, int fila = 1) {
        ItemCarpeta it;
        it.Nombre = nombre;
        it.Atributos = atributos;
        return LlevaFlechaAcceso(it, fila);
    };
    EXPECT_TRUE(flechaEn("a.lnk", ATR_ARCHIVO));
    EXPECT_TRUE(flechaEn("a.URL", ATR_ARCHIVO));
    EXPECT_TRUE(flechaEn("enlace", ATR_ENLACE));
    EXPECT_FALSE(flechaEn("a.lnkx", ATR_ARCHIVO));
    EXPECT_FALSE(flechaEn("lnk", ATR_ARCHIVO));
    EXPECT_FALSE(flechaEn("a.lnk", ATR_ARCHIVO, 0));
    const QImage flecha = ImagenFlechaAcceso(32);
    EXPECT_EQ(flecha.size(), QSize(32, 32));
    EXPECT_EQ(qAlpha(flecha.pixel(28, 4)), 0);  // leaves the icon under it visible
    EXPECT_GT(qAlpha(flecha.pixel(6, 25)), 0);
}

const QStringList kRespaldos = {
    "carpeta", "archivo", "texto", "imagen", "comprimido", "ejecutable", "audio", "video",
    "documento", "imagen_disco", "unidad_fija", "unidad_remota", "unidad_optica", "unidad_ram",
    "unidad_extraible", "equipo_red", "flecha_acceso"};

TEST_F(IconosTest, OwnIconSetLoadsAtAnySizeAndEveryPictureDiffers) {
    for (int tamano : {16, 24, 32, 48, 96, 128}) {
        std::vector<QImage> vistas;
        for (const QString& n : kRespaldos) {
            const QImage img = ImagenRespaldo(n, tamano);
            ASSERT_FALSE(img.isNull()) << n.toStdString() << " " << tamano;
            EXPECT_EQ(img.size(), QSize(tamano, tamano));
            EXPECT_FALSE(RectOpaco(img).isEmpty());
            for (const QImage& otra : vistas) EXPECT_NE(img, otra) << n.toStdString();
            vistas.push_back(img);
        }
    }
    EXPECT_TRUE(ImagenRespaldo("no_existe", 32).isNull());
}

// The theme settings are process-wide: put them back whatever the test does.
class SinTema {
public:
    explicit SinTema(const QString& vacia) : nombre_(QIcon::themeName()), rutas_(QIcon::themeSearchPaths()) {
        QIcon::setThemeSearchPaths({vacia});
        QIcon::setThemeName("NingunTemaQuirvex");
    }
    ~SinTema() {
        QIcon::setThemeSearchPaths(rutas_);
        QIcon::setThemeName(nombre_);
    }

private:
    QString nombre_;
    QStringList rutas_;
};

TEST_F(IconosTest, WithoutAThemeFoldersFilesAndDrivesStillDiffer) {
    SinTema sinTema(QString::fromStdString(dir.Carpeta("sin_iconos")));
    EXPECT_EQ(ImagenClaseIcono(ICONO_CARPETA, 32), ImagenRespaldo("carpeta", 32));
    EXPECT_EQ(ImagenClaseIcono(ICONO_ARCHIVO, 32), ImagenRespaldo("archivo", 32));
    EXPECT_EQ(ImagenTipoArchivo(dir.Ruta("x.zip"), false, 32), ImagenRespaldo("comprimido", 32));
    EXPECT_EQ(ImagenTipoArchivo(dir.Ruta("x.jpg"), false, 32), ImagenRespaldo("imagen", 32));
    std::vector<QImage> unidades;
    for (int tipo = UNIDAD_FIJA; tipo <= UNIDAD_EXTRAIBLE; ++tipo) {
        const QImage img = ImagenUnidad(tipo, 48);
        for (const QImage& otra : unidades) EXPECT_NE(img, otra) << tipo;
        unidades.push_back(img);
    }
    EXPECT_EQ(ImagenUnidad(99, 48), ImagenUnidad(UNIDAD_FIJA, 48));
}

TEST_F(IconosTest, ThemeIconsDependOnTheType) {
    AsegurarTemaIconos();
    if (!QIcon::hasThemeIcon("folder") || !QIcon::hasThemeIcon("text-x-generic"))
        GTEST_SKIP() << "no icon theme on this machine";
    const QImage carpeta = ImagenTipoArchivo(dir.Carpeta("c"), true, 32);
    const QImage texto = ImagenTipoArchivo(dir.Ruta("a.txt"), false, 32);
    const QImage foto = ImagenTipoArchivo(dir.Ruta("a.png"), false, 32);
    for (const QImage* img : {&carpeta, &texto, &foto}) {
        EXPECT_EQ(img->size(), QSize(32, 32));
        EXPECT_FALSE(RectOpaco(*img).isEmpty());
    }
    EXPECT_NE(carpeta, texto);
    EXPECT_NE(texto, foto);
    EXPECT_EQ(ImagenTipoArchivo(dir.Ruta("b.TXT"), false, 32), texto);
}

}  // namespace
}  // namespace quirvex
