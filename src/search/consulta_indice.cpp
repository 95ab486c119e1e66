#include "search/consulta_indice.h"

#include <utility>

namespace quirvex {

cConsultaIndice::cConsultaIndice(std::string rutaEnlace) : enlace_(std::move(rutaEnlace)) {
    enlace_.alAciertosTodo = [this](std::int64_t peticion, const ResultadosIndice& r) {
        if (peticion != peticion_ || fin_ != Fin::EnCurso) return;
        ultimaSenal_ = MilisegundosMonotonos();
        if (alAciertos) alAciertos(r.aciertos);
    };
    enlace_.alFinTodo = [this](std::int64_t peticion) {
        if (peticion != peticion_) return;
        Terminar(enlace_.Estado() == ESTADO_CONSTRUYENDO ? Fin::Construyendo : Fin::Completa);
    };
}

bool cConsultaIndice::Empezar(const std::string& patron, const std::vector<std::string>& carpetas) {
    PeticionTodo p{patron, {}};
    for (std::string c : carpetas) {
        if (c.empty()) continue;
        if (c.back() != '/') c.push_back('/');
        p.carpetas.push_back(std::move(c));
    }
    peticion_ = TokenAleatorio();
    ultimaSenal_ = MilisegundosMonotonos();
    if (!enlace_.Conectar() || !enlace_.Enviar(MSG_BUSCAR_TODO, peticion_, CodificarPeticion(p))) {
        Terminar(Fin::SinServidor);
        return false;
    }
    return true;
}

void cConsultaIndice::Revisar() {
    if (fin_ != Fin::EnCurso) return;
    enlace_.EscribirPendiente();
    enlace_.LeerPendiente();
    if (fin_ != Fin::EnCurso) return;
    if (enlace_.Descriptor() < 0 || enlace_.Vencido() || MilisegundosMonotonos() - ultimaSenal_ > kSilencioMs)
        Terminar(Fin::SinServidor);
}

void cConsultaIndice::Terminar(Fin f) {
    if (fin_ != Fin::EnCurso) return;
    fin_ = f;
    if (alTerminar) alTerminar();
}

}  // namespace quirvex
