#include "notify/mailslot.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <future>

#include "platform/datagram_listener.h"
#include "service/delivery.h"
#include "store/folder_store.h"
#include "support/program_fixture.h"

namespace telvo::test {
namespace {

// The workstation's own listener, waited on as an event loop would.
class Listener {
 public:
  Listener() { EXPECT_OK(DatagramListener::Open(0, &listener_)); }
  uint16_t port() const { return listener_->port(); }

  // The next datagram, or nothing within `waitMs`.
  std::optional<std::string> Receive(int waitMs = 5000, size_t limit = kMaxMailslotDatagram) {
    pollfd p{listener_->fd(), POLLIN, 0};
    if (::poll(&p, 1, waitMs) != 1) return std::nullopt;
    std::string datagram;
    const auto received = listener_->Receive(limit, &datagram);
    if (received == DatagramListener::Received::kTooLong) return "(too long)";
    return datagram;
  }

 private:
  std::unique_ptr<DatagramListener> listener_;
};

TEST(MailslotTest, DatagramCarriesExactlyTheThreeTexts) {
  Listener listener;
  PosixEnv env(PosixEnvOptions{"", listener.port(), nullptr, ""});
  ScriptedMessageBoxes boxes;
  Program program(env, boxes);
  EXPECT_EQ(SendMailslot(env, "Carol", "127.0.0.1", "Joe Caller"), 0);
  EXPECT_EQ(listener.Receive(), std::string("Carol\0"
                                            "127.0.0.1\0"
                                            "Joe Caller\0",
                                            27));
  SendMailslot(env, "", "127.0.0.1", "");
  EXPECT_EQ(listener.Receive(), std::string("\0"
                                            "127.0.0.1\0"
                                            "\0",
                                            12));
  // No name, nothing sent, and no thread spent on it.
  SendMailslot(env, "Carol", "", "Joe");
  EXPECT_EQ(listener.Receive(100), std::nullopt);
  // A datagram beyond the reader's limit is taken off whole; the next one is
  // read as sent.
  env.SendDatagram("127.0.0.1", std::string(2000, 'x'));
  EXPECT_TRUE(env.WaitForDatagrams(5000));  // each goes on its own thread
  env.SendDatagram("127.0.0.1", "next");
  EXPECT_EQ(listener.Receive(5000, 1000), "(too long)");
  EXPECT_EQ(listener.Receive(5000, 1000), "next");
}

TEST(MailslotTest, AnyDatagramIsReadAsFarAsItCanBe) {
  using Parts = std::array<std::string, 3>;
  const auto parts = [](std::string_view datagram) -> std::optional<Parts> {
    const auto message = ParseMailslotDatagram(datagram);
    if (!message) return std::nullopt;
    return Parts{message->sender, message->computer, message->text};
  };
  using namespace std::string_literals;
  EXPECT_EQ(parts("Ann\0PC\0Joe\0"s), (Parts{"Ann", "PC", "Joe"}));
  EXPECT_EQ(parts("Ann\0PC\0Joe"s), (Parts{"Ann", "PC", "Joe"}));  // no last 0 byte
  EXPECT_EQ(parts("Ann"s), (Parts{"Ann", "", ""}));
  EXPECT_EQ(parts("\0\0\0"s), (Parts{"", "", ""}));
  EXPECT_EQ(parts("A\0B\0C\0D\0E"s), (Parts{"A", "B", "C"}));  // extra parts ignored
  EXPECT_EQ(parts("A\tB\r\nC\0\x01\x1b[2J\x7f\0\x80\xff"s),
            (Parts{"A B  C", "??[2J?", "\x80\xff"}));
  EXPECT_EQ(parts(""), std::nullopt);
  EXPECT_EQ(parts(std::string(kMaxMailslotDatagram + 1, 'x')), std::nullopt);
  const auto longest = parts(std::string(kMaxMailslotDatagram, 'x'));
  ASSERT_TRUE(longest);
  EXPECT_EQ((*longest)[0], std::string(kMaxShownPart, 'x'));
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
  FolderStore postingStore(slow);
  posting.store = &postingStore;
  SetPeople({"Ann"});
  posting.state = state;
  posting.settings = settings;
  posting.workgroup = workgroup;
  posting.settings.name = "Carol";
  PadValues pad;
  pad.selectedIndex = 0;
  pad.caller = "Joe";
  EXPECT_TRUE(PostMessage(posting, pad));
  EXPECT_FALSE(Log(0).empty());
  EXPECT_EQ(listener.Receive(50), std::nullopt);
  release.set_value();
  EXPECT_EQ(listener.Receive(), std::string("Carol\0ANNPC\0Joe\0", 16));
  EXPECT_EQ(lookups.load(), 1);
}

}  // namespace
}  // namespace telvo::test
