#pragma once
// EtiquetasVolumen: changes the file-system label of a mounted volume. On Linux the desktop's
// disk service does it (it holds the privileges and knows each file system's tool); a machine
// without that service cannot change labels, and says so by failing. One process-wide instance;
// interface thread only. The core alone has no disk service and always fails; the windows
// install the real one (it speaks D-Bus through Qt), tests install fakes.

#include <functional>
#include <string>

namespace quirvex {

struct RespuestaEtiqueta {
    bool hecho = false;
    std::string motivo;        // the service's own words when it refused
    int segundosEsperados = 0; // > 0: the service never answered within that time
};

class EtiquetasVolumen {
public:
    virtual ~EtiquetasVolumen() = default;
    // `puntoMontaje` names the volume as the drive list does (with or without the final '/').
    // False, with a reason for diagnostics, when the label could not be set.
    virtual bool CambiarEtiqueta(const std::string& puntoMontaje, const std::string& etiqueta,
                                 std::string& motivo) = 0;

    // The same without waiting: returns at once and calls `alTerminar` on the interface thread
    // once the service answered or its time ran out. A service that answers at once (the
    // default: the call above) may call it before returning.
    using FinEtiqueta = std::function<void(const RespuestaEtiqueta&)>;
    virtual void PedirEtiqueta(const std::string& puntoMontaje, const std::string& etiqueta,
                               FinEtiqueta alTerminar) {
        RespuestaEtiqueta r;
        r.hecho = CambiarEtiqueta(puntoMontaje, etiqueta, r.motivo);
        alTerminar(r);
    }
};

EtiquetasVolumen& EtiquetasSistema();
// Installs an implementation; nullptr restores the one that always fails.
void SetEtiquetasVolumen(EtiquetasVolumen* etiquetas);
// Whether anything was installed.
bool HayEtiquetasVolumen();

}  // namespace quirvex
