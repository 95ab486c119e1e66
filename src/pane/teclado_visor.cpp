#include "pane/teclado_visor.h"

#include <cctype>

namespace quirvex {
namespace {

// Where a movement key goes from the current item; -1 when it goes nowhere.
std::int64_t Destino(TeclaVisor t, const EstadoTeclado& e) {
    const std::int64_t a = e.actual, n = e.n, cols = e.detalles ? 1 : e.columnas;
    if (n <= 0) return -1;
    switch (t) {
        case TeclaVisor::RePag: {
            const std::int64_t d = a - e.columnas * e.pagina;
            if (d >= 1) return d;
            return a == 0 ? -1 : 0;
        }
        case TeclaVisor::AvPag: {
            const std::int64_t d = a + e.columnas * e.pagina;
            if (d < n) return d;
            return a == n - 1 ? -1 : n - 1;
        }
        case TeclaVisor::Fin: return n - 1;
        case TeclaVisor::Inicio: return 0;
        case TeclaVisor::Izquierda: return a >= 1 ? a - 1 : -1;
        case TeclaVisor::Derecha: return a < n - 1 ? a + 1 : -1;
        case TeclaVisor::Arriba: return a >= cols ? a - cols : -1;
        case TeclaVisor::Abajo: return a < n - cols ? a + cols : -1;
        default: return -1;
    }
}

bool EsMovimiento(TeclaVisor t) {
    switch (t) {
        case TeclaVisor::RePag: case TeclaVisor::AvPag: case TeclaVisor::Fin:
        case TeclaVisor::Inicio: case TeclaVisor::Izquierda: case TeclaVisor::Derecha:
        case TeclaVisor::Arriba: case TeclaVisor::Abajo:
            return true;
        default:
            return false;
    }
}

// Type-ahead text of a key: letters, and four punctuation keys that differ with Shift.
std::string TextoDe(TeclaVisor t, bool shift, char letra) {
    switch (t) {
        case TeclaVisor::Letra:
            return std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(letra))));
        case TeclaVisor::Coma: return shift ? ";" : ",";
        case TeclaVisor::Guion: return shift ? "_" : "-";
        case TeclaVisor::Punto: return ".";
        case TeclaVisor::Enie: return "Ñ";
        default: return {};
    }
}

AccionTecla Mover(TeclaVisor t, const EstadoTeclado& e, ComandoTecla c) {
    const std::int64_t d = Destino(t, e);
    if (d < 0) return {};
    return {c, d, {}};
}

}  // namespace

AccionTecla TraducirTecla(TeclaVisor t, int mods, const EstadoTeclado& e, char letra) {
    switch (mods) {
        case 0:
            if (t == TeclaVisor::Retroceso) return {ComandoTecla::SubirNivel, -1, {}};
            if (t == TeclaVisor::Intro) return {ComandoTecla::Abrir, -1, {}};
            if (t == TeclaVisor::Menu) return {ComandoTecla::MenuContextual, e.actual, {}};
            if (EsMovimiento(t)) return Mover(t, e, ComandoTecla::Seleccionar);
            break;
        case MOD_SHIFT:
            if (EsMovimiento(t)) return Mover(t, e, ComandoTecla::SeleccionarRango);
            break;
        case MOD_CTRL:
            if (t == TeclaVisor::Espacio && e.actual >= 0)
                return {ComandoTecla::AlternarActual, e.actual, {}};
            if (EsMovimiento(t) && t != TeclaVisor::RePag && t != TeclaVisor::AvPag)
                return Mover(t, e, ComandoTecla::MoverActual);
            return {};
        case MOD_ALT:
            if (t == TeclaVisor::Intro && e.actual >= 0) return {ComandoTecla::Propiedades, e.actual, {}};
            if (t == TeclaVisor::Izquierda && e.puedeAtras) return {ComandoTecla::Atras, -1, {}};
            if (t == TeclaVisor::Derecha && e.puedeAdelante) return {ComandoTecla::Adelante, -1, {}};
            return {};
        default:
            return {};
    }
    std::string texto = TextoDe(t, mods == MOD_SHIFT, letra);
    if (texto.empty()) return {};
    return {ComandoTecla::TextoTecleado, -1, std::move(texto)};
}

std::int64_t FilasPorPagina(int altoVisible, int altoCelda) {
    if (altoCelda <= 0) return 1;
    const std::int64_t p = altoVisible / altoCelda - 1;
    return p < 1 ? 1 : p;
}

}  // namespace quirvex
