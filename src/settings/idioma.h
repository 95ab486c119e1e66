#pragma once
// The language tables: every user-visible text, by section and key.

#include <string>
#include <string_view>
#include <vector>

namespace quirvex {

enum Seccion : int {
    General = 0,
    MDI = 1,
    frmMainSec = 2,
    frmINI = 3,
    frmOptions = 4,
    frmOperations = 5,
    frmAbout = 6,
    frmRename = 7,
    frmInfo = 8,
    frmSearch = 9,
    frmSelSec = 10,
};

// Fixed texts that are the same in every language.
inline constexpr const char* TEXTO_RED = "Red de área local";

// Parses a language text into the tables; keys it defines replace earlier texts, every other
// key keeps its text. Then announces the new program title (General/0).
void CargarIdioma(std::string_view texto);
// The text of a key, empty when no language defined it. Never fails.
const std::string& Texto(int seccion, int clave);
// The text with every "[N]" replaced by n.
std::string TextoN(int seccion, int clave, long long n);

// English and Castellano (Español).
inline constexpr int N_IDIOMAS_INCORPORADOS = 2;

struct IdiomaIncorporado {
    std::string_view nombre;
    int idPrimario;
    std::string_view texto;
};
const std::vector<IdiomaIncorporado>& IdiomasIncorporados();

// Primary language id of the user's language (English 9, Spanish 10), from the locale.
int IdiomaPorDefecto();

// Name of the My PC location (General/25 as last applied), and the one before the last language
// change, so panes that show the old name can take the new one.
const std::string& TextoMiPC();
const std::string& TextoMiPCAnterior();
void AplicarTextoMiPC();

}  // namespace quirvex
