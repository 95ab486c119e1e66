#include "pane/soltar_visor.h"

#include <gtest/gtest.h>

#include "support/nucleo_limpio.h"

namespace quirvex {
namespace {

class SoltarTest : public prueba::NucleoLimpio {};

TEST_F(SoltarTest, FilesAlreadyInTheFolderAreLeftOut) {
    const std::string otra = tmp.Carpeta("other");
    const std::string aqui = tmp.Carpeta("here");
    cContenidoVisor c;
    ASSERT_TRUE(c.CargarContenido(aqui, true));
    auto p = PrepararSoltar({aqui + "a", aqui + "b/"}, c);
    EXPECT_EQ(p.resultado, ResultadoSoltar::Nada);  // everything comes from here: nothing
    EXPECT_TRUE(p.rutas.empty());

    p = PrepararSoltar({aqui + "a", otra + "x", otra + "sub/", "/elsewhere/y"}, c);
    ASSERT_EQ(p.resultado, ResultadoSoltar::Listo);
    EXPECT_EQ(p.rutas, (std::vector<std::string>{otra + "x", otra + "sub/", "/elsewhere/y"}));
    EXPECT_EQ(p.origen, otra);
    EXPECT_EQ(p.destino, aqui);
}

TEST_F(SoltarTest, TheDriveListRefusesDrops) {
    cContenidoVisor c;
    c.CargarContenido(TextoMiPC(), true);
    EXPECT_EQ(PrepararSoltar({"/tmp/x"}, c).resultado, ResultadoSoltar::EnUnidades);
}

}  // namespace
}  // namespace quirvex
