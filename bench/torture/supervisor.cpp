#include "supervisor.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <thread>

namespace telvo::torture {
namespace {

using Clock = std::chrono::steady_clock;

struct Running {
  pid_t pid = -1;
  WorkerKind kind = WorkerKind::kPoster;
  int slot = 0;
  std::string journalPath;
};

// Does the journal end with the line `last`?
bool JournalEndsWith(const std::string& path, const std::string& last) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  const std::streamoff size = in.tellg();
  if (size < static_cast<std::streamoff>(last.size())) return false;
  std::string tail(last.size(), '\0');
  in.seekg(size - static_cast<std::streamoff>(last.size()));
  in.read(tail.data(), static_cast<std::streamsize>(tail.size()));
  return in && tail == last;
}

class Supervisor {
 public:
  explicit Supervisor(const RunPlan& plan) : plan_(plan), random_(plan.seed) {}

  RunCounts Run() {
    for (int k = 0; k < kWorkerKinds; ++k) {
      for (int slot = 0; slot < plan_.workers[static_cast<size_t>(k)]; ++slot)
        running_.push_back(Start(static_cast<WorkerKind>(k), slot));
    }
    const Clock::time_point end = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                                     std::chrono::duration<double>(plan_.seconds));
    std::uniform_int_distribution<int> gap(0, 2 * plan_.meanKillGapMs);
    Clock::time_point nextKill = Clock::now() + std::chrono::milliseconds(gap(random_));
    while (Clock::now() < end) {
      const Clock::time_point reap = Clock::now() + kReapEvery;
      std::this_thread::sleep_until(std::min({nextKill, end, reap}));
      ReapUnexpected();
      if (Clock::now() >= nextKill && Clock::now() < end) {
        KillOne();
        nextKill = Clock::now() + std::chrono::milliseconds(gap(random_));
      }
    }
    for (Running& worker : running_) ::kill(worker.pid, SIGKILL);
    for (Running& worker : running_) Wait(worker);
    return counts_;
  }

 private:
  static constexpr auto kReapEvery = std::chrono::milliseconds(100);

  Running Start(WorkerKind kind, int slot) {
    WorkerSetup setup;
    setup.kind = kind;
    setup.slot = slot;
    setup.slots = plan_.workers[static_cast<size_t>(WorkerKind::kMarker)];
    setup.incarnation = ++incarnations_;
    // With a second mount of the folder, the workers of each kind take
    // turns between the two, as colleagues at two workstations would.
    setup.logPath =
        plan_.secondLogPath.empty() || slot % 2 == 0 ? plan_.logPath : plan_.secondLogPath;
    setup.journalPath =
        plan_.journalFolder + "/" + KindName(kind) + "-" + std::to_string(setup.incarnation);
    setup.seed = plan_.seed * 7919u + static_cast<uint32_t>(setup.incarnation);
    ++counts_.started[static_cast<size_t>(kind)];
    std::fflush(nullptr);  // nothing buffered here is written twice
    const pid_t pid = ::fork();
    if (pid == 0) RunWorker(setup);
    if (pid < 0) {
      std::perror("torture: fork");
      std::exit(2);
    }
    return {pid, kind, slot, setup.journalPath};
  }

  // Waits for a worker that was killed; true when SIGKILL ended it.
  bool Wait(const Running& worker) {
    int status = 0;
    while (::waitpid(worker.pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) return true;
    NoteUnexpected(worker, status);
    return false;
  }

  void NoteUnexpected(const Running& worker, int status) {
    counts_.unexpectedEnds.push_back(
        std::string(KindName(worker.kind)) + " " + std::to_string(worker.pid) +
        (WIFEXITED(status) ? " exited with status " + std::to_string(WEXITSTATUS(status))
                           : " ended by signal " + std::to_string(WTERMSIG(status))));
  }

  // A worker never ends by itself; one that did is noted and replaced.
  void ReapUnexpected() {
    int status = 0;
    for (pid_t pid; (pid = ::waitpid(-1, &status, WNOHANG)) > 0;) {
      for (Running& worker : running_) {
        if (worker.pid != pid) continue;
        NoteUnexpected(worker, status);
        worker = Start(worker.kind, worker.slot);
      }
    }
  }

  // A kind chosen evenly among those that run, then one of its workers, so
  // the two purgers are killed as often as the eight posters.
  void KillOne() {
    std::vector<int> kinds;
    for (int k = 0; k < kWorkerKinds; ++k)
      if (plan_.workers[static_cast<size_t>(k)] > 0) kinds.push_back(k);
    if (kinds.empty()) return;
    const auto kind = static_cast<WorkerKind>(
        kinds[std::uniform_int_distribution<size_t>(0, kinds.size() - 1)(random_)]);
    std::vector<Running*> ofKind;
    for (Running& worker : running_)
      if (worker.kind == kind) ofKind.push_back(&worker);
    Running& victim = *ofKind[std::uniform_int_distribution<size_t>(0, ofKind.size() - 1)(random_)];
    if (kind == WorkerKind::kPurger) AwaitPurge(victim);
    ::kill(victim.pid, SIGKILL);
    // Gone for good before its successor starts: a marker's calls are
    // marked by one process at a time.
    if (Wait(victim)) ++counts_.killed[static_cast<size_t>(kind)];
    victim = Start(victim.kind, victim.slot);
  }

  // A purger spends most of its time waiting for the next purge, and a
  // purge of a small log takes milliseconds: a kill at a random moment would
  // seldom land in one. So the purger's kill waits (a second and a half at
  // most) until its journal says a purge began, and then a few milliseconds
  // more, spread over the purge's likely span.
  void AwaitPurge(const Running& purger) {
    const Clock::time_point giveUp = Clock::now() + std::chrono::milliseconds(1500);
    while (!JournalEndsWith(purger.journalPath, "purge\n") && Clock::now() < giveUp)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(
        std::chrono::microseconds(std::uniform_int_distribution<int>(0, 10000)(random_)));
  }

  const RunPlan& plan_;
  std::mt19937 random_;
  std::vector<Running> running_;
  RunCounts counts_;
  int64_t incarnations_ = 0;
};

}  // namespace

RunCounts RunWorkers(const RunPlan& plan) { return Supervisor(plan).Run(); }

}  // namespace telvo::torture
