#include "store/call_actions.h"

#include <memory>

#include "store/forward_export.h"
#include "store/phone_log.h"

namespace telvo {
namespace {

// Opens the log and checks that row PageRow still holds the call on screen.
// A failed check has told the user; the listing then starts again from the
// newest call, since every remembered position may be stale.
std::unique_ptr<File> OpenAndVerify(Program& program, CallPageView& view) {
  ProgramState& s = program.state;
  s.FileError = 0;
  std::unique_ptr<File> log = OpenPhoneLog(program);
  if (!log) return nullptr;
  int row = s.PageRow;
  if (VerifyDisplayedRecord(program, log, row, /*fromMarking=*/true)) return log;
  s.PagingActive = 0;
  view.ShowNewestPage();
  return nullptr;
}

// Reads the call of row PageRow into RecordText and ReadPos, closing the log
// before any message is shown.
bool ReadShownCall(Program& program, std::unique_ptr<File> log) {
  ProgramState& s = program.state;
  const int64_t start = s.PageStart[static_cast<size_t>(s.PageRow)];
  RecordRead read = ReadRecordAt(*log, s.LogLength, start);
  log.reset();
  switch (read.outcome) {
    case ReadOutcome::kRecord:
      s.RecordText = std::move(read.record.body);
      s.ReadPos = read.record.start;
      return true;
    case ReadOutcome::kFailed:
      ReportLogFailure(program, read.status);
      return false;
    case ReadOutcome::kDamaged:
    case ReadOutcome::kNone:
      ReportLogDamage(program, read.outcome == ReadOutcome::kDamaged ? read.damageAt : start);
      return false;
  }
  return false;
}

// The one byte that changes in place; synced like an append, so a mark the
// user saw redrawn is on the disk.
Status WriteMark(File& log, int64_t recordStart, char mark) {
  Status status = log.WriteAt(recordStart + 2, std::string(1, mark));
  return status.ok() ? log.Sync() : status;
}

}  // namespace

void ApplyCallAction(Program& program, CallPageView& view) {
  ProgramState& s = program.state;
  const int action = s.CallAction;
  if (action < kActionDelete || action > kActionExport) return;
  if (s.PageRow < 0 || s.PageRow >= kPageRows) return;

  std::unique_ptr<File> log = OpenAndVerify(program, view);
  if (!log || !ReadShownCall(program, std::move(log))) return;
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
  log = OpenAndVerify(program, view);
  if (!log) return;
  if (write) {
    Status status = WriteMark(*log, s.PageStart[static_cast<size_t>(s.PageRow)], mark);
    if (!status.ok()) {
      log.reset();
      ReportLogFailure(program, status);
      return;
    }
  }
  if (!ReadShownCall(program, std::move(log))) return;
  view.RedrawRow();
}

}  // namespace telvo
