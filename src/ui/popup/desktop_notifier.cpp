#include "ui/popup/desktop_notifier.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace telvo {
namespace {

const QLatin1String kService("org.freedesktop.Notifications");
const QLatin1String kPath("/org/freedesktop/Notifications");

QDBusMessage ServiceCall(const char* method) {
  return QDBusMessage::createMethodCall(kService, kPath, kService, QLatin1String(method));
}

}  // namespace

Bubble BubbleFor(const PopupMessage& newest, int count) {
  const QString heading =
      QStringLiteral("Message from %1 to %2").arg(newest.sender, newest.computer);
  if (count == 1) return {heading, newest.text};
  return {QStringLiteral("%1 new messages").arg(count),
          heading + QStringLiteral(": ") + newest.text};
}

DesktopNotifier::DesktopNotifier(QDBusConnection bus, QObject* parent)
    : QObject(parent), bus_(std::move(bus)) {
  later_.setSingleShot(true);
  connect(&later_, &QTimer::timeout, this, &DesktopNotifier::SendWaiting);
}

bool DesktopNotifier::ServiceRunning() {
  return bus_.isConnected() && bus_.interface() && bus_.interface()->isServiceRegistered(kService);
}

void DesktopNotifier::AskCapabilities() {
  if (asking_) return;
  asking_ = true;
  const QDBusPendingCall call = bus_.asyncCall(ServiceCall("GetCapabilities"));
  auto* watcher = new QDBusPendingCallWatcher(call, this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
    const QDBusPendingReply<QStringList> reply = *w;
    bodyMarkup_ = reply.isValid() && reply.value().contains(QStringLiteral("body-markup"));
    asking_ = false;
    w->deleteLater();
    SendWaiting();
  });
}

void DesktopNotifier::Notify(const std::vector<PopupMessage>& messages) {
  if (messages.empty()) return;
  newest_ = messages.back();
  waiting_ += static_cast<int>(messages.size());
  if (later_.isActive()) return;
  if (sinceLast_.isValid() && sinceLast_.elapsed() < kNotifyIntervalMs) {
    later_.start(kNotifyIntervalMs - static_cast<int>(sinceLast_.elapsed()));
    return;
  }
  SendWaiting();
}

void DesktopNotifier::SendWaiting() {
  if (waiting_ == 0) return;
  if (!ServiceRunning()) {
    waiting_ = 0;  // nobody to tell; the window has them all
    return;
  }
  // Whether the service reads markup decides how the body is written.
  if (!bodyMarkup_) return AskCapabilities();
  const Bubble bubble = BubbleFor(newest_, waiting_);
  waiting_ = 0;
  sinceLast_.start();
  // A service that reads markup would take "<b>" from a stranger's datagram
  // as bold: it gets the text escaped, so it shows exactly what was sent.
  const QString body = *bodyMarkup_ ? bubble.body.toHtmlEscaped() : bubble.body;
  QDBusMessage notify = ServiceCall("Notify");
  notify << QStringLiteral("Telvo") << lastId_ << QStringLiteral("telvo-popup") << bubble.summary
         << body << QStringList() << QVariantMap() << -1;
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(notify), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
    // The next bubble replaces this one rather than piling up.
    const QDBusPendingReply<uint> reply = *w;
    if (reply.isValid()) lastId_ = reply.value();
    w->deleteLater();
  });
}

}  // namespace telvo
