#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <array>
#include <functional>
#include <tuple>

#include "gui/gui_support.h"
#include "support/program_fixture.h"
#include "support/records.h"
#include "ui/calllist/call_icons.h"
#include "ui/calllist/call_list_window.h"
#include "ui/help/help_window.h"
#include "ui/startup/pad_opener.h"

namespace telvo::test {
namespace {

using Captions = std::vector<std::string>;
using Page = std::vector<CallListWindow::DrawnText>;

constexpr char kMarks[] = {MARK_NEW, MARK_DELETE, MARK_ARCHIVE, MARK_IMPORTANT};

// The palette colours a call's texts are drawn in, by its mark.
constexpr int kBlack = 0;  // new
constexpr int kGrey = 7;   // deleted
constexpr int kRed = 12;   // archived
constexpr int kBlue = 9;   // important
// The archive's background.
const QColor kArchiveYellow(255, 255, 128);

std::string Caller(int i) { return "C" + std::to_string(100 + i); }

// What the paging engine draws, measured with the window's font.
struct RecordingCanvas : CallCanvas {
  explicit RecordingCanvas(CallCanvas& measuring) : measure(measuring) {}
  void Clear() override { texts.clear(), icons.clear(); }
  double TextWidth(std::string_view text) override { return measure.TextWidth(text); }
  double LineHeight() override { return measure.LineHeight(); }
  void SetTextColor(int index) override { colour = index; }
  void DrawText(double x, double y, std::string_view text) override {
    texts[{y, x}] = {std::string(text), colour};
  }
  void ShowRowIcon(int row, double, CallIcon icon) override { icons[row] = icon; }
  Page Drawn() const {
    Page page;
    for (const auto& [at, text] : texts)
      page.push_back({at.second, at.first, text.first, text.second});
    return page;
  }
  CallCanvas& measure;
  std::map<std::pair<double, double>, std::pair<std::string, int>> texts;
  std::map<int, CallIcon> icons;
  int colour = 0;
};

class CallListTest : public ProgramTest {
 protected:
  CallListTest() {
    SetPeople({"Ann", "Bob"});
    WriteWorkgroupList();
    settings.name = "Ann";
    settings.initials = "CW";
    settings.defaultRecipient = "Ann";
    state.keepRunning = true;
    state.viewed.person = 0;
    state.viewed.book = {workgroup.at(0), false};
  }
  ~CallListTest() override { delete window; }

  CallListWindow* Open() {
    window = new CallListWindow(program);
    QObject::connect(window, &CallListWindow::Unloaded, [this] { ++unloads; });
    window->show();
    return window;
  }
  void Click(const char* button) { Find<QPushButton>(window, button)->click(); }
  QLabel* Icon(int row) { return Find<QLabel>(window, ("rowIcon" + std::to_string(row)).c_str()); }
  // Chooses `caption` (none: closes the menu) from the next pop-up menu and
  // returns the captions that were enabled in it.
  std::shared_ptr<Captions> WhenMenuShows(const std::string& caption) {
    auto enabled = std::make_shared<Captions>();
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [=] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (!menu) return QTimer::singleShot(5, *poll);
      QAction* chosen = nullptr;
      for (QAction* action : menu->actions()) {
        if (action->isEnabled()) enabled->push_back(action->text().toStdString());
        if (action->text().toStdString() == caption) chosen = action;
      }
      if (chosen) chosen->trigger();
      menu->close();
    };
    QTimer::singleShot(0, *poll);
    return enabled;
  }
  // Presses `mouse` on row's icon and chooses `caption` from the Actions menu.
  Captions Choose(int row, const std::string& caption, Qt::MouseButton mouse = Qt::LeftButton) {
    const auto enabled = WhenMenuShows(caption);
    QTest::mousePress(Icon(row), mouse, {}, QPoint(2, 2));
    return *enabled;
  }
  // The caller column's texts with their colours.
  std::vector<std::pair<std::string, int>> Callers() {
    std::vector<std::pair<std::string, int>> callers;
    for (const auto& text : window->Page())
      if (text.x == kCallerColumnX) callers.push_back({text.text, text.colour});
    return callers;
  }
  bool IconShows(int row, CallIcon icon) {
    return Icon(row)->isVisible() &&
           Icon(row)->pixmap().toImage() == CallIconPicture(icon).toImage();
  }
  QColor Background() {
    return window->grab().toImage().pixelColor(window->width() - 3, window->height() - 3);
  }

