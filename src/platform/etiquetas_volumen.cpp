#include "platform/etiquetas_volumen.h"

namespace quirvex {
namespace {

class EtiquetasSinServicio final : public EtiquetasVolumen {
public:
    bool CambiarEtiqueta(const std::string&, const std::string&, std::string& motivo) override {
        motivo = "no disk service";
        return false;
    }
};

EtiquetasVolumen* g_instalada = nullptr;

}  // namespace

EtiquetasVolumen& EtiquetasSistema() {
    static EtiquetasSinServicio sinServicio;
    return g_instalada ? *g_instalada : sinServicio;
}

void SetEtiquetasVolumen(EtiquetasVolumen* etiquetas) { g_instalada = etiquetas; }

bool HayEtiquetasVolumen() { return g_instalada != nullptr; }

}  // namespace quirvex
