#pragma once
// A folder in the system's temporary directory that removes itself, with helpers to fill it.

#include <cstdint>
#include <filesystem>
#include <string>

namespace quirvex::prueba {

class CarpetaTemporal {
public:
    CarpetaTemporal();
    ~CarpetaTemporal();
    CarpetaTemporal(const CarpetaTemporal&) = delete;
    CarpetaTemporal& operator=(const CarpetaTemporal&) = delete;

    // The folder's path with a trailing '/'.
    std::string Ruta() const { return raiz_.string() + "/"; }
    std::string Ruta(const std::string& relativa) const { return Ruta() + relativa; }

    // Creates a file (and its parent folders) of `tamano` bytes; sparse, so large sizes are cheap.
    std::string Archivo(const std::string& relativa, std::uintmax_t tamano = 0) const;
    std::string ArchivoConTexto(const std::string& relativa, const std::string& texto) const;
    std::string Carpeta(const std::string& relativa) const;
    // Sets the last-write time to the given seconds since 1970.
    void FijarFecha(const std::string& relativa, std::int64_t segundos) const;

private:
    std::filesystem::path raiz_;
};

}  // namespace quirvex::prueba
