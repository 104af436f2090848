// Posting latency against its floor, an open + append + fdatasync + close of
// the same record bytes, measured in the same run: one poster alone, eight
// posting processes on one log (against eight processes doing the floor's
// appends to one file), and one poster whose program path is spelled in
// upper case, as the workgroup list gives it, inside a shared folder of 3,000
// other entries. A single poster takes turns with the floor's appends.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench_support.h"
#include "core/call_fields.h"
#include "core/program.h"
#include "platform/posix_env.h"
#include "quiet_reporter.h"
#include "service/delivery.h"
#include "store/folder_store.h"
#include "store/phone_log.h"

namespace telvo::bench {
namespace {

using Clock = std::chrono::steady_clock;

bool quick = false;
int Posts() { return quick ? 500 : 2000; }
constexpr int kPosters = 8;
int PostsEach() { return Posts() / kPosters; }
int Rounds() { return quick ? 1 : 3; }

struct Figure {
  std::vector<double> seconds;  // single posts
  std::vector<double> walls;    // rounds of eight processes, first post to last
  int refused = 0;              // posts that did not reach the log
};

std::map<std::string, Figure>& Figures() {
  static std::map<std::string, Figure> figures;
  return figures;
}

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Ann alone, with no workstation to notify.
std::vector<Person> Ann(const std::string& logPath) {
  Person ann;
  ann.name = "Ann";
  ann.log = logPath;
  return {ann};
}

PadValues Pad() {
  PadValues pad;
  pad.selectedIndex = 0;
  pad.caller = "Joe Caller";
  pad.date = "12-06-2026";
  pad.time = "9:05 AM";
  pad.phone = "555-1234";
  pad.message = "Please call back about the quarterly figures.";
  return pad;
}

// One posting program: PostOnce() delivers the pad once and answers whether
// the call reached the log.
class Poster {
 public:
  explicit Poster(const std::string& logPath) : program_(env_, boxes_) {
    program_.store = &store_;
    program_.settings.initials = "BM";
    program_.workgroup.Replace(Ann(logPath), -1, -1);
  }
  bool PostOnce() { return PostMessage(program_, pad_); }

