#pragma once
// The desktop's label service for EtiquetasVolumen: udisks2 over D-Bus. Every call has a time
// limit of a few seconds, and the window's requests never block it (the answer arrives through
// the event loop).

#include <QDBusConnection>
#include <memory>

#include "platform/etiquetas_volumen.h"

namespace quirvex {

// How long each call to the service may take.
inline constexpr int ESPERA_UDISKS_MS = 10000;

// Installs the udisks2 implementation on the system bus unless another one (a test's) is
// installed already. Call once at start-up; the label command calls it too, so forgetting it
// loses nothing.
void InstalarEtiquetasUdisks();

// The udisks2 implementation on `bus` (a private bus in tests), waiting at most `esperaMs`
// for each answer.
std::unique_ptr<EtiquetasVolumen> CrearEtiquetasUdisks(const QDBusConnection& bus,
                                                       int esperaMs = ESPERA_UDISKS_MS);

}  // namespace quirvex
