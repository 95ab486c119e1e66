#include "folder/contenido_visor.h"

#include <gtest/gtest.h>

#include "folder/cache_listados.h"
#include "folder/filtro.h"
#include "folder/orden.h"
#include "settings/idioma.h"
#include "settings/opciones.h"
#include "support/nucleo_limpio.h"
#include "support/fakes.h"

namespace quirvex {
namespace {

using prueba::CarpetaTemporal;

class VistaContada : public VistaVisor {
public:
    void RedibujarTodo() override { ++redibujos; }
    void DeseleccionarTodo() override { ++deselecciones; }
    int redibujos = 0;
    int deselecciones = 0;
};

class ContenidoVisorTest : public prueba::NucleoLimpio {
protected:
    std::vector<std::string> Nombres() const {
        std::vector<std::string> r;
        for (std::int64_t i = 0; i < c.nMostrados(); ++i) r.push_back(c.Items[static_cast<size_t>(i)].Nombre);
        return r;
    }

    VistaContada vista;
    cContenidoVisor c{&vista};
};

TEST_F(ContenidoVisorTest, LoadsAFolderWithOrWithoutTheTrailingSeparator) {
    tmp.Archivo("b.doc", 10);
    tmp.Archivo("a.txt", 5);
    tmp.Archivo("README", 1);
    tmp.Carpeta("zeta");
    tmp.Carpeta("Alpha");
    ASSERT_TRUE(c.CargarContenido(tmp.Ruta().substr(0, tmp.Ruta().size() - 1), true));
    EXPECT_EQ(c.RutaActual, tmp.Ruta());
    // Extension order: folders by name, files without extension, then by extension.
    EXPECT_EQ(Nombres(), (std::vector<std::string>{"Alpha", "zeta", "README", "b.doc", "a.txt"}));
    EXPECT_EQ(c.nCarpetas, 2);
    EXPECT_EQ(c.nArchivos, 3);
    EXPECT_EQ(c.TotalSize, 16);
    EXPECT_EQ(c.IconoCarpeta, 7);
    EXPECT_EQ(c.NombreCarpeta, UltimoComponente(tmp.Ruta()));
    EXPECT_EQ(vista.deselecciones, 1);

    ASSERT_TRUE(c.CargarContenido(tmp.Ruta(), true));
    EXPECT_EQ(c.UboundHistorial(), 0);  // the same location adds no history entry
}

TEST_F(ContenidoVisorTest, ItemFieldsDescribeTheEntry) {
    tmp.Archivo("photo.JPG", 3);
    tmp.Archivo("noext", 0);
    tmp.Archivo("archive.z", 0);
    tmp.Carpeta("dir");
    ASSERT_TRUE(c.CargarContenido(tmp.Ruta(), false));
    const auto& it = c.Items[static_cast<size_t>(c.GetIndexItem("photo.JPG"))];
    EXPECT_EQ(it.Tipo, "A");
    EXPECT_EQ(it.Ext, "jpg");
    EXPECT_EQ(std::get<std::string>(it.Extension), "jpg");
    EXPECT_EQ(it.Icono, 6);  // "*JPG*JPEG*" is the fifth group
    EXPECT_EQ(it.RutaCompleta, tmp.Ruta("photo.JPG"));
    EXPECT_GT(it.FechaModificacion, 40000.0);
    const auto& sin = c.Items[static_cast<size_t>(c.GetIndexItem("noext"))];
    EXPECT_EQ(std::get<std::string>(sin.Extension), ".");
    EXPECT_EQ(sin.Ext, std::string(1, '\1'));
    EXPECT_EQ(sin.Icono, 1);
    EXPECT_EQ(c.Items[static_cast<size_t>(c.GetIndexItem("archive.z"))].Icono, 9);
    const auto& dir = c.Items[static_cast<size_t>(c.GetIndexItem("dir"))];
    EXPECT_EQ(dir.Tipo, "C");
    EXPECT_EQ(dir.Ext, std::string(1, '\0'));
    EXPECT_EQ(c.GetIndexItem("DIR"), -1);  // exact, case-sensitive
}

TEST_F(ContenidoVisorTest, SortModesAndTheCacheThatServesThem) {
    tmp.Archivo("Zeta", 3);
    tmp.Archivo("alpha", 10'000'000'000);  // sparse: sizes past 32 bits are exact
    tmp.Archivo("mid", 9'000'000'000);
    tmp.FijarFecha("Zeta", 2'000'000'000);
    tmp.FijarFecha("alpha", 1'000'000'000);
    tmp.FijarFecha("mid", 1'500'000'000);
    c.CriterioOrden = ORDEN_NOMBRE;
    ASSERT_TRUE(c.CargarContenido(tmp.Ruta(), true));
    EXPECT_EQ(Nombres(), (std::vector<std::string>{"Zeta", "alpha", "mid"}));
    EXPECT_EQ(c.Items[1].Tamano, 10'000'000'000);

    tmp.Archivo("new-on-disk", 1);  // the cache, not the disk, serves a new sort mode
    const int antes = vista.redibujos;
    c.CambiarOrden(ORDEN_NOMBRE);  // the same mode again does nothing
    EXPECT_EQ(vista.redibujos, antes);
    c.CambiarOrden(ORDEN_TAMANO);
    EXPECT_EQ(Nombres(), (std::vector<std::string>{"Zeta", "mid", "alpha"}));
    c.CambiarOrden(ORDEN_MODIFICACION);
    EXPECT_EQ(Nombres(), (std::vector<std::string>{"alpha", "mid", "Zeta"}));

    c.ActualizarContenido();  // a refresh reads the disk again
    EXPECT_EQ(c.nArchivos, 4);
}

TEST_F(ContenidoVisorTest, FilterChangesReloadFromTheCache) {
    tmp.Archivo("a.txt");
    tmp.Archivo("b.log");
    tmp.Carpeta("sub");
    c.txtFiltro = "*.txt";
    c.cboFiltro = FILTRO_ARCHIVOS;
    ASSERT_TRUE(c.CargarContenido(tmp.Ruta(), true));
    EXPECT_EQ(Nombres(), (std::vector<std::string>{"sub", "a.txt"}));
    c.cboFiltro = FILTRO_SOLO_ARCHIVOS;
    c.txtFiltro = "*";
    ASSERT_TRUE(c.CargarContenido("", true));
    EXPECT_EQ(c.nCarpetas, 0);
    EXPECT_EQ(c.nArchivos, 2);
    EXPECT_EQ(c.UboundHistorial(), 0);
    EXPECT_EQ(mvCache::Cantidad(), 1);
    EXPECT_EQ(mvCache::Entrada(0).items->size(), 3u);  // the cached listing stays unfiltered
}

TEST_F(ContenidoVisorTest, SystemFilesHiddenOnlyWhenAskedAndNeverFolders) {
    tmp.Archivo("Desktop.ini");
    tmp.Archivo("thumbs.db");
    tmp.Carpeta("desktop.ini/inner");
    tmp.Archivo("folder.htm");
    ASSERT_TRUE(c.CargarContenido(tmp.Ruta(), true));
    EXPECT_EQ(Nombres(), (std::vector<std::string>{"desktop.ini", "folder.htm"}));
    Opciones().HideDesktopIni = 0;
    c.ActualizarContenido();
    EXPECT_EQ(c.nMostrados(), 4);
}

TEST_F(ContenidoVisorTest, EmptyMissingAndOddlyNamedFolders) {
    const std::string vacia = tmp.Carpeta("empty");
    ASSERT_TRUE(c.CargarContenido(vacia, true));
    EXPECT_EQ(c.nCarpetas + c.nArchivos, 0);

    prueba::DialogosGrabados dialogos;
    EXPECT_FALSE(c.CargarContenido(tmp.Ruta("missing"), true));
    EXPECT_FALSE(c.CargarContenido(tmp.Archivo("plain-file"), true));
    ASSERT_EQ(dialogos.mensajes.size(), 2u);
    EXPECT_EQ(dialogos.mensajes[0], "No se pudo cargar el contenido.");
    EXPECT_EQ(c.RutaActual, vacia);  // nothing changed
    EXPECT_EQ(c.UboundHistorial(), 0);

    const std::string raro = "bad\xff name \"quoted\"";
    tmp.Archivo(raro, 2);
    ASSERT_TRUE(c.CargarContenido(tmp.Ruta(), true));
    const auto i = c.GetIndexItem(raro);
    ASSERT_GE(i, 0);
    EXPECT_EQ(c.Items[static_cast<size_t>(i)].RutaCompleta, tmp.Ruta(raro));
    EXPECT_EQ(c.Items[static_cast<size_t>(i)].Tamano, 2);
}

TEST_F(ContenidoVisorTest, HistoryBackForwardAndCut) {
    const std::string a = tmp.Carpeta("a"), b = tmp.Carpeta("b"), cc = tmp.Carpeta("c"),
                      d = tmp.Carpeta("d");
    for (const auto& r : {a, b, cc}) ASSERT_TRUE(c.CargarContenido(r, true));
    EXPECT_EQ(c.UboundHistorial(), 2);
    c.GoHistorial(0);
    EXPECT_EQ(c.RutaActual, a);
    EXPECT_EQ(c.UboundHistorial(), 2);  // going back adds nothing
    c.GoHistorial(2);
    EXPECT_EQ(c.RutaActual, cc);
    c.GoHistorial(0);
    ASSERT_TRUE(c.CargarContenido(d, true));
    EXPECT_EQ(c.UboundHistorial(), 1);
    EXPECT_EQ(c.IndexHistorial(), 1);
    EXPECT_EQ(c.Historial(0), a.substr(0, a.size() - 1));
    EXPECT_EQ(c.Historial(1), d.substr(0, d.size() - 1));
}

TEST_F(ContenidoVisorTest, UpOneLevelReachesMyPcFromTheRootOnly) {
    prueba::UnidadesFijas unidades({Volumen{"/", "ext4", "/dev/vda", "", UNIDAD_FIJA},
                                    Volumen{"/media/usb/", "vfat", "/dev/sdb1", "STICK",
                                            UNIDAD_EXTRAIBLE}});
    const std::string hondo = tmp.Carpeta("x/y");
    ASSERT_TRUE(c.CargarContenido(hondo, true));
    c.SubirNivel();
    EXPECT_EQ(c.RutaActual, tmp.Ruta("x/"));
    ASSERT_TRUE(c.CargarContenido("/", true));
    EXPECT_EQ(c.NombreCarpeta, "/");
    const auto antes = c.UboundHistorial();
    c.SubirNivel();
    EXPECT_TRUE(c.EnMiPC());
    EXPECT_EQ(c.UboundHistorial(), antes);  // the drive list from "/" is not recorded
    EXPECT_EQ(c.nCarpetas, 2);
    EXPECT_EQ(c.TextoEstado, "Unidades disponibles: 2");
    EXPECT_EQ(c.Items[1].Nombre, "STICK (/media/usb)");
    EXPECT_EQ(c.Items[1].Icono, 5);
    EXPECT_EQ(std::get<std::int32_t>(c.Items[1].Extension), 1);
    c.SubirNivel();  // nothing above My PC
    EXPECT_TRUE(c.EnMiPC());

    ASSERT_TRUE(c.CargarContenido("/", true));  // "/" is a drive: its header is the drive's
    EXPECT_EQ(c.NombreCarpeta, "/ (/)");
    EXPECT_EQ(c.IconoCarpeta, UNIDAD_FIJA - 1);
}

TEST_F(ContenidoVisorTest, DefaultFolderFollowsTheOption) {
    const std::string casa = tmp.Carpeta("home");
    Opciones().DefaultFolderOption = 0;
    Opciones().DefaultFolderPath = casa;
    c.GoDefaultFolder(tmp.Ruta("missing"));
    EXPECT_EQ(c.RutaActual, casa);

    cContenidoVisor otro;
    Opciones().DefaultFolderOption = 1;
    otro.GoDefaultFolder("");
    EXPECT_TRUE(otro.EnMiPC());
    otro.GoDefaultFolder(casa);
    EXPECT_EQ(otro.RutaActual, casa);
}

TEST_F(ContenidoVisorTest, NetworkWithoutComputersIsEmpty) {
    ASSERT_TRUE(c.CargarContenido(TEXTO_RED, true));
    EXPECT_TRUE(c.EnRed());
    EXPECT_EQ(c.nCarpetas, 0);
    EXPECT_EQ(c.TextoEstado, "Computadoras disponibles: 0");
}

}  // namespace
}  // namespace quirvex
