#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <map>

#include "gui/gui_support.h"
#include "store/database/database_store.h"
#include "support/program_fixture.h"
#include "support/records.h"
#include "ui/pad/message_pad.h"

namespace telvo::test {
namespace {

// The people of the pad's list, by their rows.
constexpr int kAnn = 0, kBob = 1, kCyDi = 2;
constexpr AlertUse kToTaker = AlertUse::kShowToTaker, kEditor = AlertUse::kEdit;

class PadTest : public ProgramTest {
 protected:
  PadTest() {
    SetPeople({"Ann", "Bob", "Cy & <b>Di</b>"});
    WriteWorkgroupList();
    settings.name = "Ann";
    settings.initials = "CW";
    settings.defaultRecipient = "Ann";
    settings.padColor = 0xC0C0FF;
    state.keepRunning = true;
  }
  ~PadTest() override { delete pad; }

  // A fresh pad, shown as the switch window shows it. Alerts come from
  // `alerts` (person to text) and each showing is noted with its use: shown
  // to the taker, or the editor.
  MessagePad* Open(bool realAlerts = false) {
    PadAlerts fake{[this](Program&, int person) {
                     ++alertReads;
                     AlertRead read;
                     read.exists = alerts.count(person) > 0;
                     read.text = read.exists ? alerts[person] : "";
                     return read;
                   },
                   [this](Program&, int person, AlertUse use, const std::string&,
                          const std::string& standIn, QWidget*) {
                     alertsShown.push_back({person, use});
                     standInsOffered.push_back(standIn);
                     return std::exchange(nextChoice, AlertChoice::kNone);
                   }};
    pad = new MessagePad(program, nullptr, realAlerts ? PadAlerts{} : std::move(fake));
    QObject::connect(pad, &MessagePad::Unloaded, [this] { ++unloads; });
    pad->show();
    return pad;
  }
  bool Closed() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return pad.isNull();
  }

  QLineEdit* Edit(const char* name) { return Find<QLineEdit>(pad, name); }
  QPushButton* Button(const char* name) { return Find<QPushButton>(pad, name); }
  QPlainTextEdit* Message() { return Find<QPlainTextEdit>(pad, "messageEdit"); }
  QListWidget* List() { return Find<QListWidget>(pad, "peopleList"); }
  void Click(const char* name) { QTest::mouseClick(Button(name), Qt::LeftButton); }
  void Choose(int row) {
    const QRect item = List()->visualItemRect(List()->item(row));
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, item.center());
  }
  void DoubleClick(QPoint at) {
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, at);
  }
  void Type(const char* name, const char* text) { QTest::keyClicks(Edit(name), text); }

  QPointer<MessagePad> pad;
  std::map<int, std::string> alerts;
  using Shown = std::vector<std::pair<int, AlertUse>>;
  Shown alertsShown;
  std::vector<std::string> standInsOffered;     // each showing's stand-in, "" for none
  AlertChoice nextChoice = AlertChoice::kNone;  // what the next showing answers
  int alertReads = 0;
  int unloads = 0;
};

TEST_F(PadTest, AnUnsafeShareIsNamedOnceARunBeforeTheFirstCall) {
  faults.PutOnUnsafeShare("The shared folder /srv/phone is an sshfs mount.");
  Open();
  const MessageBox warning{"Telvo",
                           "Calls cannot be delivered on this shared folder.\rThe shared folder "
                           "/srv/phone is an sshfs mount.",
                           BoxIcon::kExclamation, BoxButtons::kOk, kAnswerOk};
  EXPECT_EQ(boxes.shown(), std::vector<MessageBox>{warning});
  EXPECT_EQ(faults.sharesAsked.size(), 3u);  // each person's folder
  delete pad;
  Open();
  EXPECT_EQ(boxes.shown().size(), 1u);
}

