// Purge against a plain copy. Each purge runs in a process of its own (this
// program started again, so its peak memory is the purge's alone) on a fresh
// copy of a cached log (made and synced before the clock starts, so the cache
// is warm and the disk quiet), once with every call kept and once with 30%
// of the calls marked delete or archive. The floor, measured in the same run
// on the same bytes, is what any rewrite of the log must do at least: read
// it, write a copy beside it, sync the copy, rename it over the log (which
// frees the old blocks, as a purge does) and sync the folder.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bench_support.h"
#include "core/message_boxes.h"
#include "core/program.h"
#include "platform/posix_env.h"
#include "service/purge.h"
#include "store/folder_store.h"

namespace telvo::bench {
namespace {

int Failed(const std::string& what) {
  std::fprintf(stderr, "bench: %s: %s\n", what.c_str(), std::strerror(errno));
  return 1;
}

// The floor, in its own process: copy in blocks of about 1 MB, sync, rename
// over the log, sync the folder.
int CopyOver(const std::string& folder, const std::string& log) {
  const std::string copy = log + ".copy";
  int in = ::open(log.c_str(), O_RDONLY | O_CLOEXEC);
  int out = ::open(copy.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (in < 0 || out < 0) return Failed("open");
  // A little over 1 MB, so the pieces do not fall on 1 MB boundaries, like
  // the purge's, which end with a record. Here the kernel keeps aligned 1 MB
  // writes in large page-cache folios whose first touch, in this virtual
  // machine, costs several times the copy: aligned blocks made the floor
  // slower than the purge.
  std::vector<char> buffer((size_t{1} << 20) + 100);
  for (;;) {
    ssize_t n = ::read(in, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Failed("read");
    if (n == 0) break;
    for (ssize_t done = 0; done < n;) {
      ssize_t w = ::write(out, buffer.data() + done, static_cast<size_t>(n - done));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) return Failed("write");
      done += w;
    }
  }
  if (::fdatasync(out) != 0) return Failed("fdatasync");
  ::close(out);
  if (::rename(copy.c_str(), log.c_str()) != 0) return Failed("rename");
  int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0 || ::fsync(dir) != 0) return Failed("fsync of the folder");
  ::close(dir);
  // The old log is closed last, as a purge closes it once the new log is in
  // place: its blocks are freed here, not in the transaction of the rename.
  ::close(in);
  return 0;
}

// The purge, in its own process, as the program runs it.
int Purge(const std::string& programPath) {
  PosixEnv env;
  ScriptedMessageBoxes boxes;
  Program program(env, boxes);
  FolderStore store(env);
  program.store = &store;
  ProgramState& s = program.state;
  Person ann;
  ann.name = "Ann";
  ann.log = programPath;
  program.workgroup.Replace({ann}, -1, -1);
  s.viewed.book = FolderBook("Ann", programPath);
  const bool purged = PurgeCalls(program);
  for (const MessageBox& box : boxes.shown())
    std::fprintf(stderr, "bench: the purge said: %s\n", box.text.c_str());
  return !purged || !boxes.shown().empty() ? 1 : 0;
}

struct Figures {
  std::vector<double> seconds, megabytes;
};

}  // namespace
}  // namespace telvo::bench

