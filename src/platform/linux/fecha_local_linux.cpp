#include <time.h>

#include "platform/fecha_local.h"

namespace quirvex {
namespace {

// Days from 30 December 1899 to 1 January 1970.
constexpr double kDiasHasta1970 = 25569.0;

}  // namespace

Fecha FechaLocalDesdeUnix(std::int64_t segundos, std::int64_t nanosegundos) {
    const time_t t = static_cast<time_t>(segundos);
    struct tm local {};
    if (localtime_r(&t, &local) == nullptr) return 0;
    const double conDesfase = static_cast<double>(segundos + local.tm_gmtoff) +
                              static_cast<double>(nanosegundos) / 1e9;
    return kDiasHasta1970 + conDesfase / 86400.0;
}

Fecha FechaAhora() {
    struct timespec ts {};
    clock_gettime(CLOCK_REALTIME, &ts);
    return FechaLocalDesdeUnix(ts.tv_sec, ts.tv_nsec);
}

}  // namespace quirvex
