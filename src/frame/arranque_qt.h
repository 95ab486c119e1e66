#pragma once
// Start-up: platform services and settings, then the start-up window and the frame.

#include <QString>

class QApplication;
class QWidget;

namespace quirvex {

struct OpcionesArranque {
    QString carpeta;   // folder to open, empty = the default start folder
    QString captura;   // write a PNG of the window here and quit
    bool depuracion = false;
    // Print "painted" on the standard output when the frame has been painted for the first
    // time, then quit: what start-up timing measures.
    bool salirAlPintar = false;
};

// Prepares the core for a run of the program: icon theme fallback, message boxes, settings.
// The language is the start-up window's. Safe to call more than once (tests do).
void PrepararNucleo();

int Arrancar(QApplication& app, const OpcionesArranque& op);

// Saves a PNG of the widget; false when it cannot be written.
bool GuardarCaptura(QWidget& ventana, const QString& archivo);

}  // namespace quirvex
