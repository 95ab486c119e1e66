#include "search/enlace_indice.h"

namespace quirvex {

cEnlaceIndice::cEnlaceIndice(std::string rutaEnlace) : ruta_(std::move(rutaEnlace)) {}

cEnlaceIndice::~cEnlaceIndice() = default;

int cEnlaceIndice::Descriptor() const { return con_ ? con_->Descriptor() : -1; }

void cEnlaceIndice::Soltar() {
    if (!con_) return;
    con_.reset();
    lector_.Reiniciar();
    tokenConexion_ = 0;
    if (alCambiarConexion) alCambiarConexion();
}

std::int64_t cEnlaceIndice::BuscarServidor() {
    if (con_) LeerPendiente();  // notices a server that went away
    if (con_) return tokenConexion_;
    auto con = ConectarLocal(ruta_);
    if (!con) return 0;
    // The server greets every connection with its token at once; one that does not within the
    // limit is hung and is not waited for.
    LectorTramas lector(kMaxDatosAlMarco);
    std::string llegado;
    std::optional<TramaIndice> saludo;
    const std::int64_t limite = MilisegundosMonotonos() + kPlazoMs;
    while (!saludo) {
        const std::int64_t queda = limite - MilisegundosMonotonos();
        if (queda <= 0 || !con->EsperarLectura(static_cast<int>(queda))) return 0;
        llegado.clear();
        const bool abierta = con->Recibir(llegado);
        lector.Agregar(llegado.data(), llegado.size());
        saludo = lector.Siguiente();
        if (!saludo && (!abierta || lector.Error())) return 0;
    }
    if (saludo->mensaje != MSG_SALUDO || saludo->wParam <= 0) return 0;
    con_ = std::move(con);
    lector_ = std::move(lector);
    tokenConexion_ = saludo->wParam;
    if (alCambiarConexion) alCambiarConexion();
    Procesar();  // anything that came with the greeting
    return con_ ? tokenConexion_ : 0;
}

void cEnlaceIndice::tSrv_Timer() {
    const std::int64_t encontrado = BuscarServidor();
    if (encontrado == hWndServidor_) return;
    Registrar(encontrado);
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
    if (con_->Enviar(CodificarTrama(mensaje, wParam, datos), kPlazoMs)) return true;
    Soltar();
    return false;
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
        if (t->mensaje == MSG_RESULTADOS) {
            std::optional<ResultadosIndice> r = DecodificarResultados(t->datos);
            if (!r) {
                Soltar();  // a server that speaks garbage is not listened to
                return;
            }
            if (alResultados) alResultados(t->wParam, *r);
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
            EsperarDescriptores({enlace.Descriptor()}, static_cast<int>(queda));
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
