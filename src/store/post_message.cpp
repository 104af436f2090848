#include "store/post_message.h"

#include "notify/mailslot.h"
#include "store/phone_log.h"
#include "store/verified_append.h"

namespace telvo {
namespace {

// A build made only to show that the share test can fail
// (-DTELVO_UNVERIFIED_POSTS=ON) posts as Telvo did before shares were
// checked: it neither refuses an unsafe share nor verifies the append.
#ifdef TELVO_UNVERIFIED_POSTS
constexpr bool kVerifyPosts = false;
#else
constexpr bool kVerifyPosts = true;
#endif

void Refuse(Program& program, const std::string& text) {
  program.state.FileError = 1;
  ShowStop(program, "Telvo", text);
}

// Under the recipient's name, as every failure to write their log.
void NotDelivered(Program& program, const std::string& reason) {
  program.state.FileError = 1;
  ShowStop(program, program.state.CurrentLogOwner, "The message was not delivered.\r" + reason);
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
  const std::string shareProblem =
      kVerifyPosts ? program.env.UnsafeShareProblem(s.CurrentLogPath) : "";
  if (!shareProblem.empty()) return NotDelivered(program, shareProblem);
  std::unique_ptr<File> log = OpenPhoneLog(program);
  if (!log) return;
  const std::string record = FrameRecord(body);
  Status status = kVerifyPosts ? AppendVerified(*log, s.LogLength, record)
                               : AppendDurably(*log, s.LogLength, record);
  log.reset();
  if (status.code() == kNotKept) return NotDelivered(program, kShareDidNotKeepIt);
  if (!status.ok()) {
    return NotDelivered(program, status.description() + " " + std::to_string(status.code()));
  }

  SendMailslot(program, s.MyName, s.PersonComputer[static_cast<size_t>(person)], pad.caller);
  if (program.hooks.ClearPad) program.hooks.ClearPad();
}

}  // namespace telvo
