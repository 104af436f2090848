#pragma once
// telvo-popup put together: the feed (the datagrams of a shared folder's
// workgroup, or a database's calls), the window, the desktop's notification
// bubble and, where the desktop has one, the tray.

#include <QObject>
#include <memory>

#include "platform/env.h"
#include "ui/popup/call_feed.h"
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
  // For a workgroup in a database: the calls to `recipient` as `listener`
  // tells of them.
  PopupProgram(Env& env, std::unique_ptr<CallListener> listener, const QString& recipient,
               bool withTray);

  PopupWindow& window() { return window_; }
  MessageFeed& feed() { return *feed_; }     // the datagrams'
  CallFeed& calls() { return *callFeed_; }   // the database's
  PopupTray* tray() { return tray_.get(); }  // null without a tray

 signals:
  void quitRequested();

 private:
  explicit PopupProgram(Env& env);
  void AddTray(bool withTray);
  void OpenTelvo();

  Env& env_;
  std::unique_ptr<MessageFeed> feed_;
  std::unique_ptr<CallFeed> callFeed_;
  PopupWindow window_;
  DesktopNotifier notifier_;
  std::unique_ptr<PopupTray> tray_;
};

}  // namespace telvo
