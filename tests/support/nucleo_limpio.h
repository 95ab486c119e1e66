#pragma once
// A fixture that starts each test from the state a fresh run of the program has: English
// texts, default settings, an empty listing cache, and a temporary folder to work in.

#include <gtest/gtest.h>

#include "folder/cache_listados.h"
#include "folder/tabla_unidades.h"
#include "settings/idioma.h"
#include "settings/opciones.h"
#include "support/carpeta_temporal.h"
#include "support/fakes.h"

namespace quirvex::prueba {

class NucleoLimpio : public ::testing::Test {
protected:
    void SetUp() override {
        CargarIdioma(IdiomasIncorporados()[0].texto);
        AplicarTextoMiPC();
        Opciones() = RegistroOpciones{};
        mvCache::Vaciar();
        // No drive listed yet, as at start: a table listed by an earlier test of the same
        // process would name "/" and other folders after that test's drives.
        UnidadesFijas ninguna({});
        ListarUnidades();
    }
    CarpetaTemporal tmp;
};

}  // namespace quirvex::prueba
