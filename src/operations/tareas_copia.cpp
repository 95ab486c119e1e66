// Copying and moving files, links and folder trees.

#include <algorithm>

#include "operations/rutas_operacion.h"
#include "operations/tareas.h"
#include "platform/archivo_bajo_nivel.h"
#include "settings/idioma.h"

namespace quirvex {

// Closes both files and removes the target when this copy made it or wrote into it; a target
// that existed and was never touched stays as it was.
std::int64_t cTareas::AbandonarCopia(const std::string& destino, bool modificado,
                                     std::int64_t resultado) {
    lector_.CloseFile();
    escritor_.CloseFile();
    if (modificado) BajoNivel().BorrarArchivo(destino);
    return resultado;
}

// Moves `largo` bytes from the open source to the open target chunk by chunk: inside the kernel
// while it can, else through the one reused buffer. Yields after each chunk. 0, or the failure
// (already logged) or the cancellation.
std::int64_t cTareas::CopiarDatos(std::int64_t i, std::int64_t largo, bool mover,
                                  bool& modificado) {
    bool kernel = true;
    for (std::int64_t restante = largo; restante > 0;) {
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(restante, static_cast<std::int64_t>(tramo_)));
        std::size_t hecho = 0;
        if (kernel) {
            const ResultadoTramo r =
                BajoNivel().CopiarTramo(lector_.FileHandle(), escritor_.FileHandle(), n);
            hecho = static_cast<std::size_t>(r.copiados);
            if (hecho > 0) modificado = true;
            // Any trouble of the kernel copy is tried again with plain reads and writes: they
            // either work or say precisely which side failed.
            if (r.error != 0 || r.sinSoporte) {
                kernel = false;
            } else if (hecho < n) {
                LogFallo(i, mover, lector_.FileName(), FALLO_LECTURA,
                         CrearFalloArchivo(FALLO_LECTURA, lector_.FileName(),
                                           BajoNivel().Codigo(ErrorComun::FinInesperado))
                             .descripcion);
                return COPIA_FALLIDA;
            }
        }
        if (hecho < n) {
            if (buffer_.size() < tramo_) buffer_.resize(tramo_);
            const std::span<std::byte> parte(buffer_.data(), n - hecho);
            if (!lector_.ReadBytes(parte)) {
                LogFallo(i, mover, lector_.FileName(), lector_.Fallo().numero, lector_.Fallo().descripcion);
                return COPIA_FALLIDA;
            }
            modificado = true;
            if (!escritor_.WriteBytes(parte)) {
                LogFallo(i, mover, lector_.FileName(), escritor_.Fallo().numero, escritor_.Fallo().descripcion);
                return COPIA_FALLIDA;
            }
        }
        restante -= static_cast<std::int64_t>(n);
        SumarProgreso(i, static_cast<std::int64_t>(n));
        if (CederYCancelado(i)) return COPIA_CANCELADA;
    }
    return 0;
}

std::int64_t cTareas::CopiarArchivo(std::int64_t i, const std::string& origenDado,
                                    const std::string& destinoDado, bool mover) {
    const std::string origen = SinBarraFinal(origenDado);
    const std::string destino = SinBarraFinal(destinoDado);
    const InfoNodo info = BajoNivel().Consultar(origen);
    if (info.tipo == TipoNodo::Enlace) return CopiarEnlace(i, origen, destino, mover);
    if (info.tipo == TipoNodo::NoExiste) {
        LogFalloSistema(i, mover, origen, info.error);
        return COPIA_FALLIDA;
    }
    if (mover) {
        const int error = BajoNivel().Renombrar(origen, destino);
        if (error == 0) return info.tamano;
        if (!BajoNivel().Es(error, ErrorComun::OtroDispositivo)) {
            LogFalloSistema(i, true, origen, error);
            return COPIA_FALLIDA;
        }
    }
    // Writing a file onto itself (a hard link, a path through a link) would destroy it, and a
    // move would then delete the only copy.
    const InfoNodo objetivo = BajoNivel().Consultar(destino);
    if (objetivo.tipo != TipoNodo::NoExiste && objetivo.dispositivo == info.dispositivo &&
        objetivo.inodo == info.inodo) {
        LogFalloSistema(i, mover, origen, BajoNivel().Codigo(ErrorComun::ArgumentoInvalido));
        return COPIA_FALLIDA;
    }
    lector_.CloseFile();
    escritor_.CloseFile();
    if (!lector_.OpenFile(origen, true)) {
        LogFallo(i, mover, origen, lector_.Fallo().numero, lector_.Fallo().descripcion);
        return COPIA_FALLIDA;
    }
    if (!escritor_.OpenFile(destino, false)) {
        LogFallo(i, mover, origen, escritor_.Fallo().numero, escritor_.Fallo().descripcion);
        return AbandonarCopia(destino, false, COPIA_FALLIDA);
    }
    bool modificado = escritor_.Creado();
    const std::int64_t r = CopiarDatos(i, info.tamano, mover, modificado);
    if (r != 0) return AbandonarCopia(destino, modificado, r);
    // An older, longer file under the same name keeps no stale tail; a moved file is on disk
    // before its source goes.
    modificado = true;
    if (!escritor_.SetLength(info.tamano) || (mover && !escritor_.Flush())) {
        LogFallo(i, mover, origen, escritor_.Fallo().numero, escritor_.Fallo().descripcion);
        return AbandonarCopia(destino, true, COPIA_FALLIDA);
    }
    BajoNivel().CopiarMetadatos(origen, escritor_.FileHandle());
    lector_.CloseFile();
    if (!escritor_.CloseFile()) {
        LogFallo(i, mover, origen, escritor_.Fallo().numero, escritor_.Fallo().descripcion);
        return AbandonarCopia(destino, true, COPIA_FALLIDA);
    }
    if (mover) {
        const int error = BajoNivel().BorrarArchivo(origen);
        if (error != 0) {
            LogFalloSistema(i, true, origen, error);
            return COPIA_FALLIDA;
        }
    }
    return info.tamano;
}