TEST_F(PadTest, TypedMessageLandsInTheRecipientsLogAndThePadIsCleared) {
  Open();
  EXPECT_EQ(Edit("dateEdit")->text(), "12-06-2026");
  EXPECT_EQ(Edit("timeEdit")->text(), " 9:05 AM");
  EXPECT_FALSE(Button("deliverButton")->isEnabled());

  Choose(kBob);
  env.SetNow({2026, 12, 6, 14, 30, 0});
  Type("callerEdit", "Joe <b>Bloggs</b>");
  EXPECT_EQ(Edit("timeEdit")->text(), " 2:30 PM");  // typing the caller stamps the time
  QTest::keyClicks(Message(), "About");
  QTest::keyClick(Message(), Qt::Key_Return);
  QTest::keyClicks(Message(), "the lease");
  // Tab leaves the message for the phone number, as a person types a call.
  Message()->setFocus();
  QTest::keyClick(Message(), Qt::Key_Tab);
  ASSERT_EQ(pad->focusWidget(), Edit("phoneEdit"));
  QTest::keyClicks(pad->focusWidget(), "555-0100");
  QTest::mouseClick(Find<QCheckBox>(pad, "urgentCheck"), Qt::LeftButton, {}, QPoint(6, 6));
  Click("deliverButton");

  const std::string first = CallRecord({MARK_IMPORTANT, "12-06-2026", "Joe <b>Bloggs</b>",
                                        "2:30 PM", "555-0100", "About\r\nthe lease (CW)"});
  EXPECT_EQ(Log(kBob), first);
  EXPECT_TRUE(boxes.shown().empty());
  EXPECT_EQ(Edit("callerEdit")->text() + Edit("phoneEdit")->text() + Message()->toPlainText(), "");
  EXPECT_FALSE(Find<QCheckBox>(pad, "urgentCheck")->isChecked());
  EXPECT_FALSE(Button("deliverButton")->isEnabled());
  EXPECT_FALSE(pad->isMinimized());

  // The delivery choice "MINIMIZED"; restoring the pad re-stamps it.
  settings.deliver = Deliver::kMinimized;
  Type("callerEdit", "Kim");
  Edit("dateEdit")->setText("1/2/1999");
  Click("deliverButton");
  // A month-first date is delivered in the log's form.
  EXPECT_EQ(Log(kBob), first + CallRecord({MARK_NEW, "01-02-1999", "Kim", "2:30 PM", "", " (CW)"}));
  EXPECT_TRUE(pad->isMinimized());
  env.SetNow({2026, 12, 7, 8, 0, 0});
  pad->showNormal();
  EXPECT_EQ(Edit("dateEdit")->text(), "12-07-2026");
  EXPECT_EQ(Edit("timeEdit")->text(), " 8:00 AM");
}

TEST_F(PadTest, RefusedDeliveriesKeepThePadAsItWas) {
  settings.defaultRecipient = "Nobody";
  Open();
  EXPECT_EQ(List()->currentRow(), -1);
  EXPECT_EQ(Button("deliverButton")->text(), "OK");
  EXPECT_FALSE(Button("viewSelectedLogButton")->isEnabled());
  Type("callerEdit", "Joe");
  Click("deliverButton");
  EXPECT_EQ(boxes.last(), (MessageBox{"Telvo", "No \"For:\" Person Selected", BoxIcon::kStop,
                                      BoxButtons::kOk, kAnswerOk}));
  EXPECT_EQ(alertReads, 0);

  Choose(kAnn);
  Edit("callerEdit")->setText("  ");
  Click("deliverButton");
  EXPECT_EQ(boxes.last().text, "Caller name required.");

  Edit("callerEdit")->setText("Joe");
  Edit("dateEdit")->setText("12-31-2026 noon");
  Click("deliverButton");
  EXPECT_EQ(boxes.last(),
            (MessageBox{"Telvo ", "Invalid Date", BoxIcon::kStop, BoxButtons::kOk, kAnswerOk}));
  EXPECT_EQ(boxes.shown().size(), 3u);
  EXPECT_EQ(Edit("callerEdit")->text(), "Joe");
  EXPECT_EQ(Edit("dateEdit")->text(), "12-31-2026 noon");
  EXPECT_EQ(Log(kAnn), "");
}

