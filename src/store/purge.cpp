#include "store/purge.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <string_view>

#include "core/marks.h"
#include "platform/sequential_writer.h"
#include "store/archive_cut.h"
#include "store/log_scan.h"
#include "store/phone_log.h"
#include "store/torn_tail.h"

namespace telvo {
namespace {

// Queues one record as the file holds it: length, body, length.
void AppendRecord(SequentialWriter& writer, std::string_view body) {
  const std::string length = EncodeRecordLength(static_cast<int>(body.size()));
  writer.Append(length);
  writer.Append(body);
  writer.Append(length);
}

// An archived call is written anew from its parsed fields, which gives back
// the same bytes for every record the program writes. A malformed body could
// grow past what a length can hold; it then keeps its own bytes.
void AppendArchivedRecord(SequentialWriter& writer, ProgramState& s, std::string_view body) {
  // Written anew from its parsed fields, such a body comes out the same.
  if (HasItsFields(body)) return writer.Append(ScannedRecordBytes(body));
  s.RecordText.assign(body);
  ParseRecord(s);
  std::string rebuilt = s.RecMark;
  for (const std::string* field : {&s.RecDate, &s.RecCaller, &s.RecTime, &s.RecPhone,
                                   &s.RecMessage}) {
    rebuilt.append(*field).push_back(FIELD_END);
  }
  AppendRecord(writer, rebuilt.size() > static_cast<size_t>(kMaxBodyLength) ? body : rebuilt);
}

std::string ReplaceFailureText(int code) {
  if (code == kPermissionDenied || code == kPathFileAccessError)
    return "Purge control file is locked. Try again.";
  if (code == kPathNotFound) return "Invalid Path For User's Phonelog ";
  if (code == kDiskFull) return "The disk is full. Nothing was purged.";
  return "Unknown Error  " + std::to_string(code);
}

// The rename of the new log over the old one failed. A lock is worth trying
// again; a share that refuses the rename itself (EACCES, EPERM, EBUSY: 75)
// will refuse it every time.
std::string RenameFailureText(int code) {
  if (code == kPathFileAccessError)
    return "This shared folder does not let the phone log be replaced, so purging cannot work "
           "here. Nothing was purged. Please call technical support.";
  return ReplaceFailureText(code);
}

// One purge of an open log, in one pass and bounded memory whatever the
// log's size. The log is never changed in place: the kept calls go to a
// work file that is renamed over the log while the log's lock is still
// held, so the log is at every moment either the old one or the new one, and
// a poster waiting for the lock re-opens the new one. Archived calls are
// appended to the archive and synced before the log is replaced; a crash
// between the two leaves them in both until the next purge cuts the archive
// back (archive_cut.h).
class Purge {
 public:
  Purge(Program& program, std::unique_ptr<File> log)
      : program_(program),
        s_(program.state),
        phoneLog_(IsPhoneLogPath(s_.CurrentLogPath)),
        log_(std::move(log)),
        workPath_(s_.CurrentLogPath + ".NEW") {
    // The archive is found from the log's own path rather than from the
    // people list, which may have been reloaded since the log was chosen.
    if (phoneLog_) archivePath_ = BesideLog(s_.CurrentLogPath, "ARCHIVE");
  }
  ~Purge() { Abandon(); }

  // False when the purge stopped with both files as they were; its message
  // has been shown.
  bool Run() {
    if (!Open(workPath_, FileAccess::kRewrite, "Error opening .NEW file during purge.", &work_))
      return false;
    // Opened even when no call is archived: the first purge creates it.
    if (phoneLog_ && !OpenArchive()) return false;
    if (!Sort()) return false;
    if (!dropsAny_) {
      // Every call stays where it is: the log is already what a rewrite
      // would make of it, and replacing it would only cost a copy.
      Abandon();
      return true;
    }
    return ReplaceLog();
  }

  int64_t newLength() const { return newLength_; }

 private:
  // A lock held elsewhere is waited out like the log's, and then stops the
  // purge with nothing changed, as does a file that is a symbolic link; any
  // other failure is fatal.
  bool Open(const std::string& path, FileAccess access, const char* failure,
            std::unique_ptr<File>* file) {
    Status status = OpenWithLockRetries(program_, path, access, file);
    if (status.ok()) return true;
    if (status.code() == kPermissionDenied) return Stop("Message file is locked up");
    if (status.code() == kSymbolicLink) return Stop(SymbolicLinkRefusal(status));
    Abandon();
    s_.ErrorNumber = static_cast<int16_t>(status.code());
    s_.NoticeText = failure;
    FatalFileError(program_);
  }

