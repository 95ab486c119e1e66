#pragma once
// Kill tests: a forked child signals once over a pipe when it has done its first whole unit of
// work; the parent then kills it with SIGKILL at a random moment of the work that follows, however
// long a busy or sanitized machine took to get there.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>

namespace quirvex::prueba {

// In the child, after its first whole unit of work.
inline void AvisarListo(const int tubo[2]) { (void)!::write(tubo[1], "s", 1); }

// In the parent: waits for the child's signal, waits up to `maxMicros` more, kills it. True when
// the child was there to be killed and died of the signal.
inline bool MatarTrasAviso(pid_t hijo, const int tubo[2], useconds_t maxMicros, std::mt19937& azar) {
    ::close(tubo[1]);
    char senal = 0;
    const bool avisado = ::read(tubo[0], &senal, 1) == 1;
    ::close(tubo[0]);
    if (avisado) ::usleep(std::uniform_int_distribution<useconds_t>(0, maxMicros)(azar));
    ::kill(hijo, SIGKILL);
    int estado = 0;
    return avisado && ::waitpid(hijo, &estado, 0) == hijo && WIFSIGNALED(estado);
}

}  // namespace quirvex::prueba
