#include "folder/orden.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <string_view>
#include <utility>
#include <vector>

#include "folder/texto.h"
#include "platform/sistema_archivos.h"
#include "platform/smb.h"

namespace quirvex {
namespace {

template <TipoClave kTipo>
class Ordenador {
public:
    explicit Ordenador(std::vector<ClaveIndice>& claves) : c_(claves) {}

    void Ordenar(std::ptrdiff_t lo, std::ptrdiff_t hi) {
        const auto n = static_cast<unsigned>(hi - lo + 1);
        int presupuesto = n > 1 ? 2 * static_cast<int>(std::bit_width(n)) : 0;
        Rango(lo, hi, presupuesto);
    }

private:
    static int Comparar(const ClaveIndice& a, const ClaveIndice& b) {
        if constexpr (kTipo == TipoClave::Fechas) {
            return a.numero < b.numero ? -1 : (a.numero > b.numero ? 1 : 0);
        } else if constexpr (kTipo == TipoClave::Entero) {
            return a.entero < b.entero ? -1 : (a.entero > b.entero ? 1 : 0);
        } else {
            // `entero` holds eight ranked bytes from where the texts start to differ; only
            // texts that agree on those are compared in full.
            if (a.entero != b.entero) return a.entero < b.entero ? -1 : 1;
            return CompararUtf16(a.texto, b.texto);
        }
    }
    bool Menor(std::ptrdiff_t i, std::ptrdiff_t j) const { return Comparar(Clave(i), Clave(j)) < 0; }
    const ClaveIndice& Clave(std::ptrdiff_t i) const { return c_[static_cast<size_t>(i)]; }
    void Cambiar(std::ptrdiff_t i, std::ptrdiff_t j) {
        std::swap(c_[static_cast<size_t>(i)], c_[static_cast<size_t>(j)]);
    }

