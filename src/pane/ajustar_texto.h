#pragma once
// Label fitting for item names: breaking a name into lines of a given pixel width and cutting
// it with "..." where lines run out. Width comes from a measuring function so that the window
// passes its font metrics and tests pass a fixed-width fake; nothing here knows about fonts.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace quirvex {

// Pixel width of a UTF-8 text in the label font.
using FuncionMedir = std::function<int(std::string_view)>;
// Pixel width of the first `bytes` bytes of a text (they end on a character), measured as part
// of the whole text: a measurer that shapes the text once answers every beginning from it.
using FuncionMedirInicio = std::function<int(std::string_view texto, std::size_t bytes)>;

// Byte position of the character after the one starting at pos (UTF-8; a stray byte counts as
// one character, so names that are not valid UTF-8 are still walked to the end).
std::size_t SiguienteCaracter(std::string_view texto, std::size_t pos);
// Number of characters (not bytes) of a UTF-8 text.
std::size_t ContarCaracteres(std::string_view texto);

// Fits texto into lines of width ancho, lines joined by '\r'. maxLineas 0 means no limit; with a
// limit, the last permitted line keeps room for "..." (anchoPuntos pixels, -1 = measure it) and
// "..." is appended when text is left over. Lines break at the last space before the width runs
// out, else inside the word. Every line takes at least one character, so a width smaller than a
// single character still ends. With inicio, each line's text and its beginnings are measured
// through it instead of through medir.
std::string AjustarTexto(std::string_view texto, int ancho, int maxLineas, int anchoPuntos,
                         const FuncionMedir& medir, const FuncionMedirInicio& inicio = {});

// Number of lines of a fitted label; a trailing '\r' does not start a line.
int ContarLineas(std::string_view etiqueta);

}  // namespace quirvex