  bool OpenArchive() {
    archiveExisted_ = program_.env.FileExists(archivePath_);
    if (!Open(archivePath_, FileAccess::kUpdate, "Error opening archive file during purge.",
              &archive_))
      return false;
    Status status = archive_->Length(&archiveStart_);
    // What an earlier purge of this log appended and never let go of is
    // cut back before anything else happens to the archive.
    if (status.ok())
      status = SettleArchiveCut(program_.env, s_.CurrentLogPath, *log_, *archive_, &archiveStart_);
    if (!status.ok()) return Stop(ReplaceFailureText(status.code()));
    return true;
  }

  // The archive is about to grow: note where it ends, durably, so that a
  // purge killed before the log is replaced has its append cut off again.
  Status NoteArchiveStart() {
    // A purge killed while it appended may have left part of a record at
    // the archive's end; it is cut off before anything is appended behind it.
    Status status = RepairTornTail(program_.env, archivePath_, *archive_, &archiveStart_,
                                   TailCheck::kThorough);
    if (status.ok())
      status = telvo::NoteArchiveStart(program_.env, s_.CurrentLogPath, archiveStart_,
                                       log_->Identity());
    noted_ = status.ok();
    return status;
  }

  // The log's first `bytes`, calls that all stay, copied as they stand.
  void CopyUnchangedFront(SequentialWriter& kept, int64_t bytes) {
    std::string block;
    for (int64_t at = 0; at < bytes && kept.ok(); at += static_cast<int64_t>(block.size())) {
      const size_t n = static_cast<size_t>(std::min<int64_t>(kWriteBlockBytes, bytes - at));
      Status status = log_->ReadAt(at, n, &block);
      if (status.ok() && block.size() != n) status = Status::Error(kDeviceIoError);
      if (!status.ok()) return kept.Fail(status);
      kept.Append(block);
    }
  }

  // Kept calls go to the work file, archived ones to the archive, as the
  // pass meets them; the first damaged record stops it. Calls before the
  // first one that leaves are written only once one leaves, in one copy.
  bool Sort() {
    SequentialWriter kept(*work_);
    int64_t unchangedFront = 0;
    std::optional<SequentialWriter> archived;
    Status archiveStatus;
    // The archive is made ready (its end checked) only when a call is
    // archived, so a purge that archives nothing never reads it.
    auto archiveWriter = [&]() -> SequentialWriter* {
      if (!phoneLog_) return &kept;
      if (!archived && archiveStatus.ok()) {
        archiveStatus = NoteArchiveStart();
        if (archiveStatus.ok()) archived.emplace(*archive_, archiveStart_);
      }
      return archived ? &*archived : nullptr;
    };
    int64_t damageAt = -1;
    Status status = ScanLog(*log_, s_.LogLength,
                            {.record = [&](int64_t start, std::string_view body) {
                               const PurgeAction action = MarkOf(body[0]).purge;
                               if (!dropsAny_ && action == PurgeAction::kKeep) {
                                 unchangedFront = start + static_cast<int64_t>(body.size()) + 4;
                                 return true;
                               }
                               if (!std::exchange(dropsAny_, true))
                                 CopyUnchangedFront(kept, unchangedFront);
                               if (action == PurgeAction::kKeep)
                                 kept.Append(ScannedRecordBytes(body));
                               if (action != PurgeAction::kArchive) return kept.ok();
                               SequentialWriter* to = archiveWriter();
                               if (to) AppendArchivedRecord(*to, s_, body);
                               return to && to->ok() && kept.ok();
                             },
                             .damage = [&](int64_t from, int64_t) {
                               damageAt = from;
                               return false;
                             }});
    if (!status.ok()) return Undo([&] { ReportLogFailure(program_, status); });
    if (damageAt >= 0) return Undo([&] { ReportLogDamage(program_, damageAt); });
    status = archiveStatus;
    if (status.ok() && archived) status = archived->Finish();
    if (status.ok()) status = kept.Finish();
    if (!status.ok()) {
      return Undo([&] { ShowStop(program_, s_.CurrentLogOwner, ReplaceFailureText(status.code())); });
    }
    newLength_ = dropsAny_ ? kept.end() : s_.LogLength;
    return true;
  }

