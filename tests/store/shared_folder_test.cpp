// Several people on one shared folder: a colleague's account posting before
// and after the owner purges, the modes a rewrite keeps, and new files made
// durable with their folder.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "platform/posix_file.h"
#include "service/delivery.h"
#include "service/forward_export.h"
#include "service/purge.h"
#include "store/folder_store.h"
#include "support/program_fixture.h"
#include "support/records.h"

namespace telvo::test {
namespace {

constexpr uid_t kNobody = 65534;

class SharedFolderTest : public ProgramTest {
 protected:
  SharedFolderTest() {
    SetPeople({"Ann"});
    ClearComputers();
    settings.initials = "CW";
    SetUserIndex(-1);
    state.viewed.book = FolderBook("Ann", workgroup.at(0).log);
  }
  ~SharedFolderTest() override { SetFolderSyncHookForTesting(nullptr); }

  PadValues Pad() const {
    PadValues pad;
    pad.selectedIndex = 0;
    pad.caller = "Joe";
    return pad;
  }

  // Posts to Ann's log from another user's account, as a colleague's
  // workstation would; true when the call was delivered.
  bool PostAsColleague() {
    const pid_t pid = ::fork();
    if (pid == 0) {
      if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(2);
      PosixEnv own;
      ScriptedMessageBoxes silent;
      Program colleague(own, silent);
      FolderStore colleagueStore(own);
      colleague.store = &colleagueStore;
      colleague.state = state;
      colleague.settings = settings;
      colleague.workgroup = workgroup;
      ::_exit(PostMessage(colleague, Pad()) ? 0 : 1);
    }
    int status = -1;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }

  struct stat Stat(const std::string& path) const {
    struct stat st = {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st;
  }
};

TEST_F(SharedFolderTest, ColleaguesStillPostAfterTheOwnerPurges) {
  if (::geteuid() != 0) GTEST_SKIP() << "acting as a second user needs root";
  // Written by others but read only by Ann, and open to everybody.
  for (const mode_t mode : {0622, 0666}) {
    SCOPED_TRACE(mode);
    WriteWholeFile(LogFile(0), CallRecord("Old", MARK_DELETE) + CallRecord("Kept"));
    ASSERT_EQ(::chmod(LogFile(0).c_str(), mode), 0);
    ASSERT_EQ(::chown(LogFile(0).c_str(), 0, kNobody), 0);
    EXPECT_TRUE(PostAsColleague());

    ASSERT_TRUE(PurgeCalls(program));
    EXPECT_EQ(Log(0).substr(0, CallRecord("Kept").size()), CallRecord("Kept"));
    EXPECT_EQ(Stat(LogFile(0)).st_mode & 07777, mode);
    EXPECT_EQ(Stat(LogFile(0)).st_gid, kNobody);
    const size_t purged = Log(0).size();
    EXPECT_TRUE(PostAsColleague());
    EXPECT_GT(Log(0).size(), purged);
  }
}

TEST_F(SharedFolderTest, NewFilesAreMadeDurableWithTheirFolder) {
  std::vector<std::string> synced;
  SetFolderSyncHookForTesting([&](const std::string& path) { synced.push_back(path); });
  const std::string folder = temp.file("ann") + "/";

  ASSERT_TRUE(PostMessage(program, Pad()));  // creates the log
  ASSERT_TRUE(PostMessage(program, Pad()));
  EXPECT_EQ(synced, std::vector<std::string>{folder + "MESSAGES"});

  synced.clear();
  boxes.Answer(kAnswerYes);
  ExportCall(program, {{}, CallBody("Joe")});  // creates the export file
  EXPECT_EQ(synced, std::vector<std::string>{folder + "EXPORT.TXT"});

  // The first purge creates the archive and its work file; the new log's
  // rename is made durable too.
  WriteWholeFile(LogFile(0), Log(0) + CallRecord("Gone", MARK_DELETE));
  synced.clear();
  ASSERT_TRUE(PurgeCalls(program));
  EXPECT_NE(std::find(synced.begin(), synced.end(), folder + "ARCHIVE"), synced.end());
  EXPECT_EQ(synced.back(), folder + "MESSAGES");
}

// A link named like a log, or like a purge's work file, that a colleague
// may make in a shared folder: nothing is written through it, it is never
// replaced by a file, and the refusal comes at once, naming the path.
TEST_F(SharedFolderTest, ALinkInPlaceOfAFileIsNeitherWrittenThroughNorReplaced) {
  const std::string notes = temp.file("notes.txt");
  WriteWholeFile(notes, "private\n");
  std::filesystem::create_symlink(notes, LogFile(0));
  const std::string refusal =
      LogFile(0) +
      " is a symbolic link. Telvo neither writes through a link nor replaces it: "
      "ask the administrator to put the file itself there.";
  EXPECT_FALSE(PostMessage(program, Pad()));
  EXPECT_EQ(boxes.last(), (MessageBox{"Ann", refusal, BoxIcon::kStop}));
  EXPECT_FALSE(PurgeCalls(program));
  EXPECT_EQ(boxes.last().text, refusal);
  std::filesystem::remove(notes);  // a dangling link is refused the same way
  EXPECT_FALSE(PostMessage(program, Pad()));
  EXPECT_EQ(boxes.last().text, refusal);
  EXPECT_EQ(env.sleptMs(), 0);  // no lock was waited for
  EXPECT_TRUE(std::filesystem::is_symlink(LogFile(0)));

  // A work file that is a link stops the purge before anything changes.
  std::filesystem::remove(LogFile(0));
  WriteWholeFile(notes, "private\n");
  const std::string log = CallRecord("Gone", MARK_DELETE) + CallRecord("Kept");
  WriteWholeFile(LogFile(0), log);
  std::filesystem::create_symlink(notes, LogFile(0) + ".NEW");
  EXPECT_FALSE(PurgeCalls(program));
  EXPECT_EQ(boxes.last().text, LogFile(0) + ".NEW" + refusal.substr(LogFile(0).size()));
  EXPECT_EQ(ReadWholeFile(notes), "private\n");
  EXPECT_EQ(Log(0), log);
}

}  // namespace
}  // namespace telvo::test
