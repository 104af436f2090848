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

void OptionsDialog::onInitialsClicked() {
  initialsEdit_->setEnabled(true);
  initialsEdit_->setFocus(Qt::OtherFocusReason);
}

void OptionsDialog::ChooseWorkgroup() {
  // The configured list's folder, spelt as it is on disk.
  const std::string folder = FolderPartOf(program_.settings.workgroupPath);
  const OpenFileRequest request{QStringLiteral("Workgroup List Selection"),
                                folder.empty() ? QString() : ToQt(program_.env.ResolvePath(folder)),
                                QString(), QStringLiteral("Workgroup Files (*.wgl *.WGL)")};
  for (;;) {
    const std::optional<QString> chosen = CommonDialogs::Instance().OpenFile(this, request);
    if (!chosen) return;
    const std::string path = FromQt(*chosen);
    if (!EndsInWgl(path)) continue;
    LoadNames(path);
    WarnOfUnsafeShares(program_);
    SetLabel(kWorkgroup, path);
    EnablePickButtons();
    return;
  }
}

void OptionsDialog::EnterPickMode(ShownChoice choice) {
  picking_ = choice;
  SetLabel(choice, "Choose from list");
  PaintBackground(choiceLabels_[choice], kLightYellow);
  EnableMainControls(false);
  initialsEdit_->setEnabled(false);
  namesList_->setEnabled(true);
  pickMode_ = true;
}

void OptionsDialog::onNameClicked(int row) {
  if (!pickMode_ || row < 0 || row >= static_cast<int>(names_.size())) return;
  SetLabel(picking_, names_[static_cast<size_t>(row)]);
  PaintBackground(choiceLabels_[picking_], kWhite);
  pickMode_ = false;
  // Every choice button comes back, the popup program's too, whatever the
  // notification choice, until an option button is clicked again.
  EnableMainControls(true);
  namesList_->setEnabled(false);
}

void OptionsDialog::ChooseColour() {
  const std::optional<int32_t> chosen = CommonDialogs::Instance().ChooseColor(this, backColor_);
  if (!chosen) return;
  backColor_ = *chosen;
  for (QWidget* control :
       {static_cast<QWidget*>(this), static_cast<QWidget*>(minimizeAfterDeliveryCheck_),
        static_cast<QWidget*>(suppressSplashCheck_)})
    PaintBackground(control, backColor_);
}

void OptionsDialog::ChoosePopupProgram() {
  // telvo-popup is installed beside the program.
  const OpenFileRequest request{QStringLiteral("Popup Program Selection"),
                                ToQt(program_.env.ProgramFolder()), QStringLiteral("telvo-popup"),
                                QStringLiteral("Programs (*)")};
  const std::optional<QString> chosen = CommonDialogs::Instance().OpenFile(this, request);
  if (!chosen) return;
  program_.settings.popupProgram = FromQt(*chosen);
  SetLabel(kPopupProgram, program_.settings.popupProgram);
}

void OptionsDialog::onPopupOptionClicked(Notification popup) {
  const bool external = popup == Notification::kExternal;
  choosePopupProgramButton_->setEnabled(external);
  choiceLabels_[kPopupProgram]->setEnabled(external);
}

QRadioButton* OptionsDialog::PopupOption(Notification popup) const {
  if (popup == Notification::kNone) return noPopupOption_;
  if (popup == Notification::kExternal) return externalPopupOption_;
  return internalPopupOption_;
}

Notification OptionsDialog::SelectedPopup() const {
  if (noPopupOption_->isChecked()) return Notification::kNone;
  if (externalPopupOption_->isChecked()) return Notification::kExternal;
  return Notification::kInternal;
}

IniChoices OptionsDialog::Choices() const {
  IniChoices choices;
  choices.workgroupPath = labelText_[kWorkgroup];
  choices.initials = FromQt(initialsEdit_->text());
  choices.name = labelText_[kName];
  choices.defaultRecipient = labelText_[kDefaultPerson];
  choices.backColor = backColor_;
  choices.popupPath = labelText_[kPopupProgram];
  const Settings& loaded = program_.settings;
  choices.deliver = AsShown(
      loaded.deliver, Deliver::kNotMinimized,
      minimizeAfterDeliveryCheck_->isChecked() ? Deliver::kMinimized : Deliver::kNotMinimized);
  choices.splash =
      AsShown(loaded.splash, Splash::kShown,
              suppressSplashCheck_->isChecked() ? Splash::kSuppressed : Splash::kShown);
  choices.notification = AsShown(loaded.notification, Notification::kInternal, SelectedPopup());
  return choices;
}

void OptionsDialog::onOkClicked() {
  if (const auto refusal = OptionsRefusal(names_, labelText_[kName], labelText_[kDefaultPerson])) {
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

void OptionsDialog::onHelpClicked() { ShowHelp(this, QStringLiteral("Introduction")); }

}  // namespace telvo
