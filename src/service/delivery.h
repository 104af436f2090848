#pragma once
// Delivering a call: one record appended to the recipient's calls through
// the store, and once it is there, the notification to the recipient's
// workstation. The pad, a forward and telvo-log post all deliver here, so
// the store and the notifier never need to know of each other.

#include <optional>
#include <string>
#include <string_view>

#include "core/pad_values.h"
#include "core/program.h"
#include "service/store_messages.h"
#include "store/phone_store.h"

namespace telvo {

// Why the pad's values cannot become a call as typed, or "" when they can:
// no recipient, no caller, a character that would split a field, a body
// too long to frame. Nothing has been written when this refuses.
std::string DeliveryRefusal(const PadValues& pad, bool hasRecipient, std::string_view body);

class Delivery {
 public:
  Delivery(PhoneStore& store, Env& env) : store_(store), env_(env) {}

  // Appends `body` to `to`'s calls; once the store holds it, the call is
  // delivered and `to`'s workstation hears of it from `sender`, the
  // notification naming `caller`. A notification is never sent for a call
  // that is not stored.
  // `forwarded`: the call a forward passes on, which the store may record.
  StoreError Deliver(const Person& to, std::string_view body, const std::string& sender,
                     const std::string& caller,
                     const std::optional<ForwardedCall>& forwarded = std::nullopt);

 private:
  PhoneStore& store_;
  Env& env_;
};

// The pad's delivery of `pad` to the person the pad selected, and to the
// stand-in in `pad.alsoTo` too, with the boxes it shows for each outcome.
// A call to a stand-in says whom it was meant for after its message. True
// once delivered to each, after which the ClearPad hook has run; false
// after a refusal or a failure, whose box names the person who did not get
// the call. When someone got it and someone did not, `missed` (when given)
// is the index of the one who did not.
[[nodiscard]] bool PostMessage(Program& program, const PadValues& pad, int* missed = nullptr);

// The message with the mark of a call taken for someone else: " [for
// NAME] " after it, as a forward's " [Forwarded] ".
std::string MeantForMessage(const std::string& message, const std::string& meantFor);

}  // namespace telvo
