#pragma once
// Names shown on one line. A file name may hold any byte but '/' and NUL, newlines and tabs
// included; where a name is drawn on one line (a list row, a title, a text box) each control
// character is replaced by its visible symbol from Unicode's Control Pictures block ("␊" for a
// newline), so the row keeps its height and the user still sees that something is there. Only
// for showing: every operation keeps using the exact bytes.

#include <string>
#include <string_view>

namespace quirvex {

// `nombre` (UTF-8 or any bytes) with bytes 0x01..0x1F and 0x7F replaced by U+2401..U+241F and
// U+2421. Other bytes are kept as they are, so a name that is not valid UTF-8 stays so.
std::string EnUnaLinea(std::string_view nombre);

}  // namespace quirvex
