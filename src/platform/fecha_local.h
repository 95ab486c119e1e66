#pragma once
// Conversions between the system clock and the program's date values.

#include <cstdint>

#include "folder/item_carpeta.h"

namespace quirvex {

// Seconds since 1970 (UTC) to a local-time date value; 0 when the conversion fails.
Fecha FechaLocalDesdeUnix(std::int64_t segundos, std::int64_t nanosegundos = 0);
// The current local time as a date value.
Fecha FechaAhora();

}  // namespace quirvex
