#pragma once
// cConsultaIndice: the file search tab's "Database" source, one search over the quick-search
// link. The server is asked for every file the whole pattern matches under the tab's folders
// and streams them back in slices; nothing here waits (interface thread only): the window calls
// the link's LeerPendiente/EscribirPendiente as its socket notifiers report, and Revisar on a
// timer, which ends a search whose server is hung or has gone silent.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "search/enlace_indice.h"

namespace quirvex {

class cConsultaIndice {
public:
    enum class Fin {
        EnCurso,
        Completa,
        SinServidor,   // none listens, or it went away or stopped answering before the end
        Construyendo,  // the server is still building its first index: it has no hits yet
    };
    // A server that sends nothing for this long in the middle of a search has stopped.
    static constexpr std::int64_t kSilencioMs = 10000;

    explicit cConsultaIndice(std::string rutaEnlace = RutaEnlaceIndice());

    // Connects without waiting and sends the search; false (SinServidor) when no server takes
    // the connection.
    bool Empezar(const std::string& patron, const std::vector<std::string>& carpetas);
    void Revisar();
    Fin Estado() const { return fin_; }
    cEnlaceIndice& Enlace() { return enlace_; }

    // Each slice of hits (files only, each folder ending with '/').
    std::function<void(const std::vector<AciertoIndice>&)> alAciertos;
    // Once, when the search ends in any way.
    std::function<void()> alTerminar;

private:
    void Terminar(Fin f);

    cEnlaceIndice enlace_;
    std::int64_t peticion_ = 0;
    std::int64_t ultimaSenal_ = 0;
    Fin fin_ = Fin::EnCurso;
};

}  // namespace quirvex
