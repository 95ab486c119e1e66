// The index server against plocate on the same generated tree, in the same run.
//   bench_indice generar TREE N          makes N files in a tree of realistic names
//   bench_indice construir TREE FILE     builds the index of TREE and streams it to FILE as the
//                                        server saves it, with the memory after the build and at
//                                        the peak of the save
//   bench_indice cargar FILE             loads a saved index (the server's start), and its memory
//   bench_indice servidor KARTOSERV TREE DIR
//       a server's first run on TREE (index, socket and log in DIR): its memory once it has built
//       and saved its index, and its peak
//   bench_indice buscar FILE N           N queries against the loaded index in this process
//   bench_indice consultas FILE SOCKET PID DB N
//       N queries of 1-8 characters taken from the indexed names: the time from the frame's
//       send (102, 103, set-text, 106 over the link) to the results frame, against
//       `plocate -i -l 100 -d DB` on the same queries (its process start included), and the
//       server's resident memory per indexed name.
// plocate is started with posix_spawnp, without a shell, so its time is its own.

#include <spawn.h>
#include <sys/wait.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/almacen_archivo.h"
#include "platform/memoria.h"
#include "search/enlace_indice.h"
#include "search/indice_nombres.h"

extern char** environ;

namespace {

using Reloj = std::chrono::steady_clock;
double Ms(Reloj::time_point a, Reloj::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

const char* kPalabras[] = {"report", "invoice", "photo", "holiday", "draft", "final", "notes", "budget",
                           "meeting", "project", "backup", "Summary", "letter", "contract", "scan",
                           "image", "music", "track", "video", "clip", "readme", "config", "main",
                           "index", "style", "script", "test", "data", "export", "import", "old",
                           "new", "copy", "Año", "informe", "factura", "foto", "viaje", "resumen",
                           "carta", "plan", "lista", "módulo", "kernel", "driver", "library", "thesis"};
const char* kExt[] = {".txt", ".pdf", ".jpg", ".png", ".docx", ".xlsx", ".mp3", ".cpp", ".h", ".py",
                      ".md", ".json", ".zip", ".odt", ""};

std::string Nombre(std::mt19937& g, bool carpeta, long numero) {
    auto pal = [&] { return std::string(kPalabras[g() % std::size(kPalabras)]); };
    std::string n = pal();
    const unsigned forma = g() % 4;
    if (forma == 0) n += "_" + pal();
    if (forma == 1) n += "-" + std::to_string(g() % 10000);
    if (forma == 2) n += " " + std::to_string(2000 + g() % 26) + "-" + std::to_string(1 + g() % 12);
    n += "_" + std::to_string(numero);  // unique in its folder
    if (!carpeta) n += kExt[g() % std::size(kExt)];
    return n;
}

int Generar(const std::string& raiz, long n) {
    std::mt19937 g(12345);
    std::vector<std::string> carpetas{raiz};
    long hechos = 0;
    for (std::size_t i = 0; hechos < n; ++i) {
        const std::string c = carpetas[i % carpetas.size()];
        // Each folder gets some files and, while the tree is young, a few subfolders.
        const int archivos = 10 + static_cast<int>(g() % 50);
        for (int k = 0; k < archivos && hechos < n; ++k) {
            const std::string r = c + "/" + Nombre(g, false, hechos);
            if (std::FILE* f = std::fopen(r.c_str(), "w")) {
                std::fclose(f);
                ++hechos;
            }
        }
        const int subs = carpetas.size() < 40000 ? 1 + static_cast<int>(g() % 3) : 0;
        for (int k = 0; k < subs; ++k) {
            std::string s = c + "/" + Nombre(g, true, static_cast<long>(carpetas.size()));
            std::filesystem::create_directory(s);
            carpetas.push_back(std::move(s));
        }
    }
    std::printf("generated %ld files in %zu folders\n", hechos, carpetas.size());
    return 0;
}

// This process's resident memory, now or at its peak, in KiB.
long MemoriaKb(const char* campo) {
    std::ifstream f("/proc/self/status");
    std::string linea;
    while (std::getline(f, linea))
        if (linea.rfind(campo, 0) == 0) return std::strtol(linea.c_str() + std::strlen(campo), nullptr, 10);
    return -1;
}

std::string Carga() {
    std::ifstream f("/proc/loadavg");
    std::string uno;
    f >> uno;
    return "load " + uno;
}

void MemoriaPorNombre(const char* cuando, long kb, std::size_t nombres) {
    std::printf("memory %s: %ld KiB for %zu names, %.1f bytes per name   (target <= 60; %s)\n", cuando, kb, nombres,
                static_cast<double>(kb) * 1024.0 / static_cast<double>(std::max<std::size_t>(nombres, 1)),
                Carga().c_str());
}

// Builds the index as the server does on its first run, then saves it as the server does, with
// this process's memory after the build and at the peak of the save.
int Construir(const std::string& raiz, const std::string& archivo) {
    const auto t0 = Reloj::now();
    quirvex::cIndiceNombres indice;
    indice.Construir({raiz.back() == '/' ? raiz : raiz + "/"}, quirvex::ArbolSistema());
    const long trasConstruir = MemoriaKb("VmRSS:");
    std::ofstream("/proc/self/clear_refs") << "5";  // the peak from here on
    std::uint64_t bytes = 0;
    const bool ok = quirvex::CrearAlmacenArchivo(archivo)->Reemplazar([&](const auto& escribir) {
        return indice.Escribir([&](std::string_view trozo) {
            bytes += trozo.size();
            return escribir(trozo);
        });
    });
    const auto t1 = Reloj::now();
    if (!ok) return 1;
    std::printf("kartoserv_build_ms %.1f names %zu bytes %llu\n", Ms(t0, t1), indice.Nombres(),
                static_cast<unsigned long long>(bytes));
    MemoriaPorNombre("after a build", trasConstruir, indice.Nombres());
    MemoriaPorNombre("at the peak of a save", MemoriaKb("VmHWM:"), indice.Nombres());
    return 0;
}

// Loading a saved index, as the server does at start.
int Cargar(const std::string& archivo) {
    std::ifstream f(archivo, std::ios::binary);
    std::string imagen((std::istreambuf_iterator<char>(f)), {});
    quirvex::cIndiceNombres indice;
    const std::clock_t c0 = std::clock();
    const auto t0 = Reloj::now();
    const bool ok = indice.Cargar(imagen);
    const auto t1 = Reloj::now();
    const std::clock_t c1 = std::clock();
    if (!ok) return 1;
    const std::size_t bytes = imagen.size();
    std::string().swap(imagen);  // the server's read buffer is gone once the index is loaded
    quirvex::DevolverMemoriaLibre();
    MemoriaPorNombre("after a load", MemoriaKb("VmRSS:"), indice.Nombres());
    const std::string otra = indice.Serializar();
    // The processor time beside the wall time: on a shared machine the two part ways.
    std::printf("load_ms %.1f (cpu %.1f) names %zu bytes %zu rewritten_bytes %zu\n", Ms(t0, t1),
                1000.0 * static_cast<double>(c1 - c0) / CLOCKS_PER_SEC, indice.Nombres(), bytes, otra.size());
    return 0;
}

long RssKb(const std::string& pid, const char* campo = "VmRSS:");

bool EnElLog(const std::string& log, const char* texto) {
    std::ifstream f(log);
    std::string linea;
    while (std::getline(f, linea))
        if (linea.find(texto) != std::string::npos) return true;
    return false;
}

// A server on its first run, building its index itself: its memory once the index is built and
// saved, and its peak through the build and the save.
int Servidor(const std::string& kartoserv, const std::string& raiz, const std::string& carpeta) {
    const std::string mapa = carpeta + "/fresh.map", log = carpeta + "/fresh.log", sock = carpeta + "/fresh.sock";
    std::vector<std::string> args = {kartoserv, "--root", raiz, "--index", mapa, "--socket", sock,
                                     "--log", log, "--normal-priority"};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t acciones;
    posix_spawn_file_actions_init(&acciones);
    posix_spawn_file_actions_addopen(&acciones, 2, "/dev/null", 1 /*O_WRONLY*/, 0);  // it logs to its file
    pid_t pid = 0;
    const int r = posix_spawn(&pid, kartoserv.c_str(), &acciones, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&acciones);
    if (r != 0) return 1;
    const std::string p = std::to_string(pid);
    bool guardado = false;
    for (int i = 0; i < 12000 && !guardado; ++i) {  // up to ten minutes
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        guardado = EnElLog(log, "saved ");
    }
    const long rss = RssKb(p), pico = RssKb(p, "VmHWM:");
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    if (!guardado) return 1;
    std::size_t nombres = 0;
    {
        std::ifstream f(log);
        std::string linea;
        while (std::getline(f, linea))
            if (linea.find("indexed ") != std::string::npos) nombres = std::strtoul(linea.c_str() + linea.find("indexed ") + 8, nullptr, 10);
    }
    MemoriaPorNombre("of a server after its own build and save", rss, nombres);
    MemoriaPorNombre("of that server at its peak (build and save)", pico, nombres);
    return 0;
}

double Percentil(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v[static_cast<std::size_t>(p * static_cast<double>(v.size() - 1))];
}

long RssKb(const std::string& pid, const char* campo) {
    std::ifstream f("/proc/" + pid + "/status");
    std::string linea;
    while (std::getline(f, linea))
        if (linea.rfind(campo, 0) == 0) return std::strtol(linea.c_str() + std::strlen(campo), nullptr, 10);
    return -1;
}

double Plocate(const std::string& db, const std::string& q) {
    const std::string d = "-d", lim = "100";
    std::vector<char*> argv = {const_cast<char*>("plocate"), const_cast<char*>("-i"), const_cast<char*>("-l"),
                               const_cast<char*>(lim.c_str()), const_cast<char*>(d.c_str()),
                               const_cast<char*>(db.c_str()), const_cast<char*>("--"),
                               const_cast<char*>(q.c_str()), nullptr};
    posix_spawn_file_actions_t acciones;
    posix_spawn_file_actions_init(&acciones);
    posix_spawn_file_actions_addopen(&acciones, 1, "/dev/null", 1 /*O_WRONLY*/, 0);
    const auto t0 = Reloj::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, "plocate", &acciones, nullptr, argv.data(), environ) != 0) return -1;
    int estado = 0;
    waitpid(pid, &estado, 0);
    const auto t1 = Reloj::now();
    posix_spawn_file_actions_destroy(&acciones);
    return Ms(t0, t1);
}

