// What the options dialog's buttons, option buttons and list do.

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "core/options_rules.h"
#include "core/share_warning.h"
#include "ui/common/file_dialogs.h"
#include "ui/common/qt_text.h"
#include "ui/common/windows_colour.h"
#include "ui/help/help_window.h"
#include "ui/options/options_dialog.h"

namespace telvo {
namespace {

constexpr int32_t kWhite = 0xFFFFFF;
constexpr int32_t kLightYellow = 0x80FFFF;

// What a control now says of a choice it showed as `shownForOther` when the
// file spelled the choice in a way the dialog does not know: while it still
// shows that, the file's own spelling, so that OK changes nothing the user
// did not change. A choice the file did not spell at all is written as the
// control shows it.
template <class E>
Choice<E> AsShown(const Choice<E>& loaded, E shownForOther, E shownNow) {
  if (loaded == E::kOther && !loaded.otherText.empty() && shownNow == shownForOther) return loaded;
  return shownNow;
}

}  // namespace

void OptionsDialog::Command1_Click(int index) {
  lastCommand1_ = index;
  switch (index) {
    case 0: return ChooseWorkgroup();
    case 1: return EnterPickMode(1);
    case 2:
      text1_->setEnabled(true);
      text1_->setFocus(Qt::OtherFocusReason);
      return;
    case 3: return EnterPickMode(2);
    case 4: return ChooseColour();
    case 5: return ChoosePopupProgram();
  }
}

void OptionsDialog::ChooseWorkgroup() {
  // The configured list's folder, spelt as it is on disk.
  const std::string folder = FolderPartOf(program_.settings.workgroupPath);
  const OpenFileRequest request{
      QStringLiteral("Workgroup List Selection"),
      folder.empty() ? QString() : ToQt(program_.env.ResolvePath(folder)), QString(),
      QStringLiteral("Workgroup Files (*.wgl *.WGL)")};
  for (;;) {
    const std::optional<QString> chosen = CommonDialogs::Instance().OpenFile(this, request);
    if (!chosen) return;
    const std::string path = FromQt(*chosen);
    if (!EndsInWgl(path)) continue;
    LoadNames(path);
    WarnOfUnsafeShares(program_);
    SetLabel(0, path);
    EnablePickButtons();
    return;
  }
}

void OptionsDialog::EnterPickMode(int labelIndex) {
  SetLabel(labelIndex, "Choose from list");
  PaintBackground(label1_[static_cast<size_t>(labelIndex)], kLightYellow);
  EnableMainControls(false);
  text1_->setEnabled(false);
  list1_->setEnabled(true);
  pickMode_ = true;
}

void OptionsDialog::List1_Click(int row) {
  if (!pickMode_ || row < 0 || row >= static_cast<int>(names_.size())) return;
  const int labelIndex = lastCommand1_ == 1 ? 1 : 2;
  SetLabel(labelIndex, names_[static_cast<size_t>(row)]);
  PaintBackground(label1_[static_cast<size_t>(labelIndex)], kWhite);
  pickMode_ = false;
  // Every Command1 button comes back, the popup program's too, whatever the
  // notification choice, until an option button is clicked again.
  EnableMainControls(true);
  list1_->setEnabled(false);
}

void OptionsDialog::ChooseColour() {
  const std::optional<int32_t> chosen = CommonDialogs::Instance().ChooseColor(this, backColor_);
  if (!chosen) return;
  backColor_ = *chosen;
  for (QWidget* control : {static_cast<QWidget*>(this), static_cast<QWidget*>(check1_),
                           static_cast<QWidget*>(check2_)})
    PaintBackground(control, backColor_);
}

void OptionsDialog::ChoosePopupProgram() {
  // telvo-popup is installed beside the program.
  const OpenFileRequest request{QStringLiteral("Popup Program Selection"),
                                ToQt(program_.env.ProgramFolder()),
                                QStringLiteral("telvo-popup"), QStringLiteral("Programs (*)")};
  const std::optional<QString> chosen = CommonDialogs::Instance().OpenFile(this, request);
  if (!chosen) return;
  program_.settings.popupProgram = FromQt(*chosen);
  SetLabel(3, program_.settings.popupProgram);
}

void OptionsDialog::Option1_Click(int index) {
  const bool external = index == 1;
  command1_[5]->setEnabled(external);
  label1_[3]->setEnabled(external);
}

Notification OptionsDialog::SelectedPopup() const {
  if (option1_[0]->isChecked()) return Notification::kNone;
  if (option1_[1]->isChecked()) return Notification::kExternal;
  return Notification::kInternal;
}

IniChoices OptionsDialog::Choices() const {
  IniChoices choices;
  choices.workgroupPath = labelText_[0];
  choices.initials = FromQt(text1_->text());
  choices.name = labelText_[1];
  choices.defaultRecipient = labelText_[2];
  choices.backColor = backColor_;
  choices.popupPath = labelText_[3];
  const Settings& loaded = program_.settings;
  choices.deliver = AsShown(loaded.deliver, Deliver::kNotMinimized,
                            check1_->isChecked() ? Deliver::kMinimized : Deliver::kNotMinimized);
  choices.splash = AsShown(loaded.splash, Splash::kShown,
                           check2_->isChecked() ? Splash::kSuppressed : Splash::kShown);
  choices.notification = AsShown(loaded.notification, Notification::kInternal, SelectedPopup());
  return choices;
}

void OptionsDialog::Command2_Click() {
  if (const auto refusal = OptionsRefusal(names_, labelText_[1], labelText_[2])) {
    ShowStop(program_, "Telvo", *refusal);
    return;
  }
  const IniChoices choices = Choices();
  WriteIniFile(program_, choices);
  // Loading the list switched the poller on for the old choice; a user who
  // no longer wants it must not go on getting its boxes.
  if (choices.notification != Notification::kInternal && program_.hooks.StopPoller)
    program_.hooks.StopPoller();
  accept();
}

void OptionsDialog::Command3_Click() { reject(); }

void OptionsDialog::Help_Click() { ShowHelp(this, QStringLiteral("Introduction")); }

}  // namespace telvo
