#include "platform/archivos_red.h"

#include <functional>
#include <map>
#include <mutex>
#include <unordered_map>

#include "platform/dialogos.h"
#include "platform/fecha_local.h"
#include "platform/smb.h"
#include "settings/idioma.h"

namespace quirvex {
namespace {

constexpr std::int64_t kNanos = 1'000'000'000;

std::string SinBarras(std::string ruta) {
    while (ruta.size() > 3 && ruta.back() == '/') ruta.pop_back();
    return ruta;
}

std::string Unir(const std::string& carpeta, const std::string& nombre) {
    return SinBarras(carpeta) + '/' + nombre;
}

// "//host/share" of a path inside a share; the host alone above the shares.
std::string RaizRecurso(const std::string& ruta) {
    const std::string equipo = EquipoDeRuta(ruta);
    const auto fin = ruta.find('/', equipo.size() + 1);
    return fin == std::string::npos ? ruta : ruta.substr(0, fin);
}

// Asks for credentials while the server refuses the ones it has (a guest at first). The
// login is kept under the path's "host:port".
int ConCredenciales(const std::string& ruta, const std::function<int()>& llamada) {
    int r = llamada();
    for (bool otraVez = false; r != 0 && Smb().EsAccesoDenegado(r); otraVez = true) {
        if (!PedirLoginRed(ruta, otraVez)) break;
        r = llamada();
    }
    return r;
}

// A share folder's entries, asking for a login while the server refuses.
int ListarConLogin(const std::string& carpeta, std::vector<EntradaSmb>& entradas) {
    return ConCredenciales(carpeta, [&] {
        entradas.clear();
        return Smb().Listar(carpeta, entradas);
    });
}

// Each asked-for name's entry in one listing of its folder, rather than one question per name.
void CruzarPorNombre(const std::vector<EntradaSmb>& entradas, const std::vector<std::string_view>& nombres,
                     const std::function<void(size_t, const EntradaSmb&)>& porNombre) {
    std::unordered_map<std::string_view, const EntradaSmb*> indice;
    for (const EntradaSmb& e : entradas) indice.emplace(e.nombre, &e);
    for (size_t i = 0; i < nombres.size(); ++i)
        if (const auto it = indice.find(nombres[i]); it != indice.end()) porNombre(i, *it->second);
}

EntradaDirectorio ComoEntrada(const EntradaSmb& s) {
    EntradaDirectorio e;
    e.nombre = s.nombre;
    e.atributos = s.carpeta ? ATR_DIRECTORIO : ATR_ARCHIVO;
    if (!s.nombre.empty() && s.nombre[0] == '.') e.atributos |= ATR_OCULTO;
    if (s.soloLectura) e.atributos |= ATR_SOLO_LECTURA;
    e.tamano = s.carpeta ? 0 : s.tamano;
    e.modificacion = FechaLocalDesdeUnix(s.modificado / kNanos, s.modificado % kNanos);
    e.creacion = e.modificacion;
    return e;
}

InfoNodo ComoInfo(const std::string& ruta, const EntradaSmb& s) {
    InfoNodo info;
    info.tipo = s.carpeta ? TipoNodo::Carpeta : TipoNodo::Archivo;
    info.tamano = s.carpeta ? 0 : s.tamano;
    info.ocupado = info.tamano;
    // One device per share, apart from every local one: the same inode on two shares is two
    // files.
    info.dispositivo = std::hash<std::string>{}(RaizRecurso(ruta)) | (std::uint64_t{1} << 63);
    info.inodo = s.inodo;
    info.permisos = s.carpeta ? 0755 : 0644;
    if (s.soloLectura) info.permisos &= ~0222u;
    info.modificado = s.modificado;
    return info;
}

}  // namespace

bool PedirLoginRed(const std::string& ruta, bool otraVez) {
    const std::string servidor = ClaveLoginDeRuta(ruta);
    std::string usuario, clave;
    if (!DialogosSistema().PedirCredenciales(servidor, otraVez ? TEXTO_ACCESO_DENEGADO : "", usuario, clave))
        return false;
    Smb().SetCredenciales(servidor, usuario, clave);
    return true;
}

int ListarRecursoRed(const std::string& carpeta, std::vector<EntradaDirectorio>& entradas) {
    std::vector<EntradaSmb> leidas;
    const int r = Smb().Listar(carpeta, leidas);
    entradas.clear();
    if (r != 0) return r;
    RecordarEquipo(EquipoDeRuta(carpeta));
    entradas.reserve(leidas.size());
    for (const EntradaSmb& s : leidas) entradas.push_back(ComoEntrada(s));
    return 0;
}

namespace {

class SistemaArchivosRed final : public SistemaArchivos {
public:
    explicit SistemaArchivosRed(SistemaArchivos& local) : local_(local) {}

