#include "operations/selector.h"

#include "settings/almacen_registro.h"
#include "settings/opciones.h"

namespace quirvex {

int MoverSelector(int actual, TeclaSelector tecla) {
    switch (tecla) {
        case TeclaSelector::Izquierda: return actual > 0 ? actual - 1 : actual;
        case TeclaSelector::Derecha: return actual < ULTIMO_SELECTOR ? actual + 1 : actual;
        case TeclaSelector::Arriba:
            return actual >= COLUMNAS_SELECTOR ? actual - COLUMNAS_SELECTOR : actual;
        case TeclaSelector::Abajo:
            return actual + COLUMNAS_SELECTOR <= ULTIMO_SELECTOR ? actual + COLUMNAS_SELECTOR : actual;
        case TeclaSelector::Inicio: return 0;
        case TeclaSelector::Fin: return ULTIMO_SELECTOR;
        default: return actual;
    }
}

bool AplicarSelector(int marcado) {
    if (marcado < 0 || marcado > ULTIMO_SELECTOR || marcado == Opciones().ColorSel) return false;
    Opciones().ColorSel = marcado;
    RegEscribirDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "ColorSel", marcado);
    return true;
}

}  // namespace quirvex
