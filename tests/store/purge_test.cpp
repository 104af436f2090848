#include "store/purge.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "store/phone_log.h"
#include "support/program_fixture.h"

namespace telvo::test {
namespace {

namespace fs = std::filesystem;

std::string Rec(const std::string& caller, char mark) {
  return FrameRecord(std::string(1, mark) + "12-06-2026\x11" + caller +
                     "\x11" "9:05 AM\x11" "555-0100\x11" "call back (CW)\x11");
}

class PurgeTest : public ProgramTest {
 protected:
  PurgeTest() {
    SetPeople({"Ann", "Bob"});
    state.MyIndex = 0;
    View(0, false);
  }

  void View(int person, bool archive) {
    state.CurrentLogPath = archive ? state.PersonArchive[static_cast<size_t>(person)]
                                   : state.PersonLog[static_cast<size_t>(person)];
    state.CurrentLogOwner = state.PersonName[static_cast<size_t>(person)];
  }
  std::string ArchiveFile(int person) const {
    return fs::path(LogFile(person)).replace_filename("ARCHIVE").string();
  }
  std::string Archive(int person) const { return ReadWholeFile(ArchiveFile(person)); }
  void Purge() {
    boxes.Clear();
    PurgeCalls(program);
  }
  // No work file outlives a purge, whatever its end.
  void ExpectNoWorkFiles() {
    EXPECT_FALSE(fs::exists(LogFile(0) + ".NEW"));
    EXPECT_FALSE(fs::exists(ArchiveFile(0) + ".NEW"));
  }
};

TEST_F(PurgeTest, EachMarkGoesWhereItsTableSays) {
  const std::string oldArchive = Rec("Old", MARK_ARCHIVE);
  WriteWholeFile(ArchiveFile(0), oldArchive);
  WriteWholeFile(LogFile(0), Rec("New", MARK_NEW) + Rec("Del", MARK_DELETE) +
                                 Rec("Arc1", MARK_ARCHIVE) + Rec("Imp", MARK_IMPORTANT) +
                                 Rec("Blank", ' ') + Rec("Odd", '\x07') +
                                 Rec("Arc2", MARK_ARCHIVE) + Rec("Last", MARK_NEW));
  Purge();
  const std::string kept =
      Rec("New", MARK_NEW) + Rec("Imp", MARK_IMPORTANT) + Rec("Blank", ' ') + Rec("Last", MARK_NEW);
  EXPECT_EQ(Log(0), kept);
  EXPECT_EQ(Archive(0), oldArchive + Rec("Arc1", MARK_ARCHIVE) + Rec("Arc2", MARK_ARCHIVE));
  EXPECT_EQ(state.LogLength, static_cast<int64_t>(kept.size()));
  EXPECT_EQ(state.FileError, 0);
  EXPECT_TRUE(boxes.shown().empty());
  ExpectNoWorkFiles();

  // The archive keeps its archived calls and drops only deleted and unknown
  // ones; the phone log and every other archive stay untouched.
  WriteWholeFile(ArchiveFile(0), Archive(0) + Rec("ArcDel", MARK_DELETE) +
                                     Rec("ArcNew", MARK_NEW) + Rec("Odd2", '\x7f'));
  View(0, true);
  Purge();
  EXPECT_EQ(Archive(0), oldArchive + Rec("Arc1", MARK_ARCHIVE) + Rec("Arc2", MARK_ARCHIVE) +
                            Rec("ArcNew", MARK_NEW));
  EXPECT_EQ(Log(0), kept);
  EXPECT_FALSE(fs::exists(ArchiveFile(1)));
  EXPECT_TRUE(boxes.shown().empty());
  ExpectNoWorkFiles();
}

TEST_F(PurgeTest, UnansweredCallsAreRewrittenByteForByte) {
  // An empty log: nothing happens, not even the archive.
  WriteWholeFile(LogFile(0), "");
  Purge();
  EXPECT_EQ(Log(0), "");
  EXPECT_FALSE(fs::exists(ArchiveFile(0)));
  EXPECT_TRUE(boxes.shown().empty());
  EXPECT_EQ(state.FileError, 0);

  // A longer work file left by a purge that stopped earlier leaks nothing.
  std::string stale;
  for (int i = 0; i < 5; ++i) stale += Rec("Stale", MARK_NEW);
  WriteWholeFile(LogFile(0) + ".NEW", stale);
  const std::string log = Rec("A", MARK_NEW) + Rec("B", MARK_IMPORTANT) + Rec("C", ' ');
  WriteWholeFile(LogFile(0), log);
  Purge();
  EXPECT_EQ(Log(0), log);
  // The first purge creates the archive, empty when nothing was archived.
  EXPECT_TRUE(fs::exists(ArchiveFile(0)));
  EXPECT_EQ(Archive(0), "");
  EXPECT_TRUE(boxes.shown().empty());
  ExpectNoWorkFiles();
}

TEST_F(PurgeTest, LogAndArchiveAreReplacedWhileTheirLocksAreHeld) {
  // Another workstation tries each file at the moment it is replaced: a post
  // that got in then would land in a file about to vanish.
  struct Watcher : EnvWrapper {
    using EnvWrapper::EnvWrapper;
    Status RenameFile(const std::string& from, const std::string& to) override {
      std::unique_ptr<File> other;
      triedDuringRename.push_back(elsewhere->OpenFile(to, FileAccess::kUpdate, &other).code());
      return EnvWrapper::RenameFile(from, to);
    }
    Env* elsewhere = nullptr;
    std::vector<int> triedDuringRename;
  } watcher(&env);
  watcher.elsewhere = &posix;
  Program watched(watcher, boxes);
  watched.state = state;
  WriteWholeFile(LogFile(0), Rec("Keep", MARK_NEW) + Rec("Arc", MARK_ARCHIVE));
  PurgeCalls(watched);
  EXPECT_EQ(watcher.triedDuringRename, (std::vector<int>{kPermissionDenied, kPermissionDenied}));
  EXPECT_EQ(Log(0), Rec("Keep", MARK_NEW));
  EXPECT_EQ(Archive(0), Rec("Arc", MARK_ARCHIVE));
}

TEST_F(PurgeTest, DamagedRecordStopsWithBothFilesUnchanged) {
  const std::string good = Rec("Keep", MARK_NEW) + Rec("Arc", MARK_ARCHIVE);
  std::string mismatch = Rec("Bad", MARK_NEW);
  mismatch[mismatch.size() - 1] = '\x01';
  const std::string after = Rec("After", MARK_DELETE);
  const std::string tails[] = {
      Rec("Cut", MARK_NEW).substr(0, 20),             // runs past the end
      std::string("\0\0\0\0", 4) + after,            // a length of 0
      mismatch + after,                               // the two copies disagree
  };
  const std::string archive = Rec("Old", MARK_ARCHIVE);
  for (const std::string& tail : tails) {
    const std::string log = good + tail;
    WriteWholeFile(LogFile(0), log);
    WriteWholeFile(ArchiveFile(0), archive);
    Purge();
    EXPECT_EQ(Log(0), log);
    EXPECT_EQ(Archive(0), archive);
    EXPECT_EQ(state.FileError, 1);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.last().caption, "Ann");
    EXPECT_EQ(boxes.last().icon, BoxIcon::kStop);
    EXPECT_EQ(boxes.last().text, "The phone log is damaged at byte " +
                                     std::to_string(good.size()) +
                                     ". Please call technical support.");
    ExpectNoWorkFiles();
  }
}

TEST_F(PurgeTest, FileHeldElsewhereStopsWithTheLogUnchanged) {
  const std::string log = Rec("Keep", MARK_NEW) + Rec("Arc", MARK_ARCHIVE);
  WriteWholeFile(LogFile(0), log);
  WriteWholeFile(ArchiveFile(0), "");
  // Someone printing or purging the archive, or another purge's work file.
  for (const std::string& held :
       {LogFile(0) + ".NEW", ArchiveFile(0), ArchiveFile(0) + ".NEW"}) {
    SCOPED_TRACE(held);
    std::unique_ptr<File> holder;
    ASSERT_TRUE(posix.OpenFile(held, FileAccess::kUpdate, &holder).ok());
    ASSERT_TRUE(holder->WriteAt(0, "held").ok());
    const int64_t slept = env.sleptMs();
    Purge();
    EXPECT_EQ(state.FileError, 1);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.last(), (MessageBox{"Ann", "Message file is locked up", BoxIcon::kStop}));
    EXPECT_EQ(state.LockRetries, kMaxOpenTries);
    EXPECT_GE(env.sleptMs() - slept, 9000);  // ten pauses of about a second
    EXPECT_EQ(Log(0), log);
    EXPECT_EQ(Archive(0), held == ArchiveFile(0) ? "held" : "");
    EXPECT_EQ(ReadWholeFile(held), "held");
    holder.reset();
    fs::remove(held);
    WriteWholeFile(ArchiveFile(0), "");
  }
  EXPECT_FALSE(fs::exists(LogFile(0) + ".NEW"));

