#pragma once
// The store on a shared folder: each person's calls are a phone log in
// their folder, opened under a lock for one operation at a time, which is
// all the workstations of a workgroup share.

#include <memory>
#include <string>

#include "store/locked_open.h"
#include "store/phone_store.h"

namespace telvo {

// The export file's line for a call: date, time, caller, phone and message,
// each in double quotation marks (a quotation mark inside doubled),
// separated by commas, ended by CR LF; the mark is left out.
std::string ExportLine(std::string_view body);

// The book of a log file named by its path, under `owner`'s name: beside a
// phone log lie its archive and its export file; any other file is a book
// of its own, whose archive-marked calls stay.
CallBook FolderBook(const std::string& owner, const std::string& logFile);

// An alert as it is kept: the text (lines ended by CR LF), CR LF, then
// "Posted h:mm AM/PM mm-dd-yyyy" and CR LF. ReadAlert gives back all but
// the final CR LF.
std::string AlertFileBytes(std::string_view text, const LocalDateTime& now);

// How ReadPage and ReadCall open a log. The windows open it as a writer
// does: a log not there yet is made, and a torn tail that a killed writer
// left is cut off first. An administrator's tool only looks: under the
// shared lock, a missing log is an empty one, and nothing is written.
enum class LogReads { kAsWriter, kLookOnly };

class FolderStore : public PhoneStore {
 public:
  explicit FolderStore(Env& env, LogReads reads = LogReads::kAsWriter)
      : opener_(env), reads_(reads) {}

  StoreError Post(const Person& to, std::string_view body) override;
  CallPage ReadPage(const CallBook& book, const CallId& from, PageDirection direction,
                    int count) override;
  CallRead ReadCall(const CallBook& book, const CallId& id) override;
  CallRead Mark(const CallBook& book, const CallId& id, char mark) override;
  StoreError Export(const Person& owner, const Call& call) override;
  PurgeResult Purge(const CallBook& book) override;
  AlertRead ReadAlert(const Person& owner) override;
  StoreError WriteAlert(const Person& owner, std::string_view text,
                        const LocalDateTime& now) override;
  StoreError RemoveAlert(const Person& owner) override;
  StoreError RemoveAlertIf(const Person& owner, std::string_view expected, bool* removed) override;
  StoreError Watermark(const Person& whose, int64_t* mark) override;

  Env& env() { return opener_.env(); }
  LockedOpener& opener() { return opener_; }

 private:
  // A phone log open for update under its lock, its torn tail repaired;
  // or, for a look only, open for reading or missing (no file, length 0).
  struct OpenLog {
    StoreError error;
    std::unique_ptr<File> file;
    int64_t length = 0;
    // Written but not readable: posting may go on, viewing may not.
    bool readable = true;
  };
  OpenLog Open(const std::string& path);
  // The log opened as reads_ says.
  OpenLog OpenToRead(const std::string& path);
  // The file that holds `book`.
  static const std::string& PathOf(const CallBook& book) { return book.file(); }
  // The log open and the call `id` names read from it, or why not.
  CallRead Find(OpenLog& log, const CallId& id);

  LockedOpener opener_;
  LogReads reads_;
};

}  // namespace telvo
