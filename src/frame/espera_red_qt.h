#pragma once
// While a network call waits on its thread, the window goes on handling its events; an answer
// computed off the window's thread comes back through its event loop.

namespace quirvex {

// Installs both for the window's thread, the one calling this.
void InstalarEsperaRed();
// Takes both away again (the window is gone): answers still on their way are dropped.
void QuitarEsperaRed();

}  // namespace quirvex
