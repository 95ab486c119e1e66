#include "platform/dialogos.h"

namespace quirvex {
namespace {

// With no screen there is nobody to ask: messages are dropped and questions declined.
class DialogosMudos final : public Dialogos {
public:
    Respuesta Mensaje(const std::string&, const std::string&, Botones botones, IconoMensaje) override {
        return botones == Botones::Aceptar ? Respuesta::Aceptar : Respuesta::Cancelar;
    }
};

Dialogos* g_instalado = nullptr;

}  // namespace

Dialogos& DialogosSistema() {
    static DialogosMudos mudos;
    return g_instalado ? *g_instalado : mudos;
}

void SetDialogos(Dialogos* dialogos) { g_instalado = dialogos; }

}  // namespace quirvex
