#include "search/protocolo_indice.h"

#include "search/bytes_le.h"

namespace quirvex {

std::string CodificarTrama(std::uint32_t mensaje, std::int64_t wParam, std::string_view datos) {
    std::string s;
    s.reserve(kCabeceraTrama + datos.size());
    PonerU32(s, static_cast<std::uint32_t>(datos.size()));
    PonerU32(s, mensaje);
    PonerU64(s, static_cast<std::uint64_t>(wParam));
    s.append(datos);
    return s;
}

void LectorTramas::Agregar(const char* datos, std::size_t n) {
    if (error_) return;
    // Drop what was already consumed before growing, so a long-lived link stays small.
    if (inicio_ > 0 && inicio_ >= pendiente_.size() / 2) {
        pendiente_.erase(0, inicio_);
        inicio_ = 0;
    }
    pendiente_.append(datos, n);
}

std::optional<TramaIndice> LectorTramas::Siguiente() {
    if (error_) return std::nullopt;
    const std::size_t hay = pendiente_.size() - inicio_;
    if (hay < kCabeceraTrama) return std::nullopt;
    const char* p = pendiente_.data() + inicio_;
    const std::uint64_t largo = LeerLE(p, 4);
    if (largo > maxDatos_) {
        error_ = true;
        pendiente_.clear();
        inicio_ = 0;
        return std::nullopt;
    }
    if (hay - kCabeceraTrama < largo) return std::nullopt;
    TramaIndice t;
    t.mensaje = static_cast<std::uint32_t>(LeerLE(p + 4, 4));
    t.wParam = static_cast<std::int64_t>(LeerLE(p + 8, 8));
    t.datos.assign(p + kCabeceraTrama, static_cast<std::size_t>(largo));
    inicio_ += kCabeceraTrama + static_cast<std::size_t>(largo);
    if (inicio_ == pendiente_.size()) {
        pendiente_.clear();
        inicio_ = 0;
    }
    return t;
}

void LectorTramas::Reiniciar() {
    pendiente_.clear();
    inicio_ = 0;
    error_ = false;
}

std::string CodificarResultados(const ResultadosIndice& r) {
    std::string s;
    PonerTexto(s, r.texto);
    PonerU64(s, r.total);
    PonerU32(s, static_cast<std::uint32_t>(r.aciertos.size()));
    for (const AciertoIndice& a : r.aciertos) {
        PonerTexto(s, a.nombre);
        PonerTexto(s, a.carpeta);
        PonerU64(s, static_cast<std::uint64_t>(a.tamano));
        s.push_back(a.esCarpeta ? 1 : 0);
    }
    return s;
}

std::optional<ResultadosIndice> DecodificarResultados(std::string_view datos) {
    LectorLE c(datos);
    ResultadosIndice r;
    std::uint32_t n = 0;
    if (!c.Texto(r.texto) || !c.U64(r.total) || !c.U32(n)) return std::nullopt;
    // Each hit takes at least 17 bytes: a count beyond that is a lie, not a reason to reserve.
    if (n > c.Restante() / 17) return std::nullopt;
    r.aciertos.reserve(n);
    for (std::uint32_t i = 0; i < n; ++i) {
        AciertoIndice a;
        std::uint64_t tam = 0;
        unsigned char marca = 0;
        if (!c.Texto(a.nombre) || !c.Texto(a.carpeta) || !c.U64(tam) || !c.U8(marca) || marca > 1)
            return std::nullopt;
        a.tamano = static_cast<std::int64_t>(tam);
        a.esCarpeta = marca == 1;
        r.aciertos.push_back(std::move(a));
    }
    if (!c.Fin()) return std::nullopt;
    return r;
}

std::string CodificarPeticion(const PeticionTodo& p) {
    std::string s;
    PonerTexto(s, p.patron);
    PonerU32(s, static_cast<std::uint32_t>(p.carpetas.size()));
    for (const std::string& c : p.carpetas) PonerTexto(s, c);
    return s;
}

std::optional<PeticionTodo> DecodificarPeticion(std::string_view datos) {
    LectorLE c(datos);
    PeticionTodo p;
    std::uint32_t n = 0;
    if (!c.Texto(p.patron) || !c.U32(n) || n > c.Restante() / 4) return std::nullopt;
    p.carpetas.resize(n);
    for (std::string& carpeta : p.carpetas)
        if (!c.Texto(carpeta) || carpeta.empty() || carpeta.back() != '/') return std::nullopt;
    if (!c.Fin()) return std::nullopt;
    return p;
}

bool MensajeDeCliente(std::uint32_t mensaje) {
    switch (mensaje) {
        case MSG_REGISTRAR:
        case MSG_REGISTRAR_FIN:
        case MSG_VENTANA_POPUP:
        case MSG_TAMANO_POPUP:
        case MSG_CANCELAR:
        case MSG_BUSCAR:
        case MSG_BUSCAR_TODO:
        case MSG_SETTEXT: return true;
        default: return false;
    }
}

}  // namespace quirvex
