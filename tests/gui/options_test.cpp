#include "ui/options/options_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <filesystem>
#include <memory>

#include "core/text.h"
#include "gui/gui_support.h"
#include "support/program_fixture.h"
#include "ui/common/file_dialogs.h"

namespace telvo::test {
namespace {

class OptionsDialogTest : public ProgramTest {
 protected:
  OptionsDialogTest() {
    program.hooks.StartPoller = [this] { poller.push_back("start"); };
    program.hooks.StopPoller = [this] { poller.push_back("stop"); };
    settings.workgroupPath = UpperCase(WriteList("team.wgl", {"Ann", "<b>Bob</b>"}));
    settings.name = "Ann";
    settings.defaultRecipient = "<b>Bob</b>";
    settings.initials = "AB";
    settings.padColor = 0xC0C0FF;
    settings.popupProgram = "/OPT/TELVO/TELVO-POPUP";
    settings.notification = Notification::kInternal;
  }

  // A workgroup list in the temporary folder; returns its path.
  std::string WriteList(const std::string& file, const std::vector<std::string>& names) {
    std::string lines;
    for (const std::string& name : names)
      lines += name + "," + temp.file(name) + ",PC," + temp.file("alert") + "\r\n";
    WriteWholeFile(temp.file(file), lines);
    return temp.file(file);
  }

  OptionsDialog& Open() {
    dialog = std::make_unique<OptionsDialog>(program);
    dialog->show();
    return *dialog;
  }

  template <typename Control>
  Control* Get(const char* name) { return Find<Control>(dialog.get(), name); }
  QString LabelText(int i) {
    return Get<QLabel>(("Label1(" + std::to_string(i) + ")").c_str())->text();
  }
  void Click(const char* name) { Get<QAbstractButton>(name)->click(); }
  void ClickName(int row) {
    auto* list = Get<QListWidget>("List1");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(row)).center());
  }
  QStringList ListNames() {
    QStringList names;
    auto* list = Get<QListWidget>("List1");
    for (int i = 0; i < list->count(); ++i) names << list->item(i)->text();
    return names;
  }
  std::string IniFile() { return env.ResolvePath(ConfigFilePath(program)); }

  ScriptedCommonDialogs dialogs;
  std::vector<std::string> poller;
  std::unique_ptr<OptionsDialog> dialog;
};

TEST_F(OptionsDialogTest, LoadsTheSettingsWithNamesAsPlainText) {
  settings.notification = Notification::kExternal;
  settings.splash = Splash::kSuppressed;
  settings.deliver = Deliver::kNotMinimized;
  Open();
  EXPECT_EQ(dialog->windowTitle(), "Telvo Options");
  EXPECT_EQ(state.activeWindow, kOptionsDialog);

  EXPECT_EQ(ListNames(), QStringList({"Ann", "<b>Bob</b>"}));
  EXPECT_EQ((QStringList{LabelText(0), LabelText(1), LabelText(2), LabelText(3)}),
            (QStringList{QString::fromStdString(settings.workgroupPath), "Ann", "<b>Bob</b>",
                         "/OPT/TELVO/TELVO-POPUP"}));
  EXPECT_EQ(Get<QLabel>("Label1(2)")->textFormat(), Qt::PlainText);
  EXPECT_EQ(Get<QLineEdit>("Text1")->text(), "AB");
  EXPECT_FALSE(Get<QLineEdit>("Text1")->isEnabled());
  EXPECT_FALSE(Get<QListWidget>("List1")->isEnabled());
  EXPECT_TRUE(Get<QCheckBox>("Check2")->isChecked());
  EXPECT_FALSE(Get<QCheckBox>("Check1")->isChecked());

  // "Mailslot Popup" alone lets the popup program be chosen.
  EXPECT_TRUE(Get<QRadioButton>("Option1(1)")->isChecked());
  EXPECT_TRUE(Get<QPushButton>("Command1(5)")->isEnabled());
  Click("Option1(0)");
  EXPECT_FALSE(Get<QPushButton>("Command1(5)")->isEnabled());
  EXPECT_FALSE(Get<QLabel>("Label1(3)")->isEnabled());
  EXPECT_EQ(poller, std::vector<std::string>{"stop"});
}

