#pragma once
// What the benchmark programs share: realistic phone logs kept in a cache
// folder between runs, scratch folders that are removed afterwards, timing a
// whole child process with its peak memory, and the table every program
// prints: figure, value, floor, ratio, target and whether it was met.

#include <cstdint>
#include <string>
#include <vector>

namespace telvo::bench {

inline constexpr int64_t kKB = 1024;
inline constexpr int64_t kMB = 1024 * kKB;
inline constexpr int64_t kGB = 1024 * kMB;

// Removes "--quick" (and "--full", the default) from the arguments; true
// when the short set was asked for.
bool TakeQuickFlag(int* argc, char** argv);

// Prints the problem to standard error, removes the scratch folders and ends
// the program with status 1.
[[noreturn]] void Fatal(const std::string& problem);

// ${TELVO_BENCH_CACHE:-$HOME/.cache/telvo-bench}, created when missing.
std::string CacheFolder();

// ${TELVO_BENCH_DIR:-/var/tmp}/telvo-bench-PID-N: created empty, removed with
// everything in it when the object goes (or when Fatal ends the program).
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// --- Phone logs ---------------------------------------------------------------

enum class Marks {
  kKept,           // new and important calls only: a purge keeps every one
  kThirtyPercent,  // 15% marked delete, 15% marked archive, the rest kept
};

// The native path of a cached phone log of exactly `bytes` bytes (1 KB, or
// 4 KB and more) of realistic calls: bodies of about 100 to 200 bytes, varied
// callers and messages. Built the first time, and again when the file there
// has another size. Every log ends with the same 1 KB of kept calls, the
// 1 KB log itself, and holds that block once more at MiddleBlockStart.
std::string CachedLog(int64_t bytes, Marks marks);
inline constexpr int64_t kSharedBlock = kKB;
int64_t MiddleBlockStart(int64_t bytes);
// The kept log of `bytes` bytes with `garbage` random bytes inserted at its
// middle (before the middle block).
std::string CachedDamagedLog(int64_t bytes, int64_t garbage);

// "1 KB", "10 MB", "1 GB".
std::string SizeName(int64_t bytes);

// The offsets of every record of a small log, oldest first.
std::vector<int64_t> RecordStarts(const std::string& path);
// The body of the record that begins at `start`.
std::string RecordBodyAt(const std::string& path, int64_t start);

int64_t FileSize(const std::string& path);
// Copies `from` to `to` (replacing it) and syncs the copy's data.
void CopyFileDurably(const std::string& from, const std::string& to);
// Removes the file when it exists.
void RemoveIfPresent(const std::string& path);

// --- Processes ----------------------------------------------------------------

struct ProcessRun {
  double seconds = 0;        // from fork to the end of wait4
  double peakMegabytes = 0;  // the child's ru_maxrss
  int exitStatus = -1;       // -1 when it did not exit normally
};

// Runs a program (looked up in PATH) with standard output going to
// /dev/null; it starts with the memory of a new process, not a copy of this
// one.
ProcessRun RunProgram(const std::vector<std::string>& argv);

double Median(std::vector<double> values);
// The value `percent` of the way up the sorted values: 99 for the 99th
// percentile.
double Percentile(std::vector<double> values, int percent);

// --- The table ------------------------------------------------------------------

enum class Verdict { kNone, kMet, kMissed };

// A heading line naming the program's floor.
void PrintTitle(const std::string& title, const std::string& floor);
void PrintRow(const std::string& figure, const std::string& value, const std::string& floor,
              const std::string& ratio, const std::string& target, Verdict verdict);

std::string Seconds(double seconds);  // "41.2 us", "3.07 ms", "1.84 s"
std::string Megabytes(double megabytes);
std::string Ratio(double ratio);                        // "1.07x"
std::string Throughput(int64_t bytes, double seconds);  // "812 MB/s"
Verdict AtMost(double value, double limit);
Verdict AtLeast(double value, double limit);

}  // namespace telvo::bench
