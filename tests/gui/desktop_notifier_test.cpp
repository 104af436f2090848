#include "ui/popup/desktop_notifier.h"

#include <gtest/gtest.h>

#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QTest>

#include "gui/gui_support.h"

namespace telvo::test {
namespace {

// The desktop's notification service, as far as the popup talks to it.
class FakeNotificationService : public QDBusVirtualObject {
 public:
  explicit FakeNotificationService(QStringList capabilities)
      : capabilities_(std::move(capabilities)) {}

  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
    if (message.member() == "GetCapabilities")
      return connection.send(message.createReply(QVariant(capabilities_)));
    if (message.member() != "Notify") return false;
    bubbles.push_back(message.arguments());
    return connection.send(message.createReply(QVariant::fromValue(uint(bubbles.size()))));
  }
  QString introspect(const QString&) const override { return {}; }

  std::vector<QList<QVariant>> bubbles;  // the arguments of each Notify

 private:
  QStringList capabilities_;
};

// A session bus of the test's own, so no desktop's service answers.
class PrivateBus {
 public:
  PrivateBus() {
    daemon_.start("dbus-daemon", {"--session", "--nofork", "--print-address"});
    EXPECT_TRUE(daemon_.waitForReadyRead(10000)) << "dbus-daemon did not start";
    address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
  }
  ~PrivateBus() {
    for (const QString& name : names_) QDBusConnection::disconnectFromBus(name);
    daemon_.kill();
    daemon_.waitForFinished();
  }
  QDBusConnection Connect(const QString& name) {
    names_.push_back(name);
    return QDBusConnection::connectToBus(address_, name);
  }

 private:
  QProcess daemon_;
  QString address_;
  QStringList names_;
};

const PopupMessage kStrangers{"<b>Eve</b>", "PC", "<img src=x> & Co", "9:05 AM"};

TEST(DesktopNotifierTest, BubblesShowAStrangersTextLiterally) {
  PrivateBus bus;
  for (const bool markup : {true, false}) {
    SCOPED_TRACE(markup ? "service reads markup" : "plain-text service");
    const QString suffix = markup ? "markup" : "plain";
    QDBusConnection desktop = bus.Connect("desktop-" + suffix);
    FakeNotificationService service(markup ? QStringList{"body", "body-markup"}
                                           : QStringList{"body"});
    ASSERT_TRUE(desktop.registerVirtualObject("/org/freedesktop/Notifications", &service));
    ASSERT_TRUE(desktop.registerService("org.freedesktop.Notifications"));

    DesktopNotifier notifier(bus.Connect("popup-" + suffix));
    notifier.Notify({kStrangers});
    QTRY_COMPARE(service.bubbles.size(), size_t{1});
    const QList<QVariant>& bubble = service.bubbles[0];
    ASSERT_EQ(bubble.size(), 8);
    EXPECT_EQ(bubble[0].toString(), "Telvo");
    EXPECT_EQ(bubble[2].toString(), "telvo-popup");
    EXPECT_EQ(bubble[3].toString(), "Message from <b>Eve</b> to PC");  // never markup
    EXPECT_EQ(bubble[4].toString(), markup ? "&lt;img src=x&gt; &amp; Co" : "<img src=x> & Co");
    // More within the quiet interval wait for one bubble that sums them up.
    notifier.Notify({kStrangers, kStrangers});
    QTest::qWait(50);
    EXPECT_EQ(service.bubbles.size(), size_t{1});
    desktop.unregisterService("org.freedesktop.Notifications");
  }
}

}  // namespace
}  // namespace telvo::test
