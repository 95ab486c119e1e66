#include "folder/notificaciones.h"

namespace quirvex {
namespace {

int RutasDelEvento(std::uint32_t evento) {
    if (evento == EV_RENOMBRAR_ITEM || evento == EV_RENOMBRAR_CARPETA) return 2;
    switch (evento) {
        case 0x2: case 0x4: case 0x8: case 0x10: case 0x20: case 0x40: case 0x80: case 0x100:
        case 0x200: case 0x400: case 0x1000: case 0x2000:
            return 1;
        default:
            return 0;
    }
}

}  // namespace

bool ColaNotificaciones::RecibirNotificacion(RegistroNotificacion r) {
    const int rutas = RutasDelEvento(r.evento);
    if (rutas < 2) r.ruta2.clear();
    if (rutas < 1) r.ruta1.clear();
    // The update-item event is always queued: it is how an overwrite in place is told.
    if (r.evento != EV_ACTUALIZAR_ITEM && r == entrantes_[0]) return false;
    entrantes_.push_back(r);
    entrantes_[0] = std::move(r);
    return true;
}

void ColaNotificaciones::ProcesarNotificaciones(const FuncionActualizarRuta& actualizar,
                                                const std::function<void()>& dejarPasar) {
    if (ocupado_) return;
    for (;;) {
        const size_t n = entrantes_.size() - 1;
        if (n == 0) {
            ocupado_ = false;
            return;
        }
        for (size_t k = marca_ + 1; k <= n; ++k) trabajo_.push_back(entrantes_[k]);
        if (entrantes_.size() - 1 == n) {
            marca_ = 0;
            entrantes_.resize(1);
        } else {
            marca_ = n;
        }
        ocupado_ = true;
        for (size_t k = 1; k < trabajo_.size(); ++k) {
            CambioRuta c;
            if (CambioDeNotificacion(trabajo_[k], c)) actualizar(c);
            if (dejarPasar) dejarPasar();
        }
        if (entrantes_.size() == 1 || entrantes_.size() - 1 == marca_) {
            trabajo_.resize(1);
            entrantes_.resize(1);
            // The duplicate test is for the burst one change sends; once the burst is handled,
            // the same record again is a new change and must get through.
            entrantes_[0] = RegistroNotificacion{};
            marca_ = 0;
            ocupado_ = false;
            return;
        }
        // Records arrived meanwhile: take them, leaving what was done behind.
        trabajo_.resize(1);
    }
}

bool CambioDeNotificacion(const RegistroNotificacion& r, CambioRuta& c) {
    if (r.ruta1.empty()) return false;
    // The folder itself is to be read again (what it holds is no longer known).
    if (r.evento == EV_ACTUALIZAR_CARPETA) {
        c = CambioRuta{r.ruta1.back() == '/' ? r.ruta1 : r.ruta1 + "/", "", "", "C", "Updated"};
        return true;
    }
    const auto barra = r.ruta1.rfind('/');
    const std::string carpeta = barra == std::string::npos ? std::string() : r.ruta1.substr(0, barra);
    const std::string nombre = barra == std::string::npos ? r.ruta1 : r.ruta1.substr(barra + 1);
    auto en = [&](const char* tipo, const char* accion, const std::string& nueva = {}) {
        c = CambioRuta{carpeta + "/", nombre, nueva, tipo, accion};
        return true;
    };
    switch (r.evento) {
        case EV_RENOMBRAR_ITEM: return en("A", "Rename", r.ruta2);
        case EV_CREAR: return en("A", "Created");
        case EV_BORRAR: return en("A", "Deleted");
        case EV_CREAR_CARPETA: return en("C", "CreatedFolder");
        case EV_BORRAR_CARPETA: return en("C", "Deleted");
        case EV_RENOMBRAR_CARPETA: return en("C", "Rename", r.ruta2);
        // Rewritten in place: the pane that lists the entry refreshes its size and date.
        case EV_ACTUALIZAR_ITEM: return en("A", "Updated");
        case EV_MEDIO_INSERTADO:
        case EV_UNIDAD_AGREGADA: c = CambioRuta{r.ruta1, "", "", "U", "Added"}; return true;
        case EV_MEDIO_QUITADO:
        case EV_UNIDAD_QUITADA: c = CambioRuta{r.ruta1, "", "", "U", "Deleted"}; return true;
        default: return false;
    }
}

}  // namespace quirvex
