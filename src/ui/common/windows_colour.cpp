#include "ui/common/windows_colour.h"

#include <QPalette>

namespace telvo {

QColor ToQColor(int32_t windowsColor) {
  const auto bits = static_cast<uint32_t>(windowsColor);
  return QColor(static_cast<int>(bits & 0xFF), static_cast<int>((bits >> 8) & 0xFF),
                static_cast<int>((bits >> 16) & 0xFF));
}

int32_t ToWindowsColor(const QColor& color) {
  return static_cast<int32_t>(static_cast<uint32_t>(color.red()) |
                              static_cast<uint32_t>(color.green()) << 8 |
                              static_cast<uint32_t>(color.blue()) << 16);
}

void PaintBackground(QWidget* control, int32_t windowsColor) {
  QPalette palette = control->palette();
  palette.setColor(QPalette::Window, ToQColor(windowsColor));
  control->setPalette(palette);
  control->setBackgroundRole(QPalette::Window);
  control->setAutoFillBackground(true);
}

}  // namespace telvo
