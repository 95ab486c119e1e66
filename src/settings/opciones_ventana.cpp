#include "settings/opciones_ventana.h"

#include <limits>

#include "settings/idioma.h"

namespace quirvex {
namespace {

template <std::size_t N>
std::array<bool, N> Elegidos(const std::array<std::string_view, N>& items, const std::string& ajuste) {
    std::array<bool, N> r{};
    for (std::size_t i = 0; i < N; ++i)
        r[i] = ajuste.find("*" + std::string(items[i]) + "*") != std::string::npos;
    return r;
}

void Llamar(const std::function<void()>& f) {
    if (f) f();
}

}  // namespace

std::int32_t ValorNumerico(std::string_view texto) {
    std::int64_t n = 0;
    for (char c : texto) {
        if (c < '0' || c > '9') break;
        n = n * 10 + (c - '0');
        if (n > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    }
    return static_cast<std::int32_t>(n);
}

ValoresOpciones CargarEnVentana(const RegistroOpciones& o) {
    ValoresOpciones v;
    v.HideDesktopIni = o.HideDesktopIni;
    v.RestoreTabs = o.RestoreTabs;
    v.AdminHistory = o.AdminHistory;
    v.Autocomplete = o.Autocomplete;
    v.SelSkipChars = o.SelSkipChars;
    v.TabsPos = o.TabsPos;
    v.TabsMaxWidth = std::to_string(o.TabsMaxWidth);
    v.TabsBotonCerrar = o.TabsBotonCerrar;
    v.SelectionMode = o.SelectionMode;
    v.SpecialFont = o.SpecialFont;
    v.SpecialFontAddress = o.SpecialFontAddress;
    v.DefaultFolderOption = o.DefaultFolderOption;
    v.DefaultFolderPath = o.DefaultFolderPath;
    v.DefaultView = o.DefaultView;
    v.ExternalLanguage = o.ExternalLanguage;
    v.Language = o.Language;
    v.ExternalLanguageFile = o.ExternalLanguageFile;
    v.Previa = Elegidos(EXTENSIONES_PREVIA, o.ImageExtensionsPreview);
    v.Cargar = Elegidos(EXTENSIONES_CARGAR, o.IconsLoad);
    v.DirectAccessRow = o.DirectAccessRow;
    v.TranslucentDirectAccessRow = o.TranslucentDirectAccessRow;
    v.DirectAccessSystemIcon = o.DirectAccessSystemIcon;
    v.LimitBmpGifPreview = o.LimitBmpGifPreview;
    v.LimitJpgPreview = o.LimitJpgPreview;
    v.BmpGifMaxSize = std::to_string(o.BmpGifMaxSize);
    v.JpgMaxSize = std::to_string(o.JpgMaxSize);
    v.ShowHiddenFiles = o.ShowHiddenFiles;
    v.MoveToTrash = o.MoveToTrash;
    return v;
}

void AplicarOpciones(const ValoresOpciones& v, const EfectosOpciones& efectos) {
    RegistroOpciones& o = Opciones();
    // 1. The language source. Choosing the built-in source loads the chosen built-in table
    // (otherwise the file's texts would stay on screen); choosing the file, or naming another
    // file while it is chosen, loads the file over the current texts.
    const bool otraFuente = v.ExternalLanguage != o.ExternalLanguage;
    const bool otroArchivo = v.ExternalLanguage == 1 && v.ExternalLanguageFile != o.ExternalLanguageFile;
    if (otraFuente || otroArchivo) {
        o.ExternalLanguage = v.ExternalLanguage;
        if (v.ExternalLanguage == 1)
            CargarIdioma(LeerArchivoIdioma(v.ExternalLanguageFile));
        else
            CargarIdiomaIncorporado(v.Language);
        Llamar(efectos.AplicarIdioma);
    }
    o.ExternalLanguageFile = v.ExternalLanguageFile;
    // 2. Flags and values.
    o.HideDesktopIni = v.HideDesktopIni;
    o.RestoreTabs = v.RestoreTabs;
    o.AdminHistory = v.AdminHistory;
    o.Autocomplete = v.Autocomplete;
    o.SelSkipChars = v.SelSkipChars;
    o.TabsPos = v.TabsPos;
    o.TabsMaxWidth = ValorNumerico(v.TabsMaxWidth);
    // 3. The close buttons of the tabs, then the caption width that follows from them.
    if (v.TabsBotonCerrar != o.TabsBotonCerrar) {
        o.TabsBotonCerrar = v.TabsBotonCerrar;
        Llamar(efectos.RedibujarTabs);
    }
    o.AnchoTextoTab = CalcularAnchoTextoTab(o.TabsMaxWidth, o.TabsBotonCerrar);
    // 4. The interface font.
    if (v.SpecialFont != o.SpecialFont) {
        o.SpecialFont = v.SpecialFont;
        if (efectos.AplicarFuente) efectos.AplicarFuente(o.SpecialFont == 1);
    }
    o.SpecialFontAddress = v.SpecialFontAddress;
    // 5.
    o.SelectionMode = v.SelectionMode;
    o.DefaultFolderOption = v.DefaultFolderOption;
    o.DefaultFolderPath = v.DefaultFolderPath;
    o.DefaultView = v.DefaultView;
    // 6. The built-in language.
    if (v.Language != o.Language) {
        o.Language = v.Language;
        if (o.ExternalLanguage == 0) CargarIdiomaIncorporado(o.Language);
        Llamar(efectos.AplicarIdioma);
    }
    // 7. The extension lists.
    o.ImageExtensionsPreview = ListaExtensiones(EXTENSIONES_PREVIA, v.Previa);
    o.IconsLoad = ListaExtensiones(EXTENSIONES_CARGAR, v.Cargar);
    // 8.
    o.DirectAccessRow = v.DirectAccessRow;
    o.TranslucentDirectAccessRow = v.TranslucentDirectAccessRow;
    o.DirectAccessSystemIcon = v.DirectAccessSystemIcon;
    o.LimitBmpGifPreview = v.LimitBmpGifPreview;
    o.LimitJpgPreview = v.LimitJpgPreview;
    o.BmpGifMaxSize = ValorNumerico(v.BmpGifMaxSize);
    o.JpgMaxSize = ValorNumerico(v.JpgMaxSize);
    // 9. The additions.
    o.MoveToTrash = v.MoveToTrash;
    if (v.ShowHiddenFiles != o.ShowHiddenFiles) {
        o.ShowHiddenFiles = v.ShowHiddenFiles;
        Llamar(efectos.RecargarPaneles);
    }
}

bool cmdAplicar(const ValoresOpciones& v, const EfectosOpciones& efectos) {
    const std::int32_t antes = Opciones().Language;
    AplicarOpciones(v, efectos);
    GuardarOpciones();
    return Opciones().Language != antes;
}

}  // namespace quirvex
