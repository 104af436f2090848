#pragma once
// Turns the datagrams waiting on the listener into messages for the popup
// window, a batch at a time. Anyone on the network may send datagrams, as
// many as they like: the feed reads a bounded number per turn of the event
// loop, keeps at most kMaxPopupMessages not yet handed on, and hands them on
// at most every kFeedIntervalMs, so a flood neither freezes the window nor
// grows memory.

#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>
#include <deque>
#include <memory>
#include <vector>

#include "platform/datagram_listener.h"
#include "platform/env.h"

namespace telvo {

inline constexpr int kMaxPopupMessages = 500;
inline constexpr int kFeedIntervalMs = 100;
inline constexpr int kDatagramsPerTurn = 64;

// One received message, its texts made printable and ready to show.
struct PopupMessage {
  QString sender;
  QString computer;
  QString text;
  QString arrived;  // "h:mm AM/PM", the workstation's time of arrival
};

class MessageFeed : public QObject {
  Q_OBJECT

 public:
  MessageFeed(Env& env, std::unique_ptr<DatagramListener> listener, QObject* parent = nullptr);

  // Datagrams taken off the listener so far, shown or not.
  int64_t received() const { return received_; }
  // Datagrams dropped so far: unreadable, too long, or pushed out by newer
  // ones before they could be shown.
  int64_t dropped() const { return dropped_; }

 signals:
  // Oldest first.
  void arrived(const std::vector<PopupMessage>& messages);

 private:
  void ReadWaiting();
  void HandOn();

  Env& env_;
  std::unique_ptr<DatagramListener> listener_;
  QSocketNotifier notifier_;
  QTimer handOn_;
  std::deque<PopupMessage> pending_;
  std::string datagram_;
  int64_t received_ = 0;
  int64_t dropped_ = 0;
};

}  // namespace telvo
