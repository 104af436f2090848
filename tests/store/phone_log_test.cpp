#include "store/phone_log.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/call_fields.h"
#include "service/delivery.h"
#include "service/store_messages.h"
#include "store/folder_store.h"
#include "support/program_fixture.h"
#include "support/records.h"

namespace telvo::test {
namespace {

class PhoneLogTest : public ProgramTest {
 protected:
  PhoneLogTest() {
    SetPeople({"Ann"});
    state.viewed.book = FolderBook("Ann", workgroup.at(0).log);
  }

  // What the call list meets first when it opens Ann's log: a torn tail is
  // repaired then.
  StoreError Opened(const std::string& log) {
    return store.ReadPage({{.name = "Ann", .log = log}}, {}, PageDirection::kOlder, 0).error;
  }

  // The callers a walk from either end sees, in the order it sees them,
  // once the log has been opened as the call list opens it.
  std::vector<std::string> Walk(bool forward) {
    std::vector<std::string> callers;
    EXPECT_TRUE(Opened(workgroup.at(0).log).ok());
    std::unique_ptr<File> log;
    int64_t length = 0;
    EXPECT_OK(env.OpenFile(workgroup.at(0).log, FileAccess::kRead, &log));
    EXPECT_OK(log->Length(&length));
    auto visit = [&](const Record& r) {
      callers.push_back(ParseCallBody(r.body).caller);
      return true;
    };
    last = forward ? WalkForward(*log, length, 0, visit) : WalkBackward(*log, length, visit);
    return callers;
  }
  std::vector<std::string> Backward() { return Walk(false); }
  std::vector<std::string> Forward() { return Walk(true); }

