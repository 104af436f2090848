#include "ui/popup/call_feed.h"

#include <algorithm>

#include "core/call_fields.h"
#include "core/dates.h"
#include "notify/mailslot.h"
#include "service/store_messages.h"
#include "ui/common/qt_text.h"

namespace telvo {

PopupMessage CallMessage(const Call& call, const QString& recipient, const QString& arrived) {
  const CallFields fields = ParseCallBody(call.body);
  return {ToQt(ShownText(fields.caller)), recipient, ToQt(ShownText(fields.message)), arrived};
}

CallFeed::CallFeed(Env& env, std::unique_ptr<CallListener> listener, QString recipient,
                   QObject* parent)
    : QObject(parent), env_(env), listener_(std::move(listener)), recipient_(std::move(recipient)) {
  next_.setSingleShot(true);
  connect(&next_, &QTimer::timeout, this, &CallFeed::Look);
  // The first look sets the starting point once the event loop runs.
  next_.start(0);
}

void CallFeed::Look() {
  std::vector<Call> news;
  const StoreError looked = listener_->TakeNews(&news);
  problem_ = looked.ok() ? QString() : ToQt(DatabaseFailureText(looked));
  WatchSocket();
  next_.start(looked.ok() ? kCallFeedQuietLookMs : std::max(listener_->RetryDelayMs(), 1));
  if (news.empty()) return;
  // One look hands on at most as many as the window keeps.
  const size_t keep = std::min(news.size(), static_cast<size_t>(kMaxPopupMessages));
  std::vector<PopupMessage> messages;
  const QString now = ToQt(FormatTime(env_.Now()));
  for (size_t i = news.size() - keep; i < news.size(); ++i)
    messages.push_back(CallMessage(news[i], recipient_, now));
  emit arrived(messages);
}

void CallFeed::WatchSocket() {
  const int socket = listener_->socket();
  if (notifier_ && notifier_->socket() == socket) return;
  notifier_.reset();
  if (socket < 0) return;
  notifier_ = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, &CallFeed::Look);
}

}  // namespace telvo
