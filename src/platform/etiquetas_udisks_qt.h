#pragma once
// The desktop's label service for EtiquetasVolumen.

namespace quirvex {

// Installs the udisks2 implementation unless another one (a test's) is installed already.
// Call once at start-up; the label command calls it too, so forgetting it loses nothing.
void InstalarEtiquetasUdisks();

}  // namespace quirvex
