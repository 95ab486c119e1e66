#pragma once
// The 26 selector styles: the picture laid half-transparently over a selected item in the
// panes ("ColorSel" 0..25), and the samples the selector chooser shows for them.
//
// Pictures are painted in code at the size they are asked for, which is what stretching a
// drawn picture would give, without blurring its border. Any thread that may paint on a
// QImage may call these; the pane and the chooser call them from the user-interface thread.

#include <QImage>
#include <QRect>
#include <QSize>

class QPainter;

namespace quirvex {

inline constexpr int NUM_SELECTORES = 26;
// Constant alpha of the selection overlay.
inline constexpr int ALFA_SELECCION = 128;

// The style number itself when it is 0..25, else 0 (the stored setting may be anything).
int SelectorValido(int estilo);
// The opaque picture of a style at a size (corners of rounded styles stay transparent).
QImage ImagenSelector(int estilo, QSize tamano);
// Lays the style's picture over r at alpha 128, as the pane marks a selected item; what is
// under r stays half visible. The painter's opacity is left as it was.
void PintarSeleccion(QPainter& p, const QRect& r, int estilo);
// Same, with the style chosen in the settings ("ColorSel").
void PintarSeleccion(QPainter& p, const QRect& r);
// The chooser's sample of a style: the selection over the pane's white background.
QImage MuestraSelector(int estilo, QSize tamano);

}  // namespace quirvex