TEST_F(OptionsDialogTest, OkRefusesWithItsThreeBoxesAndWritesNothing) {
  const auto refusal = [&](const char* text) {
    Open();
    boxes.Clear();
    Click("Command2");
    EXPECT_TRUE(dialog->isVisible());
    return boxes.shown() ==
           std::vector<MessageBox>{{"Telvo", text, BoxIcon::kStop, BoxButtons::kOk, kAnswerOk}};
  };
  const std::string configured = settings.workgroupPath;
  // An unreadable list shows no box of its own; its names are missing.
  settings.workgroupPath = UpperCase(temp.file("gone.wgl"));
  EXPECT_TRUE(refusal("Workgroup does not contain any names."));
  EXPECT_FALSE(Get<QPushButton>("Command1(1)")->isEnabled());
  EXPECT_FALSE(Get<QPushButton>("Command1(3)")->isEnabled());

  settings.workgroupPath = configured;
  settings.name = "ann";  // the list's spelling is what counts
  EXPECT_TRUE(refusal("Identify yourself---Name not on list."));
  settings.name = "Ann";
  settings.defaultRecipient = "Bob";
  EXPECT_TRUE(refusal("Default for person---Name not on list."));
  EXPECT_FALSE(std::filesystem::exists(IniFile()));
  // What OK requires is shown before OK, and only while it is missing.
  const auto required = [&](const char* hint) { return Get<QLabel>(hint)->isVisible(); };
  EXPECT_FALSE(required("RequiredHint(1)"));
  EXPECT_TRUE(required("RequiredHint(2)"));
  EXPECT_EQ(Get<QLabel>("RequiredHint(2)")->text(), "Required: a person from the list");
  Click("Command1(3)");
  ClickName(0);
  EXPECT_FALSE(required("RequiredHint(2)"));
}

TEST_F(OptionsDialogTest, PickModeFillsOnlyTheLabelOfItsButton) {
  Open();
  Click("Command1(2)");
  Click("Command1(1)");
  EXPECT_EQ(LabelText(1), "Choose from list");
  EXPECT_EQ(Get<QLabel>("Label1(1)")->palette().color(QPalette::Window), QColor(255, 255, 128));
  for (const char* locked : {"Command1(0)", "Command1(2)", "Command1(5)", "Command2", "Command3",
                             "Text1", "Check1", "Check2", "Option1(0)", "Option1(2)"})
    EXPECT_FALSE(Get<QWidget>(locked)->isEnabled()) << locked;
  EXPECT_TRUE(Get<QListWidget>("List1")->isEnabled());
  EXPECT_TRUE(Get<QPushButton>("Help")->isEnabled());

  ClickName(1);
  EXPECT_EQ(LabelText(1), "<b>Bob</b>");
  EXPECT_EQ(LabelText(2), "<b>Bob</b>");
  EXPECT_EQ(Get<QLabel>("Label1(1)")->palette().color(QPalette::Window), QColor(Qt::white));
  // Back from a pick, even the popup program button takes clicks.
  for (const auto& [name, on] :
       {std::pair{"List1", false}, {"Text1", false}, {"Command1(5)", true}, {"Command2", true}})
    EXPECT_EQ(Get<QWidget>(name)->isEnabled(), on) << name;

  // Keys pick too, but not the focus arriving in the list.
  Click("Command1(3)");
  auto* list = Get<QListWidget>("List1");
  list->setCurrentRow(-1);
  dialog->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
  list->setFocus(Qt::TabFocusReason);
  ASSERT_TRUE(list->hasFocus());
  EXPECT_EQ(LabelText(2), "Choose from list");
  QTest::keyClick(list, Qt::Key_Down);
  EXPECT_EQ(LabelText(2), list->currentItem()->text());
  EXPECT_FALSE(list->isEnabled());
  EXPECT_EQ(LabelText(1), "<b>Bob</b>");

  Click("Command1(3)");
  ClickName(0);
  EXPECT_EQ(LabelText(2), "Ann");
}

TEST_F(OptionsDialogTest, ChoosingAWorkgroupAsksAgainUntilAListIsChosen) {
  const std::string configured = settings.workgroupPath;
  const std::string other = WriteList("other.WGL", {"Cy", "Di"});
  Open();
  dialogs.CancelFile();
  Click("Command1(0)");
  EXPECT_EQ(ListNames(), QStringList({"Ann", "<b>Bob</b>"}));

  dialogs.AnswerFile(QString::fromStdString(temp.file("notes.txt")));
  dialogs.AnswerFile(QString::fromStdString(other));
  faults.PutOnUnsafeShare("The shared folder is an sshfs mount.");
  Click("Command1(0)");
  // The chosen list's folders are judged, and the finding shown at once.
  EXPECT_EQ(faults.sharesAsked.size(), 2u);
  EXPECT_EQ(boxes.last().text,
            "Calls cannot be delivered on this shared folder.\rThe shared folder is an sshfs "
            "mount.");
  ASSERT_EQ(dialogs.fileRequests().size(), 3u);
  // It starts in the configured list's folder, spelt as on disk.
  const OpenFileRequest asked{"Workgroup List Selection", QString::fromStdString(temp.path() + "/"),
                              "", "Workgroup Files (*.wgl *.WGL)"};
  EXPECT_EQ(dialogs.fileRequests()[1], asked);
  EXPECT_EQ(dialogs.fileRequests()[2], asked);
  EXPECT_EQ(LabelText(0), QString::fromStdString(other));
  EXPECT_EQ(ListNames(), QStringList({"Cy", "Di"}));
  EXPECT_EQ(settings.workgroupPath, configured);
  EXPECT_EQ(LabelText(1), "Ann");

  Click("Command2");
  EXPECT_EQ(boxes.last().text, "Identify yourself---Name not on list.");
}

