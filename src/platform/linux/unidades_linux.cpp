// The drive list on Linux: the mount table, with labels from /dev/disk/by-label and the
// removable flag from sysfs.

#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <fstream>
#include <map>
#include <sstream>
#include <string_view>

#include "platform/unidades.h"

namespace quirvex {
namespace {

// mountinfo writes space, tab, newline and backslash as \ooo.
std::string DesescaparOctal(std::string_view s) {
    std::string r;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size() &&
            s.substr(i + 1, 3).find_first_not_of("01234567") == std::string_view::npos) {
            r += static_cast<char>(std::stoi(std::string(s.substr(i + 1, 3)), nullptr, 8));
            i += 3;
        } else {
            r += s[i];
        }
    }
    return r;
}

// udev writes unsafe label characters as \xHH.
std::string DesescaparHex(std::string_view s) {
    std::string r;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] == 'x' &&
            std::isxdigit(static_cast<unsigned char>(s[i + 2])) &&
            std::isxdigit(static_cast<unsigned char>(s[i + 3]))) {
            r += static_cast<char>(std::stoi(std::string(s.substr(i + 2, 2)), nullptr, 16));
            i += 3;
        } else {
            r += s[i];
        }
    }
    return r;
}

std::string RutaReal(const std::string& ruta) {
    std::array<char, PATH_MAX> buf{};
    return realpath(ruta.c_str(), buf.data()) ? std::string(buf.data()) : ruta;
}

// Device path -> file-system label.
std::map<std::string, std::string> EtiquetasPorDispositivo() {
    std::map<std::string, std::string> r;
    const std::string carpeta = "/dev/disk/by-label/";
    DIR* d = opendir(carpeta.c_str());
    if (!d) return r;
    while (const dirent* e = readdir(d)) {
        if (e->d_name[0] == '.') continue;
        r[RutaReal(carpeta + e->d_name)] = DesescaparHex(e->d_name);
    }
    closedir(d);
    return r;
}

bool EsExtraible(const std::string& dispositivo) {
    const auto barra = dispositivo.rfind('/');
    if (dispositivo.rfind("/dev/", 0) != 0 || barra == std::string::npos) return false;
    std::string sys = RutaReal("/sys/class/block/" + dispositivo.substr(barra + 1));
    if (access((sys + "/partition").c_str(), F_OK) == 0) sys = sys.substr(0, sys.rfind('/'));
    std::ifstream f(sys + "/removable");
    int v = 0;
    return (f >> v) && v == 1;
}

bool EsPseudo(std::string_view tipo) {
    static constexpr std::array<std::string_view, 24> kPseudo = {
        "proc",      "sysfs",      "cgroup",  "cgroup2",  "devpts",      "mqueue",
        "debugfs",   "tracefs",    "securityfs", "pstore", "bpf",        "configfs",
        "fusectl",   "hugetlbfs",  "autofs",  "binfmt_misc", "devtmpfs", "efivarfs",
        "nsfs",      "rpc_pipefs", "squashfs", "ramfs_sys", "fuse.gvfsd-fuse", "fuse.portal"};
    for (auto p : kPseudo)
        if (tipo == p) return true;
    return false;
}

// System folders whose mounts are plumbing, not places a user keeps files.
bool EsRutaDeSistema(std::string_view punto) {
    for (std::string_view p : {"/proc", "/sys", "/dev", "/run", "/snap", "/boot/efi"}) {
        if (punto.rfind(p, 0) == 0 && (punto.size() == p.size() || punto[p.size()] == '/'))
            return !(punto.rfind("/run/media/", 0) == 0);
    }
    return false;
}

int TipoDe(const std::string& tipoSistema, const std::string& dispositivo) {
    for (std::string_view t :
         {"nfs", "nfs4", "cifs", "smb3", "smbfs", "sshfs", "fuse.sshfs", "9p", "davfs",
          "fuse.davfs", "fuse.rclone"})
        if (tipoSistema == t) return UNIDAD_REMOTA;
    if (tipoSistema == "iso9660" || tipoSistema == "udf") return UNIDAD_OPTICA;
    if (tipoSistema == "tmpfs" || tipoSistema == "ramfs") return UNIDAD_RAM;
    if (EsExtraible(dispositivo)) return UNIDAD_EXTRAIBLE;
    return UNIDAD_FIJA;
}

bool EsCarpeta(const std::string& ruta) {
    struct stat st {};
    return stat(ruta.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

class UnidadesLinux final : public Unidades {
public:
    std::vector<Volumen> Listar() override {
        std::ifstream f("/proc/self/mountinfo");
        std::vector<Volumen> vols;
        std::map<std::string, size_t> porPunto;
        const auto etiquetas = EtiquetasPorDispositivo();
        std::string linea;
        while (std::getline(f, linea)) {
            auto v = Leer(linea);
            if (!v || EsPseudo(v->tipoSistema) || EsRutaDeSistema(v->puntoMontaje)) continue;
            if (!EsCarpeta(v->puntoMontaje)) continue;  // bind-mounted files
            auto et = etiquetas.find(RutaReal(v->dispositivo));
            if (et != etiquetas.end()) v->etiqueta = et->second;
            v->tipo = TipoDe(v->tipoSistema, v->dispositivo);
            if (v->puntoMontaje.back() != '/') v->puntoMontaje += '/';
            // A later mount on the same point hides the earlier one.
            auto [it, nuevo] = porPunto.emplace(v->puntoMontaje, vols.size());
            if (nuevo)
                vols.push_back(std::move(*v));
            else
                vols[it->second] = std::move(*v);
        }
        std::stable_partition(vols.begin(), vols.end(),
                              [](const Volumen& v) { return v.puntoMontaje == "/"; });
        return vols;
    }

    std::int64_t EspacioLibre(const std::string& ruta) override {
        struct statvfs s {};
        if (statvfs(ruta.c_str(), &s) != 0) return -1;
        return static_cast<std::int64_t>(s.f_bfree) * static_cast<std::int64_t>(s.f_frsize);
    }

    std::int64_t EspacioTotal(const std::string& ruta) override {
        struct statvfs s {};
        if (statvfs(ruta.c_str(), &s) != 0) return -1;
        return static_cast<std::int64_t>(s.f_blocks) * static_cast<std::int64_t>(s.f_frsize);
    }

private:
    // "id parent maj:min root mountpoint options [optional...] - fstype source superoptions"
    static std::optional<Volumen> Leer(const std::string& linea) {
        std::istringstream in(linea);
        std::string id, padre, numeros, raiz, punto, opciones, campo;
        if (!(in >> id >> padre >> numeros >> raiz >> punto >> opciones)) return std::nullopt;
        while (in >> campo && campo != "-") {
        }
        Volumen v;
        if (!(in >> v.tipoSistema >> v.dispositivo)) return std::nullopt;
        v.puntoMontaje = DesescaparOctal(punto);
        v.dispositivo = DesescaparOctal(v.dispositivo);
        return v;
    }
};

Unidades* g_reemplazo = nullptr;

}  // namespace

Unidades& UnidadesSistema() {
    static UnidadesLinux real;
    return g_reemplazo ? *g_reemplazo : real;
}

void SetUnidades(Unidades* unidades) { g_reemplazo = unidades; }

}  // namespace quirvex
