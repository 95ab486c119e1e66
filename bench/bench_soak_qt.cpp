// The program as it starts from the desktop, with a load to carry for a long time: the tabs the
// settings restore (the soak script saves 16 tabs of 8 panes), and a queue of copy operations
// added a few seconds after start. Run by bench/soak.sh, which churns a shown folder from a shell
// meanwhile and watches memory and handles from /proc.
// Usage: bench_soak_qt SOURCE_FOLDER TARGET_FOLDER COPIES SECONDS [CHURN_FOLDER]
// SOURCE_FOLDER's files are copied COPIES times, into TARGET_FOLDER/0, /1, ...; after SECONDS
// the program prints how many operations finished, how many failed or logged a line, and exits.
// Once the tabs are restored it prints how many folder tabs and panes opened, and how many panes
// show the first argument of the soak script's tab list (CHURN_FOLDER, when given).

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "frame/arranque_qt.h"
#include "frame/mdi_qt.h"
#include "frame/ventana_tab_qt.h"
#include "operations/tareas.h"
#include "pane/visor_qt.h"

namespace {

std::string SinBarraFinal(std::string ruta) {
    while (ruta.size() > 1 && ruta.back() == '/') ruta.pop_back();
    return ruta;
}

quirvex::MDI* BuscarMarco() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* m = dynamic_cast<quirvex::MDI*>(w)) return m;
        for (QWidget* hijo : w->findChildren<QWidget*>())
            if (auto* m = dynamic_cast<quirvex::MDI*>(hijo)) return m;
    }
    return nullptr;
}

// What the restored tabs hold: folder tabs, panes in all, and panes showing `carpeta`.
void ContarTabs(const std::string& carpeta) {
    quirvex::MDI* marco = BuscarMarco();
    if (!marco) {
        std::printf("tabs: no frame window\n");
        return;
    }
    int tabs = 0, visores = 0, tabsDeOcho = 0, enCarpeta = 0;
    for (quirvex::VentanaTab* v : marco->VentanasTab()) {
        if (!v || v->nVisores() == 0) continue;
        ++tabs;
        visores += v->nVisores();
        if (v->nVisores() == 8) ++tabsDeOcho;
        for (int i = 0; i < v->nVisores(); ++i) {
            const quirvex::cVisor* visor = v->GetVisor(i);
            if (visor && !carpeta.empty() && SinBarraFinal(visor->RutaActual()) == SinBarraFinal(carpeta)) ++enCarpeta;
        }
    }
    std::printf("tabs: %d folder tabs, %d with 8 panes, %d panes, %d showing the churned folder\n", tabs,
                tabsDeOcho, visores, enCarpeta);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 5 && argc != 6) {
        std::fprintf(stderr, "usage: %s SOURCE_FOLDER TARGET_FOLDER COPIES SECONDS [CHURN_FOLDER]\n",
                     argv[0]);
        return 2;
    }
    const std::string origen = argv[1];
    const std::string destino = argv[2];
    const int copias = std::atoi(argv[3]);
    const int segundos = std::atoi(argv[4]);
    const std::string agitada = argc == 6 ? argv[5] : "";
    std::vector<std::string> archivos;
    for (const auto& e : std::filesystem::directory_iterator(origen)) archivos.push_back(e.path().string());

    QTimer::singleShot(3000, [&] {
        ContarTabs(agitada);
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
