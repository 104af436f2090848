#include "store/post_message.h"

#include "notify/mailslot.h"
#include "store/phone_log.h"

namespace telvo {
namespace {

void Refuse(Program& program, const std::string& text) {
  program.state.FileError = 1;
  ShowStop(program, "Telvo", text);
}

}  // namespace

std::string BuildMessageBody(const PadValues& pad, const std::string& initials) {
  std::string body(1, pad.urgent ? MARK_IMPORTANT : MARK_NEW);
  for (const std::string* field : {&pad.date, &pad.caller, &pad.time, &pad.phone}) {
    body.append(TrimBlanks(*field)).push_back(FIELD_END);
  }
  body.append(TrimBlanks(pad.message)).append(" (").append(initials).append(")");
  body.push_back(FIELD_END);
  return body;
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
  std::unique_ptr<File> log = OpenPhoneLog(program);
  if (!log) return;
  Status status = AppendDurably(*log, s.LogLength, FrameRecord(body));
  log.reset();
  if (!status.ok()) {
    s.FileError = 1;
    ShowStop(program, s.CurrentLogOwner,
             "The message was not delivered.\r" + status.description() + " " +
                 std::to_string(status.code()));
    return;
  }

  SendMailslot(program, s.MyName, s.PersonComputer[static_cast<size_t>(person)], pad.caller);
  if (program.hooks.ClearPad) program.hooks.ClearPad();
}

}  // namespace telvo
