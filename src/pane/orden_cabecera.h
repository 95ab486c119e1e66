#pragma once
// The details header as a sort control: which column a point of the header falls in, which sort
// mode a click on that column chooses (the one the "Organize icons" menu item of the same name
// chooses), and which column shows the pane's mode. Pure arithmetic on the column table, so the
// window only forwards the click and paints the mark.

#include <vector>

namespace quirvex {

// The data a details column shows (ColumnaDetalles::dato).
inline constexpr int DATO_NOMBRE = 0;
inline constexpr int DATO_TAMANO = 1;
inline constexpr int DATO_TIPO = 2;
inline constexpr int DATO_MODIFICACION = 3;
inline constexpr int DATO_ATRIBUTOS = 4;

// Columns are laid out from x = 0, each `ancho` wide plus a 10-pixel gap; hidden ones (ancho ≤ 0)
// take no room. The data kind of the column under x (gap included), -1 past the last one.
int DatoEnX(const std::vector<int>& anchos, const std::vector<int>& datos, int x);

// The sort mode a click on a column of that data chooses, -1 for none (attributes).
int CriterioDeDato(int dato);

// The data kind whose column carries the mark for a sort mode, -1 when no column shows it
// (creation date).
int DatoDeCriterio(int criterio);

}  // namespace quirvex