    bool Listar(const std::string& carpeta,
                const std::function<void(EntradaDirectorio&&)>& porEntrada) override {
        if (!EsRutaRed(carpeta)) return local_.Listar(carpeta, porEntrada);
        std::vector<EntradaSmb> entradas;
        if (ListarConLogin(carpeta, entradas) != 0) return false;
        RecordarEquipo(EquipoDeRuta(carpeta));
        for (const EntradaSmb& s : entradas) porEntrada(ComoEntrada(s));
        return true;
    }

    std::vector<std::int64_t> Tamanos(const std::string& carpeta,
                                      const std::vector<std::string_view>& nombres) override {
        if (!EsRutaRed(carpeta)) return local_.Tamanos(carpeta, nombres);
        std::vector<std::int64_t> r(nombres.size(), 0);
        std::vector<EntradaSmb> entradas;
        if (Smb().Listar(carpeta, entradas) != 0) return r;
        CruzarPorNombre(entradas, nombres, [&](size_t i, const EntradaSmb& e) {
            if (!e.carpeta) r[i] = e.tamano;
        });
        return r;
    }

    std::vector<std::optional<EntradaDirectorio>> ConsultarEn(
        const std::string& carpeta, const std::vector<std::string_view>& nombres) override {
        if (!EsRutaRed(carpeta)) return local_.ConsultarEn(carpeta, nombres);
        std::vector<std::optional<EntradaDirectorio>> r(nombres.size());
        std::vector<EntradaSmb> entradas;
        if (ListarConLogin(carpeta, entradas) != 0) return r;
        CruzarPorNombre(entradas, nombres, [&](size_t i, const EntradaSmb& e) { r[i] = ComoEntrada(e); });
        return r;
    }

    bool Accesible(const std::string& carpeta) override {
        if (!EsRutaRed(carpeta)) return local_.Accesible(carpeta);
        // A host's share list is short; a folder is only looked at, so a large one is listed
        // once, by the load that follows.
        if (RaizRecurso(carpeta) == EquipoDeRuta(carpeta)) {
            std::vector<EntradaSmb> recursos;
            return ListarConLogin(carpeta, recursos) == 0;
        }
        EntradaSmb e;
        const int r = ConCredenciales(carpeta, [&] { return Smb().Consultar(carpeta, e); });
        return r == 0 && e.carpeta;
    }

    // Asks for a login like a load does: a typed path, a path button or a drop target reaches
    // a protected share through here first.
    std::optional<EntradaDirectorio> Consultar(const std::string& ruta) override {
        if (!EsRutaRed(ruta)) return local_.Consultar(ruta);
        EntradaSmb e;
        if (ConCredenciales(ruta, [&] { return Smb().Consultar(ruta, e); }) != 0) return std::nullopt;
        return ComoEntrada(e);
    }

    // A share tells nothing that proves a listing still holds: it is always read again.
    std::optional<SelloCarpeta> Sello(const std::string& carpeta) override {
        if (EsRutaRed(carpeta)) return std::nullopt;
        return local_.Sello(carpeta);
    }

