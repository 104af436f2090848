#pragma once
// The four disposition pictures in front of a listed call, drawn by the
// program itself: a telephone (new), a check mark (answered, for deletion),
// a pin (for the archive) and an exclamation mark (important).

#include <QPixmap>

#include "ui/calllist/call_canvas.h"

namespace telvo {

// A 32 x 32 picture of `icon`, transparent around the drawing.
QPixmap CallIconPicture(CallIcon icon);

}  // namespace telvo
