#include "notify/mailslot.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <future>

#include "store/post_message.h"
#include "support/program_fixture.h"

namespace telvo::test {
namespace {

// A workstation's listener on the loopback.
class Listener {
 public:
  Listener() {
    fd_ = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in addr = {};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t size = sizeof addr;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &size);
    port_ = ntohs(addr.sin_port);
  }
  ~Listener() { ::close(fd_); }
  uint16_t port() const { return port_; }

  // The next datagram, or nothing within `waitMs`.
  std::optional<std::string> Receive(int waitMs = 5000) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, waitMs) != 1) return std::nullopt;
    char buffer[2048];
    ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
    return std::string(buffer, static_cast<size_t>(std::max<ssize_t>(n, 0)));
  }

 private:
  int fd_;
  uint16_t port_;
};

TEST(MailslotTest, DatagramCarriesExactlyTheThreeTexts) {
  Listener listener;
  PosixEnv env(PosixEnvOptions{"", listener.port(), nullptr, ""});
  ScriptedMessageBoxes boxes;
  Program program(env, boxes);
  EXPECT_EQ(SendMailslot(program, "Carol", "127.0.0.1", "Joe Caller"), 0);
  EXPECT_EQ(listener.Receive(), std::string("Carol\0" "127.0.0.1\0" "Joe Caller\0", 27));
  SendMailslot(program, "", "127.0.0.1", "");
  EXPECT_EQ(listener.Receive(), std::string("\0" "127.0.0.1\0" "\0", 12));
  // No name, nothing sent, and no thread spent on it.
  SendMailslot(program, "Carol", "", "Joe");
  EXPECT_EQ(listener.Receive(100), std::nullopt);
}

TEST(MailslotTest, AnEndingProgramSendsItsLastDatagramFirst) {
  Listener listener;
  // The lookup takes a moment, so the program is ending while it runs.
  const HostResolver slow = [](const std::string&) {
    ::usleep(100 * 1000);
    return std::string("127.0.0.1");
  };
  for (const bool endProgram : {false, true}) {
    SCOPED_TRACE(endProgram ? "EndProgram" : "return from main");
    const pid_t pid = ::fork();
    if (pid == 0) {
      {
        PosixEnv env(PosixEnvOptions{"", listener.port(), slow, ""});
        env.SendDatagram("ANNPC", "last call");
        if (endProgram) env.EndProgram(0);
      }
      ::_exit(0);
    }
    int status = -1;
    ::waitpid(pid, &status, 0);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(listener.Receive(1000), "last call");
  }
}

class SlowResolverTest : public ProgramTest {};

TEST_F(SlowResolverTest, PostingNeverWaitsForTheRecipientsWorkstation) {
  Listener listener;
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::atomic<int> lookups = 0;
  PosixEnv slow(PosixEnvOptions{temp.path() + "/config/", listener.port(),
                                [released, &lookups](const std::string& host) {
                                  ++lookups;
                                  released.wait();
                                  return host == "ANNPC" ? std::string("127.0.0.1") : "";
                                },
                                ""});
  Program posting(slow, boxes);
  SetPeople({"Ann"});
  posting.state = state;
  posting.state.MyName = "Carol";
  PadValues pad;
  pad.selectedIndex = 0;
  pad.caller = "Joe";
  PostMessage(posting, pad);
  // The post is complete while the name lookup is still held.
  EXPECT_EQ(posting.state.FileError, 0);
  EXPECT_FALSE(Log(0).empty());
  EXPECT_EQ(listener.Receive(50), std::nullopt);
  release.set_value();
  EXPECT_EQ(listener.Receive(), std::string("Carol\0ANNPC\0Joe\0", 16));
  EXPECT_EQ(lookups.load(), 1);
}

}  // namespace
}  // namespace telvo::test
