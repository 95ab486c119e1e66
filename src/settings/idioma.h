#pragma once
// The language tables (module mIdioma): every user-visible text, by section and key.
// Program-wide and live until the process ends; used from the interface thread only. Loading a
// language overwrites the keys it defines and leaves every other key with the text an earlier
// language gave it, so a partial language file still leaves a fully texted program.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quirvex {

enum Seccion : int {
    General = 0,
    MDISec = 1,
    frmMainSec = 2,
    frmINISec = 3,
    frmOptions = 4,
    frmOperations = 5,
    frmAbout = 6,
    frmRename = 7,
    frmInfoSec = 8,
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

// Keys and section numbers above this are skipped when parsing: a stray line in a language
// file must not make the tables allocate millions of entries.
inline constexpr int MAX_CLAVE_IDIOMA = 100000;

// One "k=text" entry of a language text, with the section its header gave.
struct EntradaIdioma {
    int seccion;
    int clave;
    std::string texto;
};
// The entries of a language text in file order, without touching the tables. Lines end in CR LF
// or LF; lines shorter than 3 characters, entries before the first good header, entries whose key
// is not a number from 0 to MAX_CLAVE_IDIOMA and the entries under a header without "]" are left
// out.
std::vector<EntradaIdioma> AnalizarIdioma(std::string_view texto);

// Called with General/0 after every CargarIdioma, so the interface can title the application.
// An empty function restores the default, which does nothing.
void SetTituloAplicacionHook(std::function<void(const std::string&)> hook);

// English and Castellano (Español).
inline constexpr int N_IDIOMAS_INCORPORADOS = 2;

struct IdiomaIncorporado {
    std::string_view nombre;
    int idPrimario;
    std::string_view texto;
};
const std::vector<IdiomaIncorporado>& IdiomasIncorporados();
// Parses the built-in language of that index; false (and nothing parsed) for any other index.
bool CargarIdiomaIncorporado(int indice);
// The built-in language to offer on the first run: the first whose primary id is the user's,
// else 0 (English).
int IndiceIdiomaSugerido();
// Loads the language the settings name at start ("Language", "External language",
// "External language file"): the built-in one, and over it the external file when that source
// is chosen, so keys the file lacks keep their built-in text. False when "Language" names no
// built-in language (first run): nothing is loaded and the start-up window asks the user.
bool CargarIdiomaInicial(int indiceIdioma, int idiomaExterno, const std::string& archivoExterno);

// Primary language id of the user's language (English 9, Spanish 10), from the locale
// variables LC_ALL, LC_MESSAGES and LANG, the first one set winning. No locale, "C" and
// "POSIX" give English.
int IdiomaPorDefecto();
// The primary language id of a locale name such as "es_AR.UTF-8"; 0 for a language that has
// none here.
int IdiomaDeLocale(std::string_view locale);

// The text of a language file, ready for CargarIdioma: lines joined with CR LF whether the file
// used CR LF or LF, empty lines at the very start dropped, a leading byte-order mark removed, and
// a file that is not valid UTF-8 taken as Windows-1252 and converted. Empty when the file cannot
// be read.
std::string LeerArchivoIdioma(const std::string& ruta);

// Name of the My PC location (General/25 as last applied), and the one before the last language
// change, so panes that show the old name can take the new one.
const std::string& TextoMiPC();
const std::string& TextoMiPCAnterior();
void AplicarTextoMiPC();

// Empties both tables and the My PC names. The program never calls this (its tables are never
// cleared); tests do, to start each case from a known state.
void ReiniciarIdiomaParaPruebas();

}  // namespace quirvex
