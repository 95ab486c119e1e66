#pragma once
// Which programs open which files: the desktop's own association data (default and
// recommended programs per file type, every installed program), and starting them.

#include <optional>
#include <string>
#include <vector>

namespace quirvex {

struct Aplicacion {
    std::string id;      // desktop file id, e.g. "org.example.Editor.desktop"
    std::string nombre;  // display name
    std::string comando; // command line template as the desktop file gives it
};

class Asociaciones {
public:
    virtual ~Asociaciones() = default;
    // The file's type as a MIME type name ("text/plain"); from its name and, when needed, content.
    virtual std::string TipoDe(const std::string& ruta) = 0;
    virtual std::optional<Aplicacion> PorDefecto(const std::string& tipo) = 0;
    // Recommended programs for the type, the last one used first.
    virtual std::vector<Aplicacion> Recomendadas(const std::string& tipo) = 0;
    virtual std::vector<Aplicacion> Todas() = 0;
    // Starts the program on the file without waiting; false when it could not be started.
    virtual bool Lanzar(const std::string& idAplicacion, const std::string& ruta) = 0;
    // Records the choice the way other desktop programs do, so the program is offered first
    // (and becomes the default when the type had none).
    virtual bool Recordar(const std::string& idAplicacion, const std::string& tipo) = 0;
};

Asociaciones& AsociacionesSistema();
void SetAsociaciones(Asociaciones* a);  // nullptr restores the real one

}  // namespace quirvex
