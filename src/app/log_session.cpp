#include "app/log_session.h"

#include <ostream>

#include "app/log_commands.h"
#include "app/log_path.h"
#include "core/text.h"
#include "core/workgroup.h"
#include "platform/code_page.h"
#include "service/call_actions.h"
#include "service/store_messages.h"

namespace telvo {

LogSession::LogSession(const CommandLine& commandLine, Env& env, std::ostream& results,
                       std::ostream& errors, TerminalText terminal)
    : line(commandLine),
      out(results),
      err(errors),
      boxes(results, errors, terminal, commandLine.has("--yes")),
      program(env, boxes),
      stores(env, LogReads::kLookOnly),
      terminal_(terminal) {
  program.store = &stores.folder();
  program.stores = &stores;
  if (line.has("--person")) {
    ready_ = FindPerson();
    return;
  }
  // A command that names its person otherwise has an --archive of its own.
  const LogCommand* command = FindLogCommand(line.command);
  const bool namesPeople =
      command && std::string_view(command->options).find("--person=") != std::string_view::npos;
  if (namesPeople && line.has("--archive")) {
    ready_ = Usage("--archive goes with --person");
    return;
  }
  // The log named on the line is the owner's, named as typed so that the
  // store's messages name the log; the call actions read it as the log shown.
  const std::string typed = Text(line.positional.at(0));
  program.state.viewed = {-1, FolderBook(typed, LogProgramPath(env, typed))};
  owner = program.state.viewed.book.owner;
  owner.computer = Input("--computer");
}

int LogSession::FindPerson() {
  const std::string list = Text(line.positional.at(0));
  const std::string name = Input("--person");
  if (name.empty()) return Usage("--person takes a NAME");
  program.settings.workgroupPath = LogProgramPath(program.env, list);
  std::vector<std::string> names;
  // An unreadable list, or a database that cannot be reached, is told as
  // the program tells it.
  if (!LoadWorkgroup(program, names).ok()) return 1;
  // Spelled as the list spells it first, else ignoring case.
  int index = program.workgroup.IndexOf(name);
  if (index < 0) index = program.workgroup.FindIgnoringCase(name);
  if (index < 0) return Fail(name + " is not in the workgroup list " + list);
  program.state.viewed = {index, {program.workgroup.at(index), line.has("--archive")}};
  owner = program.workgroup.at(index);
  if (line.has("--computer")) owner.computer = Input("--computer");
  return 0;
}

int LogSession::Usage(const std::string& problem) {
  return UsageError(err, problem, FindLogCommand(line.command));
}

int LogSession::Fail(const std::string& problem) {
  err << "telvo-log: " << boxes.ForTerminal(problem) << "\n";
  return 1;
}

int LogSession::Stop(const std::string& caption, const std::string& text) {
  boxes.Show({caption, text, BoxIcon::kStop, BoxButtons::kOk, kAnswerOk});
  return 1;
}

int LogSession::Fail(const Status& status) {
  // The context is a native path, already in the terminal's encoding.
  if (status.context().empty())
    return Fail(program.state.viewed.book.owner.name + ": " + status.ToString());
  err << "telvo-log: " << status.ToString() << "\n";
  return 1;
}

int LogSession::Outcome() const { return boxes.errors() ? 1 : 0; }

std::string LogSession::Text(const std::string& typed) const {
  return terminal_.utf8 ? Utf8ToCp1252(typed) : typed;
}

std::unique_ptr<File> LogSession::OpenForReading(int64_t* length, bool* missing) {
  const ViewedLog& viewed = program.state.viewed;
  std::unique_ptr<File> log;
  Status status = stores.folder().opener().Open(viewed.book.file(), FileAccess::kRead, &log);
  if (status.ok()) status = log->Length(length);
  if (status.ok()) return log;
  log.reset();
  if (missing && status.code() == kFileNotFound) {
    *missing = true;
    *length = 0;
    err << "telvo-log: " << status.context() << " does not exist yet: no calls\n";
    return nullptr;
  }
  if (status.code() == kPermissionDenied) {
    ShowStop(program, viewed.book.owner.name, "Message file is locked up");
  } else {
    Fail(status);
  }
  return nullptr;
}

std::string TsvField(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\\':
        out += "\\\\";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string CallIdentity(const Record& call) { return CallId::Of(call.start, call.body).ToText(); }

CallBook LogSession::book() const { return program.state.viewed.book; }

int LogSession::FindCall(const std::string& identity, Call* call) {
  const std::optional<CallId> id = CallId::FromText(identity);
  if (!id) return Usage(kIdentityForm);
  CallRead read = store().ReadCall(book(), *id);
  if (read.error.ok()) {
    *call = std::move(read.call);
    return 0;
  }
  return ReportStoreError(read.error);
}

int LogSession::ReportStoreError(const StoreError& error) {
  switch (error.kind) {
    case StoreError::Kind::kStale:
      return Stop("Telvo", StaleCallText(/*marking=*/false));
    // What the call list would say of these; the rest is told with the
    // file and the system's own words, which an administrator can act on.
    case StoreError::Kind::kLocked:
    case StoreError::Kind::kDamaged:
      return Stop(owner.name, LogFailureText(error));
    case StoreError::Kind::kDatabaseUnreachable:
    case StoreError::Kind::kDatabaseRefused:
      return Stop(owner.name, DatabaseFailureText(error));
    default:
      return Fail(error.status);
  }
}

}  // namespace telvo
