#pragma once
// The pictures a pane paints: an item's image, the location's icon, the shortcut arrow and the
// selection overlay's tint. Kept behind these few functions so that the icon/preview cache and
// the selector pictures replace them with one line each.

#include <QPixmap>

#include "folder/item_carpeta.h"

class QPainter;
class QRect;

namespace quirvex {

// The item's type icon, lado × lado pixels (device-independent), cached per kind and extension.
QPixmap ImagenDeItem(const ItemCarpeta& item, int lado);
// The icon of a location for the title strip: IconoCarpeta of the pane's content.
QPixmap ImagenDeUbicacion(int iconoCarpeta, int lado);
// Tints a selected item's overlay half-transparently (alpha 128) with the chosen selector.
void PintarSelector(QPainter& p, const QRect& r, int colorSel);

}  // namespace quirvex
