#include <time.h>

#include <array>
#include <cstdlib>
#include <string>

#include "platform/fecha_local.h"

namespace quirvex {
namespace {

// Days from 30 December 1899 to 1 January 1970.
constexpr double kDiasHasta1970 = 25569.0;

bool Desfase(std::int64_t segundos, long& desfase) {
    const time_t t = static_cast<time_t>(segundos);
    struct tm local {};
    if (localtime_r(&t, &local) == nullptr) return false;
    desfase = local.tm_gmtoff;
    return true;
}

// The offset from UTC of a quarter of an hour, known when its first and last second have the
// same one (no change of offset falls inside). The dates of one folder cluster, so a listing
// asks the time-zone rules a few times instead of twice per entry.
class CacheDesfases {
public:
    bool Buscar(std::int64_t segundos, long& desfase) {
        const std::int64_t cuarto = segundos >= 0 ? segundos / 900 : (segundos - 899) / 900;
        Celda& c = celdas_[static_cast<std::uint64_t>(cuarto) % celdas_.size()];
        if (c.valida && c.cuarto == cuarto) {
            desfase = c.desfase;
            return true;
        }
        long inicio = 0, fin = 0;
        if (!Desfase(cuarto * 900, inicio) || !Desfase(cuarto * 900 + 899, fin)) return false;
        if (inicio != fin) return Desfase(segundos, desfase);
        c = Celda{cuarto, inicio, true};
        desfase = inicio;
        return true;
    }

private:
    struct Celda {
        std::int64_t cuarto = 0;
        long desfase = 0;
        bool valida = false;
    };
    std::array<Celda, 64> celdas_{};
};

}  // namespace

Fecha FechaLocalDesdeUnix(std::int64_t segundos, std::int64_t nanosegundos) {
    // Per thread, and only as long as the process's time zone stays the one it was filled in.
    thread_local CacheDesfases cache;
    thread_local std::string zona;
    const char* tz = std::getenv("TZ");
    if (zona != (tz ? tz : "\x01")) {
        tzset();  // localtime_r alone would keep the rules it read first
        cache = CacheDesfases{};
        zona = tz ? tz : "\x01";
    }
    long desfase = 0;
    if (!cache.Buscar(segundos, desfase)) return 0;
    const double conDesfase = static_cast<double>(segundos + desfase) +
                              static_cast<double>(nanosegundos) / 1e9;
    return kDiasHasta1970 + conDesfase / 86400.0;
}

Fecha FechaAhora() {
    struct timespec ts {};
    clock_gettime(CLOCK_REALTIME, &ts);
    return FechaLocalDesdeUnix(ts.tv_sec, ts.tv_nsec);
}

}  // namespace quirvex