// Pieces of 1 to 8 characters of random indexed names (so most of them hit).
std::vector<std::string> Consultas(const quirvex::cIndiceNombres& indice, int n) {
    std::vector<std::uint32_t> todas;
    for (std::uint32_t c = 0; c < indice.Carpetas().size(); ++c) {
        const std::vector<std::uint32_t> e = indice.EntradasDe(c);
        todas.insert(todas.end(), e.begin(), e.end());
    }
    std::mt19937 g(777);
    std::vector<std::string> consultas;
    const auto total = static_cast<std::uint32_t>(todas.size());
    while (static_cast<int>(consultas.size()) < n) {
        const std::uint32_t e = todas[g() % total];
        const std::string_view nom = indice.Nombre(e);
        const std::size_t largo = 1 + g() % 8;
        if (nom.size() < largo) continue;
        const std::size_t desde = g() % (nom.size() - largo + 1);
        // Whole characters only: a query is text the user could type.
        auto continuacion = [&](std::size_t i) { return i < nom.size() && (static_cast<unsigned char>(nom[i]) & 0xC0) == 0x80; };
        if (continuacion(desde) || continuacion(desde + largo)) continue;
        std::string q(nom.substr(desde, largo));
        if (q.find_first_of("\\*?[]") != std::string::npos) continue;  // plain text for plocate too
        consultas.push_back(q);
    }
    return consultas;
}

