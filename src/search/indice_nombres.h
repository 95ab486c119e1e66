#pragma once
// cIndiceNombres: the index server's map of every file and folder name under a set of roots.
//
// What it keeps: one record per folder (its parent, depth, modification time, device, and the
// byte range of the name buffer that is its current listing; its own name in a shared buffer)
// and one buffer of case-folded names, each ended by NUL for a file or '/' for a folder: two
// bytes no name may hold, so a name costs its folded bytes and one more. The name as found is
// kept apart only when it differs from the folded one (most names are lower case already). An
// entry is known by the position of its first byte in the buffer; which folder owns a position
// is told by a short list of listing ranges, not by a number per name.
//
// A search scans the folded buffer: a hit just after a terminator is a prefix, a prefix that
// reaches the next terminator is the whole name. A text of one byte is answered without that
// pass: each name's first two bytes are kept in order beside the buffer (two bytes a name), and
// how many live names hold each byte is kept up to date. Changing a folder appends its new listing and
// zeroes the old range, so a retired name can never match again; the buffer is compacted when
// the retired part outgrows the live one. Folder ids are stable for the life of the object (a
// parent's id is always lower than its children's); folders are found by parent and name in an
// open-addressing table of ids, not by whole paths.
//
// Mount points inside a root are not entered (their names are listed, their contents are not):
// each volume is a root of its own or is deliberately left out. Links are names, never followed.
// Not thread-safe: the server's single loop owns it. The const members may run on two threads at
// once while nothing changes it (the server's save streams it to the file on a thread of its own).
//
// The code is in three parts: tree upkeep (indice_nombres.cpp), search
// (indice_nombres_busqueda.cpp) and the file image (indice_nombres_imagen.cpp).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/arbol_indice.h"

namespace quirvex {

// The pass a search makes over the names: the widest the processor has, or one forced (for tests
// that compare every path with a plain reading). Auto and Iniciales answer a text of one byte
// from the names' first bytes, every longer one with the widest pass; the others never take
// that short cut.
enum class CaminoBarrido { Auto = 0, Simple = 1, Sse2 = 2, Avx2 = 3, Iniciales = 4 };
// False, changing nothing, when the path cannot run on this processor or build.
bool ForzarCaminoBarrido(CaminoBarrido camino);

class LectorLE;

class cIndiceNombres {
public:
    static constexpr std::uint32_t kNinguna = 0xFFFFFFFFu;

    struct Carpeta {
        std::uint32_t padre = kNinguna;
        std::uint32_t primeraHija = kNinguna;
        std::uint32_t siguiente = kNinguna;  // next sibling
        std::uint32_t inicio = 0, fin = 0;   // its entries: a byte range of the name buffer
        std::uint32_t nombre = 0;            // where its name starts in the folder-name buffer
        std::int64_t modificacion = 0;
        std::uint64_t dispositivo = 0;
        std::uint16_t profundidad = 0;
        bool viva = true;
        bool ajena = false;  // another volume mounted here: not entered
        // Every change since its listing is heard of: antesDeListar said so before the listing,
        // or before a later look found it unchanged.
        bool confirmada = false;
        // Modified so close to its listing that an unchanged time proves nothing: a name added
        // in the same clock tick leaves the time as it was.
        bool reciente = false;
    };

    // Lists every root from scratch (each path ends with '/'); what was there before is dropped.
    // False when `interrumpir` stopped it: the index is then incomplete.
    bool Construir(const std::vector<std::string>& raices, ArbolIndice& arbol);
    // Lists one folder again: new names appear, missing ones (and their whole subtree) go, new
    // subfolders are listed in full. Their ids are appended to `nuevas` when given.
    void ReleerCarpeta(std::uint32_t id, ArbolIndice& arbol, std::vector<std::uint32_t>* nuevas);
    // Looks at the modification time of every folder for which `mirar` says yes (all when it is
    // empty) and lists again those that changed or were `reciente`. Returns how many were listed
    // again.
    std::size_t Revisar(ArbolIndice& arbol, const std::function<bool(std::uint32_t)>& mirar,
                        std::vector<std::uint32_t>* nuevas);

    // The first `limite` hits for a case-insensitive substring, ranked: whole name, then prefix,
    // then elsewhere; shallower folders first; then index order. Returns the number of hits in
    // the whole index.
    std::uint64_t Buscar(std::string_view texto, std::size_t limite,
                         std::vector<std::uint32_t>& aciertos) const;

    std::string RutaCarpeta(std::uint32_t carpeta) const;
    std::optional<std::uint32_t> CarpetaPorRuta(const std::string& ruta) const;
    // A root's full path (ending with '/'), or the folder's own name.
    std::string_view NombreCarpeta(std::uint32_t carpeta) const;
    // Entries are the ids Buscar and EntradasDe hand out, valid until the index next changes.
    std::string_view Nombre(std::uint32_t entrada) const;
    std::uint32_t CarpetaDe(std::uint32_t entrada) const;
    bool EsCarpeta(std::uint32_t entrada) const;
    // The entries of a folder's current listing, in the order they are kept (by name).
    std::vector<std::uint32_t> EntradasDe(std::uint32_t carpeta) const;
    const std::vector<Carpeta>& Carpetas() const { return carpetas_; }
    const std::vector<std::string>& Raices() const { return raices_; }
    // Live names (files and folders) and live folders.
    std::size_t Nombres() const { return vivas_; }
    std::size_t CarpetasVivas() const { return carpetasVivas_; }
    // Names left out since the object was made because the name buffer was full.
    std::size_t Descartados() const { return descartados_; }
    // The name buffer's size limit: what positions can tell, or less (tests).
    std::size_t limiteBuffer = SIZE_MAX;

