#pragma once
// Every worker of the torture run says what it is about to do, and then what
// it did, in a journal file of its own, one line each: "post N" before a call
// is posted and "posted N" once PostMessage reported it delivered. A worker
// killed between the two leaves the first line alone, which is how the final
// accounting tells a call that may or may not have reached the log from one
// that surely did. A line is one write to a file opened for appending, so a
// killed worker leaves at most its last line torn; the reader drops a line
// without its newline, and the act it announced never began.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace telvo::torture {

class Journal {
 public:
  // Creates the file; a journal that cannot be written ends the worker with
  // status kJournalFailed, since nothing it did could be accounted for.
  explicit Journal(const std::string& path);
  ~Journal();
  Journal(const Journal&) = delete;
  Journal& operator=(const Journal&) = delete;

  void Note(std::string_view line);

 private:
  int fd_ = -1;
};

inline constexpr int kJournalFailed = 90;

// What the journals say about one call.
struct CallFacts {
  bool postStarted = false;
  bool posted = false;            // PostMessage reported it delivered
  bool refused = false;           // locked up or not delivered: must be in no file
  bool mayBeDeleted = false;      // a delete mark was written, or perhaps written
  bool mayBeArchived = false;     // likewise an archive mark
  bool surelyMarkedAway = false;  // a delete or archive mark surely written
  int exportsStarted = 0;
  int exportsDone = 0;  // ExportCall reported the line appended
};

struct JournalCounts {
  int64_t postsStarted = 0, posted = 0, postsRefused = 0, postsInterrupted = 0;
  int64_t postsUndelivered = 0;  // "The message was not delivered." and why
  int64_t marksStarted = 0, marksInterrupted = 0, marksStale = 0;
  std::map<std::string, int64_t> marksDone;  // by mark name
  int64_t exportsStarted = 0, exportsDone = 0, exportsStale = 0, exportsInterrupted = 0;
  int64_t purgesStarted = 0, purgesDone = 0, purgesRefused = 0, purgesInterrupted = 0;
};

struct RunFacts {
  std::map<int64_t, CallFacts> calls;
  JournalCounts counts;
  // Lines that are faults on their own: damage a worker's walk met, a
  // message box no worker expected, a line no worker writes.
  std::vector<std::string> faults;
};

// Reads every journal file in `folder`.
RunFacts ReadJournals(const std::string& folder);

}  // namespace telvo::torture
