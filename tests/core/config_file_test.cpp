#include "core/config_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <limits>

#include "core/number_text.h"
#include "core/text.h"
#include "support/program_fixture.h"

namespace telvo::test {
namespace {

constexpr int32_t kInt32Max = std::numeric_limits<int32_t>::max();
constexpr int32_t kInt32Min = std::numeric_limits<int32_t>::min();

TEST(NumberTextTest, ReadsTheLeadingNumberAndRoundsHalfToEven) {
  const double inf = std::numeric_limits<double>::infinity();
  const std::pair<const char*, double> reads[] = {
      {"&HFF", 255}, {"&O17", 15}, {"&H", 0},     {"", 0},          {"red", 0},
      {"12px", 12},  {"- 1 2 . 5", -12.5},        {"+1.5e2", 150},  {"2D1", 20},
      {"1e", 1},     {".5", 0.5},  {"1.2.3", 1.2}, {"1e400", inf},  {"1e-400", 0}};
  for (const auto& [text, value] : reads) EXPECT_EQ(LeadingNumber(text), value) << text;

  const std::pair<double, int32_t> rounds[] = {
      {1.5, 2}, {2.5, 2}, {-2.5, -2}, {-1.5, -2}, {2.51, 3}, {2147483647.5, kInt32Max},
      {3e9, kInt32Max}, {-3e9, kInt32Min}, {-inf, kInt32Min}};
  for (const auto& [value, rounded] : rounds) EXPECT_EQ(RoundToInt32(value), rounded) << value;

  // Windows-1252 upper case: accented letters too, but not the division sign.
  EXPECT_EQ(UpperCase("ab\xE9\xF7\xFF\x9A"), "AB\xC9\xF7\x9F\x8A");
}

class ConfigFileTest : public ProgramTest {
 protected:
  ConfigFileTest() {
    std::filesystem::create_directories(temp.file("config"));
    std::filesystem::create_directories(temp.file("names"));
    WriteWholeFile(List(), "Ann Smith,/srv/ann,ANNPC,/srv/ann/alert.txt\r\n");
  }

  std::string List() const { return temp.file("names/team.wgl"); }
  std::string IniFile() const { return temp.file("config/TELVO.INI"); }
  void WriteIni(const std::string& text) { WriteWholeFile(IniFile(), text); }

  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> texts;
    for (const MessageBox& box : boxes.shown()) texts.push_back(box.text);
    return texts;
  }

  static IniChoices Choices() {
    return {"/srv/team.wgl", "cw", "Ann Smith", "Bob", kDefaultPadColor,
            "/opt/telvo/telvo-popup", true, true, PopupChoice::kMailslotPopup};
  }
};

TEST_F(ConfigFileTest, EveryKeyInALineTakesItsValue) {
  // The list's folder holds "NAMES"; no Default Recipient line; the PopUp
  // path holds "SPLASH" and stands last.
  WriteIni("WorkGroup=" + List() + "\r\nInitials=CW\r\nname = Ann\r\nBackColor=&HFF\r\n" +
           "PopUp=/opt/splash/pop\r\nDeliver=Minimized\r\nSplash=NO\r\nUsepop=internal\r\n" +
           "PopUp=/opt/splash/pop\r\n");
  ReadIniFile(program);
  EXPECT_TRUE(boxes.shown().empty());
  EXPECT_EQ(state.BoxTitle, "Telvo ");
  EXPECT_EQ(state.WorkgroupPath, UpperCase(List()));
  EXPECT_EQ(state.MyInitials, "CW");
  EXPECT_EQ(state.MyName, "Ann");
  EXPECT_EQ(state.DefaultRecipient, "Ann");  // not the list's path
  EXPECT_EQ(state.PadColor, 255);
  EXPECT_EQ(state.PopupProgram, "/opt/splash/pop");
  EXPECT_EQ(state.SplashSetting, "/OPT/SPLASH/POP");
  EXPECT_EQ(state.UsePopSetting, "INTERNAL");
  EXPECT_EQ(state.DeliverSetting, "MINIMIZED");

  // A later file without the three choices keeps them; the rest is reset.
  WriteIni("WorkGroup=" + List() + "\nInitials=CW\nName=Ann\nDefault Recipient=Bob\nBackColor=\n");
  ReadIniFile(program);
  EXPECT_EQ(state.MyName, "Ann");
  EXPECT_EQ(state.DefaultRecipient, "Bob");
  EXPECT_EQ(state.PadColor, 0);
  EXPECT_EQ(state.PopupProgram, "");
  EXPECT_EQ(state.SplashSetting, "/OPT/SPLASH/POP");
  EXPECT_EQ(state.UsePopSetting, "INTERNAL");
  EXPECT_EQ(state.DeliverSetting, "MINIMIZED");

  // Without a Name line the path containing NAMES is the name. The file is
  // found whatever its case; a colour beyond the range is held to it.
  std::filesystem::remove(IniFile());
  WriteWholeFile(temp.file("config/telvo.ini"),
                 "WorkGroup=" + List() + "\r\nInitials=CW\r\nBackColor= 1.5E+12\r\n");
  ReadIniFile(program);
  EXPECT_EQ(state.MyName, List());
  EXPECT_EQ(state.DefaultRecipient, state.MyName);
  EXPECT_EQ(state.PadColor, kInt32Max);
  EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(ConfigFileTest, MissingFileAndNoEndsTheProgram) {
  boxes.Answer(kAnswerNo);
  try {
    ReadIniFile(program);
    FAIL() << "the program went on";
  } catch (const ProgramEnded& ended) {
    EXPECT_EQ(ended.status, 0);
  }
  ASSERT_EQ(boxes.shown().size(), 2u);
  EXPECT_EQ(boxes.shown()[0],
            (MessageBox{"Telvo ",
                        "Cannot find TELVO.INI in " + UpperCase(temp.path() + "/config/") +
                            " Do you want to configure options?",
                        BoxIcon::kQuestion, BoxButtons::kYesNo, kAnswerNo}));
  EXPECT_EQ(boxes.shown()[1], (MessageBox{"Telvo ", "Ending  Telvo", BoxIcon::kStop,
                                          BoxButtons::kOk, kAnswerOk}));
}

TEST_F(ConfigFileTest, YesLoopsThroughSplashAndOptionsUntilUsable) {
  // Each visit of the options dialog leaves a different fault behind, the
  // last one none.
  std::vector<std::string> calls;
  int visits = 0;
  program.hooks.ShowSplash = [&] { calls.push_back("splash"); };
  program.hooks.ShowOptions = [&] {
    calls.push_back("options " + state.PopupProgram);
    state.BoxTitle = "Options";
    IniChoices c = Choices();
    c.workgroupPath = List();
    switch (++visits) {
      case 1: WriteIni(""); return;
      case 2: c.workgroupPath = ""; break;
      case 3: c.workgroupPath = temp.file("gone.wgl"); break;
      case 4: c.initials = ""; break;
    }
    WriteIniFile(program, c);
  };
  for (int i = 0; i < 5; ++i) boxes.Answer(kAnswerYes);
  ReadIniFile(program);

  const std::string ask = " Do you want to configure options?";
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{
                            "Cannot find TELVO.INI in " + UpperCase(temp.path() + "/config/") + ask,
                            "Reference initials missing" + ask,
                            "No workgroup selected" + ask,
                            "Cannot access workgroup file " + UpperCase(temp.file("gone.wgl")) + ask,
                            "Reference initials missing" + ask,
                        }));
  for (const MessageBox& box : boxes.shown()) EXPECT_EQ(box.caption, "Telvo ");
  const std::string options = "options " + env.ProgramFolder() + "telvo-popup";
  EXPECT_EQ(calls, (std::vector<std::string>{"splash", options, "splash", options, "splash",
                                              options, "splash", options, "splash", options}));
  EXPECT_EQ(state.WorkgroupPath, UpperCase(List()));
  EXPECT_EQ(state.PopupProgram, "/OPT/TELVO/TELVO-POPUP");
  EXPECT_EQ(state.UsePopSetting, "EXTERNAL");
}

