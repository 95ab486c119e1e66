// The trash on Linux, laid out as the desktop's other programs expect it: the home trash for the
// volume that holds $XDG_DATA_HOME, and per volume $topdir/.Trash/$uid (only when .Trash is a
// real, sticky folder) or $topdir/.Trash-$uid.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "platform/archivos_nuevos.h"
#include "platform/papelera.h"

namespace quirvex {
namespace {

struct CarpetaPapelera {
    std::string raiz;    // TRASH, without a trailing '/'
    std::string tope;    // the volume's top folder for relative records; empty for the home trash
};

std::string SinBarraFinal(std::string r) {
    while (r.size() > 1 && r.back() == '/') r.pop_back();
    return r;
}

std::string Padre(const std::string& ruta) {
    const auto p = ruta.find_last_of('/');
    if (p == std::string::npos) return ".";
    return p == 0 ? "/" : ruta.substr(0, p);
}

std::string DatosUsuario() {
    if (const char* d = std::getenv("XDG_DATA_HOME"); d && *d == '/') return SinBarraFinal(d);
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/") + "/.local/share";
}

std::optional<dev_t> Dispositivo(const std::string& ruta) {
    struct stat st {};
    if (::lstat(ruta.c_str(), &st) != 0) return std::nullopt;
    return st.st_dev;
}

// A folder of ours: a real folder (not a link) owned by this user.
bool CarpetaPropia(const std::string& ruta) {
    struct stat st {};
    return ::lstat(ruta.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid();
}

// mkdir -p with private folders; true when `ruta` is a folder afterwards.
bool CrearCarpetas(const std::string& ruta) {
    struct stat st {};
    if (::lstat(ruta.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    if (ruta.empty() || ruta == "/") return false;
    if (!CrearCarpetas(Padre(ruta))) return false;
    return ::mkdir(ruta.c_str(), 0700) == 0 || errno == EEXIST;
}

// The highest folder of the volume that holds `ruta`.
std::string Tope(const std::string& ruta, dev_t dispositivo) {
    std::string actual = Padre(ruta);
    while (actual != "/") {
        const std::string arriba = Padre(actual);
        const auto d = Dispositivo(arriba);
        if (!d || *d != dispositivo) break;
        actual = arriba;
    }
    return actual;
}

// files/ and info/ inside a trash folder that passed its checks.
bool Preparar(const std::string& raiz) {
    for (const char* sub : {"/files", "/info"}) {
        const std::string r = raiz + sub;
        if (::mkdir(r.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (!CarpetaPropia(r)) return false;
    }
    return true;
}

std::optional<CarpetaPapelera> PapeleraDeVolumen(const std::string& tope) {
    const std::string base = tope == "/" ? "" : tope;
    const std::string uid = std::to_string(::getuid());
    // A shared .Trash the administrator made: usable only when it is a real, sticky folder.
    struct stat st {};
    const std::string compartida = base + "/.Trash";
    if (::lstat(compartida.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX)) {
        const std::string propia = compartida + "/" + uid;
        if ((::mkdir(propia.c_str(), 0700) == 0 || errno == EEXIST) && CarpetaPropia(propia) && Preparar(propia))
            return CarpetaPapelera{propia, tope};
    }
    const std::string propia = base + "/.Trash-" + uid;
    if ((::mkdir(propia.c_str(), 0700) == 0 || errno == EEXIST) && CarpetaPropia(propia) && Preparar(propia))
        return CarpetaPapelera{propia, tope};
    return std::nullopt;
}

std::optional<CarpetaPapelera> PapeleraDe(const std::string& ruta) {
    const auto dispositivo = Dispositivo(ruta);
    if (!dispositivo) return std::nullopt;
    const std::string datos = DatosUsuario();
    const std::string casa = datos + "/Trash";
    if (CrearCarpetas(datos) && Dispositivo(datos) == dispositivo) {
        if ((::mkdir(casa.c_str(), 0700) == 0 || errno == EEXIST) && CarpetaPropia(casa) && Preparar(casa))
            return CarpetaPapelera{casa, {}};
        return std::nullopt;
    }
    return PapeleraDeVolumen(Tope(ruta, *dispositivo));
}

std::string FechaLocal() {
    const std::time_t ahora = std::time(nullptr);
    std::tm local {};
    ::localtime_r(&ahora, &local);
    char texto[32];
    std::strftime(texto, sizeof texto, "%Y-%m-%dT%H:%M:%S", &local);
    return texto;
}

std::string NombreDe(const std::string& ruta) {
    const auto p = ruta.find_last_of('/');
    return p == std::string::npos ? ruta : ruta.substr(p + 1);
}

// Writes the whole record under a name no record has yet (O_EXCL): the name is ours from here.
int EscribirRegistro(const std::string& ruta, const std::string& texto) {
    const int fd = ::open(ruta.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return errno;
    std::size_t hecho = 0;
    int error = 0;
    while (hecho < texto.size()) {
        const ssize_t n = ::write(fd, texto.data() + hecho, texto.size() - hecho);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = n < 0 ? errno : EIO;
            break;
        }
        hecho += static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error != 0) ::unlink(ruta.c_str());
    return error;
}

class PapeleraPosix final : public Papelera {
public:
    bool Disponible(const std::string& ruta) override { return PapeleraDe(SinBarraFinal(ruta)).has_value(); }

    int Mover(const std::string& rutaDada, ElementoPapelera& hecho) override {
        const std::string ruta = SinBarraFinal(rutaDada);
        const auto papelera = PapeleraDe(ruta);
        if (!papelera) return ENOTSUP;
        std::string registro = ruta;
        if (!papelera->tope.empty() && papelera->tope != "/")
            registro = ruta.substr(papelera->tope.size() + 1);
        else if (papelera->tope == "/")
            registro = ruta.substr(1);
        const std::string texto = TextoTrashinfo(registro, FechaLocal());
        const std::string nombre = NombreDe(ruta);
        for (int n = 1; n < 10000; ++n) {
            const std::string enPapelera = n == 1 ? nombre : nombre + "." + std::to_string(n);
            const std::string info = papelera->raiz + "/info/" + enPapelera + ".trashinfo";
            const std::string archivo = papelera->raiz + "/files/" + enPapelera;
            const int error = EscribirRegistro(info, texto);
            if (error == EEXIST) continue;
            if (error != 0) return error;
            const int movido = ArchivosNuevosSistema().RenombrarSinReemplazar(ruta, archivo);
            if (movido == 0) {
                hecho = {ruta, archivo, info};
                return 0;
            }
            ::unlink(info.c_str());
            if (movido != EEXIST) return movido;
        }
        return EEXIST;
    }

    int Restaurar(const ElementoPapelera& e) override {
        const int error = ArchivosNuevosSistema().RenombrarSinReemplazar(e.archivo, e.original);
        if (error == 0) ::unlink(e.info.c_str());
        return error;
    }
};

}  // namespace

Papelera& PapeleraLinux() {
    static PapeleraPosix papelera;
    return papelera;
}

}  // namespace quirvex