  // Any other failure of those opens leaves the files in doubt: fatal.
  const struct {
    int open;  // the log is the purge's first open
    std::string notice;
  } fatal[] = {{2, "Error opening .NEW file during purge."},
               {3, "Error opening archive file during purge."},
               {4, "Error opening archive file during purge."}};
  for (const auto& f : fatal) {
    faults.FailNth(FileOp::kOpen, faults.count(FileOp::kOpen) + f.open, kPathFileAccessError);
    boxes.Clear();
    EXPECT_THROW(PurgeCalls(program), ProgramEnded);
    EXPECT_EQ(boxes.last().text,
              f.notice + "\nPlease call technical support. Unknown error  75\nProgram Ending");
    EXPECT_EQ(Log(0), log);
    EXPECT_EQ(Archive(0), "");
    ExpectNoWorkFiles();
  }

  Purge();
  EXPECT_EQ(Log(0), Rec("Keep", MARK_NEW));
  EXPECT_EQ(Archive(0), Rec("Arc", MARK_ARCHIVE));
}

TEST_F(PurgeTest, FailedWriteSyncOrRenameLeavesTheLogUnchanged) {
  const std::string log = Rec("Keep", MARK_NEW) + Rec("Arc", MARK_ARCHIVE);
  const std::string archive = Rec("Old", MARK_ARCHIVE);
  const struct {
    FileOp op;
    int nth;  // counted from the purge's start
    int code;
    std::string text;
  } cases[] = {
      {FileOp::kWrite, 1, kDiskFull, "Unknown Error  61"},        // the kept calls
      {FileOp::kSync, 1, kDeviceIoError, "Unknown Error  57"},    // the kept calls
      {FileOp::kWrite, 2, kDiskFull, "Unknown Error  61"},        // the new archive
      {FileOp::kSync, 2, kDeviceIoError, "Unknown Error  57"},    // the new archive
      {FileOp::kRename, 1, kPermissionDenied, "Purge control file is locked. Try again."},
      {FileOp::kRename, 2, kPathNotFound, "Invalid Path For User's Phonelog "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    WriteWholeFile(LogFile(0), log);
    WriteWholeFile(ArchiveFile(0), archive);
    faults.FailNth(c.op, faults.count(c.op) + c.nth, c.code);
    Purge();
    EXPECT_EQ(state.FileError, 1);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.last(), (MessageBox{"Ann", c.text, BoxIcon::kStop}));
    EXPECT_EQ(Log(0), log);
    // Only a failure to replace the log after the archive was replaced
    // leaves the call twice; it is never lost.
    const bool archived = c.op == FileOp::kRename && c.nth == 2;
    EXPECT_EQ(Archive(0), archived ? archive + Rec("Arc", MARK_ARCHIVE) : archive);
    ExpectNoWorkFiles();
  }
}

