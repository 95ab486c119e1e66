// A pane's loads that wait on the network (a share folder, a host's shares, the network list)
// without the window waiting: the listing is read on a thread of its own, with the network's
// time limit, and the pane takes it when it comes back through the window's event loop. Until
// then the pane shows what it had and answers keys; a load started meanwhile supersedes this one.

#include "folder/cache_listados.h"
#include "folder/contenido_visor.h"
#include "folder/tabla_unidades.h"
#include "platform/archivos_red.h"
#include "platform/dialogos.h"
#include "platform/llamada_plazo.h"
#include "platform/smb.h"
#include "settings/idioma.h"
#include "settings/opciones.h"

namespace quirvex {

namespace {
int g_cargasEnEspera = 0;  // the window's thread only
}  // namespace

CargaEnEspera::CargaEnEspera() { ++g_cargasEnEspera; }
CargaEnEspera::~CargaEnEspera() { --g_cargasEnEspera; }
bool CargaEnEspera::Activa() { return g_cargasEnEspera > 0; }

struct cContenidoVisor::ListadoRed {
    int codigo = 0;
    std::vector<EntradaDirectorio> entradas;
};

void cContenidoVisor::EmpezarCargaRed(const std::string& ubicacion) {
    cargaRed_ = ubicacion;
    vista_->EsperandoListado(true);
}

void cContenidoVisor::TerminarCargaRed() {
    if (cargaRed_.empty()) return;
    cargaRed_.clear();
    vista_->EsperandoListado(false);
}

// False when no window takes answers: the caller loads in place.
bool cContenidoVisor::CargarRedAparte(const std::string& L, bool refresco, bool bloquear, bool otraVez) {
    if (CargaEnEspera::Activa()) return false;
    const std::uint64_t numero = numeroCarga_;
    const bool empezada = LlamarAparte<ListadoRed>(
        [L] {
            ListadoRed r;
            r.codigo = ListarRecursoRed(L, r.entradas);
            return r;
        },
        [this, vida = std::weak_ptr<char>(vida_), numero, L, refresco, bloquear, otraVez](ListadoRed r) {
            if (vida.expired() || numero != numeroCarga_) return;
            LlegoListadoRed(L, refresco, bloquear, otraVez, r);
        });
    if (empezada) EmpezarCargaRed(L);
    return empezada;
}

void cContenidoVisor::LlegoListadoRed(const std::string& L, bool refresco, bool bloquear, bool otraVez,
                                      ListadoRed& r) {
    if (r.codigo != 0 && Smb().EsAccesoDenegado(r.codigo)) {
        // The login dialog lets events run: the pane may have gone elsewhere meanwhile.
        const std::uint64_t numero = numeroCarga_;
        const std::weak_ptr<char> vida = vida_;
        const bool login = PedirLoginRed(L, otraVez);
        if (vida.expired() || numero != numeroCarga_) return;
        if (login && CargarRedAparte(L, refresco, bloquear, true)) return;
    }
    TerminarCargaRed();
    if (r.codigo != 0) {
        VolverHistorialPendiente();
        // A load cut short because the program is quitting has nothing to tell.
        if (!EsperasRedCortadas())
            DialogosSistema().Mensaje("No se pudo cargar el contenido.", Texto(General, 0), Botones::Aceptar,
                                      IconoMensaje::Ninguno);
        // A pane that never showed anything (a tab opened on that share) shows the drives.
        if (RutaActual.empty()) MostrarMiPC(true, true);
        return;
    }
    // No load in place can be under way here: it would have taken a new number. Events that
    // run while this one fills the pane (a nested wait) may not start another.
    if (cargando_) return;
    const Cargando cargando(cargando_);
    historialAntes_ = -1;  // the move back or forward arrived
    const bool mismaCarpeta = refresco && L == RutaActual;
    if (bloquear) vista_->BloquearDibujo();
    vista_->VigilarAntesDeListar(L);  // lets go of the watch of the folder shown before
    const ListadoCarpeta& l =
        mvCache::Guardar(ListadoDeEntradas(L, r.entradas, Opciones().HideDesktopIni == 1));
    RutaActual = L;
    entradas_ = l.entradas;
    listado_.reset();
    ordenes_ = l.ordenes;
    TotalSize = l.TotalSize;
    MostrarCarpeta(L, mismaCarpeta);
    if (bloquear) vista_->DesbloquearDibujo();
}

bool cContenidoVisor::MostrarRedAparte() {
    if (CargaEnEspera::Activa()) return false;
    const std::uint64_t numero = numeroCarga_;
    const bool empezada = LlamarAparte<std::vector<GrupoRed>>(
        [] { return RedSistema().Listar(); },
        [this, vida = std::weak_ptr<char>(vida_), numero](std::vector<GrupoRed> arbol) {
            if (vida.expired() || numero != numeroCarga_) return;
            TerminarCargaRed();
            historialAntes_ = -1;
            FijarRed(std::move(arbol));
            MostrarListaRed();
        });
    if (empezada) EmpezarCargaRed(TEXTO_RED);
    return empezada;
}

}  // namespace quirvex