TEST_F(PadTest, AnUnreachableDatabaseIsNamedAndThePadKeepsTheCall) {
  Open();
  PhoneStore* reachable = program.store;
  DatabaseStore unreachable("host=" + temp.file("no-server") + " dbname=telvo", "team");
  program.store = &unreachable;
  Choose(kBob);
  Type("callerEdit", "Joe");
  Click("deliverButton");
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.last().caption, "Bob");
  EXPECT_EQ(boxes.last().icon, BoxIcon::kStop);
  // The program's sentences, then libpq's own words naming the socket.
  const std::string said = "The message was not delivered.\rThe database could not be reached.\r";
  EXPECT_EQ(boxes.last().text.substr(0, said.size()), said);
  EXPECT_NE(boxes.last().text.find("no-server/.s.PGSQL.5432"), std::string::npos);
  EXPECT_EQ(Edit("callerEdit")->text(), "Joe");
  EXPECT_EQ(Log(kBob), "");
  program.store = reachable;
  Click("deliverButton");
  EXPECT_EQ(Log(kBob), CallRecord({MARK_NEW, "12-06-2026", "Joe", "9:05 AM", "", " (CW)"}));
}

TEST_F(PadTest, CloseOffersToDeliverWhatThePadHolds) {
  // Blanks in the phone field are something to deliver; Yes delivers.
  Open();
  Type("callerEdit", "Joe");
  Type("phoneEdit", " ");
  boxes.Answer(kAnswerYes);
  Click("closeButton");
  EXPECT_EQ(boxes.last(), (MessageBox{"Telvo", "Do you want to deliver this message",
                                      BoxIcon::kQuestion, BoxButtons::kYesNo, kAnswerNo}));
  EXPECT_EQ(Log(kAnn), CallRecord({MARK_NEW, "12-06-2026", "Joe", "9:05 AM", "", " (CW)"}));
  EXPECT_FALSE(state.keepRunning);
  EXPECT_TRUE(Closed());
  EXPECT_EQ(unloads, 1);

  // No (the default) clears the pad and ends; Escape presses Close.
  const std::string delivered = Log(kAnn);
  state.keepRunning = true;
  Open();
  Type("phoneEdit", "555");
  pad->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(pad));
  QTest::keyClick(pad, Qt::Key_Escape);
  EXPECT_EQ(boxes.shown().size(), 2u);
  EXPECT_FALSE(state.keepRunning);
  EXPECT_TRUE(Closed());
  EXPECT_EQ(Log(kAnn), delivered);

  // With nothing typed there is nothing to ask.
  state.keepRunning = true;
  Open();
  Click("closeButton");
  EXPECT_EQ(boxes.shown().size(), 2u);
  EXPECT_TRUE(Closed());

  // The close box reports an invalid date, yet closes; the switch shows a new pad.
  state.keepRunning = true;
  Open();
  Type("callerEdit", "Joe");
  Edit("dateEdit")->setText("someday");
  pad->close();
  EXPECT_EQ(boxes.last().text, "Invalid Date");
  EXPECT_TRUE(Closed());
  EXPECT_TRUE(state.keepRunning);
  EXPECT_EQ(unloads, 4);

  // A refused delivery keeps the window open.
  Open();
  Type("phoneEdit", "555");
  boxes.Answer(kAnswerYes);
  pad->close();
  EXPECT_EQ(boxes.last().text, "Caller name required.");
  EXPECT_FALSE(Closed());
  EXPECT_TRUE(pad->isVisible());
  // Qt activates the pad again when a box closes over it: the fields stay.
  QWidget box;
  box.show();
  box.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&box));
  pad->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(pad));
  EXPECT_EQ(Edit("phoneEdit")->text(), "555");
  EXPECT_TRUE(state.keepRunning);
  EXPECT_EQ(unloads, 4);
}

