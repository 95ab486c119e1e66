// The program as it starts from the desktop, with a load to carry for a long time: the tabs the
// settings restore (the soak script saves 16 tabs of 8 panes), and a queue of copy operations
// added a few seconds after start. Run by bench/soak.sh, which churns a shown folder from a shell
// meanwhile and watches memory and handles from /proc.
// Usage: bench_soak_qt SOURCE_FOLDER TARGET_FOLDER COPIES SECONDS
// SOURCE_FOLDER's files are copied COPIES times, into TARGET_FOLDER/0, /1, ...; after SECONDS
// the program prints how many operations finished, how many failed or logged a line, and exits.

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "frame/arranque_qt.h"
#include "operations/tareas.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s SOURCE_FOLDER TARGET_FOLDER COPIES SECONDS\n", argv[0]);
        return 2;
    }
    const std::string origen = argv[1];
    const std::string destino = argv[2];
    const int copias = std::atoi(argv[3]);
    const int segundos = std::atoi(argv[4]);
    std::vector<std::string> archivos;
    for (const auto& e : std::filesystem::directory_iterator(origen)) archivos.push_back(e.path().string());

    QTimer::singleShot(3000, [&] {
        for (int k = 0; k < copias; ++k) {
            const std::string carpeta = destino + "/" + std::to_string(k);
            std::filesystem::create_directories(carpeta);
            quirvex::mTareas().AgregarOperacion(quirvex::TIPO_COPIAR, "", carpeta, archivos);
        }
        std::printf("queued %d copy operations\n", copias);
        std::fflush(stdout);
    });
    QTimer::singleShot(segundos * 1000, [&] {
        int terminadas = 0, conLog = 0;
        for (const quirvex::Operacion& op : quirvex::mTareas().Operaciones()) {
            if (op.Estado == quirvex::ESTADO_TERMINADA) ++terminadas;
            if (!op.Log.empty()) ++conLog;
        }
        std::printf("operations: %zu queued, %d finished, %d with a log line\n",
                    quirvex::mTareas().Operaciones().size(), terminadas, conLog);
        std::fflush(stdout);
        std::_Exit(0);
    });
    quirvex::OpcionesArranque op;
    return quirvex::Arrancar(app, op);
}
