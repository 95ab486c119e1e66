#include "folder/contenido_visor.h"

#include <algorithm>
#include <cstdint>

#include "folder/cache_listados.h"
#include "folder/filtro.h"
#include "folder/orden.h"
#include "folder/tabla_unidades.h"
#include "folder/texto.h"
#include "platform/dialogos.h"
#include "platform/memoria.h"
#include "platform/sistema_archivos.h"
#include "platform/smb.h"
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

namespace {

// The extension text of a listed entry, as the item shown for it gives it in `Ext`.
std::string ExtDe(const EntradaListado& e) {
    if (e.atributos & ATR_DIRECTORIO) return std::string(1, '\0');
    const auto punto = e.nombre.rfind('.');
    if (punto == std::string::npos) return std::string(1, '\1');
    return Minusculas(std::string_view(e.nombre).substr(punto + 1));
}

// Puts the indices of `indices` in the order the sort gives the items they stand for, with
// the keys CalcularClavesOrden would give those items. The keys are made from the listed
// entries and the sort moves indices, so the items are built once, already in place.
void OrdenarEntradas(const TablaEntradas& entradas, std::vector<std::uint32_t>& indices,
                     int criterio, const std::string& carpeta, bool tamanosAlDia) {
    std::vector<ClaveIndice> claves;
    claves.reserve(indices.size());
    PaginasGrandes(claves.data(), claves.capacity() * sizeof(ClaveIndice));
    claves.resize(indices.size());
    for (size_t k = 0; k < indices.size(); ++k) claves[k].indice = indices[k];
    if (criterio == ORDEN_CREACION || criterio == ORDEN_MODIFICACION) {
        for (ClaveIndice& c : claves) {
            const EntradaListado& e = entradas[c.indice];
            c.numero = criterio == ORDEN_CREACION ? e.creacion : e.modificacion;
        }
        OrdenarClaves(claves, TipoClave::Fechas);
    } else if (criterio == ORDEN_TAMANO) {
        // The sort must see the sizes as they are now. A listing its watch vouches for, or one
        // this load has just read from disk, holds them; otherwise they are read again from
        // disk, all at once through the folder. As
        // numbers they order as their zero-padded texts do; a folder's empty text sorts below
        // every file, so it takes 0 and a file its size plus one.
        std::vector<std::string_view> nombres;
        std::vector<size_t> deArchivo;
        for (size_t k = 0; k < claves.size(); ++k) {
            const EntradaListado& e = entradas[claves[k].indice];
            if (e.atributos & ATR_DIRECTORIO) continue;
            if (tamanosAlDia) {
                claves[k].entero = static_cast<std::uint64_t>(std::max<std::int64_t>(e.tamano, 0)) + 1;
                continue;
            }
            nombres.push_back(e.nombre);
            deArchivo.push_back(k);
        }
        const std::vector<std::int64_t> tamanos =
            nombres.empty() ? std::vector<std::int64_t>() : Archivos().Tamanos(carpeta, nombres);
        for (size_t j = 0; j < deArchivo.size(); ++j)
            claves[deArchivo[j]].entero = static_cast<std::uint64_t>(std::max<std::int64_t>(tamanos[j], 0)) + 1;
        OrdenarClaves(claves, TipoClave::Entero);
    } else {
        std::string bloque;
        std::vector<size_t> fin(claves.size());
        if (criterio == ORDEN_NOMBRE) {
            size_t total = 0;
            for (const ClaveIndice& c : claves) total += entradas[c.indice].nombre.size();
            bloque.reserve(total);
        }
        for (size_t k = 0; k < claves.size(); ++k) {
            const EntradaListado& e = entradas[claves[k].indice];
            if (criterio == ORDEN_EXTENSION) {
                bloque += Minusculas(ExtDe(e));
                bloque += '.';
                bloque += e.nombre;
            } else if (criterio == ORDEN_NOMBRE) {
                bloque += e.nombre;
            }
            fin[k] = bloque.size();
        }
        // Views are taken once the block stops growing.
        for (size_t k = 0, desde = 0; k < claves.size(); desde = fin[k++])
            claves[k].texto = std::string_view(bloque).substr(desde, fin[k] - desde);
        OrdenarClaves(claves, TipoClave::Texto);
    }
    for (size_t k = 0; k < claves.size(); ++k) indices[k] = claves[k].indice;
}

}  // namespace

