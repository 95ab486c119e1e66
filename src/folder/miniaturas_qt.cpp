#include "folder/miniaturas_qt.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTemporaryFile>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "operations/lista_uris.h"

namespace quirvex {

namespace {

namespace fs = std::filesystem;

constexpr std::array<int, 4> kLados = {128, 256, 512, 1024};
constexpr std::array<const char*, 4> kSubcarpetas = {"normal", "large", "x-large", "xx-large"};

// The largest file read as ours without a decoder: a 256-pixel thumbnail of four bytes a pixel
// and room for its texts. A larger one (kept in a per-thread buffer otherwise) is decoded.
constexpr qint64 kBytesPropio = qint64{256} * (1 + 256 * 4) + (qint64{64} << 10);

constexpr auto kPrivada = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;

// RFC 2396: unreserved characters, the reserved ones a path segment may hold, and '/'.
bool SinEscapar(unsigned char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
    for (char p : std::string_view("-_.!~*'():@&=+$,/"))
        if (c == static_cast<unsigned char>(p)) return true;
    return false;
}

std::string Version() {
    return std::to_string(QUIRVEX_VERSION_MAJOR) + "." + std::to_string(QUIRVEX_VERSION_MINOR) + "." +
           std::to_string(QUIRVEX_VERSION_PATCH);
}

std::string Entorno(const char* nombre) {
    const char* v = std::getenv(nombre);
    return v ? std::string(v) : std::string();
}

// Opens with the exact bytes of the name: a QString would lose a name that is not UTF-8.
std::unique_ptr<QFile> AbrirLectura(const std::string& ruta) {
    std::FILE* f = std::fopen(ruta.c_str(), "rb");
    if (!f) return nullptr;
    auto archivo = std::make_unique<QFile>();
    if (archivo->open(f, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) return archivo;
    std::fclose(f);
    return nullptr;
}

bool TextoEntero(const QImage& img, const char* clave, std::int64_t& valor) {
    const QString t = img.text(QString::fromLatin1(clave));
    if (t.isEmpty()) return false;
    bool ok = false;
    valor = t.toLongLong(&ok);
    return ok;
}

std::uint32_t LeerBE(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return (std::uint32_t{u[0]} << 24) | (std::uint32_t{u[1]} << 16) | (std::uint32_t{u[2]} << 8) | u[3];
}

// Copies the rows of a zlib stream made only of stored blocks (what PngSinComprimir writes)
// into the picture: exactly alto rows of a filter byte 0 and ancho pixels of bpp bytes. False
// for any other stream or layout, which is then left to the real decoder.
bool FilasGuardadas(const char* z, std::size_t n, int bpp, QImage& img) {
    if (n < 6 || (static_cast<unsigned char>(z[0]) & 0x0F) != 8) return false;
    const std::size_t bytesFila = 1 + static_cast<std::size_t>(img.width()) * static_cast<std::size_t>(bpp);
    // The thread's own buffer, as for the file (see LeerPng).
    thread_local std::vector<unsigned char> filas;
    filas.clear();
    std::size_t i = 2;
    for (bool ultimo = false; !ultimo;) {
        if (i + 5 > n) return false;
        const auto cabeza = static_cast<unsigned char>(z[i]);
        if ((cabeza & ~1u) != 0) return false;  // a compressed block
        ultimo = cabeza & 1u;
        const auto* u = reinterpret_cast<const unsigned char*>(z + i + 1);
        const std::size_t largo = u[0] | (std::size_t{u[1]} << 8);
        if ((largo ^ (u[2] | (std::size_t{u[3]} << 8))) != 0xFFFFu || i + 5 + largo > n) return false;
        filas.insert(filas.end(), u + 4, u + 4 + largo);
        i += 5 + largo;
    }
    if (filas.size() != bytesFila * static_cast<std::size_t>(img.height())) return false;
    const unsigned char* f = filas.data();
    for (int y = 0; y < img.height(); ++y) {
        if (*f++ != 0) return false;  // a filtered row
        auto* destino = reinterpret_cast<QRgb*>(img.scanLine(y));
        if (bpp == 4) {
            for (int x = 0; x < img.width(); ++x, f += 4) destino[x] = qRgba(f[0], f[1], f[2], f[3]);
        } else {
            for (int x = 0; x < img.width(); ++x, f += 3) destino[x] = qRgb(f[0], f[1], f[2]);
        }
    }
    return true;
}

// A PNG in the form PngSinComprimir writes, read without a decoder: the rows are copied out as
// they lie. Null for any other PNG. The checksums are not recomputed (a thumbnail is put in
// place by an atomic rename, so none is ever read half written); the lengths are all checked.
QImage PngPropio(const char* png, std::size_t n) {
    if (n < 8 || std::memcmp(png, "\x89PNG\r\n\x1a\n", 8) != 0) return {};
    QImage img;
    int bpp = 0;
    bool filas = false;
    std::vector<std::pair<QByteArray, QByteArray>> textos;
    for (std::size_t i = 8; i + 12 <= n;) {
        const std::uint32_t largo = LeerBE(png + i);
        const char* tipo = png + i + 4;
        const char* datos = png + i + 8;
        if (largo > n - i - 12) return {};
        if (std::memcmp(tipo, "IHDR", 4) == 0) {
            const int ancho = static_cast<int>(LeerBE(datos));
            const int alto = static_cast<int>(LeerBE(datos + 4));
            // A thumbnail is 1024 × 1024 at most: anything claiming more is not one.
            if (largo != 13 || datos[8] != 8 || (datos[9] != 2 && datos[9] != 6) || datos[10] || datos[11] ||
                datos[12] || ancho <= 0 || alto <= 0 || ancho > 1024 || alto > 1024 || !img.isNull())
                return {};
            bpp = datos[9] == 6 ? 4 : 3;
            img = QImage(ancho, alto, bpp == 4 ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        } else if (std::memcmp(tipo, "tEXt", 4) == 0) {
            const QByteArray t(datos, largo);
            const qsizetype cero = t.indexOf('\0');
            if (cero > 0) textos.emplace_back(t.left(cero), t.mid(cero + 1));
        } else if (std::memcmp(tipo, "IDAT", 4) == 0) {
            if (img.isNull() || filas || !FilasGuardadas(datos, largo, bpp, img)) return {};
            filas = true;
        } else if (std::memcmp(tipo, "IEND", 4) == 0) {
            break;
        }
        i += 12 + largo;
    }
    if (!filas) return {};
    for (const auto& [clave, texto] : textos) img.setText(QString::fromLatin1(clave), QString::fromLatin1(texto));
    return img;
}

QImage LeerPng(const std::string& ruta) {
    const auto archivo = AbrirLectura(ruta);
    if (!archivo) return {};
    // Ours are read as they were written; another program's go to the decoder. The buffer is
    // the thread's own: fresh memory for every thumbnail costs more in page faults than the
    // copy itself.
    const qint64 bytes = archivo->size();
    if (bytes > 0 && bytes <= kBytesPropio) {
        thread_local std::vector<char> leido;
        leido.resize(static_cast<std::size_t>(bytes));
        if (archivo->read(leido.data(), bytes) == bytes) {
            QImage propio = PngPropio(leido.data(), leido.size());
            if (!propio.isNull()) return propio;
        }
        archivo->seek(0);
    }
    QImageReader lector(archivo.get(), "png");
    // A thumbnail is 1024 × 1024 at most: anything claiming more is not one.
    lector.setAllocationLimit(8);
    return lector.read();
}

std::uint32_t Crc32(const char* datos, std::size_t n, std::uint32_t crc = 0) {
    static const std::array<std::uint32_t, 256> tabla = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (std::size_t i = 0; i < n; ++i)
        crc = tabla[(crc ^ static_cast<unsigned char>(datos[i])) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void AgregarBE(QByteArray& b, std::uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) b.append(static_cast<char>((v >> s) & 0xFF));
}

void AgregarTrozo(QByteArray& png, const char tipo[4], const QByteArray& datos) {
    AgregarBE(png, static_cast<std::uint32_t>(datos.size()));
    const qsizetype inicio = png.size();
    png.append(tipo, 4);
    png.append(datos);
    AgregarBE(png, Crc32(png.constData() + inicio, static_cast<std::size_t>(png.size() - inicio)));
}

// A thumbnail as a PNG whose rows are neither filtered nor compressed. A photo's thumbnail
// hardly shrinks under deflate, while reading one back without inflating and unfiltering it
// takes a third of the time: it is what a folder of photos shown again waits for. Any PNG
// reader reads it; the text chunks carry the image's texts (the cache's keys, all ASCII).
QByteArray PngSinComprimir(const QImage& img) {
    const bool alfa = img.hasAlphaChannel();
    const QImage filas = img.convertToFormat(alfa ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    const qsizetype bytesFila = qsizetype{filas.width()} * (alfa ? 4 : 3);
    QByteArray crudo;
    crudo.reserve((bytesFila + 1) * filas.height());
    for (int y = 0; y < filas.height(); ++y) {
        crudo.append('\0');  // filter type None
        crudo.append(reinterpret_cast<const char*>(filas.constScanLine(y)), bytesFila);
    }
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    QByteArray cabecera;
    AgregarBE(cabecera, static_cast<std::uint32_t>(filas.width()));
    AgregarBE(cabecera, static_cast<std::uint32_t>(filas.height()));
    cabecera.append(QByteArray::fromRawData(alfa ? "\x08\x06\0\0\0" : "\x08\x02\0\0\0", 5));
    AgregarTrozo(png, "IHDR", cabecera);
    for (const QString& clave : img.textKeys())
        AgregarTrozo(png, "tEXt", clave.toLatin1() + '\0' + img.text(clave).toLatin1());
    // qCompress puts the length before a plain zlib stream; level 0 stores the rows as they are.
    AgregarTrozo(png, "IDAT", qCompress(crudo, 0).mid(4));
    AgregarTrozo(png, "IEND", {});
    return png;
}

}  // namespace

std::string UriArchivo(const std::string& ruta) { return UriDeRuta(ruta, SinEscapar); }

std::string NombreMiniatura(const std::string& uri) {
    const QByteArray md5 = QCryptographicHash::hash(QByteArray::fromStdString(uri), QCryptographicHash::Md5);
    return md5.toHex().toStdString() + ".png";
}

std::string CarpetaMiniaturas() {
    // Written as the panes write paths (no doubled or trailing '/'), so Contiene can tell.
    const auto bajo = [](const std::string& carpeta, const char* resto) {
        std::string r = (fs::path(carpeta) / resto).lexically_normal().string();
        while (r.size() > 1 && r.back() == '/') r.pop_back();
        return r;
    };
    const std::string cache = Entorno("XDG_CACHE_HOME");
    if (!cache.empty() && cache.front() == '/') return bajo(cache, "thumbnails");
    const std::string casa = Entorno("HOME");
    if (!casa.empty() && casa.front() == '/') return bajo(casa, ".cache/thumbnails");
    return {};
}

int LadoMiniatura(int caja) {
    for (int lado : kLados)
        if (caja <= lado) return lado;
    return kLados.back();
}

const char* SubcarpetaMiniatura(int lado) {
    for (size_t i = 0; i < kLados.size(); ++i)
        if (kLados[i] == lado) return kSubcarpetas[i];
    return kSubcarpetas[0];
}

bool MiniaturaVigente(const QImage& img, const OriginalMiniatura& o) {
    if (img.isNull() || img.text(QStringLiteral("Thumb::URI")).toStdString() != o.uri) return false;
    std::int64_t mtime = 0;
    if (!TextoEntero(img, "Thumb::MTime", mtime) || mtime != o.mtime) return false;
    std::int64_t bytes = 0;
    return o.bytes < 0 || !TextoEntero(img, "Thumb::Size", bytes) || bytes == o.bytes;
}

// --- cMiniaturas ------------------------------------------------------------------------------

cMiniaturas::cMiniaturas(std::string base) : base_(std::move(base)) {
    while (base_.size() > 1 && base_.back() == '/') base_.pop_back();
}

bool cMiniaturas::Contiene(const std::string& ruta) const {
    return Disponible() && ruta.size() > base_.size() && ruta.compare(0, base_.size(), base_) == 0 &&
           ruta[base_.size()] == '/';
}

std::string cMiniaturas::Ruta(const std::string& uri, int lado) const {
    return base_ + "/" + SubcarpetaMiniatura(LadoMiniatura(lado)) + "/" + NombreMiniatura(uri);
}

std::string cMiniaturas::RutaFallo(const std::string& uri) const {
    return base_ + "/fail/quirvex-" + Version() + "/" + NombreMiniatura(uri);
}

MiniaturaLeida cMiniaturas::Leer(const OriginalMiniatura& o, int lado) const {
    if (!Disponible()) return {};
    for (int l : kLados) {
        if (l < LadoMiniatura(lado)) continue;
        QImage img = LeerPng(Ruta(o.uri, l));
        if (!MiniaturaVigente(img, o)) continue;
        MiniaturaLeida r;
        std::int64_t w = 0, h = 0;
        if (TextoEntero(img, "Thumb::Image::Width", w) && TextoEntero(img, "Thumb::Image::Height", h) &&
            w > 0 && h > 0 && w <= 1'000'000 && h <= 1'000'000)
            r.original = QSize(static_cast<int>(w), static_cast<int>(h));
        r.imagen = std::move(img);
        return r;
    }
    return {};
}

bool cMiniaturas::FalloVigente(const OriginalMiniatura& o) const {
    return Disponible() && MiniaturaVigente(LeerPng(RutaFallo(o.uri)), o);
}

bool cMiniaturas::AsegurarCarpeta(const std::string& carpeta) const {
    // The folders from the top down: the missing ones are made owner-only, and those of the
    // cache itself are made so even when another program left them open.
    std::vector<fs::path> cadena;
    for (fs::path p(carpeta); !p.empty() && p != p.root_path(); p = p.parent_path()) cadena.push_back(p);
    std::error_code ec;
    for (auto it = cadena.rbegin(); it != cadena.rend(); ++it) {
        const QString q = QFile::decodeName(it->c_str());
        const bool nuestra = Contiene(it->string()) || it->string() == base_;
        if (!fs::exists(*it, ec)) {
            if (!QDir().mkdir(q, kPrivada) && !fs::is_directory(*it, ec)) return false;
        } else if (nuestra && (fs::status(*it, ec).permissions() & fs::perms::all) != fs::perms::owner_all) {
            fs::permissions(*it, fs::perms::owner_all, ec);
        }
    }
    return fs::is_directory(carpeta, ec);
}

bool cMiniaturas::Escribir(const std::string& destino, const QImage& img) const {
    const std::string carpeta = fs::path(destino).parent_path().string();
    if (!AsegurarCarpeta(carpeta)) return false;
    // Made 0600 by QTemporaryFile, in the folder it ends up in, so the rename is atomic.
    QTemporaryFile tmp(QFile::decodeName(carpeta.c_str()) + QStringLiteral("/.quirvex-XXXXXX.png"));
    if (!tmp.open()) return false;
    const QByteArray png = PngSinComprimir(img);
    if (tmp.write(png) != png.size() || !tmp.flush()) return false;
    std::error_code ec;
    fs::rename(QFile::encodeName(tmp.fileName()).toStdString(), destino, ec);
    if (ec) return false;
    tmp.setAutoRemove(false);
    return true;
}

bool cMiniaturas::Guardar(const OriginalMiniatura& o, const QImage& miniatura, QSize original, int lado) const {
    if (!Disponible() || miniatura.isNull()) return false;
    const int l = LadoMiniatura(lado);
    if (miniatura.width() > l || miniatura.height() > l) return false;
    QImage img = miniatura;
    img.setText(QStringLiteral("Thumb::URI"), QString::fromStdString(o.uri));
    img.setText(QStringLiteral("Thumb::MTime"), QString::number(o.mtime));
    if (o.bytes >= 0) img.setText(QStringLiteral("Thumb::Size"), QString::number(o.bytes));
    if (original.isValid()) {
        img.setText(QStringLiteral("Thumb::Image::Width"), QString::number(original.width()));
        img.setText(QStringLiteral("Thumb::Image::Height"), QString::number(original.height()));
    }
    img.setText(QStringLiteral("Software"), QStringLiteral("Quirvex"));
    if (!Escribir(Ruta(o.uri, l), img)) return false;
    std::error_code ec;
    fs::remove(RutaFallo(o.uri), ec);
    return true;
}

bool cMiniaturas::GuardarFallo(const OriginalMiniatura& o) const {
    if (!Disponible()) return false;
    QImage img(1, 1, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    img.setText(QStringLiteral("Thumb::URI"), QString::fromStdString(o.uri));
    img.setText(QStringLiteral("Thumb::MTime"), QString::number(o.mtime));
    if (o.bytes >= 0) img.setText(QStringLiteral("Thumb::Size"), QString::number(o.bytes));
    img.setText(QStringLiteral("Software"), QStringLiteral("Quirvex"));
    return Escribir(RutaFallo(o.uri), img);
}

}  // namespace quirvex
