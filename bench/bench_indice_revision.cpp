// Queries while the index server rescans a large tree, against plocate's queries while updatedb
// rebuilds its database, in the same run.
//   bench_indice_revision TREE SOCKET LOG DB N
// The server must run on TREE with --no-watch, its log in LOG. First N queries with the server
// idle; then every folder of TREE has its time touched, so the next rescan lists them all
// again, and queries go back to back until the log says that rescan ended ("listed again in X
// ms"; a rescan that began while the times were being touched lists only some, and the next one
// the rest: the queries sent from the first of those rescans to the end of the last are measured). Then the same queries with
// `plocate -i -l 100 -d DB` while `updatedb.plocate` writes a fresh database of TREE beside DB
// (nothing pruned, the system's database untouched). Each time is from the send to the answer.

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <utility>
#include <string>
#include <vector>

#include "search/enlace_indice.h"

extern char** environ;

namespace {

using Reloj = std::chrono::steady_clock;
double Ms(Reloj::time_point a, Reloj::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

// Pieces of 2 to 8 characters of the words the tree's names are made of (bench_indice generar).
const char* kConsultas[] = {"re",    "inv",   "phot", "holiday", "dra",    "fin",   "note",  "budg",
                            "meet",  "proj",  "back", "summ",    "lett",   "contr", "sca",   "ima",
                            "mus",   "tra",   "vid",  "cli",     "readme", "conf",  "mai",   "ind",
                            "sty",   "scri",  "tes",  "dat",     "export", "imp",   "ol",    "ne",
                            "cop",   "inform", "factu", "fot",   "viaj",   "resum", "cart",  "kernel"};

std::string Carga() {
    std::ifstream f("/proc/loadavg");
    double a = 0, b = 0, c = 0;
    f >> a >> b >> c;
    char s[64];
    std::snprintf(s, sizeof s, "(load %.2f %.2f %.2f)", a, b, c);
    return s;
}

std::string Resumen(std::vector<double> v) {
    if (v.empty()) return "no queries";
    std::sort(v.begin(), v.end());
    auto p = [&](double q) { return v[static_cast<std::size_t>(q * static_cast<double>(v.size() - 1))]; };
    char s[128];
    std::snprintf(s, sizeof s, "p50 %.2f ms  p95 %.2f ms  max %.2f ms over %zu queries", p(0.5), p(0.95), v.back(),
                  v.size());
    return s;
}

double P95(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[static_cast<std::size_t>(0.95 * static_cast<double>(v.size() - 1))];
}

class Cliente {
public:
    explicit Cliente(const std::string& socket) : enlace_(socket) {
        enlace_.SethWndMarco(1);
        for (int i = 0; i < 200 && enlace_.hWndTxtServidor() == 0; ++i) {
            if (enlace_.Descriptor() < 0) enlace_.tSrv_Timer();
            if (enlace_.Descriptor() >= 0) quirvex::EsperarDescriptores({enlace_.Descriptor()}, 100);
            enlace_.LeerPendiente();
        }
    }
    bool Listo() const { return enlace_.hWndTxtServidor() != 0; }
    // The time from the send to the results frame; nothing when the link broke.
    std::optional<double> Consultar(const std::string& q) {
        bool llego = false;
        enlace_.alResultados = [&](std::int64_t, const quirvex::ResultadosIndice& r) { llego = llego || r.texto == q; };
        const auto t0 = Reloj::now();
        enlace_.Enviar(quirvex::MSG_VENTANA_POPUP, 9);
        enlace_.Enviar(quirvex::MSG_SETTEXT, enlace_.hWndTxtServidor(), q);
        enlace_.Enviar(quirvex::MSG_BUSCAR, 0);
        while (!llego && enlace_.Descriptor() >= 0) {
            quirvex::EsperarDescriptores({enlace_.Descriptor()}, 1000);
            enlace_.LeerPendiente();
        }
        if (!llego) return std::nullopt;
        return Ms(t0, Reloj::now());
    }

private:
    quirvex::cEnlaceIndice enlace_;
};

std::size_t TocarCarpetas(const std::string& arbol) {
    std::size_t n = 0;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(arbol, ec); it != decltype(it)(); it.increment(ec))
        if (it->is_directory(ec) && utimensat(AT_FDCWD, it->path().c_str(), nullptr, 0) == 0) ++n;
    if (utimensat(AT_FDCWD, arbol.c_str(), nullptr, 0) == 0) ++n;
    return n;
}

struct Revision {
    std::size_t carpetas = 0;
    long ms = 0;
};

// The rescans logged after `desde`; `desde` moves to the log's new end.
std::vector<Revision> RevisionesNuevas(const std::string& log, std::streamoff& desde) {
    std::ifstream f(log);
    f.seekg(desde);
    std::string linea;
    std::vector<Revision> r;
    while (std::getline(f, linea)) {
        if (f.eof()) break;  // a line still being written
        desde += static_cast<std::streamoff>(linea.size() + 1);
        const auto p = linea.find("unwatched folders: ");
        const auto q = linea.find(" listed again in ");
        if (p != std::string::npos && q != std::string::npos)
            r.push_back({std::strtoul(linea.c_str() + p + 19, nullptr, 10), std::strtol(linea.c_str() + q + 17, nullptr, 10)});
    }
    return r;
}

pid_t Lanzar(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t acciones;
    posix_spawn_file_actions_init(&acciones);
    posix_spawn_file_actions_addopen(&acciones, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &acciones, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&acciones);
    return pid;
}

double Plocate(const std::string& db, const std::string& q) {
    const auto t0 = Reloj::now();
    const pid_t pid = Lanzar({"plocate", "-i", "-l", "100", "-d", db, "--", q});
    int estado = 0;
    if (pid > 0) waitpid(pid, &estado, 0);
    return Ms(t0, Reloj::now());
}

// plocate's queries while updatedb writes a fresh database of the same tree.
std::vector<double> PlocateDuranteUpdatedb(const std::string& arbol, const std::string& db, double& duracion) {
    const std::string otra = db + ".nueva";
    const auto t0 = Reloj::now();
    const pid_t u = Lanzar({"updatedb.plocate", "-U", arbol, "-o", otra, "-l", "0", "--prunepaths", "",
                            "--prunefs", "", "--prunenames", "", "--prune-bind-mounts", "no"});
    std::vector<double> t;
    int estado = 0;
    for (std::size_t i = 0; u > 0 && waitpid(u, &estado, WNOHANG) == 0; ++i)
        t.push_back(Plocate(db, kConsultas[i % std::size(kConsultas)]));
    duracion = Ms(t0, Reloj::now());
    std::remove(otra.c_str());
    return t;
}

int Medir(const std::string& arbol, const std::string& socket, const std::string& log, const std::string& db,
          int n) {
    Cliente c(socket);
    if (!c.Listo()) {
        std::fprintf(stderr, "no server answers on %s\n", socket.c_str());
        return 1;
    }
    std::vector<double> quieto;
    for (int i = 0; i < n; ++i)
        if (auto t = c.Consultar(kConsultas[i % std::size(kConsultas)])) quieto.push_back(*t);
    std::printf("queries, server idle: %s %s\n", Resumen(quieto).c_str(), Carga().c_str());

    std::streamoff desde = static_cast<std::streamoff>(std::filesystem::file_size(log));
    const std::size_t carpetas = TocarCarpetas(arbol);
    std::vector<std::pair<Reloj::time_point, double>> enviadas;
    std::optional<Reloj::time_point> inicio;
    std::size_t listadas = 0;
    long revision = 0;
    const auto limite = Reloj::now() + std::chrono::minutes(5);
    for (std::size_t i = 0; listadas < carpetas * 9 / 10 && Reloj::now() < limite; ++i) {
        const auto t0 = Reloj::now();
        const auto t = c.Consultar(kConsultas[i % std::size(kConsultas)]);
        if (!t) return 1;
        enviadas.emplace_back(t0, *t);
        // A rescan ended at most one query before its line is read.
        for (const Revision& r : RevisionesNuevas(log, desde)) {
            if (!inicio) inicio = Reloj::now() - std::chrono::milliseconds(r.ms);
            listadas += r.carpetas;
            revision += r.ms;
        }
    }
    if (listadas < carpetas * 9 / 10) {
        std::fprintf(stderr, "the rescans listed %zu of the %zu touched folders in five minutes\n", listadas, carpetas);
        return 1;
    }
    std::vector<double> durante;
    for (const auto& [t0, t] : enviadas)
        if (t0 >= *inicio) durante.push_back(t);
    std::printf("queries while rescans list %zu of %zu folders again (rescanning for %ld ms): %s %s\n", listadas,
                carpetas, revision, Resumen(durante).c_str(), Carga().c_str());

    double updatedb = 0;
    const std::vector<double> suyas = PlocateDuranteUpdatedb(arbol, db, updatedb);
    std::printf("plocate -i -l 100 while updatedb rebuilds (%.0f ms; process start included): %s %s\n", updatedb,
                Resumen(suyas).c_str(), Carga().c_str());
    std::printf("p95 during the rescan: %.2f of the idle p95, %.3f of the rescan's length, %.2f of plocate's during "
                "updatedb (target <= 1.0)\n",
                P95(durante) / P95(quieto), P95(durante) / static_cast<double>(revision), P95(durante) / P95(suyas));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> a(argv + 1, argv + argc);
    if (a.size() == 5) return Medir(a[0], a[1], a[2], a[3], std::atoi(a[4].c_str()));
    std::fprintf(stderr, "usage: see the comment at the top of bench_indice_revision.cpp\n");
    return 2;
}
