// `telvo-log check` over arbitrary file bytes: the walk always ends, every
// damaged region is named with its offset and length, and the report equals
// the one an independent walk over the whole file in memory gives. The block
// scanner beneath it is also run with small blocks, so that records and
// damage straddle the block boundaries a gigabyte log has.

#include <algorithm>
#include <memory>
#include <sstream>

#include "app/log_tool.h"
#include "fuzz_support.h"
#include "store/log_scan.h"

namespace telvo::fuzz {
namespace {

std::string ExpectedReport(const Expected& e, size_t length) {
  std::ostringstream out;
  for (const Region& r : e.damage)
    out << "damaged region at offset " << r.from << ": " << r.to - r.from << " bytes\n";
  out << e.calls << " calls, " << length << " bytes, "
      << (e.damage.empty() ? "no damage" : std::to_string(e.damage.size()) + " damaged regions")
      << "\n";
  return out.str();
}

}  // namespace
}  // namespace telvo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace telvo;
  using namespace telvo::fuzz;
  if (size < 1) return 0;
  // The first byte picks the scanner's block size; the rest is the file.
  const size_t blockBytes = 1 + data[0] % 64;
  const std::string_view file = Bytes(data + 1, size - 1);
  const Expected expected = WalkWholeFile(file);

  MemoryEnv env;
  env.Put("\\srv\\LOG", std::string(file));
  std::ostringstream out, err;
  const int status = RunLogTool({"check", "/srv/LOG"}, env, out, err);
  Require(status == (expected.damage.empty() ? 0 : 1), "check exits 1 exactly for damage");
  Require(err.str().empty(), "check of a readable file complains of nothing");
  Require(out.str() == ExpectedReport(expected, file.size()),
          "check names every damaged region and counts every call");

  std::unique_ptr<File> log;
  Require(env.OpenFile("\\srv\\LOG", FileAccess::kRead, &log).ok(), "the log opens");
  Expected scanned;
  int64_t reached = 0;
  LogScanVisitor visit;
  visit.record = [&](int64_t start, std::string_view body) {
    Require(start == reached, "records follow each other without a gap");
    Require(ScannedRecordBytes(body) == file.substr(static_cast<size_t>(start), body.size() + 4),
            "a scanned record is the file's bytes at its offset");
    ++scanned.calls;
    reached = start + static_cast<int64_t>(body.size()) + 4;
    return true;
  };
  visit.damage = [&](int64_t from, int64_t to) {
    Require(from == reached && to > from, "a damaged region starts where trust was lost");
    scanned.damage.push_back({from, to});
    reached = to;
    return true;
  };
  Require(ScanLog(*log, static_cast<int64_t>(file.size()), visit, blockBytes).ok(),
          "a readable file scans without failure");
  Require(reached == static_cast<int64_t>(file.size()), "the scan reaches the end of the file");
  Require(scanned.calls == expected.calls && scanned.damage == expected.damage,
          "small blocks give the same calls and regions as one block");
  return 0;
}