    std::optional<DetallesArchivo> Detalles(const std::string& ruta) override {
        if (EsRutaRed(ruta)) return std::nullopt;
        return local_.Detalles(ruta);
    }

private:
    SistemaArchivos& local_;
};

// Handles of files and folders on shares, numbered far above any local descriptor.
constexpr ManejadorArchivo kPrimerManejadorRed = ManejadorArchivo{1} << 40;

class BajoNivelRed final : public ArchivosBajoNivel {
public:
    explicit BajoNivelRed(ArchivosBajoNivel& local) : local_(local) {}

    ManejadorArchivo Abrir(const std::string& ruta, ModoApertura modo, bool& creado, int& error,
                           InfoNodo& info) override {
        if (!EsRutaRed(ruta)) return local_.Abrir(ruta, modo, creado, error, info);
        return AbrirRed(SinBarras(ruta), modo, creado, error, info);
    }

    int Cerrar(ManejadorArchivo h) override {
        if (h < kPrimerManejadorRed) return local_.Cerrar(h);
        Abierto a;
        if (!Quitar(h, a)) return local_.Codigo(ErrorComun::ArgumentoInvalido);
        return a.carpeta ? 0 : Smb().Cerrar(a.smb);
    }

    std::int64_t Leer(ManejadorArchivo h, void* datos, std::size_t n, int& error) override {
        if (h < kPrimerManejadorRed) return local_.Leer(h, datos, n, error);
        const Abierto a = Buscar(h);
        if (a.carpeta) return Invalido(error);
        return Smb().Leer(a.smb, datos, n, error);
    }

    std::int64_t Escribir(ManejadorArchivo h, const void* datos, std::size_t n,
                          int& error) override {
        if (h < kPrimerManejadorRed) return local_.Escribir(h, datos, n, error);
        const Abierto a = Buscar(h);
        if (a.carpeta) return Invalido(error);
        return Smb().Escribir(a.smb, datos, n, error);
    }

    // The server writes through on close; there is nothing to flush from here.
    int Sincronizar(ManejadorArchivo h) override {
        return h < kPrimerManejadorRed ? local_.Sincronizar(h) : 0;
    }

    void AdelantarEscritura(ManejadorArchivo h, std::int64_t desde, std::int64_t n) override {
        if (h < kPrimerManejadorRed) local_.AdelantarEscritura(h, desde, n);
    }

    int SincronizarSistema(ManejadorArchivo carpeta) override {
        return carpeta < kPrimerManejadorRed ? local_.SincronizarSistema(carpeta) : 0;
    }

    // Owners, extended attributes and ACLs of a share are the server's business.
    int CambiarPropietario(ManejadorArchivo h, std::uint32_t propietario, std::uint32_t grupo) override {
        if (h < kPrimerManejadorRed) return local_.CambiarPropietario(h, propietario, grupo);
        return local_.Codigo(ErrorComun::NoSoportado);
    }

    int CopiarAtributos(ManejadorArchivo origen, ManejadorArchivo destino,
                        std::vector<std::pair<std::string, int>>& perdidos) override {
        if (origen < kPrimerManejadorRed && destino < kPrimerManejadorRed)
            return local_.CopiarAtributos(origen, destino, perdidos);
        return 0;
    }

    int AplicarMetadatosEn(ManejadorArchivo carpeta, const std::string& nombre, const InfoNodo& origen,
                           bool propietario) override {
        const std::string ruta = RutaEn(carpeta, nombre);
        if (ruta.empty()) return local_.AplicarMetadatosEn(carpeta, nombre, origen, propietario);
        return Smb().FijarModificado(ruta, origen.modificado);
    }

