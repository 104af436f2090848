#include <algorithm>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>

#include "core/call_fields.h"
#include "core/marks.h"
#include "platform/sequential_writer.h"
#include "store/archive_cut.h"
#include "store/folder_store.h"
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

// An archived call as ArchivedBody has it. A body that holds its fields is
// copied with its framing as the scan read it, without building it anew.
void AppendArchivedRecord(SequentialWriter& writer, std::string_view body) {
  if (HasItsFields(body)) return writer.Append(ScannedRecordBytes(body));
  AppendRecord(writer, ArchivedBody(body));
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
  // `archivePath` is "" where the calls marked for the archive stay: in the
  // archive itself, and in a bare log that has none.
  Purge(LockedOpener& opener, const std::string& logPath, const std::string& archivePath,
        std::unique_ptr<File> log, int64_t length, PurgeResult& result)
      : opener_(opener),
        env_(opener.env()),
        logPath_(logPath),
        logLength_(length),
        phoneLog_(!archivePath.empty()),
        log_(std::move(log)),
        workPath_(logPath + ".NEW"),
        archivePath_(archivePath),
        result_(result) {}
  ~Purge() { Abandon(); }

  // False when the purge stopped with both files as they were; the result
  // says why.
  bool Run() {
    if (!Open(workPath_, FileAccess::kRewrite, PurgeResult::Failure::kWorkFile, &work_))
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

 private:
  // A lock held elsewhere is waited out like the log's, and then stops the
  // purge with nothing changed, as does a file that is a symbolic link; any
  // other failure is `failure`, which the program cannot go on from.
  bool Open(const std::string& path, FileAccess access, PurgeResult::Failure failure,
            std::unique_ptr<File>* file) {
    Status status = opener_.Open(path, access, file);
    if (status.ok()) return true;
    const StoreError error = StoreError::From(status);
    if (error.kind == StoreError::Kind::kLocked || error.kind == StoreError::Kind::kSymbolicLink)
      return Undo(PurgeResult::Failure::kLog, error);
    Abandon();
    result_.failure = failure;
    result_.error = error;
    return false;
  }

  bool OpenArchive() {
    archiveExisted_ = env_.FileExists(archivePath_);
    if (!Open(archivePath_, FileAccess::kUpdate, PurgeResult::Failure::kArchiveFile, &archive_))
      return false;
    Status status = archive_->Length(&archiveStart_);
    // What an earlier purge of this log appended and never let go of is
    // cut back before anything else happens to the archive.
    if (status.ok()) status = SettleArchiveCut(env_, logPath_, *log_, *archive_, &archiveStart_);
    if (!status.ok()) return Undo(PurgeResult::Failure::kWrite, StoreError::From(status));
    return true;
  }

  // The archive is about to grow: note where it ends, durably, so that a
  // purge killed before the log is replaced has its append cut off again.
  Status NoteArchiveStart() {
    // A purge killed while it appended may have left part of a record at
    // the archive's end; it is cut off before anything is appended behind it.
    Status status =
        RepairTornTail(env_, archivePath_, *archive_, &archiveStart_, TailCheck::kThorough);
    if (status.ok())
      status = telvo::NoteArchiveStart(env_, logPath_, archiveStart_, log_->Identity());
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
    Status status = ScanLog(*log_, logLength_,
                            {.record =
                                 [&](int64_t start, std::string_view body) {
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
                                   if (to) AppendArchivedRecord(*to, body);
                                   return to && to->ok() && kept.ok();
                                 },
                             .damage =
                                 [&](int64_t from, int64_t) {
                                   damageAt = from;
                                   return false;
                                 }});
    if (!status.ok()) {
      StoreError failed = StoreError::From(status);
      failed.kind = StoreError::Kind::kFailed;
      return Undo(PurgeResult::Failure::kLog, failed);
    }
    if (damageAt >= 0) return Undo(PurgeResult::Failure::kLog, StoreError::Damaged(damageAt));
    status = archiveStatus;
    if (status.ok() && archived) status = archived->Finish();
    if (status.ok()) status = kept.Finish();
    if (!status.ok()) {
      return Undo(PurgeResult::Failure::kWrite, StoreError::From(status));
    }
    result_.newLength = dropsAny_ ? kept.end() : logLength_;
    return true;
  }

  bool ReplaceLog() {
    Status status = env_.ReplaceFile(workPath_, logPath_);
    if (!status.ok()) return Undo(PurgeResult::Failure::kRename, StoreError::From(status));
    workPath_.clear();  // it is the log now
    status = env_.SyncFolderOf(logPath_);
    // A note left behind names a log no longer in place, which the next
    // purge recognises and removes: its failure here changes nothing.
    if (noted_) static_cast<void>(ForgetArchiveStart(env_, logPath_));
    Abandon();
    // The new log is in place whatever this says; the user hears of it all
    // the same, since the purge may not outlive a power failure, but not as
    // a purge that failed.
    result_.unsynced = StoreError::From(status);
    return true;
  }

  // Stops the purge before the log was replaced: the calls appended to the
  // archive are cut off again, since they are still in the log, and the
  // result says why the purge stopped.
  bool Undo(PurgeResult::Failure failure, const StoreError& error) {
    Status cut;
    if (archive_) {
      int64_t length = archiveStart_;
      cut = archive_->Length(&length);
      if (cut.ok() && length > archiveStart_) cut = archive_->Truncate(archiveStart_);
      if (cut.ok() && length > archiveStart_) cut = archive_->Sync();
      // Cut off: the note has done its work. Left, the next purge finds the
      // archive no longer than noted and only removes it.
      if (cut.ok() && noted_) static_cast<void>(ForgetArchiveStart(env_, logPath_));
    }
    // An archive this purge created stays only when the purge succeeds. Not
    // removed, it is an empty archive, as a successful first purge leaves.
    const bool removeArchive = archive_ && cut.ok() && !archiveExisted_ && archiveStart_ == 0;
    Abandon();
    if (removeArchive) static_cast<void>(env_.DeleteFile(archivePath_));
    result_.failure = failure;
    result_.error = error;
    // Left uncut, those calls stand in both files, as after a crash: nothing
    // is lost, but the user must hear that the archive holds them twice.
    result_.undoError = StoreError::From(cut);
    return false;
  }

  // Closes every file; a work file not yet renamed into place is removed.
  // Nobody else opens one without first holding the lock of the file it
  // replaces, which this purge holds. A work file that cannot be removed is
  // harmless: the next purge empties it before use, so its failure is not
  // worth a box of its own.
  void Abandon() {
    if (work_ && !workPath_.empty()) static_cast<void>(env_.DeleteFile(workPath_));
    work_.reset();
    archive_.reset();
    log_.reset();
  }

  LockedOpener& opener_;
  Env& env_;
  const std::string logPath_;
  const int64_t logLength_;
  const bool phoneLog_;
  std::unique_ptr<File> log_, work_, archive_;
  std::string workPath_, archivePath_;
  int64_t archiveStart_ = 0;    // the archive's length before this purge
  bool noted_ = false;          // ARCHIVE.CUT written for this purge
  bool archiveExisted_ = true;  // before this purge opened it
  bool dropsAny_ = false;       // a call leaves the log: it must be rewritten
  PurgeResult& result_;
};

}  // namespace

PurgeResult FolderStore::Purge(const CallBook& book) {
  PurgeResult result;
  OpenLog log = Open(PathOf(book));
  if (!log.error.ok()) {
    result.failure = PurgeResult::Failure::kLog;
    result.error = log.error;
    return result;
  }
  if (log.length == 0) return result;
  class Purge purge(opener_, PathOf(book), book.archive ? "" : book.owner.archive,
                    std::move(log.file), log.length, result);
  purge.Run();
  return result;
}

}  // namespace telvo
