// Purges in processes of their own, as on other workstations: killed at
// random moments, and racing posters; and a power cut at every step of one.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "service/delivery.h"
#include "service/purge.h"
#include "store/folder_store.h"
#include "store/phone_log.h"
#include "support/program_fixture.h"
#include "support/records.h"

namespace telvo::test {
namespace {

using namespace std::chrono;

bool Kept(char mark) { return mark == ' ' || mark == MARK_NEW || mark == MARK_IMPORTANT; }

// Runs `work` as a workstation of its own (real clock, no boxes) that exits with its result.
template <typename Work>
pid_t Fork(const Program& parent, Work work) {
  if (const pid_t pid = ::fork(); pid != 0) return pid;
  PosixEnv env;
  ScriptedMessageBoxes boxes;
  Program program(env, boxes);
  FolderStore programStore(env);
  program.store = &programStore;
  program.state = parent.state;
  program.settings = parent.settings;
  program.workgroup = parent.workgroup;
  ::_exit(work(program));
}

// Every call "C<number>" of a file, in order; each record must be what a walk
// either way trusts: a length of 1 to 32767, the body, the same length again.
// A purge killed while appending may leave the front of a record at the end
// of the archive (the next purge cuts it off): `tornTail` allows that.
std::vector<std::pair<int, char>> Calls(const std::string& nativePath, bool tornTail = false) {
  const std::string bytes = ReadWholeFile(nativePath);
  std::vector<std::pair<int, char>> calls;
  for (size_t at = 0, n = 0; at < bytes.size(); at += n + 4) {
    if (tornTail &&
        (at + 2 > bytes.size() || at + 4 + DecodeRecordLength(bytes.substr(at, 2)) > bytes.size()))
      break;
    n = at + 4 > bytes.size() ? 0 : size_t(DecodeRecordLength(bytes.substr(at, 2)));
    const std::string body = n == 0 ? "" : bytes.substr(at + 2, n);
    if (n == 0 || n > kMaxBodyLength || bytes.compare(at, n + 4, FrameRecord(body)) != 0) {
      ADD_FAILURE() << nativePath << " is damaged at byte " << at;
      break;
    }
    calls.emplace_back(std::stoi(body.substr(body.find("\x11"
                                                       "C") +
                                             2)),
                       body[0]);
  }
  return calls;
}

class PurgeCrashTest : public ProgramTest {
 protected:
  PurgeCrashTest() {
    SetPeople({"Ann"});
    ClearComputers();
    state.viewed.book = FolderBook("Ann", workgroup.at(0).log);
  }

  // Appends calls "C<number>" numbered on from the last one, their marks in turn.
  void Append(int count, const std::string& marks) {
    std::string bytes;
    for (size_t n = markOf.size(), end = n + size_t(count); n < end; ++n) {
      markOf.push_back(marks[n % marks.size()]);
      bytes += CallRecord({.mark = markOf.back(),
                           .caller = "C" + std::to_string(n),
                           .message = std::string(95, 'm')});
    }
    std::ofstream(LogFile(0), std::ios::binary | std::ios::app) << bytes;
  }

  // Kept calls stay in the log once, in their order (posted ones in any order
  // among themselves); archived ones reach the log, the archive or both, and
  // nothing else the archive. Once `purged`, the log holds only kept calls
  // and the archive each archived call exactly once.
  void ExpectNothingLost(bool purged = false) {
    std::vector<int> inLog(markOf.size()), anywhere(markOf.size());
    int previous = -1, wrong = 0;
    for (const auto& [number, mark] : Calls(LogFile(0))) {
      wrong += (number <= previous && number < firstPosted) || mark != markOf[number] ||
               (purged && !Kept(mark));
      ++inLog[number], ++anywhere[number], previous = number;
    }
    for (const auto& [number, mark] : Calls(temp.file("ann") + "/ARCHIVE", !purged))
      wrong += mark != MARK_ARCHIVE || markOf[number] != MARK_ARCHIVE, ++anywhere[number];
    for (size_t i = 0; i < markOf.size(); ++i)
      wrong += Kept(markOf[i])
                   ? inLog[i] != 1
                   : markOf[i] == MARK_ARCHIVE && (purged ? anywhere[i] != 1 : !anywhere[i]);
    EXPECT_EQ(wrong, 0);
  }

  // A purge elsewhere, killed after `micros` unless negative: 0, the signal, or more.
  int PurgeElsewhere(int64_t micros = -1) {
    const auto pid = Fork(program, [](Program& p) { return PurgeCalls(p) ? 0 : 1; });
    if (micros >= 0) std::this_thread::sleep_for(micros * 1us);
    if (micros >= 0) ::kill(pid, SIGKILL);
    int status = -1;
    ::waitpid(pid, &status, 0);
    return WIFSIGNALED(status) ? WTERMSIG(status) : status;
  }

