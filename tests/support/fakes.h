#pragma once
// Fakes for the platform services a test machine lacks or a test wants to watch.

#include <string>
#include <vector>

#include "platform/dialogos.h"
#include "platform/unidades.h"

namespace quirvex::prueba {

// Records every message and answers with a fixed reply. Installs itself for its lifetime.
class DialogosGrabados final : public Dialogos {
public:
    explicit DialogosGrabados(Respuesta respuesta = Respuesta::Aceptar) : respuesta_(respuesta) {
        SetDialogos(this);
    }
    ~DialogosGrabados() override { SetDialogos(nullptr); }
    Respuesta Mensaje(const std::string& texto, const std::string&, Botones,
                      IconoMensaje icono) override {
        mensajes.push_back(texto);
        iconos.push_back(icono);
        return respuesta_;
    }
    std::vector<std::string> mensajes;
    std::vector<IconoMensaje> iconos;

private:
    Respuesta respuesta_;
};

// A fixed set of volumes. Installs itself for its lifetime.
class UnidadesFijas final : public Unidades {
public:
    // Fakes nest: a short-lived one (a fixture listing no drives) gives the table back to the
    // one a test installed before it.
    explicit UnidadesFijas(std::vector<Volumen> v) : volumenes(std::move(v)), anterior_(actual_) {
        actual_ = this;
        SetUnidades(this);
    }
    ~UnidadesFijas() override {
        actual_ = anterior_;
        SetUnidades(anterior_);
    }
    std::vector<Volumen> Listar() override { return volumenes; }
    std::int64_t EspacioLibre(const std::string&) override { return 1000; }
    std::int64_t EspacioTotal(const std::string&) override { return 4000; }
    std::vector<Volumen> volumenes;

private:
    static inline UnidadesFijas* actual_ = nullptr;
    UnidadesFijas* anterior_;
};

}  // namespace quirvex::prueba
