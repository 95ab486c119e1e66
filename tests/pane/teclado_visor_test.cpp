#include "pane/teclado_visor.h"

#include <gtest/gtest.h>

namespace quirvex {
namespace {

EstadoTeclado Rejilla(std::int64_t actual, std::int64_t n = 10, std::int64_t cols = 4,
                      std::int64_t pagina = 2) {
    EstadoTeclado e;
    e.actual = actual;
    e.n = n;
    e.columnas = cols;
    e.pagina = pagina;
    return e;
}

std::int64_t Destino(TeclaVisor t, const EstadoTeclado& e, int mods = 0) {
    const auto a = TraducirTecla(t, mods, e);
    return a.comando == ComandoTecla::Nada ? -99 : a.destino;
}

TEST(TecladoVisor, PagesMoveByColumnsTimesRowsAndStopAtTheEnds) {
    // From item 3 of 10 in 4 columns, two rows down is item 11: the last item (9) instead.
    EXPECT_EQ(Destino(TeclaVisor::AvPag, Rejilla(3)), 9);
    EXPECT_EQ(Destino(TeclaVisor::AvPag, Rejilla(0)), 8);
    EXPECT_EQ(Destino(TeclaVisor::AvPag, Rejilla(9)), -99);  // already the last
    EXPECT_EQ(Destino(TeclaVisor::RePag, Rejilla(9)), 1);
    EXPECT_EQ(Destino(TeclaVisor::RePag, Rejilla(5)), 0);
    EXPECT_EQ(Destino(TeclaVisor::RePag, Rejilla(0)), -99);
    EXPECT_EQ(Destino(TeclaVisor::Fin, Rejilla(2)), 9);
    EXPECT_EQ(Destino(TeclaVisor::Inicio, Rejilla(7)), 0);
    EXPECT_EQ(FilasPorPagina(300, 100), 2);
    EXPECT_EQ(FilasPorPagina(50, 100), 1);
}

TEST(TecladoVisor, ArrowsInTheGridAndInDetails) {
    EXPECT_EQ(Destino(TeclaVisor::Arriba, Rejilla(2)), -99);  // first row: nothing
    EXPECT_EQ(Destino(TeclaVisor::Arriba, Rejilla(6)), 2);
    EXPECT_EQ(Destino(TeclaVisor::Abajo, Rejilla(6)), -99);   // 10 is past the end
    EXPECT_EQ(Destino(TeclaVisor::Abajo, Rejilla(5)), 9);
    EXPECT_EQ(Destino(TeclaVisor::Izquierda, Rejilla(0)), -99);
    EXPECT_EQ(Destino(TeclaVisor::Derecha, Rejilla(9)), -99);
    auto d = Rejilla(0);
    d.detalles = true;
    EXPECT_EQ(Destino(TeclaVisor::Arriba, d), -99);
    EXPECT_EQ(Destino(TeclaVisor::Abajo, d), 1);
    EXPECT_EQ(Destino(TeclaVisor::Abajo, Rejilla(0, 0)), -99);  // empty folder
}

TEST(TecladoVisor, ModifiersChooseTheCommand) {
    const auto e = Rejilla(5);
    EXPECT_EQ(TraducirTecla(TeclaVisor::Abajo, 0, e).comando, ComandoTecla::Seleccionar);
    EXPECT_EQ(TraducirTecla(TeclaVisor::Abajo, MOD_SHIFT, e).comando, ComandoTecla::SeleccionarRango);
    const auto ctrl = TraducirTecla(TeclaVisor::Abajo, MOD_CTRL, e);
    EXPECT_EQ(ctrl.comando, ComandoTecla::MoverActual);
    EXPECT_EQ(ctrl.destino, 9);
    EXPECT_EQ(TraducirTecla(TeclaVisor::Espacio, MOD_CTRL, e).comando, ComandoTecla::AlternarActual);
    EXPECT_EQ(TraducirTecla(TeclaVisor::Abajo, MOD_CTRL | MOD_SHIFT, e).comando, ComandoTecla::Nada);
    EXPECT_EQ(TraducirTecla(TeclaVisor::Intro, 0, e).comando, ComandoTecla::Abrir);
    EXPECT_EQ(TraducirTecla(TeclaVisor::Intro, MOD_ALT, e).comando, ComandoTecla::Propiedades);
    EXPECT_EQ(TraducirTecla(TeclaVisor::Izquierda, MOD_ALT, e).comando, ComandoTecla::Nada);
    auto h = e;
    h.puedeAtras = true;
    EXPECT_EQ(TraducirTecla(TeclaVisor::Izquierda, MOD_ALT, h).comando, ComandoTecla::Atras);
    EXPECT_EQ(TraducirTecla(TeclaVisor::Retroceso, 0, e).comando, ComandoTecla::SubirNivel);
    EXPECT_EQ(TraducirTecla(TeclaVisor::Menu, 0, e).destino, 5);
}

TEST(TecladoVisor, TypeAheadTakesLettersAndFourSignsButNoDigits) {
    const auto e = Rejilla(0);
    EXPECT_EQ(TraducirTecla(TeclaVisor::Letra, 0, e, 'q').texto, "Q");
    EXPECT_EQ(TraducirTecla(TeclaVisor::Letra, MOD_SHIFT, e, 'q').texto, "Q");
    EXPECT_EQ(TraducirTecla(TeclaVisor::Coma, 0, e).texto, ",");
    EXPECT_EQ(TraducirTecla(TeclaVisor::Coma, MOD_SHIFT, e).texto, ";");
    EXPECT_EQ(TraducirTecla(TeclaVisor::Guion, MOD_SHIFT, e).texto, "_");
    EXPECT_EQ(TraducirTecla(TeclaVisor::Enie, 0, e).texto, "Ñ");
    EXPECT_EQ(TraducirTecla(TeclaVisor::Digito, 0, e).comando, ComandoTecla::Nada);
    EXPECT_EQ(TraducirTecla(TeclaVisor::Letra, MOD_CTRL, e, 'c').comando, ComandoTecla::Nada);
}

}  // namespace
}  // namespace quirvex
