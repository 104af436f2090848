#include "ui/popup/popup_program.h"

namespace telvo {

PopupProgram::PopupProgram(Env& env) : env_(env) {
  connect(&window_, &PopupWindow::quitRequested, this, &PopupProgram::quitRequested);
}

PopupProgram::PopupProgram(Env& env, std::unique_ptr<DatagramListener> listener, bool withTray)
    : PopupProgram(env) {
  feed_ = std::make_unique<MessageFeed>(env, std::move(listener));
  connect(feed_.get(), &MessageFeed::arrived, &window_, &PopupWindow::AddMessages);
  connect(feed_.get(), &MessageFeed::arrived, &notifier_, &DesktopNotifier::Notify);
  AddTray(withTray);
}

PopupProgram::PopupProgram(Env& env, std::unique_ptr<CallListener> listener,
                           const QString& recipient, bool withTray)
    : PopupProgram(env) {
  callFeed_ = std::make_unique<CallFeed>(env, std::move(listener), recipient);
  connect(callFeed_.get(), &CallFeed::arrived, &window_, &PopupWindow::AddMessages);
  connect(callFeed_.get(), &CallFeed::arrived, &notifier_, &DesktopNotifier::Notify);
  AddTray(withTray);
}

void PopupProgram::AddTray(bool withTray) {
  if (!withTray) return;
  tray_ = std::make_unique<PopupTray>();
  connect(&window_, &PopupWindow::unseenChanged, tray_.get(), &PopupTray::SetUnseen);
  connect(tray_.get(), &PopupTray::showRequested, &window_, &PopupWindow::ShowMessages);
  connect(tray_.get(), &PopupTray::openTelvoRequested, this, &PopupProgram::OpenTelvo);
  connect(tray_.get(), &PopupTray::quitRequested, this, &PopupProgram::quitRequested);
  tray_->icon().show();
}

void PopupProgram::OpenTelvo() {
  // The message pad is installed beside its popup.
  env_.StartProgram(env_.ProgramFolder() + "telvo");
}

}  // namespace telvo
