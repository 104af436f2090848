#include "service/purge.h"

#include "service/call_actions.h"
#include "service/store_messages.h"
#include "store/phone_log.h"

namespace telvo {
namespace {

// The poller compares the user's own log with this length. The log it
// watches shrank, which is no new call; a call posted after the purge makes
// the log longer than what was written here and is still announced. Any
// other log is none of the poller's business.
void RefreshPollBaseline(Program& program, int64_t newLength) {
  const Workgroup& people = program.workgroup;
  if (!people.Has(people.myIndex())) return;
  if (program.state.CurrentLogPath != people.at(people.myIndex()).log) return;
  program.state.LastLogLength = newLength;
}

}  // namespace

[[noreturn]] void EndPurge(Program& program, const PurgeResult& result) {
  FatalFileError(program, PurgeFatalText(result), result.error.status.code());
}

void PurgeCalls(Program& program) {
  ProgramState& s = program.state;
  s.FileError = 0;
  const PurgeResult result = program.store->Purge(BookShown(s));
  const std::string& owner = s.CurrentLogOwner;
  switch (result.failure) {
    case PurgeResult::Failure::kNone:
      if (!result.unsynced.ok()) ShowStop(program, owner, PurgeUnsyncedText(result.unsynced));
      RefreshPollBaseline(program, result.newLength);
      return;
    case PurgeResult::Failure::kWorkFile:
    case PurgeResult::Failure::kArchiveFile:
      EndPurge(program, result);
    default:
      // A log that could not be opened was reported when it was opened.
      s.FileError = 1;
      ShowStop(program, owner, PurgeFailureText(result));
      if (!result.undoError.ok()) ShowStop(program, owner, PurgeUndoFailureText(result.undoError));
      return;
  }
}

}  // namespace telvo
