// The signals reach the event loop through a pipe: the handler only writes one byte (the one
// thing it may safely do) and a socket notifier reads it on the interface thread.

#include "platform/senales_salida_qt.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QObject>
#include <QSocketNotifier>

namespace quirvex {
namespace {

constexpr int SENALES[] = {SIGTERM, SIGHUP, SIGINT};
int g_tubo[2] = {-1, -1};
int g_duenios = 0;

void AlRecibirSenal(int) {
    const int guardado = errno;
    const char c = 1;
    (void)!write(g_tubo[1], &c, 1);
    errno = guardado;
}

void Desviar(bool desviar) {
    struct sigaction accion {};
    accion.sa_handler = desviar ? AlRecibirSenal : SIG_DFL;
    sigemptyset(&accion.sa_mask);
    accion.sa_flags = SA_RESTART;
    for (int s : SENALES) sigaction(s, &accion, nullptr);
}

}  // namespace

void InstalarSenalesSalida(QObject* duenio, std::function<void()> alRecibir) {
    if (g_tubo[0] < 0 && pipe2(g_tubo, O_CLOEXEC | O_NONBLOCK) != 0) return;
    auto* aviso = new QSocketNotifier(g_tubo[0], QSocketNotifier::Read, duenio);
    QObject::connect(aviso, &QSocketNotifier::activated, duenio, [alRecibir = std::move(alRecibir)] {
        // Every owner hears the pipe; the one that finds the bytes answers.
        char bytes[64];
        bool recibida = false;
        while (read(g_tubo[0], bytes, sizeof bytes) > 0) recibida = true;
        if (recibida) alRecibir();
    });
    QObject::connect(aviso, &QObject::destroyed, [] {
        if (--g_duenios == 0) Desviar(false);
    });
    if (g_duenios++ == 0) Desviar(true);
}

}  // namespace quirvex
