#pragma once
// The program-wide drive table behind the My PC location and the network tree behind the
// network location. A mount point plays the role a drive letter plays elsewhere.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/red.h"

namespace quirvex {

struct RegistroUnidad {
    int tipo = 0;          // UNIDAD_* of platform/unidades.h
    std::string etiqueta;  // "LABEL (MOUNTPOINT)"
    std::string raiz;      // mount point, ending with '/'
};

// The table as last listed; rebuilt only by ListarUnidades.
const std::vector<RegistroUnidad>& TablaUnidades();
void ListarUnidades();
// Gives drive `indice` a new display text (after its label changed) without listing again.
void SetEtiquetaEnTabla(size_t indice, const std::string& etiqueta);

int TipoUnidad(const std::string& raiz);             // 0 when it is not a drive
std::string EtiquetaUnidad(const std::string& raiz); // empty when it is not a drive
std::int64_t EspacioLibre(const std::string& raiz);
std::int64_t EspacioTotal(const std::string& raiz);
std::int64_t IndiceUnidad(const std::string& raiz);  // place in the table, or -1
bool ExisteUnidad(const std::string& raiz);

// The network as last walked, and every computer in order of discovery.
struct PosicionComputadora {
    size_t grupo = 0;
    size_t computadora = 0;
};
void ListarRed();
// Takes a walk of the network made elsewhere (off the window's thread) as the one shown.
void FijarRed(std::vector<GrupoRed> arbol);
const std::vector<GrupoRed>& ArbolRed();
const std::vector<PosicionComputadora>& ComputadorasRed();
const ComputadoraRed* ComputadoraEn(std::int64_t posicion);

}  // namespace quirvex
