// The SMB service over libsmbclient.
//
// A libsmbclient context is used by one thread only: each context lives on a thread of its own
// that takes its calls from a queue. The caller waits through EsperarRed (the window keeps
// answering meanwhile) until the answer comes or the time limit passes; past it the caller gets
// ETIMEDOUT and the context is abandoned to its thread, which frees it once the stuck call
// returns, and the next call opens a fresh one. Each call is one Encargo (llamada_plazo.h):
// data crosses between the threads only in what the call owns, so a caller that gave up frees
// and reads nothing the thread still writes to.
//
// SMB1 stays off for everything but the workgroup browse, which has no other protocol.

#include <fcntl.h>
#include <libsmbclient.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/llamada_plazo.h"
#include "platform/smb.h"

namespace quirvex {
namespace {

struct Resultado {
    std::int64_t valor = 0;
    int error = 0;
};

using Tarea = std::function<void(SMBCCTX*)>;

// The user and password for each server, for this run only.
struct Credenciales {
    std::mutex m;
    std::map<std::string, std::pair<std::string, std::string>> porServidor;
};

Credenciales& CredencialesRed() {
    static auto* c = new Credenciales;
    return *c;
}

void Copiar(char* destino, int largo, const std::string& texto) {
    if (largo <= 0) return;
    const size_t n = std::min(texto.size(), static_cast<size_t>(largo - 1));
    std::memcpy(destino, texto.data(), n);
    destino[n] = '\0';
}

// "host:port" of the path the context's thread is working for: libsmbclient names only the
// host when it asks for a login, and two servers of one host have logins of their own.
thread_local std::string t_equipo;

void Autenticar(SMBCCTX*, const char* servidor, const char*, char* grupo, int largoGrupo,
                char* usuario, int largoUsuario, char* clave, int largoClave) {
    std::string u, c;
    {
        auto& cr = CredencialesRed();
        std::lock_guard<std::mutex> l(cr.m);
        auto it = cr.porServidor.find(t_equipo);
        if (it == cr.porServidor.end()) it = cr.porServidor.find(servidor ? servidor : "");
        if (it != cr.porServidor.end()) {
            u = it->second.first;
            c = it->second.second;
        }
    }
    // The workgroup libsmbclient proposes is kept; a guest goes with an empty user.
    (void)grupo;
    (void)largoGrupo;
    Copiar(usuario, largoUsuario, u);
    Copiar(clave, largoClave, c);
}

// libsmbclient keeps per-call state in process-wide stacks (this build offers no per-thread
// ones), so only one thread at a time may be inside it. A given-up call still stuck in it holds
// the others back only until libsmbclient's own time limit ends it.
std::mutex& Biblioteca() {
    static auto* m = new std::mutex;
    return *m;
}

// The protocol range last set in the process (-1 unknown, 0 SMB2 and up, 1 SMB1 only), read and
// written under Biblioteca() only: setting it costs a configuration pass, so it is set only
// when a call needs another one.
int g_rangoProtocolos = -1;

// libsmbclient fixes each connection's exchange limit when it connects. When the network time
// limit changes, the idle connections go, so the next call reconnects under the limit in force
// (a connection made during a short limit would otherwise give up on a slow server long after
// the limit was raised). Connections holding open files keep theirs until the files close.
void SeguirLimite(SMBCCTX* ctx) {
    const int limite = std::max(TiempoLimiteRed(), 1000);  // the library's shortest
    if (smbc_getTimeout(ctx) == limite) return;
    smbc_setTimeout(ctx, limite);
    smbc_getFunctionPurgeCachedServers(ctx)(ctx);
}

// One context and the only thread that touches it.
class Contexto {
public:
    explicit Contexto(bool exploracion) : exploracion_(exploracion) {}

    void Arrancar(const std::shared_ptr<Contexto>& yo) {
        std::thread([yo] { yo->Bucle(); }).detach();
    }

    void Poner(Tarea t) {
        {
            std::lock_guard<std::mutex> l(m_);
            cola_.push_back(std::move(t));
        }
        cv_.notify_one();
    }