// p50 and p95 for each query length, the load average beside each line: on a shared machine the
// figures follow the load.
void PorLargo(const char* que, const std::vector<std::string>& consultas, const std::vector<double>& ms) {
    for (std::size_t largo = 1; largo <= 8; ++largo) {
        std::vector<double> v;
        for (std::size_t i = 0; i < consultas.size(); ++i)
            if (consultas[i].size() == largo) v.push_back(ms[i]);
        if (v.empty()) continue;
        std::printf("%s, %zu characters: p50 %.3f ms  p95 %.3f ms  (%zu queries; target p95 <= 5 ms; %s)\n", que,
                    largo, Percentil(v, 0.5), Percentil(v, 0.95), v.size(), Carga().c_str());
    }
}

// The search alone, in this process: where the time of a query goes.
int Buscar(const std::string& archivo, int n) {
    std::ifstream f(archivo, std::ios::binary);
    const std::string imagen((std::istreambuf_iterator<char>(f)), {});
    quirvex::cIndiceNombres indice;
    if (!indice.Cargar(imagen)) return 1;
    const std::vector<std::string> consultas = Consultas(indice, n);
    std::vector<double> t, cpu;
    std::vector<std::pair<double, std::string>> lentas;
    std::vector<std::uint32_t> a;
    for (const std::string& q : consultas) {
        const std::clock_t c0 = std::clock();
        const auto t0 = Reloj::now();
        const std::uint64_t total = indice.Buscar(q, 100, a);
        t.push_back(Ms(t0, Reloj::now()));
        cpu.push_back(1000.0 * static_cast<double>(std::clock() - c0) / CLOCKS_PER_SEC);
        lentas.emplace_back(cpu.back(), "'" + q + "' (" + std::to_string(total) + " hits)");
    }
    // The same with each hit's folder path and size, as a results frame carries them.
    std::vector<double> conFilas;
    for (const std::string& q : consultas) {
        const auto t0 = Reloj::now();
        indice.Buscar(q, 100, a);
        for (std::uint32_t e : a) {
            const std::string carpeta = indice.RutaCarpeta(indice.CarpetaDe(e));
            if (!indice.EsCarpeta(e)) quirvex::ArbolSistema().Tamano(carpeta + std::string(indice.Nombre(e)));
        }
        conFilas.push_back(Ms(t0, Reloj::now()));
    }
    std::printf("search with paths and sizes p50 %.3f ms  p95 %.3f ms  (%s)\n", Percentil(conFilas, 0.5),
                Percentil(conFilas, 0.95), Carga().c_str());
    std::sort(lentas.rbegin(), lentas.rend());
    std::printf("search alone p50 %.3f ms  p95 %.3f ms  (cpu p50 %.3f ms  p95 %.3f ms  max %.3f ms; %s)\n",
                Percentil(t, 0.5), Percentil(t, 0.95), Percentil(cpu, 0.5), Percentil(cpu, 0.95), lentas.front().first,
                Carga().c_str());
    for (std::size_t i = 0; i < 5 && i < lentas.size(); ++i)
        std::printf("  slow: %s %.3f ms\n", lentas[i].second.c_str(), lentas[i].first);
    PorLargo("search alone", consultas, t);
    PorLargo("search alone, processor time", consultas, cpu);
    return 0;
}

