#pragma once
// What dropping a list of files onto a pane means: the destination is the pane's own folder,
// never the item under the pointer; files already in that folder are left out.

#include <string>
#include <vector>

#include "folder/contenido_visor.h"

namespace quirvex {

enum class ResultadoSoltar { Nada, EnUnidades, Listo };

struct PreparacionSoltar {
    ResultadoSoltar resultado = ResultadoSoltar::Nada;
    std::string origen;   // folder of the first listed path
    std::string destino;  // the pane's folder
    std::vector<std::string> rutas;
};

// Drive and network lists refuse drops (EnUnidades, the caller shows the message).
PreparacionSoltar PrepararSoltar(const std::vector<std::string>& rutas, const cContenidoVisor& c);

}  // namespace quirvex
