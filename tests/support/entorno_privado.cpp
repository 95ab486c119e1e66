// Every test program runs with a runtime folder and a cache folder of its own: a test that asks
// for the index server's socket, or starts a server, must never reach the one the developer's
// session runs, and a preview must never leave a thumbnail in the user's cache.
// Tests that need another value set and restore it themselves.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "support/carpeta_temporal.h"

namespace quirvex::prueba {
namespace {

class EntornoPrivado final : public ::testing::Environment {
public:
    void SetUp() override {
        if (const char* r = std::getenv("XDG_RUNTIME_DIR")) previo_ = r;
        runtime_.emplace();
        std::filesystem::permissions(runtime_->Ruta(), std::filesystem::perms::owner_all);
        ::setenv("XDG_RUNTIME_DIR", runtime_->Ruta().c_str(), 1);
        ::setenv("QUIRVEX_RUNTIME_ANTERIOR", previo_.value_or("").c_str(), 1);
        if (const char* c = std::getenv("XDG_CACHE_HOME")) cachePrevia_ = c;
        cache_.emplace();
        ::setenv("XDG_CACHE_HOME", cache_->Ruta().c_str(), 1);
    }
    void TearDown() override {
        if (previo_)
            ::setenv("XDG_RUNTIME_DIR", previo_->c_str(), 1);
        else
            ::unsetenv("XDG_RUNTIME_DIR");
        runtime_.reset();
        if (cachePrevia_)
            ::setenv("XDG_CACHE_HOME", cachePrevia_->c_str(), 1);
        else
            ::unsetenv("XDG_CACHE_HOME");
        cache_.reset();
    }

private:
    std::optional<std::string> previo_;
    std::optional<CarpetaTemporal> runtime_;
    std::optional<std::string> cachePrevia_;
    std::optional<CarpetaTemporal> cache_;
};

[[maybe_unused]] ::testing::Environment* const kEntorno =
    ::testing::AddGlobalTestEnvironment(new EntornoPrivado);

}  // namespace

// The runtime folder the tests run with is a fresh private one, never the one the program was
// started with.
TEST(EntornoPrivado, TestsRunWithAPrivateRuntimeFolder) {
    const char* r = std::getenv("XDG_RUNTIME_DIR");
    ASSERT_NE(r, nullptr);
    const char* anterior = std::getenv("QUIRVEX_RUNTIME_ANTERIOR");
    ASSERT_NE(anterior, nullptr);
    EXPECT_NE(std::string(r), anterior);
    EXPECT_EQ(std::string(r).rfind(std::filesystem::temp_directory_path().string(), 0), 0u) << r;
    EXPECT_EQ(std::filesystem::status(r).permissions(), std::filesystem::perms::owner_all);
}

}  // namespace quirvex::prueba
