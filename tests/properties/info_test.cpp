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

// The label change with a service that answers at once: the answer arrives before the call
// returns. -1: refused before the service was asked.
int Cambiar(const std::string& raiz, const std::string& nuevo, OyenteCambios* oyente) {
    int respuesta = -2;
    const bool pedido = CambiarEtiquetaUnidad(raiz, nuevo, oyente, [&](bool c) { respuesta = c ? 1 : 0; });
    if (!pedido) return -1;
    EXPECT_NE(respuesta, -2) << "the service's answer never arrived";
    return respuesta;
}

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
    for (const char* malo : {".oculta", " espacio", "", "a:b", "a/b"})
        EXPECT_EQ(Cambiar("/data/", malo, &cambios), -1) << malo;
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
        EXPECT_EQ(Cambiar("/data/", "NEW", &cambios), 0);
        EXPECT_EQ(Cambiar("/data/", "NEW", &cambios), 0);
    }
    // Without a disk service at all the change fails the same way.
    EXPECT_EQ(Cambiar("/data/", "NEW", &cambios), 0);
    EtiquetasAnotadas etiquetas;
    EXPECT_EQ(Cambiar("/gone/", "NEW", &cambios), 0);
    // The service's reason shows under the message.
    EXPECT_EQ(dialogos_.mensajes,
              (std::vector<std::string>{"Can't change the label.\n\nrefused", "Can't change the label.\n\nrefused",
                                        "Can't change the label.\n\nno disk service", "Error: Drive not found."}));
    EXPECT_TRUE(cambios.avisos.empty());
    EXPECT_EQ(EtiquetaUnidad("/data/"), "OLD (/data)");
}

TEST_F(InfoTest, LabelChangeRenamesTheDriveEntryAndBroadcastsIt) {
    EtiquetasAnotadas etiquetas;
    CambiosAnotados cambios;
    EXPECT_EQ(Cambiar("/data/", "NUEVA", &cambios), 1);
    EXPECT_EQ(etiquetas.pedidos, (std::vector<std::string>{"/data/=NUEVA"}));
    EXPECT_EQ(EtiquetaUnidad("/data/"), "NUEVA (/data)");
    EXPECT_EQ(cambios.avisos,
              (std::vector<std::string>{TextoMiPC() + "|OLD (/data)|NUEVA (/data)|U|Rename"}));
    EXPECT_TRUE(dialogos_.mensajes.empty());
}

// A service that keeps the request and answers when the test says so.
class EtiquetasDiferidas final : public EtiquetasVolumen {
public:
    EtiquetasDiferidas() { SetEtiquetasVolumen(this); }
    ~EtiquetasDiferidas() override { SetEtiquetasVolumen(nullptr); }
    bool CambiarEtiqueta(const std::string&, const std::string&, std::string&) override { return false; }
    void PedirEtiqueta(const std::string&, const std::string&, FinEtiqueta fin) override { pendiente = std::move(fin); }
    FinEtiqueta pendiente;
};

TEST_F(InfoTest, ALateAnswerChangesTheTableThenAndATimeoutSaysHowLongItWaited) {
    EtiquetasDiferidas servicio;
    CambiosAnotados cambios;
    int respuesta = -1;
    ASSERT_TRUE(CambiarEtiquetaUnidad("/data/", "TARDE", &cambios, [&](bool c) { respuesta = c; }));
    EXPECT_EQ(respuesta, -1);
    EXPECT_EQ(EtiquetaUnidad("/data/"), "OLD (/data)");  // nothing changes before the answer
    ASSERT_TRUE(servicio.pendiente);
    servicio.pendiente(RespuestaEtiqueta{true, "", 0});
    EXPECT_EQ(respuesta, 1);
    EXPECT_EQ(EtiquetaUnidad("/data/"), "TARDE (/data)");
    EXPECT_EQ(cambios.avisos.size(), 1u);

    ASSERT_TRUE(CambiarEtiquetaUnidad("/data/", "OTRA", &cambios, [&](bool c) { respuesta = c; }));
    servicio.pendiente(RespuestaEtiqueta{false, "Did not receive a reply", 10});
    EXPECT_EQ(respuesta, 0);
    EXPECT_EQ(dialogos_.mensajes,
              (std::vector<std::string>{"Can't change the label.\n\nThe disk service did not answer within 10 seconds."}));
    EXPECT_EQ(EtiquetaUnidad("/data/"), "TARDE (/data)");
}

TEST_F(InfoTest, PermissionsAndAccountsAsLsWritesThem) {
    EXPECT_EQ(TextoPermisos(0100644), "-rw-r--r--");
    EXPECT_EQ(OctalPermisos(0100644), "0644");
    EXPECT_EQ(TextoPermisos(0040755), "drwxr-xr-x");
    EXPECT_EQ(TextoPermisos(0120777), "lrwxrwxrwx");
    // Special bits show in the execute places, upper case where execute is off.
    EXPECT_EQ(TextoPermisos(0104755), "-rwsr-xr-x");
    EXPECT_EQ(TextoPermisos(0102644), "-rw-r-Sr--");
    EXPECT_EQ(TextoPermisos(0041777), "drwxrwxrwt");
    EXPECT_EQ(TextoPermisos(0041776), "drwxrwxrwT");
    EXPECT_EQ(OctalPermisos(0107777), "7777");
    EXPECT_EQ(TextoPermisos(0010600), "prw-------");
    EXPECT_EQ(TextoPermisos(0020620), "crw--w----");
    EXPECT_EQ(TextoCuenta("ana", 1000), "ana (1000)");
    EXPECT_EQ(TextoCuenta("", 4242), "4242");
}

}  // namespace
}  // namespace quirvex
