#pragma once
// cContenidoVisor: what one pane shows — its location, item table, counts, filter, sort mode and
// history — and the one way to change it, CargarContenido. The pane window owns one and
// implements VistaVisor, through which loading asks for redraws; the core never paints.
// Single-threaded: call from the user-interface thread only.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "folder/item_carpeta.h"

namespace quirvex {

struct ComputadoraRed;
struct OrdenesListado;
struct EntradaListado;

// What a load needs from the window that shows the pane. Every call has a do-nothing default so
// tests and headless users implement only what they watch.
class VistaVisor {
public:
    virtual ~VistaVisor() = default;
    virtual void BloquearDibujo() {}
    virtual void DesbloquearDibujo() {}
    virtual void ScrollArriba() {}
    virtual void DeseleccionarTodo() {}
    // A refresh of the shown folder keeps the user's place: read before the items are listed
    // again, put back (by name, where the names still exist) instead of DeseleccionarTodo.
    virtual void GuardarLugar() {}
    // The folder is about to be listed: the window watches it first, so no change made while
    // the listing is read goes unseen.
    virtual void VigilarAntesDeListar(const std::string& /*carpeta*/) {}
    virtual void RestaurarLugar() { DeseleccionarTodo(); }
    virtual void DibujarNombreCarpeta() {}
    // The window updates the tab caption when this pane is the active one of the active tab.
    virtual void ActualizarTituloTab() {}
    virtual void RedibujarTodo() {}
    virtual void SetEstadoAtrasAdelante(int /*boton*/, bool /*habilitado*/) {}
    virtual void ActualizarAtrasAdelante() {}
    // Index of the current item, -1 when there is none.
    virtual std::int64_t ItemActual() const { return -1; }
    // A listing is on its way from the network: the pane shows it waits, and goes on answering.
    virtual void EsperandoListado(bool /*esperando*/) {}
};

class cContenidoVisor {
public:
    explicit cContenidoVisor(VistaVisor* vista = nullptr);

    // Loads a location (empty = the current one) into the pane. False when the folder cannot
    // be opened: the user is told and nothing in the pane changes. A share, a host or the
    // network list is listed off the window's thread when the window takes answers that way
    // (EntregarEnVentana): this returns at once and the pane fills in when the listing comes;
    // a later load of the pane, or its end, drops that answer.
    bool CargarContenido(std::string ubicacion, bool bloquear);
    // The location whose listing is on its way from the network; empty when none is.
    const std::string& CargaRedEnCurso() const { return cargaRed_; }
    // Lists the shown folder again from disk (a change seen in it, or the refresh command),
    // keeping the current item, the selection and the scroll position.
    void ActualizarContenido();
    // What a change in the shown folder asks for (the watch, a command's own change).
    void RefrescarPorCambio();
    void QuitarICO(std::int64_t indice);
    // Sets the sort mode and reloads; choosing the current mode again does nothing.
    void CambiarOrden(int criterio);

    std::int64_t GetIndexItem(const std::string& nombre) const;
    void SetItemRuta(std::int64_t indice, const std::string& nombre);
    std::string GetRutaAFiles(std::int64_t indice) const;
    std::string GetTipoAFiles(std::int64_t indice) const;

    // History.
    void AgregarHistorial(const std::string& ubicacion);
    std::string Historial(std::int64_t posicion) const;
    std::int64_t UboundHistorial() const;
    std::int64_t IndexHistorial() const { return indexHistorial_; }
    void GoHistorial(std::int64_t posicion);
    // The Backspace / "Up one level" move: nothing at My PC, My PC from "/", else the parent.
    void SubirNivel();
    void SubirUnNivel();
    void GoDefaultFolder(const std::string& ubicacion);

    bool EnMiPC() const;
    bool EnRed() const;
    // Inside a share or a host's list: everything the pane shows is on another machine, so
    // nothing is looked up again for it outside a load or a command.
    bool EnRecursoRed() const;
    // Whether the watch of the shown folder vouches for the sizes and times its items hold
    // (see mvCache::AlDia); reads what the watcher has waiting.
    bool DatosAlDia() const;
    std::int64_t nMostrados() const { return nCarpetas + nArchivos; }