  std::vector<char> markOf;   // by call number
  int firstPosted = INT_MAX;  // the first call posted by another process
};

TEST_F(PurgeCrashTest, KilledPurgesLoseNoCall) {
  const std::string everyMark = {MARK_NEW, MARK_DELETE, MARK_IMPORTANT, MARK_ARCHIVE, ' ', '\x09'};
  Append(30000, {MARK_NEW, MARK_NEW, MARK_IMPORTANT, ' ', MARK_NEW});  // about four megabytes
  Append(600, everyMark);

  // One purge undisturbed gives the span over which the kills are spread.
  const auto begin = steady_clock::now();
  ASSERT_EQ(PurgeElsewhere(), 0);
  std::uniform_int_distribution<int64_t> moment(0, (steady_clock::now() - begin) / 1us * 11 / 10);
  ExpectNothingLost(true);

  std::mt19937 random(20261206);
  int killed = 0;
  for (int round = 0; round < 50 && !HasFailure(); ++round) {
    SCOPED_TRACE(round);
    Append(300, everyMark);
    const int status = PurgeElsewhere(moment(random));
    killed += status == SIGKILL;
    EXPECT_TRUE(status == 0 || status == SIGKILL) << status;
    ExpectNothingLost();
  }
  EXPECT_GE(killed, 5);

  // A last purge finishes what the killed ones left.
  ASSERT_EQ(PurgeElsewhere(), 0);
  ExpectNothingLost(true);
}

// The power fails after each step of a purge, the first one (which makes the
// archive) and a later one: what the disk kept may hold an archived call
// twice, and once the log is purged again every call is where it belongs,
// exactly once, and nothing but the log and the archive is left.
TEST_F(PurgeCrashTest, APowerCutAtAnyStepLosesNoCall) {
  const std::string folder = temp.file("ann");
  Append(12, {MARK_NEW, MARK_ARCHIVE, MARK_DELETE, MARK_IMPORTANT});
  const std::string log = Log(0);
  for (const std::string& archive : {std::string(), CallRecord("C12", MARK_ARCHIVE)}) {
    markOf.resize(archive.empty() ? 12 : 13, MARK_ARCHIVE);  // C12 archived before
    for (int steps = 0; !HasFailure(); ++steps) {
      SCOPED_TRACE(testing::Message() << archive.size() << "-byte archive, cut after " << steps);
      std::filesystem::remove_all(folder);
      std::filesystem::create_directory(folder);
      WriteWholeFile(LogFile(0), log);
      if (!archive.empty()) WriteWholeFile(folder + "/ARCHIVE", archive);
      faults.CutPowerAfter(steps);
      try {
        PurgeCalls(program);
      } catch (const ProgramEnded&) {  // a file that would not open
      }
      const bool finished = !faults.powerWasCut();
      faults.DropUnsyncedData();
      ExpectNothingLost(finished);
      if (finished) break;
      ASSERT_TRUE(PurgeCalls(program));
      EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 2);
      // A power cut just after it may bring back only its note, which names
      // the log it replaced and is removed by the next purge.
      faults.DropUnsyncedData();
      ExpectNothingLost(true);
    }
  }
}

TEST_F(PurgeCrashTest, PostsDuringRepeatedPurgesAreKept) {
  constexpr int kPosters = 3, kEach = 60;
  Append(1000, {MARK_NEW, MARK_DELETE, MARK_ARCHIVE, MARK_IMPORTANT});
  firstPosted = static_cast<int>(markOf.size());
  markOf.resize(markOf.size() + kPosters * kEach, MARK_NEW);
  for (int k = 0; k < kPosters; ++k)
    ASSERT_GT(Fork(program,
                   [&, k](Program& p) {
                     PadValues pad;
                     pad.selectedIndex = 0;
                     for (int i = k; i < kPosters * kEach; i += kPosters) {
                       pad.caller = "C" + std::to_string(firstPosted + i);
                       if (!PostMessage(p, pad)) return 1;
                     }
                     return 0;
                   }),
              0);

  // Purges again and again until the posters are done, a moment apart.
  for (int running = kPosters; running > 0;) {
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(PurgeElsewhere(), 0);
    for (int status = 0; ::waitpid(-1, &status, WNOHANG) > 0; --running) EXPECT_EQ(status, 0);
  }
  ASSERT_EQ(PurgeElsewhere(), 0);
  ExpectNothingLost(true);
}

}  // namespace
}  // namespace telvo::test
