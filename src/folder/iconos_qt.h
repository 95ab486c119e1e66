#pragma once
// Item pictures: type icons from the desktop's icon theme (with the program's own set when the
// theme lacks one), icons read from the file itself, and scaled previews of picture files; plus
// cCacheIconos, the per-pane cache that renders each of them once per folder visit.
//
// Everything here runs on the user-interface thread, except RenderizarVistaPrevia, which touches
// only the file and QImage and is what the preview pool (cColaPreviews) runs. The theme lookups
// need a QGuiApplication; the preview renderer needs none.

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "settings/opciones.h"

namespace quirvex {
class cColaPreviews;
class cLecturaMiniaturas;
struct ResultadoPreview;
}

namespace quirvex {

// Internal icon classes of ItemCarpeta::Icono for files and folders.
inline constexpr int ICONO_CARPETA = 0;
inline constexpr int ICONO_ARCHIVO = 1;

// How an item's picture is made.
enum class ClaseImagen {
    TipoArchivo,     // the type icon of the theme
    DelArchivo,      // the icon stored in the file itself (ICO, CUR); the type icon otherwise
    VistaPrevia,     // the picture itself, scaled into the box
};

// Names a theme when the platform gave none (offscreen, bare X servers): without one every
// theme icon is blank. Safe to call often.
void AsegurarTemaIconos();

// The picture for a file name of `bytes` bytes. Previews are only offered when conPreview is
// set (the pane's preview mode): extensions listed in "Image extensions preview" and not in
// "Icons load", unless the BMP/GIF or JPG/JPEG size limit is on and the file exceeds it.
// Extensions in "Icons load" read their icon from the file.
ClaseImagen ElegirClaseImagen(const std::string& nombre, std::int64_t bytes, bool conPreview,
                              const RegistroOpciones& op = Opciones());
// Whether an extension in the preview list is one of the four the preview settings know
// (BMP, GIF, JPG, JPEG); the pane warns about the others.
bool ExtensionPreviewConocida(const std::string& nombre);

// Pictures of `tamano` × `tamano` pixels, transparent around the drawing, never null.
// Internal icon class (ICONO_CARPETA, ICONO_ARCHIVO, 2..30 extension groups).
QImage ImagenClaseIcono(int icono, int tamano);
// Drive types 2..7 (UNIDAD_FIJA ...); a drive item's Icono is its type - 2. Network computers
// and shares are drawn with UNIDAD_REMOTA.
QImage ImagenUnidad(int tipoUnidad, int tamano);
// The icon of a path from its name's MIME type (the content is not read); folders get the
// folder icon. Unknown types get the class icon of their extension group.
QImage ImagenTipoArchivo(const std::string& ruta, bool esCarpeta, int tamano);
// The type icon for a box of `tamano`: never drawn larger than 32 × 32, at the box's top-left.
QImage IconoEnCaja(const std::string& ruta, bool esCarpeta, int tamano);
// The arrow drawn over shortcut icons: transparent except its lower-left corner.
QImage ImagenFlechaAcceso(int tamano);
// One picture of the program's own set by file stem ("carpeta", "unidad_ram", ...); null when
// there is none. Shown when the theme has no icon; exposed so tests can reach it.
QImage ImagenRespaldo(const QString& nombre, int tamano);

// Scaled picture of a picture file, centred in a tamano × tamano box: a picture that fits keeps
// its size, a larger one is scaled keeping its proportions until its longer side fills the box.
// Only the header is read before the decoder is asked for the scaled size, and a picture whose
// decoder cannot scale while reading and that would need more than limiteMB megabytes in full
// is not decoded at all; a format whose header does not give the size (GIF) is decoded whole
// within the same limit. Null when the file cannot be read as a picture.
QImage RenderizarVistaPrevia(const std::string& ruta, int tamano, int limiteMB = 128);
// The same through the desktop's shared thumbnail cache (miniaturas_qt.h): a thumbnail current
// for the file's modification time (another program's too) is drawn into the box without
// decoding the picture, a file recorded as not decodable is not tried again, and a picture
// decoded here leaves its thumbnail (or its failure entry) for the next visit and the other
// programs. Shares and the cache's own files are decoded as by RenderizarVistaPrevia. Reads
// and writes files: for the preview pool, never for painting.
QImage VistaPreviaCompartida(const std::string& ruta, int tamano, int limiteMB = 128);
// Only the shared cache's side of that: the current thumbnail drawn into the box, or null when
// the cache holds none (the picture is never decoded, nor a failure recorded). Local files only.
QImage MiniaturaCompartida(const std::string& ruta, int tamano);
// The icon stored in an ICO or CUR file, scaled into the box; null for any other file.
QImage RenderizarIconoDelArchivo(const std::string& ruta, int tamano);
// The largest size a type icon is drawn at; a larger box gets it at its top-left corner.
inline constexpr int ICONO_MAXIMO = 32;

// Previews decoded on the pool are also remembered for the whole program (user-interface thread
// only), by path, the listing's modification time and box size, up to `limiteBytes` of pictures
// (the ones used longest ago go first): a pane that shows the folder again, in another tab or
// after leaving it, draws them at once instead of asking the pool and the thumbnail cache.
// A file whose listed modification time changed is a new key, so it is decoded again.
class cPreviewsRecordadas {
public:
    explicit cPreviewsRecordadas(std::int64_t limiteBytes) : limite_(limiteBytes) {}
    // The program's own.
    static cPreviewsRecordadas& Programa();
    // A null image when none is remembered.
    QImage Buscar(const std::string& ruta, std::int64_t fecha, int tamano);
    void Guardar(const std::string& ruta, std::int64_t fecha, int tamano, QImage imagen);
    void Vaciar();
    std::int64_t Bytes() const { return bytes_; }

private:
    struct Recuerdo {
        QImage imagen;
        std::uint64_t uso = 0;
    };
    static std::string Clave(const std::string& ruta, std::int64_t fecha, int tamano);
    std::int64_t limite_;
    std::int64_t bytes_ = 0;
    std::uint64_t usos_ = 0;
    std::unordered_map<std::string, Recuerdo> recuerdos_;
};

// The picture cCacheIconos renders for a path: the folder icon, a preview, the file's own icon
// or its type icon, by ElegirClaseImagen, falling back to the type icon whenever the first
// choice fails. Previews and file icons are only read from regular files (a fifo named x.jpg
// would block the reader).
QImage RenderizarImagenItem(const std::string& ruta, int tamano, bool conPreview);
// Where a picture of tamanoOriginal lands in the box (the fitting rule above).
QRect UbicarEnCaja(QSize tamanoOriginal, int tamano);

// What is known of a file when its picture is chosen: the listing's record of it, or one look
// at the file (links followed).
struct MiradaArchivo {
    bool carpeta = false;
    bool regular = false;
    std::int64_t bytes = 0;
    std::int64_t fecha = 0;  // modification time in microseconds, 0 when unknown
};
// The record a listing keeps, as the cache reads it: no file-system call.
MiradaArchivo MiradaDeListado(std::uint32_t atributos, std::int64_t tamano, double fechaModificacion);

// Where AgregarIconoCache put a picture: slot 0..2 and image position from 1. slot -1 = none.
struct PosicionIcono {
    int slot = -1;
    int imagen = 0;
};

// cCacheIconos: one pane's rendered item pictures. Owned by the pane; used from its drawing
// code only (user-interface thread). It keeps the pictures of at most three folder visits (a folder at one icon size,
// with or without previews); a fourth visit reuses the slot filled longest ago. A picture is
// rendered once and served again until the file's modification time changes; a re-rendered
// picture replaces the old one at the same position. Entries of files that have gone are dropped
// once a slot has doubled since it was last looked over, so a folder whose files come and go
// (a download or log folder) never makes its slot grow past what the folder holds.
// Names are kept exactly (this file system tells "a.JPG" from "A.jpg").
//
// Previews are decoded in place until DecodificarAparte is called; from then on a preview is
// asked of the pool and the entry shows the file's type icon until the picture comes back,
// when the pane is told which item to paint again. A result that no longer belongs (the slot
// was given to another folder or started over, or the file changed meanwhile) is dropped.
class cCacheIconos {
public:
    // Called on the user-interface thread when an item's preview is in place. item is the index
    // given to AgregarIconoCache, nombre the file's name: the pane's table may have changed since.
    using FuncionPreviewLista = std::function<void(int item, const std::string& nombre)>;

