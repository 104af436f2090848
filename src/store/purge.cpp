#include "store/purge.h"

#include <algorithm>
#include <string_view>

#include "store/phone_log.h"

namespace telvo {
namespace {

constexpr size_t kChunk = size_t{1} << 18;

// Serves the forward walk's small reads from large ones, so a log of many
// calls costs a few system calls rather than two per call.
class ReadAhead : public File {
 public:
  explicit ReadAhead(File& file) : file_(file) {}

  Status ReadAt(int64_t offset, size_t n, std::string* out) override {
    const int64_t windowEnd = start_ + static_cast<int64_t>(window_.size());
    if (offset < start_ || offset + static_cast<int64_t>(n) > windowEnd) {
      start_ = offset;
      Status status = file_.ReadAt(offset, std::max(n, kChunk), &window_);
      if (!status.ok()) {
        window_.clear();
        return status;
      }
    }
    const size_t from = static_cast<size_t>(offset - start_);
    out->assign(window_, from, std::min(n, window_.size() - from));
    return Status::Ok();
  }
  Status WriteAt(int64_t, std::string_view) override {
    return Status::Error(kPathFileAccessError);
  }
  Status Length(int64_t* length) override { return file_.Length(length); }
  Status Truncate(int64_t) override { return Status::Error(kPathFileAccessError); }
  Status Sync() override { return Status::Ok(); }

 private:
  File& file_;
  int64_t start_ = 0;
  std::string window_;
};

// Writes a file from its first byte in large pieces; the first failure sticks.
class SequentialWriter {
 public:
  explicit SequentialWriter(File& file) : file_(file) {}

  void Append(std::string_view bytes) {
    pending_.append(bytes);
    if (pending_.size() >= kChunk) Flush();
  }
  // Everything appended is on the disk, or the failure.
  Status Finish() {
    Flush();
    if (status_.ok()) status_ = file_.Sync();
    return status_;
  }
  bool ok() const { return status_.ok(); }
  int64_t length() const { return written_ + static_cast<int64_t>(pending_.size()); }

 private:
  void Flush() {
    if (status_.ok() && !pending_.empty()) status_ = file_.WriteAt(written_, pending_);
    written_ += static_cast<int64_t>(pending_.size());
    pending_.clear();
  }

  File& file_;
  Status status_;
  int64_t written_ = 0;
  std::string pending_;
};

bool IsKeptMark(char mark) { return mark == ' ' || mark == MARK_NEW || mark == MARK_IMPORTANT; }

// An archived call is written anew from its parsed fields, which gives back
// the same bytes for every record the program writes. A malformed body could
// grow past what a length can hold; it then keeps its own bytes.
std::string ArchivedRecord(ProgramState& s, const std::string& body) {
  s.RecordText = body;
  ParseRecord(s);
  std::string rebuilt = s.RecMark;
  for (const std::string* field : {&s.RecDate, &s.RecCaller, &s.RecTime, &s.RecPhone,
                                   &s.RecMessage}) {
    rebuilt.append(*field).push_back(FIELD_END);
  }
  return FrameRecord(rebuilt.size() > static_cast<size_t>(kMaxBodyLength) ? body : rebuilt);
}

std::string ReplaceFailureText(int code) {
  if (code == kPermissionDenied || code == kPathFileAccessError)
    return "Purge control file is locked. Try again.";
  if (code == kPathNotFound) return "Invalid Path For User's Phonelog ";
  return "Unknown Error  " + std::to_string(code);
}

// One purge of an open log. The log is never changed in place: the kept
// calls go to a work file that is renamed over the log while the log's lock
// is still held, so the log is at every moment either the old one or the new
// one, and a poster waiting for the lock re-opens the new one. Archived calls
// reach the archive (the same way) before the log is replaced, so a crash
// can at worst leave a call in both.
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
    if (phoneLog_ && !Open(archivePath_, FileAccess::kUpdate,
                           "Error opening archive file during purge.", &archive_))
      return false;
    return Sort() && ReplaceArchive() && ReplaceLog();
  }

  int64_t newLength() const { return newLength_; }

 private:
  // A lock held elsewhere is waited out like the log's, and then stops the
  // purge with nothing changed; any other failure is fatal.
  bool Open(const std::string& path, FileAccess access, const char* failure,
            std::unique_ptr<File>* file) {
    Status status = OpenWithLockRetries(program_, path, access, file);
    if (status.ok()) return true;
    if (status.code() == kPermissionDenied) return Stop("Message file is locked up");
    Abandon();
    s_.ErrorNumber = static_cast<int16_t>(status.code());
    s_.NoticeText = failure;
    FatalFileError(program_);
  }

