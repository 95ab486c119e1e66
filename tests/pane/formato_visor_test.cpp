#include "pane/formato_visor.h"

#include <gtest/gtest.h>

#include "folder/contenido_visor.h"
#include "folder/tabla_unidades.h"
#include "platform/unidades.h"
#include "settings/idioma.h"
#include "settings/opciones.h"
#include "support/carpeta_temporal.h"

namespace quirvex {
namespace {

TEST(FormatearTamano, CommaLocaleCleansUpTheFourCharacters) {
    EXPECT_EQ(FormatearTamano(1536, 0, ","), "1,5 KB");
    EXPECT_EQ(FormatearTamano(1024, 0, ","), "1 KB");
    EXPECT_EQ(FormatearTamano(500, 0, ","), "500 bytes");
    EXPECT_EQ(FormatearTamano(1048576LL * 100, 0, ","), "100 MB");
    EXPECT_EQ(FormatearTamano(1025, 0, ","), "1 KB");          // 1,0009... -> "1,00" -> "1"
    EXPECT_EQ(FormatearTamano(1024 + 10, 0, ","), "1 KB");     // 1,0097... -> "1,00"
    EXPECT_EQ(FormatearTamano(1024 * 1023 + 600, 0, ","), "1023 KB");
    EXPECT_EQ(FormatearTamano(0, 0, ","), "0 bytes");
    EXPECT_EQ(FormatearTamano(5LL << 40, 0, ","), "5 TB");
    EXPECT_EQ(FormatearTamano(3, 2, ","), "3 MB");  // starting in MB
}

TEST(FormatearTamano, PeriodLocaleIsCleanedUpTheSameWay) {
    EXPECT_EQ(FormatearTamano(1536, 0, "."), "1.5 KB");
    EXPECT_EQ(FormatearTamano(1025, 0, "."), "1 KB");
    EXPECT_EQ(FormatearTamano(1024 * 100 + 512, 0, "."), "100 KB");  // not "100. KB"
    EXPECT_EQ(FormatearTamano(1024 * 12 + 1, 0, "."), "12 KB");     // 12.0009 -> "12.0"
}

TEST(TextoAtributos, LettersInTheirPlaces) {
    EXPECT_EQ(TextoAtributos(ATR_ARCHIVO), "_A______");
    EXPECT_EQ(TextoAtributos(ATR_ARCHIVO | ATR_SOLO_LECTURA | ATR_OCULTO), "_ARH____");
    EXPECT_EQ(TextoAtributos(ATR_DIRECTORIO), "D_______");
    EXPECT_EQ(TextoAtributos(ATR_DIRECTORIO | ATR_ENLACE), "D______X");
    EXPECT_EQ(TextoAtributos(ATR_DISPOSITIVO | 4 | 8), "____SVa_");
}

TEST(TextoTipoItem, FoldersAndFiles) {
    ItemCarpeta c;
    c.Tipo = TIPO_CARPETA;
    c.Nombre = "fotos.2024";
    EXPECT_EQ(TextoTipoItem(c), "Carpeta");
    ItemCarpeta a;
    a.Tipo = TIPO_ARCHIVO;
    a.Nombre = "informe.final.PDF";
    EXPECT_EQ(TextoTipoItem(a), "Archivo PDF");
    a.Nombre = "LEEME";
    EXPECT_EQ(TextoTipoItem(a), "Archivo LEEME");
}

TEST(SegmentosRuta, RootIsTheFirstSegmentAndJoiningEndsWithTheSeparator) {
    const auto tags = SegmentosRuta("/srv/A/B/C/");
    ASSERT_EQ(tags, (std::vector<std::string>{"", "srv", "A", "B", "C"}));
    EXPECT_EQ(TextoSegmento(tags[0], 1), "/");
    EXPECT_EQ(RutaDeSegmentos(tags, 1), "/");
    EXPECT_EQ(RutaDeSegmentos(tags, 4), "/srv/A/B/");
    EXPECT_EQ(RutaDeSegmentos(tags, 5), "/srv/A/B/C/");
    EXPECT_TRUE(SegmentosRuta("").empty());
    EXPECT_EQ(SegmentosRuta("/"), (std::vector<std::string>{""}));
}

TEST(FlechaAcceso, LinksAndShortcutExtensionsOnlyWhenAsked) {
    ItemCarpeta it;
    it.Tipo = TIPO_ARCHIVO;
    it.Nombre = "web.url";
    EXPECT_TRUE(LlevaFlechaAcceso(it, 1));
    EXPECT_FALSE(LlevaFlechaAcceso(it, 0));
    it.Nombre = "datos.lnkx";
    EXPECT_FALSE(LlevaFlechaAcceso(it, 1));
    it.Atributos = ATR_ARCHIVO | ATR_ENLACE;
    EXPECT_TRUE(LlevaFlechaAcceso(it, 1));
}

class ElegirImagenPrueba : public ::testing::Test {
protected:
    void SetUp() override { OpcionesPorDefecto(); }
    void TearDown() override { OpcionesPorDefecto(); }
    static ItemCarpeta Archivo(const std::string& nombre, std::int64_t tamano) {
        ItemCarpeta it;
        it.Tipo = TIPO_ARCHIVO;
        it.Nombre = nombre;
        it.Tamano = tamano;
        return it;
    }
};

TEST_F(ElegirImagenPrueba, LimitsKeepLargePicturesAsIcons) {
    Opciones().LimitBmpGifPreview = 1;
    Opciones().BmpGifMaxSize = 2048;
    EXPECT_EQ(ElegirImagen(Archivo("grande.bmp", 3 * 1024 * 1024)), ImagenItem::Icono);
    EXPECT_EQ(ElegirImagen(Archivo("chica.bmp", 1024)), ImagenItem::VistaPrevia);
    Opciones().LimitBmpGifPreview = 0;
    EXPECT_EQ(ElegirImagen(Archivo("grande.bmp", 3 * 1024 * 1024)), ImagenItem::VistaPrevia);
    EXPECT_EQ(ElegirImagen(Archivo("foto.JPeG", 10)), ImagenItem::VistaPrevia);
    EXPECT_EQ(ElegirImagen(Archivo("texto.txt", 10)), ImagenItem::Icono);
    Opciones().ImageExtensionsPreview += "PNG*";
    EXPECT_EQ(ElegirImagen(Archivo("x.png", 10)), ImagenItem::Desconocida);
    Opciones().IconsLoad += "PNG*";
    EXPECT_EQ(ElegirImagen(Archivo("x.png", 10)), ImagenItem::Icono);
}

// Counts every question about space, so a test can tell the medium was left alone.
class UnidadesContadas final : public Unidades {
public:
    explicit UnidadesContadas(std::vector<Volumen> v) : volumenes_(std::move(v)) { SetUnidades(this); }
    ~UnidadesContadas() override { SetUnidades(nullptr); }
    std::vector<Volumen> Listar() override { return volumenes_; }
    std::int64_t EspacioLibre(const std::string&) override { ++consultas; return 1536; }
    std::int64_t EspacioTotal(const std::string&) override { ++consultas; return 4096; }
    int consultas = 0;

private:
    std::vector<Volumen> volumenes_;
};

class BarraEstado : public ::testing::Test {
protected:
    void SetUp() override {
        CargarIdiomaIncorporado(0);
        AplicarTextoMiPC();
    }
    void TearDown() override { ReiniciarIdiomaParaPruebas(); }
    int Indice(const std::string& nombre) { return static_cast<int>(c.GetIndexItem(nombre)); }

