#include "service/purge.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "service/poller.h"
#include "store/folder_store.h"
#include "store/phone_log.h"
#include "support/program_fixture.h"
#include "support/records.h"

namespace telvo::test {
namespace {

namespace fs = std::filesystem;

std::string Rec(const std::string& caller, char mark) { return CallRecord(caller, mark); }

class PurgeTest : public ProgramTest {
 protected:
  PurgeTest() {
    SetPeople({"Ann", "Bob"});
    SetUserIndex(0);
    state.viewed.book = FolderBook("Ann", workgroup.at(0).log);
  }

  std::string ArchiveFile() const { return temp.file("ann") + "/ARCHIVE"; }
  std::string Archive() const { return ReadWholeFile(ArchiveFile()); }
  bool Purge() {
    boxes.Clear();
    return PurgeCalls(program);
  }
  // No work file outlives a purge, whatever its end, but one held elsewhere.
  void ExpectNoWorkFiles(const std::string& held = "") {
    for (const std::string& work : {LogFile(0) + ".NEW", ArchiveFile() + ".NEW"})
      EXPECT_EQ(fs::exists(work), work == held) << work;
  }
};

TEST_F(PurgeTest, EachMarkGoesWhereItsTableSays) {
  // An empty log: nothing happens, not even the archive.
  WriteWholeFile(LogFile(0), "");
  Purge();
  EXPECT_EQ(Log(0), "");
  EXPECT_FALSE(fs::exists(ArchiveFile()));
  EXPECT_TRUE(boxes.shown().empty());

  // Unanswered calls are rewritten byte for byte, over a longer work file
  // left by a purge that stopped earlier. The first purge creates the
  // archive, empty when nothing was archived.
  const std::string unanswered = Rec("A", MARK_NEW) + Rec("B", MARK_IMPORTANT) + Rec("C", ' ');
  WriteWholeFile(LogFile(0), unanswered);
  WriteWholeFile(LogFile(0) + ".NEW", unanswered + Rec("Stale", MARK_NEW));
  Purge();
  EXPECT_EQ(Log(0), unanswered);
  EXPECT_TRUE(fs::exists(ArchiveFile()));
  EXPECT_EQ(Archive(), "");

  const std::string oldArchive = Rec("Old", MARK_ARCHIVE);
  WriteWholeFile(ArchiveFile(), oldArchive);
  WriteWholeFile(LogFile(0), Rec("New", MARK_NEW) + Rec("Del", MARK_DELETE) +
                                 Rec("Arc1", MARK_ARCHIVE) + Rec("Imp", MARK_IMPORTANT) +
                                 Rec("Blank", ' ') + Rec("Odd", '\x07') +
                                 Rec("Arc2", MARK_ARCHIVE) + Rec("Last", MARK_NEW));
  Purge();
  const std::string kept =
      Rec("New", MARK_NEW) + Rec("Imp", MARK_IMPORTANT) + Rec("Blank", ' ') + Rec("Last", MARK_NEW);
  const std::string archived = oldArchive + Rec("Arc1", MARK_ARCHIVE) + Rec("Arc2", MARK_ARCHIVE);
  EXPECT_EQ(Log(0), kept);
  EXPECT_EQ(Archive(), archived);

  // The archive keeps its archived calls and drops only deleted and unknown
  // ones; the phone log and every other archive stay untouched.
  WriteWholeFile(ArchiveFile(), archived + Rec("ArcDel", MARK_DELETE) + Rec("ArcNew", MARK_NEW) +
                                    Rec("Odd2", '\x7f'));
  state.viewed.book.archive = true;
  EXPECT_TRUE(Purge());
  EXPECT_EQ(Archive(), archived + Rec("ArcNew", MARK_NEW));
  EXPECT_EQ(Log(0), kept);
  EXPECT_FALSE(fs::exists(temp.file("bob") + "/ARCHIVE"));
  EXPECT_TRUE(boxes.shown().empty());
  ExpectNoWorkFiles();
}

TEST_F(PurgeTest, StoppedPurgeLeavesBothFilesAsTheyWere) {
  const std::string good = Rec("Keep", MARK_NEW) + Rec("Arc", MARK_ARCHIVE);
  const std::string archive = Rec("Old", MARK_ARCHIVE);
  WriteWholeFile(ArchiveFile(), archive);
  const auto purgeStops = [&](const std::string& log, const std::string& text,
                              const std::string& held = "") {
    WriteWholeFile(LogFile(0), log);
    EXPECT_FALSE(Purge());
    EXPECT_EQ(boxes.shown(), (std::vector<MessageBox>{{"Ann", text, BoxIcon::kStop}}));
    EXPECT_EQ(Log(0), log);
    EXPECT_EQ(Archive(), archive);
    ExpectNoWorkFiles(held);
  };

  // The two copies of a length disagree, behind calls already sorted.
  std::string bad = Rec("Bad", MARK_NEW);
  bad.back() = '\x01';
  purgeStops(good + bad + Rec("After", MARK_DELETE), "The phone log is damaged at byte " +
                                                         std::to_string(good.size()) +
                                                         ". Please call technical support.");

  // The disk fills up while the archived calls are written, or while the
  // kept ones are, after the archived ones reached the archive: they are
  // cut off again, since the log still holds them.
  for (int nth : {1, 2}) {
    faults.FailNth(FileOp::kWrite, faults.count(FileOp::kWrite) + nth, kDiskFull);
    purgeStops(good, "The disk is full. Nothing was purged.");
  }
  // The new log's rename refused: held elsewhere (worth another try), or
  // refused by a share that never lets a file be replaced.
  faults.FailNth(FileOp::kRename, faults.count(FileOp::kRename) + 1, kPermissionDenied);
  purgeStops(good, "Purge control file is locked. Try again.");
  faults.FailNth(FileOp::kRename, faults.count(FileOp::kRename) + 1, kPathFileAccessError);
  purgeStops(good,
             "This shared folder does not let the phone log be replaced, so purging cannot "
             "work here. Nothing was purged. Please call technical support.");

  // Another purge's work file, or the archive being printed or purged
  // elsewhere: the lock is waited out on the clock, then the purge stops
  // without touching the other's file.
  WriteWholeFile(LogFile(0) + ".NEW", "held");
  for (const std::string& held : {LogFile(0) + ".NEW", ArchiveFile()}) {
    SCOPED_TRACE(held);
    std::unique_ptr<File> holder;
    ASSERT_OK(posix.OpenFile(held, FileAccess::kUpdate, &holder));
    const int64_t slept = env.sleptMs();
    purgeStops(good, "Message file is locked up", held);
    EXPECT_GE(env.sleptMs() - slept, kTenPausesMinMs);
    EXPECT_EQ(ReadWholeFile(LogFile(0) + ".NEW"), held == ArchiveFile() ? "" : "held");
  }

  // A first purge that stops leaves no archive it created.
  fs::remove(ArchiveFile());
  WriteWholeFile(LogFile(0), good);
  faults.FailNth(FileOp::kWrite, faults.count(FileOp::kWrite) + 1, kDiskFull);
  EXPECT_FALSE(Purge());
  EXPECT_FALSE(fs::exists(ArchiveFile()));
}

TEST_F(PurgeTest, NewLogIsRenamedIntoPlaceUnderTheOldOnesLock) {
  WriteWholeFile(LogFile(0), Rec("Keep", MARK_NEW) + Rec("Del", MARK_DELETE));
  Status meanwhile;
  faults.BeforeReplace([&](const std::string& replaced) {
    // A poster on another workstation, at the moment of the rename.
    std::unique_ptr<File> poster;
    if (replaced == state.viewed.book.file())
      meanwhile = posix.OpenFile(replaced, FileAccess::kUpdate, &poster);
  });
  Purge();
  EXPECT_EQ(meanwhile.code(), kPermissionDenied);
  EXPECT_EQ(Log(0), Rec("Keep", MARK_NEW));

  // The new log in place and then its folder's sync failing: the purge is
  // done and says so, naming what may undo it.
  faults.BeforeReplace(nullptr);
  WriteWholeFile(LogFile(0), Rec("Keep", MARK_NEW) + Rec("Del", MARK_DELETE));
  faults.FailNth(FileOp::kFolderSync, faults.count(FileOp::kFolderSync) + 1, kDeviceIoError);
  EXPECT_TRUE(Purge());
  EXPECT_EQ(Log(0), Rec("Keep", MARK_NEW));
  EXPECT_EQ(boxes.last().text,
            "The calls were purged, but the folder could not be synced (Unknown Error  57): a "
            "power failure now could bring the purged calls back.");
}

TEST_F(PurgeTest, PartOfARecordLeftAtTheArchivesEndIsCutOff) {
  // Messages of one repeated letter: read backwards, the front of such a
  // record can pass for a whole one, so every cut is tried.
  const auto call = [](int n) {
    return CallRecord(
        {.mark = MARK_ARCHIVE, .caller = "C" + std::to_string(n), .message = std::string(95, 'm')});
  };
  std::string before;
  for (int n = 0; n < 250; ++n) before += call(n);
  const std::string torn = call(250) + call(251);
  for (size_t cut = 1; cut < torn.size() && !HasFailure(); ++cut) {
    WriteWholeFile(LogFile(0), Rec("Arc", MARK_ARCHIVE));
    WriteWholeFile(ArchiveFile(), before + torn.substr(0, cut));
    Purge();
    const std::string whole = cut < torn.size() / 2 ? "" : call(250);
    EXPECT_EQ(Archive(), before + whole + Rec("Arc", MARK_ARCHIVE)) << cut;
  }
  const std::string old = Rec("Old", MARK_ARCHIVE);

  // Damage that no cut-short append leaves is not the purge's to mend.
  for (const std::string& damage : {std::string("\0\0\0\0\0"), "x" + old}) {
    WriteWholeFile(LogFile(0), Rec("Arc", MARK_ARCHIVE));
    WriteWholeFile(ArchiveFile(), old + damage);
    Purge();
    EXPECT_EQ(Archive(), old + damage + Rec("Arc", MARK_ARCHIVE));
  }
  EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(PurgeTest, PollBaselineFollowsOnlyTheWatchedLog) {
  // The poller watching no log, a colleague's log, and the purged log; and
  // a purge of the archive beside the watched log.
  PollerState poller;
  program.hooks.LogPurged = [&](const std::string& log, int64_t length) {
    PollerSawPurge(poller, log, length);
  };
  const std::tuple<std::string, bool, bool> cases[] = {{"", false, false},
                                                       {workgroup.at(1).log, false, false},
                                                       {workgroup.at(0).log, true, false},
                                                       {workgroup.at(0).log, false, true}};
  for (const auto& [watched, archive, refreshed] : cases) {
    WriteWholeFile(LogFile(0), Rec("Keep", MARK_NEW) + Rec("Del", MARK_DELETE));
    WriteWholeFile(ArchiveFile(), Rec("Keep", MARK_NEW) + Rec("Del", MARK_DELETE));
    poller.watchedLog = watched;
    poller.lastLength = 777;
    state.viewed.book = {workgroup.at(0), archive};
    EXPECT_TRUE(Purge());
    EXPECT_EQ(poller.lastLength, refreshed ? static_cast<int64_t>(Log(0).size()) : 777);
  }
}

TEST_F(PurgeTest, ArchiveUnderAFolderNamedMessagesIsNoPhoneLog) {
  // \\SRV\MESSAGES\ANN: the folder's name alone must not make the archive a
  // phone log, or purging it would archive its calls into itself.
  const std::string folder = temp.path() + "/MESSAGES/ANN";
  fs::create_directories(folder);
  WriteWholeFile(folder + "/ARCHIVE", Rec("Arc", MARK_ARCHIVE) + Rec("Del", MARK_DELETE));
  state.viewed.book = FolderBook("Ann", temp.path() + "\\MESSAGES\\ANN\\ARCHIVE");
  Purge();
  EXPECT_TRUE(boxes.shown().empty());
  EXPECT_EQ(ReadWholeFile(folder + "/ARCHIVE"), Rec("Arc", MARK_ARCHIVE));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace telvo::test
