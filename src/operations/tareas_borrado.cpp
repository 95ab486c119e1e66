// The delete operation. Items go permanently; a link is removed as a link and what it points to
// is never entered, so a delete cannot reach outside the chosen items.

#include "operations/rutas_operacion.h"
#include "operations/tareas.h"
#include "platform/archivo_bajo_nivel.h"
#include "platform/dialogos.h"
#include "settings/idioma.h"

namespace quirvex {

void cTareas::EjecutarBorrado(std::int64_t i) {
    const std::vector<std::string> lista = Op(i).Lista;
    for (const std::string& dada : lista) {
        const std::string ruta = SinBarraFinal(dada);
        Op(i).Actual = ruta;
        vista_->DibujarOperacion(i);
        const bool carpeta = BajoNivel().Consultar(ruta).tipo == TipoNodo::Carpeta;
        if (carpeta)
            BorrarCarpeta(i, ruta);
        else
            BorrarElemento(i, ruta);
        if (!Existe(ruta)) Avisar(ruta, carpeta ? TIPO_CARPETA : TIPO_ARCHIVO, "Deleted");
        if (CederYCancelado(i)) return;
    }
}

// Removes one file, link or other non-folder entry; a failure is logged and the walk goes on.
bool cTareas::BorrarElemento(std::int64_t i, const std::string& ruta) {
    const int error = BajoNivel().BorrarArchivo(ruta);
    if (error == 0) return true;
    AgregarError(i, Texto(General, 42) + "\"" + ruta + "\": " + BajoNivel().DescripcionError(error) +
                        " (" + std::to_string(error) + ")");
    return false;
}

bool cTareas::BorrarCarpeta(std::int64_t i, const std::string& carpetaDada) {
    const std::string carpeta = SinBarraFinal(carpetaDada);
    const InfoNodo info = BajoNivel().Consultar(carpeta);
    if (info.tipo == TipoNodo::NoExiste) {
        DialogosSistema().Mensaje(TEXTO_ELEMENTO_NO_EXISTE + carpeta, Texto(General, 0),
                                  Botones::Aceptar);
        return false;
    }
    if (info.tipo != TipoNodo::Carpeta) return BorrarElemento(i, carpeta);
    std::vector<std::string> nombres;
    int error = BajoNivel().ListarNombres(carpeta, nombres);
    bool todo = error == 0;
    for (const std::string& nombre : nombres) {
        const std::string ruta = AgregarBarra(carpeta) + nombre;
        const bool ok = BajoNivel().Consultar(ruta).tipo == TipoNodo::Carpeta
                            ? BorrarCarpeta(i, ruta)
                            : BorrarElemento(i, ruta);
        if (!ok) todo = false;
        if (CederYCancelado(i)) return false;
    }
    if (error == 0) error = BajoNivel().BorrarCarpetaVacia(carpeta);
    if (error == 0) return todo;
    AgregarError(i, Texto(General, 42) + "\"" + carpeta + "\": " +
                        BajoNivel().DescripcionError(error) + " (" + std::to_string(error) + ")");
    return false;
}

}  // namespace quirvex
