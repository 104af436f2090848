#include "ui/print/qt_print_canvas.h"

#include <QFontMetricsF>
#include <string>

#include "ui/common/qt_text.h"

namespace telvo {

QtPrintCanvas::QtPrintCanvas(QPrinter& printer) : printer_(printer) {
  started_ = painter_.begin(&printer_);
  if (!started_) return;
  dotsX_ = printer_.logicalDpiX();
  dotsY_ = printer_.logicalDpiY();
  // The painter starts with the printer's own font at the printer's
  // resolution; the job never names a font or a size.
  font_ = painter_.font();
  metrics_.emplace(font_, &printer_);
}

QtPrintCanvas::~QtPrintCanvas() {
  if (started_ && !ended_) {
    printer_.abort();
    painter_.end();
  }
}

double QtPrintCanvas::TextWidth(std::string_view text) {
  return Metrics().horizontalAdvance(ToQt(std::string(text))) / dotsX_;
}

double QtPrintCanvas::TextHeight(std::string_view) { return Metrics().height() / dotsY_; }

void QtPrintCanvas::ApplyFont() {
  metrics_.emplace(font_, &printer_);
  if (started_) painter_.setFont(font_);
}

const QFontMetricsF& QtPrintCanvas::Metrics() {
  if (!metrics_) metrics_.emplace(font_, &printer_);
  return *metrics_;
}

void QtPrintCanvas::SetBold(bool on) {
  font_.setBold(on);
  ApplyFont();
}

void QtPrintCanvas::SetUnderline(bool on) {
  font_.setUnderline(on);
  ApplyFont();
}

void QtPrintCanvas::SetStrikethrough(bool on) {
  font_.setStrikeOut(on);
  ApplyFont();
}

void QtPrintCanvas::Draw(std::string_view text) {
  const QString shown = ToQt(std::string(text));
  const QFontMetricsF& metrics = Metrics();
  // The position is the top of the line; Qt draws on the baseline.
  if (started_) painter_.drawText(QPointF(x_ * dotsX_, y_ * dotsY_ + metrics.ascent()), shown);
  x_ += metrics.horizontalAdvance(shown) / dotsX_;
}

void QtPrintCanvas::EndLine() {
  x_ = 0;
  y_ += TextHeight("");
}

void QtPrintCanvas::NewPage() {
  if (started_) printer_.newPage();
  x_ = 0;
  y_ = 0;
}

void QtPrintCanvas::EndDocument() {
  if (!started_ || ended_) return;
  ended_ = true;
  printed_ = painter_.end() && printer_.printerState() != QPrinter::Error;
}

}  // namespace telvo
