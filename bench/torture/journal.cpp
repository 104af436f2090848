#include "journal.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

namespace telvo::torture {

Journal::Journal(const std::string& path) {
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd_ < 0) ::_exit(kJournalFailed);
}

Journal::~Journal() {
  if (fd_ >= 0) ::close(fd_);
}

void Journal::Note(std::string_view line) {
  std::string text(line);
  text.push_back('\n');
  // One write, so no other line can come between its parts; a short write
  // is a full disk, after which the worker could account for nothing.
  ssize_t written;
  do written = ::write(fd_, text.data(), text.size());
  while (written < 0 && errno == EINTR);
  if (written != static_cast<ssize_t>(text.size())) ::_exit(kJournalFailed);
}

namespace {

bool IsTerminalMark(const std::string& mark) { return mark == "delete" || mark == "archive"; }

// One journal, in order. A worker does one thing at a time, so at most one
// act of each kind is open: begun and not yet concluded.
class JournalReader {
 public:
  JournalReader(RunFacts& facts, const std::string& name) : facts_(facts), name_(name) {}

  void Line(const std::string& line) {
    std::istringstream words(line);
    std::string verb;
    int64_t number = 0;
    words >> verb;
    JournalCounts& c = facts_.counts;
    if (verb == "box" || verb == "damage") {
      facts_.faults.push_back(name_ + ": " + line);
      return;
    }
    if (verb == "purge") {
      CloseOpenPurge();
      openPurge_ = true;
      ++c.purgesStarted;
      return;
    }
    if (verb == "purged" || verb == "unpurged") {
      (verb == "purged" ? c.purgesDone : c.purgesRefused) += openPurge_;
      openPurge_ = false;
      return;
    }
    if (!(words >> number)) return Unknown(line);
    CallFacts& call = facts_.calls[number];
    std::string mark;
    if (verb == "post") {
      CloseOpenPost();
      openPost_ = number;
      call.postStarted = true;
      ++c.postsStarted;
    } else if (verb == "posted" || verb == "refused" || verb == "undelivered") {
      (verb == "posted" ? call.posted : call.refused) = true;
      ++(verb == "posted" ? c.posted : verb == "refused" ? c.postsRefused : c.postsUndelivered);
      openPost_.reset();
    } else if (verb == "mark" && words >> mark) {
      CloseOpenMark();
      openMark_ = {number, mark};
      ++c.marksStarted;
    } else if (verb == "marked" && words >> mark) {
      Marked(call, mark);
      call.surelyMarkedAway |= IsTerminalMark(mark);
      ++c.marksDone[mark];
      openMark_.reset();
    } else if (verb == "unmarked") {
      ++c.marksStale;
      openMark_.reset();
    } else if (verb == "export") {
      CloseOpenExport();
      openExport_ = number;
      ++call.exportsStarted;
      ++c.exportsStarted;
    } else if (verb == "exported") {
      ++call.exportsDone;
      ++c.exportsDone;
      openExport_.reset();
    } else if (verb == "unexported") {
      ++c.exportsStale;
      openExport_.reset();
    } else {
      Unknown(line);
    }
  }

  // Whatever is still open when the journal ends was cut short by SIGKILL:
  // it may or may not have happened.
  void End() {
    CloseOpenPost();
    CloseOpenMark();
    CloseOpenExport();
    CloseOpenPurge();
  }

 private:
  void Marked(CallFacts& call, const std::string& mark) {
    if (mark == "delete") call.mayBeDeleted = true;
    if (mark == "archive") call.mayBeArchived = true;
  }
  void CloseOpenPost() {
    if (openPost_) ++facts_.counts.postsInterrupted;
    openPost_.reset();
  }
  void CloseOpenMark() {
    if (openMark_) {
      Marked(facts_.calls[openMark_->first], openMark_->second);
      ++facts_.counts.marksInterrupted;
    }
    openMark_.reset();
  }
  void CloseOpenExport() {
    if (openExport_) ++facts_.counts.exportsInterrupted;
    openExport_.reset();
  }
  void CloseOpenPurge() {
    facts_.counts.purgesInterrupted += openPurge_;
    openPurge_ = false;
  }
  void Unknown(const std::string& line) {
    facts_.faults.push_back(name_ + ": a line no worker writes: " + line);
  }

  RunFacts& facts_;
  std::string name_;
  std::optional<int64_t> openPost_, openExport_;
  std::optional<std::pair<int64_t, std::string>> openMark_;
  bool openPurge_ = false;
};

}  // namespace

RunFacts ReadJournals(const std::string& folder) {
  RunFacts facts;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::ifstream in(entry.path(), std::ios::binary);
    std::stringstream whole;
    whole << in.rdbuf();
    const std::string text = whole.str();
    JournalReader reader(facts, entry.path().filename().string());
    // A last line without its newline is torn: the act it announced never
    // began.
    for (size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1)
      reader.Line(text.substr(at, end - at));
    reader.End();
  }
  return facts;
}

}  // namespace telvo::torture
