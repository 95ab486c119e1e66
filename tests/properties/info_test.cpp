// The properties window's drive page and label change, without the window.

#include <gtest/gtest.h>

#include "folder/tabla_unidades.h"
#include "properties/info.h"
#include "properties/fakes_propiedades.h"
#include "support/fakes.h"
#include "support/nucleo_limpio.h"

namespace quirvex {
namespace {

using prueba::CambiosAnotados;
using prueba::DialogosGrabados;
using prueba::EtiquetasAnotadas;
using prueba::UnidadesFijas;
using prueba::VolumenesFijos;

class InfoTest : public prueba::NucleoLimpio {
protected:
    void SetUp() override {
        NucleoLimpio::SetUp();
        ListarUnidades();
    }
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

TEST_F(InfoTest, TitlesOfTheThreePages) {
    EXPECT_EQ(TituloArchivo("nota.txt"), "nota.txt (Propiedades del Archivo)");
    EXPECT_EQ(TituloCarpeta("fotos"), "fotos (Folder Properties)");
}

TEST_F(InfoTest, DrivePageShowsVolumeDataAndUsage) {
    volumenes_.volumenes["/data"] = {true, "OLD", "xfs", "1234-abcd", 4000, 1000};
    const PaginaUnidad p = CargarPaginaUnidad("/data/", ".");
    EXPECT_EQ(p.titulo, "OLD (/data)");
    EXPECT_EQ(p.etiqueta, "OLD");
    EXPECT_EQ(p.lineaEtiqueta, "OLD");
    EXPECT_EQ(p.lineaSistema, "FileSystem: xfs");
    EXPECT_EQ(p.lineaSerie, "Serial Number: 1234-abcd");
    EXPECT_EQ(p.total, "Total space:: 3.90 KB");
    EXPECT_EQ(p.libre, "Free space: 1000 bytes");
    EXPECT_EQ(p.usado, "Used space: 75%");
    EXPECT_DOUBLE_EQ(p.fraccionUsada, 0.75);
    EXPECT_TRUE(p.renombrable);

    // Sizes past 4 GiB stay exact in the figures.
    volumenes_.volumenes["/data"] = {true, "", "xfs", "", std::int64_t{3} << 40, std::int64_t{1} << 40};
    const PaginaUnidad grande = CargarPaginaUnidad("/data", ".");
    EXPECT_EQ(grande.total, "Total space:: 3 TB");
    EXPECT_EQ(grande.usado, "Used space: 67%");
    EXPECT_EQ(grande.lineaEtiqueta, "(None)");
    EXPECT_EQ(grande.lineaSerie, "Serial Number: -");
}

TEST_F(InfoTest, UnreadableVolumeDrawsDashesAndOnlyFixedDrivesAreRenamable) {
    const PaginaUnidad p = CargarPaginaUnidad("/data/", ".");  // no volume data at all
    EXPECT_FALSE(p.legible);
    EXPECT_EQ(p.titulo, "OLD (/data)");
    EXPECT_EQ(p.lineaEtiqueta, "-");
    EXPECT_EQ(p.lineaSistema, "FileSystem: -");
    EXPECT_EQ(p.total, "Total space:: -");
    EXPECT_EQ(p.usado, "Used space: -");
    EXPECT_FALSE(p.renombrable);

    volumenes_.volumenes["/media/usb"] = {true, "STICK", "vfat", "AB-CD", 100, 50};
    EXPECT_FALSE(CargarPaginaUnidad("/media/usb/", ".").renombrable);
    volumenes_.volumenes["/data"] = {true, "OLD", "xfs", "", 100, 0};
    EXPECT_TRUE(CargarPaginaUnidad("/data/", ".").renombrable);
    EXPECT_EQ(CargarPaginaUnidad("/data/", ".").usado, "Used space: 100%");
}

TEST_F(InfoTest, LabelValidationMessagesStopBeforeTheDiskService) {
    EtiquetasAnotadas etiquetas;
    CambiosAnotados cambios;
    EXPECT_FALSE(CambiarEtiquetaUnidad("/data/", ".oculta", &cambios));
    EXPECT_FALSE(CambiarEtiquetaUnidad("/data/", " espacio", &cambios));
    EXPECT_FALSE(CambiarEtiquetaUnidad("/data/", "", &cambios));
    EXPECT_FALSE(CambiarEtiquetaUnidad("/data/", "a:b", &cambios));
    EXPECT_FALSE(CambiarEtiquetaUnidad("/data/", "a/b", &cambios));
    const std::string prohibidos = "This characters can't be used in file and folder names: */\\\"|:<>?";
    EXPECT_EQ(dialogos_.mensajes,
              (std::vector<std::string>{"The label can't begin with space or dot.",
                                        "The label can't begin with space or dot.",
                                        "The label can't be empty.", prohibidos, prohibidos}));
    EXPECT_TRUE(etiquetas.pedidos.empty());
    EXPECT_TRUE(cambios.avisos.empty());
    EXPECT_EQ(EtiquetaUnidad("/data/"), "OLD (/data)");
}

TEST_F(InfoTest, LabelChangeFailuresSayWhyAndChangeNothing) {
    CambiosAnotados cambios;
    {
        EtiquetasAnotadas etiquetas;
        etiquetas.exito = false;
        EXPECT_FALSE(CambiarEtiquetaUnidad("/data/", "NEW", &cambios));
        EXPECT_FALSE(CambiarEtiquetaUnidad("/data/", "NEW", &cambios));
    }
    // Without a disk service at all the change fails the same way.
    EXPECT_FALSE(CambiarEtiquetaUnidad("/data/", "NEW", &cambios));
    EtiquetasAnotadas etiquetas;
    EXPECT_FALSE(CambiarEtiquetaUnidad("/gone/", "NEW", &cambios));
    EXPECT_EQ(dialogos_.mensajes,
              (std::vector<std::string>{"Can't change the label.", "Can't change the label.",
                                        "Can't change the label.", "Error: Drive not found."}));
    EXPECT_TRUE(cambios.avisos.empty());
    EXPECT_EQ(EtiquetaUnidad("/data/"), "OLD (/data)");
}

TEST_F(InfoTest, LabelChangeRenamesTheDriveEntryAndBroadcastsIt) {
    EtiquetasAnotadas etiquetas;
    CambiosAnotados cambios;
    EXPECT_TRUE(CambiarEtiquetaUnidad("/data/", "NUEVA", &cambios));
    EXPECT_EQ(etiquetas.pedidos, (std::vector<std::string>{"/data/=NUEVA"}));
    EXPECT_EQ(EtiquetaUnidad("/data/"), "NUEVA (/data)");
    EXPECT_EQ(cambios.avisos,
              (std::vector<std::string>{TextoMiPC() + "|OLD (/data)|NUEVA (/data)|U|Rename"}));
    EXPECT_TRUE(dialogos_.mensajes.empty());
}

}  // namespace
}  // namespace quirvex