cContenidoVisor::cContenidoVisor(VistaVisor* vista) : vista_(vista ? vista : &vistaNula_) {}

bool cContenidoVisor::EnMiPC() const { return RutaActual == TextoMiPC(); }
bool cContenidoVisor::EnRed() const { return RutaActual == TEXTO_RED; }
bool cContenidoVisor::EnRecursoRed() const { return EsRutaRed(RutaActual); }
bool cContenidoVisor::DatosAlDia() const { return entradas_ && mvCache::AlDia(RutaActual, entradas_); }

bool cContenidoVisor::CargarContenido(std::string L, bool bloquear) {
    // A key or click handled while this pane's listing waits on the network asks for another
    // load of the same pane: refused, so the one under way finishes on a pane it still knows.
    if (cargando_) return false;
    const Cargando cargando(cargando_);
    ++numeroCarga_;
    VolverHistorialPendiente();  // the listing it replaces never showed
    TerminarCargaRed();
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
    // Only the computer opened from the network list lists its shares; Back, a typed path or
    // a path button leaving the network list loads a folder like anywhere else.
    const ComputadoraRed* equipo = ComputadoraElegida(L);
    L += SepRuta;
    // Only a refresh of the folder already shown keeps the place; any other load starts afresh.
    const bool refresco = refrescando_ && !equipo && L == RutaActual;
    if (!equipo && EsRutaRed(L) && CargarRedAparte(L, refresco, bloquear, false)) return true;
    if (!equipo && !Archivos().Accesible(L)) {
        // A load cut short because the program is quitting has nothing to tell.
        if (!EsperasRedCortadas())
            DialogosSistema().Mensaje("No se pudo cargar el contenido.", Texto(General, 0),
                                      Botones::Aceptar, IconoMensaje::Ninguno);
        return false;
    }
    if (bloquear) vista_->BloquearDibujo();
    if (!equipo) {
        RutaActual = L;
        vista_->VigilarAntesDeListar(L);
        const std::int64_t previa = mvCache::Buscar(L);
        const auto antes = previa >= 0 ? mvCache::Entrada(previa).entradas : nullptr;
        const ListadoCarpeta& l = mvCache::ListarConCache(L, Opciones().HideDesktopIni == 1);
        entradas_ = l.entradas;
        if (entradas_ != antes) recienLeidas_ = entradas_;
        listado_.reset();
        ordenes_ = l.ordenes;
        TotalSize = l.TotalSize;
    } else {
        CargarRecursosRed(*equipo);
        RutaActual = L;
    }
    MostrarCarpeta(L, refresco);
    if (bloquear) vista_->DesbloquearDibujo();
    return true;
}

// The items of the listing just taken, on screen.
void cContenidoVisor::MostrarCarpeta(const std::string& L, bool refresco) {
    AgregarHistorial(L);
    if (refresco)
        vista_->GuardarLugar();
    else
        vista_->ScrollArriba();
    FiltrarYOrdenar();
    recienLeidas_.reset();
    TerminarCarga(L, refresco);
}

void cContenidoVisor::FiltrarYOrdenar() {
    if (!entradas_) {  // the drive and network lists: shown as listed
        entradasItems_.reset();
        FiltrarItems(*listado_, txtFiltro, cboFiltro, Items, nCarpetas, nArchivos);
        std::vector<ClaveOrden> claves = CalcularClavesOrden(Items, Items.size(), CriterioOrden, RutaActual);
        OrdenarItems(Items, claves, Items.size(), CriterioOrden);
        return;
    }
    const TablaEntradas& entradas = *entradas_;
    const PatronComodin patron(txtFiltro);
    const bool ocultos = Opciones().ShowHiddenFiles == 1;
    std::vector<std::uint32_t> pasan;
    pasan.reserve(entradas.size());
    nCarpetas = nArchivos = 0;
    for (size_t i = 0; i < entradas.size(); ++i) {
        if (!ocultos && entradas[i].nombre.starts_with('.')) continue;
        const bool carpeta = entradas[i].EsCarpeta();
        if (!PasaFiltro(patron, cboFiltro, entradas[i].nombre, carpeta)) continue;
        ++(carpeta ? nCarpetas : nArchivos);
        pasan.push_back(static_cast<std::uint32_t>(i));
    }
    // With nothing filtered out the table is the listing itself, so an order found for it
    // before is the order the sort would give now.
    std::vector<std::uint32_t>* conocido = nullptr;
    if (ordenes_ && pasan.size() == entradas.size() && CriterioOrden >= 0 &&
        CriterioOrden < static_cast<int>(ordenes_->porCriterio.size()) && CriterioOrden != ORDEN_TAMANO)
        conocido = &ordenes_->porCriterio[static_cast<size_t>(CriterioOrden)];
    if (!conocido || conocido->size() != entradas.size()) {
        // Sizes read by this very load, or a share's listing (read just now: listing it again
        // would wait on the network here, on the window's thread), are current.
        const bool alDia = CriterioOrden == ORDEN_TAMANO &&
                           (entradas_ == recienLeidas_ || EsRutaRed(RutaActual) ||
                            mvCache::AlDia(RutaActual, entradas_));
        OrdenarEntradas(entradas, pasan, CriterioOrden, RutaActual, alDia);
        if (conocido) *conocido = pasan;
    }
    const std::vector<std::uint32_t>& orden = conocido ? *conocido : pasan;
    if (!ReordenarItems(orden)) {
        Items.clear();
        if (Items.capacity() < orden.size()) {
            Items.reserve(orden.size());
            PaginasGrandes(Items.data(), Items.capacity() * sizeof(ItemCarpeta));
        }
        for (const std::uint32_t i : orden) LlenarItemDeEntrada(Items.emplace_back(), entradas[i]);
    }
    entradasItems_ = entradas_;
    rutaItems_ = RutaActual;
    indicesItems_ = orden;
}