    std::string RutaActual;
    std::string txtFiltro;
    int cboFiltro = 0;
    TablaItems Items;
    std::int64_t nCarpetas = 0;
    std::int64_t nArchivos = 0;
    std::int64_t TotalSize = 0;
    int CriterioOrden = 0;
    std::string NombreCarpeta;
    int IconoCarpeta = 7;
    std::string TextoEstado;  // status text of the drive and network lists

private:
    void MostrarMiPC(bool listarUnidades, bool historial);
    void MostrarRed();
    void MostrarLista(const std::string& ubicacion, std::shared_ptr<TablaItems> lista,
                      const char* estado, bool historial);
    const ComputadoraRed* ComputadoraElegida(const std::string& ubicacion) const;
    void CargarRecursosRed(const ComputadoraRed& computadora);
    void TerminarCarga(const std::string& ubicacion, bool refresco);
    void PrepararEncabezado(const std::string& ubicacion);

    void MostrarCarpeta(const std::string& ubicacion, bool refresco);
    // Listing off the window's thread (carga_red.cpp).
    struct ListadoRed;
    bool CargarRedAparte(const std::string& ubicacion, bool refresco, bool bloquear, bool otraVez);
    void LlegoListadoRed(const std::string& ubicacion, bool refresco, bool bloquear, bool otraVez,
                         ListadoRed& listado);
    bool MostrarRedAparte();
    void MostrarListaRed();
    void EmpezarCargaRed(const std::string& ubicacion);
    void TerminarCargaRed();

    VistaVisor* vista_;
    VistaVisor vistaNula_;
    // Every load takes the next number: an answer from the network that comes for an older
    // one is dropped, and one that comes after the pane's end finds its token gone.
    std::uint64_t numeroCarga_ = 0;
    std::shared_ptr<char> vida_ = std::make_shared<char>();
    std::string cargaRed_;
    // Set while a load runs: a network listing lets the window's events run meanwhile.
    bool cargando_ = false;
    // Marks a load under way for as long as it lives.
    struct Cargando {
        explicit Cargando(bool& b) : cargando(b) { cargando = true; }
        ~Cargando() { cargando = false; }
        Cargando(const Cargando&) = delete;
        Cargando& operator=(const Cargando&) = delete;
        bool& cargando;
    };
    bool refrescando_ = false;  // set by ActualizarContenido for its load
    void FiltrarYOrdenar();

    // Where Items comes from: a folder's cached entries, or the drive or network list.
    std::shared_ptr<const std::vector<EntradaListado>> entradas_;
    std::shared_ptr<const TablaItems> listado_;
    std::shared_ptr<OrdenesListado> ordenes_;  // the folder's known sort orders
    // The listing this load read from disk, set until it is shown: its sizes are as current as
    // a second reading would make them.
    std::shared_ptr<const std::vector<EntradaListado>> recienLeidas_;
    // What Items was last built from: the listing, the folder and each item's entry index.
    bool ReordenarItems(const std::vector<std::uint32_t>& orden);
    std::shared_ptr<const std::vector<EntradaListado>> entradasItems_;
    std::string rutaItems_;
    std::vector<std::uint32_t> indicesItems_;
    std::vector<std::string> historial_;
    std::int64_t indexHistorial_ = 0;
    // Where the history stood before a move back or forward whose listing is still on its way
    // (-1: none): a listing that fails, or that another load replaces, never showed, so the
    // position goes back there.
    std::int64_t historialAntes_ = -1;
    void VolverHistorialPendiente();
};

// While one lives, a load waits for a network listing in place, through the one waiting place
// (EsperarRed) with its time limit: for a command that goes on with what the load shows (select
// the folder it just made, show a found item).
class CargaEnEspera {
public:
    CargaEnEspera();
    ~CargaEnEspera();
    CargaEnEspera(const CargaEnEspera&) = delete;
    CargaEnEspera& operator=(const CargaEnEspera&) = delete;
    static bool Activa();
};

// Location texts.
std::string QuitarBarraFinal(const std::string& ruta);
std::string UltimoComponente(const std::string& ruta);

}  // namespace quirvex
