// Purges in processes of their own, as on other workstations: killed at
// random moments, and racing posters.

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <random>
#include <thread>

#include "store/phone_log.h"
#include "store/post_message.h"
#include "store/purge.h"
#include "support/program_fixture.h"

namespace telvo::test {
namespace {

std::string CallRecord(const std::string& caller, char mark, const std::string& message) {
  return FrameRecord(std::string(1, mark) + "12-06-2026\x11" + caller +
                     "\x11" "9:05 AM\x11" "555-0100\x11" + message + " (CW)\x11");
}

bool Kept(char mark) { return mark == ' ' || mark == MARK_NEW || mark == MARK_IMPORTANT; }

// A workstation of its own: the real clock, no boxes on screen.
struct Workstation {
  explicit Workstation(const ProgramState& state) : program(env, boxes) { program.state = state; }
  PosixEnv env;
  ScriptedMessageBoxes boxes;
  Program program;
};

template <typename Work>
pid_t Fork(Work work) {
  pid_t pid = ::fork();
  if (pid == 0) ::_exit(work());
  return pid;
}

// 0 for a child that ended well, 1 for a failure or a crash, -1 when the
// test killed it.
int Reap(pid_t pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (WIFSIGNALED(status)) return WTERMSIG(status) == SIGKILL ? -1 : 1;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}

struct Call {
  std::string caller;
  char mark;
  std::string message;
};

// Every call of a file in order; `clean` when the walks found no damage
// either way.
struct Contents {
  bool clean = false;
  std::vector<Call> calls;
};

// The walks over a file read whole into memory: many small reads cost
// nothing there.
class MemoryFile : public File {
 public:
  explicit MemoryFile(std::string bytes) : bytes_(std::move(bytes)) {}
  Status ReadAt(int64_t offset, size_t n, std::string* out) override {
    *out = bytes_.substr(std::min(static_cast<size_t>(offset), bytes_.size()), n);
    return Status::Ok();
  }
  Status WriteAt(int64_t, std::string_view) override { return Status::Error(kPathFileAccessError); }
  Status Length(int64_t* length) override {
    *length = static_cast<int64_t>(bytes_.size());
    return Status::Ok();
  }
  Status Truncate(int64_t) override { return Status::Error(kPathFileAccessError); }
  Status Sync() override { return Status::Ok(); }

 private:
  std::string bytes_;
};

Contents Read(const std::string& nativePath) {
  Contents contents;
  MemoryFile file(ReadWholeFile(nativePath));
  int64_t length = 0;
  file.Length(&length);
  ProgramState parsed;
  RecordRead forward = WalkForward(file, length, 0, [&](const Record& r) {
    parsed.RecordText = r.body;
    ParseRecord(parsed);
    contents.calls.push_back({parsed.RecCaller, r.body[0], parsed.RecMessage});
    return true;
  });
  size_t backward = 0;
  RecordRead back = WalkBackward(file, length, [&](const Record&) { return ++backward > 0; });
  contents.clean = forward.outcome == ReadOutcome::kNone && back.outcome == ReadOutcome::kNone &&
                   backward == contents.calls.size();
  return contents;
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

  std::string ArchiveFile() const { return temp.file("ann") + "/ARCHIVE"; }

  // Appends calls "C0", "C1", ... numbered on from the last one, their marks
  // in turn.
  void Append(int count, const std::string& marks) {
    std::unique_ptr<File> log;
    ASSERT_TRUE(posix.OpenFile(state.PersonLog[0], FileAccess::kUpdate, &log).ok());
    int64_t length = 0;
    ASSERT_TRUE(log->Length(&length).ok());
    std::string bytes;
    for (int i = 0; i < count; ++i) {
      const char mark = marks[static_cast<size_t>(i) % marks.size()];
      bytes += CallRecord("C" + std::to_string(markOf.size()), mark, std::string(90, 'm'));
      markOf.push_back(mark);
    }
    ASSERT_TRUE(log->WriteAt(length, bytes).ok());
  }

  // Both files walk cleanly; every call is in the log or the archive, except
  // the dropped ones; kept calls stay in the log once, in their order;
  // archived ones may be in both, and nothing else reaches the archive.
  void ExpectNothingLost() {
    Contents log = Read(LogFile(0)), archive = Read(ArchiveFile());
    ASSERT_TRUE(log.clean);
    ASSERT_TRUE(archive.clean);
    std::vector<int> inLog(markOf.size()), inArchive(markOf.size());
    int previous = -1, outOfOrder = 0, wrongMark = 0;
    for (const Call& call : log.calls) {
      const int number = std::stoi(call.caller.substr(1));
      ++inLog[static_cast<size_t>(number)];
      outOfOrder += number <= previous;
      previous = number;
      wrongMark += call.mark != markOf[static_cast<size_t>(number)];
    }
    for (const Call& call : archive.calls) {
      const size_t number = std::stoul(call.caller.substr(1));
      ++inArchive[number];
      wrongMark += call.mark != MARK_ARCHIVE || markOf[number] != MARK_ARCHIVE;
    }
    int lost = 0;
    for (size_t i = 0; i < markOf.size(); ++i) {
      if (Kept(markOf[i])) lost += inLog[i] != 1;
      if (markOf[i] == MARK_ARCHIVE) lost += inLog[i] + inArchive[i] == 0;
    }
    EXPECT_EQ(lost, 0);
    EXPECT_EQ(outOfOrder, 0);
    EXPECT_EQ(wrongMark, 0);
  }

  pid_t ForkPurge() {
    const ProgramState copy = state;
    return Fork([copy] {
      Workstation ws(copy);
      PurgeCalls(ws.program);
      return ws.program.state.FileError;
    });
  }

  std::vector<char> markOf;  // by call number
};

TEST_F(PurgeCrashTest, KilledPurgesLoseNoCall) {
  const std::string everyMark = {MARK_NEW, MARK_DELETE, MARK_IMPORTANT, MARK_ARCHIVE, ' ', '\x09'};
  Append(30000, {MARK_NEW, MARK_NEW, MARK_IMPORTANT, ' ', MARK_NEW});  // about four megabytes
  Append(600, everyMark);

  // One purge undisturbed gives the span over which the kills are spread.
  auto begin = std::chrono::steady_clock::now();
  ASSERT_EQ(Reap(ForkPurge()), 0);
  const auto span = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now() - begin);
  ExpectNothingLost();

