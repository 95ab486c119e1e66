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

// The desktop starts the program with %U: file URIs and plain paths both name the folder, and a
// URI that would be cut short or names another machine opens nothing rather than a look-alike.
TEST(CarpetaDeArgumento, UrisOfTheDesktopAndPaths) {
    EXPECT_EQ(CarpetaDeArgumento("/home/ana/x y"), "/home/ana/x y");
    EXPECT_EQ(CarpetaDeArgumento("notes:2024"), "notes:2024");
    EXPECT_EQ(CarpetaDeArgumento("/tmp/a://b"), "/tmp/a://b");
    EXPECT_EQ(CarpetaDeArgumento("file:///home/ana/x%20y/caf%C3%A9"), "/home/ana/x y/caf\xC3\xA9");
    EXPECT_EQ(CarpetaDeArgumento("FILE://localhost/tmp/"), "/tmp/");
    EXPECT_EQ(CarpetaDeArgumento("file:/tmp"), "/tmp");
    EXPECT_EQ(CarpetaDeArgumento("file://otro/tmp"), std::nullopt);
    EXPECT_EQ(CarpetaDeArgumento("file:///tmp/a#b"), std::nullopt);
    EXPECT_EQ(CarpetaDeArgumento("file:///tmp/a%00b"), std::nullopt);
    EXPECT_EQ(CarpetaDeArgumento("smb://servidor/compartida"), std::nullopt);
    EXPECT_EQ(CarpetaDeArgumento("file:"), std::nullopt);
}

}  // namespace
}  // namespace quirvex
