#pragma once
// Logout, shutdown and a closed terminal (SIGTERM, SIGHUP, SIGINT) end the program the way
// closing its window does: the call given here runs from the event loop (never inside the
// signal handler), so a copy under way is canceled the designed way and its partial target
// removed before the program ends.

#include <functional>

class QObject;

namespace quirvex {

// Routes the three signals to `alRecibir` for as long as `duenio` lives. When the last owner
// goes, the signals get their default action back (a signal with nobody to hear it must still
// end the process).
void InstalarSenalesSalida(QObject* duenio, std::function<void()> alRecibir);

}  // namespace quirvex
