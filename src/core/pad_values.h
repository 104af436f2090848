#pragma once
// What the message pad holds when OK is pressed. Core code passes it to the
// pad's window (a forward fills the pad with a call) and the store posts it.

#include <cstdint>
#include <optional>
#include <string>

#include "core/person.h"

namespace telvo {

// The call a forward's pad was filled from: the book it stands in and its
// position there, so that a store which keeps an audit trail records the
// forward with the delivery itself.
struct ForwardedCall {
  CallBook from;
  int64_t position = -1;
};

struct PadValues {
  int selectedIndex = -1;  // the recipient in the person list, -1 for none
  std::string caller;
  std::string date;
  std::string time;
  std::string phone;
  std::string message;
  bool urgent = false;
  std::optional<ForwardedCall> forwarded{};  // set in a forward's pad
  // The person the call was meant for, when it goes to their stand-in
  // instead: the call says " [for NAME] " after its message.
  std::string meantFor{};
  // A stand-in who gets the call too, marked for the person selected; -1
  // for none.
  int alsoTo = -1;
};

}  // namespace telvo