TEST_F(PadTest, DateAndTimeFollowTheClockAndCannedPhrasesJoinTheMessage) {
  Open();
  env.SetNow({2026, 12, 6, 11, 59, 0});
  Type("callerEdit", "J");
  EXPECT_EQ(Edit("timeEdit")->text(), "11:59 AM");
  EXPECT_TRUE(Edit("dateEdit")->isEnabled());
  // Changing the caller after the date was typed puts the present back.
  Edit("dateEdit")->setText("01-01-2020");
  Type("callerEdit", "o");
  EXPECT_EQ(Edit("dateEdit")->text(), "12-06-2026");
  Edit("callerEdit")->clear();
  EXPECT_FALSE(Button("deliverButton")->isEnabled());
  EXPECT_FALSE(Edit("timeEdit")->isEnabled());

  Click("pleaseCallButton");
  EXPECT_EQ(Message()->toPlainText(), "Please call.");
  Click("willCallBackButton");
  EXPECT_EQ(Message()->toPlainText(), "Please call. Will call back.");
  Message()->setPlainText("  see\nme  ");
  Click("returnedCallButton");
  EXPECT_EQ(Message()->toPlainText(), "see\nme Returned your call.");
  // Cancel clears all but the date and time.
  Click("clearButton");
  EXPECT_EQ(Message()->toPlainText(), "");
  EXPECT_EQ(Edit("timeEdit")->text(), "11:59 AM");
  EXPECT_FALSE(Closed());
}

TEST_F(PadTest, AnAlertIsShownOnceWhenItsPersonIsChosen) {
  alerts = {{kAnn, "Ann is out"}, {kBob, "<b>Bob</b> is away"}};
  Open();
  // The pad's own selection of Ann shows nothing.
  EXPECT_EQ(List()->currentRow(), kAnn);
  EXPECT_TRUE(alertsShown.empty());
  Type("callerEdit", "Joe");
  Choose(kBob);
  ASSERT_EQ(alertsShown, (Shown{{kBob, kToTaker}}));
  // Back from the alert window the typed caller and the selection stay.
  EXPECT_EQ(Edit("callerEdit")->text(), "Joe");
  EXPECT_EQ(List()->currentRow(), kBob);
  EXPECT_EQ(state.activeWindow, kMessagePad);
  Click("deliverButton");
  EXPECT_EQ(alertsShown.size(), 1u);  // seen already: OK delivers without it
  EXPECT_EQ(Log(kBob), CallRecord({MARK_NEW, "12-06-2026", "Joe", "9:05 AM", "", " (CW)"}));

  // The delivery cleared the pad, so the next OK shows the alert first.
  Type("callerEdit", "Kim");
  Click("deliverButton");
  EXPECT_EQ(alertsShown, (Shown{{kBob, kToTaker}, {kBob, kToTaker}}));

  // No alert: nothing shown or left behind; "Alert" opens the editor even so.
  Choose(kCyDi);
  Click("alertButton");
  EXPECT_EQ(alertsShown, (Shown{{kBob, kToTaker}, {kBob, kToTaker}, {kCyDi, kEditor}}));
  EXPECT_EQ(state.activeWindow, kMessagePad);
}

