#pragma once
// telvo-popup put together: the feed from the listener, the window, the
// desktop's notification bubble and, where the desktop has one, the tray.

#include <QObject>
#include <memory>

#include "platform/env.h"
#include "ui/popup/desktop_notifier.h"
#include "ui/popup/message_feed.h"
#include "ui/popup/popup_tray.h"
#include "ui/popup/popup_window.h"

namespace telvo {

class PopupProgram : public QObject {
  Q_OBJECT

 public:
  // `withTray`: sit in the system tray (only where the desktop has one).
  PopupProgram(Env& env, std::unique_ptr<DatagramListener> listener, bool withTray);

  PopupWindow& window() { return window_; }
  MessageFeed& feed() { return feed_; }
  PopupTray* tray() { return tray_.get(); }  // null without a tray

 signals:
  void quitRequested();

 private:
  void OpenTelvo();

  Env& env_;
  MessageFeed feed_;
  PopupWindow window_;
  DesktopNotifier notifier_;
  std::unique_ptr<PopupTray> tray_;
};

}  // namespace telvo
