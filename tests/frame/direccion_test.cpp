#include "frame/direccion.h"

#include <gtest/gtest.h>

#include "support/carpeta_temporal.h"

namespace quirvex {
namespace {

TEST(Direccion, EnteredTextNamesAFolderAFileMyPcOrNothing) {
    prueba::CarpetaTemporal tmp;
    const std::string carpeta = tmp.Carpeta("docs");
    const std::string archivo = tmp.Archivo("nota.txt", 3);
    EXPECT_EQ(ResolverDireccion(carpeta, ""), AccionDireccion::IrCarpeta);
    EXPECT_EQ(ResolverDireccion(tmp.Ruta("docs"), ""), AccionDireccion::IrCarpeta);
    EXPECT_EQ(ResolverDireccion(archivo, ""), AccionDireccion::AbrirArchivo);
    EXPECT_EQ(ResolverDireccion("mi pc", ""), AccionDireccion::MiPC);
    EXPECT_EQ(ResolverDireccion("Mi Pc", ""), AccionDireccion::MiPC);
    EXPECT_EQ(ResolverDireccion("My PC", ""), AccionDireccion::NoExiste);
    EXPECT_EQ(ResolverDireccion(tmp.Ruta("nada"), ""), AccionDireccion::NoExiste);
    // Unchanged since the last accepted Enter: nothing, without a message.
    EXPECT_EQ(ResolverDireccion(tmp.Ruta("nada"), tmp.Ruta("nada")), AccionDireccion::Nada);
}

TEST(Direccion, RelativeTextNamesNoFolderEvenWhenTheWorkingFolderHasOne) {
    EXPECT_EQ(ResolverDireccion(".", ""), AccionDireccion::NoExiste);
    EXPECT_EQ(ResolverDireccion("tmp", ""), AccionDireccion::NoExiste);
}

TEST(Direccion, PartsAndTheAncestorBehindEach) {
    EXPECT_EQ(PartesDeRuta("/home/ana/"), (std::vector<std::string>{"/", "home", "ana"}));
    EXPECT_EQ(PartesDeRuta("/"), (std::vector<std::string>{"/"}));
    EXPECT_EQ(PartesDeRuta("My PC"), (std::vector<std::string>{"My PC"}));
    EXPECT_TRUE(PartesDeRuta("").empty());
    EXPECT_EQ(RutaDeParte("/home/ana/", 0), "/");
    EXPECT_EQ(RutaDeParte("/home/ana/", 1), "/home/");
    EXPECT_EQ(RutaDeParte("/home/ana/", 2), "/home/ana/");
    EXPECT_EQ(RutaDeParte("/home/ana/", 3), "");
}

TEST(Direccion, DebugModeOnlyForTheExactWholeCommandLine) {
    EXPECT_TRUE(EsModoDepuracion({"-debugmode"}));
    EXPECT_FALSE(EsModoDepuracion({" -debugmode"}));
    EXPECT_FALSE(EsModoDepuracion({"-DEBUGMODE"}));
    EXPECT_FALSE(EsModoDepuracion({"-debugmode", "/tmp"}));
    EXPECT_FALSE(EsModoDepuracion({}));
}

}  // namespace
}  // namespace quirvex