    // Ends the thread once the calls queued so far are done.
    void Terminar() {
        {
            std::lock_guard<std::mutex> l(m_);
            fin_ = true;
        }
        cv_.notify_one();
    }

private:
    void Bucle() {
        SMBCCTX* ctx = nullptr;
        std::unique_lock<std::mutex> dentro(Biblioteca());
        ctx = smbc_new_context();
        if (ctx) {
            smbc_setDebug(ctx, 0);
            smbc_setTimeout(ctx, std::max(TiempoLimiteRed(), 1000));
            smbc_setOptionUseKerberos(ctx, 0);
            smbc_setOptionFallbackAfterKerberos(ctx, 1);
            smbc_setOptionUseCCache(ctx, 0);
            smbc_setFunctionAuthDataWithContext(ctx, Autenticar);
            if (!smbc_init_context(ctx)) {
                smbc_free_context(ctx, 0);
                ctx = nullptr;
            }
            g_rangoProtocolos = -1;  // a new context may have read the configuration again
        }
        dentro.unlock();
        for (;;) {
            Tarea t;
            {
                std::unique_lock<std::mutex> l(m_);
                cv_.wait(l, [this] { return fin_ || !cola_.empty(); });
                if (cola_.empty()) break;
                t = std::move(cola_.front());
                cola_.pop_front();
            }
            dentro.lock();
            // The protocol range is one setting for the whole process, read when a connection
            // is made: each call sets its own, so a share listed while a browse runs is not
            // held to the browse's SMB1.
            if (ctx) SeguirLimite(ctx);
            if (ctx && g_rangoProtocolos != (exploracion_ ? 1 : 0)) {
                smbc_setOptionProtocols(ctx, exploracion_ ? "NT1" : "SMB2_02",
                                        exploracion_ ? "NT1" : "SMB3");
                g_rangoProtocolos = exploracion_ ? 1 : 0;
            }
            t(ctx);
            dentro.unlock();
        }
        dentro.lock();
        if (ctx) smbc_free_context(ctx, 1);
    }

