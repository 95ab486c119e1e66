#include "search/enlace_indice.h"

#include <algorithm>

namespace quirvex {

cEnlaceIndice::cEnlaceIndice(std::string rutaEnlace) : ruta_(std::move(rutaEnlace)) {}

cEnlaceIndice::~cEnlaceIndice() = default;

int cEnlaceIndice::Descriptor() const { return con_ ? con_->Descriptor() : -1; }

void cEnlaceIndice::Soltar() {
    if (!con_) return;
    con_.reset();
    lector_.Reiniciar();
    tokenConexion_ = 0;
    if (estado_ != ESTADO_LISTO) {
        estado_ = ESTADO_LISTO;  // nothing is known of a server that is gone
        if (alCambiarEstado) alCambiarEstado();
    }
    const bool escribia = !porEnviar_.empty();
    porEnviar_.clear();
    if (alCambiarConexion) alCambiarConexion();
    if (escribia && alCambiarEscritura) alCambiarEscritura();
}

void cEnlaceIndice::Tomar(std::unique_ptr<ConexionLocal> con, bool delTick) {
    con_ = std::move(con);
    delTick_ = delTick;
    lector_.Reiniciar();
    tokenConexion_ = 0;
    limiteSaludo_ = MilisegundosMonotonos() + kPlazoMs;
    if (alCambiarConexion) alCambiarConexion();
}

std::int64_t cEnlaceIndice::BuscarServidor() {
    if (con_) LeerPendiente();  // notices a server that went away
    if (con_ && tokenConexion_ != 0) return tokenConexion_;
    if (!con_) {
        auto con = ConectarLocal(ruta_);
        if (!con) return 0;
        Tomar(std::move(con), false);
    }
    // The server greets every connection with its token at once; one that does not within the
    // limit is hung and is not waited for.
    while (con_ && tokenConexion_ == 0) {
        const std::int64_t queda = limiteSaludo_ - MilisegundosMonotonos();
        if (queda <= 0 || !con_->EsperarLectura(static_cast<int>(queda))) {
            Soltar();
            return 0;
        }
        LeerPendiente();
    }
    return con_ ? tokenConexion_ : 0;
}

bool cEnlaceIndice::Conectar() {
    if (con_) return true;
    auto con = ConectarLocal(ruta_);
    if (!con) return false;
    Tomar(std::move(con), false);
    return true;
}

bool cEnlaceIndice::Vencido() const {
    const std::int64_t ahora = MilisegundosMonotonos();
    return con_ && ((tokenConexion_ == 0 && ahora > limiteSaludo_) || (!porEnviar_.empty() && ahora > limiteEnvio_));
}

void cEnlaceIndice::tSrv_Timer() {
    if (con_) {
        EscribirPendiente();
        LeerPendiente();  // a greeting (which registers) or a close
        const std::int64_t ahora = MilisegundosMonotonos();
        if (con_ && tokenConexion_ == 0) {
            if (ahora < limiteSaludo_) return;  // the greeting will complete this tick
            // Connected but never greeted: hung. No server this tick; the next one looks again.
            Soltar();
            Encontrado(0);
            return;
        }
        if (con_ && !porEnviar_.empty() && ahora > limiteEnvio_) Soltar();  // not reading
    }
    if (!con_) {
        // A local connect completes at once or fails: it never waits on the server.
        if (auto con = ConectarLocal(ruta_)) {
            Tomar(std::move(con), true);
            LeerPendiente();
            if (Esperando()) return;
        }
    }
    Encontrado(con_ ? tokenConexion_ : 0);
}

void cEnlaceIndice::Encontrado(std::int64_t servidor) {
    if (servidor == hWndServidor_) return;
    Registrar(servidor);
}

void cEnlaceIndice::Registrar(std::int64_t servidor) {
    hWndServidor_ = servidor;
    if (servidor == 0) return;
    Enviar(MSG_REGISTRAR, hWndMarco_);
    Enviar(MSG_REGISTRAR_FIN, 0);
}

bool cEnlaceIndice::Enviar(std::uint32_t mensaje, std::int64_t wParam, std::string_view datos) {
    // Messages for a server that is gone have no effect; the next tick sets things right.
    if (!con_) return false;
    const bool antes = porEnviar_.empty();
    if (antes) limiteEnvio_ = MilisegundosMonotonos() + kPlazoMs;
    porEnviar_ += CodificarTrama(mensaje, wParam, datos);
    if (porEnviar_.size() > kMaxPorEnviar || (!antes && MilisegundosMonotonos() > limiteEnvio_)) {
        Soltar();
        return false;
    }
    EscribirPendiente();
    return con_ != nullptr;
}

void cEnlaceIndice::EscribirPendiente() {
    const bool antes = porEnviar_.empty();
    std::size_t hecho = 0;
    while (con_ && hecho < porEnviar_.size()) {
        const std::ptrdiff_t n = con_->EnviarSinEsperar(std::string_view(porEnviar_).substr(hecho));
        if (n < 0) {
            Soltar();
            return;
        }
        if (n == 0) break;
        hecho += static_cast<std::size_t>(n);
    }
    porEnviar_.erase(0, hecho);
    // Each time the server takes something, it has another while for the rest.
    if (hecho > 0) limiteEnvio_ = MilisegundosMonotonos() + kPlazoMs;
    if (antes != porEnviar_.empty() && alCambiarEscritura) alCambiarEscritura();
}

void cEnlaceIndice::LeerPendiente() {
    if (!con_) return;
    std::string llegado;
    const bool abierta = con_->Recibir(llegado);
    lector_.Agregar(llegado.data(), llegado.size());
    Procesar();
    if (con_ && (!abierta || lector_.Error())) Soltar();
}

void cEnlaceIndice::Procesar() {
    while (con_) {
        std::optional<TramaIndice> t = lector_.Siguiente();
        if (!t) return;
        if (tokenConexion_ == 0) {
            // The first frame of a connection is the server's greeting, or it is not a server.
            if (t->mensaje != MSG_SALUDO || t->wParam <= 0) {
                Soltar();
                return;
            }
            tokenConexion_ = t->wParam;
            if (delTick_) Encontrado(tokenConexion_);  // the rest of the tick that connected
        } else if (t->mensaje == MSG_RESULTADOS) {
            std::optional<ResultadosIndice> r = DecodificarResultados(t->datos);
            if (!r) {
                Soltar();  // a server that speaks garbage is not listened to
                return;
            }
            if (alResultados) alResultados(t->wParam, *r);
        } else if (t->mensaje == MSG_ACIERTOS_TODO) {
            std::optional<ResultadosIndice> r = DecodificarResultados(t->datos);
            if (!r) {
                Soltar();
                return;
            }
            if (alAciertosTodo) alAciertosTodo(t->wParam, *r);
        } else if (t->mensaje == MSG_FIN_TODO) {
            if (alFinTodo) alFinTodo(t->wParam);
        } else {
            MessageReceived(t->mensaje, t->wParam);
        }
    }
}

void cEnlaceIndice::MessageReceived(std::uint32_t mensaje, std::int64_t wParam) {
    if (mensaje == MSG_TEXTO_SERVIDOR) {
        hWndTxtServidor_ = wParam;
    } else if (mensaje == MSG_AVISO_SERVIDOR && wParam == -1) {
        hWndServidor_ = 0;
    } else if (mensaje == MSG_ESTADO_SERVIDOR) {
        const EstadoServidor e = wParam == ESTADO_CONSTRUYENDO ? ESTADO_CONSTRUYENDO : ESTADO_LISTO;
        if (e == estado_) return;
        estado_ = e;
        if (alCambiarEstado) alCambiarEstado();
    }
}

std::optional<ResultadosIndice> ConsultarServidorIndice(const std::string& texto, int plazoMs,
                                                        const std::string& rutaEnlace) {
    constexpr std::int64_t kVentana = 1;
    cEnlaceIndice enlace(rutaEnlace);
    std::optional<ResultadosIndice> r;
    enlace.alResultados = [&](std::int64_t ventana, const ResultadosIndice& x) {
        if (ventana == kVentana && x.texto == texto) r = x;
    };
    const std::int64_t limite = MilisegundosMonotonos() + plazoMs;
    auto esperar = [&](const std::function<bool()>& hecho) {
        while (!hecho() && enlace.Descriptor() >= 0) {
            const std::int64_t queda = limite - MilisegundosMonotonos();
            if (queda <= 0) return false;
            EsperarDescriptores({enlace.Descriptor()}, static_cast<int>(std::min<std::int64_t>(queda, 20)));
            enlace.EscribirPendiente();
            enlace.LeerPendiente();
        }
        return hecho();
    };
    enlace.tSrv_Timer();
    if (!esperar([&] { return enlace.hWndTxtServidor() != 0; })) return std::nullopt;
    enlace.Enviar(MSG_VENTANA_POPUP, kVentana);
    enlace.Enviar(MSG_SETTEXT, enlace.hWndTxtServidor(), texto);
    enlace.Enviar(MSG_BUSCAR, 0);
    esperar([&] { return r.has_value(); });
    return r;
}

}  // namespace quirvex
