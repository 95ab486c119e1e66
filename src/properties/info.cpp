#include "properties/info.h"

#include "folder/item_carpeta.h"
#include "folder/rutas.h"
#include "folder/tabla_unidades.h"
#include "operations/comandos_archivo.h"
#include "operations/tareas.h"
#include "pane/formato_visor.h"
#include "platform/dialogos.h"
#include "platform/etiquetas_volumen.h"
#include "platform/unidades.h"
#include "settings/idioma.h"

namespace quirvex {
namespace {

constexpr const char* SIN_DATO = "-";

void Avisar(int clave, IconoMensaje icono) {
    DialogosSistema().Mensaje(Texto(General, clave), Texto(frmInfoSec, 0), Botones::Aceptar, icono);
}

std::string Porcentaje(std::int64_t parte, std::int64_t total) {
    return std::to_string((parte * 100 + total / 2) / total) + "%";
}

}  // namespace

std::string TituloArchivo(const std::string& nombre) { return nombre + SUFIJO_PROPIEDADES_ARCHIVO; }

std::string TituloCarpeta(const std::string& nombre) {
    return nombre + " (" + Texto(frmInfoSec, 15) + ")";
}

PaginaUnidad CargarPaginaUnidad(const std::string& raiz, std::string_view separador) {
    PaginaUnidad p;
    const std::int64_t i = IndiceUnidad(raiz);
    const RegistroUnidad* r = i < 0 ? nullptr : &TablaUnidades()[static_cast<size_t>(i)];
    p.titulo = r ? r->etiqueta : SinBarraFinal(raiz);
    const InfoVolumen v = DatosVolumenSistema().Leer(raiz);
    p.legible = v.montado;
    p.etiqueta = v.etiqueta;
    const std::string etiqueta =
        !v.montado ? SIN_DATO : v.etiqueta.empty() ? Texto(frmInfoSec, 8) : v.etiqueta;
    p.lineaEtiqueta = etiqueta;
    p.lineaSistema = Texto(frmInfoSec, 9) + (v.sistema.empty() ? SIN_DATO : v.sistema);
    p.lineaSerie = Texto(frmInfoSec, 10) + (v.uuid.empty() ? SIN_DATO : v.uuid);
    const bool espacio = v.total > 0 && v.libre >= 0 && v.libre <= v.total;
    p.total = Texto(frmInfoSec, 11) + " " + (espacio ? FormatearTamano(v.total, 0, separador) : SIN_DATO);
    p.libre = Texto(frmInfoSec, 12) + " " + (espacio ? FormatearTamano(v.libre, 0, separador) : SIN_DATO);
    p.usado = Texto(frmInfoSec, 13) + " " + (espacio ? Porcentaje(v.total - v.libre, v.total) : SIN_DATO);
    p.fraccionUsada = espacio ? static_cast<double>(v.total - v.libre) / static_cast<double>(v.total) : 0;
    p.renombrable = v.montado && r && r->tipo == UNIDAD_FIJA;
    return p;
}

bool CambiarEtiquetaUnidad(const std::string& raiz, const std::string& nuevo, OyenteCambios* oyente) {
    switch (ValidarNombre(nuevo)) {
        case -2: Avisar(55, IconoMensaje::Exclamacion); return false;
        case -1: Avisar(56, IconoMensaje::Exclamacion); return false;
        case 0: break;
        default: Avisar(54, IconoMensaje::Exclamacion); return false;
    }
    std::string motivo;
    if (!EtiquetasSistema().CambiarEtiqueta(raiz, nuevo, motivo)) {
        Avisar(57, IconoMensaje::Exclamacion);
        return false;
    }
    const std::int64_t i = IndiceUnidad(raiz);
    if (i < 0) {
        Avisar(58, IconoMensaje::Stop);
        return false;
    }
    const std::string antes = TablaUnidades()[static_cast<size_t>(i)].etiqueta;
    const std::string despues = nuevo + " (" + SinBarraFinal(AgregarBarra(raiz)) + ")";
    SetEtiquetaEnTabla(static_cast<size_t>(i), despues);
    if (oyente) oyente->ActualizarRuta(CambioRuta{TextoMiPC(), antes, despues, TIPO_UNIDAD, "Rename"});
    return true;
}

}  // namespace quirvex
