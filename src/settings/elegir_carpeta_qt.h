#pragma once
// The folder-choice dialog (ElegirCarpeta / SeleccionarCarpeta): a folders-only file dialog
// with the caller's title, opening at a start folder. The result is the chosen folder ending in
// "/", or empty when the user cancelled. Tests put their own answer in place with
// SetRespuestaElegirCarpeta so that no dialog waits.

#include <QString>
#include <functional>
#include <string>

class QFileDialog;
class QWidget;

namespace quirvex {

// The dialog as it is shown (not yet shown): directories only, the given title, the start
// folder (the home folder when empty or missing), the program's own dialog so it looks the same
// on every desktop.
QFileDialog* CrearDialogoCarpeta(QWidget* padre, const QString& titulo, const QString& inicio);

// The folder as the program keeps it: native bytes ending in "/"; empty stays empty.
std::string CarpetaElegida(const QString& ruta);

std::string ElegirCarpeta(QWidget* padre, const std::string& titulo, const std::string& inicio);

using RespuestaElegirCarpeta = std::function<std::string(const std::string& titulo, const std::string& inicio)>;
// Empty function: the real dialog again.
void SetRespuestaElegirCarpeta(RespuestaElegirCarpeta respuesta);

}  // namespace quirvex
