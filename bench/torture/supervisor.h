#pragma once
// Runs the torture run's workers for the given time: starts them, kills one
// with SIGKILL now and then and starts another of the same kind in its
// place, and at the end kills them all.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "workers.h"

namespace telvo::torture {

struct RunPlan {
  double seconds = 60;
  std::array<int, kWorkerKinds> workers = {8, 2, 1, 2};  // by WorkerKind
  int meanKillGapMs = 300;                               // the gaps are drawn from 0 to twice this
  uint32_t seed = 1;
  std::string logPath;        // the program's path of the log
  std::string secondLogPath;  // the same log through a second mount, or ""
  std::string journalFolder;  // native
};

struct RunCounts {
  std::array<int64_t, kWorkerKinds> started{};
  std::array<int64_t, kWorkerKinds> killed{};  // during the run, not at its end
  // Workers that ended of their own accord, which none should: each is a
  // fault, with its kind and how it ended.
  std::vector<std::string> unexpectedEnds;
};

RunCounts RunWorkers(const RunPlan& plan);

}  // namespace telvo::torture
