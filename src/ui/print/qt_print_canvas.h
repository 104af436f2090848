#pragma once
// The print canvas on a QPrinter: positions in inches from the top left of
// the printable area, the printer's default font with only bold, underline
// and strikethrough switched.

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <optional>
#include <string_view>

#include "ui/print/print_canvas.h"

namespace telvo {

class QtPrintCanvas : public PrintCanvas {
 public:
  // Begins the document on `printer`, which must outlive the canvas.
  explicit QtPrintCanvas(QPrinter& printer);
  // Without EndDocument the document is abandoned, nothing printed.
  ~QtPrintCanvas() override;

  // False when the printer refused the document from the start.
  bool Started() const { return started_; }
  // True once EndDocument has handed the whole document to the printer.
  bool Printed() const { return printed_; }

  double TextWidth(std::string_view text) override;
  double TextHeight(std::string_view text) override;
  void SetX(double x) override { x_ = x; }
  double Y() override { return y_; }
  void SetBold(bool on) override;
  void SetUnderline(bool on) override;
  void SetStrikethrough(bool on) override;
  void Draw(std::string_view text) override;
  void EndLine() override;
  void NewPage() override;
  void EndDocument() override;

 private:
  void ApplyFont();
  const QFontMetricsF& Metrics();

  QPrinter& printer_;
  QPainter painter_;
  QFont font_;
  // Measured on the printer, renewed with every change of style.
  std::optional<QFontMetricsF> metrics_;
  double dotsX_ = 72, dotsY_ = 72;  // device pixels per inch
  double x_ = 0, y_ = 0;            // inches
  bool started_ = false;
  bool ended_ = false;
  bool printed_ = false;
};

}  // namespace telvo
