// kartoserv: the index server behind the quick search. Keeps a map of every file and folder name
// on the local volumes, keeps it current, and answers the frame over the local socket.

#include <chrono>
#include <filesystem>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "platform/enlace_local.h"
#include "search/servidor_indice.h"

namespace {

constexpr const char* kAyuda =
    "Usage: kartoserv [OPTION]...\n"
    "The index server of Quirvex's quick search: indexes the names of every file and folder on\n"
    "the local volumes, keeps the index current, and answers Quirvex over the local socket\n"
    "$XDG_RUNTIME_DIR/MapServiceQx. Ends cleanly on SIGTERM, SIGINT or SIGHUP.\n"
    "\n"
    "  --root DIR       index DIR instead of the local volumes (may be repeated)\n"
    "  --index FILE     keep the index in FILE (default $XDG_CACHE_HOME/Ubrel/kartoserv.map)\n"
    "  --log FILE       append the log to FILE (default: beside the index, kartoserv.log)\n"
    "  --socket PATH    listen on PATH instead of $XDG_RUNTIME_DIR/MapServiceQx\n"
    "  --rescan SECONDS look at the folders that are not watched this often (default 60)\n"
    "  --no-watch       do not watch folders; rely on the rescans only\n"
    "  --normal-priority  keep the normal processor and disk priority (the default is idle)\n"
    "  -h, --help       show this help and exit\n"
    "  --version        print the version and exit\n";

std::FILE* gLog = nullptr;

void Registrar(const std::string& linea) {
    const std::time_t t = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    char hora[32];
    std::strftime(hora, sizeof hora, "%Y-%m-%d %H:%M:%S", std::localtime(&t));
    std::fprintf(stderr, "kartoserv: %s\n", linea.c_str());
    if (gLog) {
        std::fprintf(gLog, "%s %s\n", hora, linea.c_str());
        std::fflush(gLog);
    }
}

int Uso(const std::string& problema) {
    std::fprintf(stderr, "kartoserv: %s\nTry 'kartoserv --help'.\n", problema.c_str());
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    quirvex::OpcionesServidor op;
    std::string log;
    bool ociosa = true;
    std::vector<std::string_view> args(argv + 1, argv + argc);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        auto valor = [&](std::string& destino) {
            if (i + 1 >= args.size()) return false;
            destino = args[++i];
            return true;
        };
        std::string v;
        if (a == "--help" || a == "-h") {
            std::fputs(kAyuda, stdout);
            return 0;
        } else if (a == "--version") {
            std::printf("kartoserv %d.%d.%d\n", QUIRVEX_VERSION_MAJOR, QUIRVEX_VERSION_MINOR,
                        QUIRVEX_VERSION_PATCH);
            return 0;
        } else if (a == "--root") {
            if (!valor(v) || v.empty() || v.front() != '/') return Uso("--root needs an absolute folder");
            op.raices.push_back(v);
        } else if (a == "--index") {
            if (!valor(op.archivoIndice)) return Uso("--index needs a file");
        } else if (a == "--log") {
            if (!valor(log)) return Uso("--log needs a file");
        } else if (a == "--socket") {
            if (!valor(op.rutaEnlace)) return Uso("--socket needs a path");
        } else if (a == "--rescan") {
            char* fin = nullptr;
            if (!valor(v)) return Uso("--rescan needs a number of seconds");
            const long s = std::strtol(v.c_str(), &fin, 10);
            if (*fin != 0 || s < 1 || s > 86400) return Uso("--rescan needs 1 to 86400 seconds");
            op.revisarCadaMs = static_cast<int>(s * 1000);
        } else if (a == "--no-watch") {
            op.vigilar = false;
        } else if (a == "--normal-priority") {
            ociosa = false;
        } else {
            return Uso("unknown option '" + std::string(a) + "'");
        }
    }
    if (op.archivoIndice.empty()) op.archivoIndice = quirvex::ArchivoIndicePorDefecto();
    if (log.empty()) log = op.archivoIndice.substr(0, op.archivoIndice.rfind('/') + 1) + "kartoserv.log";
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(log).parent_path(), ec);
    gLog = std::fopen(log.c_str(), "a");
    op.registro = Registrar;
    // Indexing a disk is background work: the user's programs come first.
    if (ociosa && !quirvex::PrioridadOciosa()) Registrar("cannot lower the priority; running at the normal one");

    // Signals are routed to a descriptor before anything else, so a SIGTERM during the first
    // build still ends the run through the clean path.
    op.descriptorSenales = quirvex::DescriptorSenalesTerminar();
    quirvex::cServidorIndice servidor(op);
    std::string error;
    if (!servidor.Preparar(error)) {
        Registrar(error);
        // Another server doing the work, or a stop asked for: both are what the user wanted.
        return servidor.OtroServidor() != 0 || servidor.Detenido() ? 0 : 1;
    }
    servidor.Ejecutar();
    Registrar("closed");
    if (gLog) std::fclose(gLog);
    return 0;
}
