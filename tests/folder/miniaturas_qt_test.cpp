// The shared thumbnail cache: names and keys as the other programs of the desktop make them,
// the modification-time rule against thumbnails written here by those rules, failure entries,
// permissions, and what is never read or written.

#include "folder/miniaturas_qt.h"
#include "folder/iconos_qt.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImage>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "support/aplicacion_qt.h"
#include "support/carpeta_temporal.h"

namespace quirvex {
namespace {

namespace fs = std::filesystem;
using prueba::CarpetaTemporal;

constexpr std::int64_t kFecha = 1'700'000'000;  // 2023-11-14

std::string Md5(const std::string& texto) {
    return QCryptographicHash::hash(QByteArray::fromStdString(texto), QCryptographicHash::Md5).toHex().toStdString();
}

fs::perms Permisos(const std::string& ruta) { return fs::status(ruta).permissions() & fs::perms::all; }

// The environment variable for the length of one test.
class VariableTemporal {
public:
    VariableTemporal(const char* nombre, const char* valor) : nombre_(nombre) {
        if (const char* v = std::getenv(nombre)) previo_ = v;
        if (valor)
            ::setenv(nombre, valor, 1);
        else
            ::unsetenv(nombre);
    }
    ~VariableTemporal() {
        if (previo_)
            ::setenv(nombre_, previo_->c_str(), 1);
        else
            ::unsetenv(nombre_);
    }

private:
    const char* nombre_;
    std::optional<std::string> previo_;
};

TEST(NombresMiniatura, UriAndNameAreThoseTheOtherProgramsHash) {
    // The example of the thumbnail standard itself.
    EXPECT_EQ(UriArchivo("/home/jens/photos/me.png"), "file:///home/jens/photos/me.png");
    EXPECT_EQ(NombreMiniatura("file:///home/jens/photos/me.png"), "c6ee772d9e49320e97ec29a7eb5b1697.png");
    // Odd names: what a path segment may hold stays, everything else is %XX of its bytes.
    EXPECT_EQ(UriArchivo("/f/a b#c%d?e;f[g]h\"i<j>k{l}m|n\\o^p`q.jpg"),
              "file:///f/a%20b%23c%25d%3Fe%3Bf%5Bg%5Dh%22i%3Cj%3Ek%7Bl%7Dm%7Cn%5Co%5Ep%60q.jpg");
    EXPECT_EQ(UriArchivo("/f/(1)!~*'&=+$,:@-_.jpg"), "file:///f/(1)!~*'&=+$,:@-_.jpg");
    EXPECT_EQ(UriArchivo("/f/a\tb\nc.jpg"), "file:///f/a%09b%0Ac.jpg");
    EXPECT_EQ(UriArchivo("/fotos/año/niño.jpg"), "file:///fotos/a%C3%B1o/ni%C3%B1o.jpg");
    // A name that is not UTF-8 keeps its exact bytes, so two such names never share a thumbnail.
    EXPECT_EQ(UriArchivo("/f/\xff\xfe.jpg"), "file:///f/%FF%FE.jpg");
    EXPECT_NE(NombreMiniatura(UriArchivo("/f/\xff.jpg")), NombreMiniatura(UriArchivo("/f/\xfe.jpg")));
    EXPECT_EQ(NombreMiniatura("file:///f/a%20b.jpg"), Md5("file:///f/a%20b.jpg") + ".png");
}

TEST(NombresMiniatura, SizesAndFoldersFollowTheBox) {
    EXPECT_EQ(LadoMiniatura(32), 128);
    EXPECT_EQ(LadoMiniatura(96), 128);
    EXPECT_EQ(LadoMiniatura(128), 128);
    EXPECT_EQ(LadoMiniatura(129), 256);
    EXPECT_EQ(LadoMiniatura(600), 1024);
    EXPECT_EQ(LadoMiniatura(5000), 1024);
    EXPECT_STREQ(SubcarpetaMiniatura(128), "normal");
    EXPECT_STREQ(SubcarpetaMiniatura(256), "large");
    EXPECT_STREQ(SubcarpetaMiniatura(512), "x-large");
    EXPECT_STREQ(SubcarpetaMiniatura(1024), "xx-large");
    const cMiniaturas c("/c/thumbnails/");
    EXPECT_EQ(c.Ruta("file:///a.jpg", 96), "/c/thumbnails/normal/" + Md5("file:///a.jpg") + ".png");
    EXPECT_EQ(c.Ruta("file:///a.jpg", 200), "/c/thumbnails/large/" + Md5("file:///a.jpg") + ".png");
    EXPECT_EQ(c.RutaFallo("file:///a.jpg").rfind("/c/thumbnails/fail/quirvex-", 0), 0u);
    EXPECT_TRUE(c.Contiene("/c/thumbnails/normal/x.png"));
    EXPECT_FALSE(c.Contiene("/c/thumbnails2/x.png"));
    EXPECT_FALSE(c.Contiene("/c/thumbnails"));
}

TEST(NombresMiniatura, TheCacheFolderComesFromTheEnvironment) {
    {
        VariableTemporal cache("XDG_CACHE_HOME", "/x/cache//");
        EXPECT_EQ(CarpetaMiniaturas(), "/x/cache/thumbnails");
    }
    VariableTemporal casa("HOME", "/home/u");
    for (const char* sinValor : {"", "relativa/cache"}) {
        VariableTemporal cache("XDG_CACHE_HOME", sinValor);
        EXPECT_EQ(CarpetaMiniaturas(), "/home/u/.cache/thumbnails") << sinValor;
    }
    VariableTemporal sinCasa("HOME", nullptr);
    VariableTemporal sinCache("XDG_CACHE_HOME", nullptr);
    EXPECT_EQ(CarpetaMiniaturas(), "");
    EXPECT_FALSE(cMiniaturas().Disponible());
}

class MiniaturasTest : public ::testing::Test {
protected:
    void SetUp() override { prueba::AsegurarAplicacionQt(); }

