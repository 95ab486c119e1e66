// The index server's watcher against the real kernel: changes come back as the caller's tags,
// a folder watched twice keeps one watch under the newer tag, and the limit is kept.

#include "platform/arbol_indice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "support/carpeta_temporal.h"

namespace quirvex::prueba {
namespace {

namespace fs = std::filesystem;

// Reads until `hasta` says the collected tags are enough, or about two seconds passed.
template <typename Hasta>
void Esperar(VigilanteCarpetas& v, std::vector<std::uint32_t>& cambiadas,
             std::vector<std::uint32_t>& terminadas, Hasta hasta) {
    for (int i = 0; i < 400 && !hasta(); ++i) {
        bool desbordado = false;
        const auto nuevas = v.Leer(desbordado, terminadas);
        cambiadas.insert(cambiadas.end(), nuevas.begin(), nuevas.end());
        if (!hasta()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

bool Tiene(const std::vector<std::uint32_t>& v, std::uint32_t x) {
    return std::find(v.begin(), v.end(), x) != v.end();
}

TEST(VigilanteCarpetas, ChangesComeBackAsTagsAndAFolderWatchedAgainTakesTheNewTag) {
    CarpetaTemporal tmp;
    tmp.Carpeta("a");
    tmp.Carpeta("b");
    auto v = CrearVigilanteCarpetas(100);
    std::uint32_t anterior = 0;
    const int wa = v->Vigilar(tmp.Ruta("a/"), 7, anterior);
    EXPECT_EQ(anterior, VigilanteCarpetas::kSinEtiqueta);
    const int wb = v->Vigilar(tmp.Ruta("b/"), 9, anterior);
    ASSERT_GE(wa, 0);
    ASSERT_GE(wb, 0);
    EXPECT_EQ(v->Cuantas(), 2u);
    EXPECT_EQ(v->Vigilar(tmp.Ruta("no-existe/"), 3, anterior), -1);

    // The folder under another name (renamed, then seen again): one watch, the newer tag.
    fs::rename(tmp.Ruta("b"), tmp.Ruta("b2"));
    EXPECT_EQ(v->Vigilar(tmp.Ruta("b2/"), 11, anterior), wb);
    EXPECT_EQ(anterior, 9u);
    EXPECT_EQ(v->Cuantas(), 2u);

    std::vector<std::uint32_t> cambiadas, terminadas;
    tmp.Archivo("a/uno");
    tmp.Archivo("b2/dos");
    Esperar(*v, cambiadas, terminadas, [&] { return Tiene(cambiadas, 7) && Tiene(cambiadas, 11); });
    EXPECT_TRUE(Tiene(cambiadas, 7));
    EXPECT_TRUE(Tiene(cambiadas, 11));
    EXPECT_FALSE(Tiene(cambiadas, 9));

    // A watch left is quiet; one whose folder goes away is reported ended, once.
    v->Dejar(wa);
    EXPECT_EQ(v->Cuantas(), 1u);
    cambiadas.clear();
    tmp.Archivo("a/tres");
    fs::remove_all(tmp.Ruta("b2"));
    Esperar(*v, cambiadas, terminadas, [&] { return Tiene(terminadas, 11); });
    EXPECT_EQ(terminadas, std::vector<std::uint32_t>{11});
    EXPECT_FALSE(Tiene(cambiadas, 7));  // a's event came before b2's end, and was not reported
    EXPECT_EQ(v->Cuantas(), 0u);
}

TEST(VigilanteCarpetas, TheLimitIsKeptAndAWatchLeftMakesRoom) {
    CarpetaTemporal tmp;
    for (const char* c : {"a", "b", "c"}) tmp.Carpeta(c);
    auto v = CrearVigilanteCarpetas(2);
    std::uint32_t anterior = 0;
    const int wa = v->Vigilar(tmp.Ruta("a/"), 1, anterior);
    ASSERT_GE(wa, 0);
    ASSERT_GE(v->Vigilar(tmp.Ruta("b/"), 2, anterior), 0);
    EXPECT_FALSE(v->Lleno());
    EXPECT_EQ(v->Vigilar(tmp.Ruta("c/"), 3, anterior), -1);
    EXPECT_TRUE(v->Lleno());
    v->Dejar(wa);
    EXPECT_FALSE(v->Lleno());
    EXPECT_GE(v->Vigilar(tmp.Ruta("c/"), 3, anterior), 0);
    EXPECT_EQ(v->Cuantas(), 2u);
}

}  // namespace
}  // namespace quirvex::prueba
