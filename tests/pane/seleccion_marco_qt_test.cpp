// Select all in the real frame on a watched folder: the sizes counted are those of now.

#include <filesystem>
#include <fstream>
#include <string>

#include "frame/marco_real_qt.h"

namespace quirvex::prueba {
namespace {

// Select all takes the selected files' sizes from the listing while the pane's watch vouches
// for it; a file rewritten meanwhile is still counted at its new size.
TEST_F(MarcoReal, SelectAllCountsTheSizesAsTheyAreNow) {
    CarpetaTemporal dir;
    dir.Archivo("a.txt", 10);
    dir.Archivo("b.txt", 20);
    Abrir(dir.Ruta());
    cVisor* v = Visor(0);
    v->picM()->setFocus();
    Tecla(Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(v->Seleccion().TotalSEL(), 30);
    {
        std::ofstream f(dir.Ruta("a.txt"), std::ios::binary | std::ios::app);
        f << std::string(90, 'x');
    }
    EXPECT_TRUE(Esperar([&] {
        Tecla(Qt::Key_I, Qt::ControlModifier);
        Tecla(Qt::Key_I, Qt::ControlModifier);
        return v->Seleccion().TotalSEL() == 120;
    }));
}

}  // namespace
}  // namespace quirvex::prueba