 private:
  PosixEnv env_;
  ScriptedMessageBoxes boxes_;
  FolderStore store_{env_};
  Program program_;
  const PadValues pad_ = Pad();
};

// An exclusive open-file-description lock on the whole file, as every
// writer takes; on a share it is a round trip to the server. The eight
// floor processes wait for one another's locks as closely as they can.
bool LockWhole(int fd) {
  struct flock lock = {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  for (int tries = 0; tries < 100000; ++tries) {
    if (::fcntl(fd, F_OFD_SETLK, &lock) == 0) return true;
    if (errno != EAGAIN && errno != EACCES) return false;
    ::usleep(20);
  }
  return false;
}

// The floor of one post: the record's bytes appended durably to a file
// opened and locked for the purpose.
class PlainAppender {
 public:
  explicit PlainAppender(const std::string& path)
      : path_(path), record_(FrameRecord(PadCallBody(Pad(), "BM"))) {}
  bool PostOnce() {
    // Opened for reading too, as a post opens the log: a GlusterFS client
    // keeps the lock of a file opened write-only for some milliseconds after
    // its close, which would charge the floor for waiting on itself.
    int fd = ::open(path_.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return Failed("open");
    if (!LockWhole(fd)) return Failed("lock", fd);
    if (::write(fd, record_.data(), record_.size()) != static_cast<ssize_t>(record_.size()))
      return Failed("write", fd);
    if (::fdatasync(fd) != 0) return Failed("fdatasync", fd);
    return ::close(fd) == 0 || Failed("close");
  }

 private:
  bool Failed(const char* step, int fd = -1) {
    std::fprintf(stderr, "bench: the floor's %s of %s failed: %s\n", step, path_.c_str(),
                 std::strerror(errno));
    if (fd >= 0) ::close(fd);
    return false;
  }
  std::string path_;
  std::string record_;
};

// Times Posts() single posts of one process, each followed by the floor's
// append in the same folder: the disk's latency drifts with whatever else
// the machine writes, and taking turns lets both see the same drift.
void PostAlone(benchmark::State& state, const std::string& key, Poster& poster,
               const std::string& folder) {
  PlainAppender floor(folder + "/plain");
  Figure& figure = Figures()[key];
  Figure& floorFigure = Figures()[key + ".floor"];
  for (auto _ : state) {
    auto start = Clock::now();
    if (!poster.PostOnce()) ++figure.refused;
    figure.seconds.push_back(SecondsSince(start));
    start = Clock::now();
    if (!floor.PostOnce()) return state.SkipWithError("the floor's append failed");
    floorFigure.seconds.push_back(SecondsSince(start));
  }
}

// One round: eight processes post PostsEach() times each, all released at
// once; each sends its timings back through a pipe and exits with the number
// of its posts that were refused. False when a process failed.
template <typename Make>
bool RoundOfEight(Figure& figure, Make make) {
  int gate[2], results[2];
  if (::pipe(gate) != 0 || ::pipe(results) != 0) return false;
  std::vector<pid_t> children;
  std::fflush(nullptr);
  for (int k = 0; k < kPosters; ++k) {
    pid_t pid = ::fork();
    if (pid < 0) return false;
    if (pid == 0) {
      ::close(gate[1]);
      ::close(results[0]);
      auto poster = make();
      char c;
      while (::read(gate[0], &c, 1) > 0) {
      }
      std::vector<double> mine;
      int refused = 0;
      for (int i = 0; i < PostsEach(); ++i) {
        const auto start = Clock::now();
        if (!poster->PostOnce()) ++refused;
        mine.push_back(SecondsSince(start));
      }
      const size_t bytes = mine.size() * sizeof(double);
      const bool sent = ::write(results[1], mine.data(), bytes) == static_cast<ssize_t>(bytes);
      ::_exit(sent ? std::min(refused, 250) : 255);
    }
    children.push_back(pid);
  }
  ::close(gate[0]);
  ::close(results[1]);
  const auto start = Clock::now();
  ::close(gate[1]);  // releases them all
  std::vector<double> all(static_cast<size_t>(kPosters * PostsEach()));
  size_t got = 0;
  char* bytes = reinterpret_cast<char*>(all.data());
  while (got < all.size() * sizeof(double)) {
    ssize_t n = ::read(results[0], bytes + got, all.size() * sizeof(double) - got);
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  ::close(results[0]);
  bool ok = got == all.size() * sizeof(double);
  for (pid_t pid : children) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 255;
    if (code == 255) ok = false;
    figure.refused += code == 255 ? 0 : code;
  }
  figure.walls.push_back(SecondsSince(start));
  all.resize(got / sizeof(double));
  figure.seconds.insert(figure.seconds.end(), all.begin(), all.end());
  return ok;
}

void BM_PostOnePoster(benchmark::State& state) {
  ScratchFolder folder;
  Poster poster(folder.path() + "\\MESSAGES");
  PostAlone(state, "post", poster, folder.path());
}

// Rounds of the floor's eight processes and of eight posting processes take
// turns, so both see the same machine; the wall time is the median round's.
void BM_EightProcesses(benchmark::State& state) {
  ScratchFolder folder;
  const std::string log = folder.path() + "\\MESSAGES";
  const std::string plain = folder.path() + "/plain";
  Figure& post = Figures()["post8"];
  Figure& floor = Figures()["post8.floor"];
  for (auto _ : state) {
    if (!RoundOfEight(floor, [&] { return std::make_unique<PlainAppender>(plain); }) ||
        !RoundOfEight(post, [&] { return std::make_unique<Poster>(log); }))
      return state.SkipWithError("a posting process failed");
  }
}

// The workgroup list names the folder in upper case; on disk every
// component is lower case, and the person's folder shares its parent with
// 3,000 others.
void BM_PostUpperCasePath(benchmark::State& state) {
  ScratchFolder folder;
  const std::string share = folder.path() + "/phone";
  ::mkdir(share.c_str(), 0755);
  for (int i = 0; i < 3000; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "/person%04d", i);
    if (::mkdir((share + name).c_str(), 0755) != 0) return state.SkipWithError("mkdir");
  }
  ::mkdir((share + "/ann").c_str(), 0755);
  std::string upper = share + "/ann";
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  if (::access(upper.c_str(), F_OK) == 0) return state.SkipWithError("the disk ignores case");
  Poster poster(upper + "\\MESSAGES");
  PostAlone(state, "upper", poster, share + "/ann");
  struct stat st;
  if (::stat((share + "/ann/MESSAGES").c_str(), &st) != 0)
    state.SkipWithError("the posts did not reach ann/MESSAGES");
}

// What one more try costs while another open holds the log's lock: the
// open, the refused lock and the close, against an open and close of the
// same file. Ten such tries, with their pauses, are a waiting poster's lot.
void BM_TryAHeldLock(benchmark::State& state) {
  ScratchFolder folder;
  const std::string log = folder.path() + "\\MESSAGES";
  PosixEnv env;
  std::unique_ptr<File> holder;
  if (!env.OpenFile(log, FileAccess::kUpdate, &holder).ok()) return state.SkipWithError("open");
  const std::string native = env.ResolvePath(log);
  Figure& tries = Figures()["try"];
  Figure& floor = Figures()["try.floor"];
  for (auto _ : state) {
    std::unique_ptr<File> refused;
    auto start = Clock::now();
    if (env.OpenFile(log, FileAccess::kUpdate, &refused).code() != kPermissionDenied)
      return state.SkipWithError("the lock was not refused");
    tries.seconds.push_back(SecondsSince(start));
    start = Clock::now();
    ::close(::open(native.c_str(), O_RDWR | O_CLOEXEC));
    floor.seconds.push_back(SecondsSince(start));
  }
}

}  // namespace
}  // namespace telvo::bench

int main(int argc, char** argv) {
  using namespace telvo::bench;
  quick = TakeQuickFlag(&argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RegisterBenchmark("BM_PostOnePoster", BM_PostOnePoster)->Iterations(Posts());
  benchmark::RegisterBenchmark("BM_EightProcesses", BM_EightProcesses)->Iterations(Rounds());
  benchmark::RegisterBenchmark("BM_PostUpperCasePath", BM_PostUpperCasePath)->Iterations(Posts());
  benchmark::RegisterBenchmark("BM_TryAHeldLock", BM_TryAHeldLock)->Iterations(Posts());
  QuietReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  PrintTitle("Posting: PostMessage of one call; " + std::to_string(Posts()) +
                 " posts per case, eight processes in " + std::to_string(Rounds()) + " round(s)",
             "open + lock + append + fdatasync + close of the same record bytes");
  auto& figures = Figures();
  auto refusals = [](const Figure& figure) {
    return figure.refused ? " [" + std::to_string(figure.refused) + " refused]" : "";
  };
  auto row = [&](const std::string& figure, double value, double floor, const char* target,
                 double limit) {
    PrintRow(figure, Seconds(value), Seconds(floor), Ratio(value / floor), target,
             limit > 0 ? AtMost(value / floor, limit) : Verdict::kNone);
  };
  if (figures.count("post")) {
    // On a share the floor's own round trips dominate; a post there adds
    // the share check and the read-back of what it wrote.
    const bool onShare = std::getenv("TELVO_BENCH_SHARE") != nullptr;
    row("one poster: median post" + refusals(figures["post"]), Median(figures["post"].seconds),
        Median(figures["post.floor"].seconds), onShare ? "<= 2.00x" : "-", onShare ? 2.0 : 0);
  }
  if (figures.count("post8")) {
    const Figure& post = figures["post8"];
    const Figure& floor = figures["post8.floor"];
    row("8 processes: " + std::to_string(Posts()) + " posts, wall time" + refusals(post),
        Median(post.walls), Median(floor.walls), "-", 0);
    row("8 processes: median post", Median(post.seconds), Median(floor.seconds), "-", 0);
    row("8 processes: 99th percentile post", Percentile(post.seconds, 99),
        Percentile(floor.seconds, 99), "-", 0);
  }
  if (figures.count("try")) {
    row("a try at a lock held elsewhere (one retry)", Median(figures["try"].seconds),
        Median(figures["try.floor"].seconds), "-", 0);
  }
  if (figures.count("upper")) {
    row("upper-case path, 3,000 entries: median post" + refusals(figures["upper"]),
        Median(figures["upper"].seconds), Median(figures["upper.floor"].seconds), "<= 1.20x", 1.2);
  }
  return reporter.failed() ? 1 : 0;
}