    std::string Base() const { return cacheHome.Ruta() + "thumbnails"; }

    // A picture file of one colour with the given modification time.
    std::string Foto(const std::string& nombre, QColor color, int w = 400, int h = 200) {
        QImage img(w, h, QImage::Format_RGB32);
        img.fill(color);
        EXPECT_TRUE(img.save(QString::fromStdString(fotos.Ruta(nombre)), "PNG"));
        fotos.FijarFecha(nombre, kFecha);
        return fotos.Ruta(nombre);
    }
    // A thumbnail written the way the standard describes it, with nothing of the program's.
    std::string Miniatura(const char* sub, const std::string& uri, std::int64_t mtime, QColor color,
                          QSize tam = QSize(128, 64)) const {
        const std::string carpeta = Base() + "/" + sub;
        fs::create_directories(carpeta);
        QImage img(tam, QImage::Format_RGB32);
        img.fill(color);
        img.setText("Thumb::URI", QString::fromStdString(uri));
        img.setText("Thumb::MTime", QString::number(mtime));
        const std::string ruta = carpeta + "/" + Md5(uri) + ".png";
        EXPECT_TRUE(img.save(QString::fromStdString(ruta), "PNG"));
        return ruta;
    }
    static QColor Centro(const QImage& img) { return img.pixelColor(img.width() / 2, img.height() / 2); }

