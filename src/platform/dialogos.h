#pragma once
// Questions and messages to the user. The program answers them with message boxes; tests
// answer them with a fake.

#include <string>

namespace quirvex {

// SiNoDefectoNo: Yes and No with No as the default, for questions whose Yes loses data.
enum class Botones { Aceptar, SiNo, SiNoCancelar, SiNoDefectoNo };
enum class Respuesta { Aceptar, Si, No, Cancelar };
// The picture beside the text: information for news, exclamation for a refusal.
enum class IconoMensaje { Informacion, Exclamacion };

class Dialogos {
public:
    virtual ~Dialogos() = default;
    virtual Respuesta Mensaje(const std::string& texto, const std::string& titulo,
                              Botones botones) = 0;
    // The same with a chosen picture; a box that shows none answers as Mensaje.
    virtual Respuesta MensajeConIcono(const std::string& texto, const std::string& titulo,
                                      Botones botones, IconoMensaje /*icono*/) {
        return Mensaje(texto, titulo, botones);
    }
    // A user and password for a network server that refused a guest; `aviso` is shown above the
    // fields (empty the first time, the refusal after a failed try). False when cancelled.
    virtual bool PedirCredenciales(const std::string& /*servidor*/, const std::string& /*aviso*/,
                                   std::string& /*usuario*/, std::string& /*clave*/) {
        return false;
    }
};

// Without an installed implementation messages are answered with Aceptar / Cancelar and
// nothing is shown (the core alone has no screen).
Dialogos& DialogosSistema();
void SetDialogos(Dialogos* dialogos);

}  // namespace quirvex