    prueba::CarpetaTemporal tmp;
    cContenidoVisor c;
};

TEST_F(BarraEstado, FilesFoldersAndTheSelectionSummary) {
    tmp.Archivo("dos.bin", 2048);
    tmp.Carpeta("sub");
    ASSERT_TRUE(c.CargarContenido(tmp.Ruta(), false));
    EXPECT_EQ(TextoBarraEstado(c, Indice("dos.bin"), 0, 0, ","), "Size: 2 KB");
    EXPECT_EQ(TextoBarraEstado(c, Indice("sub"), 2, 2048, ","),
              "Folder [2 selected elements: 2 KB]");
    EXPECT_EQ(TextoBarraEstado(c, -1, 2, 2048, ","), "");
    EXPECT_EQ(TextoEstadoCarga(c, ","), "2 elements: 2 KB");
    ASSERT_TRUE(c.CargarContenido(tmp.Ruta("sub"), false));
    EXPECT_EQ(TextoEstadoCarga(c, ","), "0 elements");
}

TEST_F(BarraEstado, AFileThatChangedCorrectsTheItemAndTheTotal) {
    tmp.Archivo("crece.log", 1024);
    ASSERT_TRUE(c.CargarContenido(tmp.Ruta(), false));
    const std::int64_t antes = c.TotalSize;
    tmp.Archivo("crece.log", 3072);
    EXPECT_EQ(TextoBarraEstado(c, Indice("crece.log"), 0, 0, ","), "Size: 3 KB");
    EXPECT_EQ(c.Items[static_cast<size_t>(Indice("crece.log"))].Tamano, 3072);
    EXPECT_EQ(c.TotalSize, antes + 2048);
}

TEST_F(BarraEstado, DrivesShowSpaceButRemovableOnesAreLeftAlone) {
    Volumen fijo{"/", "ext4", "/dev/sda1", "", UNIDAD_FIJA};
    Volumen usb{"/media/usb/", "vfat", "/dev/sdb1", "USB", UNIDAD_EXTRAIBLE};
    UnidadesContadas unidades({fijo, usb});
    ASSERT_TRUE(c.CargarContenido(TextoMiPC(), false));
    ASSERT_EQ(c.Items.size(), 2u);
    EXPECT_EQ(TextoBarraEstado(c, 1, 0, 0, ","), "(Removable disk)");
    EXPECT_EQ(unidades.consultas, 0);
    EXPECT_EQ(TextoBarraEstado(c, 0, 0, 0, ","), "Free: 1,5 KB, Total: 4 KB (Local disk)");
    EXPECT_EQ(TextoEstadoCarga(c, ","), "Unidades disponibles: 2");
}

}  // namespace
}  // namespace quirvex
