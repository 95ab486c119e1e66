#pragma once
// The special font on this desktop: the user's fonts folder (~/.local/share/fonts), the download
// over HTTP(S), fontconfig's cache and the running program's own font database, and the switch
// of the interface font.

#include <QString>
#include <QUrl>

#include "settings/fuente_especial.h"

namespace quirvex {

// Fetches `direccion` into `destino`: the body goes into a temporary file beside it, which
// becomes `destino` only when the whole body arrived with a success status; anything else (an
// error status, a body shorter than announced, no data for `esperaMs`) leaves no file behind.
bool DescargarArchivo(const QUrl& direccion, const QString& destino, int esperaMs);

class ServicioFuentesQt final : public ServicioFuentes {
public:
    std::string CarpetaFuentes() override;
    bool Descargar(const std::string& direccion, const std::string& destino) override;
    bool Registrar(const std::string& archivo) override;
    void DejarCorrer() override;
    bool Sondear() override;
    // How long a download may go without receiving anything.
    void SetEspera(int ms) { esperaMs_ = ms; }

private:
    int esperaMs_ = 30000;
};

ServicioFuentesQt& ServicioFuentesPrograma();

// The interface font of every window: the special font, or the standard font the program
// started with.
void AplicarFuenteInterfaz(bool especial);
// Whether a font asked for by the special font's name really gets it.
bool FuenteEspecialDisponible();

}  // namespace quirvex
