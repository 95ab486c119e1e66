#pragma once
// The special font on this desktop: the user's fonts folder (~/.local/share/fonts), the download
// over HTTP(S), fontconfig's cache and the running program's own font database, and the switch
// of the interface font.

#include <QFont>
#include <QString>
#include <QUrl>

#include "settings/fuente_especial.h"

namespace quirvex {

// A file fetched into `recibido` takes the special font's place `final` only when it holds a
// font: a page, or nothing useful, must not leave a file every later attempt would take for the
// font. The received file is gone afterwards either way.
bool ColocarFuenteRecibida(const QString& recibido, const QString& final);
// Where a download of the font to `final` puts the data before it is known to be a font.
QString ArchivoRecibido(const QString& final);

class ServicioFuentesQt final : public ServicioFuentes {
public:
    std::string CarpetaFuentes() override;
    bool Descargar(const std::string& direccion, const std::string& destino) override;
    bool Registrar(const std::string& archivo) override;
    void DejarCorrer() override;
    bool Sondear() override;
    // How long a download may go without receiving anything.
    void SetEspera(int ms) { esperaMs_ = ms; }
    int Espera() const { return esperaMs_; }

private:
    int esperaMs_ = 30000;
};

ServicioFuentesQt& ServicioFuentesPrograma();

// The interface font of every window: the special font, or the standard font the program
// started with.
void AplicarFuenteInterfaz(bool especial);
// Whether a font asked for by the special font's name really gets it.
bool FuenteEspecialDisponible();
// The font of the surfaces the program paints itself (panes, path buttons), `pixeles` high:
// the special font while the interface uses it, else the one font every machine here has.
QFont FuenteDibujo(int pixeles);

}  // namespace quirvex
