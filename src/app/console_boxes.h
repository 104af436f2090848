#pragma once
// The store's message boxes as lines on a terminal. Boxes with an icon are
// errors and go to standard error at once. A box without one is either a
// result ("Message exported.") or the last words of a program that ends
// after it, and only the end tells which: such boxes are held until the
// command finishes (results, standard output) or the program ends (errors,
// standard error). Questions get the answer the command line gave.

#include <iosfwd>
#include <string>
#include <vector>

#include "app/log_tool.h"
#include "core/message_boxes.h"

namespace telvo {

class ConsoleBoxes : public MessageBoxes {
 public:
  ConsoleBoxes(std::ostream& out, std::ostream& err, TerminalText terminal, bool yes);

  int Show(const MessageBox& box) override;

  // Writes the boxes held back, as results or, when the program ended after
  // them, as errors.
  void FinishAsResults();
  void FinishAsErrors();

  // A code-page text in the terminal's encoding.
  std::string ForTerminal(const std::string& cp1252) const;
  int errors() const { return errors_; }

 private:
  static std::string Lines(std::string text);
  // An error as it follows "telvo-log: ", under the box's caption (the
  // log's owner or the program).
  std::string Line(const MessageBox& box) const;

  std::ostream& out_;
  std::ostream& err_;
  TerminalText terminal_;
  bool yes_;
  int errors_ = 0;
  std::vector<MessageBox> held_;
};

}  // namespace telvo
