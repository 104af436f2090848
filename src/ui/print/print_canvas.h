#pragma once
// The page canvas a print job draws on. Every position, width and height is
// in inches, measured from the top left corner of the printable area, in the
// printer's default font; the job only switches bold, underline and
// strikethrough. The print window realises it on the default printer; tests
// record what is drawn.

#include <string_view>

namespace telvo {

class PrintCanvas {
 public:
  virtual ~PrintCanvas() = default;

  // Width and height of a text in the current font.
  virtual double TextWidth(std::string_view text) = 0;
  virtual double TextHeight(std::string_view text) = 0;

  virtual void SetX(double x) = 0;
  virtual double Y() = 0;

  virtual void SetBold(bool on) = 0;
  virtual void SetUnderline(bool on) = 0;
  virtual void SetStrikethrough(bool on) = 0;

  // Draws at the current position and leaves x just after the text.
  virtual void Draw(std::string_view text) = 0;
  // x back to 0, y down by one line of the current font.
  virtual void EndLine() = 0;
  virtual void NewPage() = 0;
  // Sends the document to the printer. A canvas destroyed without it prints
  // nothing: that is how a job that failed before printing leaves no
  // document behind.
  virtual void EndDocument() = 0;
};

}  // namespace telvo
