#include "service/poller.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "support/program_fixture.h"

namespace telvo::test {
namespace {

class PollerTest : public ProgramTest {
 protected:
  PollerTest() {
    SetPeople({"Ann", "Bob"});
    SetUserIndex(0);
    settings.notification = Notification::kInternal;
  }

  // Ticks once; answers how many boxes it showed.
  size_t Tick() {
    const size_t before = boxes.shown().size();
    PollerTick(program, poller);
    return boxes.shown().size() - before;
  }
  void Grow(int person, size_t bytes) {
    WriteWholeFile(LogFile(person), Log(person) + std::string(bytes, 'x'));
  }

  PollerState poller;
};

TEST_F(PollerTest, GrowthAfterThePrimingTickIsAnnouncedOnce) {
  Grow(0, 100);  // calls from before the start are not news
  EXPECT_EQ(Tick(), 0u);
  EXPECT_TRUE(poller.PollerPrimed);
  Grow(0, 40);
  Grow(0, 40);  // two messages between two ticks: one box
  EXPECT_EQ(Tick(), 1u);
  MessageBox posted{"Telvo", "Telvo message posted.", BoxIcon::kInformation, BoxButtons::kOk,
                    kAnswerOk};
  posted.keepAbove = true;
  EXPECT_EQ(boxes.last(), posted);
  EXPECT_EQ(poller.lastLength, 180);
  EXPECT_EQ(Tick(), 0u);

  // A purge left it shorter: the shorter length is the new baseline.
  WriteWholeFile(LogFile(0), std::string(30, 'x'));
  EXPECT_EQ(Tick(), 0u);
  EXPECT_EQ(poller.lastLength, 30);
  Grow(0, 10);
  EXPECT_EQ(Tick(), 1u);

  // The options named someone else as the user: their log is a fresh baseline.
  Grow(1, 500);
  SetUserIndex(1);
  EXPECT_EQ(Tick(), 0u);
  EXPECT_EQ(poller.lastLength, 500);

  // Past 2 GiB (a sparse file): a length held in 32 bits made every tick
  // look like growth.
  std::filesystem::resize_file(LogFile(1), 3LL << 30);
  EXPECT_EQ(Tick(), 1u);
  EXPECT_EQ(Tick(), 0u);
  EXPECT_EQ(poller.lastLength, 3LL << 30);
  WriteWholeFile(LogFile(1), std::string(500, 'x'));
  EXPECT_EQ(Tick(), 0u);
  Grow(1, 5);
  EXPECT_EQ(Tick(), 1u);
}

// The timer keeps ticking while a box is open; those ticks stack no boxes.
class TickingBoxes : public MessageBoxes {
 public:
  std::function<void()> underBox;
  int shown = 0;
  int Show(const MessageBox&) override {
    ++shown;
    underBox();
    return kAnswerOk;
  }
};

TEST_F(PollerTest, ATickUnderAnOpenBoxShowsNoOther) {
  TickingBoxes ticking;
  Program polled(env, ticking);
  polled.state = state;
  polled.settings = settings;
  polled.workgroup = workgroup;
  polled.store = &store;
  ticking.underBox = [&] {
    if (ticking.shown < 4) PollerTick(polled, poller);  // bounded, should boxes stack
  };
  PollerTick(polled, poller);  // the missing log's box
  Grow(0, 10);
  PollerTick(polled, poller);
  Grow(0, 10);
  PollerTick(polled, poller);
  EXPECT_EQ(ticking.shown, 2);
}

TEST_F(PollerTest, AnEmptyLogIsPrimedByItsFirstMessage) {
  Grow(0, 0);
  EXPECT_EQ(Tick(), 0u);
  Grow(0, 50);
  EXPECT_EQ(Tick(), 0u);
  Grow(0, 50);
  EXPECT_EQ(Tick(), 1u);
}

TEST_F(PollerTest, AnUnreadableLogIsReportedOnceUntilItWasReadable) {
  EXPECT_EQ(Tick(), 1u);  // no MESSAGES yet
  EXPECT_EQ(boxes.last(),
            (MessageBox{"Telvo", "Internal popup error finding my file. File not found 53",
                        BoxIcon::kStop, BoxButtons::kOk, kAnswerOk}));
  EXPECT_EQ(Tick(), 0u);
  EXPECT_EQ(poller.lastLength, 0);
  Grow(0, 60);
  EXPECT_EQ(Tick(), 0u);  // primes
  std::filesystem::remove_all(temp.file("ann"));
  EXPECT_EQ(Tick(), 1u);
  EXPECT_EQ(boxes.last().text, "Internal popup error finding my file. Path not found 76");
  EXPECT_EQ(poller.lastLength, 60);
  EXPECT_EQ(Tick(), 0u);
}

TEST_F(PollerTest, NothingForSomeoneNotInTheListOrWithoutTheInternalPopup) {
  // Not even the failure box: the log is missing in every case.
  for (const auto& [index, usepop] : {std::pair<int16_t, const char*>{-1, "INTERNAL"},
                                      {2, "INTERNAL"},
                                      {0, "EXTERNAL"},
                                      {0, ""}}) {
    SetUserIndex(index);
    settings.notification = ParseChoice<Notification>(usepop);
    EXPECT_EQ(Tick(), 0u) << index << usepop;
  }
}

}  // namespace
}  // namespace telvo::test
