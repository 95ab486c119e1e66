#include <sys/mman.h>
#include <unistd.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <cstdint>

#include "platform/memoria.h"

namespace quirvex {

void PaginasGrandes(void* inicio, std::size_t bytes) {
    // Only whole large pages inside the table: the memory around it belongs to others.
    constexpr std::uintptr_t kPagina = std::uintptr_t{2} << 20;
    const auto a = reinterpret_cast<std::uintptr_t>(inicio);
    const std::uintptr_t desde = (a + kPagina - 1) & ~(kPagina - 1);
    const std::uintptr_t hasta = (a + bytes) & ~(kPagina - 1);
    if (hasta > desde) madvise(reinterpret_cast<void*>(desde), hasta - desde, MADV_HUGEPAGE);
}

void SoltarPaginas(void* inicio, std::size_t bytes) {
    const auto pagina = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto a = reinterpret_cast<std::uintptr_t>(inicio);
    const std::uintptr_t desde = (a + pagina - 1) & ~(pagina - 1);
    const std::uintptr_t hasta = (a + bytes) & ~(pagina - 1);
    if (hasta > desde) madvise(reinterpret_cast<void*>(desde), hasta - desde, MADV_DONTNEED);
}

void DevolverMemoriaLibre() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

}  // namespace quirvex
