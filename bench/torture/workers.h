#pragma once
// The four kinds of worker process of the torture run. Each loops until it
// is killed, doing what people at their workstations do to one phone log,
// and journals every act before and after it (see journal.h).

#include <cstdint>
#include <string>

namespace telvo::torture {

enum class WorkerKind { kPoster, kMarker, kExporter, kPurger };
inline constexpr int kWorkerKinds = 4;

const char* KindName(WorkerKind kind);

struct WorkerSetup {
  WorkerKind kind = WorkerKind::kPoster;
  // A marker marks only the calls whose number leaves `slot` when divided
  // by `slots`, so each call's marks come from one process at a time, in
  // journal order: the one killed is gone before its successor starts.
  int slot = 0;
  int slots = 1;
  // Unique in the run; a poster's calls are numbered from it, so no two
  // posts of the run share a number.
  int64_t incarnation = 0;
  std::string logPath;  // the program's path of the log
  std::string journalPath;
  uint32_t seed = 0;
};

// The first call number of a poster incarnation; numbers below
// kNumbersPerPoster belong to the final check.
inline constexpr int64_t kNumbersPerPoster = 1'000'000;

// Runs the worker until it is killed.
[[noreturn]] void RunWorker(const WorkerSetup& setup);

}  // namespace telvo::torture