int main(int argc, char** argv) {
  using namespace telvo::bench;
  const bool quick = TakeQuickFlag(&argc, argv);
  // The measured processes: "--child copy FOLDER LOG", "--child purge PATH".
  if (argc == 5 && std::string(argv[1]) == "--child" && std::string(argv[2]) == "copy")
    return CopyOver(argv[3], argv[4]);
  if (argc == 4 && std::string(argv[1]) == "--child" && std::string(argv[2]) == "purge")
    return Purge(argv[3]);
  if (argc > 1) Fatal(std::string("unknown argument ") + argv[1]);
  const std::string self = "/proc/self/exe";

  struct Size {
    int64_t bytes;
    int runs;
  };
  const std::vector<Size> sizes =
      quick ? std::vector<Size>{{10 * kMB, 3}, {100 * kMB, 3}}
            : std::vector<Size>{{10 * kMB, 11}, {100 * kMB, 9}, {500 * kMB, 7}, {kGB, 5}};
  for (const Size& size : sizes) {
    CachedLog(size.bytes, Marks::kKept);
    CachedLog(size.bytes, Marks::kThirtyPercent);
  }

  ScratchFolder scratch;
  const std::string folder = scratch.path() + "/ann";
  ::mkdir(folder.c_str(), 0755);
  const std::string log = folder + "/MESSAGES";
  const std::string programPath = folder + "\\MESSAGES";
  const std::string archive = folder + "/ARCHIVE";
  // A fresh copy of `source` as the log, with no archive beside it; synced,
  // and everything else the disk still had to write written, before the
  // clock starts.
  auto prepare = [&](const std::string& source) {
    for (const char* name : {"MESSAGES", "MESSAGES.NEW", "MESSAGES.copy", "ARCHIVE", "ARCHIVE.NEW"})
      RemoveIfPresent(folder + "/" + name);
    CopyFileDurably(source, log);
    ::sync();
  };

  PrintTitle(
      "Purge: a process of its own purges a fresh copy of the log, warm cache; time: "
      "the median run, peak memory: the highest",
      "read the log, write a copy beside it, fdatasync, rename over the log, sync "
      "the folder");
  for (const Size& size : sizes) {
    const std::string kept = CachedLog(size.bytes, Marks::kKept);
    const std::string marked = CachedLog(size.bytes, Marks::kThirtyPercent);
    Figures floor, purgeKept, purgeMarked;
    auto note = [](Figures& figures, const ProcessRun& run) {
      figures.seconds.push_back(run.seconds);
      figures.megabytes.push_back(run.peakMegabytes);
    };
    auto copyRun = [&] {
      prepare(kept);
      ProcessRun copied = RunProgram({self, "--child", "copy", folder, log});
      if (copied.exitStatus != 0) Fatal("the copy failed");
      note(floor, copied);
    };
    auto keptRun = [&] {
      prepare(kept);
      ProcessRun purged = RunProgram({self, "--child", "purge", programPath});
      if (purged.exitStatus != 0) Fatal("the purge of " + SizeName(size.bytes) + " failed");
      if (FileSize(log) != size.bytes) Fatal("the purge changed a log with nothing marked");
      note(purgeKept, purged);
    };
    auto markedRun = [&] {
      prepare(marked);
      ProcessRun purged = RunProgram({self, "--child", "purge", programPath});
      if (purged.exitStatus != 0) Fatal("the purge of " + SizeName(size.bytes) + " failed");
      const double left = static_cast<double>(FileSize(log)) / static_cast<double>(size.bytes);
      if (left < 0.6 || left > 0.8 || FileSize(archive) == 0)
        Fatal("the purge did not remove the marked calls");
      note(purgeMarked, purged);
    };
    // The disk's speed drifts with whatever else the machine writes: the
    // three take turns, each round in another order.
    const std::vector<std::function<void()>> kinds = {copyRun, keptRun, markedRun};
    for (int run = 0; run < size.runs; ++run) {
      for (size_t k = 0; k < kinds.size(); ++k) kinds[(k + static_cast<size_t>(run)) % 3]();
    }

    const double floorSeconds = Median(floor.seconds);
    const double floorMegabytes = Median(floor.megabytes);
    for (const auto& [label, figures] :
         {std::pair<const char*, const Figures&>{"nothing marked", purgeKept},
          std::pair<const char*, const Figures&>{"30% marked", purgeMarked}}) {
      const std::string name = "purge " + SizeName(size.bytes) + ", " + label;
      const double seconds = Median(figures.seconds);
      const double ratio = floorSeconds / seconds;
      // The spread of the runs, each against the floor's median.
      const auto [fastest, slowest] =
          std::minmax_element(figures.seconds.begin(), figures.seconds.end());
      PrintRow(name + ": throughput (" + Seconds(seconds) + ", " + Ratio(floorSeconds / *slowest) +
                   " to " + Ratio(floorSeconds / *fastest) + ")",
               Throughput(size.bytes, seconds), Throughput(size.bytes, floorSeconds), Ratio(ratio),
               ">= 0.75x", AtLeast(ratio, 0.75));
      const double peak = *std::max_element(figures.megabytes.begin(), figures.megabytes.end());
      PrintRow(name + ": peak memory", Megabytes(peak), Megabytes(floorMegabytes), "-", "< 16 MB",
               peak < 16 ? Verdict::kMet : Verdict::kMissed);
    }
  }
  return 0;
}
