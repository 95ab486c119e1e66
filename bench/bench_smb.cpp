// Lists a share or copies a file from one the way the program does, and prints how long it took
// in seconds, so that bench/run_smb.sh can set it against smbclient on the same share in the
// same run.
// Usage: bench_smb list //HOST:PORT/SHARE/FOLDER   (a pane's load: listing, items, name sort)
//        bench_smb copy SOURCE TARGET_FOLDER      (the operation engine, as the queue runs it)

#include <chrono>
#include <cstdio>
#include <string>

#include "folder/cache_listados.h"
#include "folder/contenido_visor.h"
#include "operations/tareas.h"
#include "settings/idioma.h"

using namespace quirvex;

namespace {

double Segundos(std::chrono::steady_clock::time_point desde) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - desde).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_smb list PATH | copy SOURCE TARGET_FOLDER\n");
        return 2;
    }
    CargarIdioma(IdiomasIncorporados()[0].texto);
    const std::string modo = argv[1];
    if (modo == "list") {
        cContenidoVisor c;
        const auto inicio = std::chrono::steady_clock::now();
        if (!c.CargarContenido(argv[2], true)) return 1;
        const double s = Segundos(inicio);
        std::fprintf(stderr, "%lld entries\n", static_cast<long long>(c.nMostrados()));
        std::printf("%.6f\n", s);
        return 0;
    }
    if (modo == "copy" && argc == 4) {
        cTareas t;
        const auto inicio = std::chrono::steady_clock::now();
        const auto i = t.AgregarOperacion(TIPO_COPIAR, "", argv[3], {argv[2]});
        t.tIni_Timer();
        const double s = Segundos(inicio);
        if (t.Operaciones()[static_cast<size_t>(i)].NumErrores != 0) {
            std::fprintf(stderr, "%s\n", t.TextoErrores(i).c_str());
            return 1;
        }
        std::printf("%.6f\n", s);
        return 0;
    }
    return 2;
}
