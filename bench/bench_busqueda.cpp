// The file search against `find -iname` on the same tree, in the same run: one thread, the
// designed order (subfolders' hits first), hits kept in memory as the window keeps them.
// Usage: bench_busqueda --crear FOLDER FILES      builds the tree (1 % of the names match "hit")
//        bench_busqueda FOLDER [ROUNDS]            times both and prints the ratio

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "search/busqueda.h"

using namespace quirvex;
using Reloj = std::chrono::steady_clock;

namespace {

constexpr double kObjetivo = 1.2;

double Mejor(int rondas, auto&& trabajo) {
    double mejor = 1e30;
    for (int i = 0; i < rondas; ++i) {
        const auto t0 = Reloj::now();
        trabajo();
        mejor = std::min(mejor, std::chrono::duration<double, std::milli>(Reloj::now() - t0).count());
    }
    return mejor;
}

// 100 files per folder, 10 folders per group: a tree three levels deep.
int Crear(const std::string& raiz, long n) {
    char nombre[64];
    for (long i = 0; i < n; ++i) {
        const std::string carpeta = raiz + "/g" + std::to_string(i / 1000) + "/s" + std::to_string(i / 100 % 10);
        if (i % 100 == 0) std::filesystem::create_directories(carpeta);
        // One name in a hundred carries the searched word, in mixed case.
        std::snprintf(nombre, sizeof nombre, i % 100 == 37 ? "/Doc-%07ld-HiT.txt" : "/doc-%07ld.dat", i);
        std::FILE* f = std::fopen((carpeta + nombre).c_str(), "w");
        if (!f) return 1;
        std::fclose(f);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--crear") return Crear(argv[2], std::atol(argv[3]));
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER [ROUNDS] | --crear FOLDER FILES\n", argv[0]);
        return 2;
    }
    std::string carpeta = argv[1];
    if (carpeta.back() != '/') carpeta += '/';
    const int rondas = argc > 2 ? std::atoi(argv[2]) : 5;
    const PatronBusqueda patron(PatronDeBusqueda("hit"));
    std::size_t hits = 0;
    const auto buscar = [&] {
        auto b = std::make_shared<cBusqueda>();
        b->Buscando = true;
        ContadoresBusqueda c;
        AvisosBusqueda avisos;
        avisos.DejarCorrer = [] {};
        avisos.Progreso = [](std::size_t) {};
        BuscarEnCarpeta(patron, carpeta, b, c, avisos);
        hits = b->Resultados.size();
    };
    const std::string find = "find '" + carpeta + "' -iname '*hit*' > /dev/null";
    // Warm both once, then alternate so that neither profits from the other's cache.
    buscar();
    (void)std::system(find.c_str());
    double nuestro = 1e30, suyo = 1e30;
    for (int i = 0; i < rondas; ++i) {
        nuestro = std::min(nuestro, Mejor(1, buscar));
        suyo = std::min(suyo, Mejor(1, [&] { (void)std::system(find.c_str()); }));
    }
    const double ratio = nuestro / suyo;
    std::printf("search %zu hits: %.1f ms   find -iname: %.1f ms   ratio %.2f (target <= %.1f) %s\n", hits,
                nuestro, suyo, ratio, kObjetivo, ratio <= kObjetivo ? "OK" : "MISSED");
    return 0;
}