  QPointer<CallListWindow> window;
  int unloads = 0;
};

TEST_F(CallListTest, PagesThroughFortyCallsAsThePagingEngineLaysThemOut) {
  std::string log;
  for (int i = 0; i < 40; ++i)
    log += CallRecord({.mark = kMarks[i % 4],
                       .caller = i == 39 ? "<i>x</i>&" : Caller(i),
                       .message = std::string(static_cast<size_t>(1 + i % 5) * 30, 'x')});
  PutLog(0, log);
  Open();
  EXPECT_EQ(window->windowTitle(), "Calls for Ann");

  // The same engine on the same calls, drawing on a recording canvas.
  ScriptedMessageBoxes otherBoxes;
  Program other{env, otherBoxes};
  other.store = program.store;
  other.state = state;
  other.settings = settings;
  other.workgroup = workgroup;
  RecordingCanvas recorded(*window);
  CallPagingEngine engine(other, recorded);
  engine.SetBook(state.viewed.book);

  auto same = [&](const char* step) {
    SCOPED_TRACE(step);
    ASSERT_FALSE(window->Page().empty());
    EXPECT_EQ(window->Page(), recorded.Drawn());
    for (int row = 0; row < kPageRows; ++row) {
      if (recorded.icons.count(row)) {
        EXPECT_TRUE(IconShows(row, recorded.icons[row])) << row;
        EXPECT_EQ(Icon(row)->toolTip(), "Click for call disposition choices");
      } else {
        EXPECT_FALSE(Icon(row)->isVisible()) << row;
      }
    }
    // Texts and icons by the mark: new black, deleted grey, archived red, important blue.
    for (const auto& [caller, colour] : Callers()) {
      if (caller[0] != 'C') continue;
      const int i = std::stoi(caller.substr(1)) - 100;
      EXPECT_EQ(colour, (std::array{kBlack, kGrey, kRed, kBlue}[i % 4])) << caller;
    }
  };
  engine.LatestPage();
  same("opened");
  // Markup in a record is drawn as written.
  EXPECT_EQ(Callers().front(), (std::pair<std::string, int>{"<i>x</i>&", kBlue}));

  int pages = 1;
  for (;; ++pages) {
    Click("nextButton");
    if (!boxes.shown().empty()) break;
    engine.NextPage();
    same("next");
  }
  EXPECT_GT(pages, 2);
  EXPECT_EQ(boxes.last(), (MessageBox{"Telvo ", "No more messages.", BoxIcon::kStop}));
  boxes.Clear();
  for (int up = 1; up < pages; ++up) {
    Click("previousButton");
    engine.PreviousPage();
    same("previous");
  }
  EXPECT_TRUE(boxes.shown().empty());
  Click("previousButton");
  EXPECT_EQ(boxes.last(), (MessageBox{"Telvo ", "Beginning of messages reached.", BoxIcon::kStop}));
  Click("nextButton");
  Click("nextButton");
  Click("latestButton");
  engine.LatestPage();
  same("latest");

  // Restored from minimized, the list starts again from the newest call.
  Click("nextButton");
  window->setWindowState(Qt::WindowMinimized);
  window->setWindowState(Qt::WindowNoState);
  same("restored");
}

TEST_F(CallListTest, ActionsMarkTheCallOnDiskAndRedrawItsRow) {
  const TestCall older{.caller = "Old"}, newest{.caller = "Joe"};
  PutLog(0, CallRecord(older) + CallRecord(newest));
  PutArchive(0, CallRecord("Kept"));
  Open();
  EXPECT_EQ(Background(), QColor(Qt::white));
  const Captions all{"&Delete", "&Archive", "&Important", "&Export", "&Forward", "&New"};
  const std::vector<std::tuple<std::string, char, int, CallIcon>> steps{
      {"&Delete", MARK_DELETE, kGrey, CallIcon::kCheck},
      {"&Archive", MARK_ARCHIVE, kRed, CallIcon::kNail},
      {"&Important", MARK_IMPORTANT, kBlue, CallIcon::kUrgent},
      {"&New", MARK_NEW, kBlack, CallIcon::kPhone}};
  for (const auto& [caption, mark, colour, icon] : steps) {
    SCOPED_TRACE(caption);
    // Any mouse button opens the menu.
    EXPECT_EQ(Choose(0, caption, mark == MARK_ARCHIVE ? Qt::RightButton : Qt::LeftButton), all);
    TestCall marked = newest;
    marked.mark = mark;
    EXPECT_EQ(Log(0), CallRecord(older) + CallRecord(marked));
    EXPECT_EQ(Callers(),
              (std::vector<std::pair<std::string, int>>{{"Joe", colour}, {"Old", kBlack}}));
    EXPECT_TRUE(IconShows(0, icon));
  }
  // A menu closed without a choice changes nothing.
  EXPECT_EQ(Choose(1, ""), all);
  EXPECT_EQ(Log(0), CallRecord(older) + CallRecord(newest));

  boxes.Answer(kAnswerYes);
  Choose(1, "&Export");
  EXPECT_EQ(Exported(0), "\"12-06-2026\",\"9:05 AM\",\"Old\",\"555-0100\",\"call back (CW)\"\r\n");

  // The archive: other caption, colours and menu.
  Click("oldCallsButton");
  EXPECT_EQ(window->windowTitle(), "Purged Calls for Ann");
  EXPECT_EQ(Find<QPushButton>(window, "oldCallsButton")->text(), "Active Calls");
  EXPECT_EQ(Background(), kArchiveYellow);
  EXPECT_EQ(Callers(), (std::vector<std::pair<std::string, int>>{{"Kept", kBlack}}));
  EXPECT_EQ(Choose(0, "&Delete"), (Captions{"&Delete", "&Archive", "&Export"}));
  EXPECT_EQ(Archive(0), CallRecord({.mark = MARK_DELETE, .caller = "Kept"}));

  Click("oldCallsButton");
  EXPECT_EQ(window->windowTitle(), "Calls for Ann");
  EXPECT_EQ(Find<QPushButton>(window, "oldCallsButton")->text(), "Old Calls");
  EXPECT_EQ(Background(), window->palette().color(QPalette::Base));
  EXPECT_EQ(Choose(0, ""), all);
  EXPECT_TRUE(window->isVisible());
}

TEST_F(CallListTest, PurgeAsksFirstAndListsAgain) {
  const std::string log = CallRecord({.mark = MARK_ARCHIVE, .caller = "Arch"}) +
                          CallRecord({.mark = MARK_DELETE, .caller = "Del"}) + CallRecord("Stay");
  PutLog(0, log);
  Open();
  boxes.Answer(kAnswerNo);
  Click("purgeButton");
  EXPECT_EQ(boxes.last(),
            (MessageBox{"Purge Answered Phone Calls",
                        "You are about to purge answered phone calls from your active calls. Do "
                        "you want to continue?",
                        BoxIcon::kQuestion, BoxButtons::kYesNo, kAnswerNo}));
  EXPECT_EQ(Log(0), log);

  boxes.Answer(kAnswerYes);
  Click("purgeButton");
  EXPECT_EQ(Log(0), CallRecord("Stay"));
  EXPECT_EQ(Archive(0), CallRecord({.mark = MARK_ARCHIVE, .caller = "Arch"}));
  EXPECT_EQ(Callers(), (std::vector<std::pair<std::string, int>>{{"Stay", kBlack}}));

  Click("oldCallsButton");
  boxes.Answer(kAnswerNo);
  Click("purgeButton");
  EXPECT_EQ(boxes.last().text,
            "You are about to purge answered phone calls from your archived calls. Do you want "
            "to continue?");
}

TEST_F(CallListTest, ForwardDeliversThroughThePadThenMarksTheOriginal) {
  InstallForwardHook(program);
  const TestCall call{.date = "11-30-2026", .caller = "Joe", .time = "4:15 PM"};
  PutLog(0, CallRecord(call));
  Open();

  // Declined: no pad, no mark.
  boxes.Answer(kAnswerNo);
  Choose(0, "&Forward");
  EXPECT_EQ(boxes.last().text, "Do you want to forward this call to someone else?");
  EXPECT_EQ(Log(0), CallRecord(call));

  boxes.Answer(kAnswerYes);
  std::map<std::string, std::string> padFields;
  std::vector<bool> ready;
  WhenModalShows([&](QWidget* pad) {
    for (const char* name : {"callerEdit", "phoneEdit"})
      padFields[name] = Find<QLineEdit>(pad, name)->text().toStdString();
    // Filled after the pad's load, which would otherwise have left these off.
    for (const char* name : {"deliverButton", "dateEdit", "timeEdit"})
      ready.push_back(Find<QWidget>(pad, name)->isEnabled());
    Find<QListWidget>(pad, "peopleList")->setCurrentRow(1);
    Find<QPushButton>(pad, "deliverButton")->click();
    pad->hide();  // a pad that failed to deliver must not hold the test
  });
  Choose(0, "&Forward");
  EXPECT_EQ(padFields,
            (std::map<std::string, std::string>{{"callerEdit", "Joe"}, {"phoneEdit", "555-0100"}}));
  EXPECT_EQ(ready, (std::vector<bool>{true, true, true}));
  // Delivered with the date and time of the forwarding, the forwarder's initials after it.
  EXPECT_EQ(Log(1), CallRecord(TestCall{.caller = "Joe",
                                        .message = "call back (CW) [Forwarded] 12-06-2026 (CW)"}));
  TestCall marked = call;
  marked.mark = MARK_DELETE;
  EXPECT_EQ(Log(0), CallRecord(marked));
  EXPECT_EQ(Callers(), (std::vector<std::pair<std::string, int>>{{"Joe", kGrey}}));
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(unloads, 0);
}

TEST_F(CallListTest, DoneEscapeAndTheCloseBoxHandBackToThePad) {
  PutLog(0, CallRecord("Joe"));
  Open();
  // Help offers the help page and the About box.
  const auto helpMenu = WhenMenuShows("&Contents");
  Click("helpButton");
  EXPECT_EQ(*helpMenu, (Captions{"&Contents", "&About"}));
  HelpWindow* help = nullptr;
  for (QWidget* top : QApplication::topLevelWidgets())
    if (auto* shown = qobject_cast<HelpWindow*>(top); shown && shown->isVisible()) help = shown;
  ASSERT_NE(help, nullptr);
  help->close();

  Click("doneButton");
  EXPECT_EQ(unloads, 1);
  EXPECT_EQ(state.activeWindow, kMessagePad);
  delete window;
  Open();
  EXPECT_EQ(state.activeWindow, kCallList);
  QTest::keyClick(window, Qt::Key_Escape);
  EXPECT_EQ(unloads, 2);
  delete window;
  Open();
  window->close();
  EXPECT_EQ(unloads, 3);
}

TEST_F(CallListTest, NoFontFittingATinyScreenEndsTheProgram) {
  QWidget tiny;
  tiny.resize(400, 60);
  EXPECT_THROW(ChooseCallListFont(program, tiny), ProgramEnded);
  EXPECT_EQ(boxes.last(), (MessageBox{"Telvo", "No Suitable Font Found\nProgram Ending"}));
}

}  // namespace
}  // namespace telvo::test
