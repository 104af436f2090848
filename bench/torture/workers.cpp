#include "workers.h"

#include <unistd.h>

#include <random>
#include <vector>

#include "journal.h"
#include "numbered_calls.h"
#include "service/call_actions.h"
#include "service/delivery.h"
#include "service/purge.h"
#include "store/folder_store.h"
#include "store/log_scan.h"
#include "store/phone_log.h"
#include "workstation.h"

namespace telvo::torture {
namespace {

bool Says(const std::string& texts, const char* text) {
  return texts.find(text) != std::string::npos;
}

// What the store says when it wrote nothing because the call moved or the
// log stayed locked.
bool NothingWritten(const std::string& texts) {
  return Says(texts, "Purge was performed by another user") ||
         Says(texts, "Message file is locked up");
}

class Worker {
 public:
  explicit Worker(const WorkerSetup& setup)
      : setup_(setup), station_(setup.logPath), journal_(setup.journalPath), random_(setup.seed) {}

  [[noreturn]] void Run() {
    for (int64_t n = 1;; ++n) {
      switch (setup_.kind) {
        case WorkerKind::kPoster:
          Post(setup_.incarnation * kNumbersPerPoster + n);
          break;
        case WorkerKind::kMarker:
          MarkSome();
          break;
        case WorkerKind::kExporter:
          ExportOne();
          break;
        case WorkerKind::kPurger:
          PurgeOnce();
          break;
      }
    }
  }

 private:
  struct Listed {
    int64_t start = 0;
    std::string body;
    int64_t number = 0;
  };

  void Pause(int fromMs, int toMs) {
    station_.env.SleepMs(std::uniform_int_distribution<int>(fromMs, toMs)(random_));
  }

  void Post(int64_t number) {
    journal_.Note("post " + std::to_string(number));
    station_.boxes.Clear();
    const bool delivered = PostMessage(station_.program, PadForCall(number));
    const std::string texts = station_.BoxTexts();
    if (delivered && texts.empty()) {
      journal_.Note("posted " + std::to_string(number));
    } else if (texts == "Message file is locked up") {
      journal_.Note("refused " + std::to_string(number));
    } else if (texts.starts_with("The message was not delivered.")) {
      // The share was refused or did not keep the call; the box says which.
      journal_.Note("undelivered " + std::to_string(number));
    } else {
      journal_.Note("box post " + std::to_string(number) + ": " + texts);
    }
    Pause(5, 40);
  }

  // Reservoir sampling: after `seen` calls were offered, each of them is
  // among the chosen with the same chance.
  void Offer(std::vector<Listed>& chosen, size_t wanted, size_t seen, Listed call) {
    if (chosen.size() < wanted) return chosen.push_back(std::move(call));
    const size_t pick = std::uniform_int_distribution<size_t>(0, seen)(random_);
    if (pick < wanted) chosen[pick] = std::move(call);
  }

  // Up to `wanted` calls of the log chosen at random among those `take`
  // accepts, read under the shared lock as the call list reads a page.
  template <typename Take>
  std::vector<Listed> Choose(size_t wanted, Take take) {
    std::vector<Listed> chosen;
    std::unique_ptr<File> log;
    // Nothing to choose this round while the log does not exist yet (no
    // call posted) or stays locked.
    if (!station_.store.opener().Open(setup_.logPath, FileAccess::kRead, &log).ok()) return chosen;
    int64_t length = 0;
    if (!log->Length(&length).ok()) return chosen;
    size_t seen = 0;
    Status status =
        ScanLog(*log, length,
                {.record =
                     [&](int64_t start, std::string_view body) {
                       const std::optional<int64_t> number = CallNumberOf(body);
                       if (!number || !take(*number, body[0])) return true;
                       Offer(chosen, wanted, seen++, {start, std::string(body), *number});
                       return true;
                     },
                 .damage =
                     [&](int64_t from, int64_t to) {
                       journal_.Note("damage " + std::to_string(from) + " " + std::to_string(to) +
                                     " seen by a " + KindName(setup_.kind));
                       return true;
                     }});
    if (!status.ok()) journal_.Note("box walk: failed read " + std::to_string(status.code()));
    return chosen;
  }

