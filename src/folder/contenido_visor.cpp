#include "folder/contenido_visor.h"

#include "folder/cache_listados.h"
#include "folder/filtro.h"
#include "folder/orden.h"
#include "folder/tabla_unidades.h"
#include "platform/dialogos.h"
#include "platform/sistema_archivos.h"
#include "settings/idioma.h"
#include "settings/opciones.h"

namespace quirvex {
namespace {

// One folder, one spelling: "/a//b//" is the folder "/a/b/" and must not become a second
// listing-cache entry and a second history entry. A leading "//host" (a network share) keeps
// its two separators.
std::string SinSeparadoresRepetidos(const std::string& ruta) {
    std::string r;
    r.reserve(ruta.size());
    for (std::size_t k = 0; k < ruta.size(); ++k) {
        const bool repetido = k > 0 && ruta[k] == SepRuta && ruta[k - 1] == SepRuta;
        const bool red = k == 1 && ruta.size() > 2 && ruta[2] != SepRuta;
        if (!repetido || red) r += ruta[k];
    }
    return r;
}

}  // namespace

std::string QuitarBarraFinal(const std::string& ruta) {
    return !ruta.empty() && ruta.back() == SepRuta ? ruta.substr(0, ruta.size() - 1) : ruta;
}

std::string UltimoComponente(const std::string& ruta) {
    const std::string sin = QuitarBarraFinal(ruta);
    if (sin.empty()) return std::string(1, SepRuta);
    const auto barra = sin.rfind(SepRuta);
    return barra == std::string::npos ? sin : sin.substr(barra + 1);
}

cContenidoVisor::cContenidoVisor(VistaVisor* vista) : vista_(vista ? vista : &vistaNula_) {}

bool cContenidoVisor::EnMiPC() const { return RutaActual == TextoMiPC(); }
bool cContenidoVisor::EnRed() const { return RutaActual == TEXTO_RED; }

bool cContenidoVisor::CargarContenido(std::string L, bool bloquear) {
    if (L.empty()) L = RutaActual;
    L = QuitarBarraFinal(SinSeparadoresRepetidos(L));
    if (L == TextoMiPC()) {
        MostrarMiPC(true, true);
        return true;
    }
    if (L == TEXTO_RED) {
        MostrarRed();
        return true;
    }
    L += SepRuta;
    const bool desdeRed = EnRed();
    if (!desdeRed && !Archivos().Accesible(L)) {
        DialogosSistema().Mensaje("No se pudo cargar el contenido.", Texto(General, 0),
                                  Botones::Aceptar);
        return false;
    }
    if (bloquear) vista_->BloquearDibujo();
    if (!desdeRed) {
        RutaActual = L;
        const ListadoCarpeta& l = mvCache::ListarConCache(L, Opciones().HideDesktopIni == 1);
        listado_ = l.items;
        TotalSize = l.TotalSize;
    } else {
        CargarRecursosRed();
        RutaActual = L;
    }
    AgregarHistorial(L);
    vista_->ScrollArriba();
    FiltrarItems(*listado_, txtFiltro, cboFiltro, Items, nCarpetas, nArchivos);
    CalcularClavesOrden(Items, Items.size(), CriterioOrden, RutaActual);
    OrdenarItems(Items, Items.size(), CriterioOrden);
    TerminarCarga(L);
    if (bloquear) vista_->DesbloquearDibujo();
    return true;
}

void cContenidoVisor::TerminarCarga(const std::string& ubicacion) {
    vista_->DeseleccionarTodo();
    PrepararEncabezado(ubicacion);
    vista_->DibujarNombreCarpeta();
    vista_->ActualizarTituloTab();
    vista_->RedibujarTodo();
}

void cContenidoVisor::PrepararEncabezado(const std::string& ubicacion) {
    const auto unidad = IndiceUnidad(ubicacion);
    if (unidad >= 0) {
        const RegistroUnidad& u = TablaUnidades()[static_cast<size_t>(unidad)];
        NombreCarpeta = u.etiqueta;
        IconoCarpeta = u.tipo - 1;
    } else {
        NombreCarpeta = UltimoComponente(ubicacion);
        IconoCarpeta = 7;
    }
}

namespace {

// An entry of the drive or network lists: a folder-like item that knows its place in the table.
ItemCarpeta ItemDeLista(const char* tipo, std::int32_t icono, const std::string& nombre,
                        const std::string& ruta, size_t indice) {
    ItemCarpeta it;
    it.Tipo = tipo;
    it.Icono = icono;
    it.Nombre = it.NombreMostrar = nombre;
    it.RutaCompleta = ruta;
    it.Atributos = ATR_DIRECTORIO;
    it.Extension = static_cast<std::int32_t>(indice);
    return it;
}

}  // namespace

void cContenidoVisor::MostrarMiPC(bool listarUnidades, bool historial) {
    if (listarUnidades) ListarUnidades();
    auto drives = std::make_shared<TablaItems>();
    const auto& tabla = TablaUnidades();
    for (size_t i = 0; i < tabla.size(); ++i)
        drives->push_back(
            ItemDeLista(TIPO_UNIDAD, tabla[i].tipo - 2, tabla[i].etiqueta, tabla[i].raiz, i));
    MostrarLista(TextoMiPC(), std::move(drives), "Unidades disponibles: ", historial);
}

void cContenidoVisor::MostrarRed() {
    ListarRed();
    auto equipos = std::make_shared<TablaItems>();
    for (size_t i = 0; i < ComputadorasRed().size(); ++i) {
        const ComputadoraRed* c = ComputadoraEn(static_cast<std::int64_t>(i));
        equipos->push_back(ItemDeLista(TIPO_RED_COMPUTADORA, 2, c->nombre, "//" + c->nombre, i));
    }
    MostrarLista(TEXTO_RED, std::move(equipos), "Computadoras disponibles: ", true);
}

// Shows the drive or network list: every entry counts as a folder, nothing is filtered.
void cContenidoVisor::MostrarLista(const std::string& ubicacion,
                                   std::shared_ptr<TablaItems> lista, const char* estado,
                                   bool historial) {
    if (historial) AgregarHistorial(ubicacion);
    vista_->ScrollArriba();
    Items = *lista;
    listado_ = std::move(lista);
    RutaActual = ubicacion;
    nCarpetas = static_cast<std::int64_t>(Items.size());
    nArchivos = 0;
    TotalSize = 0;
    TextoEstado = estado + std::to_string(Items.size());
    vista_->DeseleccionarTodo();
    NombreCarpeta = ubicacion;
    IconoCarpeta = 7;
    vista_->DibujarNombreCarpeta();
    vista_->ActualizarTituloTab();
    vista_->RedibujarTodo();
}

// Opening a computer from the network list lists its shares as folders.
bool cContenidoVisor::CargarRecursosRed() {
    auto recursos = std::make_shared<TablaItems>();
    const std::int64_t actual = vista_->ItemActual();
    const ComputadoraRed* c = nullptr;
    if (actual >= 0 && static_cast<size_t>(actual) < Items.size()) {
        if (const auto* pos = std::get_if<std::int32_t>(&Items[static_cast<size_t>(actual)].Extension))
            c = ComputadoraEn(*pos);
    }
    if (c) {
        for (size_t i = 0; i < c->recursos.size(); ++i) {
            ItemCarpeta it;
            it.Tipo = TIPO_CARPETA;
            it.Icono = 2;
            it.Nombre = it.NombreMostrar = c->recursos[i];
            it.RutaCompleta = "//" + c->nombre + "/" + c->recursos[i];
            it.Atributos = ATR_DIRECTORIO;
            it.Ext = std::string(1, '\0');
            it.Extension = static_cast<std::int32_t>(i);
            recursos->push_back(std::move(it));
        }
    }
    TotalSize = 0;
    listado_ = std::move(recursos);
    return c != nullptr;
}

void cContenidoVisor::ActualizarContenido() {
    if (!EnMiPC()) mvCache::Quitar(RutaActual);
    CargarContenido(RutaActual, true);
}

void cContenidoVisor::QuitarICO(std::int64_t) { ActualizarContenido(); }

void cContenidoVisor::CambiarOrden(int criterio) {
    if (criterio == CriterioOrden) return;
    CriterioOrden = criterio;
    CargarContenido(std::string(), true);
}

std::int64_t cContenidoVisor::GetIndexItem(const std::string& nombre) const {
    for (size_t i = 0; i < Items.size(); ++i)
        if (Items[i].Nombre == nombre) return static_cast<std::int64_t>(i);
    return -1;
}

void cContenidoVisor::SetItemRuta(std::int64_t indice, const std::string& nombre) {
    if (indice < 0 || static_cast<size_t>(indice) >= Items.size()) return;
    ItemCarpeta& it = Items[static_cast<size_t>(indice)];
    it.Nombre = nombre;
    it.TextoIcono.clear();
    it.TextoLinea.clear();
    // A file or folder of this folder is reached by its full path: the old one names nothing,
    // or worse, a new entry that took the old name.
    if ((it.Tipo == TIPO_ARCHIVO || it.Tipo == TIPO_CARPETA) && !it.RutaCompleta.empty())
        it.RutaCompleta = RutaActual + nombre;
}

std::string cContenidoVisor::GetRutaAFiles(std::int64_t indice) const {
    if (indice < 0 || static_cast<size_t>(indice) >= Items.size()) return {};
    return Items[static_cast<size_t>(indice)].Nombre;
}

std::string cContenidoVisor::GetTipoAFiles(std::int64_t indice) const {
    if (indice < 0 || static_cast<size_t>(indice) >= Items.size()) return {};
    return Items[static_cast<size_t>(indice)].Tipo;
}

}  // namespace quirvex
