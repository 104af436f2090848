#include "service/delivery.h"

#include "notify/mailslot.h"
#include "store/folder_store.h"

namespace telvo {
namespace {

void Refuse(Program& program, const std::string& text) {
  program.state.FileError = 1;
  ShowStop(program, "Telvo", text);
}

// Under the recipient's name, as every failure to write their log.
void ReportNotDelivered(Program& program, const StoreError& error) {
  program.state.FileError = 1;
  ShowStop(program, program.state.CurrentLogOwner, NotDeliveredText(error));
}

}  // namespace

std::string BuildMessageBody(const PadValues& pad, const std::string& initials) {
  return PadCallBody(pad, initials);
}

void PostMessage(Program& program, const PadValues& pad) {
  ProgramState& s = program.state;
  const int person = pad.selectedIndex;
  if (person < 0 || person >= s.PeopleCount) {
    return Refuse(program, "No \"For:\" Person Selected");
  }
  if (TrimBlanks(pad.caller).empty()) return Refuse(program, "Caller name required.");

  const std::string body = BuildMessageBody(pad, s.MyInitials);
  // The terminator inside a field would split it and shift every field after
  // it; a length past 32767 cannot be framed.
  size_t terminators = 0;
  for (char c : body) terminators += c == FIELD_END;
  if (terminators != 5) {
    return Refuse(program,
                  "The message contains a character that cannot be stored (code 17). "
                  "Please remove it and try again.");
  }
  if (body.size() > static_cast<size_t>(kMaxBodyLength)) {
    return Refuse(program, "The message is too long to be delivered. Please shorten it.");
  }

  s.SelectedPerson = static_cast<int16_t>(person);
  s.CurrentLogPath = s.PersonLog[static_cast<size_t>(person)];
  s.CurrentLogOwner = s.PersonName[static_cast<size_t>(person)];
  s.FileError = 0;
  const StoreError posted = FolderStore(program.env).Post(
      {.name = s.CurrentLogOwner, .log = s.CurrentLogPath}, body);
  if (!posted.ok()) return ReportNotDelivered(program, posted);

  SendMailslot(program, s.MyName, s.PersonComputer[static_cast<size_t>(person)], pad.caller);
  if (program.hooks.ClearPad) program.hooks.ClearPad();
}

}  // namespace telvo
