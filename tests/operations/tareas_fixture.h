#pragma once
// A queue of its own on a temporary folder, with a window and a frame that record what they
// are told, and helpers to make and compare file contents.

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

#include "operations/tareas.h"
#include "settings/idioma.h"
#include "support/carpeta_temporal.h"

namespace quirvex::prueba {

class VistaGrabada : public VistaOperaciones {
public:
    void MostrarProgreso(std::int64_t i) override { porcentajes.push_back(tareas->Operaciones()[static_cast<std::size_t>(i)].Porcentaje); }
    void SetTitulo(const std::string& t) override { titulos.push_back(t); }
    void HabilitarInicio(bool h) override { inicioHabilitado = h; }
    const cTareas* tareas = nullptr;
    std::vector<std::int64_t> porcentajes;
    std::vector<std::string> titulos;
    bool inicioHabilitado = false;
};

class OyenteGrabado : public OyenteCambios {
public:
    void ActualizarRuta(const CambioRuta& c) override {
        avisos.push_back(c.ubicacion + "|" + c.nombre + "|" + c.tipo + "|" + c.accion);
    }
    std::vector<std::string> avisos;
};

inline std::string LeerTodo(const std::string& ruta) {
    std::ifstream f(ruta, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

// Bytes that differ from chunk to chunk, so a misplaced or repeated chunk shows.
inline std::string Contenido(std::size_t n, unsigned semilla = 1) {
    std::string s(n, '\0');
    unsigned x = semilla * 2654435761u + 1;
    for (auto& c : s) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 16);
    }
    return s;
}

class TareasTest : public ::testing::Test {
protected:
    void SetUp() override {
        CargarIdioma(IdiomasIncorporados()[0].texto);
        vista.tareas = &t;
        t.SetVista(&vista);
        t.SetOyente(&oyente);
    }
    // Queues an operation and lets the start timer tick once.
    std::int64_t Ejecutar(std::int32_t tipo, const std::string& destino,
                          std::vector<std::string> lista) {
        const std::int64_t i = t.AgregarOperacion(tipo, "", destino, std::move(lista));
        t.tIni_Timer();
        return i;
    }
    const Operacion& Op(std::int64_t i) const { return t.Operaciones()[static_cast<std::size_t>(i)]; }
    bool Existe(const std::string& r) const {
        std::error_code ec;
        return std::filesystem::exists(std::filesystem::symlink_status(r, ec));
    }

    CarpetaTemporal tmp;
    VistaGrabada vista;
    OyenteGrabado oyente;
    cTareas t;
};

}  // namespace quirvex::prueba
