#include "folder/cambios_ruta.h"

#include "folder/rutas.h"
#include "settings/idioma.h"

namespace quirvex {
namespace {

ResultadoCambio EnLaCarpeta(cContenidoVisor& c, const CambioRuta& k) {
    if (k.nombre.empty()) return {EfectoCambio::Refrescar};  // the folder as a whole
    const std::int64_t i = c.GetIndexItem(k.nombre);
    if (i < 0) {
        // Something new appeared: show it. (A listing that ignored it would be stale until
        // the user refreshed by hand.)
        if (k.accion == "Created" || k.accion == "CreatedFolder") return {EfectoCambio::Refrescar};
        return {};
    }
    if (k.accion == "Rename") {
        // A drive's new name is its display label, which holds its mount point's slashes.
        c.SetItemRuta(i, k.tipo == "U" ? k.nuevaRuta : NombreDe(k.nuevaRuta));
        return {EfectoCambio::RedibujarItem, i};
    }
    return {EfectoCambio::Refrescar, i};
}

}  // namespace

ResultadoCambio AplicarCambioRuta(cContenidoVisor& c, const CambioRuta& k) {
    const std::string R = c.RutaActual;
    if (R == k.ubicacion) return EnLaCarpeta(c, k);
    if (k.tipo == "C") {
        const std::string propia = k.ubicacion + k.nombre + SepRuta;
        if (R.compare(0, propia.size(), propia) != 0) return {};
        if (k.accion == "Deleted") return {EfectoCambio::IrAMiPC};
        if (k.accion != "Rename") return {};
        c.RutaActual = k.ubicacion + NombreDe(k.nuevaRuta) + SepRuta + R.substr(propia.size());
        if (R.size() == propia.size()) c.NombreCarpeta = NombreDe(k.nuevaRuta);
        return {EfectoCambio::NuevaUbicacion};
    }
    if (k.tipo == "U" && c.EnMiPC() && (k.accion == "Added" || k.accion == "Deleted"))
        return {EfectoCambio::RecargarUnidades};
    return {};
}

void EjecutarEfecto(cContenidoVisor& c, const ResultadoCambio& r) {
    switch (r.efecto) {
        case EfectoCambio::Refrescar: c.RefrescarPorCambio(); break;
        case EfectoCambio::IrAMiPC:
        case EfectoCambio::RecargarUnidades: c.CargarContenido(TextoMiPC(), true); break;
        default: break;
    }
}

}  // namespace quirvex
