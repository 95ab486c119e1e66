#include "folder/orden.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <utility>

#include "folder/texto.h"
#include "platform/sistema_archivos.h"

namespace quirvex {
namespace {

class Comparador {
public:
    explicit Comparador(int criterio)
        : porFecha_(criterio == ORDEN_CREACION || criterio == ORDEN_MODIFICACION) {}
    int operator()(const ClaveOrden& a, const ClaveOrden& b) const {
        if (porFecha_) return a.fecha < b.fecha ? -1 : (a.fecha > b.fecha ? 1 : 0);
        return CompararUtf16(a.texto, b.texto);
    }

private:
    bool porFecha_;
};

class Ordenador {
public:
    Ordenador(TablaItems& items, int criterio) : it_(items), cmp_(criterio) {}

    void Ordenar(std::ptrdiff_t lo, std::ptrdiff_t hi) {
        const auto n = static_cast<unsigned>(hi - lo + 1);
        int presupuesto = n > 1 ? 2 * static_cast<int>(std::bit_width(n)) : 0;
        Rango(lo, hi, presupuesto);
    }

private:
    bool Menor(std::ptrdiff_t i, std::ptrdiff_t j) const { return cmp_(Clave(i), Clave(j)) < 0; }
    const ClaveOrden& Clave(std::ptrdiff_t i) const { return it_[static_cast<size_t>(i)].Orden; }
    void Cambiar(std::ptrdiff_t i, std::ptrdiff_t j) {
        std::swap(it_[static_cast<size_t>(i)], it_[static_cast<size_t>(j)]);
    }

    // One partition with the pivot at hi; returns the pivot's final place.
    std::ptrdiff_t Particion(std::ptrdiff_t lo, std::ptrdiff_t hi) {
        const ClaveOrden pivote = Clave(hi);
        std::ptrdiff_t l = lo - 1, r = hi;
        for (;;) {
            do ++l; while (cmp_(Clave(l), pivote) < 0);
            do --r; while (r > 0 && cmp_(Clave(r), pivote) > 0);
            if (l >= r) {
                Cambiar(l, hi);
                return l;
            }
            Cambiar(l, r);
        }
    }

    void Rango(std::ptrdiff_t lo, std::ptrdiff_t hi, int presupuesto) {
        while (lo < hi) {
            if (presupuesto-- <= 0) {
                Monticulo(lo, hi);
                return;
            }
            const std::ptrdiff_t p = Particion(lo, hi);
            if (p - lo < hi - p) {
                Rango(lo, p - 1, presupuesto);
                lo = p + 1;
            } else {
                Rango(p + 1, hi, presupuesto);
                hi = p - 1;
            }
        }
    }

    void Hundir(std::ptrdiff_t base, std::ptrdiff_t i, std::ptrdiff_t n) {
        for (;;) {
            std::ptrdiff_t mayor = i, h = 2 * i + 1;
            if (h < n && Menor(base + mayor, base + h)) mayor = h;
            if (h + 1 < n && Menor(base + mayor, base + h + 1)) mayor = h + 1;
            if (mayor == i) return;
            Cambiar(base + i, base + mayor);
            i = mayor;
        }
    }

    void Monticulo(std::ptrdiff_t lo, std::ptrdiff_t hi) {
        const std::ptrdiff_t n = hi - lo + 1;
        for (std::ptrdiff_t i = n / 2 - 1; i >= 0; --i) Hundir(lo, i, n);
        for (std::ptrdiff_t fin = n - 1; fin > 0; --fin) {
            Cambiar(lo, lo + fin);
            Hundir(lo, 0, fin);
        }
    }

    TablaItems& it_;
    Comparador cmp_;
};

}  // namespace

std::string ClaveTamano(std::int64_t tamano) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%020lld", static_cast<long long>(tamano < 0 ? 0 : tamano));
    return buf;
}

void CalcularClavesOrden(TablaItems& items, size_t n, int criterio, const std::string& carpeta) {
    for (size_t i = 0; i < n && i < items.size(); ++i) {
        ItemCarpeta& it = items[i];
        it.Orden = ClaveOrden{};
        switch (criterio) {
            case ORDEN_EXTENSION:
                it.Orden.texto = Minusculas(it.Ext) + "." + it.NombreMostrar;
                break;
            case ORDEN_NOMBRE: it.Orden.texto = it.Nombre; break;
            case ORDEN_TAMANO:
                if (it.Tipo == TIPO_ARCHIVO) {
                    const auto e = Archivos().Consultar(carpeta + it.Nombre);
                    it.Orden.texto = ClaveTamano(e ? e->tamano : 0);
                }
                break;
            case ORDEN_CREACION: it.Orden.fecha = it.FechaCreacion; break;
            case ORDEN_MODIFICACION: it.Orden.fecha = it.FechaModificacion; break;
            default: break;
        }
    }
}

void OrdenarItems(TablaItems& items, size_t n, int criterio) {
    n = std::min(n, items.size());
    if (n < 2) return;
    Ordenador(items, criterio).Ordenar(0, static_cast<std::ptrdiff_t>(n) - 1);
}

}  // namespace quirvex