  RecordRead last;
};

TEST_F(PhoneLogTest, WalksSeeEveryRecordInOrder) {
  EXPECT_TRUE(Backward().empty());
  EXPECT_EQ(last.outcome, ReadOutcome::kNone);
  WriteWholeFile(LogFile(0), CallRecord("A") + FrameRecord("\x01") + CallRecord("C"));
  EXPECT_EQ(Backward(), (std::vector<std::string>{"C", "", "A"}));
  EXPECT_EQ(last.outcome, ReadOutcome::kNone);
  EXPECT_EQ(Forward(), (std::vector<std::string>{"A", "", "C"}));
  EXPECT_EQ(last.outcome, ReadOutcome::kNone);
  EXPECT_TRUE(boxes.shown().empty());
  // A body cut short leaves the missing fields empty.
  const CallFields cut =
      ParseCallBody(std::string("\x04"
                                "01-02-2003\x11"
                                "Jo"));
  EXPECT_EQ(cut.caller, "Jo");
  EXPECT_EQ(cut.message, "");
}

TEST_F(PhoneLogTest, DamagedLengthsStopBothWalks) {
  const std::string good = CallRecord(("A"));
  const int64_t len = static_cast<int64_t>(good.size());
  struct Case {
    const char* what;
    std::string bytes;
    int64_t forwardAt;
  };
  auto withLengths = [&](std::string record, int lead, int trail) {
    record.replace(0, 2, EncodeRecordLength(lead));
    record.replace(record.size() - 2, 2, EncodeRecordLength(trail));
    return record;
  };
  const int body = static_cast<int>(good.size()) - 4;
  const std::vector<Case> cases = {
      {"zero", good + withLengths(good, 0, 0), len},
      // -2 as a signed number: a walk that trusted it would stand still.
      {"negative", good + withLengths(good, 0xFFFE, 0xFFFE), len},
      {"past the beginning", good + withLengths(good, body, 3000), len},
      {"past the end", withLengths(good, 3000, body) + good, 0},
      {"copies differ", good + withLengths(good, body, body - 1) + good, len},
      // Bytes that begin no record: damage, not a torn tail to repair.
      {"trailing bytes", good + std::string("\x00\x00\x01", 3), len},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteWholeFile(LogFile(0), c.bytes);
    Backward();
    EXPECT_EQ(last.outcome, ReadOutcome::kDamaged);
    Forward();
    EXPECT_EQ(last.outcome, ReadOutcome::kDamaged);
    EXPECT_EQ(last.damageAt, c.forwardAt);
  }
}

TEST_F(PhoneLogTest, ATornTailIsCutOffAndKeptBesideTheLog) {
  // Thirty calls, and the front of a thirty-first whose post was killed
  // in mid-write: posting, listing and purging all stopped at it.
  std::string calls;
  for (int i = 0; i < 30; ++i) calls += CallRecord("C" + std::to_string(i));
  const std::string torn = CallRecord("cut short").substr(0, 17);
  WriteWholeFile(LogFile(0), calls + torn);
  PadValues pad;
  pad.selectedIndex = 0;
  pad.caller = "After";
  EXPECT_TRUE(PostMessage(program, pad));
  EXPECT_EQ(Backward().size(), 31u);
  EXPECT_EQ(last.outcome, ReadOutcome::kNone);
  const std::string kept = LogFile(0) + ".TORN";
  EXPECT_EQ(ReadWholeFile(kept), torn);

  // A second repair appends to what the first kept; a tail that is not the
  // front of a record (real damage) is never cut.
  const std::string log = Log(0);
  WriteWholeFile(LogFile(0), log + torn.substr(0, 1));
  Backward();
  EXPECT_EQ(Log(0), log);
  EXPECT_EQ(ReadWholeFile(kept), torn + torn.substr(0, 1));
  const std::string damaged = log + std::string("\x00\x00garbage", 9);
  WriteWholeFile(LogFile(0), damaged);
  Backward();
  EXPECT_EQ(last.outcome, ReadOutcome::kDamaged);
  EXPECT_EQ(Log(0), damaged);
  // Found once, that damage is not searched for again on every open.
  faults.ResetCounts();
  ASSERT_TRUE(Opened(workgroup.at(0).log).ok());
  EXPECT_LT(faults.bytesRead(), 100);
  EXPECT_EQ(ReadWholeFile(kept), torn + torn.substr(0, 1));
  EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(PhoneLogTest, LockedLogIsTriedElevenTimes) {
  std::unique_ptr<File> holder;
  ASSERT_OK(posix.OpenFile(workgroup.at(0).log, FileAccess::kUpdate, &holder));
  faults.ResetCounts();
  const StoreError locked = Opened(workgroup.at(0).log);
  EXPECT_EQ(faults.count(FileOp::kOpen), 11);
  EXPECT_EQ(locked.kind, StoreError::Kind::kLocked);
  EXPECT_EQ(LogFailureText(locked), "Message file is locked up");
  // Ten pauses of about a second each.
  EXPECT_GE(env.sleptMs(), kTenPausesMinMs);
  EXPECT_LE(env.sleptMs(), kTenPausesMaxMs);
}

TEST_F(PhoneLogTest, OpenFailuresAreNamed) {
  const std::string log = workgroup.at(0).log;
  EXPECT_EQ(LogFailureText(Opened(temp.file("NOWHERE") + "\\MESSAGES")),
            "Invalid Path For User's Phonelog ");
  faults.FailNth(FileOp::kOpen, faults.count(FileOp::kOpen) + 1, kDeviceUnavailable);
  EXPECT_EQ(LogFailureText(Opened(log)), "Unknown Error  68");
  faults.FailNth(FileOp::kRead, faults.count(FileOp::kRead) + 1, kDeviceIoError);
  EXPECT_EQ(LogFailureText(Opened(log)), "Unknown Error  57");
  EXPECT_TRUE(Opened(log).ok());
}

TEST_F(PhoneLogTest, ACallIdNamesItsCallWhateverItsMark) {
  const std::string a = CallBody("Alice"), b = CallBody("Bobby"), one = "\x01";
  const int64_t aLen = static_cast<int64_t>(a.size()) + 4;
  WriteWholeFile(LogFile(0), FrameRecord(a) + FrameRecord(b) + FrameRecord(one));
  const CallBook book{{.name = "Ann", .log = workgroup.at(0).log}};
  auto found = [&](int64_t at, const std::string& body) {
    return store.ReadCall(book, CallId::Of(at, body)).error.kind;
  };
  using Kind = StoreError::Kind;
  EXPECT_EQ(found(0, a), Kind::kNone);
  EXPECT_EQ(found(aLen, b), Kind::kNone);
  EXPECT_EQ(found(2 * aLen, one), Kind::kNone);

  // A mark changed on another workstation still names the call, as it now is.
  std::string bytes = ReadWholeFile(LogFile(0));
  bytes[static_cast<size_t>(aLen) + 2] = MARK_ARCHIVE;
  WriteWholeFile(LogFile(0), bytes);
  EXPECT_EQ(store.ReadCall(book, CallId::Of(aLen, b)).call.body[0], MARK_ARCHIVE);

  // Another call of the same length now at that position; a position past the end.
  WriteWholeFile(LogFile(0), FrameRecord(b) + FrameRecord(a));
  EXPECT_EQ(found(0, a), Kind::kStale);
  EXPECT_EQ(found(2 * aLen, one), Kind::kStale);
  // A one-byte body compares empty remainders.
  WriteWholeFile(LogFile(0), FrameRecord(a) + FrameRecord(b) + FrameRecord("\x04"));
  EXPECT_EQ(found(2 * aLen, one), Kind::kNone);

  // As telvo-log lists and takes it: eight digits of the digest name the call.
  const CallId id = CallId::Of(aLen, b);
  EXPECT_EQ(id.ToText(), std::to_string(aLen) + ":" + id.digest.substr(8));
  EXPECT_EQ(found(aLen, b), Kind::kNone);
  EXPECT_EQ(store.ReadCall(book, *CallId::FromText(id.ToText())).call.body, b);
  for (const char* bad : {"12", "x:9f3a01bc", "-4:9f3a01bc", "12:9f3a01b", "12:9F3A01BC"})
    EXPECT_FALSE(CallId::FromText(bad)) << bad;
}

}  // namespace
}  // namespace telvo::test