// An alert naming a stand-in offers them. "Instead" moves the pad to the
// stand-in and shows their own alert, once and without offering its
// stand-in in turn; "both" delivers twice, the stand-in's copy marked for
// the person chosen. A second append that fails is named, and the pad keeps
// the call for that person alone. A stand-in who left the list is offered
// to nobody.
TEST_F(PadTest, AnAlertsStandInTakesTheCallInsteadOrToo) {
  const std::string posted = "\r\nPosted 8:00 AM 12-06-2026";
  alerts = {{kBob, "Away\r\nCalls to cy & <b>di</b>" + posted},
            {kCyDi, "Away too\r\nCalls to Bob" + posted}};
  Open();
  const auto take = [&](const char* caller, AlertChoice choice) {
    Type("callerEdit", caller);
    QTest::keyClicks(Message(), "Call me");
    nextChoice = choice;
    Choose(kBob);
  };
  const auto call = [](const char* caller, const char* message) {
    return CallRecord({MARK_NEW, "12-06-2026", caller, "9:05 AM", "", message});
  };
  take("Joe", AlertChoice::kInstead);
  EXPECT_EQ(standInsOffered, (std::vector<std::string>{"Cy & <b>Di</b>", ""}));
  EXPECT_EQ(alertsShown, (Shown{{kBob, kToTaker}, {kCyDi, kToTaker}}));
  EXPECT_EQ(List()->currentRow(), kCyDi);
  Click("deliverButton");
  EXPECT_EQ(alertsShown.size(), 2u);
  EXPECT_EQ(Log(kBob), "");
  const std::string forBob = call("Joe", "Call me [for Bob] (CW)");
  EXPECT_EQ(Log(kCyDi), forBob);

  take("Kim", AlertChoice::kBoth);
  Click("deliverButton");
  EXPECT_EQ(Log(kBob), call("Kim", "Call me (CW)"));
  EXPECT_EQ(Log(kCyDi), forBob + call("Kim", "Call me [for Bob] (CW)"));

  alerts[kBob] = "Away\r\nCalls to Zed" + posted;  // no longer in the list
  Choose(kAnn);
  Choose(kBob);
  EXPECT_EQ(standInsOffered.back(), "");
  alerts[kBob] = "Away\r\nCalls to cy & <b>di</b>" + posted;
  Choose(kAnn);

  // A failing append is the shared folder's to inject.
  if (OnDatabase()) return;
  take("Lou", AlertChoice::kBoth);
  faults.ResetCounts();
  faults.FailNth(FileOp::kWrite, 2, kDiskFull);
  Click("deliverButton");
  EXPECT_EQ(boxes.last().caption, "Cy & <b>Di</b>");
  EXPECT_EQ(Log(kBob), call("Kim", "Call me (CW)") + call("Lou", "Call me (CW)"));
  EXPECT_EQ(List()->currentRow(), kCyDi);
  Click("deliverButton");  // the call kept, for the one who missed it
  EXPECT_EQ(Log(kBob), call("Kim", "Call me (CW)") + call("Lou", "Call me (CW)"));
  EXPECT_EQ(Log(kCyDi),
            forBob + call("Kim", "Call me [for Bob] (CW)") + call("Lou", "Call me [for Bob] (CW)"));
}

TEST_F(PadTest, AnAlertFileIsShownInTheAlertWindow) {
  PutAlert(kBob, "<b>Out</b> today\r\nPosted 8:00 AM 12-06-2026\r\n");
  Open(true);
  Type("callerEdit", "Joe");
  QString shown;
  QFont captions;
  WhenModalShows([&](QWidget* window) {
    shown = Find<QPlainTextEdit>(window, "alertEdit")->toPlainText();
    captions = Find<QPushButton>(window, "cancelButton")->font();
    QTest::mouseClick(Find<QPushButton>(window, "cancelButton"), Qt::LeftButton);
  });
  Choose(kBob);
  EXPECT_EQ(shown, "<b>Out</b> today\nPosted 8:00 AM 12-06-2026");
  // The window takes its captions' type from the pad's.
  EXPECT_EQ(captions.toString(), Find<QWidget>(pad, "callerLabel")->font().toString());
  EXPECT_EQ(Edit("callerEdit")->text(), "Joe");
  EXPECT_EQ(state.activeWindow, kMessagePad);
  Click("deliverButton");  // seen already: delivered at once
  EXPECT_EQ(Log(kBob), CallRecord({MARK_NEW, "12-06-2026", "Joe", "9:05 AM", "", " (CW)"}));
}

