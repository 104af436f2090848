#include "service/forward_export.h"

#include <memory>

#include "core/call_fields.h"
#include "core/dates.h"
#include "service/call_actions.h"
#include "service/store_messages.h"
#include "store/phone_log.h"

namespace telvo {
namespace {

// The pad reloads the people list when it loads, and that list may have
// changed since the call list opened. The viewed log is therefore given back
// by path and owner, as they were; the person's index follows the name, and
// is -1 when the name has left the list, so it can never name someone else.
void RestoreViewedLog(Program& program) {
  ProgramState& s = program.state;
  s.CurrentLogPath = s.SavedLogPath;
  s.CurrentLogOwner = s.SavedLogOwner;
  s.SelectedPerson = -1;
  for (int i = 0; i < program.workgroup.size(); ++i) {
    if (program.workgroup.NameOf(i) == s.SavedLogOwner) {
      s.SelectedPerson = static_cast<int16_t>(i);
      return;
    }
  }
}

}  // namespace

bool ForwardCall(Program& program, const Call& call) {
  ProgramState& s = program.state;
  if (AskYesNo(program, "Forward Phone Call",
                "Do you want to forward this call to someone else?") != kAnswerYes)
    return false;

  s.ForwardMode = 1;
  s.SavedPerson = s.SelectedPerson;
  s.SavedLogPath = s.CurrentLogPath;
  s.SavedLogOwner = s.CurrentLogOwner;

  const CallFields fields = ParseCallBody(call.body);
  PadValues pad;
  pad.caller = fields.caller;
  pad.phone = fields.phone;
  pad.date = fields.date;
  pad.time = fields.time;
  pad.message = fields.message + " [Forwarded] " + FormatDate(program.env.Now());
  s.SkipSwitch = 1;
  const bool delivered = program.hooks.ForwardThroughPad && program.hooks.ForwardThroughPad(pad);

  RestoreViewedLog(program);
  s.ForwardMode = 0;
  // The pad's unload resets it; a pad that never loaded must not leave it set,
  // or the next ordinary pad would skip the window switch when it closes.
  s.SkipSwitch = 0;
  return delivered;
}

void ExportCall(Program& program, const Call& call) {
  ProgramState& s = program.state;
  const std::string caller = ParseCallBody(call.body).caller;
  if (AskYesNo(program, "Telvo", caller + "\rDo you want to export this message") != kAnswerYes) {
    ShowStop(program, "Telvo", "Message NOT exported");
    return;
  }
  const StoreError exported = program.store->Export(BookShown(s).owner, call);
  if (!exported.ok()) return ShowStop(program, "Telvo", NotExportedText(exported));
  ShowNotice(program, "Telvo", caller + "\rMessage exported.");
}

}  // namespace telvo