    int CrearCarpetaEn(ManejadorArchivo carpeta, const std::string& nombre) override {
        const std::string ruta = RutaEn(carpeta, nombre);
        return ruta.empty() ? local_.CrearCarpetaEn(carpeta, nombre) : CrearCarpeta(ruta);
    }

    ManejadorArchivo AbrirCarpetaElegida(const std::string& ruta, int& error) override {
        if (!EsRutaRed(ruta)) return local_.AbrirCarpetaElegida(ruta, error);
        return AbrirCarpeta(MANEJADOR_INVALIDO, ruta, error);
    }

    // A share has no unnamed files: the engine writes under a hidden name instead.
    ManejadorArchivo CrearSinNombreEn(ManejadorArchivo carpeta, int& error, InfoNodo& info) override {
        if (carpeta < kPrimerManejadorRed) return local_.CrearSinNombreEn(carpeta, error, info);
        error = local_.Codigo(ErrorComun::NoSoportado);
        return MANEJADOR_INVALIDO;
    }

    ManejadorArchivo CrearExclusivoEn(ManejadorArchivo carpeta, const std::string& nombre, int& error,
                                      InfoNodo& info) override {
        const std::string ruta = RutaEn(carpeta, nombre);
        if (ruta.empty()) return local_.CrearExclusivoEn(carpeta, nombre, error, info);
        ManejadorSmb h = 0;
        error = Smb().CrearNuevo(ruta, h);
        if (error == EEXIST) error = local_.Codigo(ErrorComun::YaExiste);
        if (error != 0) return MANEJADOR_INVALIDO;
        info = Consultar(ruta);
        return Agregar(Abierto{false, h, ruta});
    }

    int EnlazarEn(ManejadorArchivo h, ManejadorArchivo carpeta, const std::string& nombre) override {
        if (h < kPrimerManejadorRed && carpeta < kPrimerManejadorRed) return local_.EnlazarEn(h, carpeta, nombre);
        return local_.Codigo(ErrorComun::NoSoportado);
    }

    int EnlazarNombreEn(ManejadorArchivo carpetaOrigen, const std::string& origen, ManejadorArchivo carpeta,
                        const std::string& nombre) override {
        if (RutaEn(carpetaOrigen, origen).empty() && RutaEn(carpeta, nombre).empty())
            return local_.EnlazarNombreEn(carpetaOrigen, origen, carpeta, nombre);
        return local_.Codigo(ErrorComun::NoSoportado);
    }

    int RenombrarEn(ManejadorArchivo carpetaOrigen, const std::string& origen, ManejadorArchivo carpeta,
                    const std::string& nombre, bool reemplazar) override {
        const std::string a = RutaEn(carpetaOrigen, origen), b = RutaEn(carpeta, nombre);
        if (a.empty() && b.empty()) return local_.RenombrarEn(carpetaOrigen, origen, carpeta, nombre, reemplazar);
        if (a.empty() || b.empty() || RaizRecurso(a) != RaizRecurso(b))
            return local_.Codigo(ErrorComun::OtroDispositivo);
        if (!reemplazar && Consultar(b).tipo != TipoNodo::NoExiste) return local_.Codigo(ErrorComun::YaExiste);
        return Smb().Renombrar(a, b);
    }

    int CrearEnlaceEn(const std::string& destino, ManejadorArchivo carpeta, const std::string& nombre) override {
        if (RutaEn(carpeta, nombre).empty()) return local_.CrearEnlaceEn(destino, carpeta, nombre);
        return local_.Codigo(ErrorComun::NoSoportado);
    }

    int CrearEspecialEn(ManejadorArchivo carpeta, const std::string& nombre, const InfoNodo& origen) override {
        if (RutaEn(carpeta, nombre).empty()) return local_.CrearEspecialEn(carpeta, nombre, origen);
        return local_.Codigo(ErrorComun::NoSoportado);
    }

