#include "pane/formato_visor.h"

#include <charconv>

#include "folder/contenido_visor.h"
#include "folder/tabla_unidades.h"
#include "folder/texto.h"
#include "platform/sistema_archivos.h"
#include "platform/unidades.h"
#include "settings/idioma.h"
#include "settings/opciones.h"

namespace quirvex {

namespace {

constexpr const char* kUnidades[] = {" bytes", " KB", " MB", " GB", " TB",
                                     " PB",    " EB", " ZB", " YB"};

struct LetraAtributo {
    std::uint32_t bit;
    char letra;
};
constexpr LetraAtributo kLetras[] = {{ATR_DIRECTORIO, 'D'}, {ATR_ARCHIVO, 'A'},
                                     {ATR_SOLO_LECTURA, 'R'}, {ATR_OCULTO, 'H'},
                                     {4, 'S'},                {8, 'V'},
                                     {ATR_DISPOSITIVO, 'a'}};

struct NombreTipoUnidad {
    int tipo;
    const char* nombre;
};
constexpr NombreTipoUnidad kTiposUnidad[] = {
    {2, "Floppy disk"},     {UNIDAD_FIJA, "Local disk"}, {UNIDAD_REMOTA, "Network drive"},
    {UNIDAD_OPTICA, "CD drive"}, {UNIDAD_RAM, "RAM disk"}, {UNIDAD_EXTRAIBLE, "Removable disk"},
};

bool TerminaEn(const std::string& s, const std::string& fin) {
    return s.size() >= fin.size() && s.compare(s.size() - fin.size(), fin.size(), fin) == 0;
}

// Shortest text that reads back as the same number, with the locale's separator.
std::string NumeroDecimal(double valor, std::string_view separador) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, valor, std::chars_format::fixed);
    std::string s(buf, r.ptr);
    const auto punto = s.find('.');
    if (punto != std::string::npos) s.replace(punto, 1, separador);
    return s;
}

// The first n characters (not bytes) of a text.
std::string Primeros(const std::string& s, std::size_t n) {
    std::size_t pos = 0;
    for (std::size_t k = 0; k < n && pos < s.size(); ++k) {
        const auto c = static_cast<unsigned char>(s[pos]);
        pos += c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    }
    return s.substr(0, std::min(pos, s.size()));
}

}  // namespace

std::string FormatearTamano(std::int64_t valor, int unidad, std::string_view separador) {
    double v = static_cast<double>(valor);
    while (v >= 1024.0 && unidad < 8) {
        v /= 1024.0;
        ++unidad;
    }
    std::string t = Primeros(NumeroDecimal(v, separador), 4);
    // The clean-up follows the separator actually used, so "1.0 KB" is cleaned up as "1,0 KB"
    // is: a period locale must not show "100. MB".
    const std::string sep(separador);
    if (!sep.empty()) {
        if (TerminaEn(t, sep)) t = Primeros(t, 3);
        if (TerminaEn(t, sep + "0")) t = Primeros(t, 2);
        if (TerminaEn(t, sep + "00")) t = Primeros(t, 1);
    }
    return t + kUnidades[std::clamp(unidad, 0, 8)];
}

std::string TextoAtributos(std::uint32_t a) {
    std::string s;
    for (const LetraAtributo& l : kLetras) s += (a & l.bit) ? l.letra : '_';
    s += a >= ATR_ENLACE ? 'X' : '_';
    return s;
}

std::string TextoTipoUnidad(int tipo) {
    for (const NombreTipoUnidad& t : kTiposUnidad)
        if (t.tipo == tipo) return t.nombre;
    return "Drive";
}

std::string TextoTipoItem(const ItemCarpeta& item) {
    if (item.Tipo == TIPO_UNIDAD) {
        const std::int32_t i = item.PosLista;
        const auto& tabla = TablaUnidades();
        if (i >= 0 && static_cast<std::size_t>(i) < tabla.size())
            return TextoTipoUnidad(tabla[static_cast<std::size_t>(i)].tipo);
        return TextoTipoUnidad(0);
    }
    if (item.Tipo == TIPO_CARPETA || item.EsCarpeta()) return "Carpeta";
    const auto punto = item.Nombre.rfind('.');
    return "Archivo " + (punto == std::string::npos ? item.Nombre : item.Nombre.substr(punto + 1));
}

