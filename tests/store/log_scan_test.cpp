#include "store/log_scan.h"

#include <gtest/gtest.h>

#include <random>

#include "store/phone_log.h"
#include "support/records.h"
#include "support/test_env.h"

namespace telvo::test {
namespace {

// What a scan saw, one line per record or damaged region.
using Events = std::vector<std::string>;

std::string RecordEvent(int64_t start, std::string_view body) {
  return "record " + std::to_string(start) + " " + std::string(body);
}
std::string DamageEvent(int64_t from, int64_t to) {
  return "damage " + std::to_string(from) + " " + std::to_string(to);
}

// The definition the scanner must keep: a forward walk of ReadRecordAt, and
// after each failure the first later offset where ReadRecordAt gives a record.
Events Reference(File& file, int64_t length) {
  Events events;
  for (int64_t at = 0; at < length;) {
    RecordRead read = ReadRecordAt(file, length, at);
    if (read.outcome == ReadOutcome::kRecord) {
      events.push_back(RecordEvent(at, read.record.body));
      at = read.record.end();
      continue;
    }
    int64_t next = at + 1;
    while (next < length && ReadRecordAt(file, length, next).outcome != ReadOutcome::kRecord)
      ++next;
    events.push_back(DamageEvent(at, next));
    at = next;
  }
  return events;
}

Events Scan(File& file, int64_t length, size_t block, Status* status) {
  Events events;
  LogScanVisitor visit;
  visit.record = [&](int64_t start, std::string_view body) {
    events.push_back(RecordEvent(start, body));
    return true;
  };
  visit.damage = [&](int64_t from, int64_t to) {
    events.push_back(DamageEvent(from, to));
    return true;
  };
  *status = ScanLog(file, length, visit, block);
  return events;
}

// Calls of many sizes (a bare mark, the longest body) with damage of every
// kind: flipped bytes, lost lengths, garbage, a torn end, a length that
// claims more than the file holds.
std::string RandomLog(std::mt19937& random, int64_t* claimed) {
  auto below = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  std::string bytes;
  for (int calls = below(30); calls > 0; --calls) {
    switch (below(8)) {
      case 0: bytes += FrameRecord(std::string(1, MARK_DELETE)); break;
      case 1: bytes += FrameRecord(std::string(below(20) ? 300 : kMaxBodyLength, 'x')); break;
      default: bytes += CallRecord(CallFields{.caller = std::string(below(60), 'c')});
    }
  }
  for (int faults = below(4); faults > 0 && !bytes.empty(); --faults) {
    const size_t at = static_cast<size_t>(below(static_cast<int>(bytes.size())));
    switch (below(4)) {
      case 0: bytes[at] = static_cast<char>(random()); break;
      case 1: bytes[at] = 0; break;
      case 2: {
        std::string garbage(static_cast<size_t>(below(400)), '\0');
        for (char& c : garbage) c = static_cast<char>(random());
        bytes.insert(at, garbage);
        break;
      }
      case 3: bytes.resize(at); break;
    }
  }
  *claimed = static_cast<int64_t>(bytes.size()) + (below(10) == 0 ? below(50) : 0);
  return bytes;
}

TEST(LogScanTest, FindsWhatTheRecordWalkFindsInAnyBlockSize) {
  TempDir temp;
  PosixEnv posix;
  const std::string path = temp.file("MESSAGES");
  for (unsigned seed = 0; seed < 300; ++seed) {
    std::mt19937 random(seed);
    int64_t length = 0;
    WriteWholeFile(path, RandomLog(random, &length));
    std::unique_ptr<File> file;
    ASSERT_OK(posix.OpenFile(path, FileAccess::kRead, &file));
    const Events expected = Reference(*file, length);
    // Tiny blocks put record after record across a block's end.
    for (size_t block : {size_t{1}, size_t{7}, size_t{64} + seed % 50, kScanBlockBytes}) {
      Status status;
      EXPECT_EQ(Scan(*file, length, block, &status), expected)
          << "seed " << seed << ", block " << block;
      EXPECT_OK(status);
    }
  }
}

TEST(LogScanTest, ReadsLargeBlocksStopsWhenAskedAndReportsFailures) {
  TempDir temp;
  PosixEnv posix;
  FaultInjectionEnv faults(&posix);
  // Garbage between two calls whose every two bytes are a plausible
  // length, none repeated where its record would end: each offset in it is
  // a candidate.
  std::string garbage;
  while (garbage.size() < 256 * 1024) garbage += "\x10\x20\x30\x40";
  std::string bytes;
  for (int i = 0; i < 200; ++i) bytes += (i == 100 ? garbage : "") + CallRecord("Caller");
  const int64_t garbageAt = 100 * static_cast<int64_t>(CallRecord("Caller").size());
  WriteWholeFile(temp.file("MESSAGES"), bytes);
  const int64_t length = static_cast<int64_t>(bytes.size());
  std::unique_ptr<File> file;
  ASSERT_OK(faults.OpenFile(temp.file("MESSAGES"), FileAccess::kRead, &file));

  Status status;
  Events events = Scan(*file, length, kScanBlockBytes, &status);
  ASSERT_EQ(events.size(), 201u);
  EXPECT_EQ(events[100], DamageEvent(garbageAt, garbageAt + 256 * 1024));
  EXPECT_EQ(faults.count(FileOp::kRead), 1);
  EXPECT_EQ(faults.bytesRead(), length);
  // A length that claims more than the file holds: the rest is damage, found
  // without a read for each byte of it.
  faults.ResetCounts();
  events = Scan(*file, length + 100, kScanBlockBytes, &status);
  EXPECT_EQ(events.back(), DamageEvent(length, length + 100));
  EXPECT_EQ(faults.count(FileOp::kRead), 1);

  int seen = 0;
  LogScanVisitor firstThree;
  firstThree.record = [&](int64_t, std::string_view) { return ++seen < 3; };
  status = ScanLog(*file, length, firstThree);
  EXPECT_EQ(seen, 3);

  faults.ResetCounts();
  faults.FailNth(FileOp::kRead, 1, kDeviceIoError);
  EXPECT_TRUE(Scan(*file, length, kScanBlockBytes, &status).empty());
  EXPECT_EQ(status.code(), kDeviceIoError);
}

}  // namespace
}  // namespace telvo::test
