#include "search/trabajos_fondo.h"

#include <system_error>

namespace quirvex {

cTrabajosFondo::cTrabajosFondo(std::size_t hilos, std::function<void()> avisar)
    : maxHilos_(hilos), avisar_(std::move(avisar)) {}

cTrabajosFondo::~cTrabajosFondo() {
    {
        std::lock_guard<std::mutex> g(m_);
        fin_ = true;
        cola_.clear();
    }
    hayTrabajo_.notify_all();
    for (std::thread& h : hilos_) h.join();
}

void cTrabajosFondo::Encargar(std::function<void()> trabajo) {
    {
        std::lock_guard<std::mutex> g(m_);
        cola_.push_back(std::move(trabajo));
        // Threads are made when first needed: they inherit the priority the caller has by then.
        if (hilos_.size() < maxHilos_ && cola_.size() + enCurso_ > hilos_.size()) {
            try {
                hilos_.emplace_back([this] { Hilo(); });
            } catch (const std::system_error&) {
                // None to be had: below, the caller does it.
            }
        }
        if (!hilos_.empty()) {
            hayTrabajo_.notify_one();
            return;
        }
        trabajo = std::move(cola_.back());
        cola_.pop_back();
    }
    trabajo();
}

void cTrabajosFondo::Devolver(std::function<void()> hecho) {
    {
        std::lock_guard<std::mutex> g(m_);
        hechos_.push_back(std::move(hecho));
    }
    if (avisar_) avisar_();
}

void cTrabajosFondo::Recoger() {
    std::vector<std::function<void()>> hechos;
    {
        std::lock_guard<std::mutex> g(m_);
        hechos.swap(hechos_);
    }
    for (auto& h : hechos) h();
}

void cTrabajosFondo::Terminar() {
    {
        std::unique_lock<std::mutex> g(m_);
        libre_.wait(g, [this] { return cola_.empty() && enCurso_ == 0; });
    }
    Recoger();
}

void cTrabajosFondo::Hilo() {
    std::unique_lock<std::mutex> g(m_);
    for (;;) {
        hayTrabajo_.wait(g, [this] { return fin_ || !cola_.empty(); });
        if (fin_) return;
        std::function<void()> t = std::move(cola_.front());
        cola_.pop_front();
        ++enCurso_;
        g.unlock();
        t();
        g.lock();
        --enCurso_;
        if (cola_.empty() && enCurso_ == 0) libre_.notify_all();
    }
}

}  // namespace quirvex
