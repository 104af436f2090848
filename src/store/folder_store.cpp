#include "store/folder_store.h"

#include "core/call_fields.h"
#include "store/phone_log.h"
#include "store/torn_tail.h"
#include "store/verified_append.h"

namespace telvo {
namespace {

// A build made only to show that the share test can fail
// (-DTELVO_UNVERIFIED_POSTS=ON) posts as Telvo did before shares were
// checked: it neither refuses an unsafe share nor verifies the append.
#ifdef TELVO_UNVERIFIED_POSTS
constexpr bool kVerifyPosts = false;
#else
constexpr bool kVerifyPosts = true;
#endif

StoreError FromRead(const RecordRead& read) {
  if (read.outcome == ReadOutcome::kFailed) return StoreError::From(read.status);
  return StoreError::Damaged(read.damageAt);
}

StoreError Unreadable() {
  StoreError error;
  error.kind = StoreError::Kind::kUnreadable;
  return error;
}

std::string Quoted(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

}  // namespace

std::string ExportLine(std::string_view body) {
  const CallFields call = ParseCallBody(body);
  return Quoted(call.date) + "," + Quoted(call.time) + "," + Quoted(call.caller) + "," +
         Quoted(call.phone) + "," + Quoted(call.message) + "\r\n";
}

CallBook FolderBook(const std::string& owner, const std::string& logFile) {
  CallBook book{{.name = owner, .log = logFile}};
  // The archive is found from the log's own path rather than from the
  // people list, which may have been reloaded since the log was chosen.
  if (IsPhoneLogPath(logFile)) book.owner.archive = BesideLog(logFile, "ARCHIVE");
  book.owner.exportFile = BesideLog(logFile, "EXPORT.TXT");
  return book;
}

FolderStore::OpenLog FolderStore::Open(const std::string& path) {
  OpenLog log;
  Status status = opener_.Open(path, FileAccess::kUpdate, &log.file);
  if (!status.ok()) {
    log.error = StoreError::From(status);
    return log;
  }
  std::string probe;
  status = log.file->ReadAt(0, 2, &probe);
  // Written but not readable: posting may go on; viewing may not.
  if (status.code() == kPathFileAccessError) {
    log.readable = false;
    status = Status::Ok();
  }
  // The length always comes from the file just opened, so an append lands at
  // its real end even when the probe was denied.
  if (status.ok()) status = log.file->Length(&log.length);
  // A writer killed in mid-append left part of a record at the end: cut
  // off (and kept beside the log) before anything lands behind it. A log
  // that may not be read cannot be judged and is left as it is.
  if (status.ok() && log.readable)
    status = RepairTornTail(env(), path, *log.file, &log.length, TailCheck::kQuick);
  if (!status.ok()) {
    // Once the file is open, whatever fails is the file's failure.
    log.error = StoreError::From(status);
    log.error.kind = StoreError::Kind::kFailed;
    log.file.reset();
  }
  return log;
}

FolderStore::OpenLog FolderStore::OpenToRead(const std::string& path) {
  if (reads_ == LogReads::kAsWriter) return Open(path);
  OpenLog log;
  Status status = opener_.Open(path, FileAccess::kRead, &log.file);
  if (status.ok()) status = log.file->Length(&log.length);
  if (status.code() == kFileNotFound) return {};
  if (!status.ok()) {
    log.error = StoreError::From(status);
    log.file.reset();
  }
  return log;
}

StoreError FolderStore::Post(const Person& to, std::string_view body) {
  const std::string shareProblem = kVerifyPosts ? env().UnsafeShareProblem(to.log) : "";
  if (!shareProblem.empty()) {
    StoreError refused;
    refused.kind = StoreError::Kind::kUnsafeShare;
    refused.detail = shareProblem;
    return refused;
  }
  OpenLog log = Open(to.log);
  if (!log.error.ok()) return log.error;
  const std::string record = FrameRecord(body);
  const Status status = kVerifyPosts ? AppendVerified(*log.file, log.length, record)
                                     : AppendDurably(*log.file, log.length, record);
  if (status.ok() || status.code() == kNotKept) return StoreError::From(status);
  StoreError failed = StoreError::From(status);
  failed.kind = StoreError::Kind::kWriteFailed;
  return failed;
}

CallRead FolderStore::Find(OpenLog& log, const CallId& id) {
  CallRead found;
  if (!log.file) return {StoreError::Stale(), {}};  // a missing log holds no call
  const RecordRead read = ReadRecordAt(*log.file, log.length, id.position);
  if (read.outcome == ReadOutcome::kFailed) {
    found.error = StoreError::From(read.status);
  } else if (read.outcome != ReadOutcome::kRecord ||
             !id.Names(read.record.start, read.record.body)) {
    found.error = StoreError::Stale();
  } else {
    found.call = {CallId::Of(read.record.start, read.record.body), read.record.body};
  }
  return found;
}

CallPage FolderStore::ReadPage(const CallBook& book, const CallId& from, PageDirection direction,
                               int count) {
  CallPage page;
  OpenLog log = OpenToRead(PathOf(book));
  page.error = log.readable ? log.error : Unreadable();
  if (!page.error.ok()) return page;
  page.logEmpty = log.length < 1;
  if (!log.file) {
    if (from.position >= 0) page.error = StoreError::Stale();
    return page;
  }
  int64_t next = direction == PageDirection::kOlder ? log.length : 0;
  if (from.position >= 0) {
    CallRead anchor = Find(log, from);
    if (!anchor.error.ok()) {
      page.error = anchor.error;
      return page;
    }
    next = direction == PageDirection::kOlder
               ? from.position
               : from.position + static_cast<int64_t>(anchor.call.body.size()) + 4;
  }
  while (static_cast<int>(page.calls.size()) < count) {
    const RecordRead read = direction == PageDirection::kOlder
                                ? ReadRecordBefore(*log.file, log.length, next)
                                : ReadRecordAt(*log.file, log.length, next);
    if (read.outcome == ReadOutcome::kNone) break;
    if (read.outcome != ReadOutcome::kRecord) {
      page.error = FromRead(read);
      return page;
    }
    next = direction == PageDirection::kOlder ? read.record.start : read.record.end();
    page.calls.push_back({CallId::Of(read.record.start, read.record.body), read.record.body});
  }
  page.more = direction == PageDirection::kOlder ? next > 0 : next < log.length;
  return page;
}

CallRead FolderStore::ReadCall(const CallBook& book, const CallId& id) {
  OpenLog log = OpenToRead(PathOf(book));
  if (!log.error.ok()) return {log.error, {}};
  return Find(log, id);
}

CallRead FolderStore::Mark(const CallBook& book, const CallId& id, char mark) {
  OpenLog log = Open(PathOf(book));
  if (!log.error.ok()) return {log.error, {}};
  CallRead found = Find(log, id);
  if (!found.error.ok()) return found;
  // The one byte that changes in place; synced like an append, so a mark the
  // user saw redrawn is on the disk.
  Status status = log.file->WriteAt(id.position + 2, std::string(1, mark));
  if (status.ok()) status = log.file->Sync();
  if (!status.ok()) return {StoreError::From(status), {}};
  return Find(log, id);
}

StoreError FolderStore::Export(const Person& owner, const Call& call) {
  // Two workstations exporting at the same moment collide on the lock for an
  // instant only, so a held lock is waited for the way a phone log's is.
  const std::string& path = owner.exportFile;
  const bool existed = env().FileExists(path);
  std::unique_ptr<File> file;
  Status status = opener_.Open(path, FileAccess::kUpdate, &file);
  if (!status.ok()) return StoreError::From(status);
  int64_t length = 0;
  status = file->Length(&length);
  if (status.ok()) status = AppendDurably(*file, length, ExportLine(call.body));
  file.reset();
  // A failed first export leaves no empty EXPORT.TXT behind; removing it
  // can only fail where it would do no harm to leave it.
  if (!status.ok() && !existed && length == 0) static_cast<void>(env().DeleteFile(path));
  return StoreError::From(status);
}

StoreError FolderStore::Watermark(const Person& whose, int64_t* mark) {
  return StoreError::From(env().FileLength(whose.log, mark));
}

}  // namespace telvo
