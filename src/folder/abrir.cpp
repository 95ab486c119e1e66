#include "folder/abrir.h"

#include <algorithm>

namespace quirvex {
namespace {

std::string ConBarra(const std::string& r) {
    return !r.empty() && r.back() == SepRuta ? r : r + SepRuta;
}

const ItemCarpeta* Entrada(const cContenidoVisor& c, std::int64_t i) {
    if (i < 0 || i >= c.nMostrados() || static_cast<size_t>(i) >= c.Items.size()) return nullptr;
    return &c.Items[static_cast<size_t>(i)];
}

}  // namespace

Apertura ICO_DblClick(const cContenidoVisor& c, std::int64_t i, bool shift, bool ctrl) {
    const ItemCarpeta* e = Entrada(c, i);
    if (!e) return {};
    std::string destino;
    if (e->Tipo == TIPO_ARCHIVO) return {AccionAbrir::AbrirArchivo, ConBarra(c.RutaActual) + e->Nombre};
    if (e->Tipo == TIPO_UNIDAD || e->Tipo == TIPO_RED_CARPETA)
        destino = e->RutaCompleta(c.RutaActual);
    else if (e->Tipo == TIPO_CARPETA)
        destino = c.EnRed() ? e->RutaCompleta(c.RutaActual) : ConBarra(c.RutaActual) + e->Nombre;
    else if (e->Tipo == TIPO_RED_COMPUTADORA)
        destino = "//" + e->Nombre;
    else
        return {};
    if (shift) return {AccionAbrir::NuevoTab, destino};
    if (ctrl) return {AccionAbrir::NuevoVisor, destino};
    return {AccionAbrir::Navegar, destino};
}

ResultadoAbrir AbrirConShell(const std::string& ruta) {
    Asociaciones& a = AsociacionesSistema();
    const auto programa = a.PorDefecto(a.TipoDe(ruta));
    if (!programa) return ResultadoAbrir::SinPrograma;
    return a.Lanzar(programa->id, ruta) ? ResultadoAbrir::Abierto : ResultadoAbrir::Fallo;
}

std::vector<Aplicacion> LlenarAbrirCon(const std::string& ruta) {
    Asociaciones& a = AsociacionesSistema();
    const std::string tipo = a.TipoDe(ruta);
    std::vector<Aplicacion> r = a.Recomendadas(tipo);
    if (auto d = a.PorDefecto(tipo)) r.push_back(*d);
    std::vector<Aplicacion> unicos;
    for (auto& p : r)
        if (std::none_of(unicos.begin(), unicos.end(), [&](const Aplicacion& u) { return u.id == p.id; }))
            unicos.push_back(std::move(p));
    return unicos;
}

bool AbrirArchivoCon(const cContenidoVisor& c, std::int64_t i, const std::string& idAplicacion) {
    const ItemCarpeta* e = Entrada(c, i);
    if (!e || e->Tipo != TIPO_ARCHIVO) return false;
    return AsociacionesSistema().Lanzar(idAplicacion, ConBarra(c.RutaActual) + e->Nombre);
}

std::vector<std::string> ArchivosAbrir(const cContenidoVisor& c,
                                       const std::vector<std::int64_t>& seleccion) {
    std::vector<std::string> r;
    for (std::int64_t i : seleccion)
        if (const ItemCarpeta* e = Entrada(c, i); e && e->Tipo == TIPO_ARCHIVO)
            r.push_back(ConBarra(c.RutaActual) + e->Nombre);
    return r;
}

}  // namespace quirvex
