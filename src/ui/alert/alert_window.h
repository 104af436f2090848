#pragma once
// The alert window, shown modally for the person `person`: it shows the
// alert to the message taker, or lets the user edit it.
//
// Controls carry their member's name, without the underscore, as their
// object name ("alertEdit", "removeButton"), which is how tests find them.

#include <QDialog>
#include <string>

#include "core/program.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace telvo {

enum class AlertUse { kEdit, kShowToTaker };

class AlertWindow : public QDialog {
  Q_OBJECT

 public:
  // Loads the window without showing it.
  // `text` is the alert as read, "" for none.
  AlertWindow(Program& program, int person, AlertUse use, std::string text,
              QWidget* parent = nullptr);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Load();
  void CreateControls();
  void PlaceControls();
  void ApplyPadFonts();
  void WriteHeading();
  void onOkClicked();
  void onRemoveClicked();
  void onAlertDoubleClicked();
  bool Editing() const;
  std::string EditedAlert() const;

  Program& program_;
  int person_;
  const AlertUse use_;
  const std::string text_;
  QLabel* firstHeadingLine_ = nullptr;
  QLabel* secondHeadingLine_ = nullptr;
  QPlainTextEdit* alertEdit_ = nullptr;
  QPushButton* okButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  QPushButton* removeButton_ = nullptr;
  // The alert as loaded, in the form it would be written: OK writes only
  // when the text differs, so an unchanged alert keeps its time stamp.
  std::string loaded_;
};

void ShowAlertWindow(Program& program, int person, AlertUse use, const std::string& text,
                     QWidget* parent);

}  // namespace telvo
