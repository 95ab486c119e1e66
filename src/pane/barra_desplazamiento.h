#pragma once
// cBarraDesplazamiento: the arithmetic of a pane's own vertical scroll bar: two 17-pixel arrow
// buttons, the track between them, a thumb proportional to the visible share (never shorter
// than 8 pixels), and what presses, drags and wheel notches do to the value. The value is the
// vertical offset of the item area in pixels.
//
// Owned by the pane, one per pane; it paints nothing. The window calls Recalcular whenever the
// bar's height, the content height or the viewport changes (and before painting), forwards
// pointer and wheel events, and redraws the items when a call reports that the value changed.
// The value is kept within 0..vsbMax at every change, so the items are never drawn from an
// offset the bar would only correct later.

#include <cstdint>

namespace quirvex {

inline constexpr int VSB_FLECHA = 17;      // height of each arrow button
inline constexpr int VSB_BARRA_MINIMA = 8;  // shortest thumb
inline constexpr int VSB_CAMBIO_GRANDE = 74;

// Press state.
inline constexpr int VSB_LIBRE = 0;
inline constexpr int VSB_FLECHA_ARRIBA = 1;
inline constexpr int VSB_FLECHA_ABAJO = 2;
inline constexpr int VSB_BARRA_TOMADA = 3;
inline constexpr int VSB_PISTA = 4;

class cBarraDesplazamiento {
public:
    // alto: the bar surface's height; altoContenido: pixel height of all item rows;
    // altoViewport and altoCabecera: the item viewport and the details header above the rows.
    // Returns true when the value had to be brought into the new range.
    bool Recalcular(int alto, int altoContenido, int altoViewport, int altoCabecera);

    // Sets the value, kept within 0..vsbMax; true when it changed.
    bool SetValue(int valor);
    // Pointer pressed at y (from the bar's top); paso is the row height IcoH.
    bool MouseDown(int y, int paso);
    // Pointer moved at y; only drags the thumb while it is held with the left button.
    bool MouseMove(int y, bool botonIzquierdo);
    void MouseUp() { estado_ = VSB_LIBRE; }
    // Wheel: one large change per notch; positive notches scroll up.
    bool Rueda(int muescas);

    int vsbValue() const { return valor_; }
    int vsbMax() const { return max_; }
    int vsbMin() const { return 0; }
    int vsbLargeChange() const { return VSB_CAMBIO_GRANDE; }
    int vsbBarra() const { return barra_; }
    int vsbEspacioBarra() const { return espacio_; }
    int Estado() const { return estado_; }
    int Alto() const { return alto_; }
    // Thumb top and bottom (inclusive) in pixels from the bar's top.
    int TopBarra() const;
    int FondoBarra() const { return TopBarra() + barra_ - 1; }

private:
    // Value that puts the thumb's centre under y.
    int ValorCentrado(int y) const;

    int alto_ = 0;
    int espacio_ = 0;
    int barra_ = VSB_BARRA_MINIMA;
    int max_ = 0;
    int valor_ = 0;
    int estado_ = VSB_LIBRE;
};

}  // namespace quirvex
