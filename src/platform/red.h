#pragma once
// The local network as groups of computers with their shares.

#include <string>
#include <vector>

namespace quirvex {

struct ComputadoraRed {
    std::string nombre;
    std::vector<std::string> recursos;  // share names
    // "//host[:port]" when the computer is not reached by its name: one announced over mDNS
    // (its address and port), or this machine through loopback.
    std::string ruta = {};
};

// Where a computer's shares are: "//" + its name unless it has a path of its own.
inline std::string RutaComputadora(const ComputadoraRed& c) {
    return c.ruta.empty() ? "//" + c.nombre : c.ruta;
}

struct GrupoRed {
    std::string nombre;
    std::vector<ComputadoraRed> computadoras;
};

class Red {
public:
    virtual ~Red() = default;
    // The whole network; empty when it cannot be browsed.
    virtual std::vector<GrupoRed> Listar() = 0;
};

Red& RedSistema();
void SetRed(Red* red);  // nullptr restores the real one

}  // namespace quirvex
