#include "core/message_boxes.h"

namespace telvo {

int ScriptedMessageBoxes::Show(const MessageBox& box) {
  shown_.push_back(box);
  if (answers_.empty()) return box.defaultAnswer;
  int answer = answers_.front();
  answers_.pop_front();
  return answer;
}

}  // namespace telvo