namespace {

std::string ParteItem(cContenidoVisor& c, ItemCarpeta& it, std::string_view sep) {
    if (it.Tipo == TIPO_ARCHIVO) {
        // A key moving through a share must not wait on its server: the listing's size stands.
        if (c.EnRecursoRed()) return Texto(frmMainSec, 57) + ": " + FormatearTamano(it.Tamano, 0, sep);
        if (const auto e = Archivos().Consultar(it.RutaCompleta(c.RutaActual)); e && e->tamano != it.Tamano) {
            c.TotalSize += e->tamano - it.Tamano;
            it.Tamano = e->tamano;
        }
        return Texto(frmMainSec, 57) + ": " + FormatearTamano(it.Tamano, 0, sep);
    }
    if (it.Tipo == TIPO_CARPETA) return Texto(General, 64);
    if (it.Tipo == TIPO_UNIDAD) {
        const std::int32_t i = it.PosLista;
        const auto& tabla = TablaUnidades();
        if (i < 0 || static_cast<std::size_t>(i) >= tabla.size()) return {};
        const RegistroUnidad& u = tabla[static_cast<std::size_t>(i)];
        const std::string tipo = TextoTipoUnidad(u.tipo);
        if (u.tipo == UNIDAD_EXTRAIBLE || u.tipo == 2) return "(" + tipo + ")";
        return Texto(frmMainSec, 64) + " " + FormatearTamano(EspacioLibre(u.raiz), 0, sep) +
               ", " + Texto(frmMainSec, 60) + " " +
               FormatearTamano(EspacioTotal(u.raiz), 0, sep) + " (" + tipo + ")";
    }
    return {};
}

}  // namespace

std::string TextoBarraEstado(cContenidoVisor& c, int item, int nSel, std::int64_t totalSel,
                             std::string_view sep) {
    if (item < 0 || static_cast<std::size_t>(item) >= c.Items.size()) return {};
    std::string s;
    if (nSel > 0) {
        s = " [" + std::to_string(nSel) + " " + Texto(frmMainSec, 63) + ": " +
            FormatearTamano(totalSel, 0, sep) + "]";
    }
    return ParteItem(c, c.Items[static_cast<std::size_t>(item)], sep) + s;
}

std::string TextoEstadoCarga(const cContenidoVisor& c, std::string_view sep) {
    if (c.EnMiPC() || c.EnRed()) return c.TextoEstado;
    std::string s = std::to_string(c.nMostrados()) + " " + Texto(frmMainSec, 61);
    if (c.nArchivos > 0) s += ": " + FormatearTamano(c.TotalSize, 0, sep);
    return s;
}

std::vector<std::string> SegmentosRuta(std::string_view ruta) {
    std::vector<std::string> tags;
    if (ruta.empty()) return tags;
    std::size_t pos = 0;
    if (ruta.front() == SepRuta) {
        tags.emplace_back();
        pos = 1;
    }
    while (pos < ruta.size()) {
        const auto fin = ruta.find(SepRuta, pos);
        const auto parte = ruta.substr(pos, fin == std::string_view::npos ? fin : fin - pos);
        if (!parte.empty()) tags.emplace_back(parte);
        if (fin == std::string_view::npos) break;
        pos = fin + 1;
    }
    return tags;
}

std::string RutaDeSegmentos(const std::vector<std::string>& tags, int k) {
    std::string ruta;
    for (int i = 0; i < k && static_cast<std::size_t>(i) < tags.size(); ++i)
        ruta += tags[static_cast<std::size_t>(i)] + SepRuta;
    return ruta;
}

std::string TextoSegmento(const std::string& tag, int k) {
    return tag.empty() && k == 1 ? std::string(1, SepRuta) : tag;
}

std::string ExtensionLista(std::string_view nombre) {
    const auto punto = nombre.rfind('.');
    if (punto == std::string_view::npos || punto + 1 >= nombre.size()) return {};
    return "*" + Mayusculas(nombre.substr(punto + 1)) + "*";
}

bool LlevaFlechaAcceso(const ItemCarpeta& item, int directAccessRow) {
    if (directAccessRow != 1) return false;
    if (item.Atributos & ATR_ENLACE) return true;
    const std::string ext = ExtensionLista(item.Nombre);
    return !ext.empty() && std::string_view("*LNK*PIF*URL*").find(ext) != std::string_view::npos;
}

ImagenItem ElegirImagen(const ItemCarpeta& item) {
    if (item.Tipo != TIPO_ARCHIVO) return ImagenItem::Icono;
    const RegistroOpciones& o = Opciones();
    const std::string ext = ExtensionLista(item.Nombre);
    if (ext.empty() || o.ImageExtensionsPreview.find(ext) == std::string::npos ||
        o.IconsLoad.find(ext) != std::string::npos)
        return ImagenItem::Icono;
    if (ext == "*BMP*" || ext == "*GIF*") {
        const bool grande = o.LimitBmpGifPreview == 1 &&
                            item.Tamano > static_cast<std::int64_t>(o.BmpGifMaxSize) * 1024;
        return grande ? ImagenItem::Icono : ImagenItem::VistaPrevia;
    }
    if (ext == "*JPG*" || ext == "*JPEG*") {
        const bool grande = o.LimitJpgPreview == 1 &&
                            item.Tamano > static_cast<std::int64_t>(o.JpgMaxSize) * 1024;
        return grande ? ImagenItem::Icono : ImagenItem::VistaPrevia;
    }
    return ImagenItem::Desconocida;
}

}  // namespace quirvex
