#pragma once
// The options dialog: where a user chooses the workgroup list, who
// they are in it, their initials, the person they usually take messages
// for, the pad's colour, how they are told of new calls and two start-up
// choices. OK writes the configuration file; the caller reads it again
// once the dialog has closed.
//
// Controls carry their member's name, without the underscore, as their
// object name ("okButton", "namesList"), which is how tests find them.

#include <QDialog>
#include <array>
#include <string>
#include <vector>

#include "core/config_file.h"
#include "core/program.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace telvo {

class LayoutUnits;

class OptionsDialog : public QDialog {
  Q_OBJECT

 public:
  // Loads the dialog without showing it.
  OptionsDialog(Program& program, QWidget* parent = nullptr);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The choices shown in a label rather than a control of their own: they
  // index choiceLabels_ and labelText_.
  enum ShownChoice : size_t { kWorkgroup, kName, kDefaultPerson, kPopupProgram };

  void Load();
  void CreateControls();
  void CreateChoiceButtons();
  void CreateChoiceLabels();
  void CreatePopupOptions();
  // Sets the fonts and returns TH, the line height of the dialog's font.
  double ChooseFonts(const LayoutUnits& units);
  void PlaceControls(const LayoutUnits& units, double lineHeight);
  void FillValues();

  void onInitialsClicked();
  void onPopupOptionClicked(Notification popup);
  void onNameClicked(int row);
  void onOkClicked();
  void onHelpClicked();

  void ChooseWorkgroup();
  void EnterPickMode(ShownChoice choice);
  void ChooseColour();
  void ChoosePopupProgram();

  // Runs LoadWorkgroup for `path` and shows its names in the names list.
  void LoadNames(const std::string& path);
  void EnablePickButtons();
  // The six choice buttons, OK, Cancel, the check and option buttons: what
  // pick mode locks.
  void EnableMainControls(bool enabled);
  void SetLabel(ShownChoice choice, const std::string& text);
  // Names under the name and default-person labels what OK will require
  // while their choice is not on the workgroup's list.
  void ShowRequirements();
  QRadioButton* PopupOption(Notification popup) const;
  Notification SelectedPopup() const;
  IniChoices Choices() const;

  Program& program_;
  QPushButton* chooseWorkgroupButton_ = nullptr;
  QPushButton* chooseNameButton_ = nullptr;
  QPushButton* editInitialsButton_ = nullptr;
  QPushButton* chooseDefaultPersonButton_ = nullptr;
  QPushButton* chooseColourButton_ = nullptr;
  QPushButton* choosePopupProgramButton_ = nullptr;
  // workgroupLabel, nameLabel, defaultPersonLabel, popupProgramLabel.
  std::array<QLabel*, 4> choiceLabels_{};
  // The program's own bytes behind each label, so a name that the screen's
  // text cannot hold exactly still compares and saves as it was read.
  std::array<std::string, 4> labelText_;
  QLabel* nameRequiredHint_ = nullptr;
  QLabel* defaultPersonRequiredHint_ = nullptr;
  QRadioButton* noPopupOption_ = nullptr;
  QRadioButton* externalPopupOption_ = nullptr;
  QRadioButton* internalPopupOption_ = nullptr;
  QLineEdit* initialsEdit_ = nullptr;
  QCheckBox* minimizeAfterDeliveryCheck_ = nullptr;
  QCheckBox* suppressSplashCheck_ = nullptr;
  QListWidget* namesList_ = nullptr;
  QPushButton* okButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  QPushButton* helpButton_ = nullptr;

  std::vector<std::string> names_;  // the names list's entries
  ShownChoice picking_ = kName;     // which label a pick from the names list fills
  bool pickMode_ = false;
  int32_t backColor_ = 0;  // the dialog's background; OK saves it
};

// Shows the dialog modally and returns when it is closed.
void ShowOptionsDialog(Program& program, QWidget* parent);

}  // namespace telvo