  std::mt19937 random(20261206);
  std::uniform_int_distribution<int64_t> moment(0, span.count() * 11 / 10);
  int killed = 0;
  for (int round = 0; round < 50; ++round) {
    SCOPED_TRACE(round);
    Append(300, everyMark);
    pid_t child = ForkPurge();
    std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
    ::kill(child, SIGKILL);
    const int result = Reap(child);
    killed += result < 0;
    ASSERT_LE(result, 0);
    ExpectNothingLost();
    if (HasFailure()) return;
  }
  EXPECT_GE(killed, 5);

  // A last purge finishes what the killed ones left.
  ASSERT_EQ(Reap(ForkPurge()), 0);
  ExpectNothingLost();
  for (const Call& call : Read(LogFile(0)).calls) ASSERT_TRUE(Kept(call.mark));
}

// Marks posted calls as their owner would, by number: one in four for
// deletion, one in four for the archive.
bool MarkPostedCalls(Program& program) {
  ProgramState& s = program.state;
  std::unique_ptr<File> log = OpenPhoneLog(program);
  bool written = log != nullptr;
  if (log) {
    WalkForward(*log, s.LogLength, 0, [&](const Record& r) {
      s.RecordText = r.body;
      ParseRecord(s);
      const int number = s.RecCaller[0] == 'P' ? std::stoi(s.RecMessage) % 4 : 2;
      if (r.body[0] == MARK_NEW && number < 2) {
        const char mark = number == 0 ? MARK_DELETE : MARK_ARCHIVE;
        written = written && log->WriteAt(r.start + 2, std::string(1, mark)).ok();
      }
      return true;
    });
  }
  return written;
}

TEST_F(PurgeCrashTest, PostsDuringRepeatedPurgesAreKept) {
  constexpr int kPosters = 3, kEach = 60;
  Append(1000, {MARK_NEW, MARK_DELETE, MARK_ARCHIVE, MARK_IMPORTANT});
  const ProgramState people = state;

  // The purger marks and purges again and again until the posters are
  // done, leaving the log to them for a moment between rounds.
  int done[2];
  ASSERT_EQ(::pipe(done), 0);
  pid_t purger = Fork([&] {
    ::close(done[1]);
    Workstation ws(people);
    int failures = 0;
    for (bool last = false; !last;) {
      pollfd posters = {done[0], POLLIN, 0};
      last = ::poll(&posters, 1, 100) > 0;
      failures += !MarkPostedCalls(ws.program);
      PurgeCalls(ws.program);
      failures += ws.program.state.FileError;
    }
    return failures;
  });
  ::close(done[0]);
  std::vector<pid_t> posters;
  for (int k = 0; k < kPosters; ++k) {
    posters.push_back(Fork([&, k] {
      Workstation ws(people);
      ws.program.state.MyInitials = "P";
      int failures = 0;
      for (int i = 0; i < kEach; ++i) {
        PadValues pad;
        pad.selectedIndex = 0;
        pad.caller = "P" + std::to_string(k);
        pad.message = std::to_string(i);
        PostMessage(ws.program, pad);
        failures += ws.program.state.FileError;
      }
      return failures;
    }));
  }
  for (pid_t poster : posters) EXPECT_EQ(Reap(poster), 0);
  ::close(done[1]);
  EXPECT_EQ(Reap(purger), 0);

  Contents log = Read(LogFile(0)), archive = Read(ArchiveFile());
  ASSERT_TRUE(log.clean);
  ASSERT_TRUE(archive.clean);
  std::map<std::string, int> inLog, inArchive;
  for (const Call& call : log.calls) ++inLog[call.caller + "/" + call.message];
  for (const Call& call : archive.calls) ++inArchive[call.caller + "/" + call.message];
  int lost = 0;
  for (int k = 0; k < kPosters; ++k) {
    for (int i = 0; i < kEach; ++i) {
      const std::string call = "P" + std::to_string(k) + "/" + std::to_string(i) + " (P)";
      const int logged = inLog[call], archived = inArchive[call];
      switch (i % 4) {
        case 0: lost += logged > 1 || archived != 0; break;  // kept until purged, or dropped
        case 1: lost += logged + archived != 1; break;
        default: lost += logged != 1 || archived != 0;
      }
    }
  }
  EXPECT_EQ(lost, 0);
}

}  // namespace
}  // namespace telvo::test
