// Paging through the call list: the newest page and a page from the middle
// of logs from 1 KB to 1 GB, listed by the real paging engine onto a canvas
// that measures text trivially. Every log ends with the same 1 KB of calls
// and holds them once more at its middle, so each page shows the same calls
// whatever the size of the log; its floor is the same page of the 1 KB log,
// measured in the same run.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "bench_support.h"
#include "core/message_boxes.h"
#include "core/program.h"
#include "platform/posix_env.h"
#include "quiet_reporter.h"
#include "store/folder_store.h"
#include "ui/calllist/call_paging_engine.h"

namespace telvo::bench {
namespace {

using Clock = std::chrono::steady_clock;

// Every character one unit wide, as in the engine's own test, and lines
// 3.5 units high: four of the shared calls fill a page, and the fifth is read
// and found not to fit, as on any full page.
class PlainCanvas : public CallCanvas {
 public:
  void Clear() override { rows = 0; }
  double TextWidth(std::string_view text) override { return static_cast<double>(text.size()); }
  double LineHeight() override { return 3.5; }
  void SetTextColor(int) override {}
  void DrawText(double, double, std::string_view) override {}
  void ShowRowIcon(int row, double, CallIcon) override { rows = std::max(rows, row + 1); }

  int rows = 0;
};

struct Page {
  std::vector<double> seconds;  // single pages, from every repetition
  int calls = 0;                // calls the page showed
};

std::map<std::string, Page>& Pages() {
  static std::map<std::string, Page> pages;
  return pages;
}

std::string Key(bool middle, int64_t size) {
  return (middle ? "middle/" : "newest/") + std::to_string(size);
}

// Lists the newest page, or the page of the calls older than `anchor`, as
// "Next" does when the call at `anchor` is the last one on the screen.
void ListPages(benchmark::State& state, const std::string& log, int64_t size, bool middle,
               int64_t anchor) {
  PosixEnv env;
  ScriptedMessageBoxes boxes;
  Program program(env, boxes);
  FolderStore store(env);
  program.store = &store;
  PlainCanvas canvas;
  CallPagingEngine engine(program, canvas);
  engine.SetBook({{.name = "Ann", .log = log}});
  const std::string anchorBody = middle ? RecordBodyAt(log, anchor) : "";
  const Call anchorCall{CallId::Of(anchor, anchorBody), anchorBody};
  auto listPage = [&] {
    if (!middle) return engine.LatestPage();
    engine.ShowCallsOlderThan(anchorCall);
  };
  // Untimed pages first, so that no case pays for cold caches.
  for (int i = 0; i < 200; ++i) listPage();

  Page& page = Pages()[Key(middle, size)];
  for (auto _ : state) {
    const auto start = Clock::now();
    listPage();
    page.seconds.push_back(std::chrono::duration<double>(Clock::now() - start).count());
  }
  if (!boxes.shown().empty()) return state.SkipWithError(boxes.last().text.c_str());
  if (canvas.rows == 0) return state.SkipWithError("the page showed no call");
  page.calls = canvas.rows;
}

// The newest call of the block of shared calls at the middle of the log: the
// middle page lists the calls before it. In the 1 KB log, which is that
// block, it is the newest call, and the middle page is the second page.
int64_t MiddleAnchor(int64_t size) {
  return MiddleBlockStart(size) + RecordStarts(CachedLog(kKB, Marks::kKept)).back();
}

}  // namespace
}  // namespace telvo::bench

int main(int argc, char** argv) {
  using namespace telvo::bench;
  const bool quick = TakeQuickFlag(&argc, argv);
  // The cases' repetitions run in random order, so a disturbance of the
  // machine in the middle of the run is shared among them.
  std::vector<char*> args(argv, argv + argc);
  std::string interleave = "--benchmark_enable_random_interleaving=true";
  args.insert(args.begin() + 1, interleave.data());
  int count = static_cast<int>(args.size());
  args.push_back(nullptr);
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;

  std::vector<int64_t> sizes = {kKB, kMB, 100 * kMB};
  if (!quick) sizes.push_back(kGB);
  const int iterations = quick ? 500 : 2000, repetitions = 5;
  for (int64_t size : sizes) {
    const std::string log = CachedLog(size, Marks::kKept);
    const int64_t anchor = MiddleAnchor(size);
    for (bool middle : {false, true}) {
      const std::string name =
          std::string(middle ? "BM_MiddlePage/" : "BM_NewestPage/") + SizeName(size);
      benchmark::RegisterBenchmark(
          name.c_str(),
          [=](benchmark::State& state) { ListPages(state, log, size, middle, anchor); })
          ->Iterations(iterations)
          ->Repetitions(repetitions)
          ->Unit(benchmark::kMicrosecond);
    }
  }
  QuietReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  PrintTitle("Paging: one page of the call list through CallPagingEngine; median of " +
                 std::to_string(iterations * repetitions) + " pages, warm cache",
             "the same page of the 1 KB log");
  const auto& pages = Pages();
  for (bool middle : {false, true}) {
    auto floor = pages.find(Key(middle, kKB));
    if (floor == pages.end()) continue;
    const double floorSeconds = Median(floor->second.seconds);
    for (int64_t size : sizes) {
      auto page = pages.find(Key(middle, size));
      if (page == pages.end()) continue;
      const double seconds = Median(page->second.seconds);
      const double ratio = seconds / floorSeconds;
      std::string figure = std::string(middle ? "middle page" : "newest page") + " (" +
                           std::to_string(page->second.calls) + " calls), " + SizeName(size) +
                           " log";
      if (size == kKB) {
        PrintRow(figure, Seconds(seconds), Seconds(floorSeconds), Ratio(ratio), "-",
                 Verdict::kNone);
      } else {
        PrintRow(figure, Seconds(seconds), Seconds(floorSeconds), Ratio(ratio), "<= 1.50x",
                 AtMost(ratio, 1.5));
      }
    }
  }
  return reporter.failed() ? 1 : 0;
}
