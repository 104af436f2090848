#include "core/workgroup.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <tuple>

#include "core/text.h"
#include "support/program_fixture.h"

namespace telvo::test {
namespace {

using Names = std::vector<std::string>;

class WorkgroupTest : public ProgramTest {
 protected:
  WorkgroupTest() { settings.workgroupPath = UpperCase(temp.file("team.wgl")); }

  void WriteList(const std::string& text) { WriteWholeFile(temp.file("team.wgl"), text); }
  Status Load() { return LoadWorkgroup(program, names); }
  Names Each(std::string Person::*field) const {
    Names values;
    for (const Person& person : workgroup.people()) values.push_back(person.*field);
    return values;
  }

  Names names;
};

TEST_F(WorkgroupTest, FieldsArePeopleInListOrder) {
  const std::string list =
      "Ann Smith,\\\\SERVER\\PHONE\\ANN,ANNPC,\\\\SERVER\\PHONE\\ANN\\ALERT.TXT\r\n"
      "\"Smith, Ann\",  /srv/smith  ,  smithpc  ,/srv/smith/alert\r\n\r\nAl,C:\\A,x,y\r\n";
  for (const std::string& text : {list, list + "\r\n"}) {  // the second ends with an empty line
    WriteList(text);
    ASSERT_OK(Load());
    EXPECT_EQ(names, (Names{"Ann Smith", "Smith, Ann", "Al"}));
    EXPECT_EQ(Each(&Person::computer), (Names{"ANNPC", "SMITHPC", "X"}));
    const std::string ann = "\\\\SERVER\\PHONE\\ANN\\";
    const Person& first = workgroup.at(0);
    EXPECT_EQ((Names{first.log, first.archive, first.exportFile, first.alert}),
              (Names{ann + "MESSAGES", ann + "ARCHIVE", ann + "EXPORT.TXT", ann + "ALERT.TXT"}));
  }

  // The short lines "A,B,C,D" and "Bo,C:\B,Z" are not counted, yet their
  // fields are read in turn, so Bo's alert is the next line's name.
  WriteList("A,B,C,D\r\nBo,C:\\B,Z\r\nCy Long,C:\\C,W,V\r\nDi Long,C:\\D,U,T\r\n");
  ASSERT_OK(Load());
  EXPECT_EQ(Each(&Person::name), (Names{"A", "Bo"}));
  EXPECT_EQ(Each(&Person::alert), (Names{"D", "CY LONG"}));
  // A list that ends before the people counted: the rest is empty, and an
  // empty entry is nobody, not the absent name.
  WriteList("Alice Long,C:\\A\r\nBob Longer,C:\\B");
  ASSERT_OK(Load());
  EXPECT_EQ(Each(&Person::name), (Names{"Alice Long", ""}));
  EXPECT_EQ(Each(&Person::computer), (Names{"BOB LONGER", ""}));
  EXPECT_EQ(workgroup.myIndex(), -1);
  EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(WorkgroupTest, NamesMatchIgnoringCaseAndTheLastWins) {
  // Windows-1252 upper case: accented letters too, but not the division sign.
  EXPECT_EQ(UpperCase("ab\xE9\xF7\xFF\x9A"), "AB\xC9\xF7\x9F\x8A");
  WriteList("Ann Smith,/a,APC,/a/x\r\nZo\xEB Lee,/z,ZPC,/z/x\r\nANN SMITH,/c,CPC,/c/x\r\n");
  settings.name = "ann smith";
  settings.defaultRecipient = "ZO\xCB LEE";
  ASSERT_OK(Load());
  EXPECT_EQ(workgroup.myIndex(), 2);
  EXPECT_EQ(workgroup.defaultIndex(), 1);
}

TEST_F(WorkgroupTest, PollerStartsOnlyForTheUserWithTheInternalChoice) {
  WriteList("Ann Smith,/a,APC,/a/x\r\nBob Brown,/b,BPC,/b/x\r\n");
  int started = 0;
  program.hooks.StartPoller = [&] { ++started; };
  const std::tuple<const char*, const char*, int> cases[] = {{"Bob Brown", "INTERNAL", 1},
                                                             {"Bob Brown", "EXTERNAL", 0},
                                                             {"Bob Brown", "Inside", 0},
                                                             {"Cy", "INTERNAL", 0}};
  for (const auto& [name, choice, starts] : cases) {
    started = 0;
    settings.name = name;
    settings.notification = ParseChoice<Notification>(choice);
    ASSERT_OK(Load());
    EXPECT_EQ(started, starts) << name << " " << choice;
  }

  // The options dialog reports a list it cannot read in its own way.
  settings.workgroupPath = UpperCase(temp.file("missing.wgl"));
  state.activeWindow = kOptionsDialog;
  EXPECT_EQ(Load().code(), kFileNotFound);
  EXPECT_TRUE(boxes.shown().empty());
  state.activeWindow = kMessagePad;
  EXPECT_EQ(Load().code(), kFileNotFound);
  EXPECT_EQ(boxes.last(), (MessageBox{"Telvo error Reading Workgroup list", "File not found53",
                                      BoxIcon::kStop, BoxButtons::kOk, kAnswerOk}));
}

TEST_F(WorkgroupTest, ReadersShareTheListAndAWriterExcludesThem) {
  WriteList("Ann Smith,/a,APC,/a/x\r\nBob Brown,/b,BPC,/b/x\r\n");
  int ready[2], go[2];
  ASSERT_TRUE(::pipe(ready) == 0 && ::pipe(go) == 0);
  char byte = 0;
  // A child opens the list with `access` and always says whether it holds it,
  // so the parent never waits for nothing; it keeps the list open until told
  // to go on, then exits with 0 when `then` succeeds.
  auto hold = [&](FileAccess access, auto then) {
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    ::close(go[1]);  // so that a parent gone early lets the child end
    std::unique_ptr<File> held;
    const char holds = env.OpenFile(settings.workgroupPath, access, &held).ok() ? 'y' : 'n';
    const bool told = ::write(ready[1], &holds, 1) == 1 && ::read(go[0], &byte, 1) == 1;
    ::_exit(holds == 'y' && told && then() ? 0 : 1);
  };
  auto held = [&] { return ::read(ready[0], &byte, 1) == 1 && byte == 'y'; };
  auto exitStatus = [](pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };

  // Two readers hold the list open at once, and each loads while holding it.
  auto load = [&] { return Load().ok() && workgroup.size() == 2 && boxes.shown().empty(); };
  const pid_t first = hold(FileAccess::kRead, load), second = hold(FileAccess::kRead, load);
  EXPECT_TRUE(held());
  EXPECT_TRUE(held());
  ASSERT_EQ(::write(go[1], "gg", 2), 2);
  EXPECT_EQ(exitStatus(first), 0);
  EXPECT_EQ(exitStatus(second), 0);

  // A writer in another process: the reading fails; the people read before
  // stay, but nobody among them is the user or the default recipient.
  settings.name = "Bob Brown";
  settings.defaultRecipient = "Ann Smith";
  ASSERT_OK(Load());
  ASSERT_EQ(std::pair(workgroup.myIndex(), workgroup.defaultIndex()), std::pair(1, 0));
  const pid_t writer = hold(FileAccess::kUpdate, [] { return true; });
  EXPECT_TRUE(held());
  ASSERT_EQ(Load().code(), kPermissionDenied);
  EXPECT_EQ(boxes.last(), (MessageBox{"Telvo error Reading Workgroup list", "Permission denied70",
                                      BoxIcon::kStop, BoxButtons::kOk, kAnswerOk}));
  EXPECT_EQ(Each(&Person::name), (Names{"Ann Smith", "Bob Brown"}));
  EXPECT_EQ(std::pair(workgroup.myIndex(), workgroup.defaultIndex()), std::pair(-1, -1));
  ASSERT_EQ(::write(go[1], "g", 1), 1);
  EXPECT_EQ(exitStatus(writer), 0);
  for (int fd : {ready[0], ready[1], go[0], go[1]}) ::close(fd);
}

// A list naming a database hands libpq the line without the list's own
// word, and refuses a password written into a file everyone reads; without
// a StoreChoice the program says it cannot use such a list, and keeps the
// people it had.
TEST_F(WorkgroupTest, ADatabaseLineNamesTheConnectionAndTheWorkgroup) {
  std::string refusal;
  const auto parsed = [&](const std::string& text) {
    const auto database = DatabaseWorkgroupOf(text, &refusal);
    return database ? database->conninfo + "|" + database->name : "none";
  };
  EXPECT_EQ(parsed("DATABASE service=telvo\r\nAnn Smith,C:\\A,X,Y\r\n"), "service=telvo|telvo");
  EXPECT_EQ(parsed("DATABASE host=db  workgroup='Front desk' sslmode=verify-full"),
            "host=db sslmode=verify-full|Front desk");
  EXPECT_EQ(parsed("DATABASE options='-c a=b\\'c' service=x workgroup=W"),
            "options='-c a=b\\'c' service=x|W");
  EXPECT_EQ(parsed("Database service=telvo,C:\\A,X,Y"), "none");
  EXPECT_TRUE(refusal.empty());
  EXPECT_EQ(parsed("DATABASE host=db"), "none");
  EXPECT_NE(refusal.find("names a database but no workgroup"), std::string::npos);
  EXPECT_EQ(parsed("DATABASE service=telvo password=secret"), "none");
  EXPECT_NE(refusal.find("Keep it in the user's .pgpass file"), std::string::npos);

  WriteList("Ann Smith,C:\\A,X,Y\r\n");
  ASSERT_OK(Load());
  WriteList("DATABASE service=telvo\r\n");
  EXPECT_EQ(Load().code(), kDeviceUnavailable);
  EXPECT_EQ(boxes.last().text, "This program cannot use a workgroup in a database.");
  EXPECT_EQ(Each(&Person::name), (Names{"Ann Smith"}));
}

}  // namespace
}  // namespace telvo::test
