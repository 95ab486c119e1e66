#pragma once
// File-system queries the core needs, behind one interface so the core stays free of
// operating-system headers. The process-wide instance is the real implementation; tests may
// swap in their own with SetSistemaArchivos.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "folder/item_carpeta.h"

namespace quirvex {

struct EntradaDirectorio {
    std::string nombre;           // exact bytes
    std::uint32_t atributos = 0;  // ATR_* bits
    std::int64_t tamano = 0;      // 0 for folders
    Fecha modificacion = 0;       // local time
    Fecha creacion = 0;           // birth time, or the last-write time where there is none
};

// What tells whether a folder's set of names may have changed: its modification and change
// times, in nanoseconds since 1970 (UTC). Any entry created, removed or renamed moves both.
struct SelloCarpeta {
    std::int64_t modificacion = 0;
    std::int64_t cambio = 0;

    bool operator==(const SelloCarpeta&) const = default;
};

// What the properties window tells of one file beyond its listing: for a link, its target as
// stored and what it points to (or the link itself when that is gone).
struct DetallesArchivo {
    bool enlace = false;
    std::string destino;            // a link's target, exact bytes
    std::uint32_t modo = 0;         // type and permission bits, as st_mode
    std::int64_t modificado = 0;    // seconds since 1970 (UTC)
    std::int64_t accedido = 0;
    std::int64_t creado = 0;
    bool hayCreacion = false;       // the file system keeps birth times
    std::uint32_t uid = 0, gid = 0;
    std::string propietario, grupo; // account names; empty where the number has none
};

class SistemaArchivos {
public:
    virtual ~SistemaArchivos() = default;

    // Calls porEntrada for each entry of the folder in the order the file system returns them,
    // "." and ".." left out. Returns false when the folder cannot be opened.
    virtual bool Listar(const std::string& carpeta,
                        const std::function<void(EntradaDirectorio&&)>& porEntrada) = 0;
    // The same listing handed over at once, for callers that size their own tables by it.
    virtual bool ListarTodo(const std::string& carpeta, std::vector<EntradaDirectorio>& entradas) {
        entradas.clear();
        return Listar(carpeta, [&](EntradaDirectorio&& e) { entradas.push_back(std::move(e)); });
    }
    // The present size of each named entry of the folder (ending with '/'), as Consultar would
    // give it: 0 for anything that is not a file, or no longer exists.
    virtual std::vector<std::int64_t> Tamanos(const std::string& carpeta,
                                              const std::vector<std::string_view>& nombres) {
        std::vector<std::int64_t> r(nombres.size(), 0);
        for (size_t i = 0; i < nombres.size(); ++i)
            if (const auto e = Consultar(carpeta + std::string(nombres[i]))) r[i] = e->tamano;
        return r;
    }
    // What Consultar would say of each named entry of the folder (ending with '/'); nothing for
    // a name that no longer exists.
    virtual std::vector<std::optional<EntradaDirectorio>> ConsultarEn(
        const std::string& carpeta, const std::vector<std::string_view>& nombres) {
        std::vector<std::optional<EntradaDirectorio>> r(nombres.size());
        for (size_t i = 0; i < nombres.size(); ++i) r[i] = Consultar(carpeta + std::string(nombres[i]));
        return r;
    }
    // True when the folder can be opened for listing.
    virtual bool Accesible(const std::string& carpeta) = 0;
    // What a listing would say of this one path (a link is described by what it points to, with
    // ATR_ENLACE added); nothing when it does not exist.
    virtual std::optional<EntradaDirectorio> Consultar(const std::string& ruta) = 0;
    // The folder's stamp from one status call; nothing when it cannot be read (the caller then
    // trusts nothing it knows about the folder).
    virtual std::optional<SelloCarpeta> Sello(const std::string& /*carpeta*/) { return std::nullopt; }
    // Times, owner, permissions and link target of one path; nothing where they are unknown
    // (it does not exist, or the file system does not tell).
    virtual std::optional<DetallesArchivo> Detalles(const std::string& /*ruta*/) { return std::nullopt; }
};

SistemaArchivos& Archivos();
// Replaces the process-wide instance; nullptr restores the real one. For tests.
void SetSistemaArchivos(SistemaArchivos* sistema);

// How the status calls of a folder-wide listing or query are made: shared between two threads,
// or queued on the kernel's io_uring. Automatica keeps a small batch on one thread and takes the
// ring for a large one where the kernel offers it; a forced way is taken for any batch (the ring
// still falls back to the threads where it cannot be set up). For tests and benchmarks.
enum class ViaEstados { Automatica, Hilos, Anillo };
void SetViaEstados(ViaEstados via);
// The way the last batch was made (Automatica when it stayed on one thread).
ViaEstados UltimaViaEstados();

}  // namespace quirvex
