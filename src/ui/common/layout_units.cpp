#include "ui/common/layout_units.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace telvo {

LayoutUnits::LayoutUnits(const QWidget& window, double across, double down)
    : pixelsPerUnitX_(window.width() / across), pixelsPerUnitY_(window.height() / down) {}

void LayoutUnits::PlaceControl(QWidget* control, double top, double left, double width,
                               double height) const {
  const int x = static_cast<int>(std::lround(left * pixelsPerUnitX_));
  const int y = static_cast<int>(std::lround(top * pixelsPerUnitY_));
  const int w = static_cast<int>(std::lround(width * pixelsPerUnitX_));
  const int h = static_cast<int>(std::lround(height * pixelsPerUnitY_));
  control->setGeometry(x, y, std::max(w, 1), std::max(h, 1));
}

void SizeAndCentre(QWidget* window, double widthFraction, double heightFraction) {
  const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
  const QRect area = screen->availableGeometry();
  const int w = static_cast<int>(std::lround(area.width() * widthFraction));
  const int h = static_cast<int>(std::lround(area.height() * heightFraction));
  window->resize(w, h);
  window->move(area.x() + (area.width() - w) / 2, area.y() + (area.height() - h) / 2);
}

}  // namespace telvo
