// A call with a deadline: whichever side settles it first owns the result, so a result that
// comes too late is undone by the thread and never read by the caller.

#include "platform/llamada_plazo.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace quirvex {
namespace {

using namespace std::chrono_literals;

// A thread the test holds back until it lets it go.
struct Compuerta {
    std::promise<void> abrir;
    std::shared_future<void> abierta = abrir.get_future().share();
};

TEST(LlamadaPlazo, AnAnswerInTimeIsTheCallersAndALateOneIsUndoneByItsThread) {
    const auto enTiempo = LlamarConPlazo<int>(EnHiloNuevo, [](const Encargo<int>&) { return 7; }, 60s);
    ASSERT_TRUE(enTiempo.has_value());
    EXPECT_EQ(*enTiempo, 7);

    // Past the deadline the caller goes on with nothing; the thread, let go afterwards, finds
    // the call given up and undoes what its answer holds.
    Compuerta compuerta;
    auto deshecho = std::make_shared<std::promise<int>>();
    auto vioAbandono = std::make_shared<std::atomic<bool>>(false);
    const auto tarde = LlamarConPlazo<int>(
        EnHiloNuevo,
        [f = compuerta.abierta, vioAbandono](const Encargo<int>& encargo) {
            f.wait();
            vioAbandono->store(encargo.Abandonado());
            return 42;
        },
        10ms, [deshecho](int& r) { deshecho->set_value(r); });
    EXPECT_FALSE(tarde.has_value());
    compuerta.abrir.set_value();
    auto undone = deshecho->get_future();
    ASSERT_EQ(undone.wait_for(120s), std::future_status::ready);
    EXPECT_EQ(undone.get(), 42);
    EXPECT_TRUE(vioAbandono->load());
}

// The program quitting cuts the waits under way; a call made afterwards (a canceled copy
// removing its partial file) waits as usual.
TEST(LlamadaPlazo, ACutEndsTheWaitsUnderWayAtOnceAndLaterCallsWaitAsUsual) {
    Compuerta compuerta;
    std::thread cortador([] {
        const auto fin = std::chrono::steady_clock::now() + 120s;
        while (!EsperandoRed() && std::chrono::steady_clock::now() < fin) std::this_thread::sleep_for(1ms);
        CortarEsperasRed(true);
    });
    const auto inicio = std::chrono::steady_clock::now();
    const auto r = LlamarConPlazo<int>(
        EnHiloNuevo, [f = compuerta.abierta](const Encargo<int>&) { return f.wait(), 1; }, 300s);
    const auto tardo = std::chrono::steady_clock::now() - inicio;
    cortador.join();
    compuerta.abrir.set_value();
    EXPECT_FALSE(r.has_value());
    EXPECT_LT(tardo, 200s);  // far below the five minutes it would otherwise wait
    EXPECT_TRUE(EsperasRedCortadas());
    const auto despues = LlamarConPlazo<int>(EnHiloNuevo, [](const Encargo<int>&) { return 2; }, 60s);
    CortarEsperasRed(false);
    ASSERT_TRUE(despues.has_value());
    EXPECT_EQ(*despues, 2);
}

}  // namespace
}  // namespace quirvex

namespace quirvex {
namespace {

// A call nobody waits for: without a window that takes answers nothing starts (the caller then
// calls in place); with one, the answer comes back through it, on the thread that runs what it
// queued.
TEST(LlamadaAparte, TheAnswerComesBackThroughTheWindowsHandOverOrNothingStarts) {
    SetEntregaVentana(nullptr);
    EXPECT_FALSE(LlamarAparte<int>([] { return 1; }, [](int) { ADD_FAILURE(); }));

    std::mutex m;
    std::vector<std::function<void()>> cola;
    SetEntregaVentana([&](std::function<void()> f) {
        std::lock_guard<std::mutex> l(m);
        cola.push_back(std::move(f));
    });
    const auto dueno = std::this_thread::get_id();
    std::thread::id dondeLlego{}, dondeCorrio{};
    int llegado = 0;
    ASSERT_TRUE(LlamarAparte<int>(
        [&] {
            dondeCorrio = std::this_thread::get_id();
            return 42;
        },
        [&](int r) {
            dondeLlego = std::this_thread::get_id();
            llegado = r;
        }));
    const auto fin = std::chrono::steady_clock::now() + 120s;
    auto enCola = [&] {
        std::lock_guard<std::mutex> l(m);
        return cola.size();
    };
    while (enCola() == 0 && std::chrono::steady_clock::now() < fin) std::this_thread::sleep_for(1ms);
    ASSERT_EQ(enCola(), 1u);
    EXPECT_EQ(llegado, 0);  // nothing runs until the window runs what was queued
    cola.front()();
    EXPECT_EQ(llegado, 42);
    EXPECT_EQ(dondeLlego, dueno);
    EXPECT_NE(dondeCorrio, dueno);

    SetEntregaVentana(nullptr);
}

}  // namespace
}  // namespace quirvex