  bool ReplaceLog() {
    Status status = program_.env.ReplaceFile(workPath_, s_.CurrentLogPath);
    if (!status.ok()) return Undo([&] {
      ShowStop(program_, s_.CurrentLogOwner, RenameFailureText(status.code()));
    });
    workPath_.clear();  // it is the log now
    status = program_.env.SyncFolderOf(s_.CurrentLogPath);
    // A note left behind names a log no longer in place, which the next
    // purge recognises and removes: its failure here changes nothing.
    if (noted_) static_cast<void>(ForgetArchiveStart(program_.env, s_.CurrentLogPath));
    Abandon();
    // The new log is in place whatever this says; the user hears of it all
    // the same, since the purge may not outlive a power failure, but not as
    // a purge that failed.
    if (!status.ok()) {
      ShowStop(program_, s_.CurrentLogOwner,
               "The calls were purged, but the folder could not be synced (Unknown Error  " +
                   std::to_string(status.code()) +
                   "): a power failure now could bring the purged calls back.");
    }
    return true;
  }

  // Stops the purge before the log was replaced: the calls appended to the
  // archive are cut off again, since they are still in the log, and then
  // `report` tells the user.
  template <typename Report>
  bool Undo(Report report) {
    Status cut;
    if (archive_) {
      int64_t length = archiveStart_;
      cut = archive_->Length(&length);
      if (cut.ok() && length > archiveStart_) cut = archive_->Truncate(archiveStart_);
      if (cut.ok() && length > archiveStart_) cut = archive_->Sync();
      // Cut off: the note has done its work. Left, the next purge finds the
      // archive no longer than noted and only removes it.
      if (cut.ok() && noted_) static_cast<void>(ForgetArchiveStart(program_.env, s_.CurrentLogPath));
    }
    // An archive this purge created stays only when the purge succeeds. Not
    // removed, it is an empty archive, as a successful first purge leaves.
    const bool removeArchive = archive_ && cut.ok() && !archiveExisted_ && archiveStart_ == 0;
    Abandon();
    if (removeArchive) static_cast<void>(program_.env.DeleteFile(archivePath_));
    report();
    // Left uncut, those calls stand in both files, as after a crash: nothing
    // is lost, but the user must hear that the archive holds them twice.
    if (!cut.ok()) ShowStop(program_, s_.CurrentLogOwner, ReplaceFailureText(cut.code()));
    return false;
  }

  bool Stop(const std::string& text) {
    return Undo([&] { ShowStop(program_, s_.CurrentLogOwner, text); });
  }

  // Closes every file; a work file not yet renamed into place is removed.
  // Nobody else opens one without first holding the lock of the file it
  // replaces, which this purge holds. A work file that cannot be removed is
  // harmless: the next purge empties it before use, so its failure is not
  // worth a box of its own.
  void Abandon() {
    if (work_ && !workPath_.empty()) static_cast<void>(program_.env.DeleteFile(workPath_));
    work_.reset();
    archive_.reset();
    log_.reset();
  }

  Program& program_;
  ProgramState& s_;
  const bool phoneLog_;
  std::unique_ptr<File> log_, work_, archive_;
  std::string workPath_, archivePath_;
  int64_t archiveStart_ = 0;  // the archive's length before this purge
  bool noted_ = false;        // ARCHIVE.CUT written for this purge
  bool archiveExisted_ = true;  // before this purge opened it
  bool dropsAny_ = false;       // a call leaves the log: it must be rewritten
  int64_t newLength_ = 0;
};

// The poller compares the user's own log with this length. The log it
// watches shrank, which is no new call; a call posted after the purge makes
// the log longer than what was written here and is still announced. Any
// other log is none of the poller's business.
void RefreshPollBaseline(ProgramState& s, int64_t newLength) {
  if (s.MyIndex < 0 || static_cast<size_t>(s.MyIndex) >= s.PersonLog.size()) return;
  if (s.CurrentLogPath != s.PersonLog[static_cast<size_t>(s.MyIndex)]) return;
  s.LastLogLength = newLength;
}

}  // namespace

void PurgeCalls(Program& program) {
  ProgramState& s = program.state;
  std::unique_ptr<File> log = OpenPhoneLog(program);
  if (!log || s.LogLength == 0) return;
  Purge purge(program, std::move(log));
  if (!purge.Run()) {
    s.FileError = 1;
    return;
  }
  s.LogLength = purge.newLength();
  RefreshPollBaseline(s, purge.newLength());
}

}  // namespace telvo
