#include "settings/opciones.h"

#include <limits>
#include <string_view>
#include <utility>

#include "settings/almacen_registro.h"
#include "settings/idioma.h"

namespace quirvex {
namespace {

// What a routine does with a field.
enum Uso : unsigned {
    SE_CARGA = 1,    // read by CargarOpciones
    SE_GUARDA = 2,   // written by GuardarOpciones
    SE_VALIDA = 4,   // range-checked by ValidarOpciones
    SE_INICIA = 8,   // set by OpcionesPorDefecto
    SE_MARCO = 16,   // the frame's geometry, written by GuardarGeometriaMarco
};

constexpr std::int32_t SIN_TOPE = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t SIN_PISO = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t N_SELECTORES = 26;
constexpr std::int32_t N_MODOS_SELECCION = 3;
constexpr std::int32_t N_POSICIONES_TABS = 2;
constexpr std::int32_t N_VISTAS = 3;
constexpr std::int32_t N_OPCIONES_CARPETA = 3;

// One stored value. A number is valid in [minimo, maximo] and otherwise takes `reparado`; a text
// is valid when not empty and otherwise takes its default.
struct Campo {
    std::string_view nombre;
    std::int32_t RegistroOpciones::*numero;
    std::string RegistroOpciones::*texto;
    std::int32_t minimo;
    std::int32_t maximo;
    std::int32_t reparado;
    unsigned uso;
};

constexpr Campo Numero(std::string_view nombre, std::int32_t RegistroOpciones::*campo,
                       std::int32_t minimo, std::int32_t maximo, std::int32_t reparado,
                       unsigned uso = SE_CARGA | SE_GUARDA | SE_VALIDA | SE_INICIA) {
    return {nombre, campo, nullptr, minimo, maximo, reparado, uso};
}
constexpr Campo Bandera(std::string_view nombre, std::int32_t RegistroOpciones::*campo,
                        std::int32_t reparado) {
    return Numero(nombre, campo, 0, 1, reparado);
}
constexpr Campo Texto(std::string_view nombre, std::string RegistroOpciones::*campo,
                      unsigned uso = SE_CARGA | SE_GUARDA | SE_INICIA) {
    return {nombre, nullptr, campo, 0, 0, 0, uso};
}

using R = RegistroOpciones;

// In the order of loading, range checking and saving: every routine walks this table.
constexpr Campo CAMPOS[] = {
    Numero("Language", &R::Language, 0, N_IDIOMAS_INCORPORADOS - 1, 0, SE_GUARDA | SE_VALIDA),
    Bandera("External language", &R::ExternalLanguage, 0),
    Texto("External language file", &R::ExternalLanguageFile),
    Bandera("Admin History", &R::AdminHistory, 1),
    Bandera("Autocomplete", &R::Autocomplete, 1),
    Numero("ColorSel", &R::ColorSel, 0, N_SELECTORES - 1, 0, SE_CARGA | SE_VALIDA),
    Bandera("SelSkipChars", &R::SelSkipChars, 1),
    Numero("Selection mode", &R::SelectionMode, 0, N_MODOS_SELECCION - 1, 1),
    Numero("Tabs Pos", &R::TabsPos, 0, N_POSICIONES_TABS - 1, 0),
    Numero("Tabs Max Width", &R::TabsMaxWidth, 60, 600, 160),
    Bandera("Tabs BotonCerrar", &R::TabsBotonCerrar, 0),
    Bandera("Special Font", &R::SpecialFont, 0),
    Bandera("Restore Tabs", &R::RestoreTabs, 0),
    Numero("Default Folder Option", &R::DefaultFolderOption, 0, N_OPCIONES_CARPETA - 1, 1),
    Texto("Default Folder Path", &R::DefaultFolderPath),
    Numero("Default View", &R::DefaultView, 0, N_VISTAS - 1, 0),
    Texto("Image extensions preview", &R::ImageExtensionsPreview,
          SE_CARGA | SE_GUARDA | SE_VALIDA | SE_INICIA),
    Texto("Icons load", &R::IconsLoad, SE_CARGA | SE_GUARDA | SE_VALIDA | SE_INICIA),
    Bandera("Direct access row", &R::DirectAccessRow, 1),
    Bandera("Translucent direct access row", &R::TranslucentDirectAccessRow, 0),
    Bandera("Direct access system icon", &R::DirectAccessSystemIcon, 1),
    Bandera("Limit BMP and GIF preview", &R::LimitBmpGifPreview, 0),
    Bandera("Limit JPG and JPEG preview", &R::LimitJpgPreview, 0),
    Numero("BMP and GIF Max Size", &R::BmpGifMaxSize, 1, SIN_TOPE, 2048),
    Numero("JPG and JPEG Max Size", &R::JpgMaxSize, 1, SIN_TOPE, 512),
    Bandera("Hide Desktop.ini", &R::HideDesktopIni, 1),
    Numero("Check SpecialFont", &R::CheckSpecialFont, 0, 0, 0, SE_INICIA),
    Texto("Previous Tabs", &R::PreviousTabs, SE_INICIA),
    Texto("Special Font Address", &R::SpecialFontAddress, SE_CARGA | SE_INICIA),
    Bandera("Show Hidden Files", &R::ShowHiddenFiles, 1),
    Bandera("Move To Trash", &R::MoveToTrash, 0),
    Numero("Frame Left", &R::FrameLeft, SIN_PISO, SIN_TOPE, 0, SE_CARGA | SE_INICIA | SE_MARCO),
    Numero("Frame Top", &R::FrameTop, SIN_PISO, SIN_TOPE, 0, SE_CARGA | SE_INICIA | SE_MARCO),
    Numero("Frame Width", &R::FrameWidth, 0, SIN_TOPE, 0, SE_CARGA | SE_VALIDA | SE_INICIA | SE_MARCO),
    Numero("Frame Height", &R::FrameHeight, 0, SIN_TOPE, 0, SE_CARGA | SE_VALIDA | SE_INICIA | SE_MARCO),
    Numero("Frame Maximized", &R::FrameMaximized, 0, 1, 0, SE_CARGA | SE_VALIDA | SE_INICIA | SE_MARCO),
};

std::function<bool()>& SondaFuenteEspecial() {
    static std::function<bool()> sonda;
    return sonda;
}

}  // namespace

RegistroOpciones& Opciones() {
    static RegistroOpciones registro;
    return registro;
}

std::int32_t CalcularAnchoTextoTab(std::int32_t tabsMaxWidth, std::int32_t tabsBotonCerrar) {
    return tabsMaxWidth - (tabsBotonCerrar == 1 ? 62 : 36);
}

void SetSondaFuenteEspecial(std::function<bool()> sonda) {
    SondaFuenteEspecial() = std::move(sonda);
}

void OpcionesPorDefecto() {
    static const RegistroOpciones defecto;
    RegistroOpciones& o = Opciones();
    for (const Campo& c : CAMPOS) {
        if (!(c.uso & SE_INICIA)) continue;
        if (c.numero) o.*c.numero = defecto.*c.numero;
        if (c.texto) o.*c.texto = defecto.*c.texto;
    }
    const auto& sonda = SondaFuenteEspecial();
    o.SpecialFont = sonda && sonda() ? 1 : 0;
    o.AnchoTextoTab = 98;
}

void CargarOpciones() {
    OpcionesPorDefecto();
    RegistroOpciones& o = Opciones();
    for (const Campo& c : CAMPOS) {
        if (!(c.uso & SE_CARGA)) continue;
        if (c.numero) {
            o.*c.numero = RegLeerDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, c.nombre, o.*c.numero);
        } else if (c.texto == &R::ImageExtensionsPreview &&
                   !RegExisteValor(HKEY_CURRENT_USER, CLAVE_OPCIONES, c.nombre)) {
            // Never stored: the list a new settings file starts with stays.
        } else {
            // Taken as stored: an absent text is empty here and the range check restores it.
            o.*c.texto = RegLeerCadena(HKEY_CURRENT_USER, CLAVE_OPCIONES, c.nombre);
        }
        // The tab text width follows the width as stored, before any repair.
        if (c.numero == &R::TabsBotonCerrar) {
            o.AnchoTextoTab = CalcularAnchoTextoTab(o.TabsMaxWidth, o.TabsBotonCerrar);
        }
    }
    ValidarOpciones();
}