    // limiteBytesRanura: pictures one slot may hold, in bytes; past it the slot starts over, so
    // scrolling through a folder of 100,000 previews does not keep them all.
    explicit cCacheIconos(std::int64_t limiteBytesRanura = std::int64_t{256} << 20);
    ~cCacheIconos();
    cCacheIconos(const cCacheIconos&) = delete;
    cCacheIconos& operator=(const cCacheIconos&) = delete;

    // The picture for a full path (a folder may end in '/') at tamano × tamano, rendering it if
    // needed. conPreview: the pane is in preview mode (see ElegirClaseImagen). Costs one stat of
    // the file per call (its modification time); rendering happens once per visit. item: the
    // pane's index of the path, carried by a preview request so that scrolling can drop it.
    PosicionIcono AgregarIconoCache(const std::string& ruta, int tamano, bool conPreview = false,
                                    int item = -1);
    // The same from what the listing says of the file: no file-system or network call, so
    // painting uses this one. A file on a share is never read here: its preview, if any, is
    // always decoded apart (through the path router) and it shows its type icon meanwhile.
    PosicionIcono AgregarIconoCache(const std::string& ruta, const MiradaArchivo& listado,
                                    int tamano, bool conPreview, int item);
    // A screen in preview mode is being painted afresh: the previews of these items (full
    // paths as for AgregarIconoCache, with what the listing says of them) that the shared
    // thumbnail cache holds are read on the pool meanwhile, and TerminarAdelanto puts them in
    // place (telling the pane of each, as for a decoded one) after waiting for what is left,
    // for at most limiteMs. Items painted meanwhile show their type icon and are not asked
    // of the pool until then; those the cache lacks, or that were not read in time, are asked
    // of it at TerminarAdelanto. Items whose picture is in place or remembered, and those that
    // are no local pictures, are left to the paint. Only once DecodificarAparte was called.
    struct ItemAdelantado {
        std::string ruta;
        MiradaArchivo mirada;
        int item = -1;
    };
    void EmpezarAdelanto(const std::vector<ItemAdelantado>& items, int tamano);
    void TerminarAdelanto(int limiteMs);
    // The picture at a position; a null image for a position that holds none.
    const QImage& Imagen(PosicionIcono pos) const;
    // Both at once.
    const QImage& ImagenDe(const std::string& ruta, int tamano, bool conPreview = false,
                           int item = -1) {
        return Imagen(AgregarIconoCache(ruta, tamano, conPreview, item));
    }

