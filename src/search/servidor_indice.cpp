#include "search/servidor_indice.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <ctime>

#include "folder/tabla_unidades.h"
#include "platform/almacen_archivo.h"
#include "platform/unidades.h"
#include "search/busqueda.h"

namespace quirvex {
namespace {

constexpr int kPlazoEnvioMs = 250;
// A 107 is sent in frames of at most this many hits, each slice of it takes at most about this
// long, and the next slice is made only when the client's queue is below this size.
constexpr std::size_t kAciertosPorTrama = 2000;
constexpr std::int64_t kRebanadaMs = 10;
constexpr std::size_t kColaParaSeguir = 256 * 1024;
// A listening socket that stays readable while nothing can be taken (out of file descriptors)
// is left alone this long instead of being tried again at once.
constexpr std::int64_t kPausaEscuchaMs = 1000;
// How often the slow work stops to serve the clients.
constexpr std::int64_t kAtencionEntreCarpetasMs = 10;
// Threads that look up the sizes of hits: a disk slow to answer one query leaves another.
constexpr std::size_t kHilosTamanos = 2;
// A query's sizes are split among those threads in pieces of at least this many hits: a status
// call each, a path walk each, a hundred of them cost more than most searches.
constexpr std::size_t kAciertosPorPieza = 16;

std::string CarpetaDeEntorno(const char* variable, const char* sufijoHome) {
    const char* v = std::getenv(variable);
    if (v && v[0] == '/') return std::string(v) + "/";
    const char* home = std::getenv("HOME");
    return std::string(home && home[0] == '/' ? home : "/tmp") + sufijoHome;
}

// Marks the slow work for as long as it runs.
class Ocupado {
public:
    explicit Ocupado(bool& marca) : marca_(marca) { marca_ = true; }
    ~Ocupado() { marca_ = false; }
    Ocupado(const Ocupado&) = delete;
    Ocupado& operator=(const Ocupado&) = delete;

private:
    bool& marca_;
};

}  // namespace

struct cServidorIndice::BusquedaTodo {
    std::int64_t id = 0;
    std::string texto;
    PatronBusqueda patron;
    std::vector<std::uint32_t> pila;  // folders still to look in
};

struct cServidorIndice::Cliente {
    std::uint64_t serie = 0;  // who an answer from another thread is for
    std::unique_ptr<ConexionLocal> con;
    LectorTramas lector{kMaxDatosAlServidor};
    std::int64_t marco = 0;
    std::int64_t popup = 0;
    std::int64_t tamano = 0;
    std::string texto;
    std::string porEnviar;
    std::unique_ptr<BusquedaTodo> todo;
    bool esperando = false;  // for the sizes of its query's hits
    bool fuera = false;      // done: dropped at the next look
    bool QuiereEscribir() const { return !porEnviar.empty(); }
    bool PuedeSeguir() const { return todo && !esperando && porEnviar.size() < kColaParaSeguir; }
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
    if (op_.limiteBuffer) indice_.limiteBuffer = op_.limiteBuffer;
    auto avisar = [d = despertador_.get()] { d->Avisar(); };
    escritor_ = std::make_unique<cTrabajosFondo>(1, avisar);
    tamanos_ = std::make_unique<cTrabajosFondo>(kHilosTamanos, avisar);
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
    if (ocupado_) AtenderEntreCarpetas();
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
    Ocupado ocupado(ocupado_);
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
    construyendo_ = false;
    CambiarEstado(ESTADO_LISTO);
    AvisarDescartados();
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
    AvisarDescartados();
}

void cServidorIndice::AvisarDescartados() {
    const std::size_t n = indice_.Descartados();
    if (n == descartadosDichos_) return;
    Log(std::to_string(n - descartadosDichos_) + " names left out of the index: its name buffer is full");
    descartadosDichos_ = n;
}

void cServidorIndice::Guardar() {
    guardando_ = leyendo_ = true;
    sucio_ = false;  // what changes from here on is for the next save
    escritor_->Encargar([this] {
        std::uint64_t bytes = 0;
        const bool ok = EscribirImagen(bytes);
        const std::size_t nombres = indice_.Nombres();
        // The image is streamed from the index, so the loop changes it again only after the write.
        escritor_->Devolver([this, ok, nombres, bytes] {
            leyendo_ = false;
            Guardado(ok, nombres, bytes);
        });
    });
}

void cServidorIndice::GuardarAhora() {
    std::uint64_t bytes = 0;
    guardando_ = true;
    const bool ok = EscribirImagen(bytes);
    Guardado(ok, indice_.Nombres(), bytes);
}

bool cServidorIndice::EscribirImagen(std::uint64_t& bytes) const {
    // Streamed to the file: a save holds neither the old image nor the new one.
    return CrearAlmacenArchivo(op_.archivoIndice)->Reemplazar([&](const AlmacenArchivo::Escritor& escribir) {
        return indice_.Escribir([&](std::string_view trozo) {
            bytes += trozo.size();
            return escribir(trozo);
        });
    });
}

void cServidorIndice::Guardado(bool ok, std::size_t nombres, std::uint64_t bytes) {
    guardando_ = false;
    if (ok) {
        Log("saved " + std::to_string(nombres) + " names (" + std::to_string(bytes) + " bytes) to " +
            op_.archivoIndice);
        return;
    }
    sucio_ = true;
    ultimoCambio_ = MilisegundosMonotonos();  // try again later
    Log("cannot write " + op_.archivoIndice);
}

void cServidorIndice::Detener() {
    parar_ = true;
    despertador_->Avisar();
}

void cServidorIndice::Ejecutar(int descriptorSenales) {
    if (descriptorSenales >= 0) op_.descriptorSenales = descriptorSenales;
    while (!DebeParar()) {
        std::vector<int> fds{despertador_->Descriptor()};
        if (Escuchando()) fds.push_back(escucha_->Descriptor());
        if (op_.descriptorSenales >= 0) fds.push_back(op_.descriptorSenales);
        // While the save reads the index, changes wait in the watcher's queue.
        const bool vigilar = vigilante_ && vigilante_->Descriptor() >= 0 && !leyendo_;
        if (vigilar) fds.push_back(vigilante_->Descriptor());
        std::vector<int> escribir;
        bool seguir = false;
        for (const auto& c : clientes_) {
            if (!c->esperando) fds.push_back(c->con->Descriptor());
            if (c->QuiereEscribir()) escribir.push_back(c->con->Descriptor());
            seguir = seguir || c->PuedeSeguir();
        }
        std::vector<int> escribibles;
        const std::vector<int> listos = EsperarDescriptores(fds, escribir, seguir ? 0 : Espera(), escribibles);
        auto listo = [&](int fd) { return std::find(listos.begin(), listos.end(), fd) != listos.end(); };

        if (listo(despertador_->Descriptor())) despertador_->Limpiar();
        RecogerTrabajos();
        if (op_.descriptorSenales >= 0 && listo(op_.descriptorSenales)) {
            proximaSenal_ = 0;
            if (DebeParar()) break;
        }
        if (vigilar && listo(vigilante_->Descriptor())) {
            Ocupado ocupado(ocupado_);
            CambiosVigilados();
        }
        AtenderClientes(listos, escribibles);
        if (!leyendo_ && MilisegundosMonotonos() >= proximaRevision_) Revision();
        if (sucio_ && !guardando_ && MilisegundosMonotonos() >= ultimoCambio_ + op_.guardarTrasMs) Guardar();
    }
    const std::string adios = CodificarTrama(MSG_AVISO_SERVIDOR, -1);
    for (const auto& c : clientes_)
        if (c->porEnviar.empty()) c->con->Enviar(adios, kPlazoEnvioMs);
    clientes_.clear();
    // The save under way ends (and is logged) before the last one is made.
    escritor_->Terminar();
    if (sucio_) GuardarAhora();
}

int cServidorIndice::Espera() const {
    const std::int64_t ahora = MilisegundosMonotonos();
    std::int64_t espera = 60000;
    // A rescan or a save that must wait for the one under way is looked at again when it ends:
    // the thread's hand-back wakes the loop.
    if (!leyendo_) espera = std::min(espera, proximaRevision_ - ahora);
    if (!Escuchando()) espera = std::min(espera, pausaEscucha_ - ahora);
    if (sucio_ && !guardando_) espera = std::min<std::int64_t>(espera, ultimoCambio_ + op_.guardarTrasMs - ahora);
    return static_cast<int>(std::clamp<std::int64_t>(espera, 0, 60000));
}

void cServidorIndice::Revision() {
    Ocupado ocupado(ocupado_);
    const std::int64_t t0 = MilisegundosMonotonos();
    std::vector<std::uint32_t> nuevas;
    const std::size_t n = indice_.Revisar(arbol_, PorConfirmar(), &nuevas);
    const std::int64_t t1 = MilisegundosMonotonos();
    if (n) {
        Marcar();
        Vigilar(nuevas);
        Log("looked at the unwatched folders: " + std::to_string(n) + " listed again in " +
            std::to_string(t1 - t0) + " ms");
    }
    proximaRevision_ = t1 + op_.revisarCadaMs;
}

void cServidorIndice::RecogerTrabajos() {
    escritor_->Recoger();
    tamanos_->Recoger();
    std::erase_if(clientes_, [](const std::unique_ptr<Cliente>& c) { return c->fuera; });
}

void cServidorIndice::AtenderClientes(const std::vector<int>& listos, const std::vector<int>& escribibles) {
    auto en = [](const std::vector<int>& v, int fd) { return std::find(v.begin(), v.end(), fd) != v.end(); };
    std::erase_if(clientes_, [&](const std::unique_ptr<Cliente>& c) {
        const int fd = c->con->Descriptor();
        if (c->fuera) return true;
        if (en(listos, fd) && !Atender(*c)) return true;
        if (c->PuedeSeguir() && !Avanzar(*c)) return true;
        // What the client was just given goes out now (the send never waits), not after another
        // turn of the loop: during a rescan that turn is a slice of the rescan away.
        return (en(escribibles, fd) || c->QuiereEscribir()) && !Escribir(*c);
    });
    if (en(listos, escucha_->Descriptor())) Aceptar();
}

void cServidorIndice::AtenderEntreCarpetas() {
    const std::int64_t ahora = MilisegundosMonotonos();
    if (ahora < proximaAtencion_ || !escucha_) return;
    proximaAtencion_ = ahora + kAtencionEntreCarpetasMs;
    RecogerTrabajos();
    std::vector<int> fds;
    if (Escuchando()) fds.push_back(escucha_->Descriptor());
    std::vector<int> escribir;
    for (const auto& c : clientes_) {
        if (!c->esperando) fds.push_back(c->con->Descriptor());
        if (c->QuiereEscribir()) escribir.push_back(c->con->Descriptor());
    }
    std::vector<int> escribibles;
    const std::vector<int> listos = EsperarDescriptores(fds, escribir, 0, escribibles);
    AtenderClientes(listos, escribibles);
}

void cServidorIndice::CambiarEstado(EstadoServidor e) {
    std::erase_if(clientes_, [&](const std::unique_ptr<Cliente>& c) { return !Poner(*c, MSG_ESTADO_SERVIDOR, e); });
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

bool cServidorIndice::Escuchando() const { return MilisegundosMonotonos() >= pausaEscucha_; }

void cServidorIndice::Aceptar() {
    bool alguna = false;
    while (auto con = escucha_->Aceptar()) {
        alguna = true;
        auto c = std::make_unique<Cliente>();
        c->serie = ++proximaSerie_;
        c->con = std::move(con);
        if (!Poner(*c, MSG_SALUDO, token_) ||
            !Poner(*c, MSG_ESTADO_SERVIDOR, construyendo_ ? ESTADO_CONSTRUYENDO : ESTADO_LISTO))
            continue;
        clientes_.push_back(std::move(c));
    }
    if (alguna) return;
    pausaEscucha_ = MilisegundosMonotonos() + kPausaEscuchaMs;
    Log("cannot take a waiting connection (out of file descriptors?): trying again in a second");
}

bool cServidorIndice::Atender(Cliente& c) {
    std::string llegado;
    const bool abierta = c.con->Recibir(llegado);
    c.lector.Agregar(llegado.data(), llegado.size());
    return Procesar(c) && abierta;
}

bool cServidorIndice::Procesar(Cliente& c) {
    while (!c.esperando) {
        const auto t = c.lector.Siguiente();
        if (!t) break;
        if (!Manejar(c, *t)) return false;
    }
    if (c.lector.Error()) {
        Log("a client sent a frame longer than allowed: disconnected");
        return false;
    }
    return true;
}

bool cServidorIndice::Poner(Cliente& c, std::uint32_t mensaje, std::int64_t wParam, std::string_view datos) {
    c.porEnviar += CodificarTrama(mensaje, wParam, datos);
    if (!Escribir(c)) return false;
    if (c.porEnviar.size() <= op_.maxCola) return true;
    Log("a client left " + std::to_string(c.porEnviar.size()) + " bytes unread: disconnected");
    return false;
}

bool cServidorIndice::Escribir(Cliente& c) {
    std::size_t hecho = 0;
    while (hecho < c.porEnviar.size()) {
        const std::ptrdiff_t n = c.con->EnviarSinEsperar(std::string_view(c.porEnviar).substr(hecho));
        if (n < 0) return false;
        if (n == 0) break;
        hecho += static_cast<std::size_t>(n);
    }
    c.porEnviar.erase(0, hecho);
    return true;
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
            return Poner(c, MSG_TEXTO_SERVIDOR, tokenTexto_);
        case MSG_VENTANA_POPUP: c.popup = t.wParam; return true;
        case MSG_TAMANO_POPUP: c.tamano = t.wParam; return true;
        case MSG_CANCELAR: c.texto.clear(); return true;
        case MSG_SETTEXT:
            // A text for a window that is not ours has no effect.
            if (t.wParam == tokenTexto_) c.texto = t.datos;
            return true;
        case MSG_BUSCAR:
            // While the first build runs the index is half made: the state said so already.
            if (c.popup == 0 || c.texto.empty() || construyendo_) return true;
            Consultar(c);
            return true;
        case MSG_BUSCAR_TODO: {
            const std::optional<PeticionTodo> p = DecodificarPeticion(t.datos);
            if (!p) {
                Log("a client sent a malformed search: disconnected");
                return false;
            }
            if (construyendo_) return Poner(c, MSG_FIN_TODO, t.wParam);
            EmpezarTodo(c, t.wParam, *p);
            return true;
        }
        default: return true;
    }
}

void cServidorIndice::EmpezarTodo(Cliente& c, std::int64_t id, const PeticionTodo& p) {
    c.todo = std::make_unique<BusquedaTodo>(BusquedaTodo{id, p.patron, PatronBusqueda(p.patron), {}});
    // Each folder asked for, or each root inside one (a volume mounted below is a root of its own).
    std::vector<std::uint32_t>& pila = c.todo->pila;
    for (const std::string& pedida : p.carpetas)
        for (const std::string& raiz : indice_.Raices()) {
            std::optional<std::uint32_t> desde;
            if (raiz.starts_with(pedida))
                desde = indice_.CarpetaPorRuta(raiz);
            else if (pedida.starts_with(raiz))
                desde = indice_.CarpetaPorRuta(pedida);
            if (desde && std::find(pila.begin(), pila.end(), *desde) == pila.end()) pila.push_back(*desde);
        }
}

bool cServidorIndice::Avanzar(Cliente& c) {
    BusquedaTodo& t = *c.todo;
    ResultadosIndice r;
    r.texto = t.texto;
    auto mandar = [&] {
        const bool ok = r.aciertos.empty() || Poner(c, MSG_ACIERTOS_TODO, t.id, CodificarResultados(r));
        r.aciertos.clear();
        return ok;
    };
    const std::int64_t limite = MilisegundosMonotonos() + kRebanadaMs;
    const auto& carpetas = indice_.Carpetas();
    // A slice ends between two folders: entries are valid only until the index next changes,
    // folder ids for good.
    for (std::size_t pasos = 1; !t.pila.empty(); ++pasos) {
        if (pasos % 64 == 0 && (MilisegundosMonotonos() > limite || c.porEnviar.size() >= kColaParaSeguir)) break;
        const std::uint32_t id = t.pila.back();
        t.pila.pop_back();
        if (id >= carpetas.size() || !carpetas[id].viva) continue;
        for (std::uint32_t h = carpetas[id].primeraHija; h != cIndiceNombres::kNinguna; h = carpetas[h].siguiente)
            if (carpetas[h].viva) t.pila.push_back(h);
        std::string ruta;
        for (std::uint32_t e : indice_.EntradasDe(id)) {
            if (indice_.EsCarpeta(e) || !t.patron.Coincide(indice_.Nombre(e))) continue;
            if (ruta.empty()) ruta = indice_.RutaCarpeta(id);
            AciertoIndice a;
            a.nombre = indice_.Nombre(e);
            a.carpeta = ruta;
            r.aciertos.push_back(std::move(a));
            if (r.aciertos.size() >= kAciertosPorTrama && !mandar()) return false;
        }
    }
    if (!mandar()) return false;
    if (!t.pila.empty()) return true;
    const std::int64_t id = t.id;
    c.todo.reset();
    return Poner(c, MSG_FIN_TODO, id);
}

ResultadosIndice cServidorIndice::Resultados(const std::string& texto) const {
    ResultadosIndice r = Aciertos(texto);
    PonerTamanos(r, 0, r.aciertos.size());
    return r;
}

ResultadosIndice cServidorIndice::Aciertos(const std::string& texto) const {
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
        a.tamano = -1;
        r.aciertos.push_back(std::move(a));
    }
    return r;
}

