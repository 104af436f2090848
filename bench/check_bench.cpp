// `telvo-log check` as the administrator runs it, a process of its own with
// its report going to /dev/null, against `cat LOG > /dev/null` on the same
// log in the same run, warm cache. Then the cost of damage: a 10 MB log with
// 256 KB of garbage inserted at its middle against the clean 10 MB log.

#include <string>
#include <vector>

#include "bench_support.h"

#ifndef TELVO_LOG_PROGRAM
#error "TELVO_LOG_PROGRAM names the telvo-log program to measure"
#endif

int main(int argc, char** argv) {
  using namespace telvo::bench;
  const bool quick = TakeQuickFlag(&argc, argv);
  if (argc > 1) Fatal(std::string("unknown argument ") + argv[1]);
  const std::string tool = TELVO_LOG_PROGRAM;

  const int64_t bigSize = quick ? 100 * kMB : kGB;
  const int bigRuns = 5, smallRuns = quick ? 3 : 7;
  const std::string big = CachedLog(bigSize, Marks::kKept);
  const std::string clean = CachedLog(10 * kMB, Marks::kKept);
  const std::string damaged = CachedDamagedLog(10 * kMB, 256 * kKB);

  auto check = [&](const std::string& log, int expectedStatus) {
    ProcessRun run = RunProgram({tool, "check", log});
    if (run.exitStatus != expectedStatus)
      Fatal("telvo-log check " + log + " exited with " + std::to_string(run.exitStatus) + ", not " +
            std::to_string(expectedStatus));
    return run.seconds;
  };
  auto cat = [&](const std::string& log) {
    ProcessRun run = RunProgram({"cat", log});
    if (run.exitStatus != 0) Fatal("cat " + log + " failed");
    return run.seconds;
  };

  // Warm the cache, then take turns, so both see the same machine.
  cat(big);
  cat(clean);
  cat(damaged);
  std::vector<double> catSeconds, checkSeconds, cleanSeconds, damagedSeconds;
  for (int run = 0; run < bigRuns; ++run) {
    catSeconds.push_back(cat(big));
    checkSeconds.push_back(check(big, 0));
  }
  for (int run = 0; run < smallRuns; ++run) {
    cleanSeconds.push_back(check(clean, 0));
    damagedSeconds.push_back(check(damaged, 1));
  }

  PrintTitle(
      "Check: telvo-log check in a process of its own, report to /dev/null; median "
      "of the runs, warm cache",
      "cat LOG > /dev/null; for the damaged log, check of the clean 10 MB log");
  const double checkBig = Median(checkSeconds), catBig = Median(catSeconds);
  const double ratio = catBig / checkBig;
  PrintRow("check " + SizeName(bigSize) + " log: throughput (" + Seconds(checkBig) + ")",
           Throughput(bigSize, checkBig), Throughput(bigSize, catBig), Ratio(ratio), ">= 0.25x",
           AtLeast(ratio, 0.25));
  const double checkClean = Median(cleanSeconds), checkDamaged = Median(damagedSeconds);
  PrintRow("check 10 MB log with 256 KB of garbage inside", Seconds(checkDamaged),
           Seconds(checkClean), Ratio(checkDamaged / checkClean), "<= 2.00x",
           AtMost(checkDamaged / checkClean, 2.0));
  return 0;
}
