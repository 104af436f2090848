#include "ui/startup/pad_opener.h"

#include <QApplication>

#include "ui/pad/message_pad.h"
#include "ui/startup/switch_window.h"

namespace telvo {

QWidget* OpenMessagePad(Program& program, SwitchWindow& switchWindow) {
  // The pad deletes itself once closed.
  auto* pad = new MessagePad(program);
  QObject::connect(pad, &MessagePad::Unloaded, &switchWindow, &SwitchWindow::HandOver);
  pad->show();
  return pad;
}

void InstallForwardHook(Program& program) {
  // The call list is the window in front when it forwards a call.
  program.hooks.ForwardThroughPad = [&program](const PadValues& call) {
    return ShowPadForForward(program, call, QApplication::activeWindow());
  };
}

}  // namespace telvo