void ValidarOpciones() {
    static const RegistroOpciones defecto;
    RegistroOpciones& o = Opciones();
    for (const Campo& c : CAMPOS) {
        if (!(c.uso & SE_VALIDA)) continue;
        if (c.numero) {
            std::int32_t& v = o.*c.numero;
            if (v < c.minimo || v > c.maximo) v = c.reparado;
        } else if ((o.*c.texto).empty()) {
            o.*c.texto = c.texto == &R::ImageExtensionsPreview ? LISTA_PREVIA_CLASICA : defecto.*c.texto;
        }
    }
}

namespace {

ValoresRegistro Valores(unsigned uso) {
    const RegistroOpciones& o = Opciones();
    ValoresRegistro valores;
    for (const Campo& c : CAMPOS) {
        if (!(c.uso & uso)) continue;
        if (c.numero) {
            valores.emplace_back(std::string(c.nombre), o.*c.numero);
        } else {
            valores.emplace_back(std::string(c.nombre), o.*c.texto);
        }
    }
    return valores;
}

}  // namespace

void GuardarOpciones() {
    // One locked rewrite for the whole record: an options window's Apply never leaves the
    // file half saved, and another instance's single-value writes in between are kept.
    RegEscribirValores(HKEY_CURRENT_USER, CLAVE_OPCIONES, Valores(SE_GUARDA));
}

void GuardarGeometriaMarco() { RegEscribirValores(HKEY_CURRENT_USER, CLAVE_OPCIONES, Valores(SE_MARCO)); }

void AlternarOcultos() {
    RegistroOpciones& o = Opciones();
    o.ShowHiddenFiles = o.ShowHiddenFiles == 1 ? 0 : 1;
    RegEscribirDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Show Hidden Files", o.ShowHiddenFiles);
}

}  // namespace quirvex