    const bool exploracion_;
    std::mutex m_;
    std::condition_variable cv_;
    std::deque<Tarea> cola_;
    bool fin_ = false;
};

void DesdeStat(const struct stat& st, EntradaSmb& e) {
    e.carpeta = S_ISDIR(st.st_mode);
    e.tamano = e.carpeta ? 0 : static_cast<std::int64_t>(st.st_size);
    e.modificado = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    e.inodo = static_cast<std::uint64_t>(st.st_ino);
    e.soloLectura = !e.carpeta && (st.st_mode & S_IWUSR) == 0;
}

int Errno(int siNada) { return errno != 0 ? errno : siNada; }

// The share list of a host: disk shares only, hidden ones ("NAME$") left out.
int ListarRecursos(SMBCCTX* ctx, const std::string& url, std::vector<EntradaSmb>& entradas) {
    errno = 0;
    SMBCFILE* d = smbc_getFunctionOpendir(ctx)(ctx, url.c_str());
    if (!d) return Errno(EIO);
    while (const smbc_dirent* de = smbc_getFunctionReaddir(ctx)(ctx, d)) {
        if (de->smbc_type != SMBC_FILE_SHARE) continue;
        const std::string nombre = de->name;
        if (nombre.empty() || nombre.back() == '$') continue;
        EntradaSmb e;
        e.nombre = nombre;
        e.carpeta = true;
        entradas.push_back(std::move(e));
    }
    smbc_getFunctionClosedir(ctx)(ctx, d);
    return 0;
}

int ListarCarpeta(SMBCCTX* ctx, const std::string& url, std::vector<EntradaSmb>& entradas) {
    errno = 0;
    SMBCFILE* d = smbc_getFunctionOpendir(ctx)(ctx, url.c_str());
    if (!d) return Errno(EIO);
    struct stat st {};
    for (;;) {
        errno = 0;
        const libsmb_file_info* fi = smbc_getFunctionReaddirPlus2(ctx)(ctx, d, &st);
        if (!fi) break;
        if (!fi->name || std::strcmp(fi->name, ".") == 0 || std::strcmp(fi->name, "..") == 0)
            continue;
        EntradaSmb e;
        e.nombre = fi->name;
        DesdeStat(st, e);
        entradas.push_back(std::move(e));
    }
    const int error = errno;
    smbc_getFunctionClosedir(ctx)(ctx, d);
    return error == ENOENT ? 0 : error;
}

enum class ModoAbrir { Leer, Escribir, Nuevo };

// The reading side of an open file, on its context's thread: the chunk the last read handed
// over, and the next one, read ahead while the caller writes the last one out (a copy then
// waits for the network and for its own disk at once, not in turns). The buffers stay for the
// file's life, so a large copy allocates them once. The caller touches `entregado` only between
// its read's answer and queuing the next read-ahead, when the context's thread leaves it alone.
struct LecturaSmb {
    std::vector<char> entregado, siguiente;
    std::size_t pedido = 0;  // what the read-ahead under way or done asked for; 0: none
    Resultado leido;         // its answer
    // Whole chunks the caller read in a row since the open or its last seek (its thread only).
    std::size_t seguidas = 0;
};

// Up to n bytes into `destino`, fewer only at the end of the file.
Resultado LeerTodo(SMBCCTX* ctx, SMBCFILE* f, std::vector<char>& destino, std::size_t n) {
    if (destino.size() < n) destino.resize(n);
    auto leer = smbc_getFunctionRead(ctx);
    std::size_t hecho = 0;
    while (hecho < n) {
        errno = 0;
        const ssize_t k = leer(ctx, f, destino.data() + hecho, n - hecho);
        if (k < 0) {
            if (errno == EINTR) continue;
            return Resultado{-1, Errno(EIO)};
        }
        if (k == 0) break;
        hecho += static_cast<std::size_t>(k);
    }
    return Resultado{static_cast<std::int64_t>(hecho), 0};
}

// A read-ahead nobody will take: the file goes back to where its caller left it.
void DescartarAdelanto(SMBCCTX* ctx, SMBCFILE* f, LecturaSmb& l) {
    if (l.pedido == 0) return;
    l.pedido = 0;
    if (l.leido.error == 0 && l.leido.valor > 0)
        smbc_getFunctionLseek(ctx)(ctx, f, -static_cast<off_t>(l.leido.valor), SEEK_CUR);
}

// What an open hands back from the context's thread: the file and whether this call made it.
struct Apertura {
    SMBCCTX* ctx = nullptr;
    SMBCFILE* archivo = nullptr;
    bool hecho = false;
    int error = 0;
};

Apertura AbrirEn(SMBCCTX* ctx, const std::string& url, ModoAbrir modo) {
    Apertura a{ctx};
    if (!ctx) return a.error = EIO, a;
    errno = 0;
    auto abrir = smbc_getFunctionOpen(ctx);
    if (modo == ModoAbrir::Leer) {
        a.archivo = abrir(ctx, url.c_str(), O_RDONLY, 0);
    } else {
        // Made only when missing, so `hecho` is true only for a file this call made.
        a.archivo = abrir(ctx, url.c_str(), O_RDWR | O_CREAT | O_EXCL, 0644);
        a.hecho = a.archivo != nullptr;
        if (!a.archivo && errno == EEXIST && modo == ModoAbrir::Escribir) {
            errno = 0;
            a.archivo = abrir(ctx, url.c_str(), O_RDWR, 0);
        }
    }
    if (!a.archivo) a.error = Errno(EIO);
    return a;
}

// An open that answered after its caller gave up, undone on the context's thread: nobody holds
// the file, and a file it made would be left on the share under the caller's new name.
void Deshacer(Apertura& a, const std::string& url) {
    if (!a.archivo) return;
    smbc_getFunctionClose(a.ctx)(a.ctx, a.archivo);
    if (a.hecho) smbc_getFunctionUnlink(a.ctx)(a.ctx, url.c_str());
}

// New names whose making timed out: whether the server made the file is unknown, so each is
// removed by name before the next calls, until the server says it is gone (or, refusing, has
// been asked often enough).
class PorBorrar {
public:
    void Agregar(const std::string& url, const std::string& clave, int intentos = 0) {
        std::lock_guard<std::mutex> l(m_);
        nombres_.push_back(Nombre{url, clave, intentos});
    }

