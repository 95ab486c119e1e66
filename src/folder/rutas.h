#pragma once
// Path texts. Paths are bytes: nothing here decodes a name, so names with invalid UTF-8,
// quotes or leading dots pass through unchanged.

#include <string>

namespace quirvex {

// Appends the separator when missing ("" gives "/").
std::string AgregarBarra(const std::string& ruta);
// Drops trailing separators, keeping "/" itself.
std::string SinBarraFinal(const std::string& ruta);
// The text before the last separator of the path (trailing separators ignored): "/a/b" → "/a",
// "/a" → "".
std::string CarpetaDe(const std::string& ruta);
// The last component: "/a/b/" → "b".
std::string NombreDe(const std::string& ruta);

}  // namespace quirvex
