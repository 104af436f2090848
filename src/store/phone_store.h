#pragma once
// What the windows, telvo-log and the popup ask of the place where calls are
// kept. Values go in and come out: nothing behind this interface shows a box
// or reads the program's state, and every outcome a caller must tell apart
// is in the result. A shared folder is one such place (FolderStore), a
// PostgreSQL database another (DatabaseStore, store/database/).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/pad_values.h"
#include "core/person.h"
#include "platform/env.h"
#include "platform/status.h"

namespace telvo {

// Names a call as it was read: where it stood and a digest of its body
// without the mark, so a mark set elsewhere leaves it the same call while a
// call that a purge elsewhere moved into its place is another. The folder
// store's position is the offset of the record in the log, the database
// store's the call's sequence number.
struct CallId {
  int64_t position = -1;
  // 16 hex digits of the body's digest. One typed by a person (telvo-log
  // shows the last 8) may be shorter: an id matches a call whose digest it
  // ends.
  std::string digest;

  // "1234:9f3a01bc", as telvo-log lists a call and takes it back.
  std::string ToText() const;
  static std::optional<CallId> FromText(std::string_view text);
  // Does `body` (mark included), read at `position`, match this id?
  bool Names(int64_t at, std::string_view body) const;
  static CallId Of(int64_t position, std::string_view body);
};

struct Call {
  CallId id;
  // The record's body as stored: the mark byte, then date, caller, time,
  // phone and message, each ended by 0x11.
  std::string body;
};

// What went wrong, in terms a window can put into words and telvo-log into
// an exit status. The status carries the classic code and the file.
struct StoreError {
  enum class Kind {
    kNone,
    kLocked,        // the file's lock stayed held through every retry
    kNoFolder,      // the person's folder does not exist (76)
    kSymbolicLink,  // the file is a link, which is neither written through nor replaced
    kUnreadable,    // the log may be written but not read: its calls cannot be viewed
    kDamaged,       // the log's lengths cannot be trusted at `at`
    kStale,         // the call named is no longer where it was read
    kUnsafeShare,   // the share loses appends: `detail` says why
    kNotKept,       // the append did not read back as written
    kWriteFailed,   // writing the call failed: nothing of it is left in the file
    kFailed,        // any other failure of `status`
    // The database store's: `detail` is the server's (or libpq's) message,
    // or the store's own words where it refuses what it found there.
    kDatabaseUnreachable,  // no connection could be made, or it was lost
    kDatabaseRefused,      // the server refused the request, or the store the database
  };
  Kind kind = Kind::kNone;
  Status status;
  int64_t at = 0;
  std::string detail;

  bool ok() const { return kind == Kind::kNone; }
  static StoreError From(const Status& status);
  static StoreError Damaged(int64_t at);
  static StoreError Stale();
  static StoreError Database(Kind kind, std::string message);
};

// A page of calls next to a cursor, and what lies beyond it.
struct CallPage {
  StoreError error;
  std::vector<Call> calls;  // nearest the cursor first
  bool logEmpty = false;    // the person has no call at all
  bool more = false;        // calls lie beyond the last one returned
};

enum class PageDirection {
  kOlder,  // newest first, from just older than the cursor
  kNewer,  // oldest first, from just newer than the cursor
};

struct CallRead {
  StoreError error;
  Call call;
};

struct AlertRead {
  StoreError error;
  bool exists = false;
  std::string text;  // without the final line end
};

// A purge's outcome: its failure, after which the log and the archive are
// as they were (but see undoError), or its success, perhaps with a warning.
struct PurgeResult {
  enum class Failure {
    kNone,
    kLog,          // `error` opening or reading the log, or a lock held elsewhere
    kWorkFile,     // the work file could not be made
    kArchiveFile,  // the archive could not be opened
    kWrite,        // writing the work file or the archive failed
    kRename,       // the new log could not replace the old
  };
  Failure failure = Failure::kNone;
  StoreError error;
  // The calls appended to the archive could not be cut off again after a
  // failure: they stand in the archive and the log both.
  StoreError undoError;
  // The purge is in place, but the folder was not synced after it.
  StoreError unsynced;
  int64_t newLength = 0;
  bool ok() const { return failure == Failure::kNone; }
};

// Tells of calls posted to one person, on a connection of its own, for a
// store that can ring: the program's poller and telvo-popup wait on it
// instead of looking at the store again and again.
class CallListener {
 public:
  virtual ~CallListener() = default;
  // The calls posted since the last look, oldest first, waiting for
  // nothing. The first look that reaches the store only sets the starting
  // point: calls already there are no news. After a failure the next look
  // is tried only once RetryDelayMs() has passed (until then it gives the
  // failure again), and the first one that reaches the store again brings
  // the calls posted meanwhile.
  virtual StoreError TakeNews(std::vector<Call>* news) = 0;
  // A socket that becomes readable when news may have come; -1 while the
  // store is not reached.
  virtual int socket() const = 0;
  // How long to wait after a failure before looking again; it grows with
  // each failure in a row.
  virtual int RetryDelayMs() const = 0;
};

class PhoneStore {
 public:
  virtual ~PhoneStore() = default;

  // Appends a call to `to`'s phone log. When this returns without an error
  // the call is on the recipient's disk: it is delivered.
  virtual StoreError Post(const Person& to, std::string_view body) = 0;
  // Posts a forward of `forwarded` as Post does. A store with an audit
  // trail records the forward in the same transaction; the folder's has
  // none, and only posts.
  virtual StoreError PostForward(const Person& to, std::string_view body,
                                 const ForwardedCall& /*forwarded*/) {
    return Post(to, body);
  }

  // Up to `count` calls next to `from` in `direction`. A default CallId
  // stands for the end beyond the newest call. A `from` that no longer
  // names its call is kStale: every remembered position may have moved.
  virtual CallPage ReadPage(const CallBook& book, const CallId& from, PageDirection direction,
                            int count) = 0;
  // The call `id` names, as it is now (its mark may have changed).
  virtual CallRead ReadCall(const CallBook& book, const CallId& id) = 0;
  // Sets the mark of the call `id` names and gives back the call marked.
  virtual CallRead Mark(const CallBook& book, const CallId& id, char mark) = 0;
  // Appends the call as a line of its owner's export file.
  virtual StoreError Export(const Person& owner, const Call& call) = 0;
  // Drops the answered calls and moves the ones marked for the archive
  // there (from the archive itself, only drops).
  virtual PurgeResult Purge(const CallBook& book) = 0;

  virtual AlertRead ReadAlert(const Person& owner) = 0;
  virtual StoreError WriteAlert(const Person& owner, std::string_view text,
                                const LocalDateTime& now) = 0;
  virtual StoreError RemoveAlert(const Person& owner) = 0;
  // Removes the alert under its lock only while it is still `expected` (as
  // ReadAlert gave it); `removed` says whether it was.
  virtual StoreError RemoveAlertIf(const Person& owner, std::string_view expected,
                                   bool* removed) = 0;

  // A number that grows with every call posted to `whose` and may fall
  // after a purge: the poller announces growth.
  virtual StoreError Watermark(const Person& whose, int64_t* mark) = 0;

  // Whether a post tells the recipient by itself, so that no notification
  // datagram is to be sent after it.
  virtual bool NotifiesRecipients() const { return false; }
  // A listener for calls posted to `whose`, or null where the store cannot
  // ring and the Watermark must be watched instead.
  virtual std::unique_ptr<CallListener> ListenFor(const Person& /*whose*/) { return nullptr; }
};

}  // namespace telvo
