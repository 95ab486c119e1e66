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

void cTareas::LogBorrado(std::int64_t i, const std::string& ruta, int error) {
    AgregarError(i, Texto(General, 42) + "\"" + ruta + "\": " + BajoNivel().DescripcionError(error) +
                        " (" + std::to_string(error) + ")");
}

// Removes one file, link or other non-folder entry; a failure is logged and the walk goes on.
bool cTareas::BorrarElemento(std::int64_t i, const std::string& ruta) {
    const int error = BajoNivel().BorrarArchivo(ruta);
    if (error == 0) return true;
    LogBorrado(i, ruta, error);
    return false;
}

// Empties one open folder. Every entry is reached relative to the folder that listed it, and a
// subfolder is opened without following links: a folder swapped for a link while the delete
// yields is removed as the link it has become, and nothing outside the chosen folder is touched.
bool cTareas::BorrarContenido(std::int64_t i, ManejadorArchivo carpeta, const std::string& ruta) {
    std::vector<std::string> nombres;
    std::vector<TipoNodo> tipos;
    const int errorLista = BajoNivel().ListarEnConTipos(carpeta, nombres, tipos);
    if (errorLista != 0) {
        LogBorrado(i, ruta, errorLista);
        return false;
    }
    bool todo = true;
    for (std::size_t k = 0; k < nombres.size(); ++k) {
        const std::string& nombre = nombres[k];
        const std::string hijo = AgregarBarra(ruta) + nombre;
        int error = 0;
        // What the listing calls a regular file is removed without a query: should it have
        // become a folder since, removing it as a file fails and is logged, and nothing in it
        // is touched.
        const bool archivo = k < tipos.size() && tipos[k] == TipoNodo::Archivo;
        const ManejadorArchivo sub =
            !archivo && BajoNivel().ConsultarEn(carpeta, nombre).tipo == TipoNodo::Carpeta
                ? BajoNivel().AbrirCarpeta(carpeta, nombre, error)
                : MANEJADOR_INVALIDO;
        if (sub != MANEJADOR_INVALIDO) {
            const bool vacia = BorrarContenido(i, sub, hijo);
            BajoNivel().Cerrar(sub);
            if (Op(i).Cancelar) return false;
            error = BajoNivel().BorrarEn(carpeta, nombre, true);
            if (!vacia) todo = false;
        } else if (error == 0) {
            error = BajoNivel().BorrarEn(carpeta, nombre, false);
        }
        if (error != 0) {
            LogBorrado(i, hijo, error);
            todo = false;
        }
        if (CederYCancelado(i)) return false;
    }
    return todo;
}

bool cTareas::BorrarCarpeta(std::int64_t i, const std::string& carpetaDada) {
    const std::string carpeta = SinBarraFinal(carpetaDada);
    const InfoNodo info = BajoNivel().Consultar(carpeta);
    if (info.tipo == TipoNodo::NoExiste) {
        DialogosSistema().Mensaje(TEXTO_ELEMENTO_NO_EXISTE + carpeta, Texto(General, 0),
                                  Botones::Aceptar, IconoMensaje::Exclamacion);
        return false;
    }
    if (info.tipo != TipoNodo::Carpeta) return BorrarElemento(i, carpeta);
    int error = 0;
    const ManejadorArchivo h = BajoNivel().AbrirCarpeta(MANEJADOR_INVALIDO, carpeta, error);
    if (h == MANEJADOR_INVALIDO) {
        LogBorrado(i, carpeta, error);
        return false;
    }
    const bool todo = BorrarContenido(i, h, carpeta);
    BajoNivel().Cerrar(h);
    if (Op(i).Cancelar) return false;
    error = BajoNivel().BorrarCarpetaVacia(carpeta);
    if (error == 0) return todo;
    LogBorrado(i, carpeta, error);
    return false;
}

}  // namespace quirvex
