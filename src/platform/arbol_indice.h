#pragma once
// What the index server needs from the file system: a fast listing of names (no per-entry
// look-up unless the file system gives no type), a folder's identity and modification time, a
// file's size for the hits on screen, and watches on many folders at once. Symbolic links are
// listed as names and never followed.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quirvex {

struct NombreListado {
    std::string nombre;  // exact bytes
    bool carpeta = false;
};

struct EstadoCarpeta {
    std::uint64_t dispositivo = 0;
    std::int64_t modificacion = 0;  // nanoseconds since 1970
};

class ArbolIndice {
public:
    virtual ~ArbolIndice() = default;
    // Lists the folder's names into `nombres` (cleared first) and fills `estado`; false when the
    // folder cannot be opened as a folder (gone, a link, no permission).
    virtual bool Listar(const std::string& carpeta, EstadoCarpeta& estado,
                        std::vector<NombreListado>& nombres) = 0;
    virtual std::optional<EstadoCarpeta> Consultar(const std::string& carpeta) = 0;
    // The size of a file (a link's own size); -1 when it is gone. Called from threads of its
    // own, at the same time as the other calls.
    virtual std::int64_t Tamano(const std::string& ruta) = 0;
};

ArbolIndice& ArbolSistema();

// Watches folders for entries created, deleted and renamed in them. Each watch carries the
// caller's tag (the index's folder id), which is what changes are reported by: the watcher keeps
// no paths, a sorted table of (watch, tag) pairs only.
class VigilanteCarpetas {
public:
    static constexpr std::uint32_t kSinEtiqueta = 0xFFFFFFFFu;

    virtual ~VigilanteCarpetas() = default;
    virtual int Descriptor() const = 0;
    // The watch's number (>= 0), or -1 when the folder cannot be watched (gone, or the watch
    // limit is reached: see Lleno). A folder watched already (renamed, or reached under another
    // name) keeps its watch, which takes the new tag; `anterior` gets the old tag, or
    // kSinEtiqueta for a new watch.
    virtual int Vigilar(const std::string& carpeta, std::uint32_t etiqueta, std::uint32_t& anterior) = 0;
    virtual void Dejar(int vigilancia) = 0;
    virtual bool Lleno() const = 0;
    virtual std::size_t Cuantas() const = 0;
    // The tags of the folders whose entries changed since the last call, without blocking (one
    // tag may come more than once). `terminadas` gets the tags of the watches the system ended
    // (the folder went away). `desbordado` is set when the system dropped events: everything
    // must be looked at again.
    virtual std::vector<std::uint32_t> Leer(bool& desbordado, std::vector<std::uint32_t>& terminadas) = 0;
};

// maxVigilancias: the most watches this watcher takes, at most the system's per-user limit less
// a reserve for the file manager's own panes.
std::unique_ptr<VigilanteCarpetas> CrearVigilanteCarpetas(std::size_t maxVigilancias);
// The per-user watch limit of the system (0 when unknown).
std::size_t LimiteVigilancias();

}  // namespace quirvex
