#pragma once
// The pane's key map as data: a key with its modifiers becomes one pane command with its
// target item. The window maps its key codes to TeclaVisor and carries the command out, so the
// map itself is tested without a screen.

#include <cstdint>
#include <string>

namespace quirvex {

enum class TeclaVisor {
    Otra, Retroceso, Intro, RePag, AvPag, Fin, Inicio, Izquierda, Arriba, Derecha, Abajo,
    Espacio, Menu, Letra, Coma, Guion, Punto, Enie, Digito
};

inline constexpr int MOD_SHIFT = 1;
inline constexpr int MOD_CTRL = 2;
inline constexpr int MOD_ALT = 4;

enum class ComandoTecla {
    Nada,
    Seleccionar,       // exclusive selection of `destino`
    SeleccionarRango,  // range in the configured style up to `destino`
    MoverActual,       // move the current item only (Ctrl)
    AlternarActual,    // Ctrl+Space
    TextoTecleado,     // type-ahead with `texto`
    Abrir,
    SubirNivel,
    MenuContextual,
    Propiedades,
    Atras,
    Adelante,
};

struct AccionTecla {
    ComandoTecla comando = ComandoTecla::Nada;
    std::int64_t destino = -1;
    std::string texto;
};

struct EstadoTeclado {
    std::int64_t actual = -1;   // current item, -1 = none
    std::int64_t n = 0;         // shown items
    std::int64_t columnas = 1;  // IcoEX
    std::int64_t pagina = 1;    // rows per Page Up / Page Down, at least 1
    bool detalles = false;
    bool puedeAtras = false;
    bool puedeAdelante = false;
};

// `letra` is the typed letter for TeclaVisor::Letra (upper-cased by the map).
AccionTecla TraducirTecla(TeclaVisor tecla, int modificadores, const EstadoTeclado& e,
                          char letra = 0);

// Rows a page moves: visible height ÷ cell height − 1, at least 1.
std::int64_t FilasPorPagina(int altoVisible, int altoCelda);

}  // namespace quirvex
