#include "folder/cache_listados.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <unordered_map>
#include <vector>

#include "folder/orden.h"
#include "folder/texto.h"
#include "platform/memoria.h"
#include "platform/sistema_archivos.h"

namespace quirvex {
namespace {

constexpr std::array<std::string_view, 29> kGruposExtension = {
    "*TXT*LOG*",
    "*INI*CFG*INF*",
    "*BMP*",
    "*PNG*GIF*TIF*TIFF*",
    "*JPG*JPEG*",
    "*EXE*COM*",
    "*DLL*OCX*SYS*CPL*MANIFEST*",
    "*RAR*ZIP*CAB*ARJ*LZH*ACE*7-ZIP*TAR*GZIP*UUE*BZ2*JAR*Z*",
    "*BAT*",
    "*WAV*SND*MIDI*MID*AIFF*AU*XA*",
    "*MOV*AVI*MPG*MPEG*BIK*",
    "*M3U*WPL*ASX*",
    "*MP3*MP4*",
    "*WMA*WMV*ASF*WM*WMX*WMD*WMZ*",
    "*VBP*",
    "*FRM*",
    "*BAS*",
    "*CLS*",
    "*LNK*",
    "*PDF*",
    "*HTM*HTML*",
    "*URL*",
    "*HLP*CHM*",
    "*REG*",
    "*DOC*RTF*WRI*",
    "*XLS*",
    "*PPT*PPS*",
    "*MDB*",
    "*ISO*NRG*BIN*DMG*ISZ*MDS*MDF*ASHDISC*B5T*B5I*B6T*B6I*CUE*LCD*CCD*IMG*DVD*000*CDI*CIF*P01*"
    "MD1*TIMG*HFS*NCD*RIF*RDF*GI*IXA*VC4*VCD*FCD*IMA*BIF*C2D*VAPORCD*DAO*TAO*VDI*",
};

// Files the other desktop leaves in folders; hidden when the setting asks for it.
bool EsArchivoDeSistema(const std::string& nombre) {
    if (nombre.size() < 9 || nombre.size() > 11) return false;
    const std::string m = Mayusculas(nombre);
    return m == "DESKTOP.INI" || m == "FOLDER.HTT" || m == "THUMBS.DB";
}

// A folder stamped within this much of the listing's start may change again without its stamp
// moving: file-system times advance by the kernel's coarse clock tick (up to 10 ms), which can
// also lag the system clock by one tick.
constexpr std::int64_t kMargenNs = 50'000'000;

std::int64_t RelojSistema() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

mvCache::RelojCache g_reloj = RelojSistema;

std::vector<ListadoCarpeta>& Tabla() {
    static std::vector<ListadoCarpeta> tabla;
    return tabla;
}

// The folders watched now: how many watches each has, and the mark of the present unbroken
// stretch of watching without events. Marks are never reused.
struct Vigilancia {
    int cuenta = 0;
    std::uint64_t marca = 0;
};

std::unordered_map<std::string, Vigilancia>& Vigiladas() {
    static std::unordered_map<std::string, Vigilancia> v;
    return v;
}

std::uint64_t g_ultimaMarca = 0;
std::function<void()> g_drenar;

std::string ConBarra(const std::string& carpeta) {
    return !carpeta.empty() && carpeta.back() != '/' ? carpeta + '/' : carpeta;
}

std::uint64_t MarcaActual(const std::string& carpeta) {
    const auto& v = Vigiladas();
    const auto it = v.find(carpeta);
    return it == v.end() ? 0 : it->second.marca;
}

// A listing whose names still hold, with each entry's size and times as the disk has them now;
// nothing when an entry is gone or changed kind (the names no longer hold).
std::optional<ListadoCarpeta> ReleerDatos(const ListadoCarpeta& viejo) {
    auto entradas = std::make_shared<TablaEntradas>(*viejo.entradas);
    ListadoCarpeta l = viejo;
    l.TotalSize = 0;
    bool fechasIguales = true;
    std::vector<std::string_view> nombres;
    nombres.reserve(entradas->size());
    for (const EntradaListado& e : *entradas) nombres.push_back(e.nombre);
    const auto estados = Archivos().ConsultarEn(viejo.ruta, nombres);
    for (size_t i = 0; i < entradas->size(); ++i) {
        EntradaListado& e = (*entradas)[i];
        const auto& ahora = estados[i];
        if (!ahora || ahora->atributos != e.atributos) return std::nullopt;
        fechasIguales = fechasIguales && ahora->modificacion == e.modificacion && ahora->creacion == e.creacion;
        e.modificacion = ahora->modificacion;
        e.creacion = ahora->creacion;
        if (!e.EsCarpeta()) {
            e.tamano = ahora->tamano;
            l.TotalSize += e.tamano;
        }
    }
    l.entradas = std::move(entradas);
    // Orders by name and extension still hold; those by date only when no date moved.
    if (!fechasIguales) {
        auto ordenes = std::make_shared<OrdenesListado>(*viejo.ordenes);
        ordenes->porCriterio[ORDEN_CREACION].clear();
        ordenes->porCriterio[ORDEN_MODIFICACION].clear();
        l.ordenes = std::move(ordenes);
    }
    return l;
}

}  // namespace

std::int32_t GrupoExtension(std::string_view nombre) {
    const auto punto = nombre.rfind('.');
    if (punto == std::string_view::npos) return 1;
    const std::string_view ext = nombre.substr(punto + 1);
    if (ext.find('*') != std::string_view::npos) {
        // A star in the name can span several extensions of a group: the plain substring
        // search decides, as it always did.
        const std::string buscada = "*" + Mayusculas(ext) + "*";
        for (size_t g = 0; g < kGruposExtension.size(); ++g)
            if (kGruposExtension[g].find(buscada) != std::string_view::npos)
                return static_cast<std::int32_t>(g) + 2;
        return 1;
    }
    // Without a star, "*EXT*" is found exactly where EXT is one of a group's extensions: one
    // table lookup instead of searching 29 texts for every file of the folder.
    static const auto* const porExtension = [] {
        auto* m = new std::unordered_map<std::string, std::int32_t>();
        for (size_t g = 0; g < kGruposExtension.size(); ++g) {
            std::string_view grupo = kGruposExtension[g];
            for (size_t i = 1; i < grupo.size();) {
                const size_t fin = grupo.find('*', i);
                m->emplace(std::string(grupo.substr(i, fin - i)), static_cast<std::int32_t>(g) + 2);
                i = fin + 1;
            }
        }
        return m;
    }();
    const auto it = porExtension->find(Mayusculas(ext));
    return it == porExtension->end() ? 1 : it->second;
}

void LlenarItemDeEntrada(ItemCarpeta& it, const EntradaListado& e) {
    it.Atributos = e.atributos;
    it.FechaModificacion = e.modificacion;
    it.FechaCreacion = e.creacion;
    if (e.atributos & ATR_DIRECTORIO) {
        it.Tipo = TIPO_CARPETA;
        it.Icono = 0;
    } else {
        it.Tipo = TIPO_ARCHIVO;
        it.Tamano = e.tamano;
        it.Icono = e.icono;
    }
    it.Nombre = e.nombre;
}

ItemCarpeta ItemDeEntrada(const EntradaListado& e) {
    ItemCarpeta it;
    LlenarItemDeEntrada(it, e);
    return it;
}

ListadoCarpeta EnumerarCarpeta(const std::string& carpeta, bool ocultarArchivosSistema) {
    std::vector<EntradaDirectorio> leidas;
    Archivos().ListarTodo(carpeta, leidas);
    return ListadoDeEntradas(carpeta, leidas, ocultarArchivosSistema);
}

ListadoCarpeta ListadoDeEntradas(const std::string& carpeta, std::vector<EntradaDirectorio>& leidas,
                                 bool ocultarArchivosSistema) {
    ListadoCarpeta l;
    l.ruta = carpeta;
    auto entradas = std::make_shared<TablaEntradas>();
    // Sized once: a table grown entry by entry copies itself over and over, and touches twice
    // the memory it ends up using.
    entradas->reserve(leidas.size());
    PaginasGrandes(entradas->data(), entradas->capacity() * sizeof(EntradaListado));
    for (EntradaDirectorio& e : leidas) {
        const bool esCarpeta = (e.atributos & ATR_DIRECTORIO) != 0;
        if (ocultarArchivosSistema && !esCarpeta && EsArchivoDeSistema(e.nombre)) continue;
        if (esCarpeta) {
            ++l.nCarpetas;
        } else {
            ++l.nArchivos;
            l.TotalSize += e.tamano;
        }
        EntradaListado& x = entradas->emplace_back();
        x.icono = esCarpeta ? 0 : GrupoExtension(e.nombre);
        x.nombre = std::move(e.nombre);
        x.tamano = esCarpeta ? 0 : e.tamano;
        x.modificacion = e.modificacion;
        x.creacion = e.creacion;
        x.atributos = e.atributos;
    }
    l.entradas = std::move(entradas);
    return l;
}

namespace mvCache {

std::int64_t Buscar(const std::string& ruta) {
    const auto& t = Tabla();
    for (size_t i = 0; i < t.size(); ++i)
        if (t[i].ruta == ruta) return static_cast<std::int64_t>(i);
    return -1;
}

const ListadoCarpeta& Entrada(std::int64_t indice) { return Tabla().at(static_cast<size_t>(indice)); }

std::int64_t Cantidad() { return static_cast<std::int64_t>(Tabla().size()); }

void Quitar(std::int64_t indice) {
    auto& t = Tabla();
    if (indice < 0 || static_cast<size_t>(indice) >= t.size()) return;
    if (static_cast<size_t>(indice) != t.size() - 1) t[static_cast<size_t>(indice)] = std::move(t.back());
    t.pop_back();
}

void Quitar(const std::string& ruta) { Quitar(Buscar(ruta)); }

void Vaciar() { Tabla().clear(); }

void Vigilada(const std::string& carpeta) {
    Vigilancia& v = Vigiladas()[ConBarra(carpeta)];
    if (v.cuenta++ == 0) v.marca = ++g_ultimaMarca;
}

void Soltada(const std::string& carpeta) {
    auto& todas = Vigiladas();
    const auto it = todas.find(ConBarra(carpeta));
    if (it != todas.end() && --it->second.cuenta <= 0) todas.erase(it);
}

void SetDrenaje(std::function<void()> drenar) { g_drenar = std::move(drenar); }

void Cambio(const std::string& carpeta) {
    auto& todas = Vigiladas();
    const auto it = todas.find(ConBarra(carpeta));
    if (it != todas.end()) it->second.marca = ++g_ultimaMarca;
}

void SetReloj(RelojCache reloj) { g_reloj = reloj ? reloj : RelojSistema; }

bool AlDia(const std::string& carpeta, const std::shared_ptr<const TablaEntradas>& entradas) {
    // Looked up as ListarConCache looks it up.
    const std::int64_t i = Buscar(carpeta);
    if (i < 0 || !entradas) return false;
    if (g_drenar) g_drenar();
    const ListadoCarpeta& l = Tabla()[static_cast<size_t>(i)];
    return l.entradas == entradas && l.vigilancia != 0 && l.vigilancia == MarcaActual(carpeta);
}

const ListadoCarpeta& ListarConCache(const std::string& carpeta, bool ocultarArchivosSistema) {
    const std::int64_t i = Buscar(carpeta);
    if (i >= 0 && g_drenar) g_drenar();
    const std::uint64_t vigilancia = MarcaActual(carpeta);
    auto& t = Tabla();
    if (i >= 0 && vigilancia != 0 && t[static_cast<size_t>(i)].vigilancia == vigilancia)
        return t[static_cast<size_t>(i)];
    const std::int64_t inicio = g_reloj();
    const std::optional<SelloCarpeta> sello = Archivos().Sello(carpeta);
    std::optional<ListadoCarpeta> l;
    if (i >= 0) {
        const ListadoCarpeta& e = t[static_cast<size_t>(i)];
        if (e.confiable && sello && e.sello == sello) l = ReleerDatos(e);
    }
    if (!l) {
        l = EnumerarCarpeta(carpeta, ocultarArchivosSistema);
        l->sello = sello;
        l->confiable = sello && inicio - std::max(sello->modificacion, sello->cambio) > kMargenNs;
    }
    l->vigilancia = vigilancia;
    return Guardar(std::move(*l));
}

const ListadoCarpeta& Guardar(ListadoCarpeta l) {
    auto& t = Tabla();
    const std::int64_t i = Buscar(l.ruta);
    // A stale entry is replaced where it stands, so the cache order stays as it was.
    if (i >= 0) return t[static_cast<size_t>(i)] = std::move(l);
    t.push_back(std::move(l));
    return t.back();
}

}  // namespace mvCache
}  // namespace quirvex
