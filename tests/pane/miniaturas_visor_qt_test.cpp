// Previews in the real frame through the desktop's shared thumbnail cache: another program's
// thumbnail is shown without the picture being decoded, and the pane leaves its own for them.

#include <QCryptographicHash>
#include <QImage>
#include <filesystem>
#include <optional>
#include <string>

#include "folder/cola_previews_qt.h"
#include "folder/miniaturas_qt.h"
#include "frame/marco_real_qt.h"

namespace quirvex::prueba {
namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kFecha = 1'600'000'000;

class MiniaturasMarco : public MarcoReal {
protected:
    void SetUp() override {
        MarcoReal::SetUp();
        if (const char* c = std::getenv("XDG_CACHE_HOME")) previo_ = c;
        ::setenv("XDG_CACHE_HOME", cache.Ruta().c_str(), 1);
    }
    void TearDown() override {
        MarcoReal::TearDown();
        if (previo_)
            ::setenv("XDG_CACHE_HOME", previo_->c_str(), 1);
        else
            ::unsetenv("XDG_CACHE_HOME");
    }
    std::string Normal(const std::string& ruta) const {
        const std::string uri = "file://" + ruta;  // the folders here need no escaping
        return cache.Ruta() + "thumbnails/normal/" +
               QCryptographicHash::hash(QByteArray::fromStdString(uri), QCryptographicHash::Md5).toHex().toStdString() +
               ".png";
    }
    // The colour in the middle of an item's picture box, as the pane shows it.
    static QColor CentroImagen(cVisor* v, const std::string& nombre) {
        const QRect celda = v->RectItemEnPantalla(Indice(v, nombre));
        const GeometriaVisor& g = v->Distribucion().Geometria();
        const QPoint centro(celda.left() + g.IcoL + g.IcoDW / 2, celda.top() + g.IcoDD + g.IcoDH / 2);
        return v->picM()->grab(QRect(centro, QSize(1, 1))).toImage().pixelColor(0, 0);
    }

    CarpetaTemporal cache;
    CarpetaTemporal fotos;

private:
    std::optional<std::string> previo_;
};

TEST_F(MiniaturasMarco, AnotherProgramsThumbnailIsShownAndOursIsLeftForThem) {
    // Another program's thumbnail of a file no decoder could read: only it can give a preview.
    fotos.ArchivoConTexto("ajena.jpg", "not a picture");
    fotos.FijarFecha("ajena.jpg", kFecha);
    fs::create_directories(cache.Ruta() + "thumbnails/normal");
    QImage ajena(128, 96, QImage::Format_RGB32);
    ajena.fill(Qt::green);
    ajena.setText("Thumb::URI", QString::fromStdString("file://" + fotos.Ruta("ajena.jpg")));
    ajena.setText("Thumb::MTime", QString::number(kFecha));
    ASSERT_TRUE(ajena.save(QString::fromStdString(Normal(fotos.Ruta("ajena.jpg"))), "PNG"));
    // A picture no program has seen yet.
    QImage propia(300, 200, QImage::Format_RGB32);
    propia.fill(Qt::red);
    ASSERT_TRUE(propia.save(QString::fromStdString(fotos.Ruta("propia.png")), "PNG"));
    fotos.FijarFecha("propia.png", kFecha + 7);

    Abrir(fotos.Ruta());
    cVisor* v = Visor(0);
    v->SetViewMode(MODO_PREVIEW);
    ASSERT_TRUE(Esperar([&] {
        return v->Iconos().PreviewsPendientes() == 0 && v->Iconos().Cola()->Decodificando() == 0;
    }));
    EXPECT_EQ(CentroImagen(v, "ajena.jpg"), QColor(Qt::green));
    EXPECT_EQ(CentroImagen(v, "propia.png"), QColor(Qt::red));

    // Ours, by the same rules, for the next visit and the other programs.
    const QImage hecha(QString::fromStdString(Normal(fotos.Ruta("propia.png"))));
    ASSERT_FALSE(hecha.isNull());
    EXPECT_EQ(hecha.size(), QSize(128, 85));
    EXPECT_EQ(hecha.text("Thumb::URI").toStdString(), "file://" + fotos.Ruta("propia.png"));
    EXPECT_EQ(hecha.text("Thumb::MTime"), QString::number(kFecha + 7));
}

// A thumbnail as another program leaves it: made for the file's modification time `mtime`.
void MiniaturaAjena(const std::string& destino, const std::string& archivo, std::int64_t mtime, QColor color) {
    QImage img(128, 96, QImage::Format_RGB32);
    img.fill(color);
    img.setText("Thumb::URI", QString::fromStdString("file://" + archivo));
    img.setText("Thumb::MTime", QString::number(mtime));
    ASSERT_TRUE(img.save(QString::fromStdString(destino), "PNG"));
}

TEST_F(MiniaturasMarco, TheFirstFrameInPreviewModeHasTheCachedThumbnailsAndAStaleOneIsDecodedAfter) {
    // Pictures painted one colour, thumbnails of another: what the pane shows tells which it took.
    fs::create_directories(cache.Ruta() + "thumbnails/normal");
    for (const char* nombre : {"a.png", "b.png", "c.png"}) {
        QImage foto(300, 200, QImage::Format_RGB32);
        foto.fill(Qt::red);
        ASSERT_TRUE(foto.save(QString::fromStdString(fotos.Ruta(nombre)), "PNG"));
        fotos.FijarFecha(nombre, kFecha);
        MiniaturaAjena(Normal(fotos.Ruta(nombre)), fotos.Ruta(nombre), kFecha, Qt::green);
    }
    // Changed after its thumbnail was made: the thumbnail must not be shown.
    fotos.FijarFecha("c.png", kFecha + 60);

    Abrir(fotos.Ruta());
    cVisor* v = Visor(0);
    v->SetViewMode(MODO_PREVIEW);
    // No turn of the event loop yet: the frame about to be shown already has the thumbnails.
    const cColaPreviews* cola = v->Iconos().Cola();
    EXPECT_EQ(v->Iconos().PreviewsPendientes(), 1);
    EXPECT_EQ(cola->Decodificados(), 0);
    EXPECT_EQ(CentroImagen(v, "a.png"), QColor(Qt::green));
    EXPECT_EQ(CentroImagen(v, "b.png"), QColor(Qt::green));
    EXPECT_NE(CentroImagen(v, "c.png"), QColor(Qt::green));

    // The stale one is decoded from the picture after the paint, and its thumbnail replaced.
    ASSERT_TRUE(Esperar([&] { return v->Iconos().PreviewsPendientes() == 0 && cola->Decodificando() == 0; }));
    EXPECT_EQ(cola->Decodificados(), 1);
    EXPECT_EQ(CentroImagen(v, "c.png"), QColor(Qt::red));
    EXPECT_EQ(QImage(QString::fromStdString(Normal(fotos.Ruta("c.png")))).text("Thumb::MTime"),
              QString::number(kFecha + 60));
}

}  // namespace
}  // namespace quirvex::prueba
