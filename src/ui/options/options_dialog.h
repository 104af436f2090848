#pragma once
// The options dialog (Form4): where a user chooses the workgroup list, who
// they are in it, their initials, the person they usually take messages
// for, the pad's colour, how they are told of new calls and two start-up
// choices. OK writes the configuration file; the caller reads it again
// once the dialog has closed.

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
  // Loads the dialog (Form_Load) without showing it.
  OptionsDialog(Program& program, QWidget* parent = nullptr);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Form_Load();
  void CreateControls();
  // Sets the fonts and returns TH, the line height of the dialog's font.
  double ChooseFonts(const LayoutUnits& units);
  void PlaceControls(const LayoutUnits& units, double lineHeight);
  void FillValues();

  void Command1_Click(int index);
  void Option1_Click(int index);
  void List1_Click(int row);
  void Command2_Click();
  void Command3_Click();
  void Help_Click();

  void ChooseWorkgroup();
  void EnterPickMode(int labelIndex);
  void ChooseColour();
  void ChoosePopupProgram();

  // Runs LoadWorkgroup for `path` and shows its names in List1.
  void LoadNames(const std::string& path);
  void EnablePickButtons();
  // Command1(0) to (5), OK, Cancel, the check and option buttons: what pick
  // mode locks.
  void EnableMainControls(bool enabled);
  void SetLabel(int index, const std::string& text);
  // Names under the name and default-person labels what OK will require
  // while their choice is not on the workgroup's list.
  void ShowRequirements();
  Notification SelectedPopup() const;
  IniChoices Choices() const;

  Program& program_;
  std::array<QPushButton*, 6> command1_{};
  std::array<QLabel*, 4> label1_{};
  std::array<QLabel*, 2> requiredHint_{};  // under Label1(1) and Label1(2)
  std::array<QRadioButton*, 3> option1_{};
  // The program's own bytes behind each label, so a name that the screen's
  // text cannot hold exactly still compares and saves as it was read.
  std::array<std::string, 4> labelText_;
  QLineEdit* text1_ = nullptr;
  QCheckBox* check1_ = nullptr;
  QCheckBox* check2_ = nullptr;
  QListWidget* list1_ = nullptr;
  QPushButton* command2_ = nullptr;
  QPushButton* command3_ = nullptr;
  QPushButton* help_ = nullptr;

  std::vector<std::string> names_;  // List1's entries
  int lastCommand1_ = -1;           // which label a pick from List1 fills
  bool pickMode_ = false;
  int32_t backColor_ = 0;  // the dialog's background; OK saves it
};

// Shows the dialog modally and returns when it is closed.
void ShowOptionsDialog(Program& program, QWidget* parent);

}  // namespace telvo
