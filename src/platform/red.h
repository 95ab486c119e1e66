#pragma once
// The local network as groups of computers with their shares.

#include <string>
#include <vector>

namespace quirvex {

struct ComputadoraRed {
    std::string nombre;
    std::vector<std::string> recursos;  // share names
};

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
