#pragma once
// The options window's logic without the window: what its controls show for the settings record
// (CargarEnVentana) and how their values go back into the record on Apply (AplicarOpciones,
// in the designed order, with the changes that take effect at once handed to the window
// through EfectosOpciones). frmO holds a ValoresOpciones read from its controls.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "settings/opciones.h"

namespace quirvex {

// The items of the two extension lists, in list order.
inline constexpr std::array<std::string_view, 9> EXTENSIONES_PREVIA = {
    "BMP", "JPG", "JPEG", "GIF", "PNG", "WEBP", "TIF", "TIFF", "SVG"};
inline constexpr std::array<std::string_view, 6> EXTENSIONES_CARGAR = {"EXE", "ICO", "CUR",
                                                                     "ANI", "LNK", "PIF"};

// What the controls hold. Check boxes and option groups as 0/1 and indices, text boxes as text.
struct ValoresOpciones {
    std::int32_t HideDesktopIni = 0;
    std::int32_t RestoreTabs = 0;
    std::int32_t AdminHistory = 0;
    std::int32_t Autocomplete = 0;
    std::int32_t SelSkipChars = 0;
    std::int32_t TabsPos = 0;
    std::string TabsMaxWidth;
    std::int32_t TabsBotonCerrar = 0;
    std::int32_t SelectionMode = 0;
    std::int32_t SpecialFont = 0;
    std::string SpecialFontAddress;
    std::int32_t DefaultFolderOption = 0;
    std::string DefaultFolderPath;
    std::int32_t DefaultView = 0;
    std::int32_t ExternalLanguage = 0;
    std::int32_t Language = 0;
    std::string ExternalLanguageFile;
    std::array<bool, EXTENSIONES_PREVIA.size()> Previa{};
    std::array<bool, EXTENSIONES_CARGAR.size()> Cargar{};
    std::int32_t DirectAccessRow = 0;
    std::int32_t TranslucentDirectAccessRow = 0;
    std::int32_t DirectAccessSystemIcon = 0;
    std::int32_t LimitBmpGifPreview = 0;
    std::int32_t LimitJpgPreview = 0;
    std::string BmpGifMaxSize;
    std::string JpgMaxSize;
    std::int32_t ShowHiddenFiles = 0;
    std::int32_t MoveToTrash = 0;

    bool operator==(const ValoresOpciones&) const = default;
};

ValoresOpciones CargarEnVentana(const RegistroOpciones& o);

// The changes that take effect at once; each may be empty.
struct EfectosOpciones {
    // The texts of every open window (after the language tables changed).
    std::function<void()> AplicarIdioma;
    // The tab captions (the close-button setting changed).
    std::function<void()> RedibujarTabs;
    // The interface font: true the special font, false the standard one.
    std::function<void(bool especial)> AplicarFuente;
    // Every pane lists its folder again (whether hidden names are shown changed).
    std::function<void()> RecargarPaneles;
};

// Stores the values into the record in the designed order, applying the immediate changes.
// Does not save.
void AplicarOpciones(const ValoresOpciones& v, const EfectosOpciones& efectos);
// The Apply button: AplicarOpciones, then GuardarOpciones. True when "Language" changed (the
// window then re-texts itself).
bool cmdAplicar(const ValoresOpciones& v, const EfectosOpciones& efectos);

// The number a text box holds: its leading digits, 0 when there are none, and the largest
// stored number when they would overflow it.
std::int32_t ValorNumerico(std::string_view texto);
// "*" followed by each chosen item and "*" ("*BMP*GIF*"); "*" when none is chosen.
template <std::size_t N>
std::string ListaExtensiones(const std::array<std::string_view, N>& items, const std::array<bool, N>& elegidos) {
    std::string r = "*";
    for (std::size_t i = 0; i < N; ++i)
        if (elegidos[i]) r.append(items[i]).push_back('*');
    return r;
}

}  // namespace quirvex
