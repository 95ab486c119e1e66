#pragma once
// The desktop's shared thumbnail cache: the folder every file manager and picture viewer of the
// user reads and writes, so that a picture decoded once by any of them is never decoded again
// while it stays unchanged.
//
// Layout: $XDG_CACHE_HOME/thumbnails (else ~/.cache/thumbnails) holds normal/ (128 × 128 at
// most), large/ (256), x-large/ (512) and xx-large/ (1024). A thumbnail is a PNG named by the
// MD5 of the file's URI in lower-case hex plus ".png", and says in its text chunks which file
// and which modification time it was made from (Thumb::URI, Thumb::MTime in whole seconds); it
// is current only while both match the file (and Thumb::Size, when given, its size). A file
// that could be read but not decoded gets an empty entry of the same name under
// fail/<program>-<version>/, so it is not tried again until it changes.
//
// Everything written is private: folders 0700, files 0600, each file written under a temporary
// name in its final folder and renamed into place, so a reader never sees half a thumbnail and
// a stale one is replaced whole. Files inside the cache itself are never thumbnailed.
//
// Thread: any. Each call reads the environment afresh and keeps no state; the preview pool
// calls it from its threads. Local paths only: a share's picture is never looked up here.

#include <QImage>
#include <QSize>
#include <cstdint>
#include <string>

namespace quirvex {

// "file://" and the path's bytes, every byte outside the path characters of RFC 2396
// (letters, digits, - _ . ! ~ * ' ( ) : @ & = + $ , and /) written as %XX in upper-case hex:
// what the other programs of the desktop hash, so their thumbnails and ours share names.
std::string UriArchivo(const std::string& rutaAbsoluta);
// The cache's file name for a URI: its MD5 in lower-case hex, then ".png".
std::string NombreMiniatura(const std::string& uri);
// $XDG_CACHE_HOME/thumbnails when the variable holds an absolute path, else
// $HOME/.cache/thumbnails; empty when neither can be told.
std::string CarpetaMiniaturas();
// The side of the smallest thumbnail size that covers a box of `caja` pixels (128, 256, 512,
// 1024; the largest for anything bigger).
int LadoMiniatura(int caja);
// The subfolder of a thumbnail side ("normal", "large", "x-large", "xx-large").
const char* SubcarpetaMiniatura(int lado);

// What the cache knows a file by.
struct OriginalMiniatura {
    std::string uri;
    std::int64_t mtime = 0;  // seconds since 1970
    std::int64_t bytes = -1; // -1 when unknown (Thumb::Size is then neither written nor checked)
};

// A thumbnail read back, with the size of the picture it was made from when it says so.
struct MiniaturaLeida {
    QImage imagen;    // null: none is current
    QSize original;   // invalid when the thumbnail does not record it
};

class cMiniaturas {
public:
    // base: the thumbnails folder; by default the desktop's (CarpetaMiniaturas).
    explicit cMiniaturas(std::string base = CarpetaMiniaturas());

    // False when no cache folder can be told: nothing is read or written then.
    bool Disponible() const { return !base_.empty(); }
    const std::string& Base() const { return base_; }
    // Whether a path lies inside the cache (such files are never thumbnailed).
    bool Contiene(const std::string& ruta) const;

    std::string Ruta(const std::string& uri, int lado) const;
    std::string RutaFallo(const std::string& uri) const;

    // The current thumbnail of the file at `lado`, else at a larger size; others' count too.
    MiniaturaLeida Leer(const OriginalMiniatura& o, int lado) const;
    // Whether this program recorded, for the file as it is now, that it could not decode it.
    bool FalloVigente(const OriginalMiniatura& o) const;
    // Stores a thumbnail of at most lado × lado pixels made from a picture of `original`
    // (replacing a stale one) and drops a failure entry of the file. False when it could not
    // be written; the cache is then as it was.
    bool Guardar(const OriginalMiniatura& o, const QImage& miniatura, QSize original, int lado) const;
    // Records that the file could be read but not decoded.
    bool GuardarFallo(const OriginalMiniatura& o) const;

private:
    // Creates the folder (and the cache folders above it) owner-only; tightens ours to 0700.
    bool AsegurarCarpeta(const std::string& carpeta) const;
    bool Escribir(const std::string& destino, const QImage& img) const;

    std::string base_;
};

// Whether a thumbnail's text chunks say it belongs to the file as it is now.
bool MiniaturaVigente(const QImage& miniatura, const OriginalMiniatura& o);

}  // namespace quirvex
