#pragma once
// The program-wide settings record: one field per stored value, filled once at start
// (defaults, store, range check) and saved by the options window.

#include <cstdint>
#include <string>

namespace quirvex {

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
    std::string ImageExtensionsPreview = "*BMP*JPG*JPEG*GIF*";
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
    std::int32_t AnchoTextoTab = 98;  // derived: tab text width in pixels
};

// The record every subsystem reads.
RegistroOpciones& Opciones();

}  // namespace quirvex
