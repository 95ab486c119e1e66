#pragma once
// While a network call waits on its thread, the window goes on handling its events.

namespace quirvex {

void InstalarEsperaRed();

}  // namespace quirvex
