#include "core/startup.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/config_file.h"
#include "core/text.h"
#include "support/program_fixture.h"

namespace telvo::test {
namespace {

using Events = std::vector<std::string>;

class StartUpTest : public ProgramTest {
 protected:
  StartUpTest() {
    std::filesystem::create_directories(temp.file("config"));
    WriteWholeFile(temp.file("team.wgl"), "Ann Smith,/srv/ann,ANNPC,/srv/ann/alert.txt\r\n");
    hooks.ShowSplash = [this] { events.push_back("splash"); };
    hooks.ShowOptions = [this] { events.push_back("options"); };
    hooks.StopPoller = [this] { events.push_back("poller off"); };
  }

  // A usable configuration with these extra lines.
  void WriteIni(const std::string& lines) {
    WriteWholeFile(temp.file("config/TELVO.INI"),
                   "WorkGroup=" + temp.file("team.wgl") + "\r\nInitials=AS\r\n" + lines);
  }
  // Runs a start-up in a program of its own that records the programs it starts.
  Events Start() {
    StartRecordingEnv recording(&env);
    Program started(recording, boxes);
    started.hooks = hooks;
    StartUp(started);
    EXPECT_TRUE(started.state.keepRunning);
    Events seen = events;
    for (const std::string& path : recording.started) seen.push_back("start " + path);
    events.clear();
    return seen;
  }

  ProgramHooks hooks;
  Events events;
};

TEST_F(StartUpTest, FirstStartAsksToConfigureThenShowsSplashAndOptions) {
  boxes.Answer(kAnswerYes);
  hooks.ShowOptions = [this] {
    events.push_back("options");
    WriteIniFile(program, {temp.file("team.wgl"), "AS", "Ann Smith", "", kDefaultPadColor, "",
                           Deliver::kNotMinimized, Splash::kShown, Notification::kInternal});
  };
  // The splash of the question's Yes, then the one the new settings ask for.
  EXPECT_EQ(Start(), (Events{"splash", "options", "splash", "poller off"}));
  EXPECT_EQ(
      boxes.shown(),
      (std::vector<MessageBox>{{"Telvo ",
                                "Cannot find TELVO.INI in " + UpperCase(temp.file("config/")) +
                                    " Do you want to configure options?",
                                BoxIcon::kQuestion, BoxButtons::kYesNo, kAnswerNo}}));
}

TEST_F(StartUpTest, SplashAndExternalPopupOnlyWhenChosen) {
  const std::pair<std::string, Events> cases[] = {
      {"Splash=YES\r\nUsepop=EXTERNAL\r\nPopUp=/opt/pop\r\n", {"poller off", "start /opt/pop"}},
      {"Splash=NO\r\nUsepop=EXTERNAL\r\nPopUp=\r\n", {"splash", "poller off"}},
      // Without a Splash line the setting is empty: no splash.
      {"Usepop=INTERNAL\r\nPopUp=/opt/pop\r\n", {"poller off"}},
      {"Splash=maybe\r\nUsepop=NO\r\nPopUp=/opt/pop\r\n", {"poller off"}},
  };
  for (const auto& [lines, expected] : cases) {
    WriteIni(lines);
    EXPECT_EQ(Start(), expected) << lines;
  }
  EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(StartUpTest, ASecondInstanceIsRefusedAndTheFirstRunsOn) {
  WriteIni("Splash=YES\r\n");
  EXPECT_EQ(Start(), (Events{"poller off"}));
  // Another process of the same user: the same lock file, another open.
  PosixEnv secondPosix(
      PosixEnvOptions{temp.path() + "/config/", 0, nullptr, temp.file("instance.lock")});
  FakeClockEnv second(&secondPosix);
  Program refused(second, boxes);
  refused.hooks = hooks;
  try {
    StartUp(refused);
    ADD_FAILURE() << "the second instance ran";
  } catch (const ProgramEnded& ended) {
    EXPECT_EQ(ended.status, 1);
  }
  EXPECT_TRUE(events.empty());  // ended before reading its settings
  EXPECT_EQ(refused.settings.workgroupPath, "");
  EXPECT_EQ(boxes.shown(), (std::vector<MessageBox>{{"Telvo", "Application Already Running",
                                                     BoxIcon::kStop, BoxButtons::kOk, kAnswerOk}}));
  // The first still holds the lock, and was asked to come to the front.
  EXPECT_TRUE(env.AcquireSingleInstance());
  EXPECT_FALSE(secondPosix.AcquireSingleInstance());
  ASSERT_NE(env.Doorbell(), nullptr);
  EXPECT_TRUE(env.Doorbell()->TakeRings());
  EXPECT_FALSE(env.Doorbell()->TakeRings());
}

}  // namespace
}  // namespace telvo::test