TEST_F(ConfigFileTest, OtherFailuresEndWithTheFailureBox) {
  faults.FailNth(FileOp::kOpen, 1, kDeviceIoError);
  EXPECT_THROW(ReadIniFile(program), ProgramEnded);
  EXPECT_EQ(boxes.last(), (MessageBox{"Telvo ", "Device I/O error57", BoxIcon::kStop,
                                      BoxButtons::kOk, kAnswerOk}));

  // The access test of the list: the second open of a reading.
  WriteIni("WorkGroup=" + List() + "\r\nInitials=CW\r\n");
  faults.FailNth(FileOp::kOpen, faults.count(FileOp::kOpen) + 2, kPathFileAccessError);
  EXPECT_THROW(ReadIniFile(program), ProgramEnded);
  EXPECT_EQ(boxes.last().text, "Path/File access error75");
  EXPECT_EQ(boxes.shown().size(), 2u);
}

TEST_F(ConfigFileTest, WriterReplacesTheFileWhole) {
  WriteIniFile(program, Choices());
  const std::string written =
      "WorkGroup=/SRV/TEAM.WGL\r\nInitials=cw\r\nName=Ann Smith\r\nDefault Recipient=Bob\r\n"
      "BackColor= 12632319\r\nPopUp=/OPT/TELVO/TELVO-POPUP\r\nDeliver=Minimized\r\n"
      "Splash=YES\r\nUsepop=EXTERNAL\r\nPopUp=/OPT/TELVO/TELVO-POPUP\r\n";
  EXPECT_EQ(ReadWholeFile(IniFile()), written);
  IniChoices c = Choices();
  c.backColor = -5;
  c.minimizeAfterDelivery = c.suppressSplash = false;
  c.popup = PopupChoice::kNoPopup;
  WriteIniFile(program, c);
  EXPECT_NE(ReadWholeFile(IniFile()).find("\r\nBackColor=-5\r\nPopUp=/OPT/TELVO/TELVO-POPUP\r\n"
                                          "Deliver=NotMinimized\r\nSplash=NO\r\nUsepop=NO\r\n"),
            std::string::npos);

  // A failed write, sync or rename leaves the old file as it was.
  for (FileOp op : {FileOp::kWrite, FileOp::kSync, FileOp::kRename}) {
    WriteIni(written);
    boxes.Clear();
    faults.FailNth(op, faults.count(op) + 1, kDiskFull);
    EXPECT_THROW(WriteIniFile(program, c), ProgramEnded);
    EXPECT_EQ(ReadWholeFile(IniFile()), written);
    EXPECT_FALSE(std::filesystem::exists(IniFile() + ".NEW"));
    EXPECT_EQ(boxes.shown(), (std::vector<MessageBox>{{"Telvo",
                                                       "Error in writing ini file\nPlease call "
                                                       "technical support. Unknown error  61\n"
                                                       "Program Ending",
                                                       BoxIcon::kNone, BoxButtons::kOk, kAnswerOk}}));
  }
}

}  // namespace
}  // namespace telvo::test
