#pragma once
// The special font (module mFonts): the font file "segoeui.ttf" fetched from the address in
// "Special Font Address" into the user's fonts folder and registered, with the designed
// messages. The routine is the same for the options window's button (DescargarFuente) and for
// the start-up offer (InstalarFuenteInicio); the platform's part (the folder, the download, the
// registration, the probe) sits behind ServicioFuentes so the order and the messages are tested
// without a network.
//
// An empty address makes every download fail honestly (the file never appears); the start-up
// offer is then not made at all, as it is not made when the fonts folder is unknown.

#include <optional>
#include <string>

namespace quirvex {

inline constexpr const char* ARCHIVO_FUENTE_ESPECIAL = "segoeui.ttf";
inline constexpr const char* FUENTE_ESPECIAL = "Segoe UI";

class ServicioFuentes {
public:
    virtual ~ServicioFuentes() = default;
    // The user's fonts folder ending in "/", empty when unknown.
    virtual std::string CarpetaFuentes() = 0;
    // Fetches `direccion` into `destino`; the file appears only when complete.
    virtual bool Descargar(const std::string& direccion, const std::string& destino) = 0;
    // Registers the font file with the system and the running program; false when no font
    // could be taken from it.
    virtual bool Registrar(const std::string& archivo) = 0;
    virtual void DejarCorrer() = 0;
    // Whether a font asked for by the special font's name really gets it.
    virtual bool Sondear() = 0;
};

enum class ResultadoFuente {
    Instalada,     // usable now
    SinCarpeta,    // no fonts folder (General/30)
    Rechazada,     // the user said No
    NoDescargada,  // General/7
    NoInstalada,   // General/8
    Reiniciar,     // installed but only a restart will show it (General/33)
};

// InstalarFuente(archivo, copiar): the file must exist and the fonts folder be known; with
// `copiar` the file is first copied there under its own name. True when registered.
bool InstalarFuente(ServicioFuentes& s, const std::string& archivo, bool copiar);

// The options window's button. Asks before downloading when the file is not there yet.
ResultadoFuente DescargarFuente(ServicioFuentes& s, const std::string& direccion);

// The same in two halves, for a window that downloads without waiting. The first checks the
// folder and asks; it either ends the routine (`fin`) or names the file to install, and whether
// it must be downloaded first. The second runs once the download is over (or was not needed).
struct InicioDescargaFuente {
    std::optional<ResultadoFuente> fin;
    std::string destino;
    bool descargar = false;
};
InicioDescargaFuente EmpezarDescargaFuente(ServicioFuentes& s);
ResultadoFuente TerminarDescargaFuente(ServicioFuentes& s, const std::string& destino);

// The start-up offer's Yes: download, install, and store "Special Font" = 1 on success;
// failures are told with the start-up's texts and never stop the start.
ResultadoFuente InstalarFuenteInicio(ServicioFuentes& s, const std::string& direccion);

}  // namespace quirvex
