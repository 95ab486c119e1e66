#include "folder/item_carpeta.h"

#include "folder/texto.h"

namespace quirvex {
namespace {

const std::string& Vacio() {
    static const std::string vacio;
    return vacio;
}

}  // namespace

std::variant<std::string, std::int32_t> ItemCarpeta::Extension() const {
    if (PosLista >= 0) return PosLista;
    if (Tipo != TIPO_ARCHIVO) return std::string();
    const auto punto = Nombre.rfind('.');
    if (punto == std::string::npos) return std::string(".");
    return Minusculas(std::string_view(Nombre).substr(punto + 1));
}

std::string ItemCarpeta::Ext() const {
    if (Tipo == TIPO_UNIDAD || Tipo == TIPO_RED_COMPUTADORA) return {};
    if (Tipo != TIPO_ARCHIVO) return std::string(1, '\0');
    const auto punto = Nombre.rfind('.');
    if (punto == std::string::npos) return std::string(1, '\1');
    return Minusculas(std::string_view(Nombre).substr(punto + 1));
}

std::string ItemCarpeta::RutaCompleta(std::string_view carpeta) const {
    if (const TextosItem* t = Textos.Leer(); t && !t->ruta.empty()) return t->ruta;
    std::string r;
    r.reserve(carpeta.size() + 1 + Nombre.size());
    r = carpeta;
    if (!r.empty() && r.back() != SepRuta) r += SepRuta;
    return r += Nombre;
}

const std::string& ItemCarpeta::RutaPropia() const {
    const TextosItem* t = Textos.Leer();
    return t ? t->ruta : Vacio();
}

const std::string& ItemCarpeta::TextoLinea() const {
    const TextosItem* t = Textos.Leer();
    return t ? t->linea : Vacio();
}

const std::string& ItemCarpeta::TextoIcono() const {
    const TextosItem* t = Textos.Leer();
    return t ? t->icono : Vacio();
}

void ItemCarpeta::BorrarEtiquetas() {
    const TextosItem* t = Textos.Leer();
    if (!t) return;
    if (t->ruta.empty()) {
        Textos.Vaciar();
        return;
    }
    TextosItem& e = Textos.Escribir();
    e.linea.clear();
    e.icono.clear();
}

}  // namespace quirvex
