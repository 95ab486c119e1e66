#pragma once
// cIndiceNombres: the index server's map of every file and folder name under a set of roots.
//
// What it keeps: one record per folder (its name, parent, depth, modification time, device, and
// the range of entries that is its current listing) and, per entry, its case-folded name in a
// flat buffer where each name follows a NUL, and the name as found in a second such buffer only
// when it differs from the folded one (most names are lower case already). A search scans the folded
// buffer: a hit at a name's first byte is a prefix, a prefix that reaches the NUL is the whole
// name. Changing a folder appends its new listing and retires the old range; the buffers are
// compacted when the retired part outgrows the live one. Folder ids are stable for the life of
// the object (a parent's id is always lower than its children's).
//
// Mount points inside a root are not entered (their names are listed, their contents are not):
// each volume is a root of its own or is deliberately left out. Links are names, never followed.
// Not thread-safe: the server's single loop owns it.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/arbol_indice.h"

namespace quirvex {

class cIndiceNombres {
public:
    static constexpr std::uint32_t kNinguna = 0xFFFFFFFFu;

    struct Carpeta {
        std::string nombre;  // a root's full path (ending with '/'), or the folder's own name
        std::uint32_t padre = kNinguna;
        std::uint32_t primeraHija = kNinguna;
        std::uint32_t siguiente = kNinguna;  // next sibling
        std::uint32_t inicio = 0, fin = 0;   // its entries
        std::int64_t modificacion = 0;
        std::uint64_t dispositivo = 0;
        std::uint16_t profundidad = 0;
        bool viva = true;
        bool ajena = false;  // another volume mounted here: not entered
    };

    // Lists every root from scratch (each path ends with '/'); what was there before is dropped.
    void Construir(const std::vector<std::string>& raices, ArbolIndice& arbol);
    // Lists one folder again: new names appear, missing ones (and their whole subtree) go, new
    // subfolders are listed in full. Their ids are appended to `nuevas` when given.
    void ReleerCarpeta(std::uint32_t id, ArbolIndice& arbol, std::vector<std::uint32_t>* nuevas);
    // Looks at the modification time of every folder for which `mirar` says yes (all when it is
    // empty) and lists again those that changed. Returns how many were listed again.
    std::size_t Revisar(ArbolIndice& arbol, const std::function<bool(std::uint32_t)>& mirar,
                        std::vector<std::uint32_t>* nuevas);

    // The first `limite` hits for a case-insensitive substring, ranked: whole name, then prefix,
    // then elsewhere; shallower folders first; then index order. Returns the number of hits in
    // the whole index.
    std::uint64_t Buscar(std::string_view texto, std::size_t limite,
                         std::vector<std::uint32_t>& aciertos) const;

    std::string RutaCarpeta(std::uint32_t carpeta) const;
    std::optional<std::uint32_t> CarpetaPorRuta(const std::string& ruta) const;
    std::string_view Nombre(std::uint32_t entrada) const;
    std::uint32_t CarpetaDe(std::uint32_t entrada) const { return carpetaDe_[entrada]; }
    bool EsCarpeta(std::uint32_t entrada) const { return esCarpeta_[entrada]; }
    const std::vector<Carpeta>& Carpetas() const { return carpetas_; }
    const std::vector<std::string>& Raices() const { return raices_; }
    // Live names (files and folders) and live folders.
    std::size_t Nombres() const { return vivas_; }
    std::size_t CarpetasVivas() const { return porRuta_.size(); }

    // Called with each folder that leaves the index (gone, renamed, or under one that did),
    // while its path can still be asked for.
    std::function<void(std::uint32_t)> alRetirarCarpeta;

    // The whole index as one file image; Cargar takes such an image back and refuses (returning
    // false and leaving the index empty) anything that is not whole and consistent.
    std::string Serializar() const;
    bool Cargar(std::string_view datos);

private:
    std::uint32_t NuevaCarpeta(std::uint32_t padre, std::string nombre);
    void AgregarEntrada(std::string_view nombre, bool carpeta, std::uint32_t duena);
    // Lists the queued folders (and what they hold) breadth first.
    void ListarCola(std::vector<std::uint32_t>& cola, ArbolIndice& arbol,
                    std::vector<std::uint32_t>* nuevas);
    bool ListarUna(std::uint32_t id, ArbolIndice& arbol, std::vector<NombreListado>& lista);
    void MatarSubarbol(std::uint32_t id);
    void Retirar(std::uint32_t id);
    void CompactarSiHaceFalta();
    void ContarBytes();
    void Vaciar();
    std::uint32_t EntradaEn(std::size_t pos, std::uint32_t desde) const;

    std::vector<std::string> raices_;
    std::vector<Carpeta> carpetas_;
    std::unordered_map<std::string, std::uint32_t> porRuta_;
    std::string plegados_{1, '\0'};
    std::string nombres_{1, '\0'};
    std::vector<std::uint32_t> offPleg_{1u};  // one past the last: the buffer's size
    std::vector<std::uint32_t> offNom_{1u};
    std::vector<std::uint32_t> carpetaDe_;
    std::vector<bool> esCarpeta_;
    std::size_t vivas_ = 0;
    std::size_t retiradas_ = 0;
    std::uint32_t frecuencia_[256] = {};
};

}  // namespace quirvex
