// The Linux watcher against the real kernel: how the halves of a move become records.

#include "platform/vigilante.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "support/carpeta_temporal.h"

namespace quirvex {
namespace {

namespace fs = std::filesystem;

bool Hay(const std::vector<RegistroNotificacion>& r, std::uint32_t evento, const std::string& ruta1,
         const std::string& ruta2 = {}) {
    return std::any_of(r.begin(), r.end(), [&](const RegistroNotificacion& n) {
        return n.evento == evento && n.ruta1 == ruta1 && n.ruta2 == ruta2;
    });
}

// A file moved out of the folder and another renamed inside it, both waiting in one read: the
// rename's halves carry one cookie and must be joined by it, not by which came first.
TEST(VigilanteLinux, RenameHalvesArePairedByTheirCookieNotByArrival) {
    prueba::CarpetaTemporal tmp;
    tmp.Carpeta("other");
    tmp.Carpeta("w");
    const std::string w = tmp.Ruta("w");
    tmp.Archivo("w/leaves");
    tmp.Archivo("w/before");
    auto v = CrearVigilante();
    ASSERT_GE(v->Descriptor(), 0);
    ASSERT_TRUE(v->Vigilar(w));

    fs::rename(w + "/leaves", tmp.Ruta("other/leaves"));
    fs::rename(w + "/before", w + "/after");
    // The kernel queues the events during the calls: one read takes all three.
    const std::vector<RegistroNotificacion> r = v->Leer();
    EXPECT_TRUE(Hay(r, EV_RENOMBRAR_ITEM, w + "/before", w + "/after"));
    EXPECT_TRUE(Hay(r, EV_BORRAR, w + "/leaves"));
    EXPECT_FALSE(Hay(r, EV_RENOMBRAR_ITEM, w + "/leaves", w + "/after"));
    EXPECT_FALSE(Hay(r, EV_BORRAR, w + "/before"));
    EXPECT_EQ(r.size(), 2u);
    v->Dejar(w);
}

}  // namespace
}  // namespace quirvex
