#include "accounting.h"

#include <charconv>
#include <cstdio>
#include <map>

#include "core/call_fields.h"
#include "numbered_calls.h"

namespace telvo::torture {
namespace {

bool IsKept(char mark) { return mark == ' ' || mark == MARK_NEW || mark == MARK_IMPORTANT; }

// The number in the caller field of an export line: "date","time","T<n>",...
std::optional<int64_t> CallNumberOfExportLine(const std::string& line) {
  const size_t afterDate = line.find("\",\"");
  if (afterDate == std::string::npos) return std::nullopt;
  const size_t afterTime = line.find("\",\"", afterDate + 1);
  if (afterTime == std::string::npos || line.compare(afterTime, 4, "\",\"T") != 0)
    return std::nullopt;
  const size_t from = afterTime + 4;
  const size_t to = line.find('"', from);
  if (to == std::string::npos) return std::nullopt;
  int64_t number = 0;
  const auto [end, error] = std::from_chars(line.data() + from, line.data() + to, number);
  if (error != std::errc() || end != line.data() + to) return std::nullopt;
  return number;
}

struct Found {
  int inLog = 0;
  int inArchive = 0;
  int exportLines = 0;
};

class Accountant {
 public:
  Accountant(RunFacts& facts, const FinalState& final) : facts_(facts), final_(final) {
    faults_ = facts.faults;
    faults_.insert(faults_.end(), final.faults.begin(), final.faults.end());
  }

  void CheckFiles() {
    for (const FileRecord& record : final_.log) CheckRecord(record, false);
    for (size_t i = 0; i < final_.archive.size(); ++i) {
      const FileRecord& record = final_.archive[i];
      const std::optional<int64_t> number = CallNumberOf(record.body);
      if (number == kLastArchivedCall) {
        ++lastArchivedSeen_;
        if (i + 1 != final_.archive.size())
          Fault("the call the last purge archived is not the archive's last");
        continue;
      }
      CheckRecord(record, true);
    }
    if (lastArchivedSeen_ != (final_.lastCallPosted ? 1 : 0))
      Fault("the call the last purge archived is in the archive " +
            std::to_string(lastArchivedSeen_) + " times");
    CheckExportLines();
  }

  void CheckEveryCall() {
    for (const auto& [number, call] : facts_.calls) {
      const Found& found = found_[number];
      const std::string name = "call " + std::to_string(number);
      if (found.inLog > 1) Fault(name + " is in the log " + std::to_string(found.inLog) + " times");
      if (found.inLog && found.inArchive) Fault(name + " is in both the log and the archive");
      if (found.inLog && call.surelyMarkedAway)
        Fault(name + " is still in the log after it was marked for deletion or the archive");
      // A purge killed after appending to the archive leaves the call in the
      // log too; the next purge cuts that append off before archiving it again.
      if (found.inArchive > 1)
        Fault(name + " is in the archive " + std::to_string(found.inArchive) + " times");
      extraArchiveCopies_ += found.inArchive > 1 ? found.inArchive - 1 : 0;
      if (found.exportLines < call.exportsDone)
        Fault(name + " was exported but EXPORT.TXT lacks its line");
      if (found.exportLines > call.exportsStarted)
        Fault(name + " has more lines in EXPORT.TXT than it had exports");
      const bool anywhere = found.inLog || found.inArchive;
      if (call.posted) {
        ++posted_;
        if (found.inLog)
          ++postedInLog_;
        else if (found.inArchive)
          ++postedInArchive_;
        else if (call.mayBeDeleted)
          ++postedDeleted_;
        else
          Fault(name + " was delivered and is lost: in neither file, never marked delete");
      } else if (call.refused) {
        if (anywhere) Fault(name + " was refused but is in a file");
      } else if (call.postStarted) {
        ++interrupted_;
        if (!anywhere) ++interruptedAbsent_;
        if (!anywhere && call.mayBeDeleted) ++interruptedDeleted_;
      }
    }
  }

