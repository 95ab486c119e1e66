#include "folder/elegir_programa_qt.h"

#include <gtest/gtest.h>

#include <QListWidget>

#include "settings/idioma.h"
#include "support/aplicacion_qt.h"

namespace quirvex {
namespace {

class AsociacionesFijas final : public Asociaciones {
public:
    AsociacionesFijas() { SetAsociaciones(this); }
    ~AsociacionesFijas() override { SetAsociaciones(nullptr); }
    std::string TipoDe(const std::string&) override { return "application/x-test"; }
    std::optional<Aplicacion> PorDefecto(const std::string&) override { return std::nullopt; }
    std::vector<Aplicacion> Recomendadas(const std::string&) override { return {}; }
    std::vector<Aplicacion> Todas() override {
        return {{"zed.desktop", "Zed Viewer", "zed %f"},
                {"alpha.desktop", "Alpha Editor", "alpha %f"},
                {"beta.desktop", "Beta Editor", "beta %f"}};
    }
    bool Lanzar(const std::string&, const std::string&) override { return true; }
    bool Recordar(const std::string&, const std::string&) override { return true; }
};

TEST(frmElegirPrograma, ListsEveryProgramByNameAndSearches) {
    prueba::AsegurarAplicacionQt();
    CargarIdioma(IdiomasIncorporados()[0].texto);
    AsociacionesFijas a;
    frmElegirPrograma dlg("/tmp/file.xyz");
    EXPECT_EQ(dlg.windowTitle(), "Choice program...");
    ASSERT_EQ(dlg.Lista()->count(), 3);
    EXPECT_EQ(dlg.Lista()->item(0)->text(), "Alpha Editor");
    EXPECT_EQ(dlg.Elegido(), "alpha.desktop");
    dlg.Filtrar("view");
    EXPECT_EQ(dlg.Elegido(), "zed.desktop");  // the first visible one takes the choice
    dlg.Filtrar("nothing matches");
    EXPECT_EQ(dlg.Elegido(), "");
    dlg.Filtrar("");
    EXPECT_FALSE(dlg.Lista()->item(1)->isHidden());
}

}  // namespace
}  // namespace quirvex
