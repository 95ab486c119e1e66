// Volume data on Linux: the last mount on the point in /proc/self/mountinfo, the device's
// label and UUID from udev's /dev/disk links or else from the device itself (libblkid), the
// space from statvfs.

#include <blkid/blkid.h>
#include <dirent.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/statvfs.h>

#include <array>
#include <cctype>
#include <fstream>
#include <sstream>
#include <string_view>

#include "platform/datos_volumen.h"

namespace quirvex {
namespace {

// mountinfo writes space, tab, newline and backslash as \ooo; udev writes unsafe characters
// of link names as \xHH.
std::string Desescapar(std::string_view s) {
    std::string r;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size()) {
            const std::string_view tres = s.substr(i + 1, 3);
            if (tres.size() == 3 && tres.find_first_not_of("01234567") == std::string_view::npos) {
                r += static_cast<char>(std::stoi(std::string(tres), nullptr, 8));
                i += 3;
                continue;
            }
            if (tres.size() == 3 && tres[0] == 'x' && std::isxdigit(static_cast<unsigned char>(tres[1])) &&
                std::isxdigit(static_cast<unsigned char>(tres[2]))) {
                r += static_cast<char>(std::stoi(std::string(tres.substr(1)), nullptr, 16));
                i += 3;
                continue;
            }
        }
        r += s[i];
    }
    return r;
}

std::string RutaReal(const std::string& ruta) {
    std::array<char, PATH_MAX> buf{};
    return realpath(ruta.c_str(), buf.data()) ? std::string(buf.data()) : std::string();
}

// The name of the link in `carpeta` that leads to `dispositivo`, unescaped; empty when none.
std::string NombreEnlaceA(const std::string& carpeta, const std::string& dispositivo) {
    if (dispositivo.empty()) return {};
    DIR* d = opendir(carpeta.c_str());
    if (!d) return {};
    std::string nombre;
    while (const dirent* e = readdir(d)) {
        if (e->d_name[0] == '.') continue;
        if (RutaReal(carpeta + e->d_name) == dispositivo) {
            nombre = Desescapar(e->d_name);
            break;
        }
    }
    closedir(d);
    return nombre;
}

// One value of a probe that succeeded; empty when the file system has none.
std::string ValorSonda(blkid_probe sonda, const char* nombre) {
    const char* valor = nullptr;
    size_t largo = 0;
    if (blkid_probe_lookup_value(sonda, nombre, &valor, &largo) != 0 || !valor) return {};
    std::string r(valor, largo);
    while (!r.empty() && r.back() == '\0') r.pop_back();  // the length counts the final NUL
    return r;
}

class DatosVolumenLinux final : public DatosVolumen {
public:
    InfoVolumen Leer(const std::string& puntoMontaje) override {
        std::string punto = puntoMontaje;
        while (punto.size() > 1 && punto.back() == '/') punto.pop_back();
        InfoVolumen v;
        std::string dispositivo;
        std::ifstream f("/proc/self/mountinfo");
        std::string linea;
        // "id parent maj:min root mountpoint options [optional...] - fstype source superoptions";
        // a later mount on the same point hides the earlier one.
        while (std::getline(f, linea)) {
            std::istringstream in(linea);
            std::string id, padre, numeros, raiz, p, opciones, campo, tipo, fuente;
            if (!(in >> id >> padre >> numeros >> raiz >> p >> opciones)) continue;
            if (Desescapar(p) != punto) continue;
            while (in >> campo && campo != "-") {
            }
            if (!(in >> tipo >> fuente)) continue;
            v.montado = true;
            v.sistema = tipo;
            dispositivo = Desescapar(fuente);
        }
        if (!v.montado) return v;
        const std::string real = dispositivo.rfind("/dev/", 0) == 0 ? RutaReal(dispositivo) : "";
        v.etiqueta = NombreEnlaceA("/dev/disk/by-label/", real);
        v.uuid = NombreEnlaceA("/dev/disk/by-uuid/", real);
        // No link names the UUID (every file system with one has one): udev made none for it.
        if (v.uuid.empty() && !real.empty()) {
            InfoVolumen sondeo;
            if (SondearVolumen(real, sondeo)) {
                if (v.etiqueta.empty()) v.etiqueta = sondeo.etiqueta;
                v.uuid = sondeo.uuid;
                if (v.sistema.empty() || v.sistema == "fuseblk") v.sistema = sondeo.sistema;
            }
        }
        struct statvfs s {};
        if (statvfs(punto.c_str(), &s) == 0) {
            const auto bloque = static_cast<std::int64_t>(s.f_frsize);
            v.total = static_cast<std::int64_t>(s.f_blocks) * bloque;
            v.libre = static_cast<std::int64_t>(s.f_bfree) * bloque;
        }
        return v;
    }
};

DatosVolumen* g_reemplazo = nullptr;

}  // namespace

bool SondearVolumen(const std::string& dispositivo, InfoVolumen& v) {
    blkid_probe sonda = blkid_new_probe_from_filename(dispositivo.c_str());
    if (!sonda) return false;
    blkid_probe_enable_superblocks(sonda, 1);
    blkid_probe_set_superblocks_flags(sonda, BLKID_SUBLKS_LABEL | BLKID_SUBLKS_UUID | BLKID_SUBLKS_TYPE);
    const bool hallado = blkid_do_safeprobe(sonda) == 0;
    if (hallado) {
        v.etiqueta = ValorSonda(sonda, "LABEL");
        v.uuid = ValorSonda(sonda, "UUID");
        v.sistema = ValorSonda(sonda, "TYPE");
    }
    blkid_free_probe(sonda);
    return hallado;
}

DatosVolumen& DatosVolumenSistema() {
    static DatosVolumenLinux real;
    return g_reemplazo ? *g_reemplazo : real;
}

void SetDatosVolumen(DatosVolumen* datos) { g_reemplazo = datos; }

}  // namespace quirvex
