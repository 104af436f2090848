#pragma once
// The alert window, shown modally for the person `person`: it shows the
// alert to the message taker, or lets the user edit it.
//
// Controls carry their member's name, without the underscore, as their
// object name ("alertEdit", "removeButton"), which is how tests find them.

#include <QDialog>
#include <string>

#include "core/alert_note.h"
#include "core/program.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace telvo {

enum class AlertUse { kEdit, kShowToTaker };

// What the taker chose in an alert that names a stand-in.
enum class AlertChoice {
  kNone,     // OK, Cancel, Escape: the pad stays as it was
  kInstead,  // deliver to the stand-in instead
  kBoth,     // deliver to the person and to the stand-in
};

class AlertWindow : public QDialog {
  Q_OBJECT

 public:
  // Loads the window without showing it.
  // `text` is the alert as read, "" for none. Shown to a taker with a
  // `standIn` (a name of the workgroup list), it offers to deliver to them.
  AlertWindow(Program& program, int person, AlertUse use, std::string text,
              QWidget* parent = nullptr, std::string standIn = "");

  AlertChoice choice() const { return choice_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Load();
  void CreateControls();
  void PlaceControls();
  void ApplyPadFonts();
  void WriteHeading();
  void CreateNoteFields();
  void CreateChoices();
  void onOkClicked();
  // The note as the editor's controls hold it, or why it cannot be saved.
  std::optional<AlertNote> EditedNote(std::string* refusal) const;
  void onRemoveClicked();
  void onAlertDoubleClicked();
  bool Editing() const;
  std::string EditedText() const;

  Program& program_;
  int person_;
  const AlertUse use_;
  const std::string text_;
  const std::string standIn_;
  AlertChoice choice_ = AlertChoice::kNone;
  QLabel* firstHeadingLine_ = nullptr;
  QLabel* secondHeadingLine_ = nullptr;
  QPlainTextEdit* alertEdit_ = nullptr;
  QPushButton* okButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  QPushButton* removeButton_ = nullptr;
  // The editor's Back moment and stand-in.
  QLabel* backLabel_ = nullptr;
  QLineEdit* backDateEdit_ = nullptr;
  QLineEdit* backTimeEdit_ = nullptr;
  QLabel* callsToLabel_ = nullptr;
  QComboBox* callsToBox_ = nullptr;
  // The taker's two choices, when the alert names a stand-in.
  QPushButton* insteadButton_ = nullptr;
  QPushButton* bothButton_ = nullptr;
  // The alert as loaded, in the form it would be written: OK writes only
  // when the text or a field differs, so an unchanged alert keeps its time
  // stamp.
  std::string loaded_;
};

AlertChoice ShowAlertWindow(Program& program, int person, AlertUse use, const std::string& text,
                            const std::string& standIn, QWidget* parent);

}  // namespace telvo
