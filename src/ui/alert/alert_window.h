#pragma once
// The alert window (Form5), shown modally for the person `person`: it shows
// the alert to the message taker, or lets the user edit it.

#include <QDialog>
#include <array>
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

  // 0 OK, 1 Cancel, 2 Remove.
  void Command1_Click(int index);
  void Text1_DblClick();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Form_Load();
  void CreateControls();
  void PlaceControls();
  void ApplyPadFonts();
  void WriteHeading();
  bool Editing() const;
  std::string EditedAlert() const;

  Program& program_;
  int person_;
  const AlertUse use_;
  const std::string text_;
  std::array<QLabel*, 2> heading_{};
  QPlainTextEdit* text1_ = nullptr;
  std::array<QPushButton*, 3> command1_{};
  // The alert as loaded, in the form it would be written: OK writes only
  // when the text differs, so an unchanged alert keeps its time stamp.
  std::string loaded_;
};

void ShowAlertWindow(Program& program, int person, AlertUse use, const std::string& text,
                     QWidget* parent);

}  // namespace telvo