TEST_F(OptionsDialogTest, SavesWhatTheControlsShowByteForByte) {
  Open();
  dialog->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
  dialogs.AnswerColor(0x4080FF);
  Click("Command1(4)");
  EXPECT_EQ(dialog->palette().color(QPalette::Window), QColor(0xFF, 0x80, 0x40));
  EXPECT_EQ(Get<QCheckBox>("Check1")->palette().color(QPalette::Window), QColor(0xFF, 0x80, 0x40));
  // The option buttons keep the colour they were opened with.
  EXPECT_EQ(Get<QRadioButton>("Option1(0)")->palette().color(QPalette::Window),
            QColor(0xFF, 0xC0, 0xC0));

  // The initials are selected when the box gets the focus, so typing replaces them.
  Click("Command1(2)");
  QApplication::processEvents();
  QTest::keyClicks(Get<QLineEdit>("Text1"), "jd");
  // Leaving the box locks it again.
  QTest::mouseClick(Get<QCheckBox>("Check1"), Qt::LeftButton);
  EXPECT_FALSE(Get<QLineEdit>("Text1")->isEnabled());

  Click("Option1(1)");
  dialogs.AnswerFile("/usr/local/bin/<b>popup</b>");
  Click("Command1(5)");
  EXPECT_EQ(dialogs.fileRequests().back(),
            (OpenFileRequest{"Popup Program Selection", QString::fromStdString(env.ProgramFolder()),
                             "telvo-popup", "Programs (*)"}));
  EXPECT_EQ(settings.popupProgram, "/usr/local/bin/<b>popup</b>");
  EXPECT_EQ(LabelText(3), "/usr/local/bin/<b>popup</b>");
  Click("Option1(0)");

  Click("Command2");
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_TRUE(boxes.shown().empty());
  const std::string saved = ReadWholeFile(IniFile());
  EXPECT_NE(saved.find("\r\nBackColor= 4227327\r\n"), std::string::npos) << saved;

  WriteIniFile(program, {settings.workgroupPath, "jd", "Ann", "<b>Bob</b>", 0x4080FF,
                         "/usr/local/bin/<b>popup</b>", Deliver::kMinimized, Splash::kShown,
                         Notification::kNone});
  EXPECT_EQ(ReadWholeFile(IniFile()), saved);
}

TEST_F(OptionsDialogTest, CancelLeavesTheFileAsItWas) {
  WriteWholeFile(IniFile(), "Name=Ann\r\n");
  Open();
  dialogs.AnswerColor(0x000000);
  Click("Command1(4)");
  Click("Command3");
  EXPECT_EQ(dialog->result(), QDialog::Rejected);

  // Shown modally: the caller waits until it is closed.
  WhenModalShows([](QWidget* modal) {
    EXPECT_EQ(modal->objectName(), "Form4");
    Find<QPushButton>(modal, "Command3")->click();
  });
  ShowOptionsDialog(program, nullptr);
  EXPECT_EQ(ReadWholeFile(IniFile()), "Name=Ann\r\n");
  EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(OptionsDialogTest, ThePollerIsLeftOffUnlessTheInternalChoiceIsSaved) {
  // Loading the list switches it on again for a user on the internal choice.
  Open();
  EXPECT_EQ(poller, (std::vector<std::string>{"stop", "start"}));
  Click("Command2");
  EXPECT_EQ(poller, (std::vector<std::string>{"stop", "start"}));

  for (const char* choice : {"Option1(0)", "Option1(1)"}) {
    poller.clear();
    Open();
    Click(choice);
    Click("Command2");
    EXPECT_EQ(poller, (std::vector<std::string>{"stop", "start", "stop"})) << choice;
  }

  // A choice the file names but the dialog does not know shows as the
  // internal one, though it did not start the poller.
  poller.clear();
  settings.notification = ParseChoice<Notification>("Bubble");
  Open();
  EXPECT_TRUE(Get<QRadioButton>("Option1(2)")->isChecked());
  EXPECT_EQ(poller, (std::vector<std::string>{"stop"}));
}

TEST_F(OptionsDialogTest, ChoicesItDoesNotKnowAreWrittenBackUntilChanged) {
  settings.notification = ParseChoice<Notification>("Bubble");
  settings.splash = ParseChoice<Splash>("Maybe");
  settings.deliver = ParseChoice<Deliver>("Sometimes");
  Open();
  Click("Command2");
  EXPECT_NE(ReadWholeFile(IniFile()).find("\r\nDeliver=Sometimes\r\nSplash=Maybe\r\nUsepop=Bubble\r\n"),
            std::string::npos);

  Open();
  for (const char* control : {"Check1", "Check2", "Option1(0)"})
    QTest::mouseClick(Get<QAbstractButton>(control), Qt::LeftButton);
  Click("Command2");
  EXPECT_NE(ReadWholeFile(IniFile()).find("\r\nDeliver=Minimized\r\nSplash=YES\r\nUsepop=NO\r\n"),
            std::string::npos);
}

}  // namespace
}  // namespace telvo::test
