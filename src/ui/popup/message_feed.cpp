#include "ui/popup/message_feed.h"

#include "core/dates.h"
#include "notify/mailslot.h"
#include "ui/common/qt_text.h"

namespace telvo {

MessageFeed::MessageFeed(Env& env, std::unique_ptr<DatagramListener> listener, QObject* parent)
    : QObject(parent),
      env_(env),
      listener_(std::move(listener)),
      notifier_(listener_->fd(), QSocketNotifier::Read) {
  handOn_.setSingleShot(true);
  handOn_.setInterval(kFeedIntervalMs);
  connect(&handOn_, &QTimer::timeout, this, &MessageFeed::HandOn);
  connect(&notifier_, &QSocketNotifier::activated, this, &MessageFeed::ReadWaiting);
}

void MessageFeed::ReadWaiting() {
  // The notifier fires again while datagrams wait, so stopping after a batch
  // only lets the window paint in between.
  for (int i = 0; i < kDatagramsPerTurn; ++i) {
    const auto received = listener_->Receive(kMaxMailslotDatagram, &datagram_);
    if (received == DatagramListener::Received::kNone) break;
    ++received_;
    const auto parsed = received == DatagramListener::Received::kDatagram
                            ? ParseMailslotDatagram(datagram_)
                            : std::nullopt;
    if (!parsed) {
      ++dropped_;
      continue;
    }
    pending_.push_back({ToQt(parsed->sender), ToQt(parsed->computer), ToQt(parsed->text),
                        ToQt(FormatTime(env_.Now()))});
    if (pending_.size() > static_cast<size_t>(kMaxPopupMessages)) {
      pending_.pop_front();
      ++dropped_;
    }
  }
  if (!pending_.empty() && !handOn_.isActive()) handOn_.start();
}

void MessageFeed::HandOn() {
  std::vector<PopupMessage> batch(std::make_move_iterator(pending_.begin()),
                                  std::make_move_iterator(pending_.end()));
  pending_.clear();
  emit arrived(batch);
}

}  // namespace telvo
