#include "service/delivery.h"

#include <algorithm>

#include "core/call_fields.h"
#include "core/text.h"
#include "notify/mailslot.h"

namespace telvo {

std::string DeliveryRefusal(const PadValues& pad, bool hasRecipient, std::string_view body) {
  if (!hasRecipient) return "No \"For:\" Person Selected";
  if (TrimBlanks(pad.caller).empty()) return "Caller name required.";
  // The terminator inside a field would split it and shift every field after
  // it; a length past 32767 cannot be framed.
  if (std::count(body.begin(), body.end(), FIELD_END) != 5) {
    return "The message contains a character that cannot be stored (code 17). "
           "Please remove it and try again.";
  }
  if (body.size() > static_cast<size_t>(kMaxBodyLength))
    return "The message is too long to be delivered. Please shorten it.";
  return "";
}

StoreError Delivery::Deliver(const Person& to, std::string_view body, const std::string& sender,
                             const std::string& caller,
                             const std::optional<ForwardedCall>& forwarded) {
  StoreError stored = forwarded ? store_.PostForward(to, body, *forwarded) : store_.Post(to, body);
  // A database's post has rung the recipient's listener in its commit.
  if (stored.ok() && !store_.NotifiesRecipients()) SendMailslot(env_, sender, to.computer, caller);
  return stored;
}

bool PostMessage(Program& program, const PadValues& pad) {
  const int person = pad.selectedIndex;
  const bool hasRecipient = program.workgroup.Has(person);
  const std::string body = PadCallBody(pad, program.settings.initials);
  const std::string refusal = DeliveryRefusal(pad, hasRecipient, body);
  if (!refusal.empty()) {
    ShowStop(program, "Telvo", refusal);
    return false;
  }

  const Person to = program.workgroup.at(person);
  const StoreError delivered =
      Delivery(*program.store, program.env)
          .Deliver(to, body, program.settings.name, pad.caller, pad.forwarded);
  if (!delivered.ok()) {
    // Under the recipient's name, as every failure to write their log.
    ShowStop(program, to.name, NotDeliveredText(delivered));
    return false;
  }
  if (program.hooks.ClearPad) program.hooks.ClearPad();
  return true;
}

}  // namespace telvo