    void PonerEn(Contexto& contexto) {
        std::vector<Nombre> nombres;
        {
            std::lock_guard<std::mutex> l(m_);
            nombres.swap(nombres_);
        }
        if (nombres.empty()) return;
        contexto.Poner([this, nombres](SMBCCTX* ctx) {
            for (const Nombre& n : nombres) {
                t_equipo = n.clave;
                errno = 0;
                const bool hecho = ctx && (smbc_getFunctionUnlink(ctx)(ctx, n.url.c_str()) == 0 || errno == ENOENT);
                t_equipo.clear();
                if (!hecho && n.intentos < kIntentos) Agregar(n.url, n.clave, n.intentos + 1);
            }
        });
    }

private:
    static constexpr int kIntentos = 50;
    struct Nombre {
        std::string url, clave;
        int intentos = 0;
    };
    std::mutex m_;
    std::vector<Nombre> nombres_;
};

class SmbLibsmbclient final : public ServicioSmb {
public:
    int Listar(const std::string& carpeta, std::vector<EntradaSmb>& entradas) override {
        auto salida = std::make_shared<std::vector<EntradaSmb>>();
        const std::string url = UrlSmb(carpeta);
        const bool equipo = EsRutaEquipo(carpeta);
        const Resultado r = Ejecutar(carpeta, [url, equipo, salida](SMBCCTX* ctx) {
            return Resultado{0, equipo ? ListarRecursos(ctx, url, *salida)
                                       : ListarCarpeta(ctx, url, *salida)};
        });
        if (r.error == 0) entradas = std::move(*salida);
        return r.error;
    }

    int Consultar(const std::string& ruta, EntradaSmb& entrada) override {
        auto salida = std::make_shared<EntradaSmb>();
        const std::string url = UrlSmb(ruta);
        const bool equipo = EsRutaEquipo(ruta);
        const Resultado r = Ejecutar(ruta, [url, equipo, salida](SMBCCTX* ctx) {
            errno = 0;
            if (equipo) {
                // A host is a folder when it lists its shares.
                SMBCFILE* d = smbc_getFunctionOpendir(ctx)(ctx, url.c_str());
                if (!d) return Resultado{0, Errno(EIO)};
                smbc_getFunctionClosedir(ctx)(ctx, d);
                salida->carpeta = true;
                return Resultado{};
            }
            struct stat st {};
            if (smbc_getFunctionStat(ctx)(ctx, url.c_str(), &st) != 0) return Resultado{0, Errno(EIO)};
            DesdeStat(st, *salida);
            return Resultado{};
        });
        if (r.error == 0) {
            entrada = std::move(*salida);
            const auto barra = ruta.find_last_not_of('/');
            const std::string limpia = ruta.substr(0, barra + 1);
            entrada.nombre = limpia.substr(limpia.rfind('/') + 1);
        }
        return r.error;
    }

    int Abrir(const std::string& ruta, bool escribir, bool& creado, ManejadorSmb& h) override {
        return AbrirComo(ruta, escribir ? ModoAbrir::Escribir : ModoAbrir::Leer, creado, h);
    }

    int CrearNuevo(const std::string& ruta, ManejadorSmb& h) override {
        bool creado = false;
        const int r = AbrirComo(ruta, ModoAbrir::Nuevo, creado, h);
        if (EsTiempoAgotado(r)) porBorrar_.Agregar(UrlSmb(ruta), ClaveLoginDeRuta(ruta));
        return r;
    }

    std::int64_t Leer(ManejadorSmb h, void* datos, std::size_t n, int& error) override {
        Archivo a;
        if (!Buscar(h, a, error)) return -1;
        SMBCFILE* f = a.archivo;
        const std::shared_ptr<LecturaSmb> l = a.lectura;
        const Resultado r = EjecutarEn(a.contexto, [f, l, n](SMBCCTX* ctx) {
            if (l->pedido == n) {  // the chunk asked for is the one read ahead
                l->pedido = 0;
                std::swap(l->entregado, l->siguiente);
                return l->leido;
            }
            DescartarAdelanto(ctx, f, *l);
            return LeerTodo(ctx, f, l->entregado, n);
        });
        if (r.error != 0) {
            error = r.error;
            return -1;
        }
        std::memcpy(datos, l->entregado.data(), static_cast<std::size_t>(r.valor));
        // Two whole chunks in a row of a file opened for reading: the next one is likely asked
        // for next. A reader that takes one chunk and closes (a preview's header) costs no
        // second transfer, nor holds the library up for one.
        l->seguidas = static_cast<std::size_t>(r.valor) == n && n > 0 ? l->seguidas + 1 : 0;
        if (a.soloLectura && l->seguidas >= 2)
            a.contexto->Poner([f, l, n](SMBCCTX* ctx) {
                if (!ctx) return;
                l->leido = LeerTodo(ctx, f, l->siguiente, n);
                l->pedido = n;
            });
        return r.valor;
    }

