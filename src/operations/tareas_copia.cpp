// Copying and moving files, links and folder trees.
//
// A tree is walked through open folder handles: every source entry is reached relative to the
// folder that listed it, so a folder swapped for a link while the engine yields is never
// followed, and a move deletes only what it copied. Targets are written by path (they are the
// operation's own). A file larger than one chunk is written under a hidden temporary name and
// renamed over its final name once complete and on disk.

#include <algorithm>

#include "operations/rutas_operacion.h"
#include "operations/tareas.h"
#include "platform/archivo_bajo_nivel.h"
#include "settings/idioma.h"

namespace quirvex {
namespace {

// Closes a folder handle when the walk leaves it, however it leaves.
struct CarpetaAbierta {
    ManejadorArchivo h = MANEJADOR_INVALIDO;
    CarpetaAbierta() = default;
    explicit CarpetaAbierta(ManejadorArchivo manejador) : h(manejador) {}
    CarpetaAbierta(const CarpetaAbierta&) = delete;
    CarpetaAbierta& operator=(const CarpetaAbierta&) = delete;
    ~CarpetaAbierta() {
        if (h != MANEJADOR_INVALIDO) BajoNivel().Cerrar(h);
    }
};

bool MismoArchivo(const InfoNodo& a, const InfoNodo& b) {
    return a.tipo != TipoNodo::NoExiste && b.tipo != TipoNodo::NoExiste &&
           a.dispositivo == b.dispositivo && a.inodo == b.inodo;
}

}  // namespace

// Closes both files and removes the target when this copy made it or wrote into it; a target
// that existed and was never touched stays as it was.
std::int64_t cTareas::AbandonarCopia(const std::string& destino, bool modificado,
                                     std::int64_t resultado) {
    lector_.CloseFile();
    escritor_.CloseFile();
    if (modificado) BajoNivel().BorrarArchivo(destino);
    return resultado;
}

// Copies [desde, hasta) between the current positions of both files, chunk by chunk: inside the
// kernel while it can, else through the one reused buffer. Yields after each chunk.
std::int64_t cTareas::CopiarTramos(std::int64_t i, std::int64_t desde, std::int64_t hasta,
                                   bool mover, bool& modificado, bool& kernel) {
    // A file of more than one chunk is synchronised before it takes its name: its chunks start
    // for the disk as they are written, so that wait overlaps the copy instead of following it.
    const bool adelantar = lector_.Info().tamano > static_cast<std::int64_t>(tramo_);
    for (std::int64_t restante = hasta - desde; restante > 0;) {
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
        if (adelantar)
            BajoNivel().AdelantarEscritura(escritor_.FileHandle(), hasta - restante, static_cast<std::int64_t>(n));
        restante -= static_cast<std::int64_t>(n);
        SumarProgreso(i, static_cast<std::int64_t>(n));
        if (CederYCancelado(i)) return COPIA_CANCELADA;
    }
    return 0;
}

// Moves the source's data to the open target. A file that takes less room on disk than its
// length has holes: only its data ranges are copied, each at its own offset, and the holes
// count as done. 0, or the failure (already logged) or the cancellation.
std::int64_t cTareas::CopiarDatos(std::int64_t i, const InfoNodo& fuente, bool mover,
                                  bool& modificado) {
    rangos_.assign(1, RangoDatos{0, fuente.tamano});
    const bool huecos = fuente.ocupado < fuente.tamano;
    if (huecos) BajoNivel().RangosDatos(lector_.FileHandle(), fuente.tamano, rangos_);
    bool kernel = true;
    std::int64_t posicion = 0;
    for (const RangoDatos& rango : rangos_) {
        if (huecos) {
            int error = 0;
            if (BajoNivel().Posicionar(lector_.FileHandle(), rango.inicio, true, error) < 0 ||
                BajoNivel().Posicionar(escritor_.FileHandle(), rango.inicio, true, error) < 0) {
                LogFalloSistema(i, mover, lector_.FileName(), error);
                return COPIA_FALLIDA;
            }
            SumarProgreso(i, rango.inicio - posicion);
        }
        const std::int64_t r = CopiarTramos(i, rango.inicio, rango.fin, mover, modificado, kernel);
        if (r != 0) return r;
        posicion = rango.fin;
    }
    SumarProgreso(i, fuente.tamano - posicion);
    return 0;
}

bool cTareas::CreadoPorEsta(const InfoNodo& info) const {
    return info.tipo == TipoNodo::Archivo && creados_.count({info.dispositivo, info.inodo}) > 0;
}

// Opens the file the copy writes: the target itself, or for a large file a new hidden name
// beside it (`escrito`). An existing target that is the source itself is refused; one that this
// operation created a moment ago (a name that folds onto it) sends the copy to a free name.
bool cTareas::AbrirDestino(std::int64_t i, std::string& destino, const std::string& ruta,
                           bool mover, bool temporal, std::string& escrito) {
    const InfoNodo& fuente = lector_.Info();
    // Only the writer is closed here; a temporary name is this copy's own and goes with it.
    const auto soltar = [&] {
        escritor_.CloseFile();
        if (temporal) BajoNivel().BorrarArchivo(escrito);
    };
    for (int intento = 0; intento < 64; ++intento) {
        InfoNodo existente;
        escrito = destino;
        if (temporal) {
            existente = BajoNivel().Consultar(destino);
            escrito = AgregarBarra(CarpetaDe(destino)) + PREFIJO_TEMPORAL + std::to_string(++temporales_);
        }
        if (!escritor_.OpenFile(escrito, false)) {
            LogFallo(i, mover, ruta, escritor_.Fallo().numero, escritor_.Fallo().descripcion);
            return false;
        }
        if (temporal && !escritor_.Creado()) {
            escritor_.CloseFile();  // somebody else's file under that name: left alone
            continue;
        }
        if (!temporal && !escritor_.Creado()) existente = escritor_.Info();
        // Writing a file onto itself (a hard link, a path through a link) would destroy it,
        // and a move would then delete the only copy.
        if (MismoArchivo(existente, fuente)) {
            soltar();
            LogFalloSistema(i, mover, ruta, BajoNivel().Codigo(ErrorComun::ArgumentoInvalido));
            return false;
        }
        if (!CreadoPorEsta(existente)) return true;
        soltar();
        destino = NombreLibre(destino, false);
        AgregarError(i, TEXTO_NOMBRE_TOMADO + destino);
    }
    LogFalloSistema(i, mover, ruta, BajoNivel().Codigo(ErrorComun::YaExiste));
    return false;
}

std::int64_t cTareas::CopiarArchivo(std::int64_t i, const std::string& origenDado,
                                    const std::string& destinoDado, bool mover) {
    const std::string origen = SinBarraFinal(origenDado);
    const std::string destino = SinBarraFinal(destinoDado);
    const InfoNodo info = BajoNivel().Consultar(origen);
    if (info.tipo == TipoNodo::NoExiste) {
        LogFalloSistema(i, mover, origen, info.error);
        return COPIA_FALLIDA;
    }
    if (mover) {
        const int error = BajoNivel().Renombrar(origen, destino);
        if (error == 0) return info.tipo == TipoNodo::Enlace ? 0 : info.tamano;
        if (!BajoNivel().Es(error, ErrorComun::OtroDispositivo)) {
            LogFalloSistema(i, true, origen, error);
            return COPIA_FALLIDA;
        }
    }
    if (info.tipo == TipoNodo::Enlace)
        return CopiarEnlace(i, MANEJADOR_INVALIDO, origen, origen, destino, mover);
    return CopiarArchivoEn(i, MANEJADOR_INVALIDO, origen, origen, destino, mover);
}

// One file, copied whole or not at all. The source is compared after the copy with what it was
// when opened: a file that grew or was rewritten meanwhile is logged, and a move keeps it.
std::int64_t cTareas::CopiarArchivoEn(std::int64_t i, ManejadorArchivo carpeta,
                                      const std::string& nombre, const std::string& ruta,
                                      std::string destino, bool mover) {
    const std::int64_t antes = Op(i).BytesHechos;
    lector_.CloseFile();
    escritor_.CloseFile();
    if (!lector_.OpenFileIn(carpeta, nombre, ruta)) {
        // Gone since it was listed: "Missing:", as for an entry whose query found nothing.
        const InfoNodo ahora = BajoNivel().ConsultarEn(carpeta, nombre);
        if (ahora.tipo == TipoNodo::NoExiste && BajoNivel().Es(ahora.error, ErrorComun::NoExiste))
            LogNoLeido(i, mover, ruta, ahora.error);
        else
            LogFallo(i, mover, ruta, lector_.Fallo().numero, lector_.Fallo().descripcion);
        return COPIA_FALLIDA;
    }
    const InfoNodo fuente = lector_.Info();
    const bool temporal = fuente.tamano > static_cast<std::int64_t>(tramo_);
    std::string escrito;
    if (!AbrirDestino(i, destino, ruta, mover, temporal, escrito)) return AbandonarCopia(escrito, false, COPIA_FALLIDA);
    const bool creado = escritor_.Creado();
    if (creado) creados_.insert({escritor_.Info().dispositivo, escritor_.Info().inodo});
    bool modificado = creado;
    const std::int64_t r = CopiarDatos(i, fuente, mover, modificado);
    if (r != 0) {
        DescontarProgreso(i, antes);
        return AbandonarCopia(escrito, modificado, r);
    }
    // An older, longer file under the same name keeps no stale tail, a trailing hole is kept,
    // and a file that replaces another or whose source goes is on disk first.
    modificado = true;
    const bool cortar = !creado || fuente.ocupado < fuente.tamano;
    if ((cortar && !escritor_.SetLength(fuente.tamano)) ||
        ((temporal || mover) && !escritor_.Flush())) {
        LogFallo(i, mover, ruta, escritor_.Fallo().numero, escritor_.Fallo().descripcion);
        DescontarProgreso(i, antes);
        return AbandonarCopia(escrito, true, COPIA_FALLIDA);
    }
    BajoNivel().CopiarMetadatos(fuente, escritor_.FileHandle(), escritor_.Info());
    lector_.CloseFile();
    int error = escritor_.CloseFile() ? 0 : -1;
    if (error == 0 && temporal) error = BajoNivel().Renombrar(escrito, destino);
    if (error != 0) {
        if (error < 0)
            LogFallo(i, mover, ruta, escritor_.Fallo().numero, escritor_.Fallo().descripcion);
        else
            LogFalloSistema(i, mover, ruta, error);
        DescontarProgreso(i, antes);
        return AbandonarCopia(escrito, true, COPIA_FALLIDA);
    }
    if (!MismoContenido(BajoNivel().ConsultarEn(carpeta, nombre), fuente)) {
        LogFallo(i, mover, ruta, FALLO_ORIGEN_CAMBIADO,
                 std::string(TEXTO_ORIGEN_CAMBIADO) + (mover ? TEXTO_ORIGEN_CONSERVADO : ""));
        if (!mover) return fuente.tamano;
        DescontarProgreso(i, antes);
        return AbandonarCopia(destino, true, COPIA_FALLIDA);
    }
    if (mover) {
        error = BajoNivel().BorrarEn(carpeta, nombre, false);
        if (error != 0) {
            LogFalloSistema(i, true, ruta, error);
            return COPIA_FALLIDA;
        }
    }
    return fuente.tamano;
}

// A link is copied as a link with the same target text, never as what it points to.
std::int64_t cTareas::CopiarEnlace(std::int64_t i, ManejadorArchivo carpeta,
                                   const std::string& nombre, const std::string& ruta,
                                   const std::string& destino, bool mover) {
    std::string texto;
    int error = BajoNivel().LeerEnlaceEn(carpeta, nombre, texto);
    if (error == 0) error = BajoNivel().CrearEnlace(texto, destino);
    if (error == 0) {
        BajoNivel().AplicarMetadatos(BajoNivel().ConsultarEn(carpeta, nombre), destino);
        if (mover) error = BajoNivel().BorrarEn(carpeta, nombre, false);
    }
    if (error != 0) {
        LogFalloSistema(i, mover, ruta, error);
        return COPIA_FALLIDA;
    }
    return 0;
}

// An entry that could not be looked at: "Missing:" only when it is really gone, else the
// system's reason (no permission, a path too long...).
void cTareas::LogNoLeido(std::int64_t i, bool mover, const std::string& ruta, int error) {
    if (error == 0 || BajoNivel().Es(error, ErrorComun::NoExiste))
        AgregarError(i, Texto(General, 41) + "\"" + ruta + "\"");
    else
        LogFalloSistema(i, mover, ruta, error);
}

std::int64_t cTareas::CopiarCarpeta(std::int64_t i, const std::string& origenDado,
                                    const std::string& destinoDado, bool mover) {
    const std::string origen = SinBarraFinal(origenDado);
    const std::string destino = SinBarraFinal(destinoDado);
    const InfoNodo info = BajoNivel().Consultar(origen);
    if (info.tipo == TipoNodo::NoExiste) {
        LogNoLeido(i, mover, origen, info.error);
        return COPIA_FALLIDA;
    }
    if (info.tipo != TipoNodo::Carpeta) return CopiarArchivo(i, origen, destino, mover);
    const InfoNodo objetivo = BajoNivel().Consultar(destino);
    int error = 0;
    if (objetivo.tipo == TipoNodo::NoExiste)
        error = CrearRuta(destino);
    else if (objetivo.tipo != TipoNodo::Carpeta)
        error = BajoNivel().Codigo(ErrorComun::YaExiste);
    CarpetaAbierta carpeta;
    if (error == 0) carpeta.h = BajoNivel().AbrirCarpeta(MANEJADOR_INVALIDO, origen, error);
    if (error != 0) {
        LogFalloSistema(i, mover, origen, error);
        return COPIA_FALLIDA;
    }
    bool completo = true;
    const std::int64_t total = CopiarContenido(i, carpeta.h, origen, destino, mover, completo);
    if (total == COPIA_CANCELADA) return total;
    BajoNivel().AplicarMetadatos(info, destino);
    if (mover && completo) BajoNivel().BorrarCarpetaVacia(origen);
    return total;
}

// One subfolder of a walk: its target folder is made (or an existing one is written into), its
// contents copied, and then it gets the source's mode and time. When moving, the source folder
// goes once everything in it went.
std::int64_t cTareas::CopiarSubcarpeta(std::int64_t i, ManejadorArchivo carpeta,
                                       const std::string& nombre, const std::string& ruta,
                                       const std::string& objetivo, bool mover, bool& completo) {
    const InfoNodo info = BajoNivel().ConsultarEn(carpeta, nombre);
    const InfoNodo existente = BajoNivel().Consultar(objetivo);
    int error = 0;
    if (existente.tipo == TipoNodo::NoExiste)
        error = BajoNivel().CrearCarpeta(objetivo);
    else if (existente.tipo != TipoNodo::Carpeta)
        error = BajoNivel().Codigo(ErrorComun::YaExiste);
    CarpetaAbierta sub;
    if (error == 0) sub.h = BajoNivel().AbrirCarpeta(carpeta, nombre, error);
    if (error != 0) {
        LogFalloSistema(i, mover, ruta, error);
        completo = false;
        return COPIA_FALLIDA;
    }
    bool todo = true;
    const std::int64_t r = CopiarContenido(i, sub.h, ruta, objetivo, mover, todo);
    if (r == COPIA_CANCELADA) return r;
    BajoNivel().AplicarMetadatos(info, objetivo);
    if (mover && todo && BajoNivel().BorrarEn(carpeta, nombre, true) != 0) todo = false;
    if (!todo) completo = false;
    return r;
}

// Walks one open folder of the tree. Files written onto existing ones of the same name replace
// them. When moving, a folder that kept anything (a failed file, an entry that could not be
// walked) stays with what it kept.
std::int64_t cTareas::CopiarContenido(std::int64_t i, ManejadorArchivo carpeta,
                                      const std::string& origen, const std::string& destino,
                                      bool mover, bool& completo) {
    std::vector<std::string> nombres;
    std::vector<TipoNodo> tipos;
    const int errorLista = BajoNivel().ListarEnConTipos(carpeta, nombres, tipos);
    if (errorLista != 0) {
        LogFalloSistema(i, mover, origen, errorLista);
        completo = false;
        return 0;
    }
    std::int64_t total = 0;
    for (std::size_t k = 0; k < nombres.size(); ++k) {
        const std::string& nombre = nombres[k];
        const std::string ruta = AgregarBarra(origen) + nombre;
        const std::string objetivo = AgregarBarra(destino) + nombre;
        // A regular file by the listing's word needs no query of its own: opening it (never
        // through a link) and reading the open file say all the copy needs.
        InfoNodo info;
        if (k < tipos.size() && tipos[k] == TipoNodo::Archivo)
            info.tipo = TipoNodo::Archivo;
        else
            info = BajoNivel().ConsultarEn(carpeta, nombre);
        std::int64_t r = COPIA_FALLIDA;
        if (info.tipo == TipoNodo::Carpeta)
            r = CopiarSubcarpeta(i, carpeta, nombre, ruta, objetivo, mover, completo);
        else if (info.tipo == TipoNodo::NoExiste)
            LogNoLeido(i, mover, ruta, info.error);
        else if (info.tipo == TipoNodo::Enlace)
            r = CopiarEnlace(i, carpeta, nombre, ruta, objetivo, mover);
        else
            r = CopiarArchivoEn(i, carpeta, nombre, ruta, objetivo, mover);
        if (r == COPIA_CANCELADA) return COPIA_CANCELADA;
        if (r < 0)
            completo = false;
        else
            total += r;
        if (CederYCancelado(i)) return COPIA_CANCELADA;
    }
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
