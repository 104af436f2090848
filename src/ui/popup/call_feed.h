#pragma once
// The popup's feed for a workgroup kept in a database: the calls posted to
// the user, as the store's listener reads them, become messages for the
// window. The listener's socket wakes the feed when a notification comes;
// a timer looks again after a failure (with the listener's back-off) and,
// as a safety net, now and then while all is well.

#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>
#include <memory>
#include <vector>

#include "platform/env.h"
#include "store/phone_store.h"
#include "ui/popup/message_feed.h"

namespace telvo {

inline constexpr int kCallFeedQuietLookMs = 60000;

class CallFeed : public QObject {
  Q_OBJECT

 public:
  // `recipient`: the user's name, which the messages say they were for.
  CallFeed(Env& env, std::unique_ptr<CallListener> listener, QString recipient,
           QObject* parent = nullptr);

  // The last look's failure, in the store's words; "" while all is well.
  const QString& problem() const { return problem_; }

  // Looks for news now, as the socket or the timer would make it.
  void Look();

 signals:
  // Oldest first.
  void arrived(const std::vector<PopupMessage>& messages);

 private:
  void WatchSocket();

  Env& env_;
  std::unique_ptr<CallListener> listener_;
  QString recipient_;
  std::unique_ptr<QSocketNotifier> notifier_;
  QTimer next_;
  QString problem_;
};

// A call as the popup shows it: from its caller, to the recipient, its
// message as the text; every field plain text.
PopupMessage CallMessage(const Call& call, const QString& recipient, const QString& arrived);

}  // namespace telvo
