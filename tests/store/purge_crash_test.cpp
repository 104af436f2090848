// Purges in processes of their own, as on other workstations: killed at
// random moments, and racing posters.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <fstream>
#include <random>
#include <thread>

#include "store/phone_log.h"
#include "store/post_message.h"
#include "store/purge.h"
#include "support/program_fixture.h"

namespace telvo::test {
namespace {

bool Kept(char mark) { return mark == ' ' || mark == MARK_NEW || mark == MARK_IMPORTANT; }

// Runs `work` in a child process, a workstation of its own with the real
// clock and no boxes on screen, which exits with its result.
template <typename Work>
pid_t Fork(const ProgramState& state, Work work) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    PosixEnv env;
    ScriptedMessageBoxes boxes;
    Program program(env, boxes);
    program.state = state;
    ::_exit(work(program));
  }
  return pid;
}

// A file read whole into memory, where a walk's many small reads cost nothing.
struct MemoryFile : File {
  explicit MemoryFile(std::string b) : bytes(std::move(b)) {}
  Status ReadAt(int64_t offset, size_t n, std::string* out) override {
    *out = bytes.substr(std::min(static_cast<size_t>(offset), bytes.size()), n);
    return Status::Ok();
  }
  Status WriteAt(int64_t, std::string_view) override { return Status::Error(kPathFileAccessError); }
  Status Length(int64_t* length) override {
    *length = std::ssize(bytes);
    return Status::Ok();
  }
  Status Truncate(int64_t) override { return Status::Error(kPathFileAccessError); }
  Status Sync() override { return Status::Ok(); }
  std::string bytes;
};

// The number and mark of every call "C<number>" in a file, in order; false
// when the walk met damage. A clean forward walk has checked both copies of
// every length, so the file walks backwards as well.
bool ReadCalls(const std::string& nativePath, std::vector<std::pair<int, char>>* calls) {
  MemoryFile file(ReadWholeFile(nativePath));
  ProgramState parsed;
  auto visit = [&](const Record& r) {
    parsed.RecordText = r.body;
    ParseRecord(parsed);
    calls->emplace_back(std::stoi(parsed.RecCaller.substr(1)), r.body[0]);
    return true;
  };
  return WalkForward(file, std::ssize(file.bytes), 0, visit).outcome == ReadOutcome::kNone;
}

class PurgeCrashTest : public ProgramTest {
 protected:
  PurgeCrashTest() {
    SetPeople({"Ann"});
    state.PersonComputer[0] = "";  // no workstation to notify
    state.MyIndex = 0;
    state.CurrentLogPath = state.PersonLog[0];
    state.CurrentLogOwner = "Ann";
  }

  // Appends calls "C<number>" numbered on from the last one, their marks in turn.
  void Append(int count, const std::string& marks) {
    std::ofstream log(LogFile(0), std::ios::binary | std::ios::app);
    for (int i = 0; i < count; ++i) {
      const std::string number = std::to_string(markOf.size());
      markOf.push_back(marks[static_cast<size_t>(i) % marks.size()]);
      log << FrameRecord(markOf.back() + std::string("12-06-2026\x11" "C") + number +
                         "\x11" "9:05 AM\x11" "555-0100\x11" + std::string(90, 'm') + " (CW)\x11");
    }
  }

  // Both files walk cleanly; kept calls stay in the log once, in their order
  // (posted ones in no order among themselves); archived ones are in the log
  // or the archive or both, and nothing else reaches the archive. Once
  // `purged`, the log holds only kept calls.
  void ExpectNothingLost(bool purged = false) {
    std::vector<std::pair<int, char>> log, archive;
    ASSERT_TRUE(ReadCalls(LogFile(0), &log));
    ASSERT_TRUE(ReadCalls(temp.file("ann") + "/ARCHIVE", &archive));
    std::vector<int> inLog(markOf.size()), inArchive(markOf.size());
    int previous = -1, wrong = 0;
    for (const auto& [number, mark] : log) {
      wrong += (number <= previous && number < firstPosted) || mark != markOf[number] ||
               (purged && !Kept(mark));
      ++inLog[number];
      previous = number;
    }
    for (const auto& [number, mark] : archive) {
      wrong += mark != MARK_ARCHIVE || markOf[number] != MARK_ARCHIVE;
      ++inArchive[number];
    }
    for (size_t i = 0; i < markOf.size(); ++i) {
      if (Kept(markOf[i])) wrong += inLog[i] != 1;
      if (markOf[i] == MARK_ARCHIVE) wrong += inLog[i] + inArchive[i] == 0;
    }
    EXPECT_EQ(wrong, 0);
  }

  // A purge on a workstation of its own, killed after `micros` unless that
  // is negative: 0 when it purged, the signal that ended it, or more.
  int PurgeElsewhere(int64_t micros = -1) {
    const pid_t child = Fork(state, [](Program& p) {
      PurgeCalls(p);
      return int{p.state.FileError};
    });
    if (micros >= 0) std::this_thread::sleep_for(std::chrono::microseconds(micros));
    if (micros >= 0) ::kill(child, SIGKILL);
    int status = -1;
    ::waitpid(child, &status, 0);
    return WIFSIGNALED(status) ? WTERMSIG(status) : status;
  }

  std::vector<char> markOf;  // by call number
  int firstPosted = INT_MAX;  // the first call posted by another process
};

TEST_F(PurgeCrashTest, KilledPurgesLoseNoCall) {
  const std::string everyMark = {MARK_NEW, MARK_DELETE, MARK_IMPORTANT, MARK_ARCHIVE, ' ', '\x09'};
  Append(30000, {MARK_NEW, MARK_NEW, MARK_IMPORTANT, ' ', MARK_NEW});  // about four megabytes
  Append(600, everyMark);

  // One purge undisturbed gives the span over which the kills are spread.
  const auto begin = std::chrono::steady_clock::now();
  ASSERT_EQ(PurgeElsewhere(), 0);
  const auto span = std::chrono::steady_clock::now() - begin;
  ExpectNothingLost(true);

  std::mt19937 random(20261206);
  std::uniform_int_distribution<int64_t> moment(
      0, std::chrono::duration_cast<std::chrono::microseconds>(span).count() * 11 / 10);
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

TEST_F(PurgeCrashTest, PostsDuringRepeatedPurgesAreKept) {
  constexpr int kPosters = 3, kEach = 60;
  Append(1000, {MARK_NEW, MARK_DELETE, MARK_ARCHIVE, MARK_IMPORTANT});
  firstPosted = static_cast<int>(markOf.size());
  markOf.resize(markOf.size() + kPosters * kEach, MARK_NEW);
  for (int k = 0; k < kPosters; ++k) {
    ASSERT_GT(Fork(state, [&, k](Program& p) {
      p.state.MyInitials = "P";
      PadValues pad;
      pad.selectedIndex = 0;
      pad.message = "call back";
      int failures = 0;
      for (int i = 0; i < kEach; ++i, failures += p.state.FileError) {
        pad.caller = "C" + std::to_string(firstPosted + k * kEach + i);
        PostMessage(p, pad);
      }
      return failures;
    }), 0);
  }

  // Purges again and again until the posters are done, leaving the log to
  // them for a moment between rounds.
  for (int running = kPosters; running > 0;) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(PurgeElsewhere(), 0);
    for (int status = 0; ::waitpid(-1, &status, WNOHANG) > 0; --running) EXPECT_EQ(status, 0);
  }
  ASSERT_EQ(PurgeElsewhere(), 0);
  ExpectNothingLost(true);
}

}  // namespace
}  // namespace telvo::test
