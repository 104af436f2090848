// telvo-popup receiving a stream of notification datagrams, offscreen: the
// real feed, window and list, from the socket to the newest message drawn at
// the top. The sender keeps at most a few hundred datagrams on their way, so
// none is lost in the socket's buffer and every one is read and listed.
// Memory is the process's resident size before, after one stream and after a
// second: the list holds the newest 500 messages, so it must not grow.
// Every datagram is read and parsed; of a batch handed on every 100 ms only
// the newest 500 reach the list, which keeps only 500 anyway.

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench_support.h"
#include "platform/posix_env.h"
#include "ui/popup/popup_program.h"

namespace telvo::bench {
namespace {

constexpr int64_t kInFlight = 200;

double ResidentMegabytes() {
  long pages = 0, resident = 0;
  if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(statm);
  }
  return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / 1e6;
}

class Sender {
 public:
  explicit Sender(uint16_t port) : fd_(::socket(AF_INET, SOCK_DGRAM, 0)) {
    to_.sin_family = AF_INET;
    to_.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to_.sin_port = htons(port);
  }
  ~Sender() { ::close(fd_); }
  void Send(int64_t n) {
    const std::string bytes =
        std::string("CAROL\0ANNPC\0Caller number ", 26) + std::to_string(n) + std::string(1, '\0');
    ::sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to_), sizeof to_);
  }

 private:
  int fd_;
  sockaddr_in to_ = {};
};

// Sends `count` datagrams and runs the event loop until the last one is the
// newest line of the list; answers the seconds it took.
double Stream(PopupProgram& popup, Sender& sender, int64_t first, int64_t count) {
  const auto start = std::chrono::steady_clock::now();
  const auto deadline = start + std::chrono::seconds(60);
  const auto overdue = [&] {
    if (std::chrono::steady_clock::now() > deadline) Fatal("the popup stopped listing datagrams");
  };
  const int64_t goal = popup.feed().received() + count;
  int64_t sent = 0;
  while (popup.feed().received() < goal) {
    while (sent < count && sent - (popup.feed().received() - (goal - count)) < kInFlight)
      sender.Send(first + sent++);
    QApplication::processEvents();
    overdue();
  }
  const QString last = "Caller number " + QString::number(first + count - 1);
  auto* list = popup.window().findChild<QListWidget*>("messageList");
  while (!list->count() || !list->item(0)->text().endsWith(last)) {
    QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    overdue();
  }
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace
}  // namespace telvo::bench

int main(int argc, char** argv) {
  using namespace telvo::bench;
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const bool quick = TakeQuickFlag(&argc, argv);
  QApplication app(argc, argv);
  telvo::PosixEnv env;
  std::unique_ptr<telvo::DatagramListener> listener;
  const telvo::Status opened = telvo::DatagramListener::Open(0, &listener);
  if (!opened.ok()) Fatal("cannot listen: " + opened.ToString());
  Sender sender(listener->port());
  telvo::PopupProgram popup(env, std::move(listener), false);
  const int64_t count = quick ? 2000 : 10000;

  Stream(popup, sender, 0, 100);  // the window shown, fonts loaded
  const double before = ResidentMegabytes();
  const int64_t droppedBefore = popup.feed().dropped();
  const double seconds = Stream(popup, sender, 100, count);
  const double afterOne = ResidentMegabytes();
  // A batch of more than 500 is cut to its newest 500 before the list sees
  // it, as the list would keep only those anyway.
  const int64_t skipped = popup.feed().dropped() - droppedBefore;
  Stream(popup, sender, 100 + count, count);
  const double afterTwo = ResidentMegabytes();

  const std::string n = std::to_string(count);
  PrintTitle("telvo-popup: " + n + " datagrams received and listed, offscreen",
             "resident memory before the stream");
  PrintRow(n + " datagrams", Seconds(seconds), "-", "-", "-", Verdict::kNone);
  PrintRow("per datagram", Seconds(seconds / static_cast<double>(count)), "-", "-", "-",
           Verdict::kNone);
  PrintRow("not listed (over 500 a batch)", std::to_string(skipped), "-", "-", "-", Verdict::kNone);
  PrintRow("memory after " + n, Megabytes(afterOne), Megabytes(before), Ratio(afterOne / before),
           "-", Verdict::kNone);
  PrintRow("memory after " + std::to_string(2 * count), Megabytes(afterTwo), Megabytes(afterOne),
           Ratio(afterTwo / afterOne), "<= 1.05x", AtMost(afterTwo / afterOne, 1.05));
  return 0;
}