// A new sort of the entries the table already shows: the items move into the new order instead
// of being built again, and each is set back to what a fresh one would hold. False (nothing
// done) when the table was not built from this listing or shows other entries.
bool cContenidoVisor::ReordenarItems(const std::vector<std::uint32_t>& orden) {
    if (!entradas_ || entradasItems_ != entradas_ || rutaItems_ != RutaActual ||
        indicesItems_.size() != Items.size() || orden.size() != Items.size())
        return false;
    const TablaEntradas& entradas = *entradas_;
    constexpr std::uint32_t kNinguno = UINT32_MAX;
    std::vector<std::uint32_t> lugar(entradas.size(), kNinguno);  // entry -> its item's place now
    for (size_t k = 0; k < indicesItems_.size(); ++k) lugar[indicesItems_[k]] = static_cast<std::uint32_t>(k);
    std::vector<std::uint32_t> desde(orden.size());
    for (size_t k = 0; k < orden.size(); ++k) {
        desde[k] = lugar[orden[k]];
        if (desde[k] == kNinguno) return false;
        lugar[orden[k]] = kNinguno;  // each item is taken once
    }
    // Each item moves once, along the cycles of the permutation.
    std::vector<bool> hecho(Items.size(), false);
    for (size_t inicio = 0; inicio < Items.size(); ++inicio) {
        if (hecho[inicio] || desde[inicio] == inicio) continue;
        ItemCarpeta enMano = std::move(Items[inicio]);
        size_t j = inicio;
        for (;;) {
            hecho[j] = true;
            const size_t k = desde[j];
            if (k == inicio) {
                Items[j] = std::move(enMano);
                break;
            }
            Items[j] = std::move(Items[k]);
            j = k;
        }
    }
    for (size_t k = 0; k < Items.size(); ++k) {
        ItemCarpeta& it = Items[k];
        const EntradaListado& e = entradas[orden[k]];
        // A renamed item (SetItemRuta) is made again from the listing, as a rebuild would.
        if (it.Nombre != e.nombre) {
            it = ItemDeEntrada(e);
            continue;
        }
        it.Tamano = (e.atributos & ATR_DIRECTORIO) ? 0 : e.tamano;
        it.PosSeleccion = 0;
        it.BorrarEtiquetas();
    }
    return true;
}

void cContenidoVisor::TerminarCarga(const std::string& ubicacion, bool refresco) {
    if (refresco)
        vista_->RestaurarLugar();
    else
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
ItemCarpeta ItemDeLista(TipoItem tipo, std::int32_t icono, const std::string& nombre,
                        const std::string& ruta, size_t indice) {
    ItemCarpeta it;
    it.Tipo = tipo;
    it.Icono = icono;
    it.Nombre = nombre;
    it.SetRutaPropia(ruta);
    it.Atributos = ATR_DIRECTORIO;
    it.PosLista = static_cast<std::int32_t>(indice);
    return it;
}

}  // namespace

