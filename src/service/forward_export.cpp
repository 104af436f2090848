#include "service/forward_export.h"

#include <memory>

#include "core/alert_note.h"
#include "core/call_fields.h"
#include "core/dates.h"
#include "service/call_actions.h"
#include "service/store_messages.h"
#include "store/phone_log.h"

namespace telvo {
namespace {

// The user's stand-in, when the call is from the user's own calls and
// their alert, not yet ended, names someone of the list: a forward starts
// with them chosen. -1 otherwise.
int MyStandIn(Program& program, const CallBook& book) {
  const Workgroup& people = program.workgroup;
  const int me = people.myIndex();
  if (!people.Has(me) || book.archive || book.owner.name != people.NameOf(me)) return -1;
  const AlertRead alert = program.store->ReadAlert(people.at(me));
  const AlertNote note = ReadAlertNote(alert.text);
  if (!alert.exists || HasEnded(note, program.env.Now())) return -1;
  return people.FindIgnoringCase(note.callsTo, me);
}

}  // namespace

bool ForwardCall(Program& program, const Call& call) {
  if (AskYesNo(program, "Forward Phone Call",
               "Do you want to forward this call to someone else?") != kAnswerYes)
    return false;

  // The pad reloads the people list when it loads, and that list may have
  // changed since the call list opened. The viewed log is therefore given
  // back by path and owner, as they were; the person's index follows the
  // name, and is -1 when the name has left the list, so it can never name
  // someone else.
  ViewedLog viewed = program.state.viewed;
  const CallFields fields = ParseCallBody(call.body);
  PadValues pad;
  pad.caller = fields.caller;
  pad.phone = fields.phone;
  pad.date = fields.date;
  pad.time = fields.time;
  pad.message = fields.message + " [Forwarded] " + FormatDate(program.env.Now());
  pad.forwarded = ForwardedCall{viewed.book, call.id.position};
  pad.selectedIndex = MyStandIn(program, viewed.book);
  const bool delivered = program.hooks.ForwardThroughPad && program.hooks.ForwardThroughPad(pad);

  viewed.person = program.workgroup.IndexOf(viewed.book.owner.name);
  program.state.viewed = viewed;
  return delivered;
}

bool ExportCall(Program& program, const Call& call) {
  const std::string caller = ParseCallBody(call.body).caller;
  if (AskYesNo(program, "Telvo", caller + "\rDo you want to export this message") != kAnswerYes) {
    ShowStop(program, "Telvo", "Message NOT exported");
    return false;
  }
  const StoreError exported = program.store->Export(program.state.viewed.book.owner, call);
  if (!exported.ok()) {
    ShowStop(program, "Telvo", NotExportedText(exported));
    return false;
  }
  ShowNotice(program, "Telvo", caller + "\rMessage exported.");
  return true;
}

}  // namespace telvo
