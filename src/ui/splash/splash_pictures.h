#pragma once
// The splash screen's pictures, drawn by the program at the size they are
// shown, so they stay sharp on any screen.

#include <QPixmap>
#include <QSize>

namespace telvo {

// A desk telephone; `ringing` lights its message lamp and adds ring marks.
QPixmap DrawTelephone(QSize size, bool ringing);
// A message pad; `written` fills in its lines in handwriting.
QPixmap DrawMessagePad(QSize size, bool written);
// The folded message slip that travels up to the line.
QPixmap DrawMessageSlip(QSize size);
// The pencil beside the pad.
QPixmap DrawPencil(QSize size);

}  // namespace telvo