void cServidorIndice::PonerTamanos(ResultadosIndice& r, std::size_t desde, std::size_t hasta) const {
    for (std::size_t i = desde; i < hasta; ++i) {
        AciertoIndice& a = r.aciertos[i];
        if (!a.esCarpeta) a.tamano = arbol_.Tamano(a.carpeta + a.nombre);
    }
}

void cServidorIndice::Consultar(Cliente& c) {
    auto r = std::make_shared<ResultadosIndice>(Aciertos(c.texto));
    c.esperando = true;
    const std::size_t n = r->aciertos.size();
    const std::size_t piezas = std::clamp<std::size_t>(n / kAciertosPorPieza, 1, kHilosTamanos);
    auto quedan = std::make_shared<std::atomic<std::size_t>>(piezas);
    for (std::size_t k = 0; k < piezas; ++k) {
        tamanos_->Encargar([this, r, quedan, desde = n * k / piezas, hasta = n * (k + 1) / piezas, serie = c.serie,
                            popup = c.popup] {
            PonerTamanos(*r, desde, hasta);
            // The last piece done sees every other piece's sizes (the count orders them).
            if (quedan->fetch_sub(1) == 1)
                tamanos_->Devolver([this, r, serie, popup] { Responder(serie, popup, *r); });
        });
    }
}

void cServidorIndice::Responder(std::uint64_t serie, std::int64_t popup, const ResultadosIndice& r) {
    for (const auto& c : clientes_) {
        if (c->serie != serie || c->fuera) continue;
        c->esperando = false;
        if (!Poner(*c, MSG_RESULTADOS, popup, CodificarResultados(r)) || !Procesar(*c)) c->fuera = true;
        return;
    }
}

}  // namespace quirvex
