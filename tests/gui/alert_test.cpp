#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "gui/gui_support.h"
#include "service/alert_file.h"
#include "store/locked_open.h"
#include "support/program_fixture.h"
#include "ui/alert/alert_window.h"

namespace telvo::test {
namespace {

const std::string kStored = "<b>x</b> <img src=x>\r\nPosted 4:07 PM 12-05-2026\r\n";

class AlertWindowTest : public ProgramTest {
 protected:
  AlertWindowTest() { SetPeople({"<b>Ann"}); }

  std::string AlertFile() const { return temp.file("<b>ann/ALERT.TXT"); }
  std::string Stored() { return Alert(0).value_or("none"); }

  // What the pad does before it opens the window.
  std::unique_ptr<AlertWindow> Open(AlertUse use) {
    auto window = std::make_unique<AlertWindow>(program, 0, use, ReadAlert(program, 0).text);
    window->show();
    return window;
  }
  static QPlainTextEdit* AlertEdit(QWidget* w) { return Find<QPlainTextEdit>(w, "alertEdit"); }
  static QString Heading(QWidget* w, const char* line) { return Find<QLabel>(w, line)->text(); }
  static void Click(QWidget* w, const char* button) { Find<QPushButton>(w, button)->click(); }
};

TEST_F(AlertWindowTest, ShowsTheAlertToTheTakerAsPlainText) {
  PutAlert(0, kStored);
  auto window = Open(AlertUse::kShowToTaker);
  EXPECT_EQ(window->windowTitle(), "Alert for <b>Ann");
  EXPECT_EQ(state.activeWindow, kAlertWindow);
  EXPECT_EQ(Heading(window.get(), "firstHeadingLine"), "Please note the following message.");
  EXPECT_EQ(AlertEdit(window.get())->toPlainText(),
            "<b>x</b> <img src=x>\nPosted 4:07 PM 12-05-2026");
  EXPECT_TRUE(AlertEdit(window.get())->isReadOnly());
  QTest::mouseDClick(AlertEdit(window.get())->viewport(), Qt::LeftButton);
  EXPECT_TRUE(boxes.shown().empty());

  Click(window.get(), "okButton");
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(Stored(), kStored);

  // The taker may remove it too.
  window = Open(AlertUse::kShowToTaker);
  Click(window.get(), "removeButton");
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(Alert(0), std::nullopt);
}

TEST_F(AlertWindowTest, EditorWritesOnlyWhatChanged) {
  auto window = Open(AlertUse::kEdit);
  EXPECT_EQ(Heading(window.get(), "firstHeadingLine"), "Enter a message you want people");
  EXPECT_EQ(Heading(window.get(), "secondHeadingLine"), "taking calls for <b>Ann to know.");
  EXPECT_EQ(Find<QLabel>(window.get(), "secondHeadingLine")->textFormat(), Qt::PlainText);
  EXPECT_TRUE(AlertEdit(window.get())->toPlainText().isEmpty());
  QTest::mouseDClick(AlertEdit(window.get())->viewport(), Qt::LeftButton);
  EXPECT_EQ(boxes.last(), (MessageBox{"Telvo", "Be sure to enter an alert"}));
  Click(window.get(), "okButton");
  EXPECT_EQ(Alert(0), std::nullopt);

  window = Open(AlertUse::kEdit);
  QTest::keyClicks(AlertEdit(window.get()), "Out");
  QTest::keyClick(AlertEdit(window.get()), Qt::Key_Return);
  QTest::keyClicks(AlertEdit(window.get()), "back Monday");
  QTest::keyClick(AlertEdit(window.get()), Qt::Key_Tab);  // moves on; types nothing
  Click(window.get(), "okButton");
  const std::string saved = "Out\r\nback Monday\r\nPosted 9:05 AM 12-06-2026\r\n";
  EXPECT_EQ(Stored(), saved);

  // Reopened and closed unchanged a minute later: the time stamp stays.
  env.SetNow({2026, 12, 6, 9, 6, 0});
  window = Open(AlertUse::kEdit);
  EXPECT_EQ(AlertEdit(window.get())->toPlainText(), "Out\nback Monday");
  Click(window.get(), "okButton");
  EXPECT_EQ(Stored(), saved);
  // Cancel keeps what was typed out of the file; an emptied text is an alert.
  const std::pair<const char*, std::string> closings[] = {
      {"cancelButton", saved}, {"okButton", "\r\nPosted 9:06 AM 12-06-2026\r\n"}};
  for (const auto& [button, stored] : closings) {
    window = Open(AlertUse::kEdit);
    AlertEdit(window.get())->clear();
    Click(window.get(), button);
    EXPECT_EQ(Stored(), stored) << button;
  }
}

// The editor's Back moment and stand-in: refused when half given or gone
// by, written as their two lines when set, shown in their fields again, and
// an alert reopened unchanged keeps its time stamp.
TEST_F(AlertWindowTest, EditorSetsWhenTheOwnerIsBackAndWhoTakesTheirCalls) {
  SetPeople({"<b>Ann", "Bob", "Cy"});
  auto window = Open(AlertUse::kEdit);
  auto* date = Find<QLineEdit>(window.get(), "backDateEdit");
  auto* time = Find<QLineEdit>(window.get(), "backTimeEdit");
  auto* callsTo = Find<QComboBox>(window.get(), "callsToBox");
  EXPECT_EQ(callsTo->count(), 3);  // nobody, Bob and Cy: never the owner
  AlertEdit(window.get())->setPlainText("Away");
  const std::pair<std::pair<const char*, const char*>, const char*> refused[] = {
      {{"12-9-2026", ""}, "Enter both the date and the time you are back, or neither."},
      {{"13-45-2026", "9:00 AM"}, "Invalid Back Date"},
      {{"12-9-2026", "9 o'clock"}, "Invalid Back Time"},
      {{"12-6-2026", "9:05 AM"},
       "The Back moment has passed already. Enter a later one, or none."}};
  for (const auto& [typed, text] : refused) {
    date->setText(QString::fromLatin1(typed.first));
    time->setText(QString::fromLatin1(typed.second));
    Click(window.get(), "okButton");
    EXPECT_EQ(boxes.last().text, text);
    EXPECT_TRUE(window->isVisible());
  }
  date->setText(QStringLiteral("12/9/2026"));
  time->setText(QStringLiteral("9:00 am"));
  callsTo->setCurrentIndex(1);
  Click(window.get(), "okButton");
  const std::string saved =
      "Away\r\nBack 9:00 AM 12-09-2026\r\nCalls to Bob\r\nPosted 9:05 AM 12-06-2026\r\n";
  EXPECT_EQ(Stored(), saved);

  env.SetNow({2026, 12, 6, 9, 6, 0});
  window = Open(AlertUse::kEdit);
  EXPECT_EQ(AlertEdit(window.get())->toPlainText(), "Away");
  EXPECT_EQ(Find<QLineEdit>(window.get(), "backDateEdit")->text(), "12-09-2026");
  EXPECT_EQ(Find<QComboBox>(window.get(), "callsToBox")->currentText(), "Bob");
  Click(window.get(), "okButton");
  EXPECT_EQ(Stored(), saved);
  window = Open(AlertUse::kEdit);
  Find<QComboBox>(window.get(), "callsToBox")->setCurrentIndex(0);
  Click(window.get(), "okButton");
  EXPECT_EQ(Stored(), "Away\r\nBack 9:00 AM 12-09-2026\r\nPosted 9:06 AM 12-06-2026\r\n");
}

TEST_F(AlertWindowTest, LockedAlertKeepsTheWindowOpenWithItsText) {
  WriteWholeFile(AlertFile(), kStored);
  auto window = Open(AlertUse::kEdit);
  AlertEdit(window.get())->setPlainText("Away");
  std::unique_ptr<File> reader;
  ASSERT_OK(posix.OpenFile(workgroup.at(0).alert, FileAccess::kRead, &reader));
  Click(window.get(), "okButton");
  EXPECT_EQ(boxes.last(), (MessageBox{"Telvo", "Message file is locked up"}));
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(AlertEdit(window.get())->toPlainText(), "Away");
  EXPECT_EQ(Stored(), kStored);
  EXPECT_GE(env.sleptMs(), kTenPausesMinMs);  // waited for the colleague first
  EXPECT_FALSE(std::filesystem::exists(AlertFile() + ".NEW"));

  reader.reset();
  Click(window.get(), "okButton");
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(Stored(), "Away\r\nPosted 9:05 AM 12-06-2026\r\n");
}

TEST_F(AlertWindowTest, OpensModallyAndSaysWhenRemoveFails) {
  WriteWholeFile(AlertFile(), kStored);
  const std::string text = ReadAlert(program, 0).text;
  std::filesystem::remove(AlertFile());
  WhenModalShows([&](QWidget* modal) {
    EXPECT_EQ(modal->objectName(), "alertWindow");
    Click(modal, "removeButton");
  });
  static_cast<void>(ShowAlertWindow(program, 0, AlertUse::kEdit, text, "", nullptr));
  EXPECT_EQ(boxes.last(), (MessageBox{"Telvo", "Error Deleting Alert"}));
}

}  // namespace
}  // namespace telvo::test
