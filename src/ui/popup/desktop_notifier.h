#pragma once
// Raises the desktop's own notification bubble through the freedesktop
// notification service on the session bus, when one is running. A flood of
// messages makes one bubble at a time: messages arriving within
// kNotifyIntervalMs of the last bubble are summed up in the next.

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <optional>
#include <vector>

#include "ui/popup/message_feed.h"

namespace telvo {

inline constexpr int kNotifyIntervalMs = 2000;

// What one bubble says. Its body is plain text still: the notifier escapes
// it for services that read markup.
struct Bubble {
  QString summary;
  QString body;
};

// One message: its heading and text; several: their number and the newest.
Bubble BubbleFor(const PopupMessage& newest, int count);

class DesktopNotifier : public QObject {
  Q_OBJECT

 public:
  explicit DesktopNotifier(QDBusConnection bus = QDBusConnection::sessionBus(),
                           QObject* parent = nullptr);
  void Notify(const std::vector<PopupMessage>& messages);

 private:
  void SendWaiting();
  bool ServiceRunning();
  void AskCapabilities();

  // Every call to the service is asynchronous: a service that hangs must
  // never hold up the window.
  QDBusConnection bus_;
  std::optional<bool> bodyMarkup_;
  bool asking_ = false;
  uint lastId_ = 0;
  QElapsedTimer sinceLast_;
  QTimer later_;
  PopupMessage newest_;  // the newest of the messages waiting
  int waiting_ = 0;
};

}  // namespace telvo
