#include "folder/tabla_unidades.h"

#include "platform/unidades.h"

namespace quirvex {
namespace {

std::vector<RegistroUnidad>& Tabla() {
    static std::vector<RegistroUnidad> tabla;
    return tabla;
}

std::string SinBarraFinal(const std::string& ruta) {
    return ruta.size() > 1 && ruta.back() == '/' ? ruta.substr(0, ruta.size() - 1) : ruta;
}

std::string ConBarraFinal(const std::string& ruta) {
    return !ruta.empty() && ruta.back() == '/' ? ruta : ruta + '/';
}

std::string EtiquetaMostrada(const Volumen& v) {
    const std::string punto = SinBarraFinal(v.puntoMontaje);
    std::string nombre = v.etiqueta;
    if (nombre.empty()) nombre = punto == "/" ? "/" : punto.substr(punto.rfind('/') + 1);
    return nombre + " (" + punto + ")";
}

struct Red_ {
    std::vector<GrupoRed> arbol;
    std::vector<PosicionComputadora> plana;
};

Red_& EstadoRed() {
    static Red_ red;
    return red;
}

}  // namespace

const std::vector<RegistroUnidad>& TablaUnidades() { return Tabla(); }

void ListarUnidades() {
    auto& t = Tabla();
    t.clear();
    for (const Volumen& v : UnidadesSistema().Listar())
        t.push_back(RegistroUnidad{v.tipo, EtiquetaMostrada(v), ConBarraFinal(v.puntoMontaje)});
}

void SetEtiquetaEnTabla(size_t indice, const std::string& etiqueta) {
    if (indice < Tabla().size()) Tabla()[indice].etiqueta = etiqueta;
}

std::int64_t IndiceUnidad(const std::string& raiz) {
    const std::string buscada = ConBarraFinal(raiz);
    const auto& t = Tabla();
    for (size_t i = 0; i < t.size(); ++i)
        if (t[i].raiz == buscada) return static_cast<std::int64_t>(i);
    return -1;
}

int TipoUnidad(const std::string& raiz) {
    const auto i = IndiceUnidad(raiz);
    return i < 0 ? 0 : Tabla()[static_cast<size_t>(i)].tipo;
}

std::string EtiquetaUnidad(const std::string& raiz) {
    const auto i = IndiceUnidad(raiz);
    return i < 0 ? std::string() : Tabla()[static_cast<size_t>(i)].etiqueta;
}

std::int64_t EspacioLibre(const std::string& raiz) { return UnidadesSistema().EspacioLibre(raiz); }
std::int64_t EspacioTotal(const std::string& raiz) { return UnidadesSistema().EspacioTotal(raiz); }
bool ExisteUnidad(const std::string& raiz) { return TipoUnidad(raiz) > 1; }

void ListarRed() {
    // The walk may wait on the network while the window paints: the tree shown until it ends
    // stays whole.
    FijarRed(RedSistema().Listar());
}

void FijarRed(std::vector<GrupoRed> arbol) {
    auto& red = EstadoRed();
    red.plana.clear();
    red.arbol = std::move(arbol);
    for (size_t g = 0; g < red.arbol.size(); ++g)
        for (size_t c = 0; c < red.arbol[g].computadoras.size(); ++c)
            red.plana.push_back(PosicionComputadora{g, c});
}

const std::vector<GrupoRed>& ArbolRed() { return EstadoRed().arbol; }
const std::vector<PosicionComputadora>& ComputadorasRed() { return EstadoRed().plana; }

const ComputadoraRed* ComputadoraEn(std::int64_t posicion) {
    const auto& red = EstadoRed();
    if (posicion < 0 || static_cast<size_t>(posicion) >= red.plana.size()) return nullptr;
    const auto& p = red.plana[static_cast<size_t>(posicion)];
    return &red.arbol[p.grupo].computadoras[p.computadora];
}

}  // namespace quirvex
