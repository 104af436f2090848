#include "app/log_session.h"

#include <ostream>

#include "app/log_commands.h"
#include "app/log_path.h"
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
      store(env, LogReads::kLookOnly),
      terminal_(terminal) {
  program.store = &store;
  // The log named on the line is the owner's, named as typed so that the
  // store's messages name the log; the call actions read it as the log shown.
  const std::string typed = Text(line.positional.at(0));
  program.state.viewed = {-1, FolderBook(typed, LogProgramPath(env, typed))};
  owner = program.state.viewed.book.owner;
  owner.computer = Input("--computer");
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
  Status status = store.opener().Open(viewed.book.file(), FileAccess::kRead, &log);
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

std::string CallIdentity(const Record& call) { return CallId::Of(call.start, call.body).ToText(); }

CallBook LogSession::book() const { return program.state.viewed.book; }

int LogSession::FindCall(const std::string& identity, Call* call) {
  const std::optional<CallId> id = CallId::FromText(identity);
  if (!id) return Usage(kIdentityForm);
  CallRead read = store.ReadCall(book(), *id);
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
    default:
      return Fail(error.status);
  }
}

}  // namespace telvo
