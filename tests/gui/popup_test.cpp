#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <random>

#include "gui/gui_support.h"
#include "notify/mailslot.h"
#include "platform/posix_env.h"
#include "support/program_fixture.h"
#include "support/test_env.h"
#include "ui/popup/popup_program.h"

namespace telvo::test {
namespace {

class PopupTest : public ProgramTest {
 protected:
  PopupTest() : recording(&env) {
    std::unique_ptr<DatagramListener> listener;
    EXPECT_OK(DatagramListener::Open(0, &listener));
    port = listener->port();
    popup = std::make_unique<PopupProgram>(recording, std::move(listener), true);
    sender = ::socket(AF_INET, SOCK_DGRAM, 0);
  }
  ~PopupTest() override { ::close(sender); }

  // Straight onto the wire, as any machine on the network could.
  void SendRaw(const std::string& bytes) {
    sockaddr_in to = {};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to.sin_port = htons(port);
    ::sendto(sender, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
  }
  QListWidget* List() { return Find<QListWidget>(&popup->window(), "messageList"); }
  QString Row(int row) { return List()->item(row)->text(); }
  QString Heading(int row) { return Row(row).section('\n', 0, 0); }
  QString Text(int row) { return Row(row).section('\n', 1); }

  StartRecordingEnv recording;
  uint16_t port = 0;
  std::unique_ptr<PopupProgram> popup;
  int sender = -1;
};

TEST_F(PopupTest, DeliveredNotificationsAreListedNewestFirst) {
  PosixEnv sending(PosixEnvOptions{"", port, nullptr, ""});
  Program poster(sending, boxes);
  SendMailslot(poster.env, "CAROL", "127.0.0.1", "Joe Caller");
  QTRY_COMPARE(List()->count(), 1);
  EXPECT_TRUE(popup->window().isVisible());
  // In front when a message comes, but never kept above the person's windows.
  EXPECT_FALSE(popup->window().windowFlags() & Qt::WindowStaysOnTopHint);
  // Someone goes back to typing elsewhere; later messages come to the front
  // without taking the keyboard, and count as unseen.
  QLineEdit typing;
  typing.show();
  typing.activateWindow();
  typing.setFocus();
  QTRY_VERIFY(typing.hasFocus());
  // Each datagram goes out on a thread of its own, so one at a time.
  SendMailslot(poster.env, "ANN", "127.0.0.1", "Acme Ltd");
  QTRY_COMPARE(List()->count(), 2);
  SendMailslot(poster.env, "ANN", "127.0.0.1", "Acme Ltd again");
  QTRY_COMPARE(List()->count(), 3);
  EXPECT_EQ(Heading(0), "Message from ANN to 127.0.0.1   9:05 AM");  // the fake clock
  EXPECT_EQ(Text(0), "Acme Ltd again");
  EXPECT_EQ(Text(1), "Acme Ltd");
  EXPECT_TRUE(Heading(2).startsWith("Message from CAROL to 127.0.0.1"));
  EXPECT_EQ(Text(2), "Joe Caller");
  EXPECT_TRUE(typing.hasFocus());
  EXPECT_EQ(popup->tray()->icon().toolTip(), "Telvo Popup: 2 messages not yet seen");

  const QList<QAction*> menu = popup->tray()->menu().actions();
  ASSERT_EQ(menu.size(), 4);
  EXPECT_EQ(menu[0]->text(), "Show messages");
  EXPECT_EQ(menu[1]->text(), "Open Telvo");
  EXPECT_EQ(menu[3]->text(), "Quit");
  menu[0]->trigger();  // Show messages
  EXPECT_EQ(popup->tray()->icon().toolTip(), "Telvo Popup: no new messages");
  menu[1]->trigger();
  EXPECT_EQ(recording.started, std::vector<std::string>{env.ProgramFolder() + "telvo"});
  QSignalSpy quit(popup.get(), &PopupProgram::quitRequested);
  menu[3]->trigger();
  Find<QPushButton>(&popup->window(), "quitButton")->click();
  EXPECT_EQ(quit.count(), 2);
  // Closing the window hides it; the listener goes on.
  popup->window().close();
  EXPECT_FALSE(popup->window().isVisible());
  SendRaw(std::string("BOB\0PC\0Late\0", 12));
  QTRY_VERIFY(popup->window().isVisible());
  EXPECT_EQ(Text(0), "Late");
}

TEST_F(PopupTest, StrangersDatagramsAreShownLiterallyAndBounded) {
  SendRaw(std::string("<b>Eve</b>\0<a href=x>PC</a>\0<img src=/etc/passwd>\x1b[2J\0", 54));
  QTRY_COMPARE(List()->count(), 1);
  EXPECT_EQ(Row(0).section("   ", 0, 0), "Message from <b>Eve</b> to <a href=x>PC</a>");
  EXPECT_EQ(Text(0), "<img src=/etc/passwd>?[2J");

  // A thousand malformed datagrams, then a flood: the window keeps the
  // newest 500 and stays responsive throughout.
  std::mt19937 random(7);
  int sent = 1;
  for (int batch = 0; batch < 30; ++batch) {
    for (int i = 0; i < 100; ++i, ++sent) {
      std::string bytes(random() % 300, '\0');
      for (char& c : bytes) c = static_cast<char>(random() % 4 == 0 ? 0 : random());
      if (sent > 1000) bytes = std::string("S\0C\0call ", 9) + std::to_string(sent);
      SendRaw(bytes.empty() ? std::string("\0", 1) : bytes);
    }
    QTest::qWait(1);
  }
  SendRaw(std::string("S\0C\0last", 8));
  QTRY_COMPARE(Text(0), "last");
  EXPECT_EQ(List()->count(), kMaxPopupMessages);
  for (int row = 0; row < List()->count(); ++row)
    for (const QChar c : Row(row)) ASSERT_TRUE(c == '\n' || c.category() != QChar::Other_Control);
}

TEST(PopupProgramTest, ASecondInstanceEndsQuietly) {
  TempDir runtime;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime.path()));
  environment.insert("QT_QPA_PLATFORM", "offscreen");
  QProcess first, second;
  for (QProcess* popup : {&first, &second}) popup->setProcessEnvironment(environment);
  first.start(TELVO_POPUP_BINARY, {"--port", "0"});
  // The first holds its lock once it runs.
  const std::string lock = runtime.path() + "/telvo-popup.lock";
  QTRY_VERIFY([&] {
    const int fd = ::open(lock.c_str(), O_RDONLY);
    const bool held = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    if (fd >= 0) ::close(fd);
    return held;
  }());
  second.start(TELVO_POPUP_BINARY, {"--port", "0"});
  ASSERT_TRUE(second.waitForFinished(10000));
  EXPECT_EQ(second.exitCode(), 0);
  EXPECT_EQ(second.readAll(), "");
  EXPECT_EQ(first.state(), QProcess::Running);
  first.kill();
  first.waitForFinished();
}

}  // namespace
}  // namespace telvo::test
