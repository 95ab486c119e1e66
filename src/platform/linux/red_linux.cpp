// The network list: the workgroup browse of the SMB service; then the computers the browse does
// not show: those announced over mDNS, this machine when it serves SMB on loopback, and those
// the user reached by path during this run (a server on another port, or on a network without
// a browse master). Each is listed with its shares as it lists them now, and one that does not
// answer is left out, as the browse would leave it.

#include <algorithm>
#include <cctype>

#include "platform/descubrimiento.h"
#include "platform/red.h"
#include "platform/smb.h"

namespace quirvex {
namespace {

// A computer's name as names compare: without case and without the mDNS domain.
std::string Clave(std::string nombre) {
    for (char& c : nombre) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (nombre.size() > 6 && nombre.compare(nombre.size() - 6, 6, ".LOCAL") == 0)
        nombre.resize(nombre.size() - 6);
    return nombre;
}

class Union {
public:
    explicit Union(std::vector<GrupoRed> grupos) : grupos_(std::move(grupos)) {
        for (const GrupoRed& g : grupos_)
            for (const ComputadoraRed& c : g.computadoras) Anotar(c.nombre, RutaComputadora(c));
    }

    // Adds the computer to `grupo` unless it is already listed, by name or by path, or it does
    // not list its shares.
    void Agregar(GrupoRed& grupo, const EquipoDescubierto& e) {
        if (Conocido(e.nombre, e.ruta) || (!e.anfitrion.empty() && Conocido(e.anfitrion, e.ruta)))
            return;
        std::vector<EntradaSmb> recursos;
        if (Smb().Listar(e.ruta + "/", recursos) != 0) return;
        ComputadoraRed c{e.nombre, {}, e.ruta == "//" + e.nombre ? std::string() : e.ruta};
        for (EntradaSmb& r : recursos) c.recursos.push_back(std::move(r.nombre));
        Anotar(e.nombre, e.ruta);
        if (!e.anfitrion.empty()) Anotar(e.anfitrion, e.ruta);
        grupo.computadoras.push_back(std::move(c));
    }

    void Cerrar(GrupoRed grupo) {
        if (!grupo.computadoras.empty()) grupos_.push_back(std::move(grupo));
    }

    std::vector<GrupoRed> Grupos() { return std::move(grupos_); }

private:
    bool Conocido(const std::string& nombre, const std::string& ruta) const {
        return std::find(nombres_.begin(), nombres_.end(), Clave(nombre)) != nombres_.end() ||
               std::find(rutas_.begin(), rutas_.end(), Clave(ruta)) != rutas_.end();
    }
    void Anotar(const std::string& nombre, const std::string& ruta) {
        nombres_.push_back(Clave(nombre));
        rutas_.push_back(Clave(ruta));
    }

    std::vector<GrupoRed> grupos_;
    std::vector<std::string> nombres_, rutas_;
};

class RedSmb final : public Red {
public:
    std::vector<GrupoRed> Listar() override {
        Union red(Smb().ExplorarRed());
        GrupoRed mdns{"local", {}};
        for (const EquipoDescubierto& e : DescubrimientoSistema().ServiciosMdns()) red.Agregar(mdns, e);
        red.Cerrar(std::move(mdns));
        GrupoRed otros;
        for (const EquipoDescubierto& e : DescubrimientoSistema().EsteEquipo()) red.Agregar(otros, e);
        for (const std::string& equipo : EquiposVisitados())
            red.Agregar(otros, EquipoDescubierto{equipo.substr(2), equipo});
        red.Cerrar(std::move(otros));
        return red.Grupos();
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
