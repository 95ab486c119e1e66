// A folder reader for tests: the real reads, except that folders named "cerrada" cannot be
// opened, the way a folder without the read right behaves even for root.

#pragma once

#include <atomic>
#include <string>

#include "platform/lector_carpetas.h"

namespace quirvex::prueba {

class LectorConCerrada final : public LectorCarpetas {
public:
    LectorConCerrada() : real_(LectorSistema()) { SetLectorCarpetas(this); }
    ~LectorConCerrada() override { SetLectorCarpetas(nullptr); }
    ManejadorCarpeta Abrir(ManejadorCarpeta p, const std::string& n, FalloCarpeta& f) override {
        if (n == "cerrada") {
            f = FalloCarpeta::Otro;
            return CARPETA_INVALIDA;
        }
        return real_.Abrir(p, n, f);
    }
    bool Leer(ManejadorCarpeta h, ContenidoCarpeta& c, const std::atomic<bool>* x) override {
        return real_.Leer(h, c, x);
    }
    void Cerrar(ManejadorCarpeta h) override { real_.Cerrar(h); }

private:
    LectorCarpetas& real_;
};

}  // namespace quirvex::prueba
