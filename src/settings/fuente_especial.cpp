#include "settings/fuente_especial.h"

#include <filesystem>
#include <system_error>

#include "platform/dialogos.h"
#include "settings/almacen_registro.h"
#include "settings/idioma.h"
#include "settings/opciones.h"

namespace quirvex {
namespace {

namespace fs = std::filesystem;

bool Existe(const std::string& ruta) {
    std::error_code ec;
    return !ruta.empty() && fs::is_regular_file(ruta, ec);
}

void Avisar(const std::string& texto, IconoMensaje icono) {
    DialogosSistema().Mensaje(texto, Texto(General, 0), Botones::Aceptar, icono);
}

}  // namespace

bool InstalarFuente(ServicioFuentes& s, const std::string& archivo, bool copiar) {
    if (!Existe(archivo)) return false;
    const std::string carpeta = s.CarpetaFuentes();
    if (carpeta.empty()) return false;
    std::string registrado = archivo;
    if (copiar) {
        std::error_code ec;
        fs::create_directories(carpeta, ec);
        registrado = carpeta + fs::path(archivo).filename().string();
        if (registrado != archivo) {
            fs::copy_file(archivo, registrado, fs::copy_options::overwrite_existing, ec);
            if (ec) return false;
        }
    }
    return s.Registrar(registrado);
}

InicioDescargaFuente EmpezarDescargaFuente(ServicioFuentes& s) {
    InicioDescargaFuente r;
    const std::string carpeta = s.CarpetaFuentes();
    if (carpeta.empty()) {
        Avisar(Texto(General, 30), IconoMensaje::Stop);
        r.fin = ResultadoFuente::SinCarpeta;
        return r;
    }
    r.destino = carpeta + ARCHIVO_FUENTE_ESPECIAL;
    if (Existe(r.destino)) return r;
    if (DialogosSistema().Mensaje(Texto(General, 31), Texto(General, 6), Botones::SiNo,
                                  IconoMensaje::Pregunta) != Respuesta::Si)
        r.fin = ResultadoFuente::Rechazada;
    else
        r.descargar = true;
    return r;
}

ResultadoFuente TerminarDescargaFuente(ServicioFuentes& s, const std::string& destino) {
    if (!Existe(destino)) {
        Avisar(Texto(General, 7), IconoMensaje::Exclamacion);
        return ResultadoFuente::NoDescargada;
    }
    if (!InstalarFuente(s, destino, false)) {
        Avisar(Texto(General, 8), IconoMensaje::Exclamacion);
        return ResultadoFuente::NoInstalada;
    }
    s.DejarCorrer();
    if (!s.Sondear()) {
        Avisar(Texto(General, 33), IconoMensaje::Stop);
        return ResultadoFuente::Reiniciar;
    }
    return ResultadoFuente::Instalada;
}

ResultadoFuente DescargarFuente(ServicioFuentes& s, const std::string& direccion) {
    const InicioDescargaFuente inicio = EmpezarDescargaFuente(s);
    if (inicio.fin) return *inicio.fin;
    if (inicio.descargar && !direccion.empty()) s.Descargar(direccion, inicio.destino);
    return TerminarDescargaFuente(s, inicio.destino);
}

ResultadoFuente InstalarFuenteInicio(ServicioFuentes& s, const std::string& direccion) {
    const std::string carpeta = s.CarpetaFuentes();
    if (carpeta.empty()) return ResultadoFuente::SinCarpeta;
    const std::string destino = carpeta + ARCHIVO_FUENTE_ESPECIAL;
    s.DejarCorrer();
    if (!direccion.empty()) s.Descargar(direccion, destino);
    if (!Existe(destino)) {
        Avisar(Texto(General, 7), IconoMensaje::Exclamacion);
        return ResultadoFuente::NoDescargada;
    }
    if (!InstalarFuente(s, destino, false)) {
        Avisar(Texto(General, 8) + " " + Texto(General, 32), IconoMensaje::Exclamacion);
        return ResultadoFuente::NoInstalada;
    }
    RegEscribirDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Special Font", 1);
    Opciones().SpecialFont = 1;
    return ResultadoFuente::Instalada;
}

}  // namespace quirvex
