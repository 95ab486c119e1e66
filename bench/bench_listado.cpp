// Compares a cold-cache-free folder load (list, filter, sort by extension and by name) with
// `ls -l` and `ls -f` on the same folder, in the same run, and prints the ratios.
// Usage: bench_listado FOLDER [ROUNDS]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "folder/cache_listados.h"
#include "folder/filtro.h"
#include "folder/orden.h"

using namespace quirvex;
using Reloj = std::chrono::steady_clock;

namespace {

double Mejor(int rondas, auto&& trabajo) {
    double mejor = 1e30;
    for (int i = 0; i < rondas; ++i) {
        const auto t0 = Reloj::now();
        trabajo();
        mejor = std::min(mejor, std::chrono::duration<double, std::milli>(Reloj::now() - t0).count());
    }
    return mejor;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER [ROUNDS]\n", argv[0]);
        return 2;
    }
    std::string carpeta = argv[1];
    if (carpeta.back() != '/') carpeta += '/';
    const int rondas = argc > 2 ? std::atoi(argv[2]) : 5;

    std::size_t n = 0;
    const double nucleo = Mejor(rondas, [&] {
        const ListadoCarpeta l = EnumerarCarpeta(carpeta, true);
        TablaItems items;
        std::int64_t nc = 0, na = 0;
        FiltrarItems(*l.items, "*", 0, items, nc, na);
        CalcularClavesOrden(items, items.size(), ORDEN_EXTENSION, carpeta);
        OrdenarItems(items, items.size(), ORDEN_EXTENSION);
        n = items.size();
    });
    const double reordenar = Mejor(rondas, [&] {
        static const ListadoCarpeta l = EnumerarCarpeta(carpeta, true);
        TablaItems items;
        std::int64_t nc = 0, na = 0;
        FiltrarItems(*l.items, "*", 0, items, nc, na);
        CalcularClavesOrden(items, items.size(), ORDEN_NOMBRE, carpeta);
        OrdenarItems(items, items.size(), ORDEN_NOMBRE);
    });
    const std::string q = "'" + carpeta + "'";
    const double lsl = Mejor(rondas, [&] { (void)std::system(("ls -l " + q + " >/dev/null").c_str()); });
    const double lsf = Mejor(rondas, [&] { (void)std::system(("ls -f " + q + " >/dev/null").c_str()); });

    std::printf("entries: %zu\n", n);
    std::printf("quirvex load (list+stat+filter+sort): %8.1f ms\n", nucleo);
    std::printf("quirvex re-sort from cache:           %8.1f ms\n", reordenar);
    std::printf("ls -l:                                %8.1f ms  ratio quirvex/ls-l = %.2f\n", lsl,
                nucleo / lsl);
    std::printf("ls -f (names only):                   %8.1f ms  ratio quirvex/ls-f = %.2f\n", lsf,
                nucleo / lsf);
    return 0;
}
