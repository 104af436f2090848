#include "core/config_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <limits>

#include "core/text.h"
#include "support/program_fixture.h"

namespace telvo::test {
namespace {

using Texts = std::vector<std::string>;
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

class ConfigFileTest : public ProgramTest {
 protected:
  ConfigFileTest() {
    std::filesystem::create_directories(temp.file("config"));
    WriteWholeFile(List(), "Ann Smith,/srv/ann,ANNPC,/srv/ann/alert.txt\r\n");
  }

  // The list's path holds "NAMES", so its WorkGroup line names the user too.
  std::string List() const { return temp.file("names.wgl"); }
  std::string IniFile() const { return temp.file("config/TELVO.INI"); }
  void WriteIni(const std::string& text) { WriteWholeFile(IniFile(), text); }
  // Reads a usable file: the list and the initials, then `lines`.
  void ReadUsable(const std::string& lines) {
    WriteIni("WorkGroup=" + List() + "\r\nInitials=CW\r\n" + lines);
    ReadIniFile(program);
  }
  // The exit status ReadIniFile ends the program with; -1 if it went on.
  int EndStatus() {
    try {
      ReadIniFile(program);
    } catch (const ProgramEnded& ended) {
      return ended.status;
    }
    return -1;
  }
  // The settings as texts, each choice as it would be written back.
  Texts Read() const {
    return {settings.workgroupPath,
            settings.initials,
            settings.name,
            settings.defaultRecipient,
            settings.popupProgram,
            ChoiceText(settings.splash),
            ChoiceText(settings.notification),
            ChoiceText(settings.deliver)};
  }
};

TEST_F(ConfigFileTest, EveryKeyInALineTakesItsValue) {
  // No Name and no Default Recipient line; the PopUp path holds "SPLASH".
  // A choice spelt as none of the known ones is kept as it was, acted on
  // as none of them.
  ReadUsable("PopUp=/opt/splash/pop\r\nDeliver=Minimized\r\nUsepop=internal\r\n");
  EXPECT_EQ(Read(), (Texts{UpperCase(List()), "CW", List(), List(), "/opt/splash/pop",
                           "/opt/splash/pop", "INTERNAL", "Minimized"}));
  EXPECT_EQ(settings.splash.value, Splash::kOther);
  EXPECT_EQ(settings.notification, Notification::kInternal);
  // A later Name line wins, in either spelling. Splash, Usepop and Deliver
  // keep their values when a later file lacks them; the rest is reset.
  ReadUsable("name = Ann\r\nUsepop=Sometimes\r\n");
  EXPECT_EQ(Read(), (Texts{UpperCase(List()), "CW", "Ann", "Ann", "", "/opt/splash/pop",
                           "Sometimes", "Minimized"}));
  EXPECT_EQ(settings.notification.value, Notification::kOther);
  ReadUsable("Name=Bob\r\nDefault Recipient=Cy\r\n");
  EXPECT_EQ(settings.name, "Bob");
  EXPECT_EQ(settings.defaultRecipient, "Cy");

  // The leading number, rounded half to even; beyond the 32-bit range it is
  // held to the range rather than ending the program.
  const std::pair<const char*, int32_t> colors[] = {
      {"&HFF", 255},      {"&O17", 15},    {"", 0},      {"red", 0},         {"12px", 12},
      {"2D1", 20},        {"+1.5e2", 150}, {"1e", 1},    {"1.5", 2},         {"2.5", 2},
      {"-2.5", -2},       {"2.51", 3},     {"2.5.9", 2}, {"- 1 3 . 5", -14}, {"1e-400", 0},
      {" 1.5E+12", kMax}, {"-1e400", kMin}};
  for (const auto& [text, color] : colors) {
    ReadUsable(std::string("BackColor=") + text + "\r\n");
    EXPECT_EQ(settings.padColor, color) << text;
  }
  EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(ConfigFileTest, UnusableSettingsAskForTheOptionsUntilNo) {
  // Each Yes shows the splash and the options dialog, which leaves the next
  // fault behind, and the file is read again. No ends the program.
  const std::string gone = temp.file("gone.wgl");
  const std::string complaints[] = {
      "Cannot find TELVO.INI in " + UpperCase(temp.path() + "/config/"),
      "Reference initials missing", "No workgroup selected",
      "Cannot access workgroup file " + UpperCase(gone)};
  const std::string files[] = {"", "Initials=CW\r\n", "WorkGroup=" + gone + "\r\nInitials=CW\r\n"};
  size_t splashes = 0, visit = 0;
  program.hooks.ShowSplash = [&] { ++splashes; };
  program.hooks.ShowOptions = [&] {
    ASSERT_LT(visit, std::size(files));
    EXPECT_EQ(splashes, visit + 1);
    EXPECT_EQ(settings.popupProgram, env.ProgramFolder() + "telvo-popup");  // offered by default
    WriteIni(files[visit++]);
  };
  std::vector<MessageBox> expected;
  for (const std::string& text : complaints) {
    boxes.Answer(expected.size() < std::size(files) ? kAnswerYes : kAnswerNo);
    expected.push_back({"Telvo ", text + " Do you want to configure options?", BoxIcon::kQuestion,
                        BoxButtons::kYesNo, kAnswerNo});
  }
  expected.push_back({"Telvo ", "Ending  Telvo", BoxIcon::kStop, BoxButtons::kOk, kAnswerOk});
  EXPECT_EQ(EndStatus(), 0);
  EXPECT_EQ(boxes.shown(), expected);
}

TEST_F(ConfigFileTest, AFileThatCannotBeReadEndsTheProgram) {
  // Not missing but unreadable: no question, a stop box, and the end.
  std::filesystem::create_directories(IniFile());
  EXPECT_EQ(EndStatus(), 1);
  EXPECT_EQ(boxes.shown(), (std::vector<MessageBox>{{"Telvo ", "Path/File access error75",
                                                     BoxIcon::kStop, BoxButtons::kOk, kAnswerOk}}));
}

TEST_F(ConfigFileTest, WriterReplacesTheFileWholeOrNotAtAll) {
  WriteIniFile(program, {"/srv/team.wgl", "cw", "Ann Smith", "Bob", kDefaultPadColor,
                         "/opt/telvo/telvo-popup", Deliver::kMinimized, Splash::kSuppressed,
                         Notification::kExternal});
  const std::string written =
      "WorkGroup=/SRV/TEAM.WGL\r\nInitials=cw\r\nName=Ann Smith\r\nDefault Recipient=Bob\r\n"
      "BackColor= 12632319\r\nPopUp=/OPT/TELVO/TELVO-POPUP\r\nDeliver=Minimized\r\n"
      "Splash=YES\r\nUsepop=EXTERNAL\r\nPopUp=/OPT/TELVO/TELVO-POPUP\r\n";
  EXPECT_EQ(ReadWholeFile(IniFile()), written);
  // The file replaced keeps the bits its owner gave it.
  ASSERT_EQ(::chmod(IniFile().c_str(), 0640), 0);
  const IniChoices other{
      "", "", "", "", -5, "", Deliver::kNotMinimized, Splash::kShown, Notification::kNone};
  WriteIniFile(program, other);
  struct stat st = {};
  EXPECT_EQ(::stat(IniFile().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(ReadWholeFile(IniFile()),
            "WorkGroup=\r\nInitials=\r\nName=\r\nDefault Recipient=\r\nBackColor=-5\r\nPopUp=\r\n"
            "Deliver=NotMinimized\r\nSplash=NO\r\nUsepop=NO\r\nPopUp=\r\n");

  // A failed write, sync or rename leaves the old file as it was.
  const MessageBox fatal{
      "Telvo",
      "Error in writing ini file\nPlease call technical support. Unknown error  61\nProgram Ending",
      BoxIcon::kNone, BoxButtons::kOk, kAnswerOk};
  for (FileOp op : {FileOp::kWrite, FileOp::kSync, FileOp::kRename}) {
    WriteIni(written);
    boxes.Clear();
    faults.FailNth(op, faults.count(op) + 1, kDiskFull);
    EXPECT_THROW(WriteIniFile(program, other), ProgramEnded);
    EXPECT_EQ(ReadWholeFile(IniFile()), written);
    EXPECT_FALSE(std::filesystem::exists(IniFile() + ".NEW"));
    EXPECT_EQ(boxes.shown(), std::vector<MessageBox>{fatal});
  }
}

}  // namespace
}  // namespace telvo::test
