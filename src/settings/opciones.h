#pragma once
// The program-wide settings record: one field per stored value, filled once at start
// (defaults, store, range check) and saved by the options window.

#include <cstdint>
#include <functional>
#include <string>

namespace quirvex {

// The picture-preview list a settings file starts with, and the classic list an empty stored
// value is repaired to. A list stored by the options window is kept as it is.
inline constexpr const char* LISTA_PREVIA_CLASICA = "*BMP*JPG*JPEG*GIF*";
inline constexpr const char* LISTA_PREVIA_NUEVA = "*BMP*JPG*JPEG*GIF*PNG*WEBP*TIF*TIFF*SVG*";

struct RegistroOpciones {
    std::int32_t Language = -1;
    std::int32_t ExternalLanguage = 0;
    std::string ExternalLanguageFile;
    std::int32_t AdminHistory = 1;
    std::int32_t Autocomplete = 1;
    std::int32_t ColorSel = 0;
    std::int32_t SelSkipChars = 1;
    std::int32_t SelectionMode = 1;
    std::int32_t TabsPos = 0;
    std::int32_t TabsMaxWidth = 160;
    std::int32_t TabsBotonCerrar = 1;
    std::int32_t SpecialFont = 0;
    std::int32_t RestoreTabs = 0;
    std::int32_t DefaultFolderOption = 1;
    std::string DefaultFolderPath;
    std::int32_t DefaultView = 0;
    std::string ImageExtensionsPreview = LISTA_PREVIA_NUEVA;
    std::string IconsLoad = "*EXE*ICO*CUR*ANI*LNK*PIF*";
    std::int32_t DirectAccessRow = 1;
    std::int32_t TranslucentDirectAccessRow = 0;
    std::int32_t DirectAccessSystemIcon = 1;
    std::int32_t LimitBmpGifPreview = 0;
    std::int32_t LimitJpgPreview = 0;
    std::int32_t BmpGifMaxSize = 2048;
    std::int32_t JpgMaxSize = 512;
    std::int32_t HideDesktopIni = 1;
    std::int32_t CheckSpecialFont = 1;
    std::string PreviousTabs;
    // Where the special font file is fetched from; empty means no download is possible. Read at
    // start and edited in the settings file; the options window's save leaves it alone.
    std::string SpecialFontAddress;
    std::int32_t AnchoTextoTab = 98;  // derived: tab text width in pixels
    // Additions beyond the classic set; saved after every classic value.
    std::int32_t ShowHiddenFiles = 1;  // names beginning with "." are listed
    std::int32_t MoveToTrash = 0;      // Del moves to the trash instead of deleting
    // The frame's place and size at the last exit; a width or height of 0 means none is known.
    std::int32_t FrameLeft = 0;
    std::int32_t FrameTop = 0;
    std::int32_t FrameWidth = 0;
    std::int32_t FrameHeight = 0;
    std::int32_t FrameMaximized = 0;
};

// The record every subsystem reads. Filled once at start by CargarOpciones; the start-up
// window puts the chosen "Language" in it before that and the selector chooser its "ColorSel".
RegistroOpciones& Opciones();

// Widest caption text of a tab, from the tab width and whether tabs carry a close button.
std::int32_t CalcularAnchoTextoTab(std::int32_t tabsMaxWidth, std::int32_t tabsBotonCerrar);

// Whether the special font is installed; asked by OpcionesPorDefecto for the default of
// "Special Font". Without a probe the answer is no. The program installs the real one at start.
void SetSondaFuenteEspecial(std::function<bool()> sonda);

// Every field its default and the tab text width 98. "Language" and "ColorSel" are left as
// they are: both are chosen before the record is loaded, and losing them here would make the
// next GuardarOpciones write the wrong language.
void OpcionesPorDefecto();
// Defaults, then the stored values, the derived tab text width, then ValidarOpciones.
// Does not read "Language", "Check SpecialFont" or "Previous Tabs".
void CargarOpciones();
// Puts every out-of-range field back to its repair value (not always its default).
void ValidarOpciones();
// Writes the record, except "ColorSel", "Check SpecialFont" and "Previous Tabs", which have
// writers of their own.
void GuardarOpciones();
// Writes the frame's place and size (FrameLeft .. FrameMaximized) in one rewrite.
void GuardarGeometriaMarco();
// Ctrl+H: flips "Show Hidden Files" and stores that one value.
void AlternarOcultos();

}  // namespace quirvex
