#pragma once
// Qt's own texts (the standard buttons of message boxes, the display names of the standard
// folders) in the program's language: Qt's translation for the built-in language the settings
// name, under the program's own texts, which come from its language tables.

#include <QString>

namespace quirvex {

// Installs (or, for English, removes) Qt's translation for the chosen built-in language.
// True when a translation is in place afterwards, or none is needed.
bool AplicarTraduccionQt();
// The folder Qt's translations are read from; tests may point it elsewhere (empty: Qt's own).
void SetCarpetaTraduccionesQt(const QString& carpeta);

}  // namespace quirvex