TEST_F(PurgeTest, PollBaselineFollowsOnlyTheUsersOwnLog) {
  const std::string log = Rec("Keep", MARK_NEW) + Rec("Del", MARK_DELETE);
  const struct {
    int myIndex;
    int person;
    bool archive;
    bool refreshed;
  } cases[] = {
      {-1, 0, false, false},  // the user is not in the workgroup
      {1, 0, false, false},   // a colleague's log
      {0, 0, true, false},    // the user's own archive
      {0, 0, false, true},
  };
  for (const auto& c : cases) {
    WriteWholeFile(LogFile(0), log);
    WriteWholeFile(ArchiveFile(0), log);
    state.MyIndex = static_cast<int16_t>(c.myIndex);
    state.LastLogLength = 777;
    View(c.person, c.archive);
    Purge();
    EXPECT_EQ(state.FileError, 0);
    EXPECT_EQ(state.LastLogLength, c.refreshed ? static_cast<int32_t>(Log(0).size()) : 777);
  }
  EXPECT_EQ(Log(0), Rec("Keep", MARK_NEW));
}

TEST_F(PurgeTest, ArchiveUnderAFolderNamedMessagesIsNoPhoneLog) {
  // \\SRV\MESSAGES\ANN: the folder's name alone must not make the archive a
  // phone log, or purging it would archive its calls into itself.
  const std::string folder = fs::path(temp.path()).string() + "/MESSAGES/ANN";
  fs::create_directories(folder);
  std::string programFolder = temp.path() + "\\MESSAGES\\ANN";
  for (char& ch : programFolder) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  state.PersonLog[0] = programFolder + "\\MESSAGES";
  state.PersonArchive[0] = programFolder + "\\ARCHIVE";
  EXPECT_FALSE(IsPhoneLogPath(state.PersonArchive[0]));

  WriteWholeFile(folder + "/MESSAGES", Rec("Keep", MARK_NEW) + Rec("Arc", MARK_ARCHIVE));
  View(0, false);
  Purge();
  EXPECT_EQ(ReadWholeFile(folder + "/MESSAGES"), Rec("Keep", MARK_NEW));
  EXPECT_EQ(ReadWholeFile(folder + "/ARCHIVE"), Rec("Arc", MARK_ARCHIVE));

  WriteWholeFile(folder + "/ARCHIVE", Rec("Arc", MARK_ARCHIVE) + Rec("Del", MARK_DELETE));
  View(0, true);
  Purge();
  EXPECT_TRUE(boxes.shown().empty());
  EXPECT_EQ(ReadWholeFile(folder + "/ARCHIVE"), Rec("Arc", MARK_ARCHIVE));
  EXPECT_EQ(ReadWholeFile(folder + "/MESSAGES"), Rec("Keep", MARK_NEW));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);
}

}  // namespace
}  // namespace telvo::test
