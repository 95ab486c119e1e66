#include "folder/iconos_qt.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QIcon>
#include <QImageReader>
#include <QMimeDatabase>
#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <string_view>
#include <system_error>
#include <unordered_set>
#include <utility>

#include "folder/cache_listados.h"
#include "folder/cola_previews_qt.h"
#include "folder/miniaturas_qt.h"
#include "folder/texto.h"
#include "platform/archivo_bajo_nivel.h"
#include "platform/sistema_archivos.h"
#include "platform/smb.h"
#include "platform/unidades.h"

// The resources live in a static library: nothing references their initialiser, so the linker
// would drop it unless it is called by name.
static void IniciarRecursosIconos() { Q_INIT_RESOURCE(quirvex); }

namespace quirvex {
namespace {

namespace fs = std::filesystem;

// Theme names to try, in order, and the program's own picture for the same thing.
struct FuenteIcono {
    const char* tema1;
    const char* tema2;
    const char* respaldo;
};

// Indexed by the internal icon class: folder, file, then the 29 extension groups in their order.
constexpr FuenteIcono kClases[] = {
    {"folder", "inode-directory", "carpeta"},
    {"application-x-generic", "text-x-generic", "archivo"},
    {"text-x-generic", nullptr, "texto"},                       // TXT LOG
    {"text-x-generic", nullptr, "texto"},                       // INI CFG INF
    {"image-x-generic", nullptr, "imagen"},                     // BMP
    {"image-x-generic", nullptr, "imagen"},                     // PNG GIF TIF
    {"image-x-generic", nullptr, "imagen"},                     // JPG JPEG
    {"application-x-executable", nullptr, "ejecutable"},        // EXE COM
    {"application-x-sharedlib", nullptr, "ejecutable"},         // DLL OCX SYS ...
    {"package-x-generic", nullptr, "comprimido"},               // archives
    {"text-x-script", nullptr, "ejecutable"},                   // BAT
    {"audio-x-generic", nullptr, "audio"},                      // WAV ...
    {"video-x-generic", nullptr, "video"},                      // MOV AVI ...
    {"audio-x-generic", nullptr, "audio"},                      // playlists
    {"audio-x-generic", nullptr, "audio"},                      // MP3 MP4
    {"video-x-generic", nullptr, "video"},                      // WMA WMV ...
    {"text-x-script", "text-x-generic", "texto"},               // VBP
    {"text-x-script", "text-x-generic", "texto"},               // FRM
    {"text-x-script", "text-x-generic", "texto"},               // BAS
    {"text-x-script", "text-x-generic", "texto"},               // CLS
    {"inode-symlink", "application-x-generic", "archivo"},      // LNK
    {"x-office-document", nullptr, "documento"},                // PDF
    {"text-html", "text-x-generic", "documento"},               // HTM HTML
    {"text-html", "text-x-generic", "archivo"},                 // URL
    {"x-office-document", nullptr, "documento"},                // HLP CHM
    {"text-x-generic", nullptr, "texto"},                       // REG
    {"x-office-document", nullptr, "documento"},                // DOC RTF WRI
    {"x-office-spreadsheet", nullptr, "documento"},             // XLS
    {"x-office-presentation", nullptr, "documento"},            // PPT PPS
    {"x-office-spreadsheet", nullptr, "documento"},             // MDB
    {"media-optical", nullptr, "imagen_disco"},                 // disc images
};
constexpr int kNumClases = static_cast<int>(std::size(kClases));

// Indexed by drive type - 2: floppy, fixed, remote, optical, RAM, removable.
constexpr FuenteIcono kUnidades[] = {
    {"media-floppy", nullptr, "unidad_extraible"},
    {"drive-harddisk", nullptr, "unidad_fija"},
    {"folder-remote", "network-server", "unidad_remota"},
    {"media-optical", "drive-optical", "unidad_optica"},
    {"media-memory", nullptr, "unidad_ram"},
    {"drive-removable-media", "media-removable", "unidad_extraible"},
};

constexpr int kTamanosRespaldo[] = {16, 32, 96};

QImage CajaVacia(int tamano) {
    QImage caja(tamano, tamano, QImage::Format_ARGB32_Premultiplied);
    caja.fill(Qt::transparent);
    return caja;
}

// Places a picture in a transparent box by UbicarEnCaja; icons may also grow to fill it.
QImage EnCaja(const QImage& img, int tamano, bool ampliar) {
    if (img.width() == tamano && img.height() == tamano) return img;
    QRect destino = UbicarEnCaja(img.size(), tamano);
    if (ampliar && destino.width() < tamano && destino.height() < tamano) {
        const QSize lleno = img.size().scaled(tamano, tamano, Qt::KeepAspectRatio);
        destino = QRect((tamano - lleno.width()) / 2, (tamano - lleno.height()) / 2, lleno.width(),
                        lleno.height());
    }
    QImage caja = CajaVacia(tamano);
    QPainter p(&caja);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(destino, img);
    return caja;
}

bool HayAplicacionGrafica() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

// Theme and program pictures are asked for once per name, size and theme.
QHash<QString, QImage>& Memoria() {
    static QHash<QString, QImage> memoria;
    return memoria;
}

QImage DelTema(const char* nombre, int tamano) {
    if (!nombre || !HayAplicacionGrafica()) return {};
    AsegurarTemaIconos();
    const QString clave = QStringLiteral("t|%1|%2|%3").arg(QIcon::themeName(), nombre).arg(tamano);
    auto it = Memoria().constFind(clave);
    if (it != Memoria().constEnd()) return *it;
    QImage img;
    const QString n = QString::fromLatin1(nombre);
    if (QIcon::hasThemeIcon(n)) {
        const QPixmap pm = QIcon::fromTheme(n).pixmap(QSize(tamano, tamano));
        if (!pm.isNull()) img = EnCaja(pm.toImage(), tamano, true);
    }
    Memoria().insert(clave, img);
    return img;
}

QImage DeFuente(const FuenteIcono& f, int tamano) {
    QImage img = DelTema(f.tema1, tamano);
    if (img.isNull()) img = DelTema(f.tema2, tamano);
    if (img.isNull()) img = ImagenRespaldo(QString::fromLatin1(f.respaldo), tamano);
    return img.isNull() ? CajaVacia(tamano) : img;
}

// Upper-case extension after the last dot; empty without one. A '*' would let the text match
// across two entries of a "*A*B*" list, so such an extension matches nothing.
std::string ExtensionMayus(const std::string& nombre) {
    const auto barra = nombre.rfind('/');
    const std::string_view base =
        barra == std::string::npos ? std::string_view(nombre) : std::string_view(nombre).substr(barra + 1);
    const auto punto = base.rfind('.');
    if (punto == std::string_view::npos) return {};
    const std::string_view ext = base.substr(punto + 1);
    if (ext.empty() || ext.find('*') != std::string_view::npos) return {};
    return Mayusculas(ext);
}

bool EnLista(const std::string& lista, const std::string& ext) {
    return !ext.empty() && lista.find("*" + ext + "*") != std::string::npos;
}

bool SuperaLimite(const std::string& ext, std::int64_t bytes, const RegistroOpciones& op) {
    if (ext == "BMP" || ext == "GIF")
        return op.LimitBmpGifPreview == 1 && bytes > std::int64_t{op.BmpGifMaxSize} * 1024;
    if (ext == "JPG" || ext == "JPEG")
        return op.LimitJpgPreview == 1 && bytes > std::int64_t{op.JpgMaxSize} * 1024;
    return false;
}

// A share's file read whole through the path router, up to limiteBytes: the decoders seek, and
// a picture is small next to what they would decode from it.
std::unique_ptr<QIODevice> LeerDeRecurso(const std::string& ruta, std::int64_t limiteBytes) {
    ArchivosBajoNivel& b = BajoNivel();
    bool creado = false;
    int error = 0;
    InfoNodo info;
    const ManejadorArchivo h = b.Abrir(ruta, ModoApertura::SoloLectura, creado, error, info);
    if (h == MANEJADOR_INVALIDO) return nullptr;
    QByteArray datos;
    if (info.tamano > 0 && info.tamano <= limiteBytes) {
        datos.resize(static_cast<qsizetype>(info.tamano));
        const std::int64_t leidos = b.Leer(h, datos.data(), static_cast<std::size_t>(datos.size()), error);
        datos.resize(static_cast<qsizetype>(std::max<std::int64_t>(leidos, 0)));
    }
    b.Cerrar(h);
    if (datos.isEmpty()) return nullptr;
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(datos);
    buffer->open(QIODevice::ReadOnly);
    return buffer;
}

// Opens with the exact bytes of the name; a QString file name would lose invalid UTF-8. A share
// path goes through the router, never to the local file system.
std::unique_ptr<QIODevice> AbrirArchivo(const std::string& ruta, std::int64_t limiteBytes) {
    if (EsRutaRed(ruta)) return LeerDeRecurso(ruta, limiteBytes);
    std::error_code ec;
    if (!fs::is_regular_file(fs::path(ruta), ec)) return nullptr;
    std::FILE* f = std::fopen(ruta.c_str(), "rb");
    if (!f) return nullptr;
    auto archivo = std::make_unique<QFile>();
    if (archivo->open(f, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) return archivo;
    std::fclose(f);
    return nullptr;
}

std::string SinBarraFinal(const std::string& ruta) {
    if (ruta.size() > 1 && ruta.back() == '/') return ruta.substr(0, ruta.size() - 1);
    return ruta;
}

}  // namespace

MiradaArchivo MiradaDeListado(std::uint32_t atributos, std::int64_t tamano, double fechaModificacion) {
    MiradaArchivo m;
    m.carpeta = (atributos & ATR_DIRECTORIO) != 0;
    m.regular = !m.carpeta && (atributos & ATR_ARCHIVO) != 0;
    m.bytes = tamano;
    m.fecha = std::llround(fechaModificacion * 86'400'000'000.0);
    return m;
}

namespace {

// One look at a path through the router (one statx locally): for callers that have no listing.
MiradaArchivo Mirar(const std::string& ruta) {
    const auto e = Archivos().Consultar(ruta);
    if (!e) return {};
    return MiradaDeListado(e->atributos, e->tamano, e->modificacion);
}
}  // namespace

// A type icon is drawn at most 32 × 32, at the top-left corner of a larger box (the preview
// cells): it is never stretched to a picture's size.
QImage IconoEnCaja(const std::string& ruta, bool esCarpeta, int tamano) {
    if (tamano <= ICONO_MAXIMO) return ImagenTipoArchivo(ruta, esCarpeta, tamano);
    QImage caja = CajaVacia(tamano);
    QPainter p(&caja);
    p.drawImage(0, 0, ImagenTipoArchivo(ruta, esCarpeta, ICONO_MAXIMO));
    return caja;
}

namespace {

QImage RenderizarSegun(const std::string& limpia, const MiradaArchivo& m, int tamano, bool conPreview) {
    if (m.carpeta) return IconoEnCaja(limpia, true, tamano);
    QImage img;
    // A share's file is read only by the preview pool, never where the caller waits.
    if (EsRutaRed(limpia)) return IconoEnCaja(limpia, false, tamano);
    switch (ElegirClaseImagen(limpia, m.regular ? m.bytes : 0, conPreview)) {
    case ClaseImagen::VistaPrevia:
        if (m.regular) img = RenderizarVistaPrevia(limpia, tamano);
        break;
    case ClaseImagen::DelArchivo:
        if (m.regular) img = RenderizarIconoDelArchivo(limpia, tamano);
        break;
    case ClaseImagen::TipoArchivo:
        break;
    }
    return img.isNull() ? IconoEnCaja(limpia, false, tamano) : img;
}

}  // namespace

void AsegurarTemaIconos() {
    if (!QIcon::themeName().isEmpty() && QIcon::themeName() != "hicolor") return;
    QIcon::setThemeSearchPaths(QIcon::themeSearchPaths() << "/usr/share/icons");
    QIcon::setThemeName("Adwaita");
}

ClaseImagen ElegirClaseImagen(const std::string& nombre, std::int64_t bytes, bool conPreview,
                              const RegistroOpciones& op) {
    const std::string ext = ExtensionMayus(nombre);
    if (ext.empty()) return ClaseImagen::TipoArchivo;
    const bool cargaIcono = EnLista(op.IconsLoad, ext);
    if (conPreview && !cargaIcono && EnLista(op.ImageExtensionsPreview, ext) &&
        !SuperaLimite(ext, bytes, op))
        return ClaseImagen::VistaPrevia;
    return cargaIcono ? ClaseImagen::DelArchivo : ClaseImagen::TipoArchivo;
}

bool ExtensionPreviewConocida(const std::string& nombre) {
    const std::string ext = ExtensionMayus(nombre);
    return ext == "BMP" || ext == "GIF" || ext == "JPG" || ext == "JPEG";
}

QImage ImagenRespaldo(const QString& nombre, int tamano) {
    if (tamano <= 0) return {};
    static const bool iniciados = (IniciarRecursosIconos(), true);
    (void)iniciados;
    const QString clave = QStringLiteral("r|%1|%2").arg(nombre).arg(tamano);
    auto it = Memoria().constFind(clave);
    if (it != Memoria().constEnd()) return *it;
    int origen = kTamanosRespaldo[std::size(kTamanosRespaldo) - 1];
    for (int t : kTamanosRespaldo) {
        if (t >= tamano) {
            origen = t;
            break;
        }
    }
    QImage img(QStringLiteral(":/icons/%1_%2.png").arg(nombre).arg(origen));
    if (!img.isNull() && origen != tamano)
        img = img.scaled(tamano, tamano, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    if (!img.isNull()) img = EnCaja(img.convertToFormat(QImage::Format_ARGB32_Premultiplied), tamano, true);
    Memoria().insert(clave, img);
    return img;
}

QImage ImagenClaseIcono(int icono, int tamano) {
    if (icono < 0 || icono >= kNumClases) icono = ICONO_ARCHIVO;
    return DeFuente(kClases[icono], tamano);
}

QImage ImagenUnidad(int tipoUnidad, int tamano) {
    if (tipoUnidad < 2 || tipoUnidad > UNIDAD_EXTRAIBLE) tipoUnidad = UNIDAD_FIJA;
    return DeFuente(kUnidades[tipoUnidad - 2], tamano);
}

QImage ImagenFlechaAcceso(int tamano) {
    const QImage img = ImagenRespaldo(QStringLiteral("flecha_acceso"), tamano);
    return img.isNull() ? CajaVacia(tamano) : img;
}

QImage ImagenTipoArchivo(const std::string& ruta, bool esCarpeta, int tamano) {
    if (esCarpeta) return ImagenClaseIcono(ICONO_CARPETA, tamano);
    const std::string limpia = SinBarraFinal(ruta);
    const auto barra = limpia.rfind('/');
    const std::string nombre = barra == std::string::npos ? limpia : limpia.substr(barra + 1);
    if (HayAplicacionGrafica()) {
        static const QMimeDatabase db;
        const QList<QMimeType> tipos = db.mimeTypesForFileName(QString::fromUtf8(nombre));
        if (!tipos.isEmpty()) {
            for (const QString& n : {tipos.first().iconName(), tipos.first().genericIconName()}) {
                const QImage img = DelTema(n.toLatin1().constData(), tamano);
                if (!img.isNull()) return img;
            }
        }
    }
    return ImagenClaseIcono(GrupoExtension(nombre), tamano);
}

QRect UbicarEnCaja(QSize original, int tamano) {
    if (original.width() <= 0 || original.height() <= 0 || tamano <= 0) return {};
    QSize s = original;
    if (s.width() > tamano || s.height() > tamano) {
        const std::int64_t w = original.width();
        const std::int64_t h = original.height();
        if (w >= h) {
            s = QSize(tamano, static_cast<int>(std::max<std::int64_t>(1, (h * tamano + w / 2) / w)));
        } else {
            s = QSize(static_cast<int>(std::max<std::int64_t>(1, (w * tamano + h / 2) / h)), tamano);
        }
    }
    return QRect((tamano - s.width()) / 2, (tamano - s.height()) / 2, s.width(), s.height());
}

namespace {

// The picture read from an open file, scaled while reading (where the decoder can) so that it
// fits in lado × lado; a smaller one keeps its size. original: the picture's own size, upright
// (a turned photo comes back with its sides swapped). Null when it is not a picture, or when
// it would take more than limiteMB megabytes to decode.
QImage DecodificarReducida(QIODevice& archivo, int lado, int limiteMB, QSize& original) {
    QImageReader lector(&archivo);
    lector.setAutoTransform(true);
    // The decoder refuses to build a picture past this. It is what guards the pictures whose
    // size is unknown before decoding (the GIF reader does not tell it) and the PNG kinds that
    // are decoded whole although the reader offers scaling (grey, palette, 16-bit, interlaced).
    lector.setAllocationLimit(limiteMB);
    original = lector.size();
    QSize pedido = original;
    if (original.isValid()) {
        if (original.isEmpty()) return {};
        const QRect destino = UbicarEnCaja(original, lado);
        if (destino.size() != original) {
            // Decoders that cannot scale while reading would build the whole picture first.
            const std::int64_t bytesCompletos =
                std::int64_t{original.width()} * original.height() * 4;
            if (!lector.supportsOption(QImageIOHandler::ScaledSize) &&
                bytesCompletos > (std::int64_t{limiteMB} << 20))
                return {};
            lector.setScaledSize(destino.size());
            pedido = destino.size();
        }
    }
    QImage img = lector.read();
    if (img.isNull()) return {};
    if (original.isValid() && img.size() != pedido && img.size() == pedido.transposed()) original.transpose();
    if (!original.isValid()) original = img.size();
    // A picture of unknown size comes back whole.
    const QRect destino = UbicarEnCaja(img.size(), lado);
    if (destino.size() != img.size())
        img = img.scaled(destino.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return img;
}

// A reduced picture of a picture of `original` (invalid: the reduced one's own size) drawn in
// its box by the fitting rule.
// A reduction to no less than half (a 128-pixel thumbnail into the 96-pixel box) is drawn
// straight into the box with bilinear filtering, which loses nothing at that ratio and costs a
// seventh of an area-averaged scaling; a stronger one is averaged, or it would shimmer.
QImage PonerEnCaja(QImage img, QSize original, int tamano) {
    const QRect destino = UbicarEnCaja(original.isValid() ? original : img.size(), tamano);
    if (destino.isEmpty() || img.isNull()) return {};
    if (destino.size() != img.size() &&
        (2 * destino.width() < img.width() || 2 * destino.height() < img.height()))
        img = img.scaled(destino.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QImage caja = CajaVacia(tamano);
    QPainter p(&caja);
    if (destino.size() == img.size()) {
        p.drawImage(destino.topLeft(), img);
    } else {
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(destino, img);
    }
    return caja;
}

// What the shared thumbnail cache knows the open file by: its URI, and its modification time
// and size as the open file has them now.
OriginalMiniatura DescribirOriginal(const std::string& ruta, QIODevice& archivo) {
    OriginalMiniatura o;
    o.uri = UriArchivo(ruta);
    if (auto* f = qobject_cast<QFileDevice*>(&archivo)) {
        const QDateTime t = f->fileTime(QFileDevice::FileModificationTime);
        o.mtime = t.isValid() ? t.toSecsSinceEpoch() : -1;
        o.bytes = f->size();
    }
    return o;
}

}  // namespace

QImage RenderizarVistaPrevia(const std::string& ruta, int tamano, int limiteMB) {
    if (tamano <= 0) return {};
    const auto archivo = AbrirArchivo(ruta, std::int64_t{limiteMB} << 20);
    if (!archivo) return {};
    QSize original;
    const QImage img = DecodificarReducida(*archivo, tamano, limiteMB, original);
    return img.isNull() ? QImage() : PonerEnCaja(img, original, tamano);
}

QImage VistaPreviaCompartida(const std::string& ruta, int tamano, int limiteMB) {
    if (tamano <= 0) return {};
    const cMiniaturas cache;
    if (EsRutaRed(ruta) || !cache.Disponible() || cache.Contiene(ruta) || ruta.empty() || ruta.front() != '/')
        return RenderizarVistaPrevia(ruta, tamano, limiteMB);
    // An unreadable file is not looked up: the cache must not show what its owner may not read.
    const auto archivo = AbrirArchivo(ruta, std::int64_t{limiteMB} << 20);
    if (!archivo) return {};
    const OriginalMiniatura o = DescribirOriginal(ruta, *archivo);
    if (o.mtime < 0) return RenderizarVistaPrevia(ruta, tamano, limiteMB);
    const int lado = LadoMiniatura(tamano);
    MiniaturaLeida leida = cache.Leer(o, lado);
    if (leida.imagen.isNull()) {
        if (cache.FalloVigente(o)) return {};
        leida.imagen = DecodificarReducida(*archivo, lado, limiteMB, leida.original);
        if (leida.imagen.isNull()) {
            cache.GuardarFallo(o);
            return {};
        }
        cache.Guardar(o, leida.imagen, leida.original, lado);
    }
    return PonerEnCaja(std::move(leida.imagen), leida.original, tamano);
}

QImage MiniaturaCompartida(const std::string& ruta, int tamano) {
    const cMiniaturas cache;
    if (tamano <= 0 || EsRutaRed(ruta) || !cache.Disponible() || cache.Contiene(ruta) || ruta.empty() ||
        ruta.front() != '/')
        return {};
    // Opened as for decoding: the cache must not show what its owner may not read.
    const auto archivo = AbrirArchivo(ruta, std::int64_t{128} << 20);
    if (!archivo) return {};
    const OriginalMiniatura o = DescribirOriginal(ruta, *archivo);
    if (o.mtime < 0) return {};
    MiniaturaLeida leida = cache.Leer(o, LadoMiniatura(tamano));
    return leida.imagen.isNull() ? QImage() : PonerEnCaja(std::move(leida.imagen), leida.original, tamano);
}

QImage RenderizarIconoDelArchivo(const std::string& ruta, int tamano) {
    const std::string ext = ExtensionMayus(ruta);
    if (tamano <= 0 || (ext != "ICO" && ext != "CUR")) return {};
    const auto archivo = AbrirArchivo(ruta, std::int64_t{16} << 20);
    if (!archivo) return {};
    QImageReader lector(archivo.get());
    lector.setAllocationLimit(16);
    // An icon file holds several sizes: take the smallest that is not smaller than the box,
    // else the largest.
    int mejor = -1;
    QSize mejorTam;
    for (int i = 0; i < std::max(1, lector.imageCount()); ++i) {
        if (i > 0 && !lector.jumpToImage(i)) break;
        const QSize s = lector.size();
        if (!s.isValid()) continue;
        const int lado = std::max(s.width(), s.height());
        const int ladoMejor = std::max(mejorTam.width(), mejorTam.height());
        const bool mejora = mejor < 0 || (ladoMejor < tamano ? lado > ladoMejor
                                                              : (lado >= tamano && lado < ladoMejor));
        if (mejora) {
            mejor = i;
            mejorTam = s;
        }
    }
    if (mejor < 0 || !lector.jumpToImage(mejor)) return {};
    const QImage img = lector.read();
    if (img.isNull()) return {};
    return EnCaja(img.convertToFormat(QImage::Format_ARGB32_Premultiplied), tamano, true);
}

QImage RenderizarImagenItem(const std::string& ruta, int tamano, bool conPreview) {
    const std::string limpia = SinBarraFinal(ruta);
    return RenderizarSegun(limpia, Mirar(limpia), tamano, conPreview);
}

// --- cPreviewsRecordadas -------------------------------------------------------------------

cPreviewsRecordadas& cPreviewsRecordadas::Programa() {
    // Some 1,800 previews of the preview mode's 96-pixel boxes.
    static cPreviewsRecordadas recordadas(std::int64_t{64} << 20);
    return recordadas;
}

std::string cPreviewsRecordadas::Clave(const std::string& ruta, std::int64_t fecha, int tamano) {
    return std::to_string(fecha) + '|' + std::to_string(tamano) + '|' + ruta;
}

QImage cPreviewsRecordadas::Buscar(const std::string& ruta, std::int64_t fecha, int tamano) {
    if (fecha == 0) return {};
    const auto it = recuerdos_.find(Clave(ruta, fecha, tamano));
    if (it == recuerdos_.end()) return {};
    it->second.uso = ++usos_;
    return it->second.imagen;
}

void cPreviewsRecordadas::Guardar(const std::string& ruta, std::int64_t fecha, int tamano,
                                  QImage imagen) {
    // An unknown time cannot tell a changed file from the one decoded.
    if (fecha == 0 || imagen.isNull() || imagen.sizeInBytes() > limite_) return;
    auto [it, nueva] = recuerdos_.try_emplace(Clave(ruta, fecha, tamano));
    if (!nueva) bytes_ -= it->second.imagen.sizeInBytes();
    bytes_ += imagen.sizeInBytes();
    it->second = {std::move(imagen), ++usos_};
    if (bytes_ <= limite_) return;
    // Over the bound: the older half goes at once, so a long scroll does not sort at every add.
    std::vector<std::uint64_t> usos;
    usos.reserve(recuerdos_.size());
    for (const auto& [clave, r] : recuerdos_) usos.push_back(r.uso);
    auto medio = usos.begin() + static_cast<std::ptrdiff_t>(usos.size() / 2);
    std::nth_element(usos.begin(), medio, usos.end());
    const std::uint64_t corte = *medio;
    for (auto r = recuerdos_.begin(); r != recuerdos_.end();) {
        if (r->second.uso < corte) {
            bytes_ -= r->second.imagen.sizeInBytes();
            r = recuerdos_.erase(r);
        } else {
            ++r;
        }
    }
}

void cPreviewsRecordadas::Vaciar() {
    recuerdos_.clear();
    bytes_ = 0;
}

// --- cCacheIconos -------------------------------------------------------------------------

cCacheIconos::cCacheIconos(std::int64_t limiteBytesRanura) : limiteBytesRanura_(limiteBytesRanura) {}

// The queue goes first: its pending results call back into this cache.
cCacheIconos::~cCacheIconos() { cola_.reset(); }

void cCacheIconos::Reiniciar(Ranura& r) {
    for (const auto& [nombre, e] : r.entradas) pendientes_ -= e.pendiente ? 1 : 0;
    r.entradas.clear();
    r.imagenes.clear();
    r.trasRevision = 0;
    r.visita = ++visitas_;
}

// Positions are handed out for the moment of a paint only, and a waiting preview finds its entry
// by name, so the survivors may move down to close the gaps.
void cCacheIconos::QuitarDesaparecidos(Ranura& r) {
    std::vector<QImage> quedan;
    quedan.reserve(r.entradas.size());
    std::unordered_set<std::string> vigentes;
    if (nombresVigentes_)
        for (std::string& n : nombresVigentes_()) vigentes.insert(std::move(n));
    const auto sigue = [&](const std::string& nombre) {
        return nombresVigentes_ ? vigentes.count(nombre) > 0
                                : Archivos().Consultar(r.carpeta + nombre).has_value();
    };
    for (auto it = r.entradas.begin(); it != r.entradas.end();) {
        if (!sigue(it->first)) {
            pendientes_ -= it->second.pendiente ? 1 : 0;
            it = r.entradas.erase(it);
            continue;
        }
        quedan.push_back(std::move(r.imagenes[static_cast<size_t>(it->second.imagen - 1)]));
        it->second.imagen = static_cast<int>(quedan.size());
        ++it;
    }
    r.imagenes = std::move(quedan);
    r.trasRevision = r.entradas.size();
}

int cCacheIconos::ElegirRanura(const std::string& carpeta, int tamano, bool conPreview) {
    for (int s = 0; s < static_cast<int>(ranuras_.size()); ++s) {
        const Ranura& r = ranuras_[static_cast<size_t>(s)];
        if (r.usada && r.tamano == tamano && r.conPreview == conPreview && r.carpeta == carpeta)
            return s;
    }
    ultima_ = (ultima_ + 1) % static_cast<int>(ranuras_.size());
    Ranura& r = ranuras_[static_cast<size_t>(ultima_)];
    Reiniciar(r);
    r.carpeta = carpeta;
    r.tamano = tamano;
    r.conPreview = conPreview;
    r.usada = true;
    return ultima_;
}

QImage cCacheIconos::RenderizarOPedir(const std::string& ruta, const MiradaArchivo& m, int tamano,
                                      bool conPreview, bool& aparte) {
    aparte = cola_ && conPreview && m.regular &&
             ElegirClaseImagen(ruta, m.bytes, true) == ClaseImagen::VistaPrevia;
    if (aparte) {
        QImage recordada = cPreviewsRecordadas::Programa().Buscar(ruta, m.fecha, tamano);
        if (!recordada.isNull()) {
            aparte = false;
            return recordada;
        }
        return IconoEnCaja(ruta, false, tamano);
    }
    return RenderizarSegun(ruta, m, tamano, conPreview);
}

void cCacheIconos::Pedir(int ranura, const std::string& ruta, const std::string& nombre,
                         std::int64_t fecha, int item) {
    if (enLectura_.count(ruta) > 0) return;  // its thumbnail is being read: asked after, if missing
    const Ranura& r = ranuras_[static_cast<size_t>(ranura)];
    cola_->Pedir({ruta, nombre, r.tamano, fecha, ranura, r.visita, item});
}

PosicionIcono cCacheIconos::AgregarIconoCache(const std::string& ruta, int tamano, bool conPreview,
                                              int item) {
    if (tamano <= 0) return {};
    return AgregarIconoCache(ruta, Mirar(SinBarraFinal(ruta)), tamano, conPreview, item);
}

namespace {

// A clean path's folder (with its '/') and name.
std::pair<std::string, std::string> PartirRuta(const std::string& limpia) {
    const auto barra = limpia.rfind('/');
    if (barra == std::string::npos) return {std::string(), limpia};
    return {limpia.substr(0, barra + 1), limpia.substr(barra + 1)};
}

}  // namespace

PosicionIcono cCacheIconos::AgregarIconoCache(const std::string& ruta, const MiradaArchivo& mirada,
                                              int tamano, bool conPreview, int item) {
    if (tamano <= 0) return {};
    const std::string limpia = SinBarraFinal(ruta);
    const auto [carpeta, nombre] = PartirRuta(limpia);
    const std::int64_t fecha = mirada.fecha;

    const int s = ElegirRanura(carpeta, tamano, conPreview);
    Ranura& r = ranuras_[static_cast<size_t>(s)];
    const auto it = r.entradas.find(nombre);
    if (it != r.entradas.end() && it->second.fecha == fecha) {
        // Still waiting: a request dropped by scrolling is made again, and one still waiting
        // moves up among the rows on screen now.
        if (it->second.pendiente) Pedir(s, limpia, nombre, fecha, item);
        return {s, it->second.imagen};
    }

    bool aparte = false;
    QImage img = RenderizarOPedir(limpia, mirada, tamano, conPreview, aparte);
    if (!aparte) ++renderizados_;
    return Poner(s, limpia, nombre, fecha, std::move(img), aparte, item);
}

PosicionIcono cCacheIconos::Poner(int s, const std::string& limpia, const std::string& nombre,
                                  std::int64_t fecha, QImage img, bool aparte, int item) {
    Ranura* r = &ranuras_[static_cast<size_t>(s)];
    const auto it = r->entradas.find(nombre);
    if (it != r->entradas.end()) {
        r->imagenes[static_cast<size_t>(it->second.imagen - 1)] = std::move(img);
        it->second.fecha = fecha;
        pendientes_ += (aparte ? 1 : 0) - (it->second.pendiente ? 1 : 0);
        it->second.pendiente = aparte;
        if (aparte) Pedir(s, limpia, nombre, fecha, item);
        return {s, it->second.imagen};
    }
    // Looked over each time the slot doubles: one stat per entry then, as many as were added.
    // A slot that holds no more names than the folder shows need not be looked over yet.
    if (r->entradas.size() >= std::max(MINIMO_REVISION, 2 * r->trasRevision) &&
        (!cuentaVigentes_ || r->entradas.size() > cuentaVigentes_()))
        QuitarDesaparecidos(*r);
    const std::int64_t porImagen = std::int64_t{r->tamano} * r->tamano * 4;
    if (static_cast<std::int64_t>(r->imagenes.size() + 1) * porImagen > limiteBytesRanura_ &&
        !r->imagenes.empty())
        Reiniciar(*r);
    r->imagenes.push_back(std::move(img));
    const int posicion = static_cast<int>(r->imagenes.size());
    r->entradas.emplace(nombre, Entrada{fecha, posicion, aparte});
    if (aparte) {
        ++pendientes_;
        Pedir(s, limpia, nombre, fecha, item);
    }
    return {s, posicion};
}

void cCacheIconos::EmpezarAdelanto(const std::vector<ItemAdelantado>& items, int tamano) {
    lectura_.reset();
    adelantados_.clear();
    enLectura_.clear();
    if (!cola_ || tamano <= 0) return;
    std::vector<std::string> rutas;
    for (const ItemAdelantado& a : items) {
        std::string limpia = SinBarraFinal(a.ruta);
        if (!a.mirada.regular || EsRutaRed(limpia) ||
            ElegirClaseImagen(limpia, a.mirada.bytes, true) != ClaseImagen::VistaPrevia ||
            !cPreviewsRecordadas::Programa().Buscar(limpia, a.mirada.fecha, tamano).isNull())
            continue;
        const auto [carpeta, nombre] = PartirRuta(limpia);
        const Ranura& r = ranuras_[static_cast<size_t>(ElegirRanura(carpeta, tamano, true))];
        const auto it = r.entradas.find(nombre);
        if (it != r.entradas.end() && it->second.fecha == a.mirada.fecha && !it->second.pendiente) continue;
        enLectura_.insert(limpia);
        rutas.push_back(limpia);
        adelantados_.push_back({std::move(limpia), a.mirada, a.item});
    }
    tamanoAdelanto_ = tamano;
    if (!rutas.empty()) lectura_ = std::make_unique<cLecturaMiniaturas>(std::move(rutas), tamano);
}

void cCacheIconos::TerminarAdelanto(int limiteMs) {
    if (!lectura_) return;
    std::vector<QImage> leidas = lectura_->Recoger(limiteMs);
    lectura_.reset();
    enLectura_.clear();
    const std::vector<ItemAdelantado> items = std::move(adelantados_);
    adelantados_.clear();
    for (std::size_t k = 0; k < items.size(); ++k) {
        const ItemAdelantado& a = items[k];
        const auto [carpeta, nombre] = PartirRuta(a.ruta);
        const int s = ElegirRanura(carpeta, tamanoAdelanto_, true);
        const Ranura& r = ranuras_[static_cast<size_t>(s)];
        const auto it = r.entradas.find(nombre);
        if (k >= leidas.size() || leidas[k].isNull()) {
            // Painted meanwhile with its type icon and not asked of the pool: asked now.
            if (it != r.entradas.end() && it->second.pendiente) Pedir(s, a.ruta, nombre, it->second.fecha, a.item);
            continue;
        }
        if (it != r.entradas.end() && it->second.fecha != a.mirada.fecha) continue;
        cPreviewsRecordadas::Programa().Guardar(a.ruta, a.mirada.fecha, tamanoAdelanto_, leidas[k]);
        ++renderizados_;
        Poner(s, a.ruta, nombre, a.mirada.fecha, std::move(leidas[k]), false, a.item);
        if (listo_) listo_(a.item, nombre);
    }
}

void cCacheIconos::PreviewRecibida(ResultadoPreview&& res) {
    const PedidoPreview& p = res.pedido;
    if (p.ranura < 0 || p.ranura >= static_cast<int>(ranuras_.size())) return;
    Ranura& r = ranuras_[static_cast<size_t>(p.ranura)];
    if (!r.usada || r.visita != p.visita) return;
    auto it = r.entradas.find(p.nombre);
    if (it == r.entradas.end() || !it->second.pendiente || it->second.fecha != p.fecha) return;
    it->second.pendiente = false;
    --pendientes_;
    ++renderizados_;
    // A file that is not a picture after all keeps the type icon it shows.
    if (!res.imagen.isNull()) {
        cPreviewsRecordadas::Programa().Guardar(p.ruta, p.fecha, p.tamano, res.imagen);
        r.imagenes[static_cast<size_t>(it->second.imagen - 1)] = std::move(res.imagen);
    }
    if (listo_) listo_(p.item, p.nombre);
}

void cCacheIconos::DecodificarAparte(FuncionPreviewLista listo, int hilos, bool trasPintar) {
    listo_ = std::move(listo);
    cola_ = std::make_unique<cColaPreviews>([this](ResultadoPreview&& r) { PreviewRecibida(std::move(r)); },
                                            hilos, trasPintar);
}

void cCacheIconos::Pintado() {
    if (cola_) cola_->Pintado();
}

void cCacheIconos::ConservarPreviews(int desde, int hasta) {
    if (cola_) cola_->Conservar(desde, hasta);
}

void cCacheIconos::DescartarPreviews() {
    if (cola_) cola_->Descartar();
}

std::int64_t cCacheIconos::BytesImagenes() const {
    std::int64_t total = 0;
    for (const Ranura& r : ranuras_)
        total += static_cast<std::int64_t>(r.imagenes.size()) * r.tamano * r.tamano * 4;
    return total;
}

const QImage& cCacheIconos::Imagen(PosicionIcono pos) const {
    static const QImage vacia;
    if (pos.slot < 0 || pos.slot >= static_cast<int>(ranuras_.size())) return vacia;
    const Ranura& r = ranuras_[static_cast<size_t>(pos.slot)];
    if (pos.imagen < 1 || pos.imagen > static_cast<int>(r.imagenes.size())) return vacia;
    return r.imagenes[static_cast<size_t>(pos.imagen - 1)];
}

void cCacheIconos::Vaciar() {
    DescartarPreviews();
    for (Ranura& r : ranuras_) {
        Reiniciar(r);
        r.usada = false;
    }
    ultima_ = -1;
}

}  // namespace quirvex
