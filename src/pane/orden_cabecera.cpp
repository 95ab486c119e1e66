#include "pane/orden_cabecera.h"

#include "folder/orden.h"

namespace quirvex {

int DatoEnX(const std::vector<int>& anchos, const std::vector<int>& datos, int x) {
    if (x < 0) return -1;
    int desde = 0;
    for (std::size_t i = 0; i < anchos.size() && i < datos.size(); ++i) {
        if (anchos[i] <= 0) continue;
        const int hasta = desde + anchos[i] + 10;
        if (x < hasta) return datos[i];
        desde = hasta;
    }
    return -1;
}

int CriterioDeDato(int dato) {
    switch (dato) {
        case DATO_NOMBRE: return ORDEN_NOMBRE;
        case DATO_TAMANO: return ORDEN_TAMANO;
        case DATO_TIPO: return ORDEN_EXTENSION;
        // The column shows the modification date, so it sorts as the menu's "Modification".
        case DATO_MODIFICACION: return ORDEN_MODIFICACION;
        default: return -1;
    }
}

int DatoDeCriterio(int criterio) {
    switch (criterio) {
        case ORDEN_NOMBRE: return DATO_NOMBRE;
        case ORDEN_TAMANO: return DATO_TAMANO;
        case ORDEN_EXTENSION: return DATO_TIPO;
        case ORDEN_MODIFICACION: return DATO_MODIFICACION;
        default: return -1;
    }
}

}  // namespace quirvex
