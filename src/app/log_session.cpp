#include "app/log_session.h"

#include <ostream>

#include "app/log_path.h"
#include "platform/code_page.h"
#include "store/log_scan.h"

namespace telvo {

LogSession::LogSession(const CommandLine& line, const char* help, Env& env, std::ostream& out,
                       std::ostream& err, TerminalText terminal)
    : line(line),
      out(out),
      err(err),
      boxes(out, err, terminal, line.has("--yes")),
      program(env, boxes),
      help_(help),
      terminal_(terminal) {
  // The store works on "the person whose log is shown": one person here,
  // named after the path so that its messages name the log.
  ProgramState& s = program.state;
  const std::string typed = Text(line.positional.at(0));
  s.CurrentLogPath = LogProgramPath(env, typed);
  s.CurrentLogOwner = typed;
  s.PersonName = {typed, ""};
  s.PersonLog = {s.CurrentLogPath, ""};
  s.PersonComputer = {Input("--computer"), ""};
  s.PeopleCount = 1;
  s.MyIndex = -1;
}

int LogSession::Usage(const std::string& problem) {
  err << "telvo-log: " << problem << "\n" << help_;
  return 2;
}

int LogSession::Fail(const std::string& problem) {
  err << "telvo-log: " << boxes.ForTerminal(problem) << "\n";
  return 1;
}

int LogSession::Fail(const Status& status) {
  // The context is a native path, already in the terminal's encoding.
  if (status.context().empty())
    return Fail(program.state.CurrentLogOwner + ": " + status.ToString());
  err << "telvo-log: " << status.ToString() << "\n";
  return 1;
}

int LogSession::Outcome() const { return boxes.errors() || program.state.FileError ? 1 : 0; }

std::string LogSession::Text(const std::string& typed) const {
  return terminal_.utf8 ? Utf8ToCp1252(typed) : typed;
}

std::unique_ptr<File> LogSession::OpenForReading(int64_t* length) {
  ProgramState& s = program.state;
  std::unique_ptr<File> log;
  Status status = OpenWithLockRetries(program, s.CurrentLogPath, FileAccess::kRead, &log);
  if (status.ok()) status = log->Length(length);
  if (status.ok()) return log;
  log.reset();
  if (status.code() == kPermissionDenied) {
    ShowStop(program, s.CurrentLogOwner, "Message file is locked up");
  } else {
    Fail(status);
  }
  return nullptr;
}

int LogSession::FindCall(File& log, int64_t length, int64_t offset, Record* call) {
  // The walk resumes after damage, so a call that list shows beyond a
  // damaged region can still be named.
  bool found = false;
  LogScanVisitor visit;
  visit.record = [&](int64_t start, std::string_view body) {
    if (start == offset) {
      found = true;
      *call = {start, std::string(body)};
    }
    return start < offset;
  };
  visit.damage = [&](int64_t, int64_t to) { return to <= offset; };
  Status status = ScanLog(log, length, visit);
  if (!status.ok()) return Fail(status);
  if (found) return 0;
  err << "telvo-log: no call begins at byte " << offset << "\n";
  return 2;
}

}  // namespace telvo
