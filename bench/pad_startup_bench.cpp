// Start-up of telvo until the message pad has been painted, offscreen,
// against the same measurement of the smallest Qt Widgets program with one
// window. Each start is a fresh process: the probe (bench/*_probe.cpp) runs
// the program's own start-up and writes the steady clock's reading once its
// window is painted; the time is from fork to that reading. The two programs
// take turns, in a different order each round; medians.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "bench_support.h"
#include "first_paint_probe.h"

namespace telvo::bench {
namespace {

using Clock = std::chrono::steady_clock;

// A start that has not painted its window by then is stuck on a window the
// probe did not expect to wait for.
constexpr int kStartTimeoutMs = 30000;

struct Start {
  double seconds = 0;        // from fork to the window painted
  double peakMegabytes = 0;  // the probe's ru_maxrss when it ended
};

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) Fatal(path + ": cannot be written");
}

void MakeFolder(const std::string& path, mode_t mode) {
  if (::mkdir(path.c_str(), mode) != 0 && errno != EEXIST)
    Fatal(path + ": " + std::strerror(errno));
}

// A private configuration in `root`, as scripts/demo sets one up: a
// workgroup of three with the user among them, no alert, and a TELVO.INI
// that suppresses the splash screen ("Splash=YES"), so the start-up measured
// is the pad's. The single-instance lock lies in the private runtime folder.
void SetUpConfiguration(const std::string& root) {
  const std::string config = root + "/config", runtime = root + "/runtime";
  const std::string phone = root + "/phone";
  MakeFolder(config, 0755);
  MakeFolder(config + "/telvo", 0755);
  MakeFolder(runtime, 0700);
  MakeFolder(phone, 0755);
  std::string list;
  for (const char* name : {"Bench User", "Ann Smith", "Bob Brown"}) {
    std::string folder = phone + "/" + std::string(name).substr(0, 3);
    MakeFolder(folder, 0755);
    list += std::string("\"") + name + "\",\"" + folder + "\",\"localhost\",\"" + folder +
            "/ALERT.TXT\"\r\n";
  }
  WriteText(root + "/workgroup.wgl", list);
  WriteText(config + "/telvo/TELVO.INI",
            "WorkGroup=" + root +
                "/workgroup.wgl\r\nInitials=BU\r\nName=Bench User\r\n"
                "Default Recipient=Ann Smith\r\nBackColor= 12632319\r\nDeliver=NotMinimized\r\n"
                "Splash=YES\r\nUsepop=INTERNAL\r\nPopUp=\r\n");
  ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

// Starts `program` with a pipe on kStampDescriptor and standard output on
// /dev/null, and waits for its stamp and its end.
Start RunProbe(const std::string& program) {
  int stamp[2];
  if (::pipe2(stamp, O_CLOEXEC) != 0) Fatal(std::string("pipe: ") + std::strerror(errno));
  const auto start = Clock::now();
  const pid_t pid = ::fork();
  if (pid < 0) Fatal(std::string("fork: ") + std::strerror(errno));
  if (pid == 0) {
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    // dup2 clears close-on-exec on the copies the probe keeps; a pipe end
    // that already is the stamp's descriptor only loses the flag.
    const bool stampReady = stamp[1] == kStampDescriptor ? ::fcntl(stamp[1], F_SETFD, 0) == 0
                                                         : ::dup2(stamp[1], kStampDescriptor) >= 0;
    if (null < 0 || ::dup2(null, STDOUT_FILENO) < 0 || !stampReady) ::_exit(126);
    ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(stamp[1]);
  pollfd ready{stamp[0], POLLIN, 0};
  int polled;
  while ((polled = ::poll(&ready, 1, kStartTimeoutMs)) < 0 && errno == EINTR) {
  }
  if (polled == 0) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    Fatal(program + ": no window painted within " + std::to_string(kStartTimeoutMs / 1000) + " s");
  }
  int64_t paintedAt = 0;
  ssize_t got;
  while ((got = ::read(stamp[0], &paintedAt, sizeof paintedAt)) < 0 && errno == EINTR) {
  }
  ::close(stamp[0]);
  int status = 0;
  rusage usage{};
  while (::wait4(pid, &status, 0, &usage) < 0) {
    if (errno != EINTR) Fatal(std::string("wait4: ") + std::strerror(errno));
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || got != sizeof paintedAt)
    Fatal(program + ": ended without painting its window (status " +
          std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + ")");
  Start run;
  const Clock::time_point painted{std::chrono::nanoseconds(paintedAt)};
  run.seconds = std::chrono::duration<double>(painted - start).count();
  run.peakMegabytes = static_cast<double>(usage.ru_maxrss) / 1024.0;  // in KiB
  return run;
}

struct Figures {
  std::vector<double> seconds, megabytes;
  void Note(const Start& run) {
    seconds.push_back(run.seconds);
    megabytes.push_back(run.peakMegabytes);
  }
};

}  // namespace
}  // namespace telvo::bench

int main(int argc, char** argv) {
  using namespace telvo::bench;
  const bool quick = TakeQuickFlag(&argc, argv);
  if (argc > 1) Fatal(std::string("unknown argument ") + argv[1]);
  ScratchFolder scratch;
  SetUpConfiguration(scratch.path());
  const std::string telvo = TELVO_PAD_PROBE, minimal = TELVO_MINIMAL_PROBE;

  // Untimed first: the programs' pages and the fonts in the cache for both.
  for (int i = 0; i < 3; ++i) RunProbe(minimal), RunProbe(telvo);
  const int rounds = quick ? 7 : 21;
  Figures floor, pad;
  for (int round = 0; round < rounds; ++round) {
    if (round % 2) {
      floor.Note(RunProbe(minimal));
      pad.Note(RunProbe(telvo));
    } else {
      pad.Note(RunProbe(telvo));
      floor.Note(RunProbe(minimal));
    }
  }
  const double base = Median(floor.seconds), padTime = Median(pad.seconds);
  const double baseMemory = Median(floor.megabytes), padMemory = Median(pad.megabytes);
  PrintTitle(
      "Start-up: a fresh process from fork until its window is painted, offscreen; median "
      "of " +
          std::to_string(rounds) + ", in turns",
      "a Qt Widgets program with one window (a label), the same way");
  PrintRow("minimal Qt Widgets window painted", Seconds(base), Seconds(base), Ratio(1.0), "-",
           Verdict::kNone);
  PrintRow("telvo, message pad painted", Seconds(padTime), Seconds(base), Ratio(padTime / base),
           "<= 1.50x", AtMost(padTime / base, 1.5));
  PrintRow("minimal window, peak memory", Megabytes(baseMemory), Megabytes(baseMemory), Ratio(1.0),
           "-", Verdict::kNone);
  PrintRow("telvo, peak memory at the pad", Megabytes(padMemory), Megabytes(baseMemory),
           Ratio(padMemory / baseMemory), "none set", Verdict::kNone);
  return 0;
}
