#include "folder/miniaturas_qt.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTemporaryFile>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string_view>
#include <system_error>
#include <vector>

#include "operations/lista_uris.h"

namespace quirvex {

namespace {

namespace fs = std::filesystem;

constexpr std::array<int, 4> kLados = {128, 256, 512, 1024};
constexpr std::array<const char*, 4> kSubcarpetas = {"normal", "large", "x-large", "xx-large"};

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

QImage LeerPng(const std::string& ruta) {
    const auto archivo = AbrirLectura(ruta);
    if (!archivo) return {};
    QImageReader lector(archivo.get(), "png");
    // A thumbnail is 1024 × 1024 at most: anything claiming more is not one.
    lector.setAllocationLimit(8);
    return lector.read();
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
    if (!img.save(&tmp, "PNG") || !tmp.flush()) return false;
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
