#include "service/purge.h"

#include "service/call_actions.h"
#include "service/store_messages.h"
#include "store/phone_log.h"

namespace telvo {

[[noreturn]] void EndPurge(Program& program, const PurgeResult& result) {
  FatalFileError(program, PurgeFatalText(result), result.error.status.code());
}

bool PurgeCalls(Program& program) {
  const ViewedLog& viewed = program.state.viewed;
  const PurgeResult result = program.store->Purge(viewed.book);
  const std::string& owner = viewed.book.owner.name;
  switch (result.failure) {
    case PurgeResult::Failure::kNone:
      if (!result.unsynced.ok()) ShowStop(program, owner, PurgeUnsyncedText(result.unsynced));
      if (program.hooks.LogPurged) program.hooks.LogPurged(viewed.book.file(), result.newLength);
      return true;
    case PurgeResult::Failure::kWorkFile:
    case PurgeResult::Failure::kArchiveFile:
      EndPurge(program, result);
    default:
      ShowStop(program, owner, PurgeFailureText(result));
      if (!result.undoError.ok()) ShowStop(program, owner, PurgeUndoFailureText(result.undoError));
      return false;
  }
}

}  // namespace telvo
