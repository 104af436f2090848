#include "app/log_tool.h"

#include <algorithm>
#include <map>
#include <optional>
#include <ostream>

#include "platform/code_page.h"
#include "core/dates.h"
#include "core/program.h"
#include "store/call_actions.h"
#include "store/phone_log.h"
#include "store/post_message.h"
#include "store/purge.h"

namespace telvo {
namespace {

constexpr int kPageCalls = 12;

const char* const kUsage =
    "usage: telvo-log COMMAND LOG [ARGUMENTS]\n"
    "Inspects and changes one phone log (a MESSAGES file) or archive, under the\n"
    "same locks as the Telvo program.\n"
    "\n"
    "commands:\n"
    "  list    the calls, newest first, a page at a time\n"
    "  post    appends a new call\n"
    "  mark    changes the mark of one call\n"
    "  purge   drops the calls marked delete, moves those marked archive\n"
    "  export  appends one call to EXPORT.TXT beside the log\n"
    "  check   walks the whole file and reports every damaged region\n"
    "\n"
    "telvo-log COMMAND --help describes a command.\n";

const std::map<std::string, std::string> kCommandHelp = {
    {"list",
     "usage: telvo-log list LOG [--all | --count N] [--before OFFSET] [--tsv]\n"
     "Shows the newest 12 calls (a page, as the call list shows them), or N, or all.\n"
     "--before OFFSET continues with the calls older than the call at OFFSET, as\n"
     "the call list's Next does; the command names the offset to continue from.\n"
     "--tsv writes one call a line: offset, mark, date, time, caller, phone and\n"
     "message separated by tabs, with \\r, \\n, \\t and \\\\ escaped.\n"},
    {"post",
     "usage: telvo-log post LOG --caller TEXT [--phone TEXT] [--message TEXT]\n"
     "                 [--urgent] [--initials TEXT] [--date MM-DD-YYYY] [--time TEXT]\n"
     "                 [--sender NAME --computer NAME]\n"
     "Appends a call as the message pad delivers it. The date and time default to\n"
     "now. With --computer, the notification goes to that workstation.\n"},
    {"mark",
     "usage: telvo-log mark LOG OFFSET new|important|delete|archive\n"
     "Writes the mark of the call that begins at OFFSET (as list shows it). Nothing\n"
     "is written when no call begins there.\n"},
    {"purge",
     "usage: telvo-log purge LOG --yes\n"
     "Drops the calls marked delete. Purging a phone log (a file named MESSAGES)\n"
     "moves the calls marked archive to the ARCHIVE file beside it; purging an\n"
     "archive keeps them. --yes confirms; without it nothing is done.\n"},
    {"export",
     "usage: telvo-log export LOG OFFSET --yes\n"
     "Appends the call at OFFSET as one line to EXPORT.TXT beside the log.\n"
     "--yes confirms; without it nothing is done.\n"},
    {"check",
     "usage: telvo-log check LOG\n"
     "Walks the whole file and reports each damaged region with its byte offset.\n"
     "The exit status is 1 when the file is damaged.\n"},
};

// Message boxes become lines on the terminal; questions get the answer the
// command line gave.
class ConsoleBoxes : public MessageBoxes {
 public:
  ConsoleBoxes(std::ostream& out, std::ostream& err, TerminalText terminal, bool yes)
      : out_(out), err_(err), terminal_(terminal), yes_(yes) {}

  int Show(const MessageBox& box) override {
    std::string text = box.text;
    std::replace(text.begin(), text.end(), '\r', '\n');
    while (!text.empty() && text.back() == '\n') text.pop_back();
    if (box.buttons == BoxButtons::kYesNo) return yes_ ? kAnswerYes : kAnswerNo;
    if (box.icon == BoxIcon::kNone) {
      out_ << ForTerminal(text) << "\n";
    } else {
      ++errors_;
      std::string caption = TrimBlanks(box.caption);
      err_ << "telvo-log: " << (caption.empty() ? "" : ForTerminal(caption) + ": ")
           << ForTerminal(text)
           << "\n";
    }
    return kAnswerOk;
  }

  std::string ForTerminal(const std::string& text) const {
    return terminal_.utf8 ? Cp1252ToUtf8(text) : text;
  }
  int errors() const { return errors_; }

