#include "search/servidor_indice.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>

#include "folder/tabla_unidades.h"
#include "platform/almacen_archivo.h"
#include "platform/unidades.h"

namespace quirvex {
namespace {

constexpr int kPlazoEnvioMs = 250;

std::string CarpetaDeEntorno(const char* variable, const char* sufijoHome) {
    const char* v = std::getenv(variable);
    if (v && v[0] == '/') return std::string(v) + "/";
    const char* home = std::getenv("HOME");
    return std::string(home && home[0] == '/' ? home : "/tmp") + sufijoHome;
}

}  // namespace

struct cServidorIndice::Cliente {
    std::unique_ptr<ConexionLocal> con;
    LectorTramas lector{kMaxDatosAlServidor};
    std::int64_t marco = 0;
    std::int64_t popup = 0;
    std::int64_t tamano = 0;
    std::string texto;
};

std::string ArchivoIndicePorDefecto() {
    return CarpetaDeEntorno("XDG_CACHE_HOME", "/.cache/") + "Ubrel/kartoserv.map";
}

std::vector<std::string> RaicesLocales() {
    ListarUnidades();
    std::vector<std::string> raices;
    for (const RegistroUnidad& u : TablaUnidades())
        if (u.tipo != UNIDAD_REMOTA && !u.raiz.empty()) raices.push_back(u.raiz);
    return raices;
}

cServidorIndice::cServidorIndice(OpcionesServidor op, ArbolIndice& arbol)
    : op_(std::move(op)), arbol_(arbol), despertador_(CrearDespertador()), home_(CarpetaDeEntorno("HOME", "")) {
    if (op_.archivoIndice.empty()) op_.archivoIndice = ArchivoIndicePorDefecto();
    if (op_.rutaEnlace.empty()) op_.rutaEnlace = RutaEnlaceIndice();
    token_ = op_.token ? op_.token : TokenAleatorio();
    do tokenTexto_ = TokenAleatorio();
    while (tokenTexto_ == token_);
    indice_.alRetirarCarpeta = [this](std::uint32_t id) {
        if (id < vigilada_.size() && vigilada_[id] >= 0) {
            vigilante_->Dejar(vigilada_[id]);
            vigilada_[id] = -1;
        }
    };
}

cServidorIndice::~cServidorIndice() {
    // A socket the service manager made stays: it listens on it again for the next start.
    if (escucha_ && !heredada_) QuitarEnlace(op_.rutaEnlace);
}

void cServidorIndice::Log(const std::string& linea) const {
    if (op_.registro) op_.registro(linea);
}

bool cServidorIndice::TomarCerrojos(std::string& error) {
    // The socket's lock lives beside it, the index's beside the file (not "<index>.lock": the
    // file store takes that one for each write).
    const std::string rutas[] = {op_.rutaEnlace + ".lock", op_.archivoIndice + ".server-lock"};
    std::unique_ptr<CerrojoProceso>* cerrojos[] = {&cerrojoEnlace_, &cerrojoIndice_};
    for (int i = 0; i < 2; ++i) {
        if (i == 0 && op_.rutaEnlace.empty()) continue;  // no runtime folder: listening says so
        long long duenno = 0;
        *cerrojos[i] = TomarCerrojo(rutas[i], duenno);
        if (*cerrojos[i]) continue;
        if (duenno < 0) {
            error = "cannot make the lock file " + rutas[i];
            return false;
        }
        otroServidor_ = duenno ? duenno : -1;
        error = "another index server" + (duenno ? " (process " + std::to_string(duenno) + ")" : std::string()) +
                " already serves " + (i == 0 ? op_.rutaEnlace : op_.archivoIndice) + ": nothing to do";
        return false;
    }
    return true;
}

bool cServidorIndice::DebeParar() {
    if (parar_) return true;
    // The signal descriptor is read at most every few milliseconds: the walks ask per folder.
    if (op_.descriptorSenales < 0) return false;
    const std::int64_t ahora = MilisegundosMonotonos();
    if (ahora < proximaSenal_) return false;
    proximaSenal_ = ahora + 20;
    if (LeerSenal(op_.descriptorSenales) == 0) return false;
    Log("termination signal: closing");
    parar_ = true;
    return true;
}

bool cServidorIndice::Preparar(std::string& error) {
    if (!TomarCerrojos(error)) return false;
    indice_.interrumpir = [this] { return DebeParar(); };
    ErrorEscucha e = ErrorEscucha::Ninguno;
    escucha_ = EscuchaHeredada();
    heredada_ = escucha_ != nullptr;
    if (heredada_) Log("listening on the socket the service manager handed over");
    if (!escucha_) escucha_ = EscucharLocal(op_.rutaEnlace, e);
    if (!escucha_) {
        switch (e) {
            case ErrorEscucha::EnUso: error = "another index server answers on " + op_.rutaEnlace; break;
            case ErrorEscucha::OtroUsuario: error = op_.rutaEnlace + " belongs to another user"; break;
            case ErrorEscucha::NoEsSocket:
                error = op_.rutaEnlace + " is in the way: it is one of your own files but not a socket (remove or rename it)";
                break;
            default: error = "cannot listen on '" + op_.rutaEnlace + "' (is XDG_RUNTIME_DIR set?)"; break;
        }
        return false;
    }
    std::vector<std::string> raices = op_.raices.empty() ? RaicesLocales() : op_.raices;
    for (std::string& r : raices)
        if (!r.empty() && r.back() != '/') r += '/';

    if (op_.vigilar) {
        vigilante_ = CrearVigilanteCarpetas(MaxVigilancias());
        indice_.antesDeListar = [this](std::uint32_t id, const std::string& ruta) { return VigilarUna(id, ruta); };
    }
    construyendo_ = true;
    const std::int64_t t0 = MilisegundosMonotonos();
    const std::clock_t c0 = std::clock();
    // Beside the wall time, the processor time: on a busy machine the two part ways.
    auto tiempo = [&] {
        return std::to_string(MilisegundosMonotonos() - t0) + " ms (" +
               std::to_string((std::clock() - c0) * 1000 / CLOCKS_PER_SEC) + " ms of processor time)";
    };
    const LecturaArchivo l = CrearAlmacenArchivo(op_.archivoIndice)->Leer();
    cargado_ = l.estado == LecturaArchivo::Estado::Leido && indice_.Cargar(l.texto) &&
               indice_.Raices() == raices;
    if (cargado_) {
        Log("loaded " + std::to_string(indice_.Nombres()) + " names from " + op_.archivoIndice +
            " in " + tiempo());
    } else {
        if (l.estado != LecturaArchivo::Estado::Ausente)
            Log("index file " + op_.archivoIndice + " is damaged or for other folders: building it again");
        if (!indice_.Construir(raices, arbol_)) {
            error = "stopped before the index was complete; the index file is left as it was";
            Log("stopped during the build after " + tiempo() + "; " + op_.archivoIndice + " is left as it was");
            return false;
        }
        sucio_ = true;
        ultimoCambio_ = 0;  // written at the first quiet moment
        std::string lista;
        for (const std::string& r : raices) lista += " " + r;
        Log("indexed " + std::to_string(indice_.Nombres()) + " names in " +
            std::to_string(indice_.CarpetasVivas()) + " folders under" + lista + " in " +
            tiempo());
    }
    // Watched before anything is listed again: a folder listed before its watch existed stays
    // unconfirmed, and this first look lists again what changed in between.
    VigilarTodo();
    const std::size_t n = indice_.Revisar(arbol_, PorConfirmar(), nullptr);
    if (n) {
        Marcar();
        Log("listed " + std::to_string(n) + " changed folders again");
    }
    proximaRevision_ = MilisegundosMonotonos() + op_.revisarCadaMs;
    return true;
}

void cServidorIndice::VigilarTodo() {
    if (!vigilante_) return;
    std::vector<std::uint32_t> orden;
    const auto& carpetas = indice_.Carpetas();
    for (std::uint32_t id = 0; id < carpetas.size(); ++id)
        if (carpetas[id].viva) orden.push_back(id);
    // The user's home first: its changes are the ones the user looks for.
    std::stable_partition(orden.begin(), orden.end(), [&](std::uint32_t id) {
        return indice_.RutaCarpeta(id).starts_with(home_);
    });
    Vigilar(orden);
    Log("watching " + std::to_string(vigilante_->Cuantas()) + " folders" +
        (vigilante_->Lleno() ? " (watch limit reached; the rest is looked at every " +
                                   std::to_string(op_.revisarCadaMs / 1000) + " s)"
                             : ""));
}

void cServidorIndice::Vigilar(const std::vector<std::uint32_t>& carpetas) {
    if (!vigilante_) return;
    for (std::uint32_t id : carpetas) {
        if (vigilante_->Lleno()) break;
        const auto& c = indice_.Carpetas()[id];
        if (c.viva && !c.ajena) VigilarUna(id, indice_.RutaCarpeta(id));
    }
}

bool cServidorIndice::VigilarUna(std::uint32_t id, const std::string& ruta) {
    if (!vigilante_) return false;
    if (vigilada_.size() <= id) vigilada_.resize(std::max<std::size_t>(id + 1, indice_.Carpetas().size()), -1);
    if (vigilada_[id] >= 0) return true;
    if (vigilante_->Lleno()) return false;
    // While the first build runs, half the watches are kept for the user's home, which the
    // breadth-first walk reaches late.
    if (construyendo_ && 2 * vigilante_->Cuantas() >= MaxVigilancias() && !ruta.starts_with(home_)) return false;
    std::uint32_t anterior = VigilanteCarpetas::kSinEtiqueta;
    const int wd = vigilante_->Vigilar(ruta, id, anterior);
    if (wd < 0) return false;
    // The same folder under a new name: the watch is the new record's now, and the old one
    // is left to the rescans.
    if (anterior < vigilada_.size() && anterior != id) vigilada_[anterior] = -1;
    vigilada_[id] = wd;
    return true;
}

std::function<bool(std::uint32_t)> cServidorIndice::PorConfirmar() const {
    return [this](std::uint32_t id) {
        return id >= vigilada_.size() || vigilada_[id] < 0 || !indice_.Carpetas()[id].confirmada;
    };
}

std::size_t cServidorIndice::MaxVigilancias() const {
    // Half of the user's limit: the file manager's own panes and other programs share it.
    const std::size_t limite = LimiteVigilancias();
    return limite ? limite / 2 : 4096;
}

void cServidorIndice::Marcar() {
    sucio_ = true;
    ultimoCambio_ = MilisegundosMonotonos();
}

void cServidorIndice::Guardar() {
    const std::string imagen = indice_.Serializar();
    const bool ok = CrearAlmacenArchivo(op_.archivoIndice)->Actualizar([&](const LecturaArchivo&) {
        CambioArchivo c;
        c.nuevoTexto = imagen;
        return c;
    });
    if (ok) {
        sucio_ = false;
        Log("saved " + std::to_string(indice_.Nombres()) + " names (" + std::to_string(imagen.size()) +
            " bytes) to " + op_.archivoIndice);
    } else {
        ultimoCambio_ = MilisegundosMonotonos();  // try again later
        Log("cannot write " + op_.archivoIndice);
    }
}

void cServidorIndice::Detener() {
    parar_ = true;
    despertador_->Avisar();
}

void cServidorIndice::Ejecutar(int descriptorSenales) {
    if (descriptorSenales >= 0) op_.descriptorSenales = descriptorSenales;
    while (!DebeParar()) {
        std::vector<int> fds{escucha_->Descriptor(), despertador_->Descriptor()};
        if (op_.descriptorSenales >= 0) fds.push_back(op_.descriptorSenales);
        if (vigilante_ && vigilante_->Descriptor() >= 0) fds.push_back(vigilante_->Descriptor());
        for (const auto& c : clientes_) fds.push_back(c->con->Descriptor());
        const std::int64_t ahora = MilisegundosMonotonos();
        std::int64_t espera = proximaRevision_ - ahora;
        if (sucio_) espera = std::min<std::int64_t>(espera, ultimoCambio_ + op_.guardarTrasMs - ahora);
        const std::vector<int> listos = EsperarDescriptores(fds, static_cast<int>(std::clamp<std::int64_t>(espera, 0, 60000)));
        auto listo = [&](int fd) { return std::find(listos.begin(), listos.end(), fd) != listos.end(); };

        if (listo(despertador_->Descriptor())) despertador_->Limpiar();
        if (op_.descriptorSenales >= 0 && listo(op_.descriptorSenales)) {
            proximaSenal_ = 0;
            if (DebeParar()) break;
        }
        if (vigilante_ && listo(vigilante_->Descriptor())) CambiosVigilados();
        clientes_.erase(std::remove_if(clientes_.begin(), clientes_.end(),
                                       [&](const std::unique_ptr<Cliente>& c) {
                                           return listo(c->con->Descriptor()) && !Atender(*c);
                                       }),
                        clientes_.end());
        if (listo(escucha_->Descriptor())) Aceptar();

        const std::int64_t despues = MilisegundosMonotonos();
        if (despues >= proximaRevision_) {
            std::vector<std::uint32_t> nuevas;
            const std::size_t n = indice_.Revisar(arbol_, PorConfirmar(), &nuevas);
            if (n) {
                Marcar();
                Vigilar(nuevas);
                Log("looked at the unwatched folders: " + std::to_string(n) + " listed again");
            }
            proximaRevision_ = despues + op_.revisarCadaMs;
        }
        if (sucio_ && despues >= ultimoCambio_ + op_.guardarTrasMs) Guardar();
    }
    const std::string adios = CodificarTrama(MSG_AVISO_SERVIDOR, -1);
    for (const auto& c : clientes_) c->con->Enviar(adios, kPlazoEnvioMs);
    clientes_.clear();
    if (sucio_) Guardar();
}

void cServidorIndice::CambiosVigilados() {
    bool desbordado = false;
    std::vector<std::uint32_t> terminadas;
    std::vector<std::uint32_t> cambiadas = vigilante_->Leer(desbordado, terminadas);
    for (std::uint32_t id : terminadas)
        if (id < vigilada_.size()) vigilada_[id] = -1;
    std::sort(cambiadas.begin(), cambiadas.end());
    cambiadas.erase(std::unique(cambiadas.begin(), cambiadas.end()), cambiadas.end());
    std::vector<std::uint32_t> nuevas;
    if (desbordado) {
        Log("the system dropped change events: looking at every folder");
        indice_.Revisar(arbol_, {}, &nuevas);
    }
    // Parents before children (ids rise downwards): a folder that a parent's new listing drops
    // is gone before its own turn comes, and ReleerCarpeta passes over it.
    for (std::uint32_t id : cambiadas) indice_.ReleerCarpeta(id, arbol_, &nuevas);
    if (!cambiadas.empty() || desbordado) Marcar();
    Vigilar(nuevas);
}

void cServidorIndice::Aceptar() {
    while (auto con = escucha_->Aceptar()) {
        if (!con->Enviar(CodificarTrama(MSG_SALUDO, token_), kPlazoEnvioMs)) continue;
        auto c = std::make_unique<Cliente>();
        c->con = std::move(con);
        clientes_.push_back(std::move(c));
    }
}

bool cServidorIndice::Atender(Cliente& c) {
    std::string llegado;
    const bool abierta = c.con->Recibir(llegado);
    c.lector.Agregar(llegado.data(), llegado.size());
    while (auto t = c.lector.Siguiente())
        if (!Manejar(c, *t)) return false;
    if (c.lector.Error()) {
        Log("a client sent a frame longer than allowed: disconnected");
        return false;
    }
    return abierta;
}

bool cServidorIndice::Manejar(Cliente& c, const TramaIndice& t) {
    if (alRecibir) alRecibir(t);
    if (!MensajeDeCliente(t.mensaje)) {
        Log("a client sent message " + std::to_string(t.mensaje) + ": disconnected");
        return false;
    }
    switch (t.mensaje) {
        case MSG_REGISTRAR:
            c.marco = t.wParam;
            return c.con->Enviar(CodificarTrama(MSG_TEXTO_SERVIDOR, tokenTexto_), kPlazoEnvioMs);
        case MSG_VENTANA_POPUP: c.popup = t.wParam; return true;
        case MSG_TAMANO_POPUP: c.tamano = t.wParam; return true;
        case MSG_CANCELAR: c.texto.clear(); return true;
        case MSG_SETTEXT:
            // A text for a window that is not ours has no effect.
            if (t.wParam == tokenTexto_) c.texto = t.datos;
            return true;
        case MSG_BUSCAR:
            if (c.popup == 0 || c.texto.empty()) return true;
            return c.con->Enviar(CodificarTrama(MSG_RESULTADOS, c.popup, CodificarResultados(Resultados(c.texto))),
                                 kPlazoEnvioMs);
        default: return true;
    }
}

ResultadosIndice cServidorIndice::Resultados(const std::string& texto) const {
    ResultadosIndice r;
    r.texto = texto;
    std::vector<std::uint32_t> aciertos;
    r.total = indice_.Buscar(texto, op_.maxAciertos, aciertos);
    r.aciertos.reserve(aciertos.size());
    for (std::uint32_t e : aciertos) {
        AciertoIndice a;
        a.nombre = indice_.Nombre(e);
        a.carpeta = indice_.RutaCarpeta(indice_.CarpetaDe(e));
        a.esCarpeta = indice_.EsCarpeta(e);
        a.tamano = a.esCarpeta ? -1 : arbol_.Tamano(a.carpeta + a.nombre);
        r.aciertos.push_back(std::move(a));
    }
    return r;
}

}  // namespace quirvex
