#include "ui/common/qt_message_boxes.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>

#include "ui/common/qt_text.h"

namespace telvo {
namespace {

QMessageBox::Icon IconOf(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::kStop:
      return QMessageBox::Critical;
    case BoxIcon::kQuestion:
      return QMessageBox::Question;
    case BoxIcon::kExclamation:
      return QMessageBox::Warning;
    case BoxIcon::kInformation:
      return QMessageBox::Information;
    case BoxIcon::kNone:
      break;
  }
  return QMessageBox::NoIcon;
}

// A question decides something a person typed (deliver this call or throw
// it away), so only the Yes or No button answers it: Escape and the close
// box do nothing, where QMessageBox would take them as No. A box with OK
// alone closes as usual.
class ShownBox : public QMessageBox {
 public:
  using QMessageBox::QMessageBox;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (IsQuestion() && event->matches(QKeySequence::Cancel)) return;
    QMessageBox::keyPressEvent(event);
  }
  void closeEvent(QCloseEvent* event) override {
    if (IsQuestion() && !clickedButton()) {
      event->ignore();
      return;
    }
    QMessageBox::closeEvent(event);
  }

 private:
  bool IsQuestion() const { return button(QMessageBox::No) != nullptr; }
};

}  // namespace

QString BoxText(const std::string& cp1252) {
  QString text = ToQt(cp1252);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

int QtMessageBoxes::Show(const MessageBox& box) {
  const bool question = box.buttons == BoxButtons::kYesNo;
  ShownBox shown(IconOf(box.icon), ToQt(box.caption), BoxText(box.text), QMessageBox::NoButton,
                 QApplication::activeWindow());
  shown.setObjectName(QStringLiteral("messageBox"));
  shown.setTextFormat(Qt::PlainText);
  if (box.keepAbove) shown.setWindowFlag(Qt::WindowStaysOnTopHint);
  if (question) {
    shown.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    shown.setDefaultButton(box.defaultAnswer == kAnswerYes ? QMessageBox::Yes : QMessageBox::No);
    // Window managers that honour the hints draw no close box at all.
    shown.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         (box.keepAbove ? Qt::WindowStaysOnTopHint : Qt::WindowFlags()));
  } else {
    shown.setStandardButtons(QMessageBox::Ok);
  }
  if (box.keepAbove) {
    shown.show();
    shown.raise();
    shown.activateWindow();
  }
  shown.exec();
  if (question)
    return shown.clickedButton() == shown.button(QMessageBox::Yes) ? kAnswerYes : kAnswerNo;
  return kAnswerOk;
}

}  // namespace telvo
