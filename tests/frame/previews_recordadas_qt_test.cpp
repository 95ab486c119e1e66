// Previews decoded once are remembered for the whole program: a tab opened later on the same
// folder draws them at once, without the pool; a picture that changed, or a new name, is decoded.

#include <QImage>
#include <filesystem>

#include "folder/cola_previews_qt.h"
#include "folder/iconos_qt.h"
#include "frame/marco_real_qt.h"

namespace quirvex::prueba {
namespace {

class PreviewsRecordadas : public MarcoReal {
protected:
    void SetUp() override {
        MarcoReal::SetUp();
        cPreviewsRecordadas::Programa().Vaciar();
    }
    void TearDown() override {
        MarcoReal::TearDown();
        cPreviewsRecordadas::Programa().Vaciar();
    }
    void Pintura(const std::string& nombre, QColor color) {
        QImage img(120, 80, QImage::Format_RGB32);
        img.fill(color);
        ASSERT_TRUE(img.save(Q(tmp.Ruta(nombre)), "BMP"));
    }
    // A new tab on the folder (behind the one on screen), in preview mode.
    cVisor* NuevaVista() {
        m->NuevoTabVisor(Q(tmp.Ruta()));
        auto* tab = dynamic_cast<frmMain*>(m->VentanasTab().back());
        if (!tab) return nullptr;
        cVisor* v = tab->aVisor();
        v->SetViewMode(MODO_PREVIEW);
        return v;
    }
    // The middle of the picture a pane has for an item, as its painting takes it from its cache.
    static QColor Centro(cVisor* v, const std::string& nombre) {
        auto& iconos = const_cast<cCacheIconos&>(v->Iconos());
        const int lado = v->Distribucion().Geometria().IcoDW;
        const PosicionIcono pos = iconos.AgregarIconoCache(v->Contenido().RutaActual + nombre, lado, true, Indice(v, nombre));
        return iconos.Imagen(pos).pixelColor(lado / 2, lado / 2);
    }
};

TEST_F(PreviewsRecordadas, AnotherTabShowsThemAtOnceAndAChangedPictureIsDecodedAgain) {
    Pintura("rojo.bmp", Qt::red);
    Pintura("verde.bmp", Qt::green);
    Pintura("azul.bmp", Qt::blue);
    Abrir(tmp.Ruta());
    cVisor* primera = Visor(0);
    primera->SetViewMode(MODO_PREVIEW);
    ASSERT_TRUE(QTest::qWaitFor([&] { return primera->Iconos().PreviewsPendientes() == 0; }, 20000));
    EXPECT_GT(cPreviewsRecordadas::Programa().Bytes(), 0);

    // Nothing pending and nothing asked of the new pane's pool: the pictures were remembered.
    cVisor* segunda = NuevaVista();
    ASSERT_NE(segunda, nullptr);
    ASSERT_NE(segunda, primera);
    EXPECT_EQ(segunda->Iconos().PreviewsPendientes(), 0);
    EXPECT_EQ(segunda->Iconos().Cola()->Esperando() + segunda->Iconos().Cola()->Decodificados(), 0);
    EXPECT_EQ(Centro(segunda, "rojo.bmp"), QColor(Qt::red));
    EXPECT_EQ(Centro(segunda, "azul.bmp"), QColor(Qt::blue));

    // A picture painted over (another modification time) and a renamed one are not remembered.
    Pintura("rojo.bmp", Qt::yellow);
    const auto despues = std::filesystem::last_write_time(tmp.Ruta("azul.bmp")) + std::chrono::seconds(5);
    std::filesystem::last_write_time(tmp.Ruta("rojo.bmp"), despues);
    std::filesystem::rename(tmp.Ruta("verde.bmp"), tmp.Ruta("otro.bmp"));
    mvCache::Vaciar();
    primera->CargarContenido(tmp.Ruta());
    primera->picM()->repaint();
    EXPECT_EQ(primera->Iconos().PreviewsPendientes(), 2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return primera->Iconos().PreviewsPendientes() == 0; }, 20000));
    EXPECT_EQ(Centro(primera, "rojo.bmp"), QColor(Qt::yellow));
    EXPECT_EQ(Centro(primera, "otro.bmp"), QColor(Qt::green));
    EXPECT_EQ(Centro(primera, "azul.bmp"), QColor(Qt::blue));
}

// The bound holds: past it the pictures used longest ago are forgotten, the latest kept.
TEST(PreviewsRecordadasLimite, TheOldestGoWhenTheBoundIsPassed) {
    AsegurarAplicacionQt();
    const int tam = 32;
    const std::int64_t porImagen = std::int64_t{tam} * tam * 4;
    cPreviewsRecordadas r(10 * porImagen);
    QImage img(tam, tam, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::red);
    for (int i = 0; i < 30; ++i) {
        r.Guardar("/f/" + std::to_string(i), 1000 + i, tam, img);
        if (i == 5) {
            EXPECT_FALSE(r.Buscar("/f/0", 1000, tam).isNull());  // used again: kept longer
        }
    }
    EXPECT_LE(r.Bytes(), 10 * porImagen);
    EXPECT_FALSE(r.Buscar("/f/29", 1029, tam).isNull());
    EXPECT_TRUE(r.Buscar("/f/1", 1001, tam).isNull());
    EXPECT_TRUE(r.Buscar("/f/29", 1030, tam).isNull());  // another modification time
    EXPECT_TRUE(r.Buscar("/f/29", 1029, 64).isNull());   // another box
}

}  // namespace
}  // namespace quirvex::prueba
