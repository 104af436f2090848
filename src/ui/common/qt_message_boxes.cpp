#include "ui/common/qt_message_boxes.h"

#include <QApplication>
#include <QMessageBox>

#include "ui/common/qt_text.h"

namespace telvo {
namespace {

QMessageBox::Icon IconOf(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::kStop: return QMessageBox::Critical;
    case BoxIcon::kQuestion: return QMessageBox::Question;
    case BoxIcon::kExclamation: return QMessageBox::Warning;
    case BoxIcon::kInformation: return QMessageBox::Information;
    case BoxIcon::kNone: break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

QString BoxText(const std::string& cp1252) {
  QString text = ToQt(cp1252);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

int QtMessageBoxes::Show(const MessageBox& box) {
  QMessageBox shown(IconOf(box.icon), ToQt(box.caption), BoxText(box.text), QMessageBox::NoButton,
                    QApplication::activeWindow());
  shown.setObjectName(QStringLiteral("MessageBox"));
  shown.setTextFormat(Qt::PlainText);
  if (box.keepAbove) shown.setWindowFlag(Qt::WindowStaysOnTopHint);
  if (box.buttons == BoxButtons::kYesNo) {
    shown.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    shown.setDefaultButton(box.defaultAnswer == kAnswerYes ? QMessageBox::Yes : QMessageBox::No);
    shown.setEscapeButton(QMessageBox::No);
  } else {
    shown.setStandardButtons(QMessageBox::Ok);
  }
  if (box.keepAbove) {
    shown.show();
    shown.raise();
    shown.activateWindow();
  }
  shown.exec();
  // A question closed any other way than by Yes is a No.
  if (box.buttons == BoxButtons::kYesNo)
    return shown.clickedButton() == shown.button(QMessageBox::Yes) ? kAnswerYes : kAnswerNo;
  return kAnswerOk;
}

}  // namespace telvo
