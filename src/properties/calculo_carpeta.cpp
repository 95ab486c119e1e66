#include "properties/calculo_carpeta.h"

#include "folder/rutas.h"
#include "platform/lector_carpetas.h"

namespace quirvex {
namespace {

struct Suma {
    std::int64_t archivos = 0;
    std::int64_t carpetas = 0;
    std::int64_t tamano = 0;
};

class Recorrido {
public:
    Recorrido(const OpcionesCalculo& o, ResultadoCalculo& r)
        : o_(o), r_(r), lector_(LectorSistema()) {}

    // Adds the tree below the open folder `h` (whose path is `ruta`, ending in '/') to `s`.
    // Records direct subfolders when `raiz` is set.
    void Recorrer(ManejadorCarpeta h, const std::string& ruta, Suma& s, bool raiz) {
        ContenidoCarpeta c;
        const bool entero = lector_.Leer(h, c, o_.cancelar);
        if (Cancelado()) return;
        if (!entero) r_.completo = false;
        s.archivos += c.archivos;
        s.tamano += c.bytes;
        Anotar(c.archivos, 0, c.bytes);
        for (const std::string& nombre : c.subcarpetas) {
            if (Cancelado()) return;
            const std::string sub = ruta + nombre + '/';
            if (o_.alEntrar) o_.alEntrar(sub);
            FalloCarpeta fallo = FalloCarpeta::Ninguno;
            const ManejadorCarpeta hs = lector_.Abrir(h, nombre, fallo);
            // Removed, or swapped for a link or a file, since it was listed: the folder that was
            // listed is not there any more, and what took its place is never entered.
            if (fallo == FalloCarpeta::NoExiste || fallo == FalloCarpeta::NoEsCarpeta) continue;
            Suma dentro;
            if (hs == CARPETA_INVALIDA) {
                r_.completo = false;
            } else {
                Recorrer(hs, sub, dentro, false);
                lector_.Cerrar(hs);
            }
            s.archivos += dentro.archivos;
            s.carpetas += dentro.carpetas + 1;
            s.tamano += dentro.tamano;
            Anotar(0, 1, 0);
            if (raiz) r_.subcarpetas.push_back({ruta, nombre, dentro.archivos, dentro.carpetas, dentro.tamano});
        }
    }

private:
    bool Cancelado() {
        if (o_.cancelar && o_.cancelar->load(std::memory_order_relaxed)) r_.cancelado = true;
        return r_.cancelado;
    }

    void Anotar(std::int64_t archivos, std::int64_t carpetas, std::int64_t tamano) {
        if (!o_.contadores) return;
        o_.contadores->archivos.fetch_add(archivos, std::memory_order_relaxed);
        o_.contadores->carpetas.fetch_add(carpetas, std::memory_order_relaxed);
        o_.contadores->tamano.fetch_add(tamano, std::memory_order_relaxed);
    }

    const OpcionesCalculo& o_;
    ResultadoCalculo& r_;
    LectorCarpetas& lector_;
};

}  // namespace

ResultadoCalculo CalcularCarpeta(const std::string& carpeta, const OpcionesCalculo& opciones) {
    ResultadoCalculo r;
    FalloCarpeta fallo = FalloCarpeta::Ninguno;
    LectorCarpetas& lector = LectorSistema();
    const ManejadorCarpeta h = lector.Abrir(CARPETA_INVALIDA, SinBarraFinal(carpeta), fallo);
    if (h == CARPETA_INVALIDA) {
        r.existe = false;
        return r;
    }
    Suma s;
    Recorrido(opciones, r).Recorrer(h, AgregarBarra(carpeta), s, true);
    lector.Cerrar(h);
    r.archivos = s.archivos;
    r.carpetas = s.carpetas;
    r.tamano = s.tamano;
    return r;
}

}  // namespace quirvex
