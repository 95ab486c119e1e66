// Every message box the program shows, read from its sources, with the picture it shows: the
// table below is the one the program's design gives for each text (the stop sign for failures,
// the exclamation for a refusal the user can mend, the question mark for a question, and no
// picture where the design names none). A new message, or a message whose picture changes,
// must be added here as well.

// GCC 12 with the sanitizers reports std::regex's own internals as maybe uninitialised (a known
// false report inside std::function); nothing of this file is concerned.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace quirvex::prueba {
namespace {

namespace fs = std::filesystem;

using Llamada = std::pair<std::string, std::string>;  // text, picture

std::string Leer(const fs::path& p) {
    std::ifstream f(p);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

// The text of the statement a picture is named in: its key ("General/10"), its literal or the
// name of the constant that holds it, whichever comes first.
std::string TextoDe(const std::string& sentencia) {
    static const std::vector<std::pair<std::regex, std::string>> formas = {
        {std::regex(R"(Texto\w*\((\w+), (\d+))"), "$1/$2"},
        {std::regex(R"((?:ConMotivo|Avisar)\((\d+))"), "General/$1"},
        {std::regex(R"re("((?:[^"\\]|\\.)*)")re"), "$1"},
        {std::regex(R"(\b(TEXTO_\w+|k[A-Z]\w+)\b)"), "$1"},
        {std::regex(R"(AvisarPortapapeles)"), "TEXTO_ERROR_PORTAPAPELES"},
    };
    std::string mejor;
    auto posicion = std::string::npos;
    for (const auto& [forma, como] : formas) {
        std::smatch m;
        if (std::regex_search(sentencia, m, forma) && static_cast<std::size_t>(m.position(0)) < posicion) {
            posicion = static_cast<std::size_t>(m.position(0));
            mejor = m.format(como);
        }
    }
    return mejor;
}

struct Encontrado {
    std::vector<Llamada> llamadas;
    std::vector<std::string> sinIcono;  // Mensaje calls that name no picture
};

Encontrado Recorrer() {
    Encontrado r;
    const std::regex icono(R"(IconoMensaje::(\w+))");
    for (const auto& e : fs::recursive_directory_iterator(QUIRVEX_FUENTES)) {
        if (e.path().extension() != ".cpp" || e.path().filename().string().starts_with("dialogos")) continue;
        const std::string s = Leer(e.path());
        for (auto it = std::sregex_iterator(s.begin(), s.end(), icono); it != std::sregex_iterator(); ++it) {
            const auto p = static_cast<std::size_t>(it->position(0));
            const auto inicio = s.find_last_of(";{}", p);
            const std::string sentencia = s.substr(inicio + 1, p - inicio - 1);
            r.llamadas.emplace_back(TextoDe(sentencia), (*it)[1].str());
        }
        for (auto p = s.find(".Mensaje("); p != std::string::npos; p = s.find(".Mensaje(", p + 1)) {
            const std::string resto = s.substr(p, s.find(';', p) - p);
            if (resto.find("IconoMensaje::") == std::string::npos && resto.find(", icono)") == std::string::npos)
                r.sinIcono.push_back(e.path().filename().string() + ": " + resto);
        }
    }
    std::sort(r.llamadas.begin(), r.llamadas.end());
    return r;
}

TEST(IconosMensajes, EveryMessageBoxShowsThePictureItsTextCallsFor) {
    std::vector<Llamada> esperado = {
        // Start-up, frame and tabs.
        {"General/5", "Informacion"},   // offer of the special font
        {"General/9", "Informacion"},   // tab limit, from New Tab
        {"General/9", "Informacion"},   // tab limit, from a new search
        {"General/21", "Exclamacion"},  // pane limit
        {"La ruta no existe.", "Ninguno"},
        {"No se pudo cargar el contenido.", "Ninguno"},
        {"No se pudo cargar el contenido.", "Ninguno"},  // a share listed off the window's thread
        {"Extensión desconocida: |", "Ninguno"},
        {"General/63", "Ninguno"},  // a drop on the drive list
        // Search.
        {"frmSearch/13", "Informacion"},
        {"kMapaNoCargado", "Ninguno"},
        // Options and special font.
        {"General/34", "Exclamacion"},
        {"General/28", "Ninguno"},
        {"General/30", "Stop"},
        {"General/31", "Pregunta"},
        {"General/7", "Exclamacion"},
        {"General/7", "Exclamacion"},
        {"General/8", "Exclamacion"},
        {"General/8", "Exclamacion"},  // followed by General/32 at start-up
        {"General/33", "Stop"},
        // Properties: the drive label.
        {"General/55", "Exclamacion"},
        {"General/56", "Exclamacion"},
        {"General/54", "Exclamacion"},
        {"General/57", "Exclamacion"},
        {"General/58", "Stop"},
        // Create, rename, label and delete.
        {"General/46", "Exclamacion"},
        {"General/47", "Exclamacion"},
        {"General/54", "Exclamacion"},
        {"General/48", "Exclamacion"},
        {"General/16", "Stop"},
        {"General/18", "Stop"},
        {"General/49", "Stop"},
        {"General/41", "Stop"},
        {"General/10", "Exclamacion"},
        {"TEXTO_ELEMENTO_NO_EXISTE", "Exclamacion"},
        // Clipboard and operations.
        {"TEXTO_ERROR_PORTAPAPELES", "Stop"},     // writing
        {"TEXTO_ERROR_PORTAPAPELES", "Stop"},     // writing, refused by the platform
        {"TEXTO_ERROR_PORTAPAPELES", "Ninguno"},  // reading
        {"General/43", "Ninguno"},
        {"General/35", "Ninguno"},  // Undo
        // Undo and the trash.
        {"General/200", "Exclamacion"},  // items the trash cannot take: delete them for good?
        {"General/202", "Exclamacion"},  // a permanent delete cannot be undone
        {"General/203", "Pregunta"},     // remove the copied files?
        {"General/208", "Exclamacion"},  // already undone
    };
    std::sort(esperado.begin(), esperado.end());
    const Encontrado hallado = Recorrer();
    EXPECT_EQ(hallado.llamadas, esperado);
    EXPECT_TRUE(hallado.sinIcono.empty()) << hallado.sinIcono.front();
}

}  // namespace
}  // namespace quirvex::prueba