// A link is copied as a link with the same target text, never as what it points to.
std::int64_t cTareas::CopiarEnlace(std::int64_t i, const std::string& origen,
                                   const std::string& destino, bool mover) {
    if (mover) {
        const int error = BajoNivel().Renombrar(origen, destino);
        if (error == 0) return 0;
        if (!BajoNivel().Es(error, ErrorComun::OtroDispositivo)) {
            LogFalloSistema(i, true, origen, error);
            return COPIA_FALLIDA;
        }
    }
    std::string texto;
    int error = BajoNivel().LeerEnlace(origen, texto);
    if (error == 0) error = BajoNivel().CrearEnlace(texto, destino);
    if (error == 0 && mover) error = BajoNivel().BorrarArchivo(origen);
    if (error != 0) {
        LogFalloSistema(i, mover, origen, error);
        return COPIA_FALLIDA;
    }
    return 0;
}

std::int64_t cTareas::CopiarCarpeta(std::int64_t i, const std::string& origenDado,
                                    const std::string& destinoDado, bool mover) {
    const std::string origen = SinBarraFinal(origenDado);
    const std::string destino = SinBarraFinal(destinoDado);
    const InfoNodo info = BajoNivel().Consultar(origen);
    if (info.tipo == TipoNodo::NoExiste) {
        AgregarError(i, Texto(General, 41) + "\"" + origen + "\"");
        return COPIA_FALLIDA;
    }
    if (info.tipo != TipoNodo::Carpeta) return CopiarArchivo(i, origen, destino, mover);
    const InfoNodo objetivo = BajoNivel().Consultar(destino);
    if (objetivo.tipo == TipoNodo::NoExiste) {
        const int error = CrearRuta(destino);
        if (error != 0) {
            LogFalloSistema(i, mover, origen, error);
            return COPIA_FALLIDA;
        }
    } else if (objetivo.tipo != TipoNodo::Carpeta) {
        LogFalloSistema(i, mover, origen, BajoNivel().Codigo(ErrorComun::YaExiste));
        return COPIA_FALLIDA;
    }
    bool completo = true;
    return CopiarContenido(i, origen, destino, mover, completo);
}

// Walks one folder of the tree. Files written onto existing ones of the same name replace them.
// When moving, a folder whose every entry went is removed once empty; a folder that kept
// anything (a failed file, an entry that could not be walked) stays with what it kept.
std::int64_t cTareas::CopiarContenido(std::int64_t i, const std::string& origen,
                                      const std::string& destino, bool mover, bool& completo) {
    std::vector<std::string> nombres;
    const int errorLista = BajoNivel().ListarNombres(origen, nombres);
    if (errorLista != 0) {
        LogFalloSistema(i, mover, origen, errorLista);
        completo = false;
        return 0;
    }
    std::int64_t total = 0;
    bool todo = true;
    for (const std::string& nombre : nombres) {
        const std::string ruta = AgregarBarra(origen) + nombre;
        const std::string objetivo = AgregarBarra(destino) + nombre;
        const InfoNodo info = BajoNivel().Consultar(ruta);
        std::int64_t r = 0;
        if (info.tipo == TipoNodo::Carpeta) {
            const InfoNodo existente = BajoNivel().Consultar(objetivo);
            int error = 0;
            if (existente.tipo == TipoNodo::NoExiste)
                error = BajoNivel().CrearCarpeta(objetivo);
            else if (existente.tipo != TipoNodo::Carpeta)
                error = BajoNivel().Codigo(ErrorComun::YaExiste);
            if (error != 0) {
                LogFalloSistema(i, mover, ruta, error);
                r = COPIA_FALLIDA;
            } else {
                bool sub = true;
                r = CopiarContenido(i, ruta, objetivo, mover, sub);
                if (!sub) todo = false;
            }
        } else if (info.tipo == TipoNodo::NoExiste) {
            AgregarError(i, Texto(General, 41) + "\"" + ruta + "\"");
            r = COPIA_FALLIDA;
        } else {
            r = CopiarArchivo(i, ruta, objetivo, mover);
        }
        if (r == COPIA_CANCELADA) return COPIA_CANCELADA;
        if (r < 0)
            todo = false;
        else
            total += r;
        if (CederYCancelado(i)) return COPIA_CANCELADA;
    }
    if (!todo) completo = false;
    if (mover && todo) BajoNivel().BorrarCarpetaVacia(origen);
    return total;
}

// A whole folder moves in one rename when it stays on its file system; across file systems its
// tree is copied file by file, each source file going only after its copy is complete.
std::int64_t cTareas::MoverCarpeta(std::int64_t i, const std::string& origen,
                                   const std::string& destino) {
    const int error = BajoNivel().Renombrar(origen, destino);
    if (error == 0) {
        Avisar(destino, TIPO_CARPETA, "CreatedFolder");
        return 0;
    }
    if (!BajoNivel().Es(error, ErrorComun::OtroDispositivo)) {
        LogFalloSistema(i, true, origen, error);
        return COPIA_FALLIDA;
    }
    const int errorCrear = CrearRuta(destino);
    if (errorCrear != 0) {
        LogFalloSistema(i, true, origen, errorCrear);
        return COPIA_FALLIDA;
    }
    Avisar(destino, TIPO_CARPETA, "CreatedFolder");
    return CopiarCarpeta(i, origen, destino, true);
}

}  // namespace quirvex