 private:
  std::ostream& out_;
  std::ostream& err_;
  TerminalText terminal_;
  bool yes_;
  int errors_ = 0;
};

struct CommandLine {
  std::string command;
  std::vector<std::string> positional;
  std::map<std::string, std::string> options;  // "--x" -> value ("" for flags)
  bool has(const std::string& name) const { return options.count(name) > 0; }
  std::string get(const std::string& name) const {
    auto it = options.find(name);
    return it == options.end() ? "" : it->second;
  }
};

const std::vector<std::string> kFlags = {"--all", "--tsv", "--urgent", "--yes", "--help"};

std::optional<CommandLine> Parse(const std::vector<std::string>& args, std::string* error) {
  CommandLine line;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.rfind("--", 0) == 0) {
      if (std::find(kFlags.begin(), kFlags.end(), arg) != kFlags.end()) {
        line.options[arg] = "";
      } else if (i + 1 < args.size()) {
        line.options[arg] = args[++i];
      } else {
        *error = "option " + arg + " needs a value";
        return std::nullopt;
      }
    } else if (line.command.empty()) {
      line.command = arg;
    } else {
      line.positional.push_back(arg);
    }
  }
  return line;
}

// The tool takes native paths; the program keeps "\" separators and upper
// case, and the platform layer finds the file again ignoring case.
std::string ProgramPath(const std::string& cp1252) {
  std::string path = cp1252;
  for (char& c : path) c = c == '/' ? '\\' : UpperCp1252(c);
  return path;
}

std::string MarkName(const std::string& mark) {
  switch (mark.empty() ? 0 : mark[0]) {
    case MARK_NEW: return "new";
    case MARK_IMPORTANT: return "important";
    case MARK_DELETE: return "delete";
    case MARK_ARCHIVE: return "archive";
    case ' ': return "new";
    default: {
      const char* digits = "0123456789ABCDEF";
      unsigned char byte = mark.empty() ? 0 : static_cast<unsigned char>(mark[0]);
      return std::string("0x") + digits[byte >> 4] + digits[byte & 15];
    }
  }
}

std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      case '\\': out += "\\\\"; break;
      default: out += c;
    }
  }
  return out;
}

