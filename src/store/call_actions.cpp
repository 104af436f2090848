#include "store/call_actions.h"

#include "store/folder_store.h"
#include "store/forward_export.h"
#include "store/phone_log.h"

namespace telvo {
namespace {

// Tells the user why the call could not be acted on. A call that a purge
// elsewhere moved means every remembered position may be stale: the listing
// then starts again from the newest call.
void Report(Program& program, CallPageView& view, const StoreError& error) {
  ProgramState& s = program.state;
  s.FileError = 1;
  if (error.kind != StoreError::Kind::kStale) {
    return ShowStop(program, s.CurrentLogOwner, LogFailureText(error));
  }
  ShowStop(program, "Telvo", StaleCallText(/*marking=*/true));
  s.PagingActive = 0;
  view.ShowNewestPage();
}

// The call as it now stands, for the row to be drawn again.
void Remember(ProgramState& s, const Call& call) {
  s.RecordText = call.body;
  s.ReadPos = call.id.position;
}

}  // namespace

void ApplyCallAction(Program& program, CallPageView& view) {
  ProgramState& s = program.state;
  const int action = s.CallAction;
  if (action < kActionDelete || action > kActionExport) return;
  if (s.PageRow < 0 || s.PageRow >= kPageRows) return;

  s.FileError = 0;
  FolderStore store(program.env);
  const CallBook whose{{.name = s.CurrentLogOwner, .log = s.CurrentLogPath}};
  const size_t row = static_cast<size_t>(s.PageRow);
  const CallId id = CallId::Of(s.PageStart[row], s.PageText[row]);
  CallRead shown = store.ReadCall(whose, id);
  if (!shown.error.ok()) return Report(program, view, shown.error);
  Remember(s, shown.call);
  ParseRecord(s);

  // Forward and export leave the mark alone unless a forward was delivered.
  // Writing the old mark back after their dialogs would undo a mark that the
  // owner set on another workstation meanwhile, so nothing is written then.
  bool write = true;
  char mark = 0;
  switch (action) {
    case kActionDelete: mark = MARK_DELETE; break;
    case kActionArchive: mark = MARK_ARCHIVE; break;
    case kActionImportant: mark = MARK_IMPORTANT; break;
    case kActionNew: mark = MARK_NEW; break;
    case kActionForward:
      write = ForwardCall(program);
      mark = MARK_DELETE;
      break;
    case kActionExport:
      ExportCall(program);
      write = false;
      break;
  }

  // The dialogs ran with the log closed: it may have been purged meanwhile.
  shown = write ? store.Mark(whose, id, mark) : store.ReadCall(whose, id);
  if (!shown.error.ok()) return Report(program, view, shown.error);
  Remember(s, shown.call);
  view.RedrawRow();
}

}  // namespace telvo
