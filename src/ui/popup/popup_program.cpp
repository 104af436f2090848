#include "ui/popup/popup_program.h"

namespace telvo {

PopupProgram::PopupProgram(Env& env, std::unique_ptr<DatagramListener> listener, bool withTray)
    : env_(env), feed_(env, std::move(listener)) {
  connect(&feed_, &MessageFeed::arrived, &window_, &PopupWindow::AddMessages);
  connect(&feed_, &MessageFeed::arrived, &notifier_, &DesktopNotifier::Notify);
  connect(&window_, &PopupWindow::quitRequested, this, &PopupProgram::quitRequested);
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
