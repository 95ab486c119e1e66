#include "platform/fecha_local.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace quirvex {
namespace {

class ZonaHoraria {
public:
    explicit ZonaHoraria(const char* tz) {
        if (const char* v = std::getenv("TZ")) antes_ = v, habia_ = true;
        setenv("TZ", tz, 1);
    }
    ~ZonaHoraria() {
        if (habia_)
            setenv("TZ", antes_.c_str(), 1);
        else
            unsetenv("TZ");
        FechaLocalDesdeUnix(0);
    }

private:
    std::string antes_;
    bool habia_ = false;
};

double Esperada(std::int64_t segundos, std::int64_t desfase) {
    return 25569.0 + static_cast<double>(segundos + desfase) / 86400.0;
}

TEST(FechaLocal, EverySecondAroundAChangeOfOffsetGetsItsOwnOffset) {
    // Summer time from the last Sunday of March at 01:00:30 local time: 2024-03-31 00:00:30
    // UTC, half a minute into a quarter of an hour.
    const ZonaHoraria zona("AAA-1BBB,M3.5.0/1:00:30,M10.5.0/3");
    constexpr std::int64_t kCambio = 1711843230;
    for (std::int64_t t = kCambio - 1830; t < kCambio + 1800; ++t)
        ASSERT_DOUBLE_EQ(FechaLocalDesdeUnix(t), Esperada(t, t < kCambio ? 3600 : 7200)) << t;
    // Back in winter, and far from any change, in both directions of the cache.
    EXPECT_DOUBLE_EQ(FechaLocalDesdeUnix(1704067200), Esperada(1704067200, 3600));
    EXPECT_DOUBLE_EQ(FechaLocalDesdeUnix(kCambio - 1), Esperada(kCambio - 1, 3600));
}

TEST(FechaLocal, AChangedTimeZoneIsFollowed) {
    {
        const ZonaHoraria zona("UTC0");
        EXPECT_DOUBLE_EQ(FechaLocalDesdeUnix(86400), 25570.0);
    }
    const ZonaHoraria zona("XXX-5:30");
    EXPECT_DOUBLE_EQ(FechaLocalDesdeUnix(86400), Esperada(86400, 5 * 3600 + 1800));
    EXPECT_DOUBLE_EQ(FechaLocalDesdeUnix(86400, 500'000'000),
                     Esperada(86400, 5 * 3600 + 1800) + 0.5 / 86400.0);
}

}  // namespace
}  // namespace quirvex