    // Called with each folder that leaves the index (gone, renamed, or under one that did),
    // while its path can still be asked for.
    std::function<void(std::uint32_t)> alRetirarCarpeta;
    // Called with a folder's id and path just before it is listed, and before Revisar looks at
    // it: true when every change to it from that moment on will be heard of (the owner watches
    // it). Watching first and listing after is what makes a listing complete; a folder listed
    // without it stays unconfirmed, and the owner's rescans must look at it.
    std::function<bool(std::uint32_t, const std::string&)> antesDeListar;
    // Asked before each folder is listed or looked at: true stops the work there. The index
    // stays consistent; a folder whose turn did not come keeps an empty listing and a time that
    // matches nothing, so the next look lists it.
    std::function<bool()> interrumpir;

    // The whole index as one file image; Cargar takes such an image back and refuses (returning
    // false and leaving the index empty) anything that is not whole and consistent.
    std::string Serializar() const;
    // The same image handed to `salida` in pieces of about a megabyte, so that a save never holds
    // a second copy of the index. Stops at, and returns, the first false from `salida`.
    bool Escribir(const std::function<bool(std::string_view)>& salida) const;
    bool Cargar(std::string_view datos);

    // What a file image's header says its listings hold: entries, and the bytes of the folded
    // and original name buffers.
    struct Cupo {
        std::uint64_t entradas = 0, plegados = 0, nombres = 0;
    };

private:
    // A name whose folded form differs from it: where its folded form starts, where it starts in
    // nombres_.
    struct Original {
        std::uint32_t pos, off;
    };
    // From `pos` on, the name buffer holds a listing of `carpeta` (current or retired), whose
    // first name is number `nombre` in iniciales_.
    struct Tramo {
        std::uint32_t pos, carpeta, nombre;
    };

    // Positions are 32-bit: the name buffer stays below this.
    static constexpr std::size_t kMaxBuffer = 0xFFFFFFF0u;
    class Ranking;  // the ranked hits of one search

    std::uint32_t NuevaCarpeta(std::uint32_t padre, std::string_view nombre);
    void AgregarEntrada(std::string_view nombre, bool carpeta);
    void CerrarListado(std::uint32_t id);
    // Adds `cambio` to the count of each byte the folded name holds (once a name).
    void ContarNombre(std::string_view plegado, std::uint32_t cambio);
    // Lists the queued folders (and what they hold) breadth first.
    bool ListarCola(std::vector<std::uint32_t>& cola, ArbolIndice& arbol,
                    std::vector<std::uint32_t>* nuevas);
    bool ListarUna(std::uint32_t id, ArbolIndice& arbol, std::vector<NombreListado>& lista);
    void MatarSubarbol(std::uint32_t id);
    void Retirar(std::uint32_t id);
    void CompactarSiHaceFalta();
    void Compactar();
    void ContarBytes();
    void Vaciar();
    std::uint32_t FinDeNombre(std::uint32_t entrada) const;
    // The first name at or after `pos` kept apart from its folded form.
    std::vector<Original>::const_iterator PrimerOriginal(std::uint32_t pos) const;
    std::uint32_t TramoDe(std::uint32_t pos) const;
    // A text of one byte (indice_nombres_iniciales.cpp): the whole-name and prefix hits from
    // the first bytes, as keys (class, depth, name number); then, while the limit is not met,
    // the hits elsewhere in the shallowest listings.
    std::uint64_t BuscarUnByte(unsigned char b, std::size_t limite, std::vector<std::uint32_t>& aciertos) const;
    std::uint64_t AlPrincipio(unsigned char b, std::size_t limite, std::vector<std::uint64_t>& claves) const;
    void EntradasDeNumeros(const std::vector<std::uint64_t>& claves, std::vector<std::uint32_t>& aciertos) const;
    void Dentro(unsigned char b, std::size_t cuantos, std::uint64_t quedan, std::vector<std::uint32_t>& aciertos) const;
    // The folder table: ids by (parent, name); dead ids stay until the table is rebuilt.
    std::uint32_t BuscarHija(std::uint32_t padre, std::string_view nombre) const;
    void IndexarCarpeta(std::uint32_t id);
    void RehacerTabla();
    // The file image, a folder at a time.
    bool EscribirCuerpo(const std::function<bool(std::string_view)>& salida, std::uint64_t& carpetas,
                        Cupo& cupo) const;
    void EscribirCarpeta(std::string& s, std::uint32_t id, std::uint64_t padre, Cupo& cuenta) const;
    bool Reservar(std::uint64_t carpetas, const Cupo& cupo);
    bool LeerCarpeta(LectorLE& l, std::uint64_t id, const std::vector<std::string>& raices, const Cupo& cupo,
                     std::string& nombre);
    bool LeerListado(LectorLE& l, std::uint32_t id, const Cupo& cupo, std::string& nombre);

    std::vector<std::string> raices_;
    std::vector<Carpeta> carpetas_;
    std::string nombresCarpetas_;  // each name followed by a NUL
    std::vector<std::uint32_t> tabla_;
    std::size_t enTabla_ = 0;
    std::size_t carpetasVivas_ = 0;
    std::string plegados_{1, '\0'};
    std::string nombres_;
    std::vector<Original> originales_;  // by position
    std::vector<Tramo> tramos_;         // by position
    std::size_t vivas_ = 0;
    std::size_t retiradas_ = 0;  // bytes of the name buffer that are zeroed listings
    std::size_t descartados_ = 0;
    std::uint32_t frecuencia_[256] = {};
    // Each name's first folded byte and, when the name goes on, its second: one per name, in
    // the buffer's order (zero once its listing is retired).
    std::vector<std::uint16_t> iniciales_;
    std::uint32_t nombresCon_[256] = {};  // live names holding each byte
};

}  // namespace quirvex
