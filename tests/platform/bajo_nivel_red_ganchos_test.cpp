// The share layer sits in front of every local file call: the optional calls of the low-level
// interface (early write-back, file system sync, owners, extended attributes, listing types)
// must reach the local implementation for local handles, or a local copy made through it loses
// them silently.

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "operations/bajo_nivel_con_fallos.h"
#include "platform/archivos_red.h"
#include "support/carpeta_temporal.h"

namespace quirvex {
namespace {

TEST(BajoNivelRedTest, EveryOptionalCallReachesTheLocalImplementation) {
    prueba::CarpetaTemporal tmp;
    const std::string archivo = tmp.ArchivoConTexto("f", "data");
    prueba::BajoNivelConFallos local;
    local.tiposDelListado = true;
    local.errorPropietario = 1234;  // a value only the local layer gives
    const std::unique_ptr<ArchivosBajoNivel> red = BajoNivelConRed(local);

    const int fd = open(archivo.c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    red->AdelantarEscritura(fd, 0, 4);
    EXPECT_EQ(local.adelantos.size(), 1u);
    EXPECT_EQ(red->CambiarPropietario(fd, SIN_CAMBIO, SIN_CAMBIO), 1234);

    int error = 0;
    const ManejadorArchivo carpeta = red->AbrirCarpetaElegida(tmp.Ruta(), error);
    ASSERT_NE(carpeta, MANEJADOR_INVALIDO);
    EXPECT_EQ(red->SincronizarSistema(carpeta), 0);
    EXPECT_EQ(local.llamadasSincronizarSistema, 1);
    std::vector<std::string> nombres;
    std::vector<TipoNodo> tipos;
    EXPECT_EQ(red->ListarEnConTipos(carpeta, nombres, tipos), 0);
    EXPECT_EQ(tipos, std::vector<TipoNodo>{TipoNodo::Archivo});

    InfoNodo info;
    const ManejadorArchivo nuevo = red->CrearSinNombreEn(carpeta, error, info);
    ASSERT_NE(nuevo, MANEJADOR_INVALIDO) << error;
    EXPECT_EQ(red->EnlazarEn(nuevo, carpeta, "g"), 0);
    EXPECT_EQ(red->EnlazarEn(nuevo, carpeta, "f"), EEXIST);  // never replaces
    red->Cerrar(nuevo);
    red->Cerrar(carpeta);
    close(fd);
}

}  // namespace
}  // namespace quirvex
