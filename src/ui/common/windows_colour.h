#pragma once
// Colours as the configuration keeps them: Windows colour values 0x00BBGGRR.

#include <QColor>
#include <QWidget>
#include <cstdint>

namespace telvo {

QColor ToQColor(int32_t windowsColor);
int32_t ToWindowsColor(const QColor& color);

// Fills the control's background with the colour, buttons and check boxes
// too, which otherwise fill with the button colour.
void PaintBackground(QWidget* control, int32_t windowsColor);

}  // namespace telvo