    int Truncar(ManejadorArchivo h, std::int64_t largo) override {
        if (h < kPrimerManejadorRed) return local_.Truncar(h, largo);
        const Abierto a = Buscar(h);
        if (a.carpeta) return local_.Codigo(ErrorComun::ArgumentoInvalido);
        return Smb().Truncar(a.smb, largo);
    }

    std::int64_t Posicionar(ManejadorArchivo h, std::int64_t desplazamiento, bool desdeInicio,
                            int& error) override {
        if (h < kPrimerManejadorRed) return local_.Posicionar(h, desplazamiento, desdeInicio, error);
        const Abierto a = Buscar(h);
        if (a.carpeta) return Invalido(error);
        return Smb().Posicionar(a.smb, desplazamiento, desdeInicio, error);
    }

    // The kernel cannot copy to or from a share: the engine reads and writes.
    ResultadoTramo CopiarTramo(ManejadorArchivo origen, ManejadorArchivo destino,
                               std::size_t n) override {
        if (origen < kPrimerManejadorRed && destino < kPrimerManejadorRed)
            return local_.CopiarTramo(origen, destino, n);
        ResultadoTramo r;
        r.sinSoporte = true;
        return r;
    }

    // A share keeps the modification time; permission bits are the server's business.
    int CopiarMetadatos(const InfoNodo& origen, ManejadorArchivo destino,
                        const InfoNodo& actual) override {
        if (destino < kPrimerManejadorRed) return local_.CopiarMetadatos(origen, destino, actual);
        const Abierto a = Buscar(destino);
        return Smb().FijarModificado(a.ruta, origen.modificado);
    }

    int AplicarMetadatos(const InfoNodo& origen, const std::string& ruta) override {
        if (!EsRutaRed(ruta)) return local_.AplicarMetadatos(origen, ruta);
        return Smb().FijarModificado(SinBarras(ruta), origen.modificado);
    }

    InfoNodo ConsultarAbierto(ManejadorArchivo h) override {
        if (h < kPrimerManejadorRed) return local_.ConsultarAbierto(h);
        return Consultar(Buscar(h).ruta);
    }

    // A share reports no holes: the whole file is data.
    int RangosDatos(ManejadorArchivo h, std::int64_t largo, std::vector<RangoDatos>& rangos) override {
        if (h < kPrimerManejadorRed) return local_.RangosDatos(h, largo, rangos);
        rangos.clear();
        if (largo > 0) rangos.push_back(RangoDatos{0, largo});
        return 0;
    }

    ManejadorArchivo AbrirCarpeta(ManejadorArchivo carpeta, const std::string& nombre,
                                  int& error) override {
        const std::string ruta = RutaEn(carpeta, nombre);
        if (ruta.empty()) return local_.AbrirCarpeta(carpeta, nombre, error);
        const InfoNodo info = Consultar(ruta);
        if (info.tipo != TipoNodo::Carpeta) {
            error = info.tipo == TipoNodo::NoExiste ? info.error
                                                    : local_.Codigo(ErrorComun::ArgumentoInvalido);
            return MANEJADOR_INVALIDO;
        }
        return Agregar(Abierto{true, 0, ruta});
    }

    int ListarEn(ManejadorArchivo carpeta, std::vector<std::string>& nombres) override {
        if (carpeta < kPrimerManejadorRed) return local_.ListarEn(carpeta, nombres);
        return ListarNombres(Buscar(carpeta).ruta, nombres);
    }

    int ListarEnConTipos(ManejadorArchivo carpeta, std::vector<std::string>& nombres,
                         std::vector<TipoNodo>& tipos) override {
        if (carpeta < kPrimerManejadorRed) return local_.ListarEnConTipos(carpeta, nombres, tipos);
        return ArchivosBajoNivel::ListarEnConTipos(carpeta, nombres, tipos);
    }

    InfoNodo ConsultarEn(ManejadorArchivo carpeta, const std::string& nombre) override {
        const std::string ruta = RutaEn(carpeta, nombre);
        return ruta.empty() ? local_.ConsultarEn(carpeta, nombre) : Consultar(ruta);
    }

