// The call list window opening on a log, offscreen: the whole load (fonts,
// layout, the newest page read and drawn), for a small log and a large one.
// Only the page's own records are read, so the two should take the same.

#include <QApplication>
#include <chrono>
#include <cstdlib>
#include <vector>

#include "bench_support.h"
#include "core/program.h"
#include "platform/posix_env.h"
#include "store/folder_store.h"
#include "ui/calllist/call_list_window.h"

namespace telvo::bench {
namespace {

double OpenWindowSeconds(Program& program) {
  const auto start = std::chrono::steady_clock::now();
  CallListWindow window(program);
  window.show();
  QApplication::processEvents();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double OpenOn(Program& program, const std::string& log) {
  program.state.viewed.book = FolderBook("Ann", log);
  return OpenWindowSeconds(program);
}

}  // namespace
}  // namespace telvo::bench

int main(int argc, char** argv) {
  using namespace telvo::bench;
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const bool quick = TakeQuickFlag(&argc, argv);
  QApplication app(argc, argv);
  telvo::PosixEnv env;
  telvo::ScriptedMessageBoxes boxes;
  telvo::Program program(env, boxes);
  telvo::FolderStore store(env);
  program.store = &store;
  const int64_t large = quick ? 100 * kMB : kGB;
  const std::string smallLog = CachedLog(kKB, Marks::kKept);
  const std::string largeLog = CachedLog(large, Marks::kKept);
  // Untimed first, so fonts and caches are warm for both; then in turns.
  for (int i = 0; i < 3; ++i) OpenOn(program, smallLog), OpenOn(program, largeLog);
  std::vector<double> smallTimes, largeTimes;
  for (int i = 0; i < 10; ++i) {
    smallTimes.push_back(OpenOn(program, smallLog));
    largeTimes.push_back(OpenOn(program, largeLog));
  }
  const double small = Median(smallTimes), big = Median(largeTimes);
  PrintTitle("Call list window: opened on a log and its newest page drawn, offscreen; median of 10",
             "the same window on the 1 KB log");
  PrintRow("window, 1 KB log", Seconds(small), Seconds(small), Ratio(1.0), "-", Verdict::kNone);
  PrintRow("window, " + SizeName(large) + " log", Seconds(big), Seconds(small), Ratio(big / small),
           "<= 1.50x", AtMost(big / small, 1.5));
  return boxes.shown().empty() ? 0 : 1;
}
