// The kartoserv program as the desktop starts it: two started at once leave one running and the
// other gone with success, and a termination signal ends the one that runs cleanly.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "search/enlace_indice.h"
#include "search/indice_nombres.h"
#include "support/carpeta_temporal.h"

namespace quirvex::prueba {
namespace {

namespace fs = std::filesystem;

bool Esperar(const std::function<bool()>& condicion, int segundos = 10) {
    const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(segundos);
    while (!condicion()) {
        if (std::chrono::steady_clock::now() > limite) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

std::string Leer(const std::string& ruta) {
    std::ifstream f(ruta, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(f)), {});
}

// A kartoserv of its own (or a program that runs it), killed if a test leaves it running.
class Proceso {
public:
    explicit Proceso(const std::vector<std::string>& args, std::string programa = QUIRVEX_KARTOSERV) {
        pid_ = fork();
        if (pid_ == 0) {
            std::vector<char*> argv;
            argv.push_back(programa.data());
            std::vector<std::string> copia = args;
            for (std::string& a : copia) argv.push_back(a.data());
            argv.push_back(nullptr);
            freopen("/dev/null", "w", stderr);
            execv(programa.c_str(), argv.data());
            _exit(127);
        }
    }
    ~Proceso() {
        if (pid_ > 0 && !terminado_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    pid_t Pid() const { return pid_; }
    // True once it ended; `estado` gets its wait status.
    bool Terminado() {
        if (!terminado_ && waitpid(pid_, &estado_, WNOHANG) == pid_) terminado_ = true;
        return terminado_;
    }
    int Estado() const { return estado_; }

private:
    pid_t pid_ = -1;
    bool terminado_ = false;
    int estado_ = 0;
};

TEST(Kartoserv, TwoStartedTogetherLeaveOneAndASignalEndsItCleanly) {
    CarpetaTemporal tmp, arbol;
    arbol.Archivo("docs/unico.txt");
    const std::string enlace = tmp.Ruta("MapServiceQx"), indice = tmp.Ruta("cache/k.map");
    auto args = [&](const char* log) {
        return std::vector<std::string>{"--root", arbol.Ruta(), "--index", indice, "--socket", enlace,
                                        "--log", tmp.Ruta(log), "--normal-priority"};
    };
    Proceso a(args("a.log")), b(args("b.log"));
    ASSERT_TRUE(Esperar([&] { return a.Terminado() || b.Terminado(); }));
    Proceso& fuera = a.Terminado() ? a : b;
    Proceso& sigue = a.Terminado() ? b : a;
    EXPECT_TRUE(WIFEXITED(fuera.Estado()) && WEXITSTATUS(fuera.Estado()) == 0) << fuera.Estado();
    const std::string log = Leer(tmp.Ruta(&fuera == &a ? "a.log" : "b.log"));
    EXPECT_NE(log.find("another index server (process " + std::to_string(sigue.Pid()) + ")"), std::string::npos)
        << log;
    std::optional<ResultadosIndice> r;
    ASSERT_TRUE(Esperar([&] { return (r = ConsultarServidorIndice("unico", 1000, enlace)).has_value(); }));
    EXPECT_EQ(r->total, 1u);
    EXPECT_FALSE(sigue.Terminado());

    // Ctrl-C, then SIGTERM for the next one, which starts from what the first saved.
    auto parar = [&](Proceso& p, int senal) {
        ASSERT_EQ(kill(p.Pid(), senal), 0);
        ASSERT_TRUE(Esperar([&] { return p.Terminado(); }, 5)) << "signal " << senal;
        EXPECT_TRUE(WIFEXITED(p.Estado()) && WEXITSTATUS(p.Estado()) == 0) << p.Estado();
        EXPECT_FALSE(fs::exists(enlace));
        cIndiceNombres guardado;
        EXPECT_TRUE(guardado.Cargar(Leer(indice)));
        EXPECT_EQ(guardado.Nombres(), 2u);
    };
    parar(sigue, SIGINT);
    Proceso c(args("c.log"));
    ASSERT_TRUE(Esperar([&] { return ConsultarServidorIndice("unico", 1000, enlace).has_value(); }));
    parar(c, SIGTERM);
    EXPECT_NE(Leer(tmp.Ruta("c.log")).find("loaded 2 names"), std::string::npos) << Leer(tmp.Ruta("c.log"));
}

// What the systemd socket unit does, done by systemd's own tool: the socket is made by the
// service manager, the server is started on the first connection and takes the socket over,
// answers on it, and leaves it in place when it ends (the manager listens on it again).
TEST(Kartoserv, StartedBySocketActivationItAnswersOnTheSocketItIsGiven) {
    const std::string activador = "/usr/bin/systemd-socket-activate";
    if (access(activador.c_str(), X_OK) != 0) GTEST_SKIP() << "no systemd-socket-activate";
    CarpetaTemporal tmp, arbol;
    arbol.Archivo("activado.txt");
    const std::string enlace = tmp.Ruta("MapServiceQx");
    Proceso p({"-l", enlace, QUIRVEX_KARTOSERV, "--root", arbol.Ruta(), "--index", tmp.Ruta("k.map"), "--socket",
               enlace, "--log", tmp.Ruta("k.log"), "--normal-priority"},
              activador);
    ASSERT_TRUE(Esperar([&] { return fs::exists(enlace); }));
    std::optional<ResultadosIndice> r;
    ASSERT_TRUE(Esperar([&] { return (r = ConsultarServidorIndice("activado", 1000, enlace)).has_value(); }));
    EXPECT_EQ(r->total, 1u);
    const std::string log = Leer(tmp.Ruta("k.log"));
    EXPECT_NE(log.find("handed over"), std::string::npos) << log;
    ASSERT_EQ(kill(p.Pid(), SIGTERM), 0);
    ASSERT_TRUE(Esperar([&] { return p.Terminado(); }, 5));
    EXPECT_TRUE(WIFEXITED(p.Estado()) && WEXITSTATUS(p.Estado()) == 0) << p.Estado();
    EXPECT_TRUE(fs::exists(enlace));
}

// The processor time (user and system, in clock ticks) a process has used so far.
long long TiempoProcesador(pid_t pid) {
    const std::string stat = Leer("/proc/" + std::to_string(pid) + "/stat");
    const std::size_t fin = stat.rfind(')');
    if (fin == std::string::npos) return -1;
    std::istringstream campos(stat.substr(fin + 2));
    std::string x;
    long long utime = 0, stime = 0;
    for (int i = 3; i <= 13; ++i) campos >> x;  // state .. cmajflt
    campos >> utime >> stime;
    return utime + stime;
}

// Out of file descriptors, a waiting connection cannot be taken and the socket stays readable:
// the server leaves it alone for a while instead of trying again at once, and says so.
TEST(Kartoserv, OutOfFileDescriptorsItWaitsInsteadOfSpinning) {
    const std::string prlimit = "/usr/bin/prlimit";
    if (access(prlimit.c_str(), X_OK) != 0) GTEST_SKIP() << "no prlimit";
    CarpetaTemporal tmp, arbol;
    arbol.Archivo("uno.txt");
    const std::string enlace = tmp.Ruta("MapServiceQx");
    Proceso p({"--nofile=24", QUIRVEX_KARTOSERV, "--root", arbol.Ruta(), "--index", tmp.Ruta("k.map"), "--socket",
               enlace, "--log", tmp.Ruta("k.log"), "--normal-priority", "--no-watch"},
              prlimit);
    ASSERT_TRUE(Esperar([&] { return ConsultarServidorIndice("uno", 1000, enlace).has_value(); }));
    std::vector<std::unique_ptr<ConexionLocal>> abiertas;
    for (int i = 0; i < 40; ++i)
        if (auto c = ConectarLocal(enlace)) abiertas.push_back(std::move(c));
    ASSERT_TRUE(Esperar([&] { return Leer(tmp.Ruta("k.log")).find("out of file descriptors") != std::string::npos; }))
        << Leer(tmp.Ruta("k.log"));
    // Two seconds of a spinning loop take two seconds of processor time; waiting takes almost none.
    const long long antes = TiempoProcesador(p.Pid());
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const long long usado = TiempoProcesador(p.Pid()) - antes;
    EXPECT_LT(usado, sysconf(_SC_CLK_TCK) / 2) << "ticks used in 2 s";
    EXPECT_FALSE(p.Terminado());
}

}  // namespace
}  // namespace quirvex::prueba