    std::int64_t Escribir(ManejadorSmb h, const void* datos, std::size_t n, int& error) override {
        Archivo a;
        if (!Buscar(h, a, error)) return -1;
        const auto* inicio = static_cast<const char*>(datos);
        auto buffer = std::make_shared<std::vector<char>>(inicio, inicio + n);
        SMBCFILE* f = a.archivo;
        const Resultado r = EjecutarEn(a.contexto, [f, buffer](SMBCCTX* ctx) {
            auto escribir = smbc_getFunctionWrite(ctx);
            std::size_t hecho = 0;
            while (hecho < buffer->size()) {
                errno = 0;
                const ssize_t k = escribir(ctx, f, buffer->data() + hecho, buffer->size() - hecho);
                if (k < 0 && errno == EINTR) continue;
                if (k <= 0) return Resultado{-1, Errno(EIO)};
                hecho += static_cast<std::size_t>(k);
            }
            return Resultado{static_cast<std::int64_t>(hecho), 0};
        });
        if (r.error != 0) {
            error = r.error;
            return -1;
        }
        return r.valor;
    }

    std::int64_t Posicionar(ManejadorSmb h, std::int64_t desplazamiento, bool desdeInicio,
                            int& error) override {
        Archivo a;
        if (!Buscar(h, a, error)) return -1;
        SMBCFILE* f = a.archivo;
        a.lectura->seguidas = 0;
        const Resultado r = EjecutarEn(a.contexto, [f, l = a.lectura, desplazamiento, desdeInicio](SMBCCTX* ctx) {
            DescartarAdelanto(ctx, f, *l);
            errno = 0;
            const off_t p = smbc_getFunctionLseek(ctx)(ctx, f, static_cast<off_t>(desplazamiento),
                                                      desdeInicio ? SEEK_SET : SEEK_CUR);
            return p < 0 ? Resultado{-1, Errno(EIO)} : Resultado{static_cast<std::int64_t>(p), 0};
        });
        if (r.error != 0) {
            error = r.error;
            return -1;
        }
        return r.valor;
    }

    int Truncar(ManejadorSmb h, std::int64_t largo) override {
        Archivo a;
        int error = 0;
        if (!Buscar(h, a, error)) return error;
        SMBCFILE* f = a.archivo;
        return EjecutarEn(a.contexto, [f, largo](SMBCCTX* ctx) {
                   errno = 0;
                   return Resultado{0, smbc_getFunctionFtruncate(ctx)(ctx, f, static_cast<off_t>(largo)) == 0
                                           ? 0 : Errno(EIO)};
               }).error;
    }

    int Cerrar(ManejadorSmb h) override {
        Archivo a;
        {
            std::lock_guard<std::mutex> l(m_);
            const auto it = archivos_.find(h);
            if (it == archivos_.end()) return EBADF;
            a = it->second;
            archivos_.erase(it);
        }
        if (a.contexto != Actual()) return EIO;  // its context was given up with the file
        SMBCFILE* f = a.archivo;
        // The close is what commits a write on the server: its answer matters.
        return EjecutarEn(a.contexto, [f](SMBCCTX* ctx) {
                   errno = 0;
                   return Resultado{0, smbc_getFunctionClose(ctx)(ctx, f) == 0 ? 0 : Errno(EIO)};
               }).error;
    }

    int CrearCarpeta(const std::string& ruta) override {
        return PorRuta(ruta, [](SMBCCTX* ctx, const char* url) {
            return smbc_getFunctionMkdir(ctx)(ctx, url, 0755);
        });
    }

    int BorrarArchivo(const std::string& ruta) override {
        return PorRuta(ruta, [](SMBCCTX* ctx, const char* url) {
            return smbc_getFunctionUnlink(ctx)(ctx, url);
        });
    }

    int BorrarCarpeta(const std::string& ruta) override {
        return PorRuta(ruta, [](SMBCCTX* ctx, const char* url) {
            return smbc_getFunctionRmdir(ctx)(ctx, url);
        });
    }

    int Renombrar(const std::string& origen, const std::string& destino) override {
        if (!EsNombreRedValido(destino)) return ErrorNombreRed();
        const std::string a = UrlSmb(origen), b = UrlSmb(destino);
        return Ejecutar(origen, [a, b](SMBCCTX* ctx) {
                   errno = 0;
                   return Resultado{0, smbc_getFunctionRename(ctx)(ctx, a.c_str(), ctx, b.c_str()) == 0
                                           ? 0 : Errno(EIO)};
               }).error;
    }

