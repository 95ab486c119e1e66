// The network list: the workgroup browse of the SMB service, and the computers the user reached
// by path during this run (a server on a network without a browse master, or on another port),
// each with its shares as it lists them now.

#include "platform/red.h"
#include "platform/smb.h"

namespace quirvex {
namespace {

class RedSmb final : public Red {
public:
    std::vector<GrupoRed> Listar() override {
        std::vector<GrupoRed> grupos = Smb().ExplorarRed();
        GrupoRed visitados;
        for (const std::string& equipo : EquiposVisitados()) {
            const std::string nombre = equipo.substr(2);
            bool conocido = false;
            for (const GrupoRed& g : grupos)
                for (const ComputadoraRed& c : g.computadoras) conocido = conocido || c.nombre == nombre;
            if (conocido) continue;
            // A computer that no longer answers is left out, as the browse would leave it.
            std::vector<EntradaSmb> recursos;
            if (Smb().Listar(equipo + "/", recursos) != 0) continue;
            ComputadoraRed c{nombre, {}};
            for (EntradaSmb& r : recursos) c.recursos.push_back(std::move(r.nombre));
            visitados.computadoras.push_back(std::move(c));
        }
        if (!visitados.computadoras.empty()) grupos.push_back(std::move(visitados));
        return grupos;
    }
};

Red* g_reemplazo = nullptr;

}  // namespace

Red& RedSistema() {
    static RedSmb real;
    return g_reemplazo ? *g_reemplazo : real;
}

void SetRed(Red* red) { g_reemplazo = red; }

}  // namespace quirvex
