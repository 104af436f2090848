#pragma once
// Every message box of the program goes through this facade. The windows
// install one that shows real boxes; tests install ScriptedMessageBoxes,
// set the next answers and read back every box that was shown.

#include <deque>
#include <string>
#include <vector>

namespace telvo {

enum class BoxIcon { kNone, kStop, kQuestion, kExclamation, kInformation };
enum class BoxButtons { kOk, kYesNo };

// Answers, as the classic button codes.
enum BoxAnswerCode : int { kAnswerOk = 1, kAnswerYes = 6, kAnswerNo = 7 };

struct MessageBox {
  std::string caption;  // Windows-1252 bytes, like every text below the UI
  std::string text;
  BoxIcon icon = BoxIcon::kNone;
  BoxButtons buttons = BoxButtons::kOk;
  // The answer of the default button (what Enter gives).
  int defaultAnswer = kAnswerOk;
  // Kept above every other window and brought to the front, even over
  // other programs: a notice that must not wait behind them.
  bool keepAbove = false;

  bool operator==(const MessageBox&) const = default;
};

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Shows the box modally and returns the answer.
  virtual int Show(const MessageBox& box) = 0;
};

class ScriptedMessageBoxes : public MessageBoxes {
 public:
  // Answers the coming boxes in order; when none is left, a box gets its
  // default answer, as if the user pressed Enter.
  void Answer(int answer) { answers_.push_back(answer); }
  int Show(const MessageBox& box) override;

  const std::vector<MessageBox>& shown() const { return shown_; }
  const MessageBox& last() const { return shown_.back(); }
  void Clear() {
    shown_.clear();
    answers_.clear();
  }

 private:
  std::deque<int> answers_;
  std::vector<MessageBox> shown_;
};

}  // namespace telvo