    CarpetaTemporal cacheHome;
    CarpetaTemporal fotos;
    VariableTemporal entorno{"XDG_CACHE_HOME", cacheHome.Ruta().c_str()};
};

TEST_F(MiniaturasTest, ACurrentThumbnailIsDrawnWithoutDecodingThePicture) {
    // The "photo" is not a picture at all: only the thumbnail can give it a preview.
    const std::string ruta = fotos.ArchivoConTexto("mi foto #1.jpg", "not a picture");
    fotos.FijarFecha("mi foto #1.jpg", kFecha);
    const std::string uri = "file://" + fotos.Ruta() + "mi%20foto%20%231.jpg";
    Miniatura("normal", uri, kFecha, Qt::green);

    const QImage img = VistaPreviaCompartida(ruta, 96);
    ASSERT_FALSE(img.isNull());
    EXPECT_EQ(img.size(), QSize(96, 96));
    EXPECT_EQ(Centro(img), QColor(Qt::green));
    // 128 × 64 drawn into the 96 box by the box's rule: 96 × 48, centred.
    EXPECT_EQ(qAlpha(img.pixel(48, 23)), 0);
    EXPECT_EQ(img.pixelColor(48, 24), QColor(Qt::green));
    EXPECT_EQ(img.pixelColor(48, 71), QColor(Qt::green));
    EXPECT_EQ(qAlpha(img.pixel(48, 72)), 0);
    // Nothing was written: no failure entry for the undecodable file, no thumbnail replaced.
    EXPECT_FALSE(fs::exists(Base() + "/fail"));
}

TEST_F(MiniaturasTest, AStaleThumbnailIsReplacedByOneOfTheCurrentPicture) {
    const std::string ruta = Foto("a.png", Qt::red);
    const std::string uri = "file://" + ruta;
    const std::string vieja = Miniatura("normal", uri, kFecha - 1, Qt::green);

    const QImage img = VistaPreviaCompartida(ruta, 96);
    EXPECT_EQ(Centro(img), QColor(Qt::red));
    // Replaced under the same name, by the standard's rules, private.
    QImage nueva(QString::fromStdString(vieja));
    ASSERT_FALSE(nueva.isNull());
    EXPECT_EQ(nueva.size(), QSize(128, 64));
    EXPECT_EQ(Centro(nueva), QColor(Qt::red));
    EXPECT_EQ(nueva.text("Thumb::URI").toStdString(), uri);
    EXPECT_EQ(nueva.text("Thumb::MTime"), QString::number(kFecha));
    EXPECT_EQ(nueva.text("Thumb::Size"), QString::number(fs::file_size(ruta)));
    EXPECT_EQ(nueva.text("Thumb::Image::Width"), "400");
    EXPECT_EQ(nueva.text("Thumb::Image::Height"), "200");
    EXPECT_EQ(Permisos(vieja), fs::perms::owner_read | fs::perms::owner_write);
    // No temporary file is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(Base() + "/normal"), fs::directory_iterator()), 1);

    // The file changes: the thumbnail is made again for its new time.
    Foto("a.png", Qt::blue);
    fotos.FijarFecha("a.png", kFecha + 60);
    EXPECT_EQ(Centro(VistaPreviaCompartida(ruta, 96)), QColor(Qt::blue));
    EXPECT_EQ(QImage(QString::fromStdString(vieja)).text("Thumb::MTime"), QString::number(kFecha + 60));
}

TEST_F(MiniaturasTest, OurThumbnailIsReadBackOnTheNextVisitWithoutDecoding) {
    const std::string ruta = Foto("b.png", Qt::red, 64, 32);
    EXPECT_EQ(Centro(VistaPreviaCompartida(ruta, 96)), QColor(Qt::red));
    // A small picture keeps its own size in the box, from the thumbnail as from the picture.
    const QImage primera = VistaPreviaCompartida(ruta, 96);
    // The picture is now unreadable as one, with its time and size kept: only the thumbnail
    // can answer.
    {
        std::fstream f(ruta, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(0);
        f.write("XXXXXXXX", 8);
    }
    fotos.FijarFecha("b.png", kFecha);
    const QImage segunda = VistaPreviaCompartida(ruta, 96);
    EXPECT_EQ(segunda, primera);
    EXPECT_EQ(segunda.pixelColor(48 - 32, 48 - 16), QColor(Qt::red));
    EXPECT_EQ(qAlpha(segunda.pixel(48 - 33, 48)), 0);
}

TEST_F(MiniaturasTest, ALargerThumbnailServesWhenTheNormalOneIsMissingOrStale) {
    const std::string ruta = fotos.ArchivoConTexto("c.jpg", "not a picture");
    fotos.FijarFecha("c.jpg", kFecha);
    const std::string uri = UriArchivo(ruta);
    Miniatura("normal", uri, kFecha + 5, Qt::red);
    Miniatura("large", uri, kFecha, Qt::blue, QSize(256, 128));
    EXPECT_EQ(Centro(VistaPreviaCompartida(ruta, 96)), QColor(Qt::blue));
    // A box larger than 128 looks in large/ first.
    Miniatura("large", uri, kFecha, Qt::yellow, QSize(256, 128));
    EXPECT_EQ(Centro(VistaPreviaCompartida(ruta, 200)), QColor(Qt::yellow));
}

TEST_F(MiniaturasTest, ThumbnailOfAnotherFileOrSizeIsNotUsed) {
    const std::string ruta = Foto("d.png", Qt::red);
    const std::string uri = UriArchivo(ruta);
    // Right name, but it says it was made from another file.
    const std::string otra = Miniatura("normal", "file:///otra.png", kFecha, Qt::green);
    fs::rename(otra, Base() + "/normal/" + Md5(uri) + ".png");
    EXPECT_EQ(Centro(VistaPreviaCompartida(ruta, 96)), QColor(Qt::red));
    // Right file and time, but a size the file no longer has.
    QImage img(128, 64, QImage::Format_RGB32);
    img.fill(Qt::green);
    img.setText("Thumb::URI", QString::fromStdString(uri));
    img.setText("Thumb::MTime", QString::number(kFecha));
    img.setText("Thumb::Size", "1");
    ASSERT_TRUE(img.save(QString::fromStdString(Base() + "/normal/" + Md5(uri) + ".png")));
    EXPECT_EQ(Centro(VistaPreviaCompartida(ruta, 96)), QColor(Qt::red));
}

TEST_F(MiniaturasTest, AnUndecodableFileIsRecordedAndNotTriedAgainUntilItChanges) {
    const std::string ruta = fotos.ArchivoConTexto("roto.jpg", "not a picture");
    fotos.FijarFecha("roto.jpg", kFecha);
    const std::string uri = UriArchivo(ruta);
    EXPECT_TRUE(VistaPreviaCompartida(ruta, 96).isNull());
    const std::string fallo = cMiniaturas(Base()).RutaFallo(uri);
    ASSERT_EQ(fallo, Base() + "/fail/quirvex-" + std::to_string(QUIRVEX_VERSION_MAJOR) + "." +
                         std::to_string(QUIRVEX_VERSION_MINOR) + "." + std::to_string(QUIRVEX_VERSION_PATCH) +
                         "/" + Md5(uri) + ".png");
    QImage entrada(QString::fromStdString(fallo));
    ASSERT_FALSE(entrada.isNull());
    EXPECT_EQ(entrada.text("Thumb::URI").toStdString(), uri);
    EXPECT_EQ(entrada.text("Thumb::MTime"), QString::number(kFecha));
    EXPECT_EQ(Permisos(fallo), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(Permisos(Base() + "/fail"), fs::perms::owner_all);
    EXPECT_FALSE(fs::exists(Base() + "/normal/" + Md5(uri) + ".png"));

    // A picture now, and touched: tried again, and the entry goes once a thumbnail is made.
    QImage img(40, 40, QImage::Format_RGB32);
    img.fill(Qt::red);
    ASSERT_TRUE(img.save(QString::fromStdString(ruta), "PNG"));
    fotos.FijarFecha("roto.jpg", kFecha + 1);
    EXPECT_EQ(Centro(VistaPreviaCompartida(ruta, 96)), QColor(Qt::red));
    EXPECT_FALSE(fs::exists(fallo));
    EXPECT_TRUE(fs::exists(Base() + "/normal/" + Md5(uri) + ".png"));
}

TEST_F(MiniaturasTest, AFailureEntryOfTheSameTimeStopsTheDecode) {
    // A perfectly good picture, but the program recorded a failure for it as it is now.
    const std::string ruta = Foto("e.png", Qt::red);
    const cMiniaturas cache(Base());
    ASSERT_TRUE(cache.GuardarFallo({UriArchivo(ruta), kFecha, static_cast<std::int64_t>(fs::file_size(ruta))}));
    EXPECT_TRUE(VistaPreviaCompartida(ruta, 96).isNull());
    fotos.FijarFecha("e.png", kFecha + 1);
    EXPECT_EQ(Centro(VistaPreviaCompartida(ruta, 96)), QColor(Qt::red));
}

TEST_F(MiniaturasTest, FoldersAreMadeOwnerOnlyAndOpenOnesOfTheCacheTightened) {
    fs::create_directories(Base() + "/normal");
    fs::permissions(Base(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(Base() + "/normal", fs::perms::all);
    fs::permissions(cacheHome.Ruta(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
    VistaPreviaCompartida(Foto("f.png", Qt::red), 96);
    EXPECT_EQ(Permisos(Base()), fs::perms::owner_all);
    EXPECT_EQ(Permisos(Base() + "/normal"), fs::perms::owner_all);
    // The cache home is the user's own folder, not the thumbnails': left as it was.
    EXPECT_EQ(Permisos(cacheHome.Ruta()), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);

    // A cache home that does not exist yet is made owner-only too.
    CarpetaTemporal otra;
    VariableTemporal entorno2("XDG_CACHE_HOME", (otra.Ruta() + "nueva/cache").c_str());
    VistaPreviaCompartida(Foto("g.png", Qt::red), 96);
    EXPECT_EQ(Permisos(otra.Ruta() + "nueva"), fs::perms::owner_all);
    EXPECT_EQ(Permisos(otra.Ruta() + "nueva/cache/thumbnails/normal"), fs::perms::owner_all);
}

TEST_F(MiniaturasTest, TheCachesOwnFilesAreNeverThumbnailed) {
    fs::create_directories(Base() + "/normal");
    QImage img(300, 300, QImage::Format_RGB32);
    img.fill(Qt::red);
    const std::string dentro = Base() + "/normal/suelta.png";
    ASSERT_TRUE(img.save(QString::fromStdString(dentro), "PNG"));
    EXPECT_EQ(Centro(VistaPreviaCompartida(dentro, 96)), QColor(Qt::red));
    EXPECT_EQ(std::distance(fs::directory_iterator(Base() + "/normal"), fs::directory_iterator()), 1);
}

TEST_F(MiniaturasTest, AnUnreadableFileIsNeitherLookedUpNorRecorded) {
    const std::string cerrada = Foto("cerrada.png", Qt::red);
    fs::permissions(cerrada, fs::perms::none);
    if (std::FILE* f = std::fopen(cerrada.c_str(), "rb")) {
        std::fclose(f);
        GTEST_SKIP() << "running as a user who reads every file";
    }
    // Even a current thumbnail of it stays unread: it would show what the user may not read.
    Miniatura("normal", UriArchivo(cerrada), kFecha, Qt::green);
    EXPECT_TRUE(VistaPreviaCompartida(cerrada, 96).isNull());
    EXPECT_FALSE(fs::exists(Base() + "/fail"));
}

TEST_F(MiniaturasTest, OurThumbnailsArePlainPngsReadBackExactlyByAnyReader) {
    // Opaque and with transparency, every pixel different: both are read back exactly, by the
    // desktop's decoder as by the program's own reading of them.
    QImage opaca(128, 96, QImage::Format_RGB32);
    QImage transparente(100, 128, QImage::Format_ARGB32);
    for (QImage* img : {&opaca, &transparente})
        for (int y = 0; y < img->height(); ++y)
            for (int x = 0; x < img->width(); ++x)
                img->setPixel(x, y, qRgba(x * 2, y * 2, (x + y) % 256, img == &opaca ? 255 : (x * 7 + y) % 256));
    const cMiniaturas cache;
    for (QImage* img : {&opaca, &transparente}) {
        const OriginalMiniatura o{"file:///f/" + std::to_string(img->width()) + ".png", kFecha, 1234};
        ASSERT_TRUE(cache.Guardar(o, *img, QSize(4000, 3000), 128));
        QFile f(QString::fromStdString(cache.Ruta(o.uri, 128)));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray png = f.readAll();
        EXPECT_TRUE(png.startsWith("\x89PNG\r\n\x1a\n"));
        // Stored rows: at least as large as the pixels (what makes them quick to read back).
        EXPECT_GE(png.size(), qsizetype{img->width()} * img->height() * (img->hasAlphaChannel() ? 4 : 3));
        QImage porDecodificador;
        ASSERT_TRUE(porDecodificador.loadFromData(png, "PNG"));
        const QImage leida = cache.Leer(o, 96).imagen;
        ASSERT_FALSE(leida.isNull());
        for (const QImage& r : {porDecodificador, leida}) {
            EXPECT_EQ(r.convertToFormat(QImage::Format_ARGB32), img->convertToFormat(QImage::Format_ARGB32));
            EXPECT_EQ(r.text("Thumb::URI").toStdString(), o.uri);
            EXPECT_EQ(r.text("Thumb::MTime"), QString::number(kFecha));
            EXPECT_EQ(r.text("Thumb::Size"), "1234");
        }
        EXPECT_EQ(cache.Leer(o, 96).original, QSize(4000, 3000));
    }
}

TEST_F(MiniaturasTest, ACutShortThumbnailOfOursIsNotShownAndThePictureIsDecoded) {
    const std::string ruta = Foto("d.png", Qt::red);
    ASSERT_EQ(Centro(VistaPreviaCompartida(ruta, 96)), QColor(Qt::red));
    const std::string miniatura = cMiniaturas().Ruta("file://" + ruta, 96);
    // Another program's copy, half written (ours are renamed into place whole).
    fs::resize_file(miniatura, fs::file_size(miniatura) / 2);
    EXPECT_TRUE(MiniaturaCompartida(ruta, 96).isNull());
    EXPECT_EQ(Centro(VistaPreviaCompartida(ruta, 96)), QColor(Qt::red));
    EXPECT_FALSE(MiniaturaCompartida(ruta, 96).isNull());  // made again whole
}

TEST_F(MiniaturasTest, TheCacheAloneGivesOnlyCurrentThumbnailsAndNeverDecodes) {
    const std::string ruta = Foto("e.png", Qt::red);
    const std::string uri = "file://" + ruta;
    // None yet: the picture is not decoded, nothing is written.
    EXPECT_TRUE(MiniaturaCompartida(ruta, 96).isNull());
    EXPECT_FALSE(fs::exists(Base()));
    // Current: drawn into the box as the pool would.
    Miniatura("normal", uri, kFecha, Qt::green);
    EXPECT_EQ(MiniaturaCompartida(ruta, 96), VistaPreviaCompartida(ruta, 96));
    EXPECT_EQ(Centro(MiniaturaCompartida(ruta, 96)), QColor(Qt::green));
    // The picture changed after its thumbnail was made.
    fotos.FijarFecha("e.png", kFecha + 1);
    EXPECT_TRUE(MiniaturaCompartida(ruta, 96).isNull());
    // A file recorded as undecodable has no preview here either; the record stays.
    const std::string roto = fotos.ArchivoConTexto("roto.jpg", "not a picture");
    fotos.FijarFecha("roto.jpg", kFecha);
    EXPECT_TRUE(VistaPreviaCompartida(roto, 96).isNull());
    ASSERT_TRUE(fs::exists(cMiniaturas().RutaFallo("file://" + roto)));
    EXPECT_TRUE(MiniaturaCompartida(roto, 96).isNull());
    EXPECT_TRUE(fs::exists(cMiniaturas().RutaFallo("file://" + roto)));
}

}  // namespace
}  // namespace quirvex
