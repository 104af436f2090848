#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <utility>

#include "core/call_fields.h"
#include "service/delivery.h"
#include "store/folder_store.h"
#include "store/phone_log.h"
#include "support/program_fixture.h"

namespace telvo::test {
namespace {

class PostMessageTest : public ProgramTest {
 protected:
  PostMessageTest() {
    SetPeople({"Ann", "Bob"});
    settings.name = "Carol";
    settings.initials = "CW";
    program.hooks.ClearPad = [this] { ++padsCleared; };
  }

  // Blanks around the caller and the time are trimmed in the record, not in the datagram.
  static PadValues Pad(int person = 0) {
    return {.selectedIndex = person,
            .caller = "  Joe Caller ",
            .date = "12-06-2026",
            .time = " 9:05 AM",
            .phone = "",
            .message = "Please call back"};
  }

  int padsCleared = 0;
};

TEST_F(PostMessageTest, RecordBytesAreExactlyTheFramedBody) {
  EXPECT_TRUE(PostMessage(program, Pad()));
  PadValues urgent = Pad();
  urgent.urgent = true;
  urgent.message = "";
  urgent.phone = "555-1234";
  EXPECT_TRUE(PostMessage(program, urgent));

  const std::string first =
      "\x01"
      "12-06-2026\x11"
      "Joe Caller\x11"
      "9:05 AM\x11"
      "\x11"
      "Please call back (CW)\x11";
  const std::string second =
      "\x04"
      "12-06-2026\x11"
      "Joe Caller\x11"
      "9:05 AM\x11"
      "555-1234\x11"
      " (CW)\x11";
  const std::string expected = std::string("\x36\x00", 2) + first + std::string("\x36\x00", 2) +
                               std::string("\x2e\x00", 2) + second + std::string("\x2e\x00", 2);
  EXPECT_EQ(Log(0), expected);
  EXPECT_EQ(padsCleared, 2);
  EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(PostMessageTest, RefusalsWriteNothingAndKeepThePad) {
  PadValues blankCaller = Pad(), terminator = Pad(), tooLong = Pad();
  blankCaller.caller = "    ";
  terminator.message = "bad \x11 byte";
  tooLong.message = std::string(32768, 'x');
  const std::pair<PadValues, std::string> refusals[] = {
      {Pad(-1), "No \"For:\" Person Selected"},
      {blankCaller, "Caller name required."},
      {terminator, "The message contains a character that cannot be stored (code 17)"},
      {tooLong, "The message is too long to be delivered."}};
  for (const auto& [pad, text] : refusals) {
    EXPECT_FALSE(PostMessage(program, pad));
    EXPECT_EQ(boxes.last().caption, "Telvo");
    EXPECT_EQ(boxes.last().icon, BoxIcon::kStop);
    EXPECT_EQ(boxes.last().text.rfind(text, 0), 0u) << boxes.last().text;
  }
  EXPECT_EQ(boxes.shown().size(), 4u);
  EXPECT_FALSE(env.FileExists(workgroup.at(0).log));
  EXPECT_EQ(padsCleared, 0);

  // The longest body that fits is delivered.
  PadValues longest = Pad();
  longest.message = std::string(kMaxBodyLength - PadCallBody(Pad(), "CW").size() + 16, 'x');
  ASSERT_EQ(PadCallBody(longest, "CW").size(), static_cast<size_t>(kMaxBodyLength));
  EXPECT_TRUE(PostMessage(program, longest));
  EXPECT_EQ(Log(0).size(), static_cast<size_t>(kMaxBodyLength) + 4);
}

TEST_F(PostMessageTest, FailedWriteLeavesTheLogAsItWas) {
  ASSERT_TRUE(PostMessage(program, Pad()));
  const std::string before = Log(0);
  // A refused write, a short write (a full disk) and a failed sync.
  const std::function<void()> failures[] = {
      [&] { faults.FailNth(FileOp::kWrite, faults.count(FileOp::kWrite) + 1, kDiskFull); },
      [&] { faults.ShortWriteNth(faults.count(FileOp::kWrite) + 1); },
      [&] { faults.FailNth(FileOp::kSync, faults.count(FileOp::kSync) + 1, kDeviceIoError); }};
  for (const auto& fail : failures) {
    fail();
    EXPECT_FALSE(PostMessage(program, Pad()));
    EXPECT_EQ(Log(0), before);
  }
  EXPECT_EQ(boxes.shown()[0], (MessageBox{"Ann", "The message was not delivered.\rDisk full 61",
                                          BoxIcon::kStop, BoxButtons::kOk, kAnswerOk}));
  EXPECT_EQ(padsCleared, 1);

  // Half a record written and the cut that should remove it refused: the
  // half record stays, and the box names the failure that left it.
  faults.ShortWriteNth(faults.count(FileOp::kWrite) + 1);
  faults.FailNth(FileOp::kTruncate, faults.count(FileOp::kTruncate) + 1, kDeviceIoError);
  EXPECT_FALSE(PostMessage(program, Pad()));
  EXPECT_EQ(boxes.last().text, "The message was not delivered.\rDevice I/O error 57");
  EXPECT_EQ(padsCleared, 1);
  WriteWholeFile(LogFile(0), before);

  EXPECT_TRUE(PostMessage(program, Pad()));
  EXPECT_EQ(Log(0).size(), 2 * before.size());
}

// The power fails after each step of a post, the first (which makes the log)
// and a later one: a call reported delivered is on the disk afterwards, one
// that was not is there whole or not at all.
TEST_F(PostMessageTest, APowerCutAtAnyStepLosesNoDeliveredCall) {
  const std::string record = FrameRecord(PadCallBody(Pad(), "CW"));
  for (const std::string& before : {std::string(), record}) {
    for (int steps = 0; !HasFailure(); ++steps) {
      SCOPED_TRACE(testing::Message() << before.size() << "-byte log, cut after " << steps);
      std::filesystem::remove(LogFile(0));
      if (!before.empty()) WriteWholeFile(LogFile(0), before);
      faults.CutPowerAfter(steps);
      const bool delivered = PostMessage(program, Pad()), finished = !faults.powerWasCut();
      faults.DropUnsyncedData();
      EXPECT_TRUE(Log(0) == before + record || (!delivered && Log(0) == before));
      if (finished) break;
    }
  }
}

TEST_F(PostMessageTest, WhatTheShareDidNotKeepIsNotDelivered) {
  ASSERT_TRUE(PostMessage(program, Pad()));
  const std::string before = Log(0);
  const MessageBox notKept{"Ann",
                           "The message was not delivered.\rThe shared folder did not keep the "
                           "message. Please tell the administrator.",
                           BoxIcon::kStop, BoxButtons::kOk, kAnswerOk};
  // What a share's client caches do: a write acknowledged and then
  // dropped; a length cached before another workstation's append, where
  // the write would land on that call; a log that a purge elsewhere
  // renamed into place while this post held the old one (the purge's lock
  // never reached this workstation).
  bool replaceOnSync = false;
  faults.OnSync([&] {
    if (!std::exchange(replaceOnSync, false)) return;
    WriteWholeFile(LogFile(0) + ".NEW", before);
    std::filesystem::rename(LogFile(0) + ".NEW", LogFile(0));
  });
  const std::function<void()> lapses[] = {
      [&] { faults.DropWriteNth(faults.count(FileOp::kWrite) + 1); },
      [&] { faults.AnswerLengthsShortBy(static_cast<int64_t>(before.size())); },
      [&] { replaceOnSync = true; }};
  for (const auto& lapse : lapses) {
    lapse();
    EXPECT_FALSE(PostMessage(program, Pad()));
    faults.AnswerLengthsShortBy(0);
    EXPECT_EQ(boxes.last(), notKept);
    EXPECT_EQ(Log(0), before);
  }
  EXPECT_EQ(padsCleared, 1);
}

TEST_F(PostMessageTest, AnUnsafeShareIsRefusedBeforeAnythingIsWritten) {
  faults.PutOnUnsafeShare("The shared folder is an sshfs mount. Mount it over NFS.");
  EXPECT_FALSE(PostMessage(program, Pad(1)));
  EXPECT_EQ(faults.sharesAsked, std::vector<std::string>{workgroup.at(1).log});
  EXPECT_EQ(boxes.last(), (MessageBox{"Bob",
                                      "The message was not delivered.\rThe shared folder is an "
                                      "sshfs mount. Mount it over NFS.",
                                      BoxIcon::kStop, BoxButtons::kOk, kAnswerOk}));
  EXPECT_FALSE(std::filesystem::exists(LogFile(1)));
  EXPECT_EQ(padsCleared, 0);
}

TEST_F(PostMessageTest, UnreadableLogIsAppendedAtItsRealEnd) {
  // Bob's log is opened first and is longer; Ann's may be written but not
  // read, so its probe fails and the remembered length must not be Bob's.
  ASSERT_TRUE(PostMessage(program, Pad(1)));
  ASSERT_TRUE(PostMessage(program, Pad(1)));
  ASSERT_TRUE(PostMessage(program, Pad(0)));
  const std::string annBefore = Log(0);
  faults.FailNth(FileOp::kRead, faults.count(FileOp::kRead) + 1, kPathFileAccessError);
  EXPECT_TRUE(PostMessage(program, Pad(0)));
  EXPECT_EQ(Log(0), annBefore + annBefore);
  EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(PostMessageTest, FirstMessageCreatesTheLogAndNotifies) {
  std::vector<std::pair<std::string, std::string>> sent;
  struct Recorder : EnvWrapper {
    using EnvWrapper::EnvWrapper;
    void SendDatagram(const std::string& host, std::string bytes) override {
      sent->push_back({host, bytes});
    }
    std::vector<std::pair<std::string, std::string>>* sent;
  } recorder(&env);
  recorder.sent = &sent;
  Program withRecorder(recorder, boxes);
  FolderStore withRecorderStore(recorder);
  withRecorder.store = &withRecorderStore;
  withRecorder.state = state;
  withRecorder.settings = settings;
  withRecorder.workgroup = workgroup;
  ASSERT_TRUE(PostMessage(withRecorder, Pad(1)));
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].first, "BOBPC");
  EXPECT_EQ(sent[0].second, std::string("Carol\0BOBPC\0  Joe Caller \0", 26));
  EXPECT_EQ(Log(1).substr(0, 3), std::string("\x36\x00\x01", 3));
}

}  // namespace
}  // namespace telvo::test
