#include "app/console_boxes.h"

#include <algorithm>
#include <ostream>

#include "core/text.h"
#include "platform/code_page.h"

namespace telvo {

ConsoleBoxes::ConsoleBoxes(std::ostream& out, std::ostream& err, TerminalText terminal, bool yes)
    : out_(out), err_(err), terminal_(terminal), yes_(yes) {}

int ConsoleBoxes::Show(const MessageBox& box) {
  if (box.buttons == BoxButtons::kYesNo) return yes_ ? kAnswerYes : kAnswerNo;
  if (box.icon == BoxIcon::kNone) {
    held_.push_back(box);
  } else {
    ++errors_;
    err_ << "telvo-log: " << Line(box) << "\n";
  }
  return kAnswerOk;
}

void ConsoleBoxes::FinishAsResults() {
  for (const MessageBox& box : held_) out_ << ForTerminal(Lines(box.text)) << "\n";
  held_.clear();
}

void ConsoleBoxes::FinishAsErrors() {
  for (const MessageBox& box : held_) err_ << "telvo-log: " << Line(box) << "\n";
  errors_ += static_cast<int>(held_.size());
  held_.clear();
}

std::string ConsoleBoxes::ForTerminal(const std::string& cp1252) const {
  return terminal_.utf8 ? Cp1252ToUtf8(cp1252) : cp1252;
}

// A box's lines break at "\r", as the box showed them.
std::string ConsoleBoxes::Lines(std::string text) {
  std::replace(text.begin(), text.end(), '\r', '\n');
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

std::string ConsoleBoxes::Line(const MessageBox& box) const {
  const std::string caption = TrimBlanks(box.caption);
  return ForTerminal((caption.empty() ? "" : caption + ": ") + Lines(box.text));
}

}  // namespace telvo
