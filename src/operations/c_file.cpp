#include "operations/c_file.h"

namespace quirvex {
namespace {

constexpr const char* CRLF = "\r\n";

std::string Detalle(int codigoSistema) {
    if (codigoSistema == 0) return {};
    return std::string(CRLF) + "Error " + std::to_string(codigoSistema) + CRLF +
           BajoNivel().DescripcionError(codigoSistema);
}

}  // namespace

FalloArchivo CrearFalloArchivo(std::int32_t numero, const std::string& nombre, int codigoSistema,
                               const std::string& textoLlamador) {
    FalloArchivo f;
    f.numero = numero;
    f.fuente = FUENTE_CFILE;
    const std::string detalle = Detalle(codigoSistema);
    switch (numero) {
        case FALLO_YA_ABIERTO:
            f.descripcion = "The file '" + nombre + "' is already open." + detalle;
            break;
        case FALLO_APERTURA:
            f.descripcion = "Error opening '" + nombre + "'." + detalle;
            break;
        case FALLO_SIN_ARCHIVO:
            f.descripcion = "No file is open.";
            break;
        case FALLO_POSICION:
            f.descripcion = std::string("Seek Error.") + CRLF + textoLlamador + detalle;
            break;
        case FALLO_LECTURA:
            f.descripcion = "Error reading '" + nombre + "'." + detalle;
            break;
        case FALLO_ESCRITURA:
            f.descripcion = "Error writing '" + nombre + "'." + detalle;
            break;
        default:
            f.numero = FALLO_DESCONOCIDO;
            f.descripcion = "Unknown error." + detalle;
            break;
    }
    return f;
}

cFile::~cFile() { CloseFile(); }

bool cFile::Fallar(std::int32_t numero, int codigoSistema, const std::string& texto) {
    fallo_ = CrearFalloArchivo(numero, nombre_, codigoSistema, texto);
    return false;
}

bool cFile::SinArchivo() {
    if (IsOpen()) return false;
    fallo_ = CrearFalloArchivo(FALLO_SIN_ARCHIVO, {}, 0);
    return true;
}

bool cFile::OpenFile(const std::string& ruta, bool soloLectura) {
    if (IsOpen()) return Fallar(FALLO_YA_ABIERTO, 0);
    int error = 0;
    bool creado = false;
    const ManejadorArchivo h = BajoNivel().Abrir(
        ruta, soloLectura ? ModoApertura::SoloLectura : ModoApertura::LecturaEscritura, creado,
        error, info_);
    creado_ = creado;
    if (h == MANEJADOR_INVALIDO) {
        fallo_ = CrearFalloArchivo(FALLO_APERTURA, ruta, error);
        return false;
    }
    handle_ = h;
    nombre_ = ruta;
    fallo_ = {};
    return true;
}

bool cFile::OpenFileIn(ManejadorArchivo carpeta, const std::string& nombre, const std::string& ruta) {
    if (IsOpen()) return Fallar(FALLO_YA_ABIERTO, 0);
    int error = 0;
    const ManejadorArchivo h = BajoNivel().AbrirEn(carpeta, nombre, error, info_);
    creado_ = false;
    if (h == MANEJADOR_INVALIDO) {
        fallo_ = CrearFalloArchivo(FALLO_APERTURA, ruta, error);
        return false;
    }
    handle_ = h;
    nombre_ = ruta;
    fallo_ = {};
    return true;
}

bool cFile::Adoptar(ManejadorArchivo h, const std::string& nombre, const InfoNodo& info, bool creado) {
    if (IsOpen()) return Fallar(FALLO_YA_ABIERTO, 0);
    handle_ = h;
    nombre_ = nombre;
    info_ = info;
    creado_ = creado;
    fallo_ = {};
    return true;
}

bool cFile::CloseFile() {
    if (!IsOpen()) return true;
    const int error = BajoNivel().Cerrar(handle_);
    const bool ok = error == 0 || Fallar(FALLO_ESCRITURA, error);
    handle_ = MANEJADOR_INVALIDO;
    nombre_.clear();
    autoFlush_ = false;
    return ok;
}

bool cFile::ReadBytes(std::span<std::byte> destino) {
    if (SinArchivo()) return false;
    int error = 0;
    const std::int64_t n = BajoNivel().Leer(handle_, destino.data(), destino.size(), error);
    if (n < 0) return Fallar(FALLO_LECTURA, error);
    if (static_cast<std::size_t>(n) < destino.size())
        return Fallar(FALLO_LECTURA, BajoNivel().Codigo(ErrorComun::FinInesperado));
    return true;
}

std::vector<std::byte> cFile::ReadBytes(std::uint32_t cuenta) {
    std::vector<std::byte> datos(cuenta);
    if (!ReadBytes(std::span<std::byte>(datos))) datos.clear();
    return datos;
}

bool cFile::WriteBytes(std::span<const std::byte> datos) {
    if (SinArchivo()) return false;
    int error = 0;
    if (BajoNivel().Escribir(handle_, datos.data(), datos.size(), error) < 0)
        return Fallar(FALLO_ESCRITURA, error);
    return !autoFlush_ || Flush();
}

bool cFile::Flush() {
    if (SinArchivo()) return false;
    const int error = BajoNivel().Sincronizar(handle_);
    return error == 0 || Fallar(FALLO_ESCRITURA, error);
}

bool cFile::SetLength(std::int64_t largo) {
    if (SinArchivo()) return false;
    const int error = BajoNivel().Truncar(handle_, largo);
    return error == 0 || Fallar(FALLO_ESCRITURA, error);
}

bool cFile::SeekAbsolute(std::int32_t alto, std::uint32_t bajo) {
    if (SinArchivo()) return false;
    const std::int64_t posicion =
        static_cast<std::int64_t>((static_cast<std::uint64_t>(static_cast<std::uint32_t>(alto)) << 32) | bajo);
    int error = 0;
    if (BajoNivel().Posicionar(handle_, posicion, true, error) < 0)
        return Fallar(FALLO_POSICION, error, "SeekAbsolute");
    return true;
}

bool cFile::SeekRelative(std::int32_t desplazamiento) {
    if (SinArchivo()) return false;
    int error = 0;
    if (BajoNivel().Posicionar(handle_, desplazamiento, false, error) < 0)
        return Fallar(FALLO_POSICION, error, "SeekRelative");
    return true;
}

}  // namespace quirvex
