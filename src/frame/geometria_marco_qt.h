#pragma once
// The frame's place and size between runs: kept in the settings record (FrameLeft, FrameTop,
// FrameWidth, FrameHeight, FrameMaximized) and written at exit by their own writer.

class QWidget;

namespace quirvex {

// Puts the window where the settings say, moved and shrunk as needed so that it lies on a
// screen there is now (a monitor may have gone since). Nothing when no place is stored.
void RestaurarGeometriaMarco(QWidget& marco);
// Stores where the window is (its normal place when maximized) and saves it.
void RecordarGeometriaMarco(const QWidget& marco);

}  // namespace quirvex
