#include "ui/popup/desktop_notifier.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusReply>
#include <QVariantMap>

namespace telvo {
namespace {

const char kService[] = "org.freedesktop.Notifications";

}  // namespace

Bubble BubbleFor(const std::vector<PopupMessage>& messages, int count) {
  const PopupMessage& newest = messages.back();
  const QString heading =
      QStringLiteral("Message from %1 to %2").arg(newest.sender, newest.computer);
  if (count == 1) return {heading, newest.text};
  return {QStringLiteral("%1 new messages").arg(count), heading + ": " + newest.text};
}

DesktopNotifier::DesktopNotifier(QObject* parent) : QObject(parent) {
  later_.setSingleShot(true);
  connect(&later_, &QTimer::timeout, this, &DesktopNotifier::SendWaiting);
}

bool DesktopNotifier::ServiceRunning() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || !bus.interface() || !bus.interface()->isServiceRegistered(kService))
    return false;
  if (!service_) {
    service_ = std::make_unique<QDBusInterface>(kService, "/org/freedesktop/Notifications",
                                                kService, bus);
    service_->setTimeout(1000);
  }
  if (!bodyMarkup_) {
    const QDBusReply<QStringList> capabilities = service_->call("GetCapabilities");
    bodyMarkup_ = capabilities.isValid() && capabilities.value().contains("body-markup");
  }
  return true;
}

void DesktopNotifier::Notify(const std::vector<PopupMessage>& messages) {
  if (messages.empty()) return;
  newest_.assign(1, messages.back());
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
  const Bubble bubble = BubbleFor(newest_, waiting_);
  waiting_ = 0;
  sinceLast_.start();
  if (!ServiceRunning()) return;
  // A service that reads markup would take "<b>" from a stranger's datagram
  // as bold: it gets the text escaped, so it shows exactly what was sent.
  const QString body = *bodyMarkup_ ? bubble.body.toHtmlEscaped() : bubble.body;
  QVariantMap hints;
  const QDBusPendingCall call = service_->asyncCall(
      "Notify", QStringLiteral("Telvo"), lastId_, QStringLiteral("telvo-popup"), bubble.summary,
      body, QStringList(), hints, -1);
  auto* watcher = new QDBusPendingCallWatcher(call, this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
    // The next bubble replaces this one rather than piling up.
    const QDBusPendingReply<uint> reply = *w;
    if (reply.isValid()) lastId_ = reply.value();
    w->deleteLater();
  });
}

}  // namespace telvo
