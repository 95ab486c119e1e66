#pragma once
// The mounted volumes of the machine, as the drive list shows them.

#include <cstdint>
#include <string>
#include <vector>

namespace quirvex {

// Drive types, with the values the icons and headers rely on.
inline constexpr int UNIDAD_FIJA = 3;
inline constexpr int UNIDAD_REMOTA = 4;
inline constexpr int UNIDAD_OPTICA = 5;
inline constexpr int UNIDAD_RAM = 6;
inline constexpr int UNIDAD_EXTRAIBLE = 7;

struct Volumen {
    std::string puntoMontaje;  // ends with '/'
    std::string tipoSistema;   // file-system type as the mount table names it
    std::string dispositivo;   // mount source
    std::string etiqueta;      // file-system label, empty when it has none
    int tipo = UNIDAD_FIJA;
};

class Unidades {
public:
    virtual ~Unidades() = default;
    // Volumes worth showing, "/" first, pseudo file systems left out.
    virtual std::vector<Volumen> Listar() = 0;
    // Free bytes of the volume (every free block, the ones kept for the administrator
    // included) and total bytes; -1 when unknown.
    virtual std::int64_t EspacioLibre(const std::string& ruta) = 0;
    virtual std::int64_t EspacioTotal(const std::string& ruta) = 0;
};

Unidades& UnidadesSistema();
void SetUnidades(Unidades* unidades);  // nullptr restores the real one

}  // namespace quirvex
