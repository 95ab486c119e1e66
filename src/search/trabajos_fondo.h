#pragma once
// cTrabajosFondo: a few threads that do, away from the index server's loop, the work that may
// wait on the disk (writing the index file, looking up the sizes of the hits), so the loop keeps
// answering meanwhile. A job hands its results back as functions (Devolver) that the loop runs
// on its own thread at its next Recoger, in the order they were handed back: whatever the loop
// owns is touched by the loop alone. `avisar` is called from the worker after each hand-back,
// to wake the loop (it must be safe to call from any thread).
//
// Jobs start in the order given; with more than one thread they may end in any order. When no
// thread can be had, Encargar runs the job on the caller's thread: slower, never lost.
// Destroying the object drops the jobs not started and what was handed back, and waits for the
// running ones.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace quirvex {

class cTrabajosFondo {
public:
    cTrabajosFondo(std::size_t hilos, std::function<void()> avisar);
    ~cTrabajosFondo();
    cTrabajosFondo(const cTrabajosFondo&) = delete;
    cTrabajosFondo& operator=(const cTrabajosFondo&) = delete;

    void Encargar(std::function<void()> trabajo);
    // From a job (or the owner): `hecho` runs on the owner's thread at its next Recoger.
    void Devolver(std::function<void()> hecho);
    // On the owner's thread: runs what was handed back.
    void Recoger();
    // On the owner's thread: waits until no job is waiting or running, then runs what they
    // handed back.
    void Terminar();

private:
    void Hilo();

    const std::size_t maxHilos_;
    std::function<void()> avisar_;
    std::mutex m_;
    std::condition_variable hayTrabajo_, libre_;
    std::deque<std::function<void()>> cola_;
    std::vector<std::function<void()>> hechos_;
    std::vector<std::thread> hilos_;
    std::size_t enCurso_ = 0;
    bool fin_ = false;
};

}  // namespace quirvex
