// A location typed or stored with repeated separators is the same folder, taken in once.

#include <gtest/gtest.h>

#include "folder/cache_listados.h"
#include "folder/contenido_visor.h"
#include "support/nucleo_limpio.h"

namespace quirvex {
namespace {

class SeparadoresTest : public prueba::NucleoLimpio {};

TEST_F(SeparadoresTest, DoubledSeparatorsNameTheSameFolderInCacheAndHistory) {
    tmp.Carpeta("a/b");
    cContenidoVisor c;
    ASSERT_TRUE(c.CargarContenido(tmp.Ruta("a/b/"), true));
    const auto enCache = mvCache::Cantidad();
    const auto enHistorial = c.UboundHistorial();

    // tmp.Ruta() ends in "/": each of these doubles at least one separator.
    for (const std::string& escrita :
         {tmp.Ruta() + "/a//b//", tmp.Ruta("a//b"), tmp.Ruta() + "//a///b/"}) {
        ASSERT_TRUE(c.CargarContenido(escrita, true)) << escrita;
        EXPECT_EQ(c.RutaActual, tmp.Ruta("a/b/")) << escrita;
    }
    EXPECT_EQ(mvCache::Cantidad(), enCache);
    EXPECT_EQ(c.UboundHistorial(), enHistorial);

    ASSERT_TRUE(c.CargarContenido(tmp.Ruta("a") + "///", true));
    EXPECT_EQ(c.RutaActual, tmp.Ruta("a/"));
    EXPECT_EQ(c.UboundHistorial(), enHistorial + 1);
    // Going back reaches the one entry of a/b.
    c.GoHistorial(enHistorial);
    EXPECT_EQ(c.RutaActual, tmp.Ruta("a/b/"));

    ASSERT_TRUE(c.CargarContenido("///", true));
    EXPECT_EQ(c.RutaActual, "/");
}

}  // namespace
}  // namespace quirvex