    // One partition with the pivot at hi; returns the pivot's final place.
    std::ptrdiff_t Particion(std::ptrdiff_t lo, std::ptrdiff_t hi) {
        const ClaveIndice pivote = Clave(hi);
        std::ptrdiff_t l = lo - 1, r = hi;
        for (;;) {
            do ++l; while (Comparar(Clave(l), pivote) < 0);
            do --r; while (r > 0 && Comparar(Clave(r), pivote) > 0);
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

    std::vector<ClaveIndice>& c_;
};

// Fills each text key's `entero` with its eight ranked bytes after the part every key shares
// (zeros past its end). Names of one folder often share a long start ("IMG_2024...", "file-0"),
// which a plain comparison walks again and again; most comparisons then end on one number.
// Numbers in this order agree with CompararUtf16, and equal numbers fall back to it, so the
// comparisons and hence the result are the same as comparing the texts alone.
void PrepararPrefijos(std::vector<ClaveIndice>& claves) {
    size_t comun = claves[0].texto.size();
    const std::string_view primero = claves[0].texto;
    for (const ClaveIndice& c : claves) {
        const size_t n = std::min(comun, c.texto.size());
        size_t i = 0;
        while (i < n && c.texto[i] == primero[i]) ++i;
        comun = i;
        if (comun == 0) break;
    }
    for (ClaveIndice& c : claves) {
        std::uint64_t v = 0;
        for (size_t k = 0; k < 8; ++k) {
            const size_t i = comun + k;
            v = (v << 8) | (i < c.texto.size() ? RangoUtf16(static_cast<unsigned char>(c.texto[i])) : 0u);
        }
        c.entero = v;
    }
}

}  // namespace

void OrdenarClaves(std::vector<ClaveIndice>& claves, TipoClave tipo) {
    if (claves.size() < 2) return;
    const auto hi = static_cast<std::ptrdiff_t>(claves.size()) - 1;
    switch (tipo) {
        case TipoClave::Fechas: Ordenador<TipoClave::Fechas>(claves).Ordenar(0, hi); break;
        case TipoClave::Entero: Ordenador<TipoClave::Entero>(claves).Ordenar(0, hi); break;
        case TipoClave::Texto:
            PrepararPrefijos(claves);
            Ordenador<TipoClave::Texto>(claves).Ordenar(0, hi);
            break;
    }
}

std::string ClaveTamano(std::int64_t tamano) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%020lld", static_cast<long long>(tamano < 0 ? 0 : tamano));
    return buf;
}

std::vector<ClaveOrden> CalcularClavesOrden(const TablaItems& items, size_t n, int criterio,
                                            const std::string& carpeta) {
    std::vector<ClaveOrden> claves(std::min(n, items.size()));
    for (size_t i = 0; i < claves.size(); ++i) {
        const ItemCarpeta& it = items[i];
        ClaveOrden& clave = claves[i];
        switch (criterio) {
            case ORDEN_EXTENSION:
                clave.texto = Minusculas(it.Ext()) + "." + it.NombreMostrar();
                break;
            case ORDEN_NOMBRE: clave.texto = it.Nombre; break;
            case ORDEN_TAMANO:
                if (it.Tipo == TIPO_ARCHIVO && EsRutaRed(carpeta)) {
                    // One question per file to a server would cost a round trip each.
                    clave.texto = ClaveTamano(it.Tamano);
                } else if (it.Tipo == TIPO_ARCHIVO) {
                    const auto e = Archivos().Consultar(carpeta + it.Nombre);
                    clave.texto = ClaveTamano(e ? e->tamano : 0);
                }
                break;
            case ORDEN_CREACION: clave.fecha = it.FechaCreacion; break;
            case ORDEN_MODIFICACION: clave.fecha = it.FechaModificacion; break;
            default: break;
        }
    }
    return claves;
}

namespace {

// Moves each element once, along the cycles of the permutation, inside the table it is in: no
// second table of the folder's size is allocated. Element i ends where desde[i] was.
template <typename T>
void Permutar(std::vector<T>& t, const std::vector<ClaveIndice>& desde, size_t n) {
    std::vector<bool> hecho(n, false);
    for (size_t inicio = 0; inicio < n; ++inicio) {
        if (hecho[inicio] || desde[inicio].indice == inicio) continue;
        T enMano = std::move(t[inicio]);
        size_t j = inicio;
        for (;;) {
            hecho[j] = true;
            const size_t k = desde[j].indice;
            if (k == inicio) {
                t[j] = std::move(enMano);
                break;
            }
            t[j] = std::move(t[k]);
            j = k;
        }
    }
}

}  // namespace

void OrdenarItems(TablaItems& items, std::vector<ClaveOrden>& orden, size_t n, int criterio,
                  std::vector<std::uint32_t>* permutacion) {
    n = std::min({n, items.size(), orden.size()});
    if (permutacion) {
        permutacion->resize(items.size());
        for (size_t i = 0; i < items.size(); ++i) (*permutacion)[i] = static_cast<std::uint32_t>(i);
    }
    if (n < 2) return;
    // The text keys are copied side by side into one block: the sort compares keys of entries
    // far apart in the table, and reading them one allocation each would miss the processor's
    // cache on nearly every comparison.
    size_t total = 0;
    for (size_t i = 0; i < n; ++i) total += orden[i].texto.size();
    std::string bloque;
    bloque.reserve(total);
    std::vector<ClaveIndice> claves;
    claves.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        const std::string& t = orden[i].texto;
        claves.push_back({std::string_view(bloque.data() + bloque.size(), t.size()), orden[i].fecha, 0,
                          static_cast<std::uint32_t>(i)});
        bloque += t;
    }
    OrdenarClaves(claves, criterio == ORDEN_CREACION || criterio == ORDEN_MODIFICACION
                              ? TipoClave::Fechas
                              : TipoClave::Texto);
    if (permutacion)
        for (size_t i = 0; i < n; ++i) (*permutacion)[i] = static_cast<std::uint32_t>(claves[i].indice);
    Permutar(items, claves, n);
    Permutar(orden, claves, n);
}

}  // namespace quirvex
