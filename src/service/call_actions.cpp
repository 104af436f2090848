#include "service/call_actions.h"

#include "service/forward_export.h"
#include "service/store_messages.h"
#include "store/folder_store.h"
#include "store/phone_log.h"

namespace telvo {
namespace {

// Tells the user why the call could not be acted on. A call that a purge
// elsewhere moved means every remembered position may be stale: the listing
// then starts again from the newest call.
bool Report(Program& program, CallPageView& view, const StoreError& error) {
  if (error.kind != StoreError::Kind::kStale) {
    ShowStop(program, program.state.viewed.book.owner.name, LogFailureText(error));
    return false;
  }
  ShowStop(program, "Telvo", StaleCallText(/*marking=*/true));
  view.ShowNewestPage();
  return false;
}

}  // namespace

bool ApplyCallAction(Program& program, CallPageView& view, int row, int action) {
  if (action < kActionDelete || action > kActionExport) return true;
  const Call* listed = view.ShownCall(row);
  if (!listed) return true;

  PhoneStore& store = *program.store;
  const CallBook whose = program.state.viewed.book;
  const CallId id = listed->id;
  CallRead shown = store.ReadCall(whose, id);
  if (!shown.error.ok()) return Report(program, view, shown.error);

  // Forward and export leave the mark alone unless a forward was delivered.
  // Writing the old mark back after their dialogs would undo a mark that the
  // owner set on another workstation meanwhile, so nothing is written then.
  bool write = true;
  bool exported = true;
  char mark = 0;
  switch (action) {
    case kActionDelete:
      mark = MARK_DELETE;
      break;
    case kActionArchive:
      mark = MARK_ARCHIVE;
      break;
    case kActionImportant:
      mark = MARK_IMPORTANT;
      break;
    case kActionNew:
      mark = MARK_NEW;
      break;
    case kActionForward:
      write = ForwardCall(program, shown.call);
      mark = MARK_DELETE;
      break;
    case kActionExport:
      exported = ExportCall(program, shown.call);
      write = false;
      break;
  }

  // The dialogs ran with the log closed: it may have been purged meanwhile.
  shown = write ? store.Mark(whose, id, mark) : store.ReadCall(whose, id);
  if (!shown.error.ok()) return Report(program, view, shown.error);
  view.RedrawRow(row, shown.call);
  return exported;
}

}  // namespace telvo
