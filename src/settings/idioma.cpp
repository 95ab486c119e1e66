// mIdioma: the language tables, their parser, the built-in languages and the choice of language.

#include "settings/idioma.h"

#include <array>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <utility>

#include "settings/catalogos.h"

namespace quirvex {

namespace {

// Grow on demand, never shrink: a language that lacks a key leaves the previous text in place.
std::vector<std::string> TextosGenerales;
// Index 0 is unused; section 0 lives in TextosGenerales.
std::vector<std::vector<std::string>> TextosSecciones;
// Sections above the program's own are kept by (section, key): their numbers come from the file
// alone, and a table per section sized by its highest key would let a short file of headers
// ask for gigabytes (each header a new section, each a key near the limit).
std::map<std::pair<int, int>, std::string> TextosOtrasSecciones;

std::string textoMiPC;
std::string textoMiPCAnterior;
std::function<void(const std::string&)> tituloAplicacionHook;

const std::string& TextoVacio()
{
    static const std::string vacio;
    return vacio;
}

bool EsEspacio(char c) { return c == ' ' || c == '\t'; }
bool EsDigito(char c) { return c >= '0' && c <= '9'; }

// Characters, not bytes: a two-byte letter alone is still a one-character line.
std::size_t ContarCaracteres(std::string_view s)
{
    std::size_t n = 0;
    for (char c : s) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    }
    return n;
}

// The leading decimal number of s after any spaces, MAX_CLAVE_IDIOMA + 1 when it is larger than
// that, and -1 when s has no leading digit. `fin` gets the position after the digits.
long long LeerNumero(std::string_view s, std::size_t& fin)
{
    std::size_t i = 0;
    while (i < s.size() && EsEspacio(s[i])) ++i;
    if (i == s.size() || !EsDigito(s[i])) {
        fin = i;
        return -1;
    }
    long long valor = 0;
    for (; i < s.size() && EsDigito(s[i]); ++i) {
        if (valor <= MAX_CLAVE_IDIOMA) valor = valor * 10 + (s[i] - '0');
    }
    fin = i;
    return valor > MAX_CLAVE_IDIOMA ? MAX_CLAVE_IDIOMA + 1 : valor;
}

// The section a header line selects; -1 when the header is unusable, so that the entries under
// it are skipped instead of landing in some other section.
int SeccionDeCabecera(std::string_view linea)
{
    const std::size_t cierre = linea.find(']');
    if (cierre == std::string_view::npos) return -1;
    std::size_t fin = 0;
    const long long numero = LeerNumero(linea.substr(1, cierre - 1), fin);
    if (numero < 0) return 0;  // "[]" or "[x]" names no number: General, as it always did
    if (numero > MAX_CLAVE_IDIOMA) return -1;
    return static_cast<int>(numero);
}

// The key of an entry line, or -1 when the part before "=" is not a number in range.
int ClaveDeEntrada(std::string_view parteClave)
{
    std::size_t fin = 0;
    const long long numero = LeerNumero(parteClave, fin);
    if (numero < 0 || numero > MAX_CLAVE_IDIOMA) return -1;
    while (fin < parteClave.size() && EsEspacio(parteClave[fin])) ++fin;
    return fin == parteClave.size() ? static_cast<int>(numero) : -1;
}

void Asignar(int seccion, int clave, std::string texto)
{
    if (seccion > frmSelSec) {
        TextosOtrasSecciones[{seccion, clave}] = std::move(texto);
        return;
    }
    std::vector<std::string>* tabla = &TextosGenerales;
    if (seccion > 0) {
        if (TextosSecciones.size() <= static_cast<std::size_t>(seccion)) {
            TextosSecciones.resize(static_cast<std::size_t>(seccion) + 1);
        }
        tabla = &TextosSecciones[static_cast<std::size_t>(seccion)];
    }
    if (tabla->size() <= static_cast<std::size_t>(clave)) {
        tabla->resize(static_cast<std::size_t>(clave) + 1);
    }
    (*tabla)[static_cast<std::size_t>(clave)] = std::move(texto);
}

// Windows-1252 code points for bytes 0x80..0x9F; the five bytes it leaves undefined keep their
// C1 code point so that nothing is lost.
constexpr std::array<char16_t, 32> kWindows1252Alto = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void AgregarUtf8(std::string& destino, char32_t cp)
{
    if (cp < 0x80) {
        destino += static_cast<char>(cp);
    } else if (cp < 0x800) {
        destino += static_cast<char>(0xC0 | (cp >> 6));
        destino += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        destino += static_cast<char>(0xE0 | (cp >> 12));
        destino += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        destino += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string DesdeWindows1252(std::string_view bytes)
{
    std::string utf8;
    utf8.reserve(bytes.size() + bytes.size() / 4);
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        AgregarUtf8(utf8, b >= 0x80 && b < 0xA0 ? kWindows1252Alto[b - 0x80] : char32_t{b});
    }
    return utf8;
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool EsUtf8Valido(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        std::size_t largo = 0;
        char32_t cp = 0;
        char32_t minimo = 0;
        if (b < 0x80) {
            ++i;
            continue;
        }
        if ((b & 0xE0) == 0xC0) {
            largo = 2;
            cp = b & 0x1F;
            minimo = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            largo = 3;
            cp = b & 0x0F;
            minimo = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            largo = 4;
            cp = b & 0x07;
            minimo = 0x10000;
        } else {
            return false;
        }
        if (s.size() - i < largo) return false;
        for (std::size_t j = 1; j < largo; ++j) {
            const auto sig = static_cast<unsigned char>(s[i + j]);
            if ((sig & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (sig & 0x3F);
        }
        if (cp < minimo || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += largo;
    }
    return true;
}

struct IdiomaDeCodigo {
    std::string_view codigo;
    int idPrimario;
};

// ISO 639-1 codes and the primary language ids of the same languages.
constexpr std::array<IdiomaDeCodigo, 38> kIdiomasDeLocale = {{
    {"ar", 1},  {"bg", 2},  {"ca", 3},  {"zh", 4},  {"cs", 5},  {"da", 6},  {"de", 7},
    {"el", 8},  {"en", 9},  {"es", 10}, {"fi", 11}, {"fr", 12}, {"he", 13}, {"hu", 14},
    {"is", 15}, {"it", 16}, {"ja", 17}, {"ko", 18}, {"nl", 19}, {"nb", 20}, {"nn", 20},
    {"no", 20}, {"pl", 21}, {"pt", 22}, {"ro", 24}, {"ru", 25}, {"hr", 26}, {"sr", 26},
    {"sk", 27}, {"sq", 28}, {"sv", 29}, {"th", 30}, {"tr", 31}, {"id", 33}, {"uk", 34},
    {"sl", 36}, {"et", 37}, {"eu", 45},
}};

constexpr int kIdIngles = 9;

}  // namespace

std::vector<EntradaIdioma> AnalizarIdioma(std::string_view texto)
{
    std::vector<EntradaIdioma> entradas;
    int seccion = -1;
    std::size_t inicio = 0;
    while (inicio <= texto.size()) {
        std::size_t fin = texto.find('\n', inicio);
        if (fin == std::string_view::npos) fin = texto.size();
        std::string_view linea = texto.substr(inicio, fin - inicio);
        inicio = fin + 1;
        if (!linea.empty() && linea.back() == '\r') linea.remove_suffix(1);
        if (ContarCaracteres(linea) < 3) continue;
        if (linea.front() == '[') {
            seccion = SeccionDeCabecera(linea);
            continue;
        }
        if (seccion < 0) continue;
        const std::size_t igual = linea.find('=');
        if (igual == std::string_view::npos) continue;
        const int clave = ClaveDeEntrada(linea.substr(0, igual));
        if (clave < 0) continue;
        entradas.push_back({seccion, clave, std::string(linea.substr(igual + 1))});
    }
    return entradas;
}

void CargarIdioma(std::string_view texto)
{
    for (EntradaIdioma& entrada : AnalizarIdioma(texto)) {
        Asignar(entrada.seccion, entrada.clave, std::move(entrada.texto));
    }
    if (tituloAplicacionHook) tituloAplicacionHook(Texto(General, 0));
}

const std::string& Texto(int seccion, int clave)
{
    if (seccion < 0 || clave < 0) return TextoVacio();
    const auto s = static_cast<std::size_t>(seccion);
    const auto k = static_cast<std::size_t>(clave);
    if (s == 0) return k < TextosGenerales.size() ? TextosGenerales[k] : TextoVacio();
    if (seccion > frmSelSec) {
        const auto i = TextosOtrasSecciones.find({seccion, clave});
        return i == TextosOtrasSecciones.end() ? TextoVacio() : i->second;
    }
    if (s >= TextosSecciones.size() || k >= TextosSecciones[s].size()) return TextoVacio();
    return TextosSecciones[s][k];
}

std::string TextoN(int seccion, int clave, long long n)
{
    static constexpr std::string_view marca = "[N]";
    const std::string numero = std::to_string(n);
    std::string resultado = Texto(seccion, clave);
    for (std::size_t pos = resultado.find(marca); pos != std::string::npos;
         pos = resultado.find(marca, pos + numero.size())) {
        resultado.replace(pos, marca.size(), numero);
    }
    return resultado;
}

void SetTituloAplicacionHook(std::function<void(const std::string&)> hook)
{
    tituloAplicacionHook = std::move(hook);
}

const std::vector<IdiomaIncorporado>& IdiomasIncorporados()
{
    static const std::vector<IdiomaIncorporado> lista = {
        {"English", 9, CatalogoIngles()},
        {"Castellano (Español)", 10, CatalogoCastellano()},
    };
    return lista;
}

bool CargarIdiomaIncorporado(int indice)
{
    const auto& lista = IdiomasIncorporados();
    if (indice < 0 || static_cast<std::size_t>(indice) >= lista.size()) return false;
    CargarIdioma(lista[static_cast<std::size_t>(indice)].texto);
    return true;
}

int IndiceIdiomaSugerido()
{
    const int id = IdiomaPorDefecto();
    const auto& lista = IdiomasIncorporados();
    for (std::size_t i = 0; i < lista.size(); ++i) {
        if (lista[i].idPrimario == id) return static_cast<int>(i);
    }
    return 0;
}

bool CargarIdiomaInicial(int indiceIdioma, int idiomaExterno, const std::string& archivoExterno)
{
    if (!CargarIdiomaIncorporado(indiceIdioma)) return false;
    if (idiomaExterno == 1 && !archivoExterno.empty()) {
        const std::string texto = LeerArchivoIdioma(archivoExterno);
        if (!texto.empty()) CargarIdioma(texto);
    }
    return true;
}

int IdiomaDeLocale(std::string_view locale)
{
    const std::size_t corte = locale.find_first_of("_.@-");
    std::string codigo(locale.substr(0, corte));
    for (char& c : codigo) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    if (codigo.empty() || codigo == "c" || codigo == "posix") return kIdIngles;
    for (const auto& idioma : kIdiomasDeLocale) {
        if (idioma.codigo == codigo) return idioma.idPrimario;
    }
    return 0;
}

int IdiomaPorDefecto()
{
    // The order the C library itself follows for messages; an empty variable counts as unset.
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* valor = std::getenv(variable);
        if (valor != nullptr && *valor != '\0') return IdiomaDeLocale(valor);
    }
    return kIdIngles;
}

std::string LeerArchivoIdioma(const std::string& ruta)
{
    std::ifstream archivo(ruta, std::ios::binary);
    if (!archivo) return {};
    std::string bytes((std::istreambuf_iterator<char>(archivo)), std::istreambuf_iterator<char>());
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.erase(0, 3);
    if (!EsUtf8Valido(bytes)) bytes = DesdeWindows1252(bytes);

    std::string texto;
    bool hayLineas = false;
    std::size_t inicio = 0;
    while (inicio < bytes.size()) {
        std::size_t fin = bytes.find('\n', inicio);
        if (fin == std::string::npos) fin = bytes.size();
        std::string_view linea(bytes.data() + inicio, fin - inicio);
        inicio = fin + 1;
        if (!linea.empty() && linea.back() == '\r') linea.remove_suffix(1);
        if (!hayLineas && linea.empty()) continue;
        if (hayLineas) texto += "\r\n";
        texto += linea;
        hayLineas = true;
    }
    return texto;
}

const std::string& TextoMiPC() { return textoMiPC; }

const std::string& TextoMiPCAnterior() { return textoMiPCAnterior; }

void AplicarTextoMiPC()
{
    textoMiPCAnterior = textoMiPC;
    textoMiPC = Texto(General, 25);
}

void ReiniciarIdiomaParaPruebas()
{
    TextosGenerales.clear();
    TextosSecciones.clear();
    TextosOtrasSecciones.clear();
    textoMiPC.clear();
    textoMiPCAnterior.clear();
}

}  // namespace quirvex
