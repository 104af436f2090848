#include "service/program_log.h"

#include "service/store_messages.h"
#include "store/torn_tail.h"

namespace telvo {
namespace {

std::unique_ptr<File> FailOpen(Program& program, const std::string& text) {
  program.state.FileError = 1;
  ShowStop(program, program.state.CurrentLogOwner, text);
  return nullptr;
}

std::string UnknownError(int code) { return "Unknown Error  " + std::to_string(code); }

}  // namespace

Status OpenWithLockRetries(Program& program, const std::string& path, FileAccess access,
                           std::unique_ptr<File>* file) {
  return LockedOpener(program.env).Open(path, access, file);
}

std::unique_ptr<File> OpenPhoneLog(Program& program) {
  ProgramState& s = program.state;
  s.FileError = 0;
  s.ReadDenied = 0;
  std::unique_ptr<File> log;
  Status status = OpenWithLockRetries(program, s.CurrentLogPath, FileAccess::kUpdate, &log);
  if (status.code() == kPermissionDenied) return FailOpen(program, "Message file is locked up");
  if (status.code() == kPathNotFound) return FailOpen(program, "Invalid Path For User's Phonelog ");
  if (status.code() == kSymbolicLink) return FailOpen(program, SymbolicLinkRefusal(status));
  if (!status.ok()) return FailOpen(program, UnknownError(status.code()));

  std::string probe;
  status = log->ReadAt(0, 2, &probe);
  if (!status.ok()) {
    if (status.code() != kPathFileAccessError) {
      log.reset();
      return FailOpen(program, UnknownError(status.code()));
    }
    // Written but not readable: posting may go on; viewing may not.
    s.ReadDenied = kPathFileAccessError;
  }
  // The length always comes from the file just opened, so an append lands at
  // its real end even when the probe was denied.
  int64_t length = 0;
  status = log->Length(&length);
  if (!status.ok()) {
    log.reset();
    return FailOpen(program, UnknownError(status.code()));
  }
  // A writer killed in mid-append left part of a record at the end: cut
  // off (and kept beside the log) before anything lands behind it. A log
  // that may not be read cannot be judged and is left as it is.
  if (s.ReadDenied == 0) {
    status = RepairTornTail(program.env, s.CurrentLogPath, *log, &length, TailCheck::kQuick);
    if (!status.ok()) {
      log.reset();
      return FailOpen(program, UnknownError(status.code()));
    }
  }
  s.LogLength = length;
  return log;
}

void ReportLogDamage(Program& program, int64_t offset) {
  ShowStop(program, program.state.CurrentLogOwner,
           "The phone log is damaged at byte " + std::to_string(offset) +
               ". Please call technical support.");
}

void ReportLogFailure(Program& program, const Status& status) {
  ShowStop(program, program.state.CurrentLogOwner, UnknownError(status.code()));
}

}  // namespace telvo