    ManejadorArchivo AbrirEn(ManejadorArchivo carpeta, const std::string& nombre, int& error,
                             InfoNodo& info) override {
        const std::string ruta = RutaEn(carpeta, nombre);
        if (ruta.empty()) return local_.AbrirEn(carpeta, nombre, error, info);
        bool creado = false;
        return AbrirRed(ruta, ModoApertura::SoloLectura, creado, error, info);
    }

    int BorrarEn(ManejadorArchivo carpeta, const std::string& nombre, bool esCarpeta) override {
        const std::string ruta = RutaEn(carpeta, nombre);
        if (ruta.empty()) return local_.BorrarEn(carpeta, nombre, esCarpeta);
        return esCarpeta ? Smb().BorrarCarpeta(ruta) : Smb().BorrarArchivo(ruta);
    }

    int LeerEnlaceEn(ManejadorArchivo carpeta, const std::string& nombre,
                     std::string& destino) override {
        if (carpeta < kPrimerManejadorRed) return local_.LeerEnlaceEn(carpeta, nombre, destino);
        return local_.Codigo(ErrorComun::NoSoportado);
    }

    InfoNodo Consultar(const std::string& ruta) override {
        if (!EsRutaRed(ruta)) return local_.Consultar(ruta);
        EntradaSmb e;
        const std::string limpia = SinBarras(ruta);
        InfoNodo info;
        info.error = Smb().Consultar(limpia, e);
        return info.error != 0 ? info : ComoInfo(limpia, e);
    }

    int Renombrar(const std::string& origen, const std::string& destino) override {
        const bool a = EsRutaRed(origen), b = EsRutaRed(destino);
        if (!a && !b) return local_.Renombrar(origen, destino);
        // Between a share and a local disk, or two shares: copied and deleted like another disk.
        if (a != b || RaizRecurso(origen) != RaizRecurso(destino))
            return local_.Codigo(ErrorComun::OtroDispositivo);
        return Smb().Renombrar(SinBarras(origen), SinBarras(destino));
    }

    int BorrarArchivo(const std::string& ruta) override {
        return EsRutaRed(ruta) ? Smb().BorrarArchivo(SinBarras(ruta)) : local_.BorrarArchivo(ruta);
    }

    int BorrarCarpetaVacia(const std::string& ruta) override {
        return EsRutaRed(ruta) ? Smb().BorrarCarpeta(SinBarras(ruta))
                               : local_.BorrarCarpetaVacia(ruta);
    }

    int CrearCarpeta(const std::string& ruta) override {
        if (!EsRutaRed(ruta)) return local_.CrearCarpeta(ruta);
        // The host and its shares exist or not; they are never made from here.
        if (RaizRecurso(ruta) == SinBarras(ruta) || EquipoDeRuta(ruta) == SinBarras(ruta))
            return Consultar(ruta).tipo == TipoNodo::Carpeta ? local_.Codigo(ErrorComun::YaExiste)
                                                             : local_.Codigo(ErrorComun::NoSoportado);
        return Smb().CrearCarpeta(SinBarras(ruta));
    }

    int ListarNombres(const std::string& carpeta, std::vector<std::string>& nombres) override {
        if (!EsRutaRed(carpeta)) return local_.ListarNombres(carpeta, nombres);
        std::vector<EntradaSmb> entradas;
        const int r = Smb().Listar(carpeta, entradas);
        nombres.clear();
        for (EntradaSmb& e : entradas) nombres.push_back(std::move(e.nombre));
        return r;
    }

    int LeerEnlace(const std::string& ruta, std::string& destino) override {
        return EsRutaRed(ruta) ? local_.Codigo(ErrorComun::NoSoportado) : local_.LeerEnlace(ruta, destino);
    }