    // Pictures rendered since construction (a picture served from the cache does not count;
    // a preview decoded apart counts when it is put in place).
    std::int64_t Renderizados() const { return renderizados_; }
    // Forgets everything (the pane closes or the theme changes); waiting previews are dropped.
    void Vaciar();
    // The names the shown folder holds now, asked when a slot is looked over for files that
    // have gone: with it that look-over makes no file-system call. cuenta, how many names it
    // holds, is asked first: a slot holding no more entries than that is left as it is, so
    // scrolling through a large folder never gathers all its names.
    using FuncionNombres = std::function<std::vector<std::string>()>;
    using FuncionCuenta = std::function<std::size_t()>;
    void SetNombresVigentes(FuncionNombres nombres, FuncionCuenta cuenta = {}) {
        nombresVigentes_ = std::move(nombres);
        cuentaVigentes_ = std::move(cuenta);
    }

    // From now on previews are decoded on the pool (hilos at once, 0 = by the processors) and
    // listo is told when one is in place.
    // trasPintar: decoding waits for Pintado (see cColaPreviews).
    void DecodificarAparte(FuncionPreviewLista listo, int hilos = 0, bool trasPintar = false);
    // The pane painted the surface the pictures were asked for.
    void Pintado();
    // The pane scrolled: previews waiting for items outside desde..hasta are not decoded.
    void ConservarPreviews(int desde, int hasta);
    // The pane shows another listing: no waiting preview is decoded.
    void DescartarPreviews();
    // Entries showing their type icon while their preview is asked for or being decoded.
    int PreviewsPendientes() const { return pendientes_; }
    const cColaPreviews* Cola() const { return cola_.get(); }
    // Bytes held by the pictures of every slot (each counted at its box size).
    std::int64_t BytesImagenes() const;
    // Pictures a slot holds before it is first looked over for files that have gone.
    static constexpr std::size_t MINIMO_REVISION = 256;

private:
    struct Entrada {
        std::int64_t fecha = 0;  // nanoseconds of the last write, 0 unknown
        int imagen = 0;          // position from 1
        bool pendiente = false;  // the type icon stands in while the preview is decoded apart
    };
    struct Ranura {
        std::string carpeta;
        int tamano = 0;
        bool conPreview = false;
        bool usada = false;
        std::uint64_t visita = 0;  // changes whenever the slot is given out or starts over
        std::unordered_map<std::string, Entrada> entradas;
        std::vector<QImage> imagenes;
        std::size_t trasRevision = 0;  // entries left by the last look-over
    };

    int ElegirRanura(const std::string& carpeta, int tamano, bool conPreview);
    void Reiniciar(Ranura& r);
    // Drops the entries whose file is gone and closes up the pictures behind them.
    void QuitarDesaparecidos(Ranura& r);
    // The picture to store now for a path and whether its preview is to be decoded apart.
    QImage RenderizarOPedir(const std::string& ruta, const MiradaArchivo& m, int tamano,
                            bool conPreview, bool& aparte);
    void Pedir(int ranura, const std::string& ruta, const std::string& nombre, std::int64_t fecha,
               int item);
    // Stores the picture of a path in a slot, replacing the one it had; aparte: it stands in
    // while the preview is asked of the pool.
    PosicionIcono Poner(int ranura, const std::string& limpia, const std::string& nombre,
                        std::int64_t fecha, QImage img, bool aparte, int item);
    void PreviewRecibida(ResultadoPreview&& r);

    std::int64_t limiteBytesRanura_;
    std::array<Ranura, 3> ranuras_;
    int ultima_ = -1;
    std::uint64_t visitas_ = 0;
    std::int64_t renderizados_ = 0;
    int pendientes_ = 0;
    std::unique_ptr<cColaPreviews> cola_;
    std::unique_ptr<cLecturaMiniaturas> lectura_;  // the thumbnails of a screen being painted
    std::vector<ItemAdelantado> adelantados_;
    std::unordered_set<std::string> enLectura_;     // their paths, not asked of the pool meanwhile
    int tamanoAdelanto_ = 0;
    FuncionPreviewLista listo_;
    FuncionNombres nombresVigentes_;
    FuncionCuenta cuentaVigentes_;
};

}  // namespace quirvex
