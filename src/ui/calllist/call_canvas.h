#pragma once
// What the call list's paging engine draws on. The call list window
// implements it with Qt; tests record the calls. Positions and sizes are in
// the window's layout units: 100 across and 100 down, origin at the top left.
// Texts are Windows-1252 bytes, like every text below the windows.

#include <string_view>

#include "core/marks.h"  // CallIcon, the disposition picture in front of a call

namespace telvo {

class CallCanvas {
 public:
  virtual ~CallCanvas() = default;

  // Removes every drawn text and hides the icons of all rows.
  virtual void Clear() = 0;
  // The width of `text` in the window's font.
  virtual double TextWidth(std::string_view text) = 0;
  // The height of one line of text: the height of the letter "T".
  virtual double LineHeight() = 0;
  // The colour of the texts drawn from now on: an index of the standard
  // 16-colour palette (0 black, 7 light grey, 9 light blue, 12 light red).
  virtual void SetTextColor(int paletteIndex) = 0;
  // Draws `text` with its top left corner at (x, y). A single row is redrawn
  // in place after its mark changed: the same texts arrive again at the same
  // positions, and they replace what was drawn there.
  virtual void DrawText(double x, double y, std::string_view text) = 0;
  // Moves the icon of `row` (0 to 11) to `top`, gives it `icon`'s picture and
  // shows it.
  virtual void ShowRowIcon(int row, double top, CallIcon icon) = 0;
};

}  // namespace telvo
