// Posting latency: one poster alone, eight posting processes on one log, and
// as the floor a plain append of the same bytes followed by fdatasync.
// Each case reports the median and 99th percentile of single posts.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/program.h"
#include "store/phone_log.h"
#include "store/post_message.h"
#include "platform/posix_env.h"

namespace telvo {
namespace {

using Clock = std::chrono::steady_clock;

std::string BenchFolder() {
  const char* dir = std::getenv("TELVO_BENCH_DIR");
  std::string folder = std::string(dir && *dir ? dir : "/var/tmp") + "/telvo-bench-" +
                       std::to_string(::getpid());
  std::filesystem::create_directories(folder);
  return folder;
}

ProgramState Workgroup(const std::string& folder) {
  ProgramState s;
  s.PersonName = {"Ann", ""};
  s.PersonComputer = {"", ""};
  s.PersonLog = {folder + "\\MESSAGES", ""};
  s.PeopleCount = 1;
  s.MyInitials = "BM";
  return s;
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

void Report(benchmark::State& state, std::vector<double> micros) {
  if (micros.empty()) return;
  std::sort(micros.begin(), micros.end());
  state.counters["median_us"] = micros[micros.size() / 2];
  state.counters["p99_us"] = micros[std::min(micros.size() - 1, micros.size() * 99 / 100)];
  state.counters["max_us"] = micros.back();
  state.counters["posts"] = static_cast<double>(micros.size());
}

double MicrosSince(Clock::time_point start) {
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

std::vector<double> PostMany(const ProgramState& people, int count) {
  PosixEnv env;
  ScriptedMessageBoxes boxes;
  Program program(env, boxes);
  program.state = people;
  const PadValues pad = Pad();
  std::vector<double> micros;
  for (int i = 0; i < count; ++i) {
    auto start = Clock::now();
    PostMessage(program, pad);
    micros.push_back(MicrosSince(start));
  }
  return micros;
}

void BM_PostOnePoster(benchmark::State& state) {
  const std::string folder = BenchFolder();
  const ProgramState people = Workgroup(folder);
  std::vector<double> micros;
  for (auto _ : state) {
    auto batch = PostMany(people, 1);
    micros.push_back(batch[0]);
  }
  Report(state, micros);
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_PostOnePoster)->Iterations(2000)->Unit(benchmark::kMicrosecond);

void BM_PostEightProcesses(benchmark::State& state) {
  constexpr int kPosters = 8, kEach = 250;
  const std::string folder = BenchFolder();
  const ProgramState people = Workgroup(folder);
  std::vector<double> micros;
  for (auto _ : state) {
    int gate[2], results[2];
    if (::pipe(gate) != 0 || ::pipe(results) != 0) state.SkipWithError("pipe");
    std::vector<pid_t> children;
    for (int k = 0; k < kPosters; ++k) {
      pid_t pid = ::fork();
      if (pid == 0) {
        ::close(gate[1]);
        char c;
        while (::read(gate[0], &c, 1) > 0) {
        }
        auto mine = PostMany(people, kEach);
        ssize_t ignored = ::write(results[1], mine.data(), mine.size() * sizeof(double));
        (void)ignored;
        ::_exit(0);
      }
      children.push_back(pid);
    }
    ::close(gate[0]);
    ::close(gate[1]);
    ::close(results[1]);
    std::vector<double> all(kPosters * kEach);
    size_t got = 0;
    char* bytes = reinterpret_cast<char*>(all.data());
    while (got < all.size() * sizeof(double)) {
      ssize_t n = ::read(results[0], bytes + got, all.size() * sizeof(double) - got);
      if (n <= 0) break;
      got += static_cast<size_t>(n);
    }
    ::close(results[0]);
    for (pid_t pid : children) ::waitpid(pid, nullptr, 0);
    all.resize(got / sizeof(double));
    micros.insert(micros.end(), all.begin(), all.end());
  }
  Report(state, micros);
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_PostEightProcesses)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_PlainAppendWithFdatasync(benchmark::State& state) {
  const std::string folder = BenchFolder();
  const std::string record = FrameRecord(BuildMessageBody(Pad(), "BM"));
  int fd = ::open((folder + "/plain").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  std::vector<double> micros;
  for (auto _ : state) {
    auto start = Clock::now();
    if (::write(fd, record.data(), record.size()) != static_cast<ssize_t>(record.size()) ||
        ::fdatasync(fd) != 0)
      state.SkipWithError("write");
    micros.push_back(MicrosSince(start));
  }
  ::close(fd);
  Report(state, micros);
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_PlainAppendWithFdatasync)->Iterations(2000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace telvo

BENCHMARK_MAIN();
