#pragma once
// What assistive tools see of the frame's hand-drawn controls: the tab strip is a page tab
// list whose tabs are named by their full caption and hold their close glyph as a button of
// its own; labels that act as buttons (the path buttons, "My PC", "My Lan") are links named by
// their text; the frame is a frame and a top-level properties window a dialog rather than a
// nameless client area. The pane's items keep their own factory (accesible_visor_qt.h).

#include <QString>
#include <functional>

class QAccessibleEvent;

class QLabel;

class QWidget;

namespace quirvex {

// Installs the factory behind all of the above; once per process, before the first frame.
void InstalarAccesibilidadMarco();

// Marks a label that acts as a button: it takes the keyboard focus, draws a focus mark and
// shows to assistive tools as a link named by its text, whose press action is Space.
void HacerEtiquetaBoton(QWidget* etiqueta);

// Tells assistive tools that a tab's name changed, at most once a second per tab: a copy
// retitles the Operations tab at every step, which a reader would otherwise read out in a
// stream. The last name of a burst is always told, once the second is over.
void AnunciarNombreTab(QWidget* boton);

// Marks a label as a status line: assistive tools read its text as text, and
// AnunciarLineaEstado tells them that the text changed (a search ended), which a label's
// name change alone does not.
void MarcarLineaEstado(QWidget* etiqueta);
void AnunciarLineaEstado(QWidget* etiqueta, const QString& anterior);

// Marks a drawn bar as a value from 0 to 100 for assistive tools (a progress bar to them),
// named by its accessible name; the widget keeps its value up to date with SetValorBarra.
void MarcarBarraValor(QWidget* barra);
void SetValorBarra(QWidget* barra, double valor);

// Where the announcements above go: Qt's bridge to assistive tools (which is only there on a
// desktop that runs one), or a recorder a test installs. Empty restores Qt's.
void SetAvisoAccesible(std::function<void(QAccessibleEvent*)> aviso);

// The text without its '&' accelerator marks (a caption used as a control's name).
QString SinAceleradores(QString texto);

}  // namespace quirvex
