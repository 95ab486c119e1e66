#include "pane/busqueda_tecleada.h"

#include "folder/texto.h"
#include "pane/ajustar_texto.h"

namespace quirvex {

namespace {

constexpr std::int64_t kPausaMs = 1000;
// Leading signs skipped when the current item is tested, and the shorter list used when
// searching the other items.
constexpr std::string_view kSignosActual = "[](){}!\u00ba#%=_-.+";
constexpr std::string_view kSignosBusqueda = "[_-.+";

// The upper-cased name begins with texto; desde skips that many leading characters.
bool Empieza(std::string_view nombre, std::size_t desde, std::string_view texto) {
    std::size_t pos = 0;
    for (std::size_t k = 0; k < desde && pos < nombre.size(); ++k) {
        pos = SiguienteCaracter(nombre, pos);
    }
    const std::string resto = MayusculasNombre(nombre.substr(pos));
    return resto.compare(0, texto.size(), texto) == 0 && resto.size() >= texto.size();
}

bool PrimeroEnLista(std::string_view nombre, std::string_view lista) {
    if (nombre.empty()) return false;
    const std::string_view primero = nombre.substr(0, SiguienteCaracter(nombre, 0));
    for (std::size_t pos = 0; pos < lista.size();) {
        const std::size_t sig = SiguienteCaracter(lista, pos);
        if (lista.substr(pos, sig - pos) == primero) return true;
        pos = sig;
    }
    return false;
}

bool Coincide(std::string_view nombre, std::string_view texto, bool saltarSignos,
              std::string_view signos) {
    if (Empieza(nombre, 0, texto)) return true;
    return saltarSignos && ContarCaracteres(nombre) > ContarCaracteres(texto) &&
           PrimeroEnLista(nombre, signos) && Empieza(nombre, 1, texto);
}

}  // namespace

// The same upper-casing the filter uses, so typing "ñ" finds "Ñandú" in both.
std::string MayusculasNombre(std::string_view texto) { return Mayusculas(texto); }

void cBusquedaTecleada::Limpiar() {
    texto_.clear();
    ultimaTecla_ = 0;
}

int cBusquedaTecleada::AddStrSel(std::string_view caracter, std::int64_t ahoraMs,
                                 cSeleccionVisor* visor, bool saltarSignos) {
    // A clock that went backwards counts as a pause too.
    const std::int64_t pausa = ahoraMs - ultimaTecla_;
    if (pausa > kPausaMs || pausa < 0) texto_.clear();
    ultimaTecla_ = ahoraMs;
    texto_ += caracter;
    if (visor == nullptr || visor->nItems() == 0) return -1;

    const TablaItems& items = visor->Items();
    const int n = visor->nItems();
    const int actual = visor->sActual();
    if (actual >= 0 && Coincide(items[actual].Nombre, texto_, saltarSignos, kSignosActual)) {
        return -1;
    }
    const int inicio = actual >= 0 ? actual + 1 : 0;
    const int examinar = actual >= 0 ? n - 1 : n;  // every item but the current one
    for (int paso = 0; paso < examinar; ++paso) {
        const int i = (inicio + paso) % n;
        if (Coincide(items[i].Nombre, texto_, saltarSignos, kSignosBusqueda)) {
            visor->SELECCIONAR(i, SEL_EXCLUSIVA, true);
            return i;
        }
    }
    return -1;
}

}  // namespace quirvex