TEST_F(PadTest, WithNoOneSelectedAlertAndDoubleClickDoNothing) {
  alerts = {{kBob, "Bob is away"}};
  settings.defaultRecipient = "Nobody";
  Open();
  Click("alertButton");
  DoubleClick(QPoint(2, List()->height() - 4));
  EXPECT_EQ(alertReads, 0);
  EXPECT_EQ(unloads, 0);
  EXPECT_FALSE(Closed());

  // Double-clicking a name is "View Selected Log".
  DoubleClick(List()->visualItemRect(List()->item(1)).center());
  EXPECT_EQ(alertsShown, (Shown{{kBob, kToTaker}}));
  EXPECT_TRUE(Closed());
  EXPECT_EQ(state.activeWindow, kCallList);
  EXPECT_EQ(state.viewed.person, 1);
  EXPECT_EQ(settings.defaultRecipient, "Bob");
}

TEST_F(PadTest, ViewButtonsHandOverToTheCallList) {
  // A typed message delivered on the way keeps the view on the user's own log.
  Open();
  Choose(kBob);
  Type("callerEdit", "Joe");
  boxes.Answer(kAnswerYes);
  Click("viewMyLogButton");
  EXPECT_EQ(Log(kBob), CallRecord({MARK_NEW, "12-06-2026", "Joe", "9:05 AM", "", " (CW)"}));
  EXPECT_TRUE(Closed());
  EXPECT_EQ(unloads, 1);
  EXPECT_EQ(state.activeWindow, kCallList);
  EXPECT_TRUE(state.keepRunning);
  EXPECT_EQ(state.viewed.person, 0);
  EXPECT_EQ(state.viewed.book.file(), workgroup.at(0).log);

  // An invalid date stops the view, and the pad is in charge again.
  Open();
  Type("callerEdit", "Joe");
  Edit("dateEdit")->setText("99-99-99");
  Click("viewSelectedLogButton");
  EXPECT_EQ(boxes.last().text, "Invalid Date");
  EXPECT_FALSE(Closed());
  EXPECT_EQ(state.activeWindow, kMessagePad);

  // A log that may be written but not read is not listed.
  faults.ResetCounts();
  faults.FailNth(FileOp::kRead, 1, kPathFileAccessError);
  Click("viewSelectedLogButton");
  EXPECT_EQ(boxes.last(), (MessageBox{"Ann", "Insufficient file permissions to view calls",
                                      BoxIcon::kStop, BoxButtons::kOk, kAnswerOk}));
  EXPECT_FALSE(Closed());
  EXPECT_EQ(state.activeWindow, kMessagePad);
}

TEST_F(PadTest, OptionsFirstOfferToDeliverThenReloadTheSettings) {
  std::filesystem::create_directories(temp.file("config"));
  WriteWholeFile(temp.file("config/TELVO.INI"),
                 "WorkGroup=" + settings.workgroupPath + "\r\nInitials=AB\r\nName=Bob\r\n");
  Open();
  int optionsShown = 0;
  WhenModalShows([&](QWidget* options) {
    optionsShown += options->objectName() == "optionsDialog";
    QTest::mouseClick(Find<QPushButton>(options, "cancelButton"), Qt::LeftButton);
  });
  Type("callerEdit", "Joe");
  Edit("dateEdit")->setText("not a date");
  Click("optionsButton");
  EXPECT_EQ(optionsShown, 0);
  ASSERT_FALSE(Closed());
  EXPECT_EQ(boxes.last().text, "Invalid Date");

  Edit("dateEdit")->setText("12-06-2026");
  boxes.Answer(kAnswerNo);
  Click("optionsButton");
  EXPECT_EQ(optionsShown, 1);
  EXPECT_EQ(boxes.last().text, "Do you want to deliver this message");
  EXPECT_EQ(Log(kAnn), "");
  EXPECT_TRUE(Closed());
  EXPECT_EQ(unloads, 1);
  EXPECT_TRUE(state.keepRunning);
  EXPECT_EQ(settings.initials, "AB");
}

