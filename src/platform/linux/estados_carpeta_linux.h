#pragma once
// The status calls of a whole folder at once: one statx per name, through the folder's
// descriptor. A large batch is either shared between the caller's thread and a second one, or
// queued on an io_uring whose kernel workers make the calls; EstadosEn alone decides which, by
// SetViaEstados and by what the kernel allows (a ring that cannot be set up, because io_uring is
// disabled or filtered out in a container, falls back to the threads without a word).

#include <sys/stat.h>

#include <cstddef>
#include <functional>
#include <string_view>

namespace quirvex {

struct PedidoEstados {
    int carpeta = -1;      // open folder descriptor the names are relative to
    int banderas = 0;      // statx flags (AT_SYMLINK_NOFOLLOW...)
    unsigned campos = 0;   // statx mask
    size_t cuantos = 0;
    std::function<std::string_view(size_t)> nombre;  // the i-th name, without its terminator
};

// hecho(i, st) once per index 0..cuantos-1, st null where the call failed (the entry vanished or
// cannot be reached). hecho may run on two threads at once, never twice for one index; st is
// valid only during the call. Returns once every index is done.
void EstadosEn(const PedidoEstados& pedido,
               const std::function<void(size_t, const struct statx*)>& hecho);

}  // namespace quirvex
