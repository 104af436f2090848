#pragma once
// The print range dialog: which of the viewed person's calls a print
// job prints, those between two dates (both included) or all of them. A
// fresh dialog serves each job, so the dates start at today and "Print All
// Dates" unchecked every time.
//
// Controls carry their member's name, without the underscore, as their
// object name ("printAllCheck", "printButton"), which is how tests find them.

#include <QDialog>
#include <optional>
#include <string>

#include "core/program.h"
#include "ui/print/print_layout_engine.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace telvo {

class PrintRangeDialog : public QDialog {
  Q_OBJECT

 public:
  // Loads the dialog without showing it.
  explicit PrintRangeDialog(Program& program, QWidget* parent = nullptr);

  // What the boxes hold now, for the job to read after Print.
  PrintRange Range() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Escape and the close box come here: both count as Cancel.
  void reject() override;

 private:
  void CreateControls();
  void Load();
  void onBeginningDateLeft();
  void onEndingDateLeft();
  void onPrintAllClicked();
  void onPrintClicked();
  void onCancelClicked();

  // Rewrites the box's date as "mm-dd-yyyy"; on a text that is no date shows
  // `message` and returns false, the text left as typed.
  bool CheckDate(QLineEdit* box, const char* message);
  // Gives the focus back to a box that was refused, once the box that
  // refused it has closed and the focus has settled.
  void RefocusLater(QLineEdit* box);

  Program& program_;
  QLabel* beginningDateLabel_ = nullptr;
  QLabel* endingDateLabel_ = nullptr;
  QLineEdit* beginningDateEdit_ = nullptr;
  QLineEdit* endingDateEdit_ = nullptr;
  QCheckBox* printAllCheck_ = nullptr;
  QPushButton* printButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  // Hiding the dialog takes the focus from a box: no leaving to check.
  bool closing_ = false;
};

// Shows a freshly loaded dialog modally: the range when Print was pressed,
// nothing for Cancel.
std::optional<PrintRange> AskPrintRange(Program& program, QWidget* parent);

}  // namespace telvo
