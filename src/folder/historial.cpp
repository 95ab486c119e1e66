// The pane's history: every location a load records, a position in it, and the moves that go
// back, forward, up and to the start folder.

#include "folder/contenido_visor.h"
#include "folder/tabla_unidades.h"
#include "platform/sistema_archivos.h"
#include "platform/smb.h"
#include "settings/idioma.h"
#include "settings/opciones.h"

namespace quirvex {

void cContenidoVisor::AgregarHistorial(const std::string& ubicacion) {
    if (historial_.empty()) {
        historial_.push_back(ubicacion);
        indexHistorial_ = 0;
        return;
    }
    if (historial_[static_cast<size_t>(indexHistorial_)] == ubicacion) return;
    ++indexHistorial_;
    historial_.resize(static_cast<size_t>(indexHistorial_));
    vista_->SetEstadoAtrasAdelante(0, false);
    vista_->SetEstadoAtrasAdelante(1, true);
    historial_.push_back(ubicacion);
}

std::string cContenidoVisor::Historial(std::int64_t posicion) const {
    if (posicion < 0 || static_cast<size_t>(posicion) >= historial_.size()) return {};
    const std::string& e = historial_[static_cast<size_t>(posicion)];
    // "/" stays "/": without the separator the root would have no name at all.
    return e.size() > 1 ? QuitarBarraFinal(e) : e;
}

std::int64_t cContenidoVisor::UboundHistorial() const {
    return historial_.empty() ? 0 : static_cast<std::int64_t>(historial_.size()) - 1;
}

void cContenidoVisor::GoHistorial(std::int64_t posicion) {
    if (posicion == indexHistorial_ || posicion < 0 ||
        static_cast<size_t>(posicion) >= historial_.size())
        return;
    VolverHistorialPendiente();
    const std::int64_t antes = indexHistorial_;
    indexHistorial_ = posicion;
    if (!CargarContenido(historial_[static_cast<size_t>(posicion)], true))
        indexHistorial_ = antes;
    else if (!cargaRed_.empty())
        historialAntes_ = antes;
    vista_->ActualizarAtrasAdelante();
}

void cContenidoVisor::VolverHistorialPendiente() {
    if (historialAntes_ < 0) return;
    indexHistorial_ = historialAntes_;
    historialAntes_ = -1;
    vista_->ActualizarAtrasAdelante();
}

void cContenidoVisor::SubirNivel() {
    if (EnMiPC()) return;
    if (RutaActual == std::string(1, SepRuta)) {
        MostrarMiPC(TablaUnidades().empty(), false);
        return;
    }
    SubirUnNivel();
}

void cContenidoVisor::SubirUnNivel() {
    const std::string sin = QuitarBarraFinal(RutaActual);
    const auto barra = sin.rfind(SepRuta);
    CargarContenido(barra == std::string::npos ? std::string() : sin.substr(0, barra + 1), true);
}

void cContenidoVisor::GoDefaultFolder(const std::string& ubicacion) {
    // A share is not asked first when its load lists it off the window's thread: that load
    // tells, and a pane it leaves empty shows the drives.
    auto alcanzable = [](const std::string& r) {
        if (!r.empty() && EsRutaRed(r) && HayEntregaVentana() && !CargaEnEspera::Activa()) return true;
        return !r.empty() && Archivos().Accesible(r.back() == SepRuta ? r : r + SepRuta);
    };
    const int opcion = Opciones().DefaultFolderOption;
    if (alcanzable(ubicacion)) {
        CargarContenido(ubicacion, opcion != 0);
    } else if (opcion == 0 && alcanzable(Opciones().DefaultFolderPath)) {
        CargarContenido(Opciones().DefaultFolderPath, false);
    } else {
        CargarContenido(TextoMiPC(), opcion != 0);
    }
}

}  // namespace quirvex
