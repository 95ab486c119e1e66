#pragma once
// The one file that holds the settings store, behind an interface so the core never touches the
// operating system. The store's text is opaque here: parsing and formatting belong to the core.
//
// Contract: Leer may be called at any time and never blocks on other writers; a reader sees
// either the whole old file or the whole new one, never a mix. Actualizar is the only way to
// change the file: it serialises every writer of every process on a lock file beside the store,
// re-reads the file under that lock, lets the caller decide what to do with what it found, and
// replaces the file atomically, so a crash mid-write leaves the previous file intact and two
// running instances never lose each other's changes. The process-wide instance lives until the
// process ends; tests may swap in their own with SetArchivoRegistro or build extra instances on
// a path of their choosing with CrearAlmacenArchivo.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace quirvex {

struct LecturaArchivo {
    enum class Estado {
        Ausente,  // no file yet: an empty store
        Leido,    // texto holds the whole file
        Fallido,  // the file exists but could not be read; it must not be overwritten
    };
    Estado estado = Estado::Ausente;
    std::string texto;
};

// What the caller of Actualizar wants done with the file it was shown.
struct CambioArchivo {
    // The new whole text; nothing leaves the file as it is.
    std::optional<std::string> nuevoTexto;
    // Keep the current file aside (as the store's name + ".bad", replacing an older one) before
    // anything else; used for a file that cannot be parsed, so it is never silently lost.
    bool apartarActual = false;
};

class AlmacenArchivo {
public:
    virtual ~AlmacenArchivo() = default;

    virtual LecturaArchivo Leer() = 0;
    // Under the lock: reads the file, calls cambio with what it read (never with a failed read;
    // then nothing is done), and carries out the answer. Creates the missing folders of the
    // store's path. Returns false when the lock, the read or any write step fails; the file then
    // holds either its old text or the whole new one.
    virtual bool Actualizar(const std::function<CambioArchivo(const LecturaArchivo&)>& cambio) = 0;

    // Hands a writer to `escribir`, under the same lock, and makes what it wrote through it the
    // whole new file, without reading the old one: for a large file written in pieces, so that
    // neither the old text nor the whole new one is ever held. False when the lock, a write or
    // `escribir` fails; the file then holds its old text.
    using Escritor = std::function<bool(std::string_view)>;
    virtual bool Reemplazar(const std::function<bool(const Escritor&)>& escribir) = 0;
};

// The steps of a replacement that decide what a crash leaves behind: the temporary file's data
// must be on the disk before the rename makes it the store, and the folder synced after, or a
// power cut can leave an empty store under the final name. They sit behind their own seam so a
// test can see their order and fail any of them. Each returns 0 or the system's error number.
class PasosReemplazo {
public:
    virtual ~PasosReemplazo() = default;
    // Flushes the data of the open file `manejador` (the temporary file at `ruta`).
    virtual int SincronizarArchivo(std::intptr_t manejador, const std::string& ruta) = 0;
    virtual int Renombrar(const std::string& de, const std::string& a) = 0;
    virtual int SincronizarCarpeta(const std::string& carpeta) = 0;
};

// The system's own steps.
PasosReemplazo& PasosReemplazoReales();
// Replaces the steps every store takes; nullptr restores the real ones. For tests.
void SetPasosReemplazo(PasosReemplazo* pasos);

// The store of this user: $XDG_CONFIG_HOME/Ubrel/Halvord.reg, ~/.config when the variable is
// unset, empty or not an absolute path. Looked up again on every use.
AlmacenArchivo& ArchivoRegistro();
// Replaces the process-wide instance; nullptr restores the real one. For tests.
void SetArchivoRegistro(AlmacenArchivo* almacen);
// A store on a fixed path (its folders are created on the first write).
std::unique_ptr<AlmacenArchivo> CrearAlmacenArchivo(const std::string& ruta);

}  // namespace quirvex
