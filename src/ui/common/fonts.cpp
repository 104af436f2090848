#include "ui/common/fonts.h"

#include <QFontMetricsF>

namespace telvo {

QFont MsSansSerif(double points) {
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(points);
  return font;
}

double TextHeightInUnits(const QFont& font, const LayoutUnits& units) {
  return units.UnitsDown(QFontMetricsF(font).height());
}

}  // namespace telvo
