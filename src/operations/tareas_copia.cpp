// Copying and moving files, links and folder trees.
//
// Both trees are walked through open folder handles: every source entry is reached relative to
// the folder that listed it and every target entry is made relative to the target folder the
// walk made and opened, so a folder swapped for a link while the engine yields is never
// followed, on either side, and a move deletes only what it copied. A file is written without a
// name (or under a hidden temporary one) and gets its name only once complete, without
// replacing anything that appeared there meanwhile.

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

// The folder a path names, "/" for an entry of the root.
std::string PadreDe(const std::string& ruta) {
    const std::string padre = CarpetaDe(ruta);
    return padre.empty() ? std::string(1, SepRuta) : padre;
}

// Opens the folder that receives a listed item, making it first when missing.
ManejadorArchivo AbrirPadre(const std::string& destino, int& error) {
    const std::string padre = PadreDe(destino);
    error = 0;
    if (BajoNivel().Consultar(padre).tipo == TipoNodo::NoExiste) error = CrearRuta(padre);
    return error != 0 ? MANEJADOR_INVALIDO : BajoNivel().AbrirCarpetaElegida(padre, error);
}

// Hundreds of numbered names all taken means something else is wrong.
constexpr long long kMaxNombresLibres = 10000;

}  // namespace

// Copies [desde, hasta) between the current positions of both files, chunk by chunk: inside the
// kernel while it can, else through the one reused buffer. Yields after each chunk.
std::int64_t cTareas::CopiarTramos(std::int64_t i, std::int64_t desde, std::int64_t hasta,
                                   bool mover, bool& kernel) {
    // A file of more than one chunk starts for the disk as it is written, so that the file
    // system's synchronisation at the end finds little left to do.
    const bool adelantar = lector_.Info().tamano > static_cast<std::int64_t>(tramo_);
    for (std::int64_t restante = hasta - desde; restante > 0;) {
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(restante, static_cast<std::int64_t>(tramo_)));
        std::size_t hecho = 0;
        if (kernel) {
            const ResultadoTramo r =
                BajoNivel().CopiarTramo(lector_.FileHandle(), escritor_.FileHandle(), n);
            hecho = static_cast<std::size_t>(r.copiados);
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
std::int64_t cTareas::CopiarDatos(std::int64_t i, const InfoNodo& fuente, bool mover) {
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
        const std::int64_t r = CopiarTramos(i, rango.inicio, rango.fin, mover, kernel);
        if (r != 0) return r;
        posicion = rango.fin;
    }
    SumarProgreso(i, fuente.tamano - posicion);
    // A trailing hole is kept: the length is set, not written.
    if (huecos && !escritor_.SetLength(fuente.tamano)) {
        LogFallo(i, mover, lector_.FileName(), escritor_.Fallo().numero, escritor_.Fallo().descripcion);
        return COPIA_FALLIDA;
    }
    return 0;
}

bool cTareas::CreadoPorEsta(const InfoNodo& info) const {
    return info.tipo == TipoNodo::Archivo && creados_.count({info.dispositivo, info.inodo}) > 0;
}

// "Failed trying copy "path": Not kept: what - reason (code)".
void cTareas::LogNoConservado(std::int64_t i, bool mover, const std::string& ruta, const std::string& que,
                              int error) {
    LogFallo(i, mover, ruta, error,
             Texto(frmOperations, 103) + que + " - " + BajoNivel().DescripcionError(error));
}

// What a copy keeps besides the data, on the open target before it takes its name: owner and
// group, extended attributes and ACLs, then mode and times (the mode last, so that a change of
// owner cannot clear setuid again). What cannot be kept is a log line; a copy that is not
// allowed to give files away keeps the group where it can and says nothing of the owner, as
// `cp -a` does, while a move says so.
void cTareas::ConservarMetadatos(std::int64_t i, bool mover, const std::string& ruta,
                                 const InfoNodo& origen, ManejadorArchivo hOrigen,
                                 ManejadorArchivo hDestino, const InfoNodo& actual) {
    InfoNodo ahora = actual;
    if (actual.propietario != origen.propietario || actual.grupo != origen.grupo) {
        int error = BajoNivel().CambiarPropietario(hDestino, origen.propietario, origen.grupo);
        // A target without owners of its own (a share) has nothing to keep them in.
        const bool sinDuenos = BajoNivel().Es(error, ErrorComun::NoSoportado);
        if (error == 0) {
            ahora.propietario = origen.propietario;
            ahora.grupo = origen.grupo;
        } else if (!sinDuenos) {
            if (mover && actual.propietario != origen.propietario)
                LogNoConservado(i, mover, ruta, Texto(frmOperations, 104), error);
            if (actual.grupo != origen.grupo) {
                error = BajoNivel().CambiarPropietario(hDestino, SIN_CAMBIO, origen.grupo);
                if (error == 0)
                    ahora.grupo = origen.grupo;
                else
                    LogNoConservado(i, mover, ruta, Texto(frmOperations, 105), error);
            }
        }
    }
    if (hOrigen != MANEJADOR_INVALIDO) {
        std::vector<std::pair<std::string, int>> perdidos;
        const int error = BajoNivel().CopiarAtributos(hOrigen, hDestino, perdidos);
        if (error != 0) LogNoConservado(i, mover, ruta, Texto(frmOperations, 107), error);
        for (const auto& [nombre, motivo] : perdidos)
            LogNoConservado(i, mover, ruta, Texto(frmOperations, 107) + nombre, motivo);
    }
    if (const int error = BajoNivel().CopiarMetadatos(origen, hDestino, ahora); error != 0)
        LogNoConservado(i, mover, ruta, Texto(frmOperations, 106), error);
}

// Opens the source of one file; a source gone since it was listed is "Missing:".
bool cTareas::AbrirFuente(std::int64_t i, const Entrada& fuente, bool mover) {
    lector_.CloseFile();
    escritor_.CloseFile();
    if (lector_.OpenFileIn(fuente.carpeta, fuente.nombre, fuente.ruta)) return true;
    const InfoNodo ahora = BajoNivel().ConsultarEn(fuente.carpeta, fuente.nombre);
    if (ahora.tipo == TipoNodo::NoExiste && BajoNivel().Es(ahora.error, ErrorComun::NoExiste))
        LogNoLeido(i, mover, fuente.ruta, ahora.error);
    else
        LogFallo(i, mover, fuente.ruta, lector_.Fallo().numero, lector_.Fallo().descripcion);
    return false;
}

// Decides how the finished file takes its name. A regular file already there (a tree copied
// onto an older copy of itself) is replaced once the new one is whole; one this operation made
// a moment ago (a name that folds onto it), or anything else, is kept and the copy takes a free
// name. A target that is the source itself under another name is refused.
bool cTareas::PrepararObjetivo(std::int64_t i, const Entrada& objetivo, const std::string& ruta,
                               bool mover, bool& reemplazar) {
    const InfoNodo existente = BajoNivel().ConsultarEn(objetivo.carpeta, objetivo.nombre);
    if (MismoArchivo(existente, lector_.Info())) {
        LogFalloSistema(i, mover, ruta, BajoNivel().Codigo(ErrorComun::ArgumentoInvalido));
        return false;
    }
    reemplazar = existente.tipo == TipoNodo::Archivo && !CreadoPorEsta(existente);
    return true;
}

// Opens the file the copy writes: without a name where the file system can, else under a new
// hidden name beside the target. A hidden name that anything already has is never reused.
bool cTareas::CrearEscrito(std::int64_t i, const Entrada& objetivo, const std::string& ruta, bool mover) {
    temporal_.clear();
    int error = 0;
    InfoNodo info;
    ManejadorArchivo h = BajoNivel().CrearSinNombreEn(objetivo.carpeta, error, info);
    sinNombre_ = h != MANEJADOR_INVALIDO;
    for (int intento = 0; h == MANEJADOR_INVALIDO && intento < 64; ++intento) {
        if (!BajoNivel().Es(error, ErrorComun::NoSoportado) && !BajoNivel().Es(error, ErrorComun::YaExiste))
            break;
        temporal_ = PREFIJO_TEMPORAL + std::to_string(++temporales_);
        h = BajoNivel().CrearExclusivoEn(objetivo.carpeta, temporal_, error, info);
    }
    if (h == MANEJADOR_INVALIDO) {
        temporal_.clear();
        const FalloArchivo f = CrearFalloArchivo(FALLO_APERTURA, objetivo.ruta, error);
        LogFallo(i, mover, ruta, f.numero, f.descripcion);
        return false;
    }
    (void)escritor_.Adoptar(h, objetivo.ruta, info, true);
    creados_.insert({info.dispositivo, info.inodo});
    escribio_ = true;
    return true;
}

// An unnamed file that is to replace another first gets a hidden name of its own.
bool cTareas::NombrarTemporal(std::int64_t i, const Entrada& objetivo, const std::string& ruta, bool mover) {
    int error = BajoNivel().Codigo(ErrorComun::YaExiste);
    for (int intento = 0; intento < 64 && BajoNivel().Es(error, ErrorComun::YaExiste); ++intento) {
        temporal_ = PREFIJO_TEMPORAL + std::to_string(++temporales_);
        error = BajoNivel().EnlazarEn(escritor_.FileHandle(), objetivo.carpeta, temporal_);
    }
    if (error == 0) {
        sinNombre_ = false;
        return true;
    }
    temporal_.clear();
    LogFalloSistema(i, mover, ruta, error);
    return false;
}

// Gives the complete file its name. Without `reemplazar` nothing is ever replaced: a name taken
// meanwhile sends the file to the next free name, and the log says where it went.
bool cTareas::Colocar(std::int64_t i, Entrada& objetivo, bool reemplazar, const std::string& ruta,
                      bool mover) {
    if (reemplazar) {
        if (sinNombre_ && !NombrarTemporal(i, objetivo, ruta, mover)) return false;
        const int error = BajoNivel().RenombrarEn(objetivo.carpeta, temporal_, objetivo.carpeta,
                                                  objetivo.nombre, true);
        if (error != 0) {
            LogFalloSistema(i, mover, ruta, error);
            return false;
        }
        temporal_.clear();
        return true;
    }
    for (long long n = 0; n < kMaxNombresLibres; ++n) {
        const std::string nombre = CandidatoLibre(objetivo.nombre, n, false);
        const int error = sinNombre_ ? BajoNivel().EnlazarEn(escritor_.FileHandle(), objetivo.carpeta, nombre)
                                     : BajoNivel().RenombrarEn(objetivo.carpeta, temporal_, objetivo.carpeta,
                                                               nombre, false);
        if (BajoNivel().Es(error, ErrorComun::YaExiste)) continue;
        if (error != 0) {
            LogFalloSistema(i, mover, ruta, error);
            return false;
        }
        temporal_.clear();
        sinNombre_ = false;
        if (n > 0) {
            const std::string nueva = AgregarBarra(CarpetaDe(objetivo.ruta)) + nombre;
            const bool propio = CreadoPorEsta(BajoNivel().ConsultarEn(objetivo.carpeta, objetivo.nombre));
            AgregarError(i, (propio ? std::string(TEXTO_NOMBRE_TOMADO) : Texto(frmOperations, 100)) + nueva);
            objetivo.nombre = nombre;
            objetivo.ruta = nueva;
        }
        return true;
    }
    LogFalloSistema(i, mover, ruta, BajoNivel().Codigo(ErrorComun::YaExiste));
    return false;
}

// Drops the file being written: an unnamed one vanishes when closed, a hidden name is removed.
void cTareas::Descartar(std::int64_t i, const Entrada& objetivo, bool mover, const std::string& ruta) {
    lector_.CloseFile();
    escritor_.CloseFile();
    if (temporal_.empty()) return;
    const int error = BajoNivel().BorrarEn(objetivo.carpeta, temporal_, false);
    if (error != 0)
        LogFallo(i, mover, ruta, error,
                 Texto(frmOperations, 109) + " " + AgregarBarra(CarpetaDe(objetivo.ruta)) + temporal_ +
                     " - " + BajoNivel().DescripcionError(error));
    temporal_.clear();
}

// A file with several names whose first name the operation already copied: the copy gets one
// more name for the same data, as the source has. False when that cannot be done here (another
// file system, a name taken): the file is then copied on its own.
bool cTareas::EnlazarRepetido(std::int64_t i, const InfoNodo& fuente, const Entrada& objetivo) {
    if (fuente.enlaces < 2) return false;
    const auto it = enlacesDuros_.find({fuente.dispositivo, fuente.inodo});
    if (it == enlacesDuros_.end()) return false;
    if (BajoNivel().EnlazarNombreEn(MANEJADOR_INVALIDO, it->second, objetivo.carpeta, objetivo.nombre) != 0)
        return false;
    SumarProgreso(i, fuente.tamano);
    return true;
}

std::int64_t cTareas::CopiarArchivo(std::int64_t i, const std::string& origenDado,
                                    const std::string& destinoDado, bool mover) {
    const std::string origen = SinBarraFinal(origenDado);
    std::string destino = SinBarraFinal(destinoDado);
    const InfoNodo info = BajoNivel().Consultar(origen);
    if (info.tipo == TipoNodo::NoExiste) {
        LogFalloSistema(i, mover, origen, info.error);
        return COPIA_FALLIDA;
    }
    if (mover) {
        const int error = RenombrarLibre(i, origen, destino, false);
        if (error == 0) return info.tipo == TipoNodo::Enlace ? 0 : info.tamano;
        if (!BajoNivel().Es(error, ErrorComun::OtroDispositivo)) {
            LogFalloSistema(i, true, origen, error);
            return COPIA_FALLIDA;
        }
    }
    int error = 0;
    CarpetaAbierta padre(AbrirPadre(destino, error));
    if (padre.h == MANEJADOR_INVALIDO) {
        const FalloArchivo f = CrearFalloArchivo(FALLO_APERTURA, destino, error);
        LogFallo(i, mover, origen, f.numero, f.descripcion);
        return COPIA_FALLIDA;
    }
    const Entrada fuente{MANEJADOR_INVALIDO, origen, origen};
    const Entrada objetivo{padre.h, NombreDe(destino), destino};
    Lote lote{MANEJADOR_INVALIDO, padre.h, PadreDe(origen), {}};
    std::int64_t r = COPIA_FALLIDA;
    if (info.tipo == TipoNodo::Enlace)
        r = CopiarEnlace(i, fuente, objetivo, mover, lote);
    else if (info.tipo == TipoNodo::Otro)
        r = CopiarEspecial(i, fuente, objetivo, mover, lote);
    else
        r = CopiarArchivoEn(i, fuente, objetivo, mover, lote);
    bool completo = true;
    TerminarLote(i, lote, completo);
    return completo || r < 0 ? r : COPIA_FALLIDA;
}

// One file, copied whole or not at all. The source is compared after the copy with what it was
// when opened: a file that grew or was rewritten meanwhile is logged, and a move keeps it.
std::int64_t cTareas::CopiarArchivoEn(std::int64_t i, const Entrada& fuente, Entrada objetivo,
                                      bool mover, Lote& lote) {
    const std::int64_t antes = Op(i).BytesHechos;
    if (!AbrirFuente(i, fuente, mover)) return COPIA_FALLIDA;
    const InfoNodo info = lector_.Info();
    const auto fallar = [&](std::int64_t resultado) {
        DescontarProgreso(i, antes);
        Descartar(i, objetivo, mover, fuente.ruta);
        return resultado;
    };
    if (EnlazarRepetido(i, info, objetivo)) {
        lector_.CloseFile();
        if (mover) lote.fuentes.emplace_back(fuente.nombre, info);
        return info.tamano;
    }
    bool reemplazar = false;
    if (!PrepararObjetivo(i, objetivo, fuente.ruta, mover, reemplazar) ||
        !CrearEscrito(i, objetivo, fuente.ruta, mover))
        return fallar(COPIA_FALLIDA);
    const std::int64_t r = CopiarDatos(i, info, mover);
    if (r != 0) return fallar(r);
    ConservarMetadatos(i, mover, fuente.ruta, info, lector_.FileHandle(), escritor_.FileHandle(),
                       escritor_.Info());
    lector_.CloseFile();
    // A file under a hidden name is closed before its rename (a share will not rename an open
    // file); an unnamed one can only be named while open. A delayed write error shows when it
    // closes, and a name the file already got goes with it.
    if (!sinNombre_ && !escritor_.CloseFile()) {
        LogFallo(i, mover, fuente.ruta, escritor_.Fallo().numero, escritor_.Fallo().descripcion);
        return fallar(COPIA_FALLIDA);
    }
    if (!Colocar(i, objetivo, reemplazar, fuente.ruta, mover)) return fallar(COPIA_FALLIDA);
    if (!escritor_.CloseFile()) {
        LogFallo(i, mover, fuente.ruta, escritor_.Fallo().numero, escritor_.Fallo().descripcion);
        temporal_ = objetivo.nombre;
        return fallar(COPIA_FALLIDA);
    }
    if (info.enlaces > 1) enlacesDuros_[{info.dispositivo, info.inodo}] = objetivo.ruta;
    if (!MismoContenido(BajoNivel().ConsultarEn(fuente.carpeta, fuente.nombre), info)) {
        LogFallo(i, mover, fuente.ruta, FALLO_ORIGEN_CAMBIADO,
                 std::string(TEXTO_ORIGEN_CAMBIADO) + (mover ? TEXTO_ORIGEN_CONSERVADO : ""));
        if (!mover) return info.tamano;
        temporal_ = objetivo.nombre;
        return fallar(COPIA_FALLIDA);
    }
    if (mover) lote.fuentes.emplace_back(fuente.nombre, info);
    return info.tamano;
}

// A link or special node made on the target: its owner, mode and times, and a move's source
// joins the batch deleted once the target is on disk.
std::int64_t cTareas::NodoCreado(std::int64_t i, const Entrada& fuente, const Entrada& objetivo,
                                 const InfoNodo& info, bool mover, Lote& lote) {
    escribio_ = true;
    int error = BajoNivel().AplicarMetadatosEn(objetivo.carpeta, objetivo.nombre, info, true);
    // Not allowed to give it away: a copy keeps the rest without a word, as for a file.
    if (error != 0 && !mover) error = BajoNivel().AplicarMetadatosEn(objetivo.carpeta, objetivo.nombre, info, false);
    if (error != 0) LogNoConservado(i, mover, fuente.ruta, Texto(frmOperations, 106), error);
    if (mover) lote.fuentes.emplace_back(fuente.nombre, info);
    return 0;
}

// A link is copied as a link with the same target text, never as what it points to.
std::int64_t cTareas::CopiarEnlace(std::int64_t i, const Entrada& fuente, const Entrada& objetivo,
                                   bool mover, Lote& lote) {
    const InfoNodo info = BajoNivel().ConsultarEn(fuente.carpeta, fuente.nombre);
    std::string texto;
    int error = BajoNivel().LeerEnlaceEn(fuente.carpeta, fuente.nombre, texto);
    if (error == 0) error = BajoNivel().CrearEnlaceEn(texto, objetivo.carpeta, objetivo.nombre);
    if (error != 0) {
        LogFalloSistema(i, mover, fuente.ruta, error);
        return COPIA_FALLIDA;
    }
    return NodoCreado(i, fuente, objetivo, info, mover, lote);
}

// Fifos and device nodes are made anew; a socket belongs to the program listening on it and
// cannot be copied, so it is left where it is with a log line.
std::int64_t cTareas::CopiarEspecial(std::int64_t i, const Entrada& fuente, const Entrada& objetivo,
                                     bool mover, Lote& lote) {
    const InfoNodo info = BajoNivel().ConsultarEn(fuente.carpeta, fuente.nombre);
    if (info.especial == TipoEspecial::Socket) {
        LogFallo(i, mover, fuente.ruta, BajoNivel().Codigo(ErrorComun::NoSoportado), Texto(frmOperations, 108));
        return COPIA_FALLIDA;
    }
    int error = BajoNivel().CrearEspecialEn(objetivo.carpeta, objetivo.nombre, info);
    if (error != 0) {
        LogFalloSistema(i, mover, fuente.ruta, error);
        return COPIA_FALLIDA;
    }
    return NodoCreado(i, fuente, objetivo, info, mover, lote);
}

// An entry that could not be looked at: "Missing:" only when it is really gone, else the
// system's reason (no permission, a path too long...).
void cTareas::LogNoLeido(std::int64_t i, bool mover, const std::string& ruta, int error) {
    if (error == 0 || BajoNivel().Es(error, ErrorComun::NoExiste))
        AgregarError(i, Texto(General, 41) + "\"" + ruta + "\"");
    else
        LogFalloSistema(i, mover, ruta, error);
}

// The sources a move copied go only once their copies are on disk: the target's file system is
// synchronised first, and a source that changed since its copy stays. Anything kept makes the
// folder incomplete, so it stays too.
void cTareas::TerminarLote(std::int64_t i, Lote& lote, bool& completo) {
    if (lote.fuentes.empty()) return;
    const int error = BajoNivel().SincronizarSistema(lote.destino);
    if (error != 0) {
        LogFalloSistema(i, true, lote.ruta, error);
        lote.fuentes.clear();
        completo = false;
        return;
    }
    for (const auto& [nombre, info] : lote.fuentes) {
        const std::string ruta = lote.origen == MANEJADOR_INVALIDO ? nombre : AgregarBarra(lote.ruta) + nombre;
        if (!MismoContenido(BajoNivel().ConsultarEn(lote.origen, nombre), info)) {
            LogFallo(i, true, ruta, FALLO_ORIGEN_CAMBIADO,
                     std::string(TEXTO_ORIGEN_CAMBIADO) + TEXTO_ORIGEN_CONSERVADO);
            completo = false;
        } else if (const int e = BajoNivel().BorrarEn(lote.origen, nombre, false); e != 0) {
            LogFalloSistema(i, true, ruta, e);
            completo = false;
        }
    }
    lote.fuentes.clear();
}

// A copy puts what it wrote on disk once, at its end, as its last step.
void cTareas::SincronizarAlFinal(std::int64_t i) {
    if (!escribio_ || Op(i).Tipo != TIPO_COPIAR) return;
    escribio_ = false;
    Op(i).Actual = Texto(frmOperations, 102);
    vista_->DibujarOperacion(i);
    int error = 0;
    CarpetaAbierta destino(BajoNivel().AbrirCarpetaElegida(Op(i).DestinoInicial, error));
    if (error == 0) error = BajoNivel().SincronizarSistema(destino.h);
    if (error != 0) LogFalloSistema(i, false, Op(i).DestinoInicial, error);
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
    int error = 0;
    CarpetaAbierta padre(AbrirPadre(destino, error));
    if (error == 0) {
        error = BajoNivel().CrearCarpetaEn(padre.h, NombreDe(destino));
        if (error == 0) escribio_ = true;
        if (BajoNivel().Es(error, ErrorComun::YaExiste)) error = 0;  // written into
    }
    // The folder is opened without following a link: one planted at its name is refused.
    CarpetaAbierta objetivo;
    if (error == 0) objetivo.h = BajoNivel().AbrirCarpeta(padre.h, NombreDe(destino), error);
    CarpetaAbierta carpeta;
    if (error == 0) carpeta.h = BajoNivel().AbrirCarpeta(MANEJADOR_INVALIDO, origen, error);
    if (error != 0) {
        LogFalloSistema(i, mover, origen, error);
        return COPIA_FALLIDA;
    }
    bool completo = true;
    const std::int64_t total = CopiarContenido(i, carpeta.h, origen, objetivo.h, destino, mover, completo);
    if (total == COPIA_CANCELADA) return total;
    ConservarMetadatos(i, mover, origen, info, carpeta.h, objetivo.h, BajoNivel().ConsultarAbierto(objetivo.h));
    if (mover && completo) {
        error = BajoNivel().BorrarCarpetaVacia(origen);
        if (error != 0) LogFalloSistema(i, true, origen, error);
    }
    return total;
}

// One subfolder of a walk: its target folder is made private (or an existing one is written
// into), its contents copied, and then it gets the source's metadata. When moving, the source
// folder goes once everything in it went.
std::int64_t cTareas::CopiarSubcarpeta(std::int64_t i, const Entrada& fuente, const Entrada& objetivo,
                                       bool mover, bool& completo) {
    const InfoNodo info = BajoNivel().ConsultarEn(fuente.carpeta, fuente.nombre);
    int error = BajoNivel().CrearCarpetaEn(objetivo.carpeta, objetivo.nombre);
    if (BajoNivel().Es(error, ErrorComun::YaExiste)) error = 0;
    CarpetaAbierta destino;
    if (error == 0) destino.h = BajoNivel().AbrirCarpeta(objetivo.carpeta, objetivo.nombre, error);
    CarpetaAbierta sub;
    if (error == 0) sub.h = BajoNivel().AbrirCarpeta(fuente.carpeta, fuente.nombre, error);
    if (error != 0) {
        LogFalloSistema(i, mover, fuente.ruta, error);
        completo = false;
        return COPIA_FALLIDA;
    }
    bool todo = true;
    const std::int64_t r = CopiarContenido(i, sub.h, fuente.ruta, destino.h, objetivo.ruta, mover, todo);
    if (r == COPIA_CANCELADA) return r;
    ConservarMetadatos(i, mover, fuente.ruta, info, sub.h, destino.h, BajoNivel().ConsultarAbierto(destino.h));
    if (mover && todo) {
        error = BajoNivel().BorrarEn(fuente.carpeta, fuente.nombre, true);
        if (error != 0) {
            LogFalloSistema(i, true, fuente.ruta, error);
            todo = false;
        }
    }
    if (!todo) completo = false;
    return r;
}

// Walks one open folder of the tree into one open target folder. When moving, the sources of
// the folder's files go together at the end of the folder (or when it is canceled), after their
// copies are on disk.
std::int64_t cTareas::CopiarContenido(std::int64_t i, ManejadorArchivo carpeta, const std::string& origen,
                                      ManejadorArchivo destino, const std::string& rutaDestino,
                                      bool mover, bool& completo) {
    Lote lote{carpeta, destino, origen, {}};
    const std::int64_t r = RecorrerContenido(i, lote, rutaDestino, mover, completo);
    TerminarLote(i, lote, completo);
    return r;
}

std::int64_t cTareas::RecorrerContenido(std::int64_t i, Lote& lote, const std::string& rutaDestino,
                                        bool mover, bool& completo) {
    std::vector<std::string> nombres;
    std::vector<TipoNodo> tipos;
    const int errorLista = BajoNivel().ListarEnConTipos(lote.origen, nombres, tipos);
    if (errorLista != 0) {
        LogFalloSistema(i, mover, lote.ruta, errorLista);
        completo = false;
        return 0;
    }
    std::int64_t total = 0;
    for (std::size_t k = 0; k < nombres.size(); ++k) {
        const Entrada fuente{lote.origen, nombres[k], AgregarBarra(lote.ruta) + nombres[k]};
        const Entrada objetivo{lote.destino, nombres[k], AgregarBarra(rutaDestino) + nombres[k]};
        // A regular file by the listing's word needs no query of its own: opening it (never
        // through a link) and reading the open file say all the copy needs.
        InfoNodo info;
        if (k < tipos.size() && tipos[k] == TipoNodo::Archivo)
            info.tipo = TipoNodo::Archivo;
        else
            info = BajoNivel().ConsultarEn(lote.origen, fuente.nombre);
        std::int64_t r = COPIA_FALLIDA;
        if (info.tipo == TipoNodo::Carpeta)
            r = CopiarSubcarpeta(i, fuente, objetivo, mover, completo);
        else if (info.tipo == TipoNodo::NoExiste)
            LogNoLeido(i, mover, fuente.ruta, info.error);
        else if (info.tipo == TipoNodo::Enlace)
            r = CopiarEnlace(i, fuente, objetivo, mover, lote);
        else if (info.tipo == TipoNodo::Otro)
            r = CopiarEspecial(i, fuente, objetivo, mover, lote);
        else
            r = CopiarArchivoEn(i, fuente, objetivo, mover, lote);
        if (r == COPIA_CANCELADA) return COPIA_CANCELADA;
        if (r < 0)
            completo = false;
        else
            total += r;
        if (CederYCancelado(i)) return COPIA_CANCELADA;
    }
    return total;
}

// A rename within one file system onto a name that must be free; one taken meanwhile sends the
// item to the next free name, and the log says so.
int cTareas::RenombrarLibre(std::int64_t i, const std::string& origen, std::string& destino, bool carpeta) {
    const std::string elegido = destino;
    for (long long n = 0; n < kMaxNombresLibres; ++n) {
        const std::string candidato = AgregarBarra(PadreDe(elegido)) + CandidatoLibre(NombreDe(elegido), n, carpeta);
        const int error = BajoNivel().RenombrarEn(MANEJADOR_INVALIDO, origen, MANEJADOR_INVALIDO, candidato, false);
        if (BajoNivel().Es(error, ErrorComun::YaExiste)) continue;
        if (error == 0 && n > 0) {
            AgregarError(i, Texto(frmOperations, 100) + candidato);
            destino = candidato;
        }
        return error;
    }
    return BajoNivel().Codigo(ErrorComun::YaExiste);
}

int cTareas::CrearCarpetaLibre(std::int64_t i, std::string& destino) {
    int error = 0;
    CarpetaAbierta padre(AbrirPadre(destino, error));
    if (error != 0) return error;
    const std::string elegido = destino;
    for (long long n = 0; n < kMaxNombresLibres; ++n) {
        const std::string nombre = CandidatoLibre(NombreDe(elegido), n, true);
        error = BajoNivel().CrearCarpetaEn(padre.h, nombre);
        if (BajoNivel().Es(error, ErrorComun::YaExiste)) continue;
        if (error == 0) {
            escribio_ = true;
            if (n > 0) {
                destino = AgregarBarra(PadreDe(elegido)) + nombre;
                AgregarError(i, Texto(frmOperations, 100) + destino);
            }
        }
        return error;
    }
    return BajoNivel().Codigo(ErrorComun::YaExiste);
}

// A whole folder moves in one rename when it stays on its file system; across file systems its
// tree is copied, and each folder's sources go once their copies are on disk.
std::int64_t cTareas::MoverCarpeta(std::int64_t i, const std::string& origen,
                                   const std::string& destinoDado) {
    std::string destino = destinoDado;
    const int error = RenombrarLibre(i, origen, destino, true);
    if (error == 0) {
        Avisar(destino, TIPO_CARPETA, "CreatedFolder");
        return 0;
    }
    if (!BajoNivel().Es(error, ErrorComun::OtroDispositivo)) {
        LogFalloSistema(i, true, origen, error);
        return COPIA_FALLIDA;
    }
    const int errorCrear = CrearCarpetaLibre(i, destino);
    if (errorCrear != 0) {
        LogFalloSistema(i, true, origen, errorCrear);
        return COPIA_FALLIDA;
    }
    Op(i).Destino = destino;
    Avisar(destino, TIPO_CARPETA, "CreatedFolder");
    return CopiarCarpeta(i, origen, destino, true);
}

}  // namespace quirvex
