#include "support/memoria_pedida.h"

#include <cstdlib>
#include <new>

namespace {
thread_local bool g_midiendo = false;
thread_local std::size_t g_pedido = 0;
}  // namespace

namespace {

void* Pedir(std::size_t n) noexcept {
    if (g_midiendo) g_pedido += n;
    return std::malloc(n ? n : 1);
}

void* PedirOLanzar(std::size_t n) {
    if (void* p = Pedir(n)) return p;
    throw std::bad_alloc();
}

}  // namespace

// Every unaligned form, so that nothing allocated here is freed by another allocator's delete
// (the sanitizers' runtime has its own).
void* operator new(std::size_t n) { return PedirOLanzar(n); }
void* operator new[](std::size_t n) { return PedirOLanzar(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return Pedir(n); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return Pedir(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace quirvex::prueba {

void EmpezarConteoMemoria() {
    g_pedido = 0;
    g_midiendo = true;
}

std::size_t TerminarConteoMemoria() {
    g_midiendo = false;
    return g_pedido;
}

}  // namespace quirvex::prueba