    int CrearEnlace(const std::string& destino, const std::string& ruta) override {
        return EsRutaRed(ruta) ? local_.Codigo(ErrorComun::NoSoportado)
                               : local_.CrearEnlace(destino, ruta);
    }

    // A share path has no links to resolve on this side.
    std::string RutaCanonica(const std::string& ruta) override {
        return EsRutaRed(ruta) ? SinBarras(ruta) : local_.RutaCanonica(ruta);
    }

    // The library's own answer to such a name was "Cannot allocate memory": say what failed.
    std::string DescripcionError(int codigo) override {
        return codigo == ErrorNombreRed() ? Texto(General, 120) : local_.DescripcionError(codigo);
    }
    int Codigo(ErrorComun error) override { return local_.Codigo(error); }
    bool Es(int codigo, ErrorComun error) override { return local_.Es(codigo, error); }

private:
    struct Abierto {
        bool carpeta = false;
        ManejadorSmb smb = 0;
        std::string ruta;
    };

    std::int64_t Invalido(int& error) {
        error = local_.Codigo(ErrorComun::ArgumentoInvalido);
        return -1;
    }

    ManejadorArchivo AbrirRed(const std::string& ruta, ModoApertura modo, bool& creado, int& error,
                              InfoNodo& info) {
        creado = false;
        if (modo == ModoApertura::SoloLectura) {
            info = Consultar(ruta);
            if (info.tipo != TipoNodo::Archivo) {
                error = info.tipo == TipoNodo::NoExiste ? info.error
                                                        : local_.Codigo(ErrorComun::ArgumentoInvalido);
                return MANEJADOR_INVALIDO;
            }
        }
        ManejadorSmb h = 0;
        error = Smb().Abrir(ruta, modo == ModoApertura::LecturaEscritura, creado, h);
        if (error != 0) return MANEJADOR_INVALIDO;
        if (modo == ModoApertura::LecturaEscritura) info = Consultar(ruta);
        return Agregar(Abierto{false, h, ruta});
    }

    // The path of `nombre` inside an open share folder, or of `nombre` itself when it is a share
    // path opened without a folder; empty when the local implementation answers.
    std::string RutaEn(ManejadorArchivo carpeta, const std::string& nombre) {
        if (carpeta >= kPrimerManejadorRed) return Unir(Buscar(carpeta).ruta, nombre);
        if (carpeta == MANEJADOR_INVALIDO && EsRutaRed(nombre)) return SinBarras(nombre);
        return {};
    }

    ManejadorArchivo Agregar(Abierto a) {
        std::lock_guard<std::mutex> l(m_);
        const ManejadorArchivo h = siguiente_++;
        abiertos_.emplace(h, std::move(a));
        return h;
    }

    Abierto Buscar(ManejadorArchivo h) {
        std::lock_guard<std::mutex> l(m_);
        const auto it = abiertos_.find(h);
        return it == abiertos_.end() ? Abierto{true, 0, std::string()} : it->second;
    }

    bool Quitar(ManejadorArchivo h, Abierto& a) {
        std::lock_guard<std::mutex> l(m_);
        const auto it = abiertos_.find(h);
        if (it == abiertos_.end()) return false;
        a = std::move(it->second);
        abiertos_.erase(it);
        return true;
    }

    ArchivosBajoNivel& local_;
    std::mutex m_;
    std::map<ManejadorArchivo, Abierto> abiertos_;
    ManejadorArchivo siguiente_ = kPrimerManejadorRed;
};

}  // namespace

std::unique_ptr<SistemaArchivos> SistemaArchivosConRed(SistemaArchivos& local) {
    return std::make_unique<SistemaArchivosRed>(local);
}

std::unique_ptr<ArchivosBajoNivel> BajoNivelConRed(ArchivosBajoNivel& local) {
    return std::make_unique<BajoNivelRed>(local);
}

}  // namespace quirvex
