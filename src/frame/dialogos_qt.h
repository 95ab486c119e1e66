#pragma once
// Message boxes for the core's questions.

#include "platform/dialogos.h"

class QWidget;

namespace quirvex {

class DialogosQt final : public Dialogos {
public:
    explicit DialogosQt(QWidget* padre = nullptr) : padre_(padre) {}
    Respuesta Mensaje(const std::string& texto, const std::string& titulo, Botones botones,
                      IconoMensaje icono) override;
    bool PedirCredenciales(const std::string& servidor, const std::string& aviso,
                           std::string& usuario, std::string& clave) override;

private:
    QWidget* padre_;
};

}  // namespace quirvex