std::optional<int64_t> ParseOffset(const std::string& text) {
  if (text.empty() || text.size() > 15 ||
      !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  return std::stoll(text);
}

class LogTool {
 public:
  LogTool(const CommandLine& line, Env& env, std::ostream& out, std::ostream& err,
          TerminalText terminal)
      : line_(line),
        out_(out),
        err_(err),
        terminal_(terminal),
        boxes_(out, err, terminal, line.has("--yes")),
        program_(env, boxes_) {}

  int Run() {
    if (line_.positional.empty()) return Usage("the LOG argument is missing");
    const std::string native = Text(line_.positional[0]);
    ProgramState& s = program_.state;
    s.CurrentLogPath = ProgramPath(native);
    s.CurrentLogOwner = native;
    s.PersonName = {native, ""};
    s.PersonLog = {s.CurrentLogPath, ""};
    s.PersonComputer = {line_.get("--computer"), ""};
    s.PeopleCount = 1;
    s.MyIndex = -1;
    const std::string& c = line_.command;
    if (c == "list") return List();
    if (c == "post") return Post();
    if (c == "mark") return Mark();
    if (c == "purge") return Purge();
    if (c == "export") return Export();
    if (c == "check") return Check();
    return Usage("unknown command " + c);
  }

 private:
  int Usage(const std::string& problem) {
    err_ << "telvo-log: " << problem << "\n"
         << (kCommandHelp.count(line_.command) ? kCommandHelp.at(line_.command) : kUsage);
    return 2;
  }

  int Fail(const std::string& problem) {
    err_ << "telvo-log: " << boxes_.ForTerminal(problem) << "\n";
    return 1;
  }

  int Outcome() const { return boxes_.errors() || program_.state.FileError ? 1 : 0; }

  // Opens the log for reading under the shared lock, as a reader that must
  // not create a missing file.
  bool OpenForReading(std::unique_ptr<File>* log, int64_t* length) {
    Status status = program_.env.OpenFile(program_.state.CurrentLogPath, FileAccess::kRead, log);
    if (status.ok()) status = (*log)->Length(length);
    if (status.ok()) return true;
    Fail(Text(line_.positional[0]) + ": " + status.description() + " " +
         std::to_string(status.code()));
    return false;
  }

  void PrintCall(const Record& record) {
    ProgramState& s = program_.state;
    s.RecordText = record.body;
    ParseRecord(s);
    if (line_.has("--tsv")) {
      out_ << record.start << '\t' << MarkName(s.RecMark);
      for (const std::string* field : {&s.RecDate, &s.RecTime, &s.RecCaller, &s.RecPhone,
                                       &s.RecMessage})
        out_ << '\t' << boxes_.ForTerminal(Escaped(*field));
      out_ << '\n';
      return;
    }
    out_ << "offset " << record.start << "  " << MarkName(s.RecMark) << "  "
         << boxes_.ForTerminal(s.RecDate) << "  " << boxes_.ForTerminal(s.RecTime) << "\n"
         << "  caller:  " << boxes_.ForTerminal(s.RecCaller) << "\n"
         << "  phone:   " << boxes_.ForTerminal(s.RecPhone) << "\n"
         << "  message: ";
    std::string message = s.RecMessage;
    for (size_t pos = 0; (pos = message.find("\r\n", pos)) != std::string::npos; pos += 12)
      message.replace(pos, 2, "\n           ");
    out_ << boxes_.ForTerminal(message) << "\n";
  }

  int List() {
    std::unique_ptr<File> log;
    int64_t length = 0;
    if (!OpenForReading(&log, &length)) return 1;
    int64_t end = length;
    if (line_.has("--before")) {
      auto before = ParseOffset(line_.get("--before"));
      if (!before) return Usage("--before takes a byte offset");
      end = *before;
    }
    int64_t limit = line_.has("--all") ? INT64_MAX : kPageCalls;
    if (line_.has("--count")) {
      auto count = ParseOffset(line_.get("--count"));
      if (!count || *count == 0) return Usage("--count takes a number of calls");
      limit = *count;
    }
    // The first call must end exactly at the continuation point.
    int64_t shown = 0, oldest = -1;
    RecordRead stop = ReadRecordBefore(*log, length, end);
    while (stop.outcome == ReadOutcome::kRecord && shown < limit) {
      PrintCall(stop.record);
      oldest = stop.record.start;
      ++shown;
      stop = ReadRecordBefore(*log, length, oldest);
    }
    log.reset();
    if (stop.outcome == ReadOutcome::kDamaged) {
      ReportLogDamage(program_, stop.damageAt);
      return 1;
    }
    if (stop.outcome == ReadOutcome::kFailed) return Fail(stop.status.description());
    if (shown == 0 && end == length) out_ << "No Phone Calls\n";
    if (stop.outcome == ReadOutcome::kRecord)
      err_ << "telvo-log: more calls: telvo-log list " << line_.positional[0] << " --before "
           << oldest << "\n";
    return 0;
  }

  int Post() {
    if (!line_.has("--caller")) return Usage("post needs --caller");
    ProgramState& s = program_.state;
    const LocalDateTime now = program_.env.Now();
    PadValues pad;
    pad.selectedIndex = 0;
    pad.caller = Input("--caller");
    pad.phone = Input("--phone");
    pad.message = Input("--message");
    pad.urgent = line_.has("--urgent");
    pad.date = line_.has("--date") ? Input("--date") : FormatDate(now);
    pad.time = line_.has("--time") ? Input("--time") : FormatTime(now);
    if (!ReadDate(pad.date)) return Usage("--date takes a date such as 12-31-2026");
    pad.date = FormatDate(*ReadDate(pad.date));
    s.MyInitials = Input("--initials");
    s.MyName = Input("--sender");
    PostMessage(program_, pad);
    if (Outcome() == 0) out_ << "Message delivered.\n";
    return Outcome();
  }

  // Finds the call that begins at OFFSET and puts it in row 0 of the page
  // memory, as if the call list showed it there. Returns the exit status of
  // a failure, or 0.
  int ShowCallAt(const std::string& offsetText) {
    auto offset = ParseOffset(offsetText);
    if (!offset) return Usage("OFFSET is the byte offset list shows for a call");
    std::unique_ptr<File> log;
    int64_t length = 0;
    if (!OpenForReading(&log, &length)) return 1;
    std::optional<Record> found;
    RecordRead stop = WalkForward(*log, length, 0, [&](const Record& r) {
      if (r.start == *offset) found = r;
      return r.start < *offset;
    });
    log.reset();
    if (stop.outcome == ReadOutcome::kDamaged && !found) {
      ReportLogDamage(program_, stop.damageAt);
      return 1;
    }
    if (!found) return Fail("no call begins at offset " + offsetText);
    ProgramState& s = program_.state;
    s.PageStart[0] = found->start;
    s.PageText[0] = found->body;
    s.PageRow = 0;
    return 0;
  }

  int RunAction(int16_t action, const std::string& offset) {
    if (int status = ShowCallAt(offset)) return status;
    struct NoView : CallPageView {
      void RedrawRow() override {}
      void ShowNewestPage() override {}
    } view;
    program_.state.CallAction = action;
    ApplyCallAction(program_, view);
    return Outcome();
  }

  int Mark() {
    if (line_.positional.size() != 3) return Usage("mark needs LOG, OFFSET and a mark");
    static const std::map<std::string, int16_t> kActions = {
        {"new", kActionNew}, {"important", kActionImportant},
        {"delete", kActionDelete}, {"archive", kActionArchive}};
    auto action = kActions.find(line_.positional[2]);
    if (action == kActions.end()) return Usage("the mark is new, important, delete or archive");
    int status = RunAction(action->second, line_.positional[1]);
    if (status == 0) out_ << "Marked " << action->first << ".\n";
    return status;
  }

  int Export() {
    if (line_.positional.size() != 2) return Usage("export needs LOG and OFFSET");
    if (!line_.has("--yes")) return Fail("export not confirmed: add --yes");
    return RunAction(kActionExport, line_.positional[1]);
  }

  int Purge() {
    if (line_.positional.size() != 1) return Usage("purge needs LOG");
    if (!line_.has("--yes")) return Fail("purge not confirmed: add --yes");
    PurgeCalls(program_);
    if (Outcome() == 0) out_ << "Purged.\n";
    return Outcome();
  }

  int Check() {
    std::unique_ptr<File> log;
    int64_t length = 0;
    if (!OpenForReading(&log, &length)) return 1;
    int64_t calls = 0, regions = 0, start = 0;
    for (;;) {
      RecordRead stop = WalkForward(*log, length, start, [&](const Record& r) {
        ++calls;
        if (std::count(r.body.begin(), r.body.end(), FIELD_END) < 5) {
          ++regions;
          out_ << "unreadable call at offset " << r.start << ": fields are missing\n";
        }
        return true;
      });
      if (stop.outcome == ReadOutcome::kFailed) return Fail(stop.status.description());
      if (stop.outcome != ReadOutcome::kDamaged) break;
      ++regions;
      start = NextRecordAfter(*log, length, stop.damageAt);
      out_ << "damaged region at offset " << stop.damageAt << ": " << start - stop.damageAt
           << " bytes\n";
    }
    out_ << calls << " calls, " << length << " bytes, "
         << (regions ? std::to_string(regions) + " damaged regions" : "no damage") << "\n";
    return regions ? 1 : 0;
  }

  // The first offset past `from` at which a record with trusted lengths
  // begins, or the end of the file.
  static int64_t NextRecordAfter(File& log, int64_t length, int64_t from) {
    for (int64_t p = from + 1; p < length; ++p)
      if (ReadRecordAt(log, length, p).outcome == ReadOutcome::kRecord) return p;
    return length;
  }

  // A command-line text in the program's code page.
  std::string Text(const std::string& typed) const {
    return terminal_.utf8 ? Utf8ToCp1252(typed) : typed;
  }
  std::string Input(const std::string& option) const { return Text(line_.get(option)); }

  const CommandLine& line_;
  std::ostream& out_;
  std::ostream& err_;
  TerminalText terminal_;
  ConsoleBoxes boxes_;
  Program program_;
};

}  // namespace

int RunLogTool(const std::vector<std::string>& args, Env& env, std::ostream& out,
               std::ostream& err, TerminalText terminal) {
  std::string error;
  std::optional<CommandLine> line = Parse(args, &error);
  if (!line) {
    err << "telvo-log: " << error << "\n" << kUsage;
    return 2;
  }
  if (line->command.empty() || line->command == "help") {
    bool asked = line->command == "help" || line->has("--help");
    (asked ? out : err) << kUsage;
    return asked ? 0 : 2;
  }
  if (line->has("--help")) {
    auto help = kCommandHelp.find(line->command);
    out << (help == kCommandHelp.end() ? kUsage : help->second);
    return help == kCommandHelp.end() ? 2 : 0;
  }
  return LogTool(*line, env, out, err, terminal).Run();
}

}  // namespace telvo
