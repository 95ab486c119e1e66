#pragma once
// Fakes for the properties window's platform services: the volume data, the label service and
// a recorder of the change broadcast. Each installs itself for its lifetime.

#include <map>
#include <string>
#include <vector>

#include "operations/tareas.h"
#include "platform/datos_volumen.h"
#include "platform/etiquetas_volumen.h"

namespace quirvex::prueba {

class VolumenesFijos final : public DatosVolumen {
public:
    VolumenesFijos() { SetDatosVolumen(this); }
    ~VolumenesFijos() override { SetDatosVolumen(nullptr); }
    InfoVolumen Leer(const std::string& punto) override {
        std::string p = punto;
        while (p.size() > 1 && p.back() == '/') p.pop_back();
        auto it = volumenes.find(p);
        return it == volumenes.end() ? InfoVolumen{} : it->second;
    }
    std::map<std::string, InfoVolumen> volumenes;  // by mount point without the final '/'
};

class EtiquetasAnotadas final : public EtiquetasVolumen {
public:
    EtiquetasAnotadas() { SetEtiquetasVolumen(this); }
    ~EtiquetasAnotadas() override { SetEtiquetasVolumen(nullptr); }
    bool CambiarEtiqueta(const std::string& p, const std::string& e, std::string& m) override {
        pedidos.push_back(p + "=" + e);
        if (!exito) m = "refused";
        return exito;
    }
    bool exito = true;
    std::vector<std::string> pedidos;
};

class CambiosAnotados final : public OyenteCambios {
public:
    void ActualizarRuta(const CambioRuta& c) override {
        avisos.push_back(c.ubicacion + "|" + c.nombre + "|" + c.nuevaRuta + "|" + c.tipo + "|" + c.accion);
    }
    std::vector<std::string> avisos;
};

}  // namespace quirvex::prueba
