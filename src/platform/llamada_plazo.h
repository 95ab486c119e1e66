#pragma once
// A call run on another thread and waited for until a deadline: past it the caller gives the
// call up and goes on, and the thread finishes it alone. Every call that may wait on another
// machine or process goes this one way.
//
// The two sides share only an Encargo, and whichever settles it first owns the result: the
// thread by Entregar, the caller by giving up. A result handed over after the caller gave up is
// never read by it; the thread undoes what that result holds (a file it opened or made), since
// nobody else will. A caller that gave up knows nothing of what the call did.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <utility>

#include "platform/smb.h"

namespace quirvex {

template <class R>
class Encargo {
public:
    // On the thread: hands the result over; false when the caller gave up first, after running
    // `deshacer` on it.
    bool Entregar(R r, const std::function<void(R&)>& deshacer = {}) {
        resultado_ = std::move(r);
        int pendiente = kPendiente;
        // Release: the caller that sees "delivered" sees the result written above.
        if (estado_.compare_exchange_strong(pendiente, kEntregado, std::memory_order_acq_rel)) return true;
        if (deshacer) deshacer(resultado_);
        return false;
    }

    // For work that can stop early: whether the caller gave up.
    bool Abandonado() const { return estado_.load(std::memory_order_acquire) == kAbandonado; }

    // On the caller: waits through EsperarRed until the result, the deadline or a cut of the
    // waits under way (the program is quitting); nothing once it gave up.
    std::optional<R> Esperar(std::chrono::milliseconds plazo) {
        const auto limite = std::chrono::steady_clock::now() + plazo;
        const std::uint64_t cortes = CortesEsperasRed();
        EsperarRed([&] {
            return estado_.load(std::memory_order_acquire) != kPendiente || CortesEsperasRed() != cortes ||
                   std::chrono::steady_clock::now() >= limite;
        });
        int pendiente = kPendiente;
        if (estado_.compare_exchange_strong(pendiente, kAbandonado, std::memory_order_acq_rel))
            return std::nullopt;
        return std::move(resultado_);
    }

private:
    static constexpr int kPendiente = 0, kEntregado = 1, kAbandonado = 2;
    std::atomic<int> estado_{kPendiente};
    R resultado_{};
};

// Hands `trabajo` to the thread `lanzar` starts or feeds (it takes a callable and the
// arguments that thread gives it) and waits for it at most `plazo`. `trabajo` is called with
// the Encargo, to stop early once given up, and those arguments. Nothing when given up.
template <class R, class Lanzar, class Trabajo>
std::optional<R> LlamarConPlazo(Lanzar&& lanzar, Trabajo trabajo, std::chrono::milliseconds plazo,
                                std::function<void(R&)> deshacer = {}) {
    auto encargo = std::make_shared<Encargo<R>>();
    lanzar([encargo, trabajo = std::move(trabajo), deshacer = std::move(deshacer)](auto&&... argumentos) mutable {
        encargo->Entregar(trabajo(*encargo, std::forward<decltype(argumentos)>(argumentos)...), deshacer);
    });
    return encargo->Esperar(plazo);
}

// The `lanzar` of a call that has no thread of its own yet: a new one, left to end by itself.
inline void EnHiloNuevo(std::function<void()> trabajo) { std::thread(std::move(trabajo)).detach(); }

// The same call without anyone waiting: `trabajo` runs on a thread of its own and what it
// returns goes to `alLlegar` on the window's thread (EntregarEnVentana), so the window never
// enters a wait. The network calls `trabajo` makes keep their own time limits, so an answer
// always comes, if only "timed out". False, with nothing started, when no window takes
// answers: the caller then calls in place. An answer that comes once the window stopped taking
// them is dropped.
template <class R>
bool LlamarAparte(std::function<R()> trabajo, std::function<void(R)> alLlegar) {
    if (!HayEntregaVentana()) return false;
    EnHiloNuevo([trabajo = std::move(trabajo), alLlegar = std::move(alLlegar)]() mutable {
        auto r = std::make_shared<R>(trabajo());
        EntregarEnVentana([r, alLlegar = std::move(alLlegar)] { alLlegar(std::move(*r)); });
    });
    return true;
}

}  // namespace quirvex