TEST_F(PadTest, ForwardIsDeliveredOnlyWhenPosted) {
  const PadValues call{-1,        "Joe", "01-02-2026",
                       "8:00 AM", "555", "See me\r\nsoon [Forwarded] 12-06-2026"};
  WhenModalShows([&](QWidget* modal) {
    pad = qobject_cast<MessagePad*>(modal);
    ASSERT_NE(pad, nullptr);
    EXPECT_EQ(Message()->toPlainText(), "See me\nsoon [Forwarded] 12-06-2026");
    EXPECT_EQ(Edit("dateEdit")->text(), "12-06-2026");  // stamped when first shown
    for (const char* off :
         {"viewSelectedLogButton", "viewMyLogButton", "optionsButton", "closeButton"})
      EXPECT_FALSE(Button(off)->isEnabled()) << off;
    // The close box runs OK, and the pad stays while nothing was delivered.
    Edit("dateEdit")->setText("soon");
    pad->close();
    EXPECT_TRUE(pad->isVisible());
    Edit("dateEdit")->setText("12-06-2026");
    Choose(kBob);
    pad->close();
  });
  EXPECT_TRUE(ShowPadForForward(program, call, nullptr));
  EXPECT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(Log(kBob), CallRecord({MARK_NEW, "12-06-2026", "Joe", "9:05 AM", "555",
                                   "See me\r\nsoon [Forwarded] 12-06-2026 (CW)"}));

  // A refused delivery keeps the pad; Cancel abandons the forward.
  settings.defaultRecipient = "Nobody";
  WhenModalShows([&](QWidget* modal) {
    pad = qobject_cast<MessagePad*>(modal);
    pad->close();
    EXPECT_EQ(boxes.last().text, "No \"For:\" Person Selected");
    EXPECT_TRUE(pad->isVisible());
    Click("clearButton");
  });
  EXPECT_FALSE(ShowPadForForward(program, call, nullptr));
  EXPECT_EQ(unloads, 0);
}

TEST_F(PadTest, LooksAsConfigured) {
  Open();
  EXPECT_EQ(pad->windowTitle(), "Message Pad");
  const QColor pink(0xFF, 0xC0, 0xC0);
  // What is drawn beside the Urgent box's text, and in the window's corner.
  QCheckBox* urgent = Find<QCheckBox>(pad, "urgentCheck");
  EXPECT_EQ(urgent->grab().toImage().pixelColor(urgent->width() - 2, 2), pink);
  EXPECT_EQ(pad->grab().toImage().pixelColor(2, 2), pink);

  // Names are shown as written: no markup, no shortcut letters.
  EXPECT_EQ(List()->item(2)->text(), "Cy & <b>Di</b>");
  Choose(kCyDi);
  EXPECT_EQ(Button("deliverButton")->text(), "&Deliver to Cy && <b>Di</b>");

  // The Tab key visits the controls in the order people are used to.
  std::vector<std::string> order;
  QWidget* control = List();
  for (int i = 0; i < 17; ++i, control = control->nextInFocusChain()) {
    while (control->focusPolicy() == Qt::NoFocus || !control->objectName().size())
      control = control->nextInFocusChain();
    order.push_back(control->objectName().toStdString());
  }
  EXPECT_EQ(order, (std::vector<std::string>{
                       "peopleList", "callerEdit", "messageEdit", "phoneEdit", "pleaseCallButton",
                       "willCallBackButton", "returnedCallButton", "deliverButton",
                       "viewSelectedLogButton", "viewMyLogButton", "clearButton", "optionsButton",
                       "alertButton", "dateEdit", "timeEdit", "helpButton", "urgentCheck"}));
}

}  // namespace
}  // namespace telvo::test