  // Kept calls go to the work file as the walk meets them; archived ones are
  // collected and written only once the whole log has proved sound.
  bool Sort() {
    ReadAhead reader(*log_);
    SequentialWriter kept(*work_);
    RecordRead end = WalkForward(reader, s_.LogLength, 0, [&](const Record& record) {
      const char mark = record.body[0];
      if (mark == MARK_ARCHIVE) {
        std::string framed = ArchivedRecord(s_, record.body);
        if (phoneLog_) {
          archived_ += framed;
        } else {
          kept.Append(framed);
        }
      } else if (IsKeptMark(mark)) {
        kept.Append(FrameRecord(record.body));
      }
      return kept.ok();
    });
    if (end.outcome == ReadOutcome::kDamaged) {
      Abandon();
      ReportLogDamage(program_, end.damageAt);
      return false;
    }
    if (end.outcome == ReadOutcome::kFailed) {
      Abandon();
      ReportLogFailure(program_, end.status);
      return false;
    }
    Status status = kept.Finish();
    if (!status.ok()) return Stop(ReplaceFailureText(status.code()));
    newLength_ = kept.length();
    return true;
  }

  // The old archive and the new calls behind it are written to a file of
  // their own and renamed over the archive: a large append cut short (a
  // process killed in the middle of the write) would leave a torn record at
  // the archive's end.
  bool ReplaceArchive() {
    if (!phoneLog_ || archived_.empty()) return true;
    archiveWorkPath_ = archivePath_ + ".NEW";
    if (!Open(archiveWorkPath_, FileAccess::kRewrite, "Error opening archive file during purge.",
              &archiveWork_))
      return false;
    SequentialWriter copy(*archiveWork_);
    std::string chunk;
    Status status;
    for (int64_t offset = 0; copy.ok(); offset += static_cast<int64_t>(chunk.size())) {
      status = archive_->ReadAt(offset, kChunk, &chunk);
      if (!status.ok() || chunk.empty()) break;
      copy.Append(chunk);
    }
    copy.Append(archived_);
    if (status.ok()) status = copy.Finish();
    if (status.ok()) status = program_.env.ReplaceFile(archiveWorkPath_, archivePath_);
    if (!status.ok()) return Stop(ReplaceFailureText(status.code()));
    archiveWorkPath_.clear();  // it is the archive now
    status = program_.env.SyncFolderOf(archivePath_);
    if (!status.ok()) return Stop(ReplaceFailureText(status.code()));
    return true;
  }

  bool ReplaceLog() {
    Status status = program_.env.ReplaceFile(workPath_, s_.CurrentLogPath);
    if (!status.ok()) return Stop(ReplaceFailureText(status.code()));
    workPath_.clear();  // it is the log now
    status = program_.env.SyncFolderOf(s_.CurrentLogPath);
    Abandon();
    // The new log is in place whatever this says; the user hears of it all
    // the same, since the purge may not outlive a power failure.
    if (!status.ok()) ReportLogFailure(program_, status);
    return true;
  }

  bool Stop(const std::string& text) {
    Abandon();
    ShowStop(program_, s_.CurrentLogOwner, text);
    return false;
  }

  // Closes every file; a work file not yet renamed into place is removed.
  // Nobody else opens one without first holding the lock of the file it
  // replaces, which this purge holds. A work file that cannot be removed is
  // harmless: the next purge empties it before use, so its failure is not
  // worth a box of its own.
  void Abandon() {
    if (archiveWork_ && !archiveWorkPath_.empty())
      static_cast<void>(program_.env.DeleteFile(archiveWorkPath_));
    if (work_ && !workPath_.empty()) static_cast<void>(program_.env.DeleteFile(workPath_));
    archiveWork_.reset();
    work_.reset();
    archive_.reset();
    log_.reset();
  }

  Program& program_;
  ProgramState& s_;
  const bool phoneLog_;
  std::unique_ptr<File> log_, work_, archive_, archiveWork_;
  std::string workPath_, archivePath_, archiveWorkPath_;
  std::string archived_;  // framed records bound for the archive
  int64_t newLength_ = 0;
};

// The poller compares the user's own log with this length. The log it
// watches shrank, which is no new call; a call posted after the purge makes
// the log longer than what was written here and is still announced. Any
// other log is none of the poller's business.
void RefreshPollBaseline(ProgramState& s, int64_t newLength) {
  if (s.MyIndex < 0 || static_cast<size_t>(s.MyIndex) >= s.PersonLog.size()) return;
  if (s.CurrentLogPath != s.PersonLog[static_cast<size_t>(s.MyIndex)]) return;
  s.LastLogLength = static_cast<int32_t>(newLength);
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
