// Runs the copy engine once, as the program's queue runs it, and prints how long it took in
// seconds, so that bench/run_copia.sh can set it against cp and rm on the same data in the same
// run. The engine yields to nothing here (the program lets window events run between chunks).
// Usage: bench_copia copy SOURCE TARGET_FOLDER   (the copy lands in TARGET_FOLDER/name)
//        bench_copia move SOURCE TARGET_FOLDER
//        bench_copia delete PATH
// and, to make the data: bench_copia tree FOLDER FOLDERS FILES_EACH   (1-16 KiB files)
//                        bench_copia file PATH MIB                    (no holes)

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "operations/tareas.h"
#include "settings/idioma.h"

using namespace quirvex;

namespace {

// Bytes that do not repeat, so no layer can shortcut them.
struct Azar {
    std::uint64_t x = 88172645463325252ULL;
    std::uint64_t operator()() {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        return x;
    }
    void Llenar(std::vector<char>& b) {
        for (std::size_t k = 0; k + 8 <= b.size(); k += 8) {
            const std::uint64_t v = (*this)();
            std::memcpy(b.data() + k, &v, 8);
        }
    }
};

int HacerArbol(const std::string& raiz, int carpetas, int archivos) {
    Azar azar;
    std::vector<char> b(16384);
    for (int c = 0; c < carpetas; ++c) {
        const std::string carpeta = raiz + "/dir" + std::to_string(c);
        std::filesystem::create_directories(carpeta);
        for (int a = 0; a < archivos; ++a) {
            azar.Llenar(b);
            const std::size_t n = 1024 + azar() % (16384 - 1024 + 1);
            std::ofstream(carpeta + "/file" + std::to_string(a) + ".dat", std::ios::binary)
                .write(b.data(), static_cast<std::streamsize>(n));
        }
    }
    return 0;
}

int HacerArchivo(const std::string& ruta, long mib) {
    Azar azar;
    std::vector<char> b(1 << 20);
    std::ofstream f(ruta, std::ios::binary);
    for (long k = 0; k < mib && f; ++k) {
        azar.Llenar(b);
        f.write(b.data(), static_cast<std::streamsize>(b.size()));
    }
    return f ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "tree") == 0)
        return HacerArbol(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    if (argc == 4 && std::strcmp(argv[1], "file") == 0) return HacerArchivo(argv[2], std::atol(argv[3]));
    const bool copiar = argc == 4 && std::strcmp(argv[1], "copy") == 0;
    const bool mover = argc == 4 && std::strcmp(argv[1], "move") == 0;
    const bool borrar = argc == 3 && std::strcmp(argv[1], "delete") == 0;
    if (!copiar && !mover && !borrar) {
        std::fprintf(stderr, "usage: %s copy|move SOURCE TARGET_FOLDER | delete PATH\n", argv[0]);
        return 2;
    }
    CargarIdioma(IdiomasIncorporados()[0].texto);
    cTareas tareas;
    const auto t0 = std::chrono::steady_clock::now();
    const std::int64_t i = borrar ? tareas.AgregarOperacion(TIPO_BORRAR, "", "", {argv[2]})
                                  : tareas.AgregarOperacion(mover ? TIPO_MOVER : TIPO_COPIAR, "", argv[3], {argv[2]});
    tareas.tIni_Timer();
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const Operacion& op = tareas.Operaciones()[static_cast<std::size_t>(i)];
    if (op.NumErrores > 0) {
        std::fprintf(stderr, "%s\n", tareas.TextoErrores(i).c_str());
        return 1;
    }
    std::printf("%.6f\n", s);
    return 0;
}