int Consultas(const std::string& archivo, const std::string& socket, const std::string& pid,
              const std::string& db, int n) {
    quirvex::cIndiceNombres indice;
    std::ifstream f(archivo, std::ios::binary);
    const std::string imagen((std::istreambuf_iterator<char>(f)), {});
    if (!indice.Cargar(imagen) || indice.Nombres() == 0) {
        std::fprintf(stderr, "cannot load %s\n", archivo.c_str());
        return 1;
    }
    const std::vector<std::string> consultas = Consultas(indice, n);
    quirvex::cEnlaceIndice enlace(socket);
    enlace.SethWndMarco(1);
    enlace.tSrv_Timer();
    for (int i = 0; i < 200 && enlace.hWndTxtServidor() == 0; ++i) {
        if (enlace.Descriptor() < 0) enlace.tSrv_Timer();
        if (enlace.Descriptor() >= 0) quirvex::EsperarDescriptores({enlace.Descriptor()}, 100);
        enlace.LeerPendiente();
    }
    if (enlace.hWndTxtServidor() == 0) {
        std::fprintf(stderr, "no server answers on %s\n", socket.c_str());
        return 1;
    }
    std::vector<double> nuestras;
    std::uint64_t aciertos = 0;
    for (const std::string& q : consultas) {
        bool llego = false;
        enlace.alResultados = [&](std::int64_t, const quirvex::ResultadosIndice& r) {
            if (r.texto == q) {
                llego = true;
                aciertos += r.total;
            }
        };
        const auto t0 = Reloj::now();
        enlace.Enviar(quirvex::MSG_VENTANA_POPUP, 9);
        enlace.Enviar(quirvex::MSG_TAMANO_POPUP, 560 * 100000 + 320);
        enlace.Enviar(quirvex::MSG_SETTEXT, enlace.hWndTxtServidor(), q);
        enlace.Enviar(quirvex::MSG_BUSCAR, 0);
        while (!llego && enlace.Descriptor() >= 0) {
            quirvex::EsperarDescriptores({enlace.Descriptor()}, 1000);
            enlace.LeerPendiente();
        }
        nuestras.push_back(Ms(t0, Reloj::now()));
    }
    std::vector<double> suyas;
    for (const std::string& q : consultas) suyas.push_back(Plocate(db, q));
    const long rss = RssKb(pid);
    const double p50 = Percentil(nuestras, 0.5), p95 = Percentil(nuestras, 0.95);
    const double l50 = Percentil(suyas, 0.5), l95 = Percentil(suyas, 0.95);
    std::printf("queries %d (1-8 characters), hits in all %llu\n", n, static_cast<unsigned long long>(aciertos));
    std::printf("kartoserv send->results p50 %.3f ms  p95 %.3f ms   (target p95 <= 5 ms; %s)\n", p50, p95, Carga().c_str());
    PorLargo("kartoserv send->results", consultas, nuestras);
    std::printf("plocate -i -l 100 (process start included) p50 %.3f ms  p95 %.3f ms   (%s)\n", l50, l95, Carga().c_str());
    std::printf("ratio p50 %.3f  p95 %.3f   (target <= 0.5)\n", p50 / l50, p95 / l95);
    MemoriaPorNombre("of the server after loading its index and answering", rss, indice.Nombres());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> a(argv + 1, argv + argc);
    if (a.size() == 3 && a[0] == "generar") return Generar(a[1], std::atol(a[2].c_str()));
    if (a.size() == 3 && a[0] == "construir") return Construir(a[1], a[2]);
    if (a.size() == 2 && a[0] == "cargar") return Cargar(a[1]);
    if (a.size() == 4 && a[0] == "servidor") return Servidor(a[1], a[2], a[3]);
    if (a.size() == 3 && a[0] == "buscar") return Buscar(a[1], std::atoi(a[2].c_str()));
    if (a.size() == 6 && a[0] == "consultas") return Consultas(a[1], a[2], a[3], a[4], std::atoi(a[5].c_str()));
    std::fprintf(stderr, "usage: see the comment at the top of bench_indice.cpp\n");
    return 2;
}
