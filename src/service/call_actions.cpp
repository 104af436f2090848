#include "service/call_actions.h"

#include "service/store_messages.h"
#include "store/folder_store.h"
#include "service/forward_export.h"
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
  view.ShowNewestPage();
}

}  // namespace

CallBook BookShown(const ProgramState& s) {
  CallBook book{{.name = s.CurrentLogOwner, .log = s.CurrentLogPath}};
  // The archive is found from the log's own path rather than from the
  // people list, which may have been reloaded since the log was chosen.
  if (IsPhoneLogPath(s.CurrentLogPath)) book.owner.archive = BesideLog(s.CurrentLogPath, "ARCHIVE");
  book.owner.exportFile = BesideLog(s.CurrentLogPath, "EXPORT.TXT");
  return book;
}

void ApplyCallAction(Program& program, CallPageView& view, int row, int action) {
  ProgramState& s = program.state;
  if (action < kActionDelete || action > kActionExport) return;
  const Call* listed = view.ShownCall(row);
  if (!listed) return;

  s.FileError = 0;
  PhoneStore& store = *program.store;
  const CallBook whose = BookShown(s);
  const CallId id = listed->id;
  CallRead shown = store.ReadCall(whose, id);
  if (!shown.error.ok()) return Report(program, view, shown.error);

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
      write = ForwardCall(program, shown.call);
      mark = MARK_DELETE;
      break;
    case kActionExport:
      ExportCall(program, shown.call);
      write = false;
      break;
  }

  // The dialogs ran with the log closed: it may have been purged meanwhile.
  shown = write ? store.Mark(whose, id, mark) : store.ReadCall(whose, id);
  if (!shown.error.ok()) return Report(program, view, shown.error);
  view.RedrawRow(row, shown.call);
}

}  // namespace telvo
