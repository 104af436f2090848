#include "store/log_scan.h"

#include <gtest/gtest.h>

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

TEST(LogScanTest, AfterDamageTwoStrayBytesDoNotSwallowTheCallsBehindThem) {
  // 400 calls; the first one's leading length lost, and inside its body two
  // bytes that read as a length of 16,961 ("AB") with the same two bytes
  // 16,963 bytes further on, inside a later call's message. Trusted by its
  // lengths alone, that "record" hid some two hundred calls.
  std::string bytes;
  for (int i = 0; i < 400; ++i)
    bytes += CallRecord({.caller = "C" + std::to_string(i), .message = std::string(60, 'm')});
  const size_t stray = 12;  // inside the first call's date
  bytes.replace(0, 2, "\xff\xff");
  bytes.replace(stray, 2, "AB");
  bytes.replace(stray + 2 + 0x4241, 2, "AB");
  TempDir temp;
  WriteWholeFile(temp.file("MESSAGES"), bytes);
  PosixEnv posix;
  std::unique_ptr<File> file;
  ASSERT_OK(posix.OpenFile(temp.file("MESSAGES"), FileAccess::kRead, &file));
  Status status;
  const Events events = Scan(*file, static_cast<int64_t>(bytes.size()), kScanBlockBytes, &status);
  ASSERT_OK(status);
  const size_t first = CallRecord({.caller = "C0", .message = std::string(60, 'm')}).size();
  ASSERT_EQ(events.size(), 400u);
  EXPECT_EQ(events[0], DamageEvent(0, static_cast<int64_t>(first)));
}

}  // namespace
}  // namespace telvo::test
