#include "core/workgroup.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "core/config_file.h"
#include "core/text.h"
#include "support/program_fixture.h"

namespace telvo::test {
namespace {

using Names = std::vector<std::string>;

class WorkgroupTest : public ProgramTest {
 protected:
  WorkgroupTest() { state.WorkgroupPath = UpperCase(List()); }

  std::string List() const { return temp.file("team.wgl"); }
  void WriteList(const std::string& text) { WriteWholeFile(List(), text); }
  Status Load() { return LoadWorkgroup(program, names); }

  Names names;
};

TEST_F(WorkgroupTest, FieldsArePeopleInListOrder) {
  const std::string list =
      "Ann Smith,\\\\SERVER\\PHONE\\ANN,ANNPC,\\\\SERVER\\PHONE\\ANN\\ALERT.TXT\r\n"
      "\"Smith, Ann\",  /srv/smith  ,smithpc,/srv/smith/alert\r\n\r\nAl,C:\\A,x,y\r\n";
  for (const std::string& text : {list, list + "\r\n"}) {
    WriteList(text);
    ASSERT_TRUE(Load().ok());
    EXPECT_EQ(names, (Names{"Ann Smith", "Smith, Ann", "Al"}));
    EXPECT_EQ(state.PersonName, (Names{"Ann Smith", "Smith, Ann", "Al", ""}));
    EXPECT_EQ(state.PersonLog,
              (Names{"\\\\SERVER\\PHONE\\ANN\\MESSAGES", "/SRV/SMITH\\MESSAGES", "C:\\A\\MESSAGES", ""}));
    EXPECT_EQ(state.PersonArchive[0], "\\\\SERVER\\PHONE\\ANN\\ARCHIVE");
    EXPECT_EQ(state.PersonExport[0], "\\\\SERVER\\PHONE\\ANN\\EXPORT.TXT");
    EXPECT_EQ(state.PersonComputer, (Names{"ANNPC", "SMITHPC", "X", ""}));
    EXPECT_EQ(state.PersonAlert,
              (Names{"\\\\SERVER\\PHONE\\ANN\\ALERT.TXT", "/SRV/SMITH/ALERT", "Y", ""}));
  }
  EXPECT_EQ(state.PeopleCount, 3);
  EXPECT_EQ(state.MyIndex, -1);
  EXPECT_EQ(state.DefaultIndex, -1);

  // "A,B,C,D" and "Bo,C:\B,Z" are too short to count, yet the two people
  // counted are read from the top.
  WriteList("A,B,C,D\r\nAl,C:\\A,X,Y\r\nBo,C:\\B,Z\r\nCy,C:\\C,W,V\r\n");
  ASSERT_TRUE(Load().ok());
  EXPECT_EQ(state.PersonAlert, (Names{"D", "Y", ""}));
  // A list that ends before the people counted: the rest is empty.
  WriteList("Alice Long,C:\\A\r\nBob Longer,C:\\B");
  ASSERT_TRUE(Load().ok());
  EXPECT_EQ(state.PersonName, (Names{"Alice Long", "", ""}));
  EXPECT_EQ(state.PersonComputer, (Names{"BOB LONGER", "", ""}));
  EXPECT_EQ(state.MyIndex, -1);  // an empty entry is nobody, not the absent name
  EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(WorkgroupTest, NamesMatchIgnoringCaseAndTheLastWins) {
  WriteList("Ann Smith,/a,APC,/a/x\r\nZo\xEB Lee,/z,ZPC,/z/x\r\nANN SMITH,/c,CPC,/c/x\r\n");
  int pollerStarts = 0;
  program.hooks.StartPoller = [&] { ++pollerStarts; };
  state.MyName = "ann smith";
  state.DefaultRecipient = "ZO\xCB LEE";
  state.UsePopSetting = "INTERNAL";
  ASSERT_TRUE(Load().ok());
  EXPECT_EQ(state.MyIndex, 2);
  EXPECT_EQ(state.DefaultIndex, 1);
  EXPECT_GE(pollerStarts, 1);

  pollerStarts = 0;
  state.UsePopSetting = "EXTERNAL";
  ASSERT_TRUE(Load().ok());
  EXPECT_EQ(pollerStarts, 0);
}

TEST_F(WorkgroupTest, FailedReadingKeepsTheEarlierPeople) {
  WriteList("Ann Smith,/a,APC,/a/x\r\nBob Brown,/b,BPC,/b/x\r\n");
  state.MyName = "Ann Smith";
  ASSERT_TRUE(Load().ok());

  state.WorkgroupPath = UpperCase(temp.file("gone.wgl"));
  EXPECT_EQ(Load().code(), kFileNotFound);
  EXPECT_EQ(boxes.last(), (MessageBox{"Telvo error Reading Workgroup list", "File not found53",
                                      BoxIcon::kStop, BoxButtons::kOk, kAnswerOk}));
  EXPECT_TRUE(names.empty());
  EXPECT_EQ(state.PersonName, (Names{"Ann Smith", "Bob Brown", ""}));
  EXPECT_EQ(state.MyIndex, -1);
  // The options dialog reports on its own.
  state.ActiveWindow = kOptionsDialog;
  EXPECT_FALSE(Load().ok());
  EXPECT_EQ(boxes.shown().size(), 1u);

}

// Runs `work` in a child process; the child's exit status is its result.
pid_t InChild(const std::function<int()>& work) {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(work());
  return pid;
}

int ExitStatus(pid_t pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void Send(int fd) { EXPECT_EQ(::write(fd, "x", 1), 1); }
bool Receive(int fd) {
  char c;
  return ::read(fd, &c, 1) == 1;
}

TEST_F(WorkgroupTest, ReadersShareTheListAndAWriterExcludesThem) {
  WriteList("Ann Smith,/a,APC,/a/x\r\nBob Brown,/b,BPC,/b/x\r\n");
  int ready[2], go[2];
  ASSERT_EQ(::pipe(ready), 0);
  ASSERT_EQ(::pipe(go), 0);

  // Two readers, each loading while the other holds the list open. A child
  // always says it is ready, so the parent never waits for nothing.
  auto reader = [&] {
    std::unique_ptr<File> held;
    const bool holds = env.OpenFile(state.WorkgroupPath, FileAccess::kRead, &held).ok();
    Send(ready[1]);
    if (!holds || !Receive(go[0])) return 1;
    return Load().ok() && state.PeopleCount == 2 && boxes.shown().empty() ? 0 : 2;
  };
  const pid_t first = InChild(reader), second = InChild(reader);
  ASSERT_TRUE(Receive(ready[0]));
  ASSERT_TRUE(Receive(ready[0]));
  Send(go[1]);
  Send(go[1]);
  EXPECT_EQ(ExitStatus(first), 0);
  EXPECT_EQ(ExitStatus(second), 0);

  // A reading of the configuration tests access the same way.
  std::filesystem::create_directories(temp.file("config"));
  WriteWholeFile(temp.file("config/TELVO.INI"), "WorkGroup=" + List() + "\r\nInitials=CW\r\n");
  std::unique_ptr<File> held;
  ASSERT_TRUE(env.OpenFile(state.WorkgroupPath, FileAccess::kRead, &held).ok());
  ReadIniFile(program);
  EXPECT_TRUE(boxes.shown().empty());
  held.reset();

  // A writer in another process.
  const pid_t writer = InChild([&] {
    std::unique_ptr<File> open;
    const bool holds = env.OpenFile(state.WorkgroupPath, FileAccess::kUpdate, &open).ok();
    Send(ready[1]);
    return holds && Receive(go[0]) ? 0 : 1;
  });
  ASSERT_TRUE(Receive(ready[0]));
  EXPECT_EQ(Load().code(), kPermissionDenied);
  EXPECT_EQ(boxes.last(), (MessageBox{"Telvo error Reading Workgroup list", "Permission denied70",
                                      BoxIcon::kStop, BoxButtons::kOk, kAnswerOk}));
  EXPECT_THROW(ReadIniFile(program), ProgramEnded);
  EXPECT_EQ(boxes.last(), (MessageBox{"Telvo ", "Permission denied70", BoxIcon::kStop,
                                      BoxButtons::kOk, kAnswerOk}));
  Send(go[1]);
  EXPECT_EQ(ExitStatus(writer), 0);
  for (int fd : {ready[0], ready[1], go[0], go[1]}) ::close(fd);
}

}  // namespace
}  // namespace telvo::test
