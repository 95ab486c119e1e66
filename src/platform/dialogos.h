#pragma once
// Questions and messages to the user. The program answers them with message boxes; tests
// answer them with a fake.

#include <string>

namespace quirvex {

// SiNoDefectoNo: Yes and No with No as the default, for questions whose Yes loses data.
enum class Botones { Aceptar, SiNo, SiNoCancelar, SiNoDefectoNo };
enum class Respuesta { Aceptar, Si, No, Cancelar };

class Dialogos {
public:
    virtual ~Dialogos() = default;
    virtual Respuesta Mensaje(const std::string& texto, const std::string& titulo,
                              Botones botones) = 0;
};

// Without an installed implementation messages are answered with Aceptar / Cancelar and
// nothing is shown (the core alone has no screen).
Dialogos& DialogosSistema();
void SetDialogos(Dialogos* dialogos);

}  // namespace quirvex