  void Print(const RunPlan& plan, const RunCounts& run, int64_t purgesKilled) const {
    const JournalCounts& c = facts_.counts;
    auto line = [](const char* label, const std::string& value) {
      std::printf("  %-28s %s\n", label, value.c_str());
    };
    auto n = [](int64_t value) { return std::to_string(value); };
    std::string workers;
    for (int k = 0; k < kWorkerKinds; ++k) {
      const int count = plan.workers[static_cast<size_t>(k)];
      workers += ", " + n(count) + " " + KindName(static_cast<WorkerKind>(k));
      if (count != 1) workers += "s";
    }
    std::printf("torture run: %.0f s%s\n", plan.seconds, workers.c_str());
    std::string started, killed;
    int64_t kills = 0;
    for (int k = 0; k < kWorkerKinds; ++k) {
      const char* kind = KindName(static_cast<WorkerKind>(k));
      started += (k ? ", " : "") + n(run.started[static_cast<size_t>(k)]) + " " + kind + "s";
      killed += (k ? ", " : "") + n(run.killed[static_cast<size_t>(k)]) + " " + kind + "s";
      kills += run.killed[static_cast<size_t>(k)];
    }
    line("workers started:", started);
    line("killed with SIGKILL:", n(kills) + " (" + killed + ")");
    line("posts:", n(c.postsStarted) + " begun, " + n(c.posted) + " delivered, " +
                       n(c.postsRefused) + " refused (log locked up), " + n(c.postsUndelivered) +
                       " not delivered, " + n(c.postsInterrupted) + " cut short by a kill");
    std::string done;
    int64_t marked = 0;
    for (const auto& [mark, count] : c.marksDone) {
      done += (done.empty() ? "" : ", ") + n(count) + " " + mark;
      marked += count;
    }
    line("marks:", n(c.marksStarted) + " begun, " + n(marked) + " written (" + done + "), " +
                       n(c.marksStale) + " refused (call moved or log locked), " +
                       n(c.marksInterrupted) + " cut short");
    line("exports:", n(c.exportsStarted) + " begun, " + n(c.exportsDone) + " done, " +
                         n(c.exportsStale) + " refused, " + n(c.exportsInterrupted) +
                         " cut short; " + n(exportLines_) + " lines in EXPORT.TXT");
    line("purges:", n(c.purgesStarted) + " begun, " + n(c.purgesDone) + " done, " +
                        n(c.purgesRefused) + " refused (log locked up), " + n(purgesKilled) +
                        " cut short by a kill");
    line("final log:",
         n(static_cast<int64_t>(final_.log.size())) + " calls, " + n(final_.logBytes) + " bytes");
    line("final archive:", n(static_cast<int64_t>(final_.archive.size())) + " calls, " +
                               n(final_.archiveBytes) + " bytes, " + n(extraArchiveCopies_) +
                               " second copies left by killed purges");
    line("delivered calls:",
         n(posted_) + ": " + n(postedInLog_) + " in the log, " + n(postedInArchive_) +
             " in the archive, " + n(postedDeleted_) + " deleted, " +
             n(posted_ - postedInLog_ - postedInArchive_ - postedDeleted_) + " lost");
    line("posts cut short:", n(interrupted_) + ": " + n(interrupted_ - interruptedAbsent_) +
                                 " reached the files, " + n(interruptedAbsent_) +
                                 " are in neither (" + n(interruptedDeleted_) +
                                 " of them marked delete)");
    line("faults:", n(static_cast<int64_t>(faults_.size())));
    for (const std::string& fault : faults_) std::fprintf(stderr, "torture: %s\n", fault.c_str());
  }

  void AddFaults(const std::vector<std::string>& more) {
    faults_.insert(faults_.end(), more.begin(), more.end());
  }
  int64_t faults() const { return static_cast<int64_t>(faults_.size()); }

 private:
  void Fault(const std::string& text) { faults_.push_back(text); }

  void CheckRecord(const FileRecord& record, bool inArchive) {
    const std::string where = std::string(inArchive ? "the archive" : "the log") + " at byte " +
                              std::to_string(record.start);
    const std::optional<int64_t> number = CallNumberOf(record.body);
    if (!number) return Fault(where + " holds a record that is no call of the run");
    const auto known = facts_.calls.find(*number);
    if (known == facts_.calls.end() || !known->second.postStarted)
      return Fault(where + " holds call " + std::to_string(*number) + ", never posted");
    // The mark may have changed; every other byte is as posted.
    if (record.body.compare(1, std::string::npos, BodyOfCall(*number), 1) != 0)
      Fault(where + ": call " + std::to_string(*number) + " is not as it was posted");
    const char mark = record.body[0];
    if (inArchive) {
      ++found_[*number].inArchive;
      if (mark != MARK_ARCHIVE) Fault(where + ": an archived call not marked archive");
      if (!known->second.mayBeArchived) Fault(where + ": a call never marked archive");
    } else {
      ++found_[*number].inLog;
      if (!IsKept(mark))
        Fault(where + ": the last purge left a call marked " +
              std::to_string(static_cast<int>(mark)));
    }
  }

  // Whole lines only, each the line of one call of the run.
  void CheckExportLines() {
    const std::string& text = final_.exportText;
    size_t at = 0;
    for (size_t end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2) {
      const std::string line = text.substr(at, end + 2 - at);
      ++exportLines_;
      const std::optional<int64_t> number = CallNumberOfExportLine(line);
      if (!number || line != ExportLineOfCall(*number)) {
        Fault("EXPORT.TXT at byte " + std::to_string(at) + " holds a line of no call");
        continue;
      }
      ++found_[*number].exportLines;
    }
    if (at != text.size()) Fault("EXPORT.TXT ends in part of a line at byte " + std::to_string(at));
  }

  RunFacts& facts_;
  const FinalState& final_;
  std::vector<std::string> faults_;
  std::map<int64_t, Found> found_;
  int lastArchivedSeen_ = 0;
  int64_t exportLines_ = 0, extraArchiveCopies_ = 0;
  int64_t posted_ = 0, postedInLog_ = 0, postedInArchive_ = 0, postedDeleted_ = 0;
  int64_t interrupted_ = 0, interruptedAbsent_ = 0, interruptedDeleted_ = 0;
};

}  // namespace

int64_t AccountForEveryCall(const RunPlan& plan, const RunCounts& run, RunFacts& facts,
                            const FinalState& final) {
  Accountant accountant(facts, final);
  const int64_t purgesKilled = facts.counts.purgesInterrupted;
  accountant.CheckFiles();
  accountant.CheckEveryCall();
  accountant.AddFaults(run.unexpectedEnds);
  accountant.Print(plan, run, purgesKilled);
  return accountant.faults();
}

}  // namespace telvo::torture
