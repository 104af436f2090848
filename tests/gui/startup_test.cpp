#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <memory>

#include "core/config_file.h"
#include "core/text.h"
#include "core/workgroup.h"
#include "gui_support.h"
#include "support/program_fixture.h"
#include "ui/common/qt_text.h"
#include "ui/startup/switch_window.h"

namespace telvo::test {
namespace {

using Events = std::vector<std::string>;

// New calls are looked for every ten seconds.
constexpr int kPollIntervalMs = 10000;

class StartupWindowTest : public ProgramTest {
 protected:
  StartupWindowTest() {
    std::filesystem::create_directories(temp.file("config"));
    std::filesystem::create_directories(temp.file("ann"));
    std::filesystem::create_directories(temp.file("bob"));
    WriteWholeFile(List(), "Ann," + temp.file("ann") + ",ANNPC,/none\r\n<b>Bob</b>," +
                               temp.file("bob") + ",BOBPC,/none\r\n");
    program.hooks.ShowSplash = [this] { events.push_back("splash"); };
    program.hooks.ShowOptions = [this] { events.push_back("options"); };
  }
  ~StartupWindowTest() override {
    delete switchWindow->mainWindow();
    switchWindow.reset();
  }

  std::string List() const { return temp.file("team.wgl"); }
  IniChoices Choices() const {
    return {List(),
            "AS",
            "Ann",
            "",
            kDefaultPadColor,
            "",
            Deliver::kNotMinimized,
            Splash::kSuppressed,
            Notification::kInternal};
  }
  // The main window the switch opens next, once it shows.
  QWidget* Opened(const char* name) {
    for (int waited = 0; waited < 200; ++waited) {
      QWidget* window = switchWindow->mainWindow();
      if (window && window->objectName() == name && window->isVisible()) return window;
      QTest::qWait(5);
    }
    ADD_FAILURE() << name << " did not open";
    return nullptr;
  }
  QTimer* PollTimer() { return Find<QTimer>(switchWindow.get(), "pollTimer"); }

  std::unique_ptr<SwitchWindow> switchWindow = std::make_unique<SwitchWindow>(program);
  Events events;
};

TEST_F(StartupWindowTest, FirstStartConfiguresThenOpensThePadWithThePoller) {
  boxes.Answer(kAnswerYes);
  program.hooks.ShowOptions = [this] {
    events.push_back("options");
    WriteIniFile(program, Choices());
  };
  switchWindow->Start();
  EXPECT_EQ(events, (Events{"splash", "options"}));
  ASSERT_FALSE(boxes.shown().empty());
  EXPECT_EQ(boxes.shown()[0].text, "Cannot find TELVO.INI in " + UpperCase(temp.file("config/")) +
                                       " Do you want to configure options?");
  EXPECT_FALSE(PollTimer()->isActive());  // nothing is polled during the start-up

  ASSERT_NE(Opened("messagePad"), nullptr);
  EXPECT_TRUE(state.keepRunning);
  // The pad found the user in the list, who chose the internal popup.
  EXPECT_TRUE(PollTimer()->isActive());
  EXPECT_EQ(PollTimer()->interval(), kPollIntervalMs);
}

TEST_F(StartupWindowTest, ClosingThePadQuitsTheEventLoop) {
  WriteIniFile(program, Choices());
  switchWindow->Start();
  QWidget* pad = Opened("messagePad");
  ASSERT_NE(pad, nullptr);
  QTimer::singleShot(0, pad, [pad] { pad->close(); });
  QTimer stuck;  // a switch that fails to quit must not hang the tests
  stuck.setSingleShot(true);
  QObject::connect(&stuck, &QTimer::timeout, [] { QCoreApplication::exit(99); });
  stuck.start(3000);
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_FALSE(state.keepRunning);
  EXPECT_EQ(switchWindow->mainWindow(), nullptr);  // no pad came back
}

TEST_F(StartupWindowTest, TheCallListAskedForOpensAndItsDoneReturnsToAFreshPad) {
  WriteIniFile(program, Choices());
  ReadIniFile(program);
  std::vector<std::string> names;
  ASSERT_OK(LoadWorkgroup(program, names));
  state.viewed.person = 1;
  state.activeWindow = kCallList;
  state.keepRunning = true;
  switchWindow->HandOver();

  QWidget* list = Opened("callListWindow");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(state.viewed.book.file(), workgroup.at(1).log);
  EXPECT_EQ(list->windowTitle(), "Calls for <b>Bob</b>");
  EXPECT_EQ(boxes.last().text, "No Phone Calls");  // Bob's log is empty

  Find<QPushButton>(list, "doneButton")->click();
  EXPECT_EQ(state.activeWindow, kMessagePad);
  EXPECT_NE(Opened("messagePad"), nullptr);
}

}  // namespace
}  // namespace telvo::test
