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
#include "ui/options/options_dialog.h"

namespace telvo::test {
namespace {

// The rows of the names list, as the team's list has them.
constexpr int kAnnRow = 0;
constexpr int kBobRow = 1;

// Colours as the configuration file holds them (blue, green, red), and as shown.
constexpr int32_t kPadColour = 0xC0C0FF;
const QColor kPadColourShown(0xFF, 0xC0, 0xC0);
constexpr int32_t kChosenColour = 0x4080FF;
const QColor kChosenColourShown(0xFF, 0x80, 0x40);
constexpr int32_t kBlack = 0x000000;
// A label waiting for its name to be picked from the list.
const QColor kPickingShown(255, 255, 128);

class OptionsDialogTest : public ProgramTest {
 protected:
  OptionsDialogTest() {
    program.hooks.StartPoller = [this] { poller.push_back("start"); };
    program.hooks.StopPoller = [this] { poller.push_back("stop"); };
    settings.workgroupPath = UpperCase(WriteList("team.wgl", {"Ann", "<b>Bob</b>"}));
    settings.name = "Ann";
    settings.defaultRecipient = "<b>Bob</b>";
    settings.initials = "AB";
    settings.padColor = kPadColour;
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
  Control* Get(const char* name) {
    return Find<Control>(dialog.get(), name);
  }
  QString LabelText(const char* label) { return Get<QLabel>(label)->text(); }
  void Click(const char* name) { Get<QAbstractButton>(name)->click(); }
  void ClickName(int row) {
    auto* list = Get<QListWidget>("namesList");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(row)).center());
  }
  QStringList ListNames() {
    QStringList names;
    auto* list = Get<QListWidget>("namesList");
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
  EXPECT_EQ((QStringList{LabelText("workgroupLabel"), LabelText("nameLabel"),
                         LabelText("defaultPersonLabel"), LabelText("popupProgramLabel")}),
            (QStringList{QString::fromStdString(settings.workgroupPath), "Ann", "<b>Bob</b>",
                         "/OPT/TELVO/TELVO-POPUP"}));
  EXPECT_EQ(Get<QLabel>("defaultPersonLabel")->textFormat(), Qt::PlainText);
  EXPECT_EQ(Get<QLineEdit>("initialsEdit")->text(), "AB");
  EXPECT_FALSE(Get<QLineEdit>("initialsEdit")->isEnabled());
  EXPECT_FALSE(Get<QListWidget>("namesList")->isEnabled());
  EXPECT_TRUE(Get<QCheckBox>("suppressSplashCheck")->isChecked());
  EXPECT_FALSE(Get<QCheckBox>("minimizeAfterDeliveryCheck")->isChecked());

  // "Mailslot Popup" alone lets the popup program be chosen.
  EXPECT_TRUE(Get<QRadioButton>("externalPopupOption")->isChecked());
  EXPECT_TRUE(Get<QPushButton>("choosePopupProgramButton")->isEnabled());
  Click("noPopupOption");
  EXPECT_FALSE(Get<QPushButton>("choosePopupProgramButton")->isEnabled());
  EXPECT_FALSE(Get<QLabel>("popupProgramLabel")->isEnabled());
  EXPECT_EQ(poller, std::vector<std::string>{"stop"});
}

TEST_F(OptionsDialogTest, OkRefusesWithItsThreeBoxesAndWritesNothing) {
  const auto refusal = [&](const char* text) {
    Open();
    boxes.Clear();
    Click("okButton");
    EXPECT_TRUE(dialog->isVisible());
    return boxes.shown() ==
           std::vector<MessageBox>{{"Telvo", text, BoxIcon::kStop, BoxButtons::kOk, kAnswerOk}};
  };
  const std::string configured = settings.workgroupPath;
  // An unreadable list shows no box of its own; its names are missing.
  settings.workgroupPath = UpperCase(temp.file("gone.wgl"));
  EXPECT_TRUE(refusal("Workgroup does not contain any names."));
  EXPECT_FALSE(Get<QPushButton>("chooseNameButton")->isEnabled());
  EXPECT_FALSE(Get<QPushButton>("chooseDefaultPersonButton")->isEnabled());

  settings.workgroupPath = configured;
  settings.name = "ann";  // the list's spelling is what counts
  EXPECT_TRUE(refusal("Identify yourself---Name not on list."));
  settings.name = "Ann";
  settings.defaultRecipient = "Bob";
  EXPECT_TRUE(refusal("Default for person---Name not on list."));
  EXPECT_FALSE(std::filesystem::exists(IniFile()));
  // What OK requires is shown before OK, and only while it is missing.
  const auto required = [&](const char* hint) { return Get<QLabel>(hint)->isVisible(); };
  EXPECT_FALSE(required("nameRequiredHint"));
  EXPECT_TRUE(required("defaultPersonRequiredHint"));
  EXPECT_EQ(Get<QLabel>("defaultPersonRequiredHint")->text(), "Required: a person from the list");
  Click("chooseDefaultPersonButton");
  ClickName(kAnnRow);
  EXPECT_FALSE(required("defaultPersonRequiredHint"));
}

TEST_F(OptionsDialogTest, PickModeFillsOnlyTheLabelOfItsButton) {
  Open();
  Click("editInitialsButton");
  Click("chooseNameButton");
  EXPECT_EQ(LabelText("nameLabel"), "Choose from list");
  EXPECT_EQ(Get<QLabel>("nameLabel")->palette().color(QPalette::Window), kPickingShown);
  for (const char* locked : {"okButton", "cancelButton", "initialsEdit"})
    EXPECT_FALSE(Get<QWidget>(locked)->isEnabled()) << locked;
  EXPECT_TRUE(Get<QListWidget>("namesList")->isEnabled());

  ClickName(kBobRow);
  EXPECT_EQ(LabelText("nameLabel"), "<b>Bob</b>");
  EXPECT_EQ(LabelText("defaultPersonLabel"), "<b>Bob</b>");
  EXPECT_EQ(Get<QLabel>("nameLabel")->palette().color(QPalette::Window), QColor(Qt::white));
  EXPECT_TRUE(Get<QWidget>("okButton")->isEnabled());

  // Keys pick too, but not the focus arriving in the list.
  Click("chooseDefaultPersonButton");
  auto* list = Get<QListWidget>("namesList");
  list->setCurrentRow(-1);
  dialog->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
  list->setFocus(Qt::TabFocusReason);
  ASSERT_TRUE(list->hasFocus());
  EXPECT_EQ(LabelText("defaultPersonLabel"), "Choose from list");
  QTest::keyClick(list, Qt::Key_Down);
  EXPECT_EQ(LabelText("defaultPersonLabel"), list->currentItem()->text());
  EXPECT_FALSE(list->isEnabled());
  EXPECT_EQ(LabelText("nameLabel"), "<b>Bob</b>");

  Click("chooseDefaultPersonButton");
  ClickName(kAnnRow);
  EXPECT_EQ(LabelText("defaultPersonLabel"), "Ann");
}

TEST_F(OptionsDialogTest, ChoosingAWorkgroupAsksAgainUntilAListIsChosen) {
  const std::string configured = settings.workgroupPath;
  const std::string other = WriteList("other.WGL", {"Cy", "Di"});
  Open();
  dialogs.CancelFile();
  Click("chooseWorkgroupButton");
  EXPECT_EQ(ListNames(), QStringList({"Ann", "<b>Bob</b>"}));

  dialogs.AnswerFile(QString::fromStdString(temp.file("notes.txt")));
  dialogs.AnswerFile(QString::fromStdString(other));
  faults.PutOnUnsafeShare("The shared folder is an sshfs mount.");
  Click("chooseWorkgroupButton");
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
  EXPECT_EQ(LabelText("workgroupLabel"), QString::fromStdString(other));
  EXPECT_EQ(ListNames(), QStringList({"Cy", "Di"}));
  EXPECT_EQ(settings.workgroupPath, configured);
  EXPECT_EQ(LabelText("nameLabel"), "Ann");

  Click("okButton");
  EXPECT_EQ(boxes.last().text, "Identify yourself---Name not on list.");
}

TEST_F(OptionsDialogTest, SavesWhatTheControlsShowByteForByte) {
  Open();
  dialog->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
  dialogs.AnswerColor(kChosenColour);
  Click("chooseColourButton");
  EXPECT_EQ(dialog->palette().color(QPalette::Window), kChosenColourShown);
  EXPECT_EQ(Get<QCheckBox>("minimizeAfterDeliveryCheck")->palette().color(QPalette::Window),
            kChosenColourShown);
  // The option buttons keep the colour they were opened with.
  EXPECT_EQ(Get<QRadioButton>("noPopupOption")->palette().color(QPalette::Window), kPadColourShown);

  // The initials are selected when the box gets the focus, so typing replaces them.
  Click("editInitialsButton");
  QApplication::processEvents();
  QTest::keyClicks(Get<QLineEdit>("initialsEdit"), "jd");
  // Leaving the box locks it again.
  QTest::mouseClick(Get<QCheckBox>("minimizeAfterDeliveryCheck"), Qt::LeftButton);
  EXPECT_FALSE(Get<QLineEdit>("initialsEdit")->isEnabled());

  Click("externalPopupOption");
  dialogs.AnswerFile("/usr/local/bin/<b>popup</b>");
  Click("choosePopupProgramButton");
  EXPECT_EQ(dialogs.fileRequests().back(),
            (OpenFileRequest{"Popup Program Selection", QString::fromStdString(env.ProgramFolder()),
                             "telvo-popup", "Programs (*)"}));
  EXPECT_EQ(settings.popupProgram, "/usr/local/bin/<b>popup</b>");
  EXPECT_EQ(LabelText("popupProgramLabel"), "/usr/local/bin/<b>popup</b>");
  Click("noPopupOption");

  Click("okButton");
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_TRUE(boxes.shown().empty());
  const std::string saved = ReadWholeFile(IniFile());
  EXPECT_NE(saved.find("\r\nBackColor= 4227327\r\n"), std::string::npos) << saved;

  WriteIniFile(program, {settings.workgroupPath, "jd", "Ann", "<b>Bob</b>", kChosenColour,
                         "/usr/local/bin/<b>popup</b>", Deliver::kMinimized, Splash::kShown,
                         Notification::kNone});
  EXPECT_EQ(ReadWholeFile(IniFile()), saved);
}

TEST_F(OptionsDialogTest, ThePollerIsLeftOffUnlessTheInternalChoiceIsSaved) {
  // Loading the list switches it on again for a user on the internal choice.
  Open();
  EXPECT_EQ(poller, (std::vector<std::string>{"stop", "start"}));
  Click("okButton");
  EXPECT_EQ(poller, (std::vector<std::string>{"stop", "start"}));

  for (const char* choice : {"noPopupOption", "externalPopupOption"}) {
    poller.clear();
    Open();
    Click(choice);
    Click("okButton");
    EXPECT_EQ(poller, (std::vector<std::string>{"stop", "start", "stop"})) << choice;
  }

  // A choice the file names but the dialog does not know shows as the
  // internal one, though it did not start the poller.
  poller.clear();
  settings.notification = ParseChoice<Notification>("Bubble");
  Open();
  EXPECT_TRUE(Get<QRadioButton>("internalPopupOption")->isChecked());
  EXPECT_EQ(poller, (std::vector<std::string>{"stop"}));
}

TEST_F(OptionsDialogTest, ChoicesItDoesNotKnowAreWrittenBackUntilChanged) {
  settings.notification = ParseChoice<Notification>("Bubble");
  settings.splash = ParseChoice<Splash>("Maybe");
  settings.deliver = ParseChoice<Deliver>("Sometimes");
  Open();
  Click("okButton");
  EXPECT_NE(
      ReadWholeFile(IniFile()).find("\r\nDeliver=Sometimes\r\nSplash=Maybe\r\nUsepop=Bubble\r\n"),
      std::string::npos);

  Open();
  for (const char* control : {"minimizeAfterDeliveryCheck", "suppressSplashCheck", "noPopupOption"})
    QTest::mouseClick(Get<QAbstractButton>(control), Qt::LeftButton);
  Click("okButton");
  EXPECT_NE(ReadWholeFile(IniFile()).find("\r\nDeliver=Minimized\r\nSplash=YES\r\nUsepop=NO\r\n"),
            std::string::npos);
}

}  // namespace
}  // namespace telvo::test
