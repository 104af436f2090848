#include "ui/calllist/call_icons.h"

#include <QPainter>
#include <QPainterPath>

namespace telvo {
namespace {

constexpr int kSide = 32;

void DrawPhone(QPainter& p) {
  // A desk set: the body with its dial, the handset lying across the top.
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(QColor(0, 0, 0));
  p.drawRoundedRect(QRectF(6, 14, 20, 14), 3, 3);
  p.setBrush(QColor(192, 192, 192));
  p.drawEllipse(QRectF(12, 17, 8, 8));
  p.setBrush(Qt::black);
  QPainterPath handset;
  handset.moveTo(3, 12);
  handset.cubicTo(3, 3, 29, 3, 29, 12);
  handset.lineTo(24, 13);
  handset.cubicTo(22, 8, 10, 8, 8, 13);
  handset.closeSubpath();
  p.drawPath(handset);
}

void DrawCheck(QPainter& p) {
  p.setPen(QPen(QColor(0, 128, 0), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPolyline(QPolygonF({QPointF(5, 17), QPointF(13, 26), QPointF(27, 6)}));
}

void DrawPin(QPainter& p) {
  // A drawing pin seen from the side: the needle, the shank and the red head.
  p.setPen(QPen(QColor(128, 128, 128), 2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(16, 20), QPointF(16, 30));
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(QColor(128, 0, 0));
  p.drawRect(QRectF(12, 12, 8, 8));
  p.setBrush(QColor(255, 0, 0));
  p.drawEllipse(QRectF(6, 2, 20, 12));
}

void DrawExclamation(QPainter& p) {
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(QColor(255, 255, 0));
  p.drawPolygon(QPolygonF({QPointF(16, 1), QPointF(31, 30), QPointF(1, 30)}));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 0, 0));
  p.drawPolygon(QPolygonF({QPointF(14, 9), QPointF(18, 9), QPointF(17, 21), QPointF(15, 21)}));
  p.drawEllipse(QRectF(14, 23, 4, 4));
}

}  // namespace

QPixmap CallIconPicture(CallIcon icon) {
  QPixmap picture(kSide, kSide);
  picture.fill(Qt::transparent);
  QPainter p(&picture);
  p.setRenderHint(QPainter::Antialiasing);
  switch (icon) {
    case CallIcon::kPhone:
      DrawPhone(p);
      break;
    case CallIcon::kCheck:
      DrawCheck(p);
      break;
    case CallIcon::kNail:
      DrawPin(p);
      break;
    case CallIcon::kUrgent:
      DrawExclamation(p);
      break;
  }
  return picture;
}

}  // namespace telvo
