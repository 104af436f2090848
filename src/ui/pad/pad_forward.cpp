// The pad as a forward uses it: modal over the call list, filled with the
// call being passed on.

#include <QCoreApplication>
#include <QEventLoop>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <memory>

#include "core/pad_rules.h"
#include "ui/common/qt_text.h"
#include "ui/pad/message_pad.h"

namespace telvo {

void MessagePad::PrepareForward(const PadValues& call) {
  forward_ = true;
  forwarded_ = call.forwarded;
  forwardTo_ = call.selectedIndex;
  callerEdit_->setText(ToQt(call.caller));
  phoneEdit_->setText(ToQt(call.phone));
  dateEdit_->setText(ToQt(call.date));
  timeEdit_->setText(ToQt(call.time));
  messageEdit_->setPlainText(ToQt(PadMessage(call.message)));
  for (QPushButton* off : {viewSelectedLogButton_, viewMyLogButton_, optionsButton_, closeButton_})
    off->setEnabled(false);
}

bool ShowPadForForward(Program& program, const PadValues& call, QWidget* parent) {
  auto* pad = new MessagePad(program, parent);
  const std::unique_ptr<MessagePad> owned(pad);
  pad->setAttribute(Qt::WA_DeleteOnClose, false);
  pad->PrepareForward(call);
  pad->setWindowModality(Qt::ApplicationModal);
  pad->show();
  while (pad->isVisible()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  return pad->ForwardDelivered();
}

}  // namespace telvo
