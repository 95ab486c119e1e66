#include "operations/comandos_archivo.h"

#include "folder/contenido_visor.h"
#include "folder/tabla_unidades.h"
#include "operations/rutas_operacion.h"
#include "platform/archivo_bajo_nivel.h"
#include "platform/archivos_nuevos.h"
#include "platform/dialogos.h"
#include "platform/etiquetas_volumen.h"
#include "settings/idioma.h"

namespace quirvex {
namespace {

constexpr char PROHIBIDOS[] = {'*', '/', '\\', '|', ':', '<', '>', '?', '"'};

void Avisar(const std::string& texto, IconoMensaje icono, const std::string& titulo = {}) {
    DialogosSistema().Mensaje(texto, titulo.empty() ? Texto(General, 0) : titulo, Botones::Aceptar, icono);
}

std::string ConMotivo(int claveFallo, int codigo) {
    return Texto(General, claveFallo) + "\n\n" + Texto(General, 50) +
           BajoNivel().DescripcionError(codigo);
}

std::string Recortar(const std::string& s) {
    const auto inicio = s.find_first_not_of(' ');
    if (inicio == std::string::npos) return {};
    return s.substr(inicio, s.find_last_not_of(' ') - inicio + 1);
}

}  // namespace

int ValidarNombre(const std::string& nombre) {
    if (nombre.empty()) return -1;
    if (nombre.front() == ' ' || nombre.front() == '.') return -2;
    for (const char c : PROHIBIDOS) {
        const auto pos = nombre.find(c);
        if (pos == std::string::npos) continue;
        // Characters, not bytes: UTF-8 continuation bytes do not start a character.
        int caracter = 0;
        for (std::size_t k = 0; k <= pos; ++k)
            if ((static_cast<unsigned char>(nombre[k]) & 0xC0) != 0x80) ++caracter;
        return caracter;
    }
    return 0;
}

PartesEtiqueta SepararEtiquetaUnidad(const std::string& textoMostrado) {
    for (const RegistroUnidad& u : TablaUnidades()) {
        if (u.etiqueta != textoMostrado) continue;
        const std::string punto = SinBarraFinal(u.raiz);
        const std::string sufijo = " (" + punto + ")";
        if (textoMostrado.size() >= sufijo.size() &&
            textoMostrado.compare(textoMostrado.size() - sufijo.size(), sufijo.size(), sufijo) == 0)
            return {Recortar(textoMostrado.substr(0, textoMostrado.size() - sufijo.size())), punto};
    }
    const auto abre = textoMostrado.rfind('(');
    if (abre == std::string::npos) return {Recortar(textoMostrado), {}};
    const auto cierra = textoMostrado.find(')', abre);
    const std::string unidad = textoMostrado.substr(
        abre + 1, cierra == std::string::npos ? std::string::npos : cierra - abre - 1);
    return {Recortar(textoMostrado.substr(0, abre)), unidad};
}

std::int64_t EliminarSeleccion(const std::string& carpeta, const std::vector<std::string>& rutas,
                               cTareas& tareas) {
    if (rutas.empty() || carpeta.empty() || carpeta == TextoMiPC()) return -1;
    const Respuesta r = DialogosSistema().Mensaje(Texto(General, 10), Texto(General, 11),
                                                  Botones::SiNoDefectoNo, IconoMensaje::Exclamacion);
    if (r != Respuesta::Si) return -1;
    return tareas.AgregarOperacion(TIPO_BORRAR, carpeta, "", rutas);
}

std::string CrearCarpetaNueva(const std::string& carpeta, OyenteCambios* oyente) {
    const std::string base = AgregarBarra(carpeta) + NOMBRE_CARPETA_NUEVA;
    int error = 0;
    // Another program may take the free name between the look and the mkdir; mkdir never
    // replaces anything, so just look again.
    for (int intento = 0; intento < 8; ++intento) {
        const std::string ruta = NombreLibre(base, true);
        error = BajoNivel().CrearCarpeta(ruta);
        if (error == 0) {
            if (oyente) oyente->ActualizarRuta(CambioRuta{AgregarBarra(carpeta), NombreDe(ruta), "",
                                               TIPO_CARPETA, "CreatedFolder"});
            return ruta;
        }
        if (!BajoNivel().Es(error, ErrorComun::YaExiste)) break;
    }
    Avisar(ConMotivo(18, error), IconoMensaje::Stop, Texto(General, 52));
    return {};
}

bool cRenombrar::Aplicar(const std::string& nuevo) {
    if (nuevo == anterior && modo == ModoRenombrar::Renombrar) return true;
    switch (ValidarNombre(nuevo)) {
        case -2: Avisar(Texto(General, 46), IconoMensaje::Exclamacion); return false;
        case -1: Avisar(Texto(General, 47), IconoMensaje::Exclamacion); return false;
        case 0: break;
        default: Avisar(Texto(General, 54), IconoMensaje::Exclamacion); return false;
    }
    if (modo == ModoRenombrar::ArchivoNuevo) return CrearArchivo(nuevo);
    if (tipo == TIPO_UNIDAD) return CambiarEtiqueta(nuevo);
    return Renombrar(nuevo);
}

bool cRenombrar::CrearArchivo(const std::string& nuevo) {
    const int error = ArchivosNuevosSistema().CrearArchivoExclusivo(AgregarBarra(carpeta) + nuevo);
    if (error != 0) {
        Avisar(ConMotivo(16, error), IconoMensaje::Stop, Texto(General, 53));
        return false;
    }
    if (oyente) oyente->ActualizarRuta(CambioRuta{AgregarBarra(carpeta), nuevo, "", TIPO_ARCHIVO, "Created"});
    return true;
}

bool cRenombrar::CambiarEtiqueta(const std::string& nuevo) {
    std::string motivo;
    if (!EtiquetasSistema().CambiarEtiqueta(unidad, nuevo, motivo)) {
        Avisar(Texto(General, 48), IconoMensaje::Exclamacion);
        return false;
    }
    const std::string antes = EtiquetaUnidad(AgregarBarra(unidad));
    ListarUnidades();
    const std::string despues = nuevo + " (" + SinBarraFinal(unidad) + ")";
    if (oyente) oyente->ActualizarRuta(CambioRuta{TextoMiPC(), antes.empty() ? anterior : antes, despues,
                                       TIPO_UNIDAD, "Rename"});
    return true;
}

bool cRenombrar::Renombrar(const std::string& nuevo) {
    const std::string origen = AgregarBarra(carpeta) + anterior;
    const std::string destino = AgregarBarra(carpeta) + nuevo;
    const int error = ArchivosNuevosSistema().RenombrarSinReemplazar(origen, destino);
    if (error != 0) {
        Avisar(ConMotivo(49, error), IconoMensaje::Stop, Texto(General, 51));
        return false;
    }
    std::string tipoItem = tipo;
    if (visor) {
        const std::int64_t i = visor->GetIndexItem(anterior);
        if (i < 0) {
            Avisar(Texto(General, 41) + anterior, IconoMensaje::Stop);
            return true;
        }
        tipoItem = visor->GetTipoAFiles(i);
    }
    if (oyente) oyente->ActualizarRuta(CambioRuta{AgregarBarra(carpeta), anterior, destino, tipoItem, "Rename"});
    return true;
}

}  // namespace quirvex
