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

void Avisar(int clave, IconoMensaje icono, const std::string& motivo = {}) {
    const std::string texto = motivo.empty() ? Texto(General, clave) : Texto(General, clave) + "\n\n" + motivo;
    DialogosSistema().Mensaje(texto, Texto(frmInfoSec, 0), Botones::Aceptar, icono);
}

// The service said yes: the drive list follows.
bool EtiquetaCambiada(const std::string& raiz, const std::string& nuevo, OyenteCambios* oyente) {
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

bool CambiarEtiquetaUnidad(const std::string& raiz, const std::string& nuevo, OyenteCambios* oyente,
                           std::function<void(bool)> alTerminar) {
    switch (ValidarNombre(nuevo)) {
        case -2: Avisar(55, IconoMensaje::Exclamacion); return false;
        case -1: Avisar(56, IconoMensaje::Exclamacion); return false;
        case 0: break;
        default: Avisar(54, IconoMensaje::Exclamacion); return false;
    }
    EtiquetasSistema().PedirEtiqueta(
        raiz, nuevo, [raiz, nuevo, oyente, alTerminar = std::move(alTerminar)](const RespuestaEtiqueta& r) {
            if (!r.hecho)
                Avisar(57, IconoMensaje::Exclamacion, r.segundosEsperados > 0 ? TextoN(frmInfoSec, 193, r.segundosEsperados) : r.motivo);
            const bool cambiada = r.hecho && EtiquetaCambiada(raiz, nuevo, oyente);
            if (alTerminar) alTerminar(cambiada);
        });
    return true;
}

std::string TextoPermisos(std::uint32_t modo) {
    char tipo = '-';
    switch (modo & 0170000) {
        case 0040000: tipo = 'd'; break;
        case 0120000: tipo = 'l'; break;
        case 0020000: tipo = 'c'; break;
        case 0060000: tipo = 'b'; break;
        case 0010000: tipo = 'p'; break;
        case 0140000: tipo = 's'; break;
        default: break;
    }
    std::string r(1, tipo);
    // Owner, group, others; the special bit of each shows in its execute place.
    const std::uint32_t especiales[3] = {04000, 02000, 01000};
    const char conX[3] = {'s', 's', 't'};
    const char sinX[3] = {'S', 'S', 'T'};
    for (int k = 0; k < 3; ++k) {
        const std::uint32_t bits = (modo >> (6 - 3 * k)) & 7;
        r += (bits & 4) ? 'r' : '-';
        r += (bits & 2) ? 'w' : '-';
        const bool x = (bits & 1) != 0;
        if (modo & especiales[k])
            r += x ? conX[k] : sinX[k];
        else
            r += x ? 'x' : '-';
    }
    return r;
}

std::string OctalPermisos(std::uint32_t modo) {
    std::string r;
    for (int desplazamiento = 9; desplazamiento >= 0; desplazamiento -= 3)
        r += static_cast<char>('0' + ((modo >> desplazamiento) & 7));
    return r;
}

std::string TextoCuenta(const std::string& nombre, std::uint32_t id) {
    return nombre.empty() ? std::to_string(id) : nombre + " (" + std::to_string(id) + ")";
}

}  // namespace quirvex
