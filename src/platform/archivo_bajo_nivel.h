#pragma once
// ArchivosBajoNivel: the raw file calls of the buffered file and the copy engine — open, read,
// write, the kernel-side chunk copy, rename, delete, folders, links — so the core names no
// operating-system header. One process-wide instance, the real implementation unless a test
// installs its own; used from the interface thread only.
//
// Error codes are the system's own numbers (0 = success). The core never tests a number
// directly: it asks Es(codigo, ErrorComun::...) so another system's implementation can answer.
// Paths are bytes and reach the system unchanged.

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace quirvex {

using ManejadorArchivo = std::intptr_t;
inline constexpr ManejadorArchivo MANEJADOR_INVALIDO = -1;

enum class ModoApertura {
    // The file must exist and be a regular file (a fifo or device would block or never end).
    SoloLectura,
    // Created when missing, never truncated, never opened through a symbolic link: a link
    // planted where a copy writes must not redirect the write somewhere else.
    LecturaEscritura,
};

enum class TipoNodo { NoExiste, Archivo, Carpeta, Enlace, Otro };

// What an entry of type Otro is.
enum class TipoEspecial { Ninguno, Fifo, Caracter, Bloque, Socket };

// What lstat says of a path; a link is described as a link, never by what it points to.
struct InfoNodo {
    TipoNodo tipo = TipoNodo::NoExiste;
    std::int64_t tamano = 0;
    std::uint64_t dispositivo = 0;
    std::uint64_t inodo = 0;
    int error = 0;  // why the query failed when tipo is NoExiste
    // Permission bits with setuid, setgid and sticky (07777).
    std::uint32_t permisos = 0;
    std::uint32_t propietario = 0;
    std::uint32_t grupo = 0;
    // Modification time in nanoseconds since the epoch.
    std::int64_t modificado = 0;
    // Bytes the file takes on disk; less than tamano when it has holes.
    std::int64_t ocupado = 0;
    // Last access time in nanoseconds since the epoch.
    std::int64_t accedido = 0;
    // Names the entry has (hard links).
    std::uint64_t enlaces = 1;
    TipoEspecial especial = TipoEspecial::Ninguno;
    // The device a character or block device entry stands for.
    std::uint64_t dispositivoEspecial = 0;
};

// An owner or group that CambiarPropietario leaves as it is.
inline constexpr std::uint32_t SIN_CAMBIO = 0xffffffffu;

// Whether two queries describe the same, unchanged file: identity, length and modification time.
inline bool MismoContenido(const InfoNodo& a, const InfoNodo& b) {
    return a.tipo == b.tipo && a.dispositivo == b.dispositivo && a.inodo == b.inodo &&
           a.tamano == b.tamano && a.modificado == b.modificado;
}

// A range of a file that holds data; what lies between two ranges reads as zeros.
struct RangoDatos {
    std::int64_t inicio = 0;
    std::int64_t fin = 0;
};

enum class ErrorComun {
    OtroDispositivo,    // rename across file systems
    NoExiste,
    YaExiste,
    ArgumentoInvalido,  // also: a folder moved into itself
    NoSoportado,
    FinInesperado,      // the source ended before its length
};

struct ResultadoTramo {
    std::int64_t copiados = 0;  // bytes copied before stopping
    int error = 0;
    // The kernel cannot copy between these two files; nothing failed, the caller goes on
    // with plain reads and writes from the current positions.
    bool sinSoporte = false;
};

class ArchivosBajoNivel {
public:
    virtual ~ArchivosBajoNivel() = default;

    // The handle, or MANEJADOR_INVALIDO with `error` set. `creado` tells whether this call made
    // the file (only LecturaEscritura ever creates); `info` describes the opened file.
    virtual ManejadorArchivo Abrir(const std::string& ruta, ModoApertura modo, bool& creado,
                                   int& error, InfoNodo& info) = 0;
    virtual int Cerrar(ManejadorArchivo h) = 0;
    // Up to n bytes from the current position, retrying interruptions and short reads: fewer
    // than n only at the end of the file. -1 with `error` set.
    virtual std::int64_t Leer(ManejadorArchivo h, void* datos, std::size_t n, int& error) = 0;
    // All n bytes or -1 with `error` set (a full disk is an error, never a short write).
    virtual std::int64_t Escribir(ManejadorArchivo h, const void* datos, std::size_t n,
                                  int& error) = 0;
    virtual int Sincronizar(ManejadorArchivo h) = 0;
    // Starts putting [desde, desde + n) of a file being written on disk without waiting for it,
    // after waiting for what was started before `desde`: a file that will be synchronised goes
    // to disk while the rest is still being copied, and no more than two chunks are ever
    // waiting to be written. Only a hint: nothing is reported, and where it cannot be done the
    // final synchronisation does it all.
    virtual void AdelantarEscritura(ManejadorArchivo /*h*/, std::int64_t /*desde*/, std::int64_t /*n*/) {}
    virtual int Truncar(ManejadorArchivo h, std::int64_t largo) = 0;
    // The new position, or -1 with `error` set.
    virtual std::int64_t Posicionar(ManejadorArchivo h, std::int64_t desplazamiento,
                                    bool desdeInicio, int& error) = 0;
    // Copies n bytes between the current positions of both files inside the kernel and moves
    // both positions. copiados < n with no error means the source ended early.
    virtual ResultadoTramo CopiarTramo(ManejadorArchivo origen, ManejadorArchivo destino,
                                       std::size_t n) = 0;
    // Gives the open target (a file or a folder) the source's permission bits and access and
    // modification times, as a copy that keeps them would: setuid and setgid only while the
    // target has the source's owner and group.
    // `actual` is what the target is now (as Abrir described it), so that bits it already has
    // cost no call.
    virtual int CopiarMetadatos(const InfoNodo& origen, ManejadorArchivo destino,
                                const InfoNodo& actual) = 0;
    // The same for a folder or a link already in place (a link gets its time only); a folder
    // gets them after its contents are written, so a read-only folder can still be filled.
    virtual int AplicarMetadatos(const InfoNodo& origen, const std::string& ruta) = 0;
    // Sets the owner and group of an open file or folder; SIN_CAMBIO leaves one as it is.
    virtual int CambiarPropietario(ManejadorArchivo /*h*/, std::uint32_t /*propietario*/,
                                   std::uint32_t /*grupo*/) {
        return Codigo(ErrorComun::NoSoportado);
    }
    // Copies the extended attributes (ACLs included, as the system keeps them) of one open file
    // or folder to another. Each attribute that could not be set goes to `perdidos` with its
    // error; the result is the error of reading the source's, 0 when they could be read.
    virtual int CopiarAtributos(ManejadorArchivo /*origen*/, ManejadorArchivo /*destino*/,
                                std::vector<std::pair<std::string, int>>& /*perdidos*/) {
        return 0;
    }
    // The time and owner of a link or special entry just made in an open folder, and for a
    // special entry its mode; never through a link.
    virtual int AplicarMetadatosEn(ManejadorArchivo /*carpeta*/, const std::string& /*nombre*/,
                                   const InfoNodo& /*origen*/, bool /*propietario*/) {
        return 0;
    }
    // Puts everything written on the file system that holds the open folder on disk (syncfs).
    virtual int SincronizarSistema(ManejadorArchivo /*carpeta*/) { return 0; }

    // What an open file is now (fstat).
    virtual InfoNodo ConsultarAbierto(ManejadorArchivo h) = 0;
    // The data ranges of an open file, in order, holes left out; a file without holes is one
    // range. The positions of the file are undefined afterwards.
    virtual int RangosDatos(ManejadorArchivo h, std::int64_t largo, std::vector<RangoDatos>& rangos) = 0;

    // Folder handles: a walk holds its folders open and reaches every entry relative to them,
    // so a folder swapped for a link while the walk yields is never followed. `carpeta` is an
    // open folder, or MANEJADOR_INVALIDO for a path of its own. Folder handles close with Cerrar.
    // Opens a folder without following a link (a link is an error, never a way elsewhere).
    virtual ManejadorArchivo AbrirCarpeta(ManejadorArchivo carpeta, const std::string& nombre,
                                          int& error) = 0;
    virtual int ListarEn(ManejadorArchivo carpeta, std::vector<std::string>& nombres) = 0;
    // The same names with the type the listing itself gives each one: Archivo only for what it
    // says is a regular file, NoExiste where it says nothing, so the caller asks ConsultarEn.
    virtual int ListarEnConTipos(ManejadorArchivo carpeta, std::vector<std::string>& nombres,
                                 std::vector<TipoNodo>& tipos) {
        const int error = ListarEn(carpeta, nombres);
        tipos.assign(nombres.size(), TipoNodo::NoExiste);
        return error;
    }
    virtual InfoNodo ConsultarEn(ManejadorArchivo carpeta, const std::string& nombre) = 0;
    // Opens an entry for reading like Abrir(SoloLectura), without following a link.
    virtual ManejadorArchivo AbrirEn(ManejadorArchivo carpeta, const std::string& nombre,
                                     int& error, InfoNodo& info) = 0;
    // Removes a file or link (esCarpeta false) or an empty folder.
    virtual int BorrarEn(ManejadorArchivo carpeta, const std::string& nombre, bool esCarpeta) = 0;
    virtual int LeerEnlaceEn(ManejadorArchivo carpeta, const std::string& nombre,
                             std::string& destino) = 0;

    // The target side of a walk, relative to open folders as well. Nothing here replaces an
    // existing entry or follows a link at the name it makes.
    // A folder only its owner may enter (0700); it gets its real mode once complete.
    virtual int CrearCarpetaEn(ManejadorArchivo carpeta, const std::string& nombre) = 0;
    // Opens a folder the user named, following links on the way (the destination chosen).
    virtual ManejadorArchivo AbrirCarpetaElegida(const std::string& ruta, int& error) = 0;
    // A new private (0600) file without a name in the folder, read/write: it can only appear
    // under a name whole, through EnlazarEn. NoSoportado where the file system cannot.
    virtual ManejadorArchivo CrearSinNombreEn(ManejadorArchivo carpeta, int& error,
                                              InfoNodo& info) = 0;
    // A new private (0600) file under a free name, read/write; YaExiste when it is taken.
    virtual ManejadorArchivo CrearExclusivoEn(ManejadorArchivo carpeta, const std::string& nombre,
                                              int& error, InfoNodo& info) = 0;
    // Gives an open file made by CrearSinNombreEn its name; YaExiste when the name is taken.
    virtual int EnlazarEn(ManejadorArchivo h, ManejadorArchivo carpeta, const std::string& nombre) = 0;
    // A second name for an existing file (a hard link); YaExiste when the name is taken.
    virtual int EnlazarNombreEn(ManejadorArchivo carpetaOrigen, const std::string& origen,
                                ManejadorArchivo carpeta, const std::string& nombre) = 0;
    // Renames an entry; unless `reemplazar`, YaExiste when the new name is taken.
    virtual int RenombrarEn(ManejadorArchivo carpetaOrigen, const std::string& origen,
                            ManejadorArchivo carpeta, const std::string& nombre, bool reemplazar) = 0;
    virtual int CrearEnlaceEn(const std::string& destino, ManejadorArchivo carpeta,
                              const std::string& nombre) = 0;
    // A fifo or device node like `origen`, private (0600) until AplicarMetadatosEn.
    virtual int CrearEspecialEn(ManejadorArchivo carpeta, const std::string& nombre,
                                const InfoNodo& origen) = 0;

    virtual InfoNodo Consultar(const std::string& ruta) = 0;
    // rename(2): replaces an existing target file; fails across file systems.
    virtual int Renombrar(const std::string& origen, const std::string& destino) = 0;
    // Removes a file or a link itself, never what a link points to.
    virtual int BorrarArchivo(const std::string& ruta) = 0;
    // Removes an empty folder only.
    virtual int BorrarCarpetaVacia(const std::string& ruta) = 0;
    virtual int CrearCarpeta(const std::string& ruta) = 0;
    // The names in a folder, "." and ".." left out, in the file system's order.
    virtual int ListarNombres(const std::string& carpeta, std::vector<std::string>& nombres) = 0;
    virtual int LeerEnlace(const std::string& ruta, std::string& destino) = 0;
    virtual int CrearEnlace(const std::string& destino, const std::string& ruta) = 0;
    // The absolute path with every link and "." / ".." resolved; empty when it cannot be.
    virtual std::string RutaCanonica(const std::string& ruta) = 0;

    // The system's message for an error code.
    virtual std::string DescripcionError(int codigo) = 0;
    virtual int Codigo(ErrorComun error) = 0;
    virtual bool Es(int codigo, ErrorComun error) = 0;
};

ArchivosBajoNivel& BajoNivel();
// Replaces the process-wide instance; nullptr restores the real one. For tests.
void SetBajoNivel(ArchivosBajoNivel* bajoNivel);

}  // namespace quirvex
