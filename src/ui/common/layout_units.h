#pragma once
// Windows lay out their controls in units of their own: a window's client
// area is so many units across and down, whatever its size in pixels.

#include <QWidget>

namespace telvo {

class LayoutUnits {
 public:
  // The client area of `window` as it is now, `across` by `down` units.
  LayoutUnits(const QWidget& window, double across, double down);

  // Places `control` (a child of the window) at the given units; sets, in
  // this order, its height, top, width and left.
  void PlaceControl(QWidget* control, double top, double left, double width, double height) const;

  // Pixels as units, across and down.
  double UnitsAcross(double pixels) const { return pixels / pixelsPerUnitX_; }
  double UnitsDown(double pixels) const { return pixels / pixelsPerUnitY_; }

 private:
  double pixelsPerUnitX_;
  double pixelsPerUnitY_;
};

// Sizes the inside of `window` to a fraction of its screen's available area
// and centres it there: a window with a parent on the parent's screen, one
// without on the screen the person is working on.
void SizeAndCentre(QWidget* window, double widthFraction, double heightFraction);

}  // namespace telvo