  // Puts the call in row 0 of the page, as the call list shows it, and
  // carries out `action` on it; returns the texts of the boxes it showed.
  std::string Apply(const Listed& call, int16_t action, bool answerYes) {
    ProgramState& s = station_.program.state;
    s.viewed.book = FolderBook("Ann", setup_.logPath);
    station_.boxes.Clear();
    if (answerYes) station_.boxes.Answer(kAnswerYes);
    SingleCallView view({CallId::Of(call.start, call.body), call.body});
    const bool done = ApplyCallAction(station_.program, view, 0, action);
    const std::string texts = station_.BoxTexts();
    return done || !texts.empty() ? texts : "failed without a box";
  }

  void MarkSome() {
    const auto mine = [&](int64_t number, char mark) {
      return number % setup_.slots == setup_.slot &&
             (mark == MARK_NEW || mark == MARK_IMPORTANT || mark == ' ');
    };
    for (const Listed& call : Choose(8, mine)) {
      static const std::pair<int16_t, const char*> kMarks[] = {{kActionDelete, "delete"},
                                                               {kActionArchive, "archive"},
                                                               {kActionImportant, "important"},
                                                               {kActionNew, "new"}};
      const int roll = std::uniform_int_distribution<int>(0, 99)(random_);
      const auto& [action, name] = kMarks[roll < 40 ? 0 : roll < 75 ? 1 : roll < 90 ? 2 : 3];
      const std::string number = std::to_string(call.number);
      journal_.Note("mark " + number + " " + name);
      const std::string texts = Apply(call, action, false);
      if (texts.empty()) {
        journal_.Note("marked " + number + " " + name);
      } else if (NothingWritten(texts)) {
        journal_.Note("unmarked " + number);
        break;  // the offsets are stale: list the log again
      } else {
        journal_.Note("box mark " + number + ": " + texts);
      }
      Pause(0, 20);
    }
    Pause(10, 60);
  }

  void ExportOne() {
    for (const Listed& call : Choose(1, [](int64_t, char) { return true; })) {
      const std::string number = std::to_string(call.number);
      journal_.Note("export " + number);
      const std::string texts = Apply(call, kActionExport, true);
      if (Says(texts, "Message exported.")) {
        journal_.Note("exported " + number);
      } else if (NothingWritten(texts)) {
        journal_.Note("unexported " + number);
      } else {
        journal_.Note("box export " + number + ": " + texts);
      }
    }
    Pause(50, 400);
  }

  void PurgeOnce() {
    Pause(100, 1200);
    journal_.Note("purge");
    station_.boxes.Clear();
    station_.program.state.viewed.book = FolderBook("Ann", setup_.logPath);
    const bool purged = PurgeCalls(station_.program);
    const std::string texts = station_.BoxTexts();
    if (purged && texts.empty()) {
      journal_.Note("purged");
    } else if (texts == "Message file is locked up") {
      journal_.Note("unpurged");
    } else {
      journal_.Note("box purge: " + texts);
    }
  }

  const WorkerSetup& setup_;
  Workstation station_;
  Journal journal_;
  std::mt19937 random_;
};

}  // namespace

const char* KindName(WorkerKind kind) {
  switch (kind) {
    case WorkerKind::kPoster:
      return "poster";
    case WorkerKind::kMarker:
      return "marker";
    case WorkerKind::kExporter:
      return "exporter";
    case WorkerKind::kPurger:
      return "purger";
  }
  return "?";
}

void RunWorker(const WorkerSetup& setup) { Worker(setup).Run(); }

}  // namespace telvo::torture
