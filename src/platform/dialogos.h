#pragma once
// Questions and messages to the user. The program answers them with message boxes; tests
// answer them with a fake.

#include <string>

namespace quirvex {

// SiNoDefectoNo: Yes and No with No as the default, for questions whose Yes loses data.
enum class Botones { Aceptar, SiNo, SiNoCancelar, SiNoDefectoNo };
enum class Respuesta { Aceptar, Si, No, Cancelar };
// The picture beside the text: none, information for news, exclamation for a refusal the user
// can mend, a question mark for a question, and the stop sign for a failure.
enum class IconoMensaje { Ninguno, Informacion, Exclamacion, Pregunta, Stop };

class Dialogos {
public:
    virtual ~Dialogos() = default;
    // The one message box: every message names the picture it shows.
    virtual Respuesta Mensaje(const std::string& texto, const std::string& titulo,
                              Botones botones, IconoMensaje icono) = 0;
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
