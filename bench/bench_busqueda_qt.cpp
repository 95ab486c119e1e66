// The search tab as the user runs it (the window, its result list and its turns of the event
// loop) against `find -iname` on the same tree, in the same run.
// Usage: bench_busqueda_qt --crear FOLDER FILES HITS   builds the tree (HITS names match "hit")
//        bench_busqueda_qt FOLDER TARGET [ROUNDS]        times both and prints the ratio

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "frame/marco_qt.h"
#include "search/frm_buscar_qt.h"
#include "settings/idioma.h"

using namespace quirvex;
using Reloj = std::chrono::steady_clock;

namespace {

double Ms(Reloj::time_point desde) {
    return std::chrono::duration<double, std::milli>(Reloj::now() - desde).count();
}

// 100 files per folder, 10 folders per group; the hits spread evenly over the tree.
int Crear(const std::string& raiz, long n, long aciertos) {
    const long cada = std::max(1L, n / std::max(1L, aciertos));
    char nombre[64];
    for (long i = 0; i < n; ++i) {
        const std::string carpeta = raiz + "/g" + std::to_string(i / 1000) + "/s" + std::to_string(i / 100 % 10);
        if (i % 100 == 0) std::filesystem::create_directories(carpeta);
        std::snprintf(nombre, sizeof nombre, i % cada == cada / 2 ? "/Doc-%07ld-HiT.txt" : "/doc-%07ld.dat", i);
        std::FILE* f = std::fopen((carpeta + nombre).c_str(), "w");
        if (!f) return 1;
        std::fclose(f);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "--crear")
        return Crear(argv[2], std::atol(argv[3]), std::atol(argv[4]));
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s FOLDER TARGET [ROUNDS] | --crear FOLDER FILES HITS\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    CargarIdiomaIncorporado(0);
    std::string carpeta = argv[1];
    if (carpeta.back() != '/') carpeta += '/';
    const double objetivo = std::atof(argv[2]);
    const int rondas = argc > 3 ? std::atoi(argv[3]) : 3;
    MarcoNulo marco;
    frmBuscar tab(marco, 1);
    tab.resize(900, 600);
    tab.show();
    // The list holds each folder's bytes as the item's data, as the tab's own buttons put it.
    tab.cboCARPETA()->clear();
    tab.cboCARPETA()->addItem(QString::fromStdString(carpeta), QByteArray::fromStdString(carpeta));
    tab.txtARCHIVO()->setText(QStringLiteral("hit"));
    int hits = 0;
    const auto buscar = [&] {
        tab.cmdBUSCAR()->click();
        hits = tab.Modelo()->rowCount();
        QCoreApplication::processEvents();  // the last rows are painted
    };
    const std::string find = "find '" + carpeta + "' -iname '*hit*' > /dev/null";
    buscar();
    (void)std::system(find.c_str());
    double nuestro = 1e30, suyo = 1e30;
    for (int i = 0; i < rondas; ++i) {
        auto t0 = Reloj::now();
        buscar();
        nuestro = std::min(nuestro, Ms(t0));
        t0 = Reloj::now();
        (void)std::system(find.c_str());
        suyo = std::min(suyo, Ms(t0));
    }
    const double ratio = nuestro / suyo;
    std::printf("search tab %d hits: %.1f ms   find -iname: %.1f ms   ratio %.2f (target <= %.1f) %s\n", hits,
                nuestro, suyo, ratio, objetivo, ratio <= objetivo ? "OK" : "MISSED");
    return 0;
}
