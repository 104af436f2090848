#pragma once
// What the message pad holds when OK is pressed. Core code passes it to the
// pad's window (a forward fills the pad with a call) and the store posts it.

#include <string>

namespace telvo {

struct PadValues {
  int selectedIndex = -1;  // the recipient in the person list, -1 for none
  std::string caller;
  std::string date;
  std::string time;
  std::string phone;
  std::string message;
  bool urgent = false;
};

}  // namespace telvo
