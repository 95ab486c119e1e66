#include "operations/rutas_operacion.h"

#include <filesystem>
#include <gtest/gtest.h>

#include "support/carpeta_temporal.h"

namespace quirvex {
namespace {

using prueba::CarpetaTemporal;

TEST(NombreLibreTest, NumbersTakenFilesAndFoldersBeforeTheirExtension) {
    CarpetaTemporal tmp;
    const std::string a = tmp.Ruta("a.txt");
    EXPECT_EQ(NombreLibre(a, false), a);  // free: itself
    tmp.Archivo("a.txt");
    EXPECT_EQ(NombreLibre(a, false), tmp.Ruta("a (1).txt"));
    tmp.Archivo("a (1).txt");
    EXPECT_EQ(NombreLibre(a, false), tmp.Ruta("a (2).txt"));

    tmp.Carpeta("Docs");
    EXPECT_EQ(NombreLibre(tmp.Ruta("Docs"), true), tmp.Ruta("Docs (1)"));
    EXPECT_EQ(NombreLibre(tmp.Ruta("Docs/"), false), tmp.Ruta("Docs (1)/"));
    tmp.Carpeta("v1.2");
    EXPECT_EQ(NombreLibre(tmp.Ruta("v1.2"), true), tmp.Ruta("v1.2 (1)"));
    EXPECT_EQ(NombreLibre(tmp.Ruta("v1.2"), false), tmp.Ruta("v1 (1).2"));
}

TEST(NombreLibreTest, OnlyTheLastNameGivesTheExtensionAndALeadingDotIsNone) {
    CarpetaTemporal tmp;
    tmp.Archivo("x.y/README");
    EXPECT_EQ(NombreLibre(tmp.Ruta("x.y/README"), false), tmp.Ruta("x.y/README (1)"));
    tmp.Archivo(".a");
    EXPECT_EQ(NombreLibre(tmp.Ruta(".a"), false), tmp.Ruta(".a (1)"));
    tmp.Archivo(".profile.bak");
    EXPECT_EQ(NombreLibre(tmp.Ruta(".profile.bak"), false), tmp.Ruta(".profile (1).bak"));
    // A dangling link takes its name too.
    std::filesystem::create_symlink(tmp.Ruta("nowhere"), tmp.Ruta("l.txt"));
    EXPECT_EQ(NombreLibre(tmp.Ruta("l.txt"), false), tmp.Ruta("l (1).txt"));
}

TEST(CambiarRaizTest, ReplacesOnlyTheBeginning) {
    EXPECT_EQ(CambiarRaiz("/t/a/f.txt", "/t", "/n"), "/n/a/f.txt");
    EXPECT_EQ(CambiarRaiz("/t/a/f.txt", "/t/", "/n/"), "/n/a/f.txt");
    // The old root's name repeats deeper in the path: only the first one moves.
    EXPECT_EQ(CambiarRaiz("/t/a/q/t/a/x", "/t/a", "/n"), "/n/q/t/a/x");
    EXPECT_EQ(CambiarRaiz("/other/f", "/t", "/n"), "/other/f");
    EXPECT_EQ(CambiarRaiz("/f", "", "/n"), "/n/f");
}

TEST(RutasTest, SplitsPathsAndCreatesEveryMissingFolder) {
    EXPECT_EQ(CarpetaDe("/a/b/"), "/a");
    EXPECT_EQ(CarpetaDe("/a"), "");
    EXPECT_EQ(NombreDe("/a/b/"), "b");
    EXPECT_EQ(SinBarraFinal("/"), "/");
    EXPECT_EQ(AgregarBarra(""), "/");

    CarpetaTemporal tmp;
    EXPECT_EQ(CrearRuta(tmp.Ruta("p/q/r/")), 0);
    EXPECT_TRUE(ExisteCarpeta(tmp.Ruta("p/q/r")));
    EXPECT_EQ(CrearRuta(tmp.Ruta("p/q")), 0);  // already there
    tmp.Archivo("archivo");
    EXPECT_NE(CrearRuta(tmp.Ruta("archivo/sub")), 0);
    EXPECT_NE(CrearRuta(tmp.Ruta("archivo")), 0);
}

TEST(RutasTest, FolderSizeCountsFilesAndNeverFollowsLinks) {
    CarpetaTemporal tmp;
    tmp.Archivo("t/a", 100);
    tmp.Archivo("t/s/b", 23);
    tmp.Archivo("fuera/grande", 5000);
    std::filesystem::create_directory_symlink(tmp.Ruta("fuera"), tmp.Ruta("t/enlace"));
    std::filesystem::create_symlink(tmp.Ruta("fuera/grande"), tmp.Ruta("t/enlace2"));
    EXPECT_EQ(TamanoCarpeta(tmp.Ruta("t")), 123);
    EXPECT_EQ(TamanoArchivo(tmp.Ruta("t/a")), 100);
    EXPECT_TRUE(DentroDe(tmp.Ruta("t/s"), tmp.Ruta("t")));
    EXPECT_TRUE(DentroDe(tmp.Ruta("t"), tmp.Ruta("t/")));
    EXPECT_FALSE(DentroDe(tmp.Ruta("t2"), tmp.Ruta("t")));
    // Through a link, the real place counts.
    EXPECT_TRUE(DentroDe(tmp.Ruta("t/enlace"), tmp.Ruta("fuera")));
}

}  // namespace
}  // namespace quirvex
