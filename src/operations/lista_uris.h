#pragma once
// The clipboard's file-list texts, built and read from exact path bytes. Paths are bytes on
// Linux: a name that is not valid UTF-8 is written as its percent-encoded bytes and read back
// to the same bytes, so copying it to the clipboard and pasting it reaches the same file.
//
// Reading is strict where leniency would reach a different file: a URI that a sloppier reader
// would cut short (a query, a fragment, a NUL) or that names another machine is refused as a
// whole, never shortened to a path that may exist. Lists are read in one pass over the text,
// with no per-line storage, so a huge clipboard of blank lines costs only the time to scan it.
// Pure text work, no clipboard access; any thread.

#include <string>
#include <string_view>
#include <vector>

namespace quirvex {

// "file://" followed by the path with every byte outside A-Z a-z 0-9 - . _ ~ / written as %XX.
std::string UriDeRuta(const std::string& ruta);
// The same, keeping as they are the bytes `libre` accepts (another program's rules, where a
// URI must match its byte for byte).
std::string UriDeRuta(const std::string& ruta, bool (*libre)(unsigned char));
// The local path of a "file:" URI ("file:///p", "file://localhost/p", "file:/p"), with %XX
// turned back into bytes. False for other schemes, other hosts, relative paths, a bad %XX, a
// NUL (raw or encoded), a query ("?") or a fragment ("#").
bool RutaDeUri(std::string_view uri, std::string& ruta);

// text/uri-list: one URI per line, each line ending in CR LF.
std::string TextoListaUris(const std::vector<std::string>& rutas);
// The local paths of a text/uri-list, in order; comment lines, blank lines and URIs that are
// not local files are skipped.
std::vector<std::string> RutasDeListaUris(std::string_view texto);

// x-special/gnome-copied-files: "copy" or "cut", then one URI per line.
std::string TextoArchivosCopiados(const std::vector<std::string>& rutas, bool cortar);
// False when the first line is neither "copy" nor "cut".
bool RutasDeArchivosCopiados(std::string_view texto, std::vector<std::string>& rutas,
                             bool& cortar);

// Plain text counts as a file list only when every non-blank line is a local "file://" URI
// (pasting ordinary text must never turn into a copy).
bool RutasDeTextoPlano(std::string_view texto, std::vector<std::string>& rutas);

}  // namespace quirvex
