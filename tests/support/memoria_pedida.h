#pragma once
// How much the calling thread asks of operator new while a piece of code runs: the proof that a
// reader does not keep something per line of a huge input. The test binaries replace the global
// operator new (memoria_pedida.cpp) with one that counts only while a measure is running.

#include <cstddef>
#include <utility>

namespace quirvex::prueba {

void EmpezarConteoMemoria();
std::size_t TerminarConteoMemoria();

template <typename F>
std::size_t BytesPedidos(F&& f) {
    EmpezarConteoMemoria();
    std::forward<F>(f)();
    return TerminarConteoMemoria();
}

}  // namespace quirvex::prueba
