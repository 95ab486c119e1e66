#pragma once
// The selector chooser's grid: 26 styles in rows of 5, moved through with the arrow keys.

namespace quirvex {

inline constexpr int COLUMNAS_SELECTOR = 5;
inline constexpr int ULTIMO_SELECTOR = 25;

enum class TeclaSelector { Izquierda, Derecha, Arriba, Abajo, Inicio, Fin, Otra };

// The index a key marks from `actual`; `actual` itself when the key goes nowhere.
int MoverSelector(int actual, TeclaSelector tecla);

// Applies the marked style: when it differs from the stored one, stores it in the record and
// writes "ColorSel" at once. Returns whether anything was written.
bool AplicarSelector(int marcado);

}  // namespace quirvex
