#include "ui/splash/splash_pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <functional>

namespace telvo {
namespace {

const QColor kInk(0x20, 0x2a, 0x44);
const QColor kPhoneBody(0x3b, 0x5b, 0x92);
const QColor kPaper(0xff, 0xfb, 0xe8);
const QColor kPadBinding(0xc0, 0x39, 0x2b);
const QColor kHandwriting(0x1f, 0x4f, 0xd0);
const QColor kLamp(0xe7, 0x4c, 0x3c);

// Every picture is drawn on a square of 100 by 100, scaled evenly into the
// middle of `size`, whatever the shape of the picture box.
QPixmap Draw(QSize size, const std::function<void(QPainter&)>& draw) {
  QPixmap pixmap(size.expandedTo(QSize(1, 1)));
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const double scale = std::min(pixmap.width(), pixmap.height()) / 100.0;
  painter.translate((pixmap.width() - 100 * scale) / 2, (pixmap.height() - 100 * scale) / 2);
  painter.scale(scale, scale);
  draw(painter);
  return pixmap;
}

QPen InkPen(double width) { return QPen(kInk, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

void DrawHandset(QPainter& p) {
  QPainterPath handset;
  handset.moveTo(14, 30);
  handset.cubicTo(14, 14, 86, 14, 86, 30);
  handset.lineTo(86, 38);
  handset.lineTo(70, 38);
  handset.lineTo(68, 31);
  handset.cubicTo(58, 27, 42, 27, 32, 31);
  handset.lineTo(30, 38);
  handset.lineTo(14, 38);
  handset.closeSubpath();
  p.setPen(InkPen(2.5));
  p.setBrush(kPhoneBody.darker(115));
  p.drawPath(handset);
}

void DrawBody(QPainter& p) {
  QPainterPath body;
  body.moveTo(26, 40);
  body.lineTo(74, 40);
  body.lineTo(90, 84);
  body.quadTo(90, 90, 84, 90);
  body.lineTo(16, 90);
  body.quadTo(10, 90, 10, 84);
  body.closeSubpath();
  p.setPen(InkPen(2.5));
  p.setBrush(kPhoneBody);
  p.drawPath(body);
}

void DrawDial(QPainter& p) {
  p.setPen(InkPen(2));
  p.setBrush(QColor(0xec, 0xf0, 0xf6));
  p.drawEllipse(QPointF(50, 65), 17, 17);
  p.setBrush(kInk);
  p.setPen(Qt::NoPen);
  for (int hole = 0; hole < 8; ++hole) {
    p.save();
    p.translate(50, 65);
    p.rotate(-60 + hole * 30);
    p.drawEllipse(QPointF(0, -11), 2.6, 2.6);
    p.restore();
  }
  p.setBrush(kPhoneBody);
  p.drawEllipse(QPointF(50, 65), 5, 5);
}

void DrawRinging(QPainter& p) {
  p.setPen(Qt::NoPen);
  p.setBrush(kLamp);
  p.drawEllipse(QPointF(80, 50), 5, 5);
  p.setPen(QPen(kLamp, 3, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  for (int ring = 0; ring < 2; ++ring) {
    const double r = 8 + ring * 7;
    p.drawArc(QRectF(50 - r - 34, 20 - r, 2 * r, 2 * r), 100 * 16, 70 * 16);
    p.drawArc(QRectF(50 - r + 34, 20 - r, 2 * r, 2 * r), 10 * 16, 70 * 16);
  }
}

void DrawPadSheet(QPainter& p) {
  p.setPen(InkPen(2.5));
  p.setBrush(kPaper);
  p.drawRoundedRect(QRectF(18, 10, 64, 82), 3, 3);
  p.setPen(Qt::NoPen);
  p.setBrush(kPadBinding);
  p.drawRect(QRectF(18, 10, 64, 12));
  p.setPen(QPen(QColor(0xb8, 0xc4, 0xd6), 1.5));
  for (double y = 36; y <= 84; y += 10) p.drawLine(QPointF(26, y), QPointF(74, y));
}

void DrawHandwriting(QPainter& p) {
  p.setPen(QPen(kHandwriting, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  const double lengths[] = {44, 36, 46, 24};
  for (int line = 0; line < 4; ++line) {
    const double y = 33 + line * 10;
    QPainterPath scribble;
    scribble.moveTo(27, y);
    for (double x = 27; x < 27 + lengths[line]; x += 6)
      scribble.cubicTo(x + 1.5, y - 5, x + 3, y + 1, x + 6, y - 1);
    p.drawPath(scribble);
  }
}

}  // namespace

QPixmap DrawTelephone(QSize size, bool ringing) {
  return Draw(size, [ringing](QPainter& p) {
    DrawBody(p);
    DrawHandset(p);
    DrawDial(p);
    if (ringing) DrawRinging(p);
  });
}

QPixmap DrawMessagePad(QSize size, bool written) {
  return Draw(size, [written](QPainter& p) {
    DrawPadSheet(p);
    if (written) DrawHandwriting(p);
  });
}

QPixmap DrawMessageSlip(QSize size) {
  return Draw(size, [](QPainter& p) {
    p.setPen(InkPen(2.5));
    p.setBrush(kPaper);
    p.drawRect(QRectF(12, 28, 76, 50));
    p.setBrush(kPaper.darker(108));
    QPainterPath flap;
    flap.moveTo(12, 28);
    flap.lineTo(50, 56);
    flap.lineTo(88, 28);
    p.drawPath(flap);
    p.setPen(Qt::NoPen);
    p.setBrush(kPadBinding);
    p.drawEllipse(QPointF(50, 56), 6, 6);
  });
}

QPixmap DrawPencil(QSize size) {
  return Draw(size, [](QPainter& p) {
    p.translate(50, 50);
    p.rotate(-45);
    p.setPen(InkPen(2.5));
    p.setBrush(QColor(0xf4, 0xc4, 0x30));
    p.drawRect(QRectF(-30, -7, 56, 14));
    p.setBrush(QColor(0xf0, 0x9a, 0xa8));
    p.drawRoundedRect(QRectF(-42, -7, 12, 14), 3, 3);
    p.setBrush(QColor(0xe8, 0xd3, 0xa8));
    QPolygonF tip;
    tip << QPointF(26, -7) << QPointF(44, 0) << QPointF(26, 7);
    p.drawPolygon(tip);
    p.setBrush(kInk);
    QPolygonF lead;
    lead << QPointF(38, -2.3) << QPointF(44, 0) << QPointF(38, 2.3);
    p.drawPolygon(lead);
  });
}

}  // namespace telvo
