#pragma once
// Change notifications: records of what changed on disk, queued as they arrive and turned into
// `ActualizarRuta` broadcasts in batches. The incoming queue keeps the last accepted record in
// element 0 to drop the bursts of identical records one change produces.
// Single-threaded: records arrive and are processed on the user-interface thread; the busy flag
// guards against re-entrance while the processing lets pending events run.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace quirvex {

// Event codes, as the original shell numbered them.
enum EventoCambio : std::uint32_t {
    EV_RENOMBRAR_ITEM = 0x1,
    EV_CREAR = 0x2,
    EV_BORRAR = 0x4,
    EV_CREAR_CARPETA = 0x8,
    EV_BORRAR_CARPETA = 0x10,
    EV_MEDIO_INSERTADO = 0x20,
    EV_MEDIO_QUITADO = 0x40,
    EV_UNIDAD_QUITADA = 0x80,
    EV_UNIDAD_AGREGADA = 0x100,
    EV_ACTUALIZAR_CARPETA = 0x1000,
    EV_ACTUALIZAR_ITEM = 0x2000,
    EV_RENOMBRAR_CARPETA = 0x20000,
};

struct RegistroNotificacion {
    std::uint64_t item1 = 0;
    std::uint64_t item2 = 0;
    std::string ruta1;
    std::string ruta2;
    std::uint32_t evento = 0;

    bool operator==(const RegistroNotificacion&) const = default;
};

// What a broadcast says: location (folder ending in '/', or the My PC text), the entry's
// name before the change, the new path, kind ("A", "C", "U") and action.
struct CambioRuta {
    std::string ubicacion;
    std::string nombre;
    std::string nuevaRuta;
    std::string tipo;
    std::string accion;
};

using FuncionActualizarRuta = std::function<void(const CambioRuta&)>;

class ColaNotificaciones {
public:
    // Keeps only the paths the event carries, applies the duplicate test and queues the record.
    // Returns true when it was accepted.
    bool RecibirNotificacion(RegistroNotificacion r);
    // Turns every queued record into broadcasts; a call while one runs does nothing.
    // `dejarPasar` lets pending events run between passes (new records may arrive then).
    void ProcesarNotificaciones(const FuncionActualizarRuta& actualizar,
                                const std::function<void()>& dejarPasar = {});
    bool Ocupado() const { return ocupado_; }
    bool HayPendientes() const { return entrantes_.size() > 1; }

private:
    std::vector<RegistroNotificacion> entrantes_{1};
    std::vector<RegistroNotificacion> trabajo_{1};
    size_t marca_ = 0;
    bool ocupado_ = false;
};

// The broadcast a record stands for; false for records that say nothing a pane shows.
bool CambioDeNotificacion(const RegistroNotificacion& r, CambioRuta& cambio);

}  // namespace quirvex
