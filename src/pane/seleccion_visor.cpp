#include "pane/seleccion_visor.h"

#include <algorithm>
#include <limits>
#include <string_view>
#include <unordered_map>

namespace quirvex {

namespace {

// Up to this many items are repainted one by one when the selection is emptied; beyond it the
// window repaints what is visible in one go.
constexpr std::size_t kRepintadoIndividual = 32;

}  // namespace

cSeleccionVisor::cSeleccionVisor(TablaItems& items, cOyenteVisor* oyente, FuncionTamano tamano)
    : items_(items), oyente_(oyente), tamano_(std::move(tamano)) {
    if (!tamano_) tamano_ = [](const ItemCarpeta& item) { return item.Tamano; };
}

void cSeleccionVisor::Reiniciar(int nItems) {
    const std::size_t tope = std::min<std::size_t>(items_.size(), std::numeric_limits<int>::max());
    nItems_ = std::clamp(nItems, 0, static_cast<int>(tope));
    for (ItemCarpeta& item : items_) item.PosSeleccion = 0;
    lista_.clear();
    totalSel_ = 0;
    sActual_ = -1;
    ancla_ = -1;
}

bool cSeleccionVisor::Seleccionado(int item) const {
    return item >= 0 && item < nItems_ && items_[item].PosSeleccion != 0;
}

void cSeleccionVisor::SetSActual(int item) {
    sActual_ = (item >= 0 && item < nItems_) ? item : -1;
}

bool cSeleccionVisor::SELECCIONAR(int item, int tipo, bool forzar) {
    if (item < 0 || item >= nItems_) return false;
    if (!forzar && item == sActual_) return false;
    if (tipo == SEL_EXCLUSIVA || lista_.empty()) ancla_ = item;
    sActual_ = item;
    if (tipo == SEL_SOLO_ACTUAL) return true;
    AplicarTipo(item, tipo);
    if (oyente_) {
        oyente_->RedibujarItem(item);
        oyente_->ActualizarBarraEstado(item);
    }
    return true;
}

void cSeleccionVisor::AplicarTipo(int item, int tipo) {
    if (tipo == SEL_EXCLUSIVA) {
        DeseleccionarTodo();
        Agregar(item);
    } else if (tipo == SEL_ALTERNAR) {
        Alternar(item);
    }
}

void cSeleccionVisor::Agregar(int item) {
    ItemCarpeta& it = items_[item];
    const std::int64_t tamano = it.Tipo == TIPO_ARCHIVO ? tamano_(it) : 0;
    lista_.push_back(ItemSel{std::string(), item, tamano});
    it.PosSeleccion = static_cast<std::int32_t>(lista_.size());
    totalSel_ += tamano;
}

void cSeleccionVisor::Quitar(int item) {
    ItemCarpeta& it = items_[item];
    const std::size_t pos = static_cast<std::size_t>(it.PosSeleccion - 1);
    totalSel_ -= lista_[pos].Tamano;
    lista_.erase(lista_.begin() + static_cast<std::ptrdiff_t>(pos));
    for (std::size_t k = pos; k < lista_.size(); ++k) {
        items_[lista_[k].Item].PosSeleccion = static_cast<std::int32_t>(k + 1);
    }
    it.PosSeleccion = 0;
}

void cSeleccionVisor::Alternar(int item) {
    if (items_[item].PosSeleccion == 0) {
        Agregar(item);
    } else if (lista_.size() == 1) {
        DeseleccionarTodo();
    } else {
        Quitar(item);
    }
}

void cSeleccionVisor::QuitarSi(const std::function<bool(int)>& fuera) {
    std::size_t destino = 0;
    for (std::size_t k = 0; k < lista_.size(); ++k) {
        ItemSel& slot = lista_[k];
        if (fuera(slot.Item)) {
            items_[slot.Item].PosSeleccion = 0;
            totalSel_ -= slot.Tamano;
            continue;
        }
        if (destino != k) lista_[destino] = std::move(slot);
        items_[lista_[destino].Item].PosSeleccion = static_cast<std::int32_t>(destino + 1);
        ++destino;
    }
    const bool habia = !lista_.empty();
    lista_.resize(destino);
    // Taking the last item off one by one would have emptied the selection the full way.
    if (habia && lista_.empty()) DeseleccionarTodo();
}

void cSeleccionVisor::DeseleccionarTodo() {
    const std::size_t habia = lista_.size();
    for (const ItemSel& slot : lista_) items_[slot.Item].PosSeleccion = 0;
    std::vector<ItemSel> anterior;
    anterior.swap(lista_);
    totalSel_ = 0;
    if (!oyente_) return;
    if (habia > kRepintadoIndividual) {
        oyente_->RedibujarItems();
    } else {
        for (const ItemSel& slot : anterior) oyente_->RedibujarItem(slot.Item);
    }
    oyente_->SeleccionVaciada();
}

LugarPorNombre cSeleccionVisor::Lugar() const {
    LugarPorNombre l;
    l.seleccion.reserve(lista_.size());
    for (const ItemSel& slot : lista_) l.seleccion.push_back(items_[slot.Item].Nombre);
    if (sActual_ >= 0) l.actual = items_[sActual_].Nombre;
    if (ancla_ >= 0 && ancla_ < nItems_) l.ancla = items_[ancla_].Nombre;
    return l;
}

void cSeleccionVisor::Restaurar(const LugarPorNombre& lugar) {
    if (lugar.seleccion.empty() && lugar.actual.empty()) return;
    std::unordered_map<std::string_view, int> indice;
    indice.reserve(static_cast<std::size_t>(nItems_));
    for (int i = 0; i < nItems_; ++i) indice.emplace(items_[i].Nombre, i);
    const auto buscar = [&](const std::string& nombre) {
        const auto it = nombre.empty() ? indice.end() : indice.find(nombre);
        return it == indice.end() ? -1 : it->second;
    };
    for (const std::string& nombre : lugar.seleccion) {
        const int i = buscar(nombre);
        if (i >= 0 && items_[i].PosSeleccion == 0) Agregar(i);
    }
    sActual_ = buscar(lugar.actual);
    ancla_ = buscar(lugar.ancla);
    if (ancla_ < 0 && !lista_.empty()) ancla_ = sActual_ >= 0 ? sActual_ : lista_.front().Item;
    if (oyente_ && !lista_.empty()) oyente_->RedibujarItems();
}

void cSeleccionVisor::SeleccionarConModo(int item, int modo, int columnas) {
    switch (modo) {
        case MODO_SEL_9X:
            Seleccionar9X(item, columnas);
            break;
        case MODO_SEL_MAC:
            // The clicked item is toggled even when it is already the current one.
            SELECCIONAR(item, SEL_ALTERNAR, true);
            break;
        default:
            SeleccionarXP(item);
            break;
    }
}

void cSeleccionVisor::SeleccionarXP(int item) {
    if (item < 0 || item >= nItems_) return;
    if (ancla_ < 0) {
        SELECCIONAR(item, SEL_EXCLUSIVA, true);
        return;
    }
    const int desde = std::min(ancla_, item);
    const int hasta = std::min(std::max(ancla_, item), nItems_ - 1);
    QuitarSi([desde, hasta](int i) { return i < desde || i > hasta; });
    for (int k = desde; k <= hasta; ++k) {
        if (items_[k].PosSeleccion == 0) Agregar(k);
    }
    sActual_ = item;
    if (oyente_) {
        oyente_->RedibujarItems();
        oyente_->ActualizarBarraEstado(item);
    }
}

void cSeleccionVisor::Seleccionar9X(int item, int columnas) {
    if (item < 0 || item >= nItems_) return;
    columnas = std::max(columnas, 1);
    if (ancla_ < 0) ancla_ = 0;  // with no anchor the rectangle starts at the first cell
    const int col0 = std::min(ancla_ % columnas, item % columnas);
    const int col1 = std::max(ancla_ % columnas, item % columnas);
    const int fila0 = std::min(ancla_ / columnas, item / columnas);
    const int fila1 = std::max(ancla_ / columnas, item / columnas);
    QuitarSi([=](int i) {
        const int c = i % columnas;
        const int f = i / columnas;
        return c < col0 || c > col1 || f < fila0 || f > fila1;
    });
    for (int f = fila0; f <= fila1; ++f) {
        for (int c = col0; c <= col1; ++c) {
            const std::int64_t k = static_cast<std::int64_t>(f) * columnas + c;
            if (k >= nItems_) break;
            if (items_[k].PosSeleccion == 0) Agregar(static_cast<int>(k));
        }
    }
    sActual_ = item;
    if (oyente_) {
        oyente_->RedibujarItems();
        oyente_->ActualizarBarraEstado(item);
    }
}

void cSeleccionVisor::SeleccionarTODO() {
    if (nItems_ == 0) return;
    lista_.reserve(static_cast<std::size_t>(nItems_));
    for (int k = 0; k < nItems_; ++k) {
        if (items_[k].PosSeleccion == 0) Agregar(k);
    }
    if (oyente_) {
        oyente_->RedibujarItems();
        oyente_->ActualizarBarraEstado(nItems_ - 1);
    }
}

void cSeleccionVisor::InvertirSeleccion() {
    if (nItems_ == 0) return;
    // Toggling every item in table order takes each selected item off as it is reached and
    // appends each unselected one: the result is the unselected items in table order.
    std::vector<char> estaba(static_cast<std::size_t>(nItems_), 0);
    for (const ItemSel& slot : lista_) estaba[static_cast<std::size_t>(slot.Item)] = 1;
    // One by one, the selection runs empty on the way exactly when it held the first c items.
    const std::size_t c = lista_.size();
    const bool vaciada =
        c > 0 && std::all_of(estaba.begin(), estaba.begin() + static_cast<std::ptrdiff_t>(c),
                             [](char e) { return e != 0; });
    for (const ItemSel& slot : lista_) items_[slot.Item].PosSeleccion = 0;
    lista_.clear();
    totalSel_ = 0;
    for (int k = 0; k < nItems_; ++k) {
        if (!estaba[static_cast<std::size_t>(k)]) Agregar(k);
    }
    if (!oyente_) return;
    oyente_->RedibujarItems();
    if (vaciada) oyente_->SeleccionVaciada();
    oyente_->ActualizarBarraEstado(nItems_ - 1);
}

int cSeleccionVisor::SelTipo(TipoItem tipo) const {
    return static_cast<int>(std::count_if(lista_.begin(), lista_.end(), [&](const ItemSel& s) {
        return items_[s.Item].Tipo == tipo;
    }));
}

std::vector<std::string> cSeleccionVisor::RutasSeleccion(std::string_view rutaActual) const {
    std::vector<std::string> rutas;
    rutas.reserve(lista_.size());
    for (const ItemSel& slot : lista_) {
        rutas.push_back(items_[slot.Item].RutaCompleta(rutaActual));
    }
    return rutas;
}

void cSeleccionVisor::SetClipboardSel(std::string_view rutaActual) {
    if (oyente_) oyente_->SetListaPortapapeles(RutasSeleccion(rutaActual));
}

void cSeleccionVisor::SetTextoSlot(int k, std::string texto) {
    if (k >= 0 && static_cast<std::size_t>(k) < lista_.size()) lista_[k].Texto = std::move(texto);
}

std::string cSeleccionVisor::Verificar() const {
    if (nItems_ < 0 || static_cast<std::size_t>(nItems_) > items_.size()) return "nItems fuera";
    if (sActual_ < -1 || sActual_ >= nItems_) return "sActual fuera de la tabla";
    if (ancla_ < -1 || ancla_ >= nItems_) return "Ancla fuera de la tabla";
    std::int64_t total = 0;
    for (std::size_t k = 0; k < lista_.size(); ++k) {
        const int i = lista_[k].Item;
        if (i < 0 || i >= nItems_) return "ListaSel[" + std::to_string(k) + "] fuera de la tabla";
        const ItemCarpeta& item = items_[i];
        if (item.PosSeleccion != static_cast<std::int32_t>(k + 1)) {
            return "PosSeleccion de " + std::to_string(i) + " es " +
                   std::to_string(item.PosSeleccion) + ", ListaSel dice " + std::to_string(k + 1);
        }
        const std::int64_t esperado = item.Tipo == TIPO_ARCHIVO ? tamano_(item) : 0;
        if (lista_[k].Tamano != esperado) return "tamano de ListaSel[" + std::to_string(k) + "]";
        total += lista_[k].Tamano;
    }
    if (total != totalSel_) return "TotalSEL " + std::to_string(totalSel_) + " != " +
                                   std::to_string(total);
    // Each listed item matched its slot above, so any further marked item is a stray.
    const auto marcados = std::count_if(items_.begin(), items_.end(),
                                        [](const ItemCarpeta& it) { return it.PosSeleccion != 0; });
    if (static_cast<std::size_t>(marcados) != lista_.size()) {
        return "items marcados " + std::to_string(marcados) + " != nSel " +
               std::to_string(lista_.size());
    }
    return {};
}

}  // namespace quirvex
