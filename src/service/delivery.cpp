#include "service/delivery.h"

#include <algorithm>
#include <utility>
#include <vector>

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

std::string MeantForMessage(const std::string& message, const std::string& meantFor) {
  return meantFor.empty() ? message : message + " [for " + meantFor + "] ";
}

bool PostMessage(Program& program, const PadValues& pad, int* missed) {
  if (missed) *missed = -1;
  const int person = pad.selectedIndex;
  const bool hasRecipient = program.workgroup.Has(person);
  // Who gets the call, and whom it was meant for: the person selected, and
  // a stand-in who gets it too, for them.
  std::vector<std::pair<int, std::string>> recipients = {{person, pad.meantFor}};
  if (hasRecipient && program.workgroup.Has(pad.alsoTo) && pad.alsoTo != person)
    recipients.emplace_back(pad.alsoTo, program.workgroup.NameOf(person));
  std::vector<std::string> bodies;
  for (const auto& recipient : recipients) {
    PadValues marked = pad;
    marked.message = MeantForMessage(pad.message, recipient.second);
    bodies.push_back(PadCallBody(marked, program.settings.initials));
    // Nothing goes out unless every copy can.
    const std::string refusal = DeliveryRefusal(pad, hasRecipient, bodies.back());
    if (!refusal.empty()) {
      ShowStop(program, "Telvo", refusal);
      return false;
    }
  }

  Delivery delivery(*program.store, program.env);
  for (size_t i = 0; i < recipients.size(); ++i) {
    const Person to = program.workgroup.at(recipients[i].first);
    const StoreError delivered =
        delivery.Deliver(to, bodies[i], program.settings.name, pad.caller, pad.forwarded);
    if (!delivered.ok()) {
      // Under the recipient's name, as every failure to write their log.
      ShowStop(program, to.name, NotDeliveredText(delivered));
      if (missed && i > 0) *missed = recipients[i].first;
      return false;
    }
  }
  if (program.hooks.ClearPad) program.hooks.ClearPad();
  return true;
}

}  // namespace telvo
