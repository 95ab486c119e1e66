// The Linux volume service against the real root volume.

#include "platform/unidades.h"

#include <gtest/gtest.h>
#include <sys/statvfs.h>

#include <cstdint>
#include <cstdlib>

namespace quirvex {
namespace {

// Free space is every free block of the volume, the blocks kept for the administrator
// included, not only what an ordinary user may still write.
TEST(UnidadesLinux, FreeSpaceIsEveryFreeBlockOfTheVolume) {
    struct statvfs s {};
    ASSERT_EQ(::statvfs("/", &s), 0);
    const auto bloque = static_cast<std::int64_t>(s.f_frsize);
    const std::int64_t reservado = static_cast<std::int64_t>(s.f_bfree - s.f_bavail) * bloque;
    if (reservado < 64 * 1024 * 1024)
        GTEST_SKIP() << "the root volume keeps no blocks for the administrator";
    const std::int64_t libre = UnidadesSistema().EspacioLibre("/");
    // Other programs write meanwhile: a margin far below the reserved blocks.
    EXPECT_LT(std::llabs(libre - static_cast<std::int64_t>(s.f_bfree) * bloque), reservado / 4);
    EXPECT_EQ(UnidadesSistema().EspacioTotal("/"), static_cast<std::int64_t>(s.f_blocks) * bloque);
}

}  // namespace
}  // namespace quirvex
