#include "support/carpeta_temporal.h"

#include <chrono>
#include <fstream>
#include <random>
#include <stdexcept>

namespace quirvex::prueba {

namespace fs = std::filesystem;

CarpetaTemporal::CarpetaTemporal() {
    std::random_device rd;
    for (int intento = 0; intento < 100; ++intento) {
        const fs::path p = fs::temp_directory_path() / ("quirvex-test-" + std::to_string(rd()));
        if (fs::create_directory(p)) {
            raiz_ = p;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

CarpetaTemporal::~CarpetaTemporal() {
    std::error_code ec;
    // Tests may leave folders without permissions behind; give them back before removing.
    for (auto it = fs::recursive_directory_iterator(raiz_, ec); !ec && it != fs::end(it);
         it.increment(ec)) {
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::remove_all(raiz_, ec);
}

std::string CarpetaTemporal::Archivo(const std::string& relativa, std::uintmax_t tamano) const {
    const fs::path p = raiz_ / relativa;
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary).flush();
    if (tamano) fs::resize_file(p, tamano);
    return p.string();
}

std::string CarpetaTemporal::ArchivoConTexto(const std::string& relativa,
                                             const std::string& texto) const {
    const fs::path p = raiz_ / relativa;
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << texto;
    return p.string();
}

std::string CarpetaTemporal::Carpeta(const std::string& relativa) const {
    const fs::path p = raiz_ / relativa;
    fs::create_directories(p);
    return p.string() + "/";
}

void CarpetaTemporal::FijarFecha(const std::string& relativa, std::int64_t segundos) const {
    using namespace std::chrono;
    const auto t = file_clock::from_sys(sys_seconds(seconds(segundos)));
    fs::last_write_time(raiz_ / relativa, t);
}

}  // namespace quirvex::prueba