void cContenidoVisor::MostrarMiPC(bool listarUnidades, bool historial) {
    ++numeroCarga_;
    TerminarCargaRed();
    if (listarUnidades) ListarUnidades();
    auto drives = std::make_shared<TablaItems>();
    const auto& tabla = TablaUnidades();
    for (size_t i = 0; i < tabla.size(); ++i)
        drives->push_back(
            ItemDeLista(TIPO_UNIDAD, tabla[i].tipo - 2, tabla[i].etiqueta, tabla[i].raiz, i));
    MostrarLista(TextoMiPC(), std::move(drives), "Unidades disponibles: ", historial);
}

void cContenidoVisor::MostrarRed() {
    if (MostrarRedAparte()) return;
    ListarRed();
    MostrarListaRed();
}

void cContenidoVisor::MostrarListaRed() {
    auto equipos = std::make_shared<TablaItems>();
    for (size_t i = 0; i < ComputadorasRed().size(); ++i) {
        const ComputadoraRed* c = ComputadoraEn(static_cast<std::int64_t>(i));
        equipos->push_back(ItemDeLista(TIPO_RED_COMPUTADORA, 2, c->nombre, RutaComputadora(*c), i));
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
    entradasItems_.reset();
    listado_ = std::move(lista);
    entradas_.reset();
    ordenes_.reset();
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

// The computer whose entry is current in the network list, when `ubicacion` is that entry's
// location (what opening it asks for); nothing otherwise.
const ComputadoraRed* cContenidoVisor::ComputadoraElegida(const std::string& ubicacion) const {
    if (!EnRed()) return nullptr;
    const std::int64_t actual = vista_->ItemActual();
    if (actual < 0 || static_cast<size_t>(actual) >= Items.size()) return nullptr;
    const ItemCarpeta& it = Items[static_cast<size_t>(actual)];
    if (it.Tipo != TIPO_RED_COMPUTADORA || it.PosLista < 0 || it.RutaCompleta(RutaActual) != ubicacion)
        return nullptr;
    return ComputadoraEn(it.PosLista);
}

// Opening a computer from the network list lists its shares as folders.
void cContenidoVisor::CargarRecursosRed(const ComputadoraRed& c) {
    auto recursos = std::make_shared<TablaItems>();
    for (size_t i = 0; i < c.recursos.size(); ++i) {
        ItemCarpeta it;
        it.Tipo = TIPO_CARPETA;
        it.Icono = 2;
        it.Nombre = c.recursos[i];
        it.SetRutaPropia(RutaComputadora(c) + "/" + c.recursos[i]);
        it.Atributos = ATR_DIRECTORIO;
        it.PosLista = static_cast<std::int32_t>(i);
        recursos->push_back(std::move(it));
    }
    TotalSize = 0;
    listado_ = std::move(recursos);
    entradas_.reset();
    ordenes_.reset();
}

void cContenidoVisor::ActualizarContenido() {
    if (!EnMiPC()) mvCache::Quitar(RutaActual);
    refrescando_ = true;
    CargarContenido(RutaActual, true);
    refrescando_ = false;
}

void cContenidoVisor::RefrescarPorCambio() {
    // The pane is on its way to another folder: a change in the one it leaves is no reason to
    // give that up.
    if (cargaRed_.empty()) ActualizarContenido();
}

void cContenidoVisor::QuitarICO(std::int64_t) { ActualizarContenido(); }

void cContenidoVisor::CambiarOrden(int criterio) {
    if (criterio == CriterioOrden) return;
    CriterioOrden = criterio;
    // A listing on its way is sorted the new way when it comes.
    if (!cargaRed_.empty()) return;
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
    it.BorrarEtiquetas();
    // A file or folder of this folder is reached by its full path: the old one names nothing,
    // or worse, a new entry that took the old name. Made from the folder and the new name.
    if (it.Tipo == TIPO_ARCHIVO || it.Tipo == TIPO_CARPETA) it.Textos.Vaciar();
}

std::string cContenidoVisor::GetRutaAFiles(std::int64_t indice) const {
    if (indice < 0 || static_cast<size_t>(indice) >= Items.size()) return {};
    return Items[static_cast<size_t>(indice)].Nombre;
}

std::string cContenidoVisor::GetTipoAFiles(std::int64_t indice) const {
    if (indice < 0 || static_cast<size_t>(indice) >= Items.size()) return {};
    return CodigoTipo(Items[static_cast<size_t>(indice)].Tipo);
}

}  // namespace quirvex