    int FijarModificado(const std::string& ruta, std::int64_t modificado) override {
        return PorRuta(ruta, [modificado](SMBCCTX* ctx, const char* url) {
            struct timeval t[2] {};
            t[0].tv_sec = t[1].tv_sec = static_cast<time_t>(modificado / 1'000'000'000);
            t[0].tv_usec = t[1].tv_usec =
                static_cast<suseconds_t>((modificado % 1'000'000'000) / 1000);
            return smbc_getFunctionUtimes(ctx)(ctx, url, t);
        });
    }

    std::vector<GrupoRed> ExplorarRed() override {
        std::vector<GrupoRed> grupos;
        auto contexto = std::make_shared<Contexto>(true);
        contexto->Arrancar(contexto);
        std::vector<EntradaSmb> nombres;
        if (ListarTipo(contexto, "smb://", SMBC_WORKGROUP, nombres) == 0) {
            for (const EntradaSmb& g : nombres) {
                GrupoRed grupo{g.nombre, {}};
                std::vector<EntradaSmb> servidores;
                ListarTipo(contexto, UrlSmb("//" + g.nombre + "/"), SMBC_SERVER, servidores);
                for (const EntradaSmb& s : servidores) {
                    ComputadoraRed c{s.nombre, {}};
                    std::vector<EntradaSmb> recursos;
                    if (Listar("//" + s.nombre + "/", recursos) == 0)
                        for (EntradaSmb& r : recursos) c.recursos.push_back(std::move(r.nombre));
                    grupo.computadoras.push_back(std::move(c));
                }
                grupos.push_back(std::move(grupo));
            }
        }
        contexto->Terminar();
        return grupos;
    }

    void SetCredenciales(const std::string& servidor, const std::string& usuario,
                         const std::string& clave) override {
        {
            auto& cr = CredencialesRed();
            std::lock_guard<std::mutex> l(cr.m);
            if (usuario.empty() && clave.empty())
                cr.porServidor.erase(servidor);
            else
                cr.porServidor[servidor] = {usuario, clave};
        }
        // Connections made with the old identity are not reused.
        Actual()->Poner([](SMBCCTX* ctx) {
            if (ctx) smbc_getFunctionPurgeCachedServers(ctx)(ctx);
        });
    }

    bool EsAccesoDenegado(int codigo) override { return codigo == EACCES || codigo == EPERM; }
    bool EsTiempoAgotado(int codigo) override { return codigo == ETIMEDOUT; }

private:
    struct Archivo {
        std::shared_ptr<Contexto> contexto;
        SMBCFILE* archivo = nullptr;
        bool soloLectura = false;
        std::shared_ptr<LecturaSmb> lectura = std::make_shared<LecturaSmb>();
    };

    std::shared_ptr<Contexto> Actual() {
        std::lock_guard<std::mutex> l(m_);
        if (!actual_) {
            actual_ = std::make_shared<Contexto>(false);
            actual_->Arrancar(actual_);
        }
        return actual_;
    }

    // Gives up a context whose call did not answer in time: its files go with it.
    void Abandonar(const std::shared_ptr<Contexto>& contexto) {
        std::lock_guard<std::mutex> l(m_);
        if (actual_ == contexto) actual_.reset();
        contexto->Terminar();
    }

    bool Buscar(ManejadorSmb h, Archivo& a, int& error) {
        std::lock_guard<std::mutex> l(m_);
        const auto it = archivos_.find(h);
        if (it == archivos_.end() || it->second.contexto != actual_) {
            error = it == archivos_.end() ? EBADF : EIO;
            return false;
        }
        a = it->second;
        return true;
    }

    Resultado Ejecutar(const std::string& ruta, std::function<Resultado(SMBCCTX*)> f) {
        if (!EsNombreRedValido(ruta)) return Resultado{-1, ErrorNombreRed()};
        return EjecutarEn(Actual(), ParaEquipo(ruta, std::move(f)));
    }

    // The call with the login of its path's "host:port" at hand.
    template <class R = Resultado>
    static std::function<R(SMBCCTX*)> ParaEquipo(const std::string& ruta, std::function<R(SMBCCTX*)> f) {
        return [clave = ClaveLoginDeRuta(ruta), f = std::move(f)](SMBCCTX* ctx) {
            t_equipo = clave;
            R r = f(ctx);
            t_equipo.clear();
            return r;
        };
    }

    Resultado EjecutarEn(const std::shared_ptr<Contexto>& contexto,
                         std::function<Resultado(SMBCCTX*)> f) {
        const auto r = EnContexto<Resultado>(contexto, [f = std::move(f)](SMBCCTX* ctx) {
            return ctx ? f(ctx) : Resultado{-1, EIO};
        });
        return r ? *r : Resultado{-1, ETIMEDOUT};
    }

    // The call on the context's thread, given up past the time limit together with the context.
    // Names whose making timed out go first, so they are removed once the server answers.
    template <class R>
    std::optional<R> EnContexto(const std::shared_ptr<Contexto>& contexto, std::function<R(SMBCCTX*)> f,
                                std::function<void(R&)> deshacer = {}) {
        porBorrar_.PonerEn(*contexto);
        // libsmbclient's own limit applies to each exchange; this one to the whole call.
        auto r = LlamarConPlazo<R>([&](auto tarea) { contexto->Poner(std::move(tarea)); },
                                   [f = std::move(f)](const Encargo<R>&, SMBCCTX* ctx) { return f(ctx); },
                                   std::chrono::milliseconds(2 * TiempoLimiteRed() + 1000), std::move(deshacer));
        if (!r) Abandonar(contexto);
        return r;
    }

    int AbrirComo(const std::string& ruta, ModoAbrir modo, bool& creado, ManejadorSmb& h) {
        creado = false;
        if (!EsNombreRedValido(ruta)) return ErrorNombreRed();
        const std::string url = UrlSmb(ruta);
        auto contexto = Actual();
        const auto a = EnContexto<Apertura>(
            contexto, ParaEquipo<Apertura>(ruta, [url, modo](SMBCCTX* ctx) { return AbrirEn(ctx, url, modo); }),
            [url](Apertura& tarde) { Deshacer(tarde, url); });
        if (!a) return ETIMEDOUT;
        if (a->error != 0) return a->error;
        creado = a->hecho;
        std::lock_guard<std::mutex> l(m_);
        h = siguiente_++;
        archivos_.emplace(h, Archivo{contexto, a->archivo, modo == ModoAbrir::Leer});
        return 0;
    }

    int PorRuta(const std::string& ruta, std::function<int(SMBCCTX*, const char*)> llamada) {
        const std::string url = UrlSmb(ruta);
        return Ejecutar(ruta, [url, llamada = std::move(llamada)](SMBCCTX* ctx) {
                   errno = 0;
                   return Resultado{0, llamada(ctx, url.c_str()) == 0 ? 0 : Errno(EIO)};
               }).error;
    }

    int ListarTipo(const std::shared_ptr<Contexto>& contexto, const std::string& url,
                   unsigned tipo, std::vector<EntradaSmb>& nombres) {
        auto salida = std::make_shared<std::vector<EntradaSmb>>();
        const Resultado r = EjecutarEn(contexto, [url, tipo, salida](SMBCCTX* ctx) {
            errno = 0;
            SMBCFILE* d = smbc_getFunctionOpendir(ctx)(ctx, url.c_str());
            if (!d) return Resultado{0, Errno(EIO)};
            while (const smbc_dirent* de = smbc_getFunctionReaddir(ctx)(ctx, d)) {
                if (de->smbc_type != tipo) continue;
                EntradaSmb e;
                e.nombre = de->name;
                e.carpeta = true;
                salida->push_back(std::move(e));
            }
            smbc_getFunctionClosedir(ctx)(ctx, d);
            return Resultado{};
        });
        if (r.error == 0) nombres = std::move(*salida);
        return r.error;
    }

    PorBorrar porBorrar_;
    std::mutex m_;
    std::shared_ptr<Contexto> actual_;
    std::map<ManejadorSmb, Archivo> archivos_;
    ManejadorSmb siguiente_ = 1;
};

ServicioSmb* g_reemplazo = nullptr;

}  // namespace

ServicioSmb& Smb() {
    // Never destroyed: a context thread may still be finishing when the program exits.
    static auto* real = new SmbLibsmbclient;
    return g_reemplazo ? *g_reemplazo : *real;
}

void SetSmb(ServicioSmb* smb) { g_reemplazo = smb; }

}  // namespace quirvex
