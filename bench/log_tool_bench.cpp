// telvo-log's pages: `list LOG --tsv` (the newest 12 calls) against
// `list LOG --before CALL --tsv` from the middle of the same log, in-process
// through RunLogTool, with every byte the commands read counted through the
// Env. A page from the middle must cost what the newest page costs: the
// call named is read where it stands, not found by a walk from byte 0.

#include <chrono>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/log_session.h"
#include "app/log_tool.h"
#include "bench_support.h"
#include "platform/posix_env.h"

namespace telvo::bench {
namespace {

using Clock = std::chrono::steady_clock;

class CountingFile : public File {
 public:
  CountingFile(std::unique_ptr<File> file, int64_t* bytes)
      : file_(std::move(file)), bytes_(bytes) {}
  Status ReadAt(int64_t offset, size_t n, std::string* out) override {
    Status s = file_->ReadAt(offset, n, out);
    *bytes_ += static_cast<int64_t>(out->size());
    return s;
  }
  Status WriteAt(int64_t offset, std::string_view data) override {
    return file_->WriteAt(offset, data);
  }
  Status Length(int64_t* length) override { return file_->Length(length); }
  Status Truncate(int64_t length) override { return file_->Truncate(length); }
  Status Sync() override { return file_->Sync(); }
  Status ReadBack(int64_t offset, size_t n, std::string* out) override {
    Status s = file_->ReadBack(offset, n, out);
    *bytes_ += static_cast<int64_t>(out->size());
    return s;
  }
  bool StillNamedByItsPath() override { return file_->StillNamedByItsPath(); }
  std::string Identity() override { return file_->Identity(); }

 private:
  std::unique_ptr<File> file_;
  int64_t* bytes_;
};

class CountingEnv : public EnvWrapper {
 public:
  using EnvWrapper::EnvWrapper;
  Status OpenFile(const std::string& path, FileAccess access,
                  std::unique_ptr<File>* file) override {
    Status s = target()->OpenFile(path, access, file);
    if (s.ok()) *file = std::make_unique<CountingFile>(std::move(*file), &bytesRead);
    return s;
  }
  int64_t bytesRead = 0;
};

struct Figure {
  double seconds = 0;  // median of the runs
  int64_t bytes = 0;   // read by one run
};

Figure Measure(const std::vector<std::string>& args, int runs) {
  PosixEnv posix;
  CountingEnv env(&posix);
  std::vector<double> seconds;
  for (int i = 0; i < runs + 20; ++i) {  // the first twenty warm the caches
    std::ostringstream out, err;
    env.bytesRead = 0;
    const auto start = Clock::now();
    if (RunLogTool(args, env, out, err) != 0) Fatal("telvo-log " + args[0] + ": " + err.str());
    if (i >= 20) seconds.push_back(std::chrono::duration<double>(Clock::now() - start).count());
  }
  return {Median(seconds), env.bytesRead};
}

}  // namespace
}  // namespace telvo::bench

int main(int argc, char** argv) {
  using namespace telvo;
  using namespace telvo::bench;
  const bool quick = TakeQuickFlag(&argc, argv);
  const int runs = quick ? 50 : 200;
  PrintTitle(
      "telvo-log list: the page before a call in the middle of the log against the "
      "newest page of the same log; median of " +
          std::to_string(runs) + " runs",
      "the newest page (list LOG --tsv)");
  for (int64_t size : {kMB, quick ? 100 * kMB : kGB}) {
    const std::string log = CachedLog(size, Marks::kKept);
    // The newest call of the shared block at the log's middle.
    const int64_t anchor =
        MiddleBlockStart(size) + RecordStarts(CachedLog(kKB, Marks::kKept)).back();
    const std::string call = CallIdentity({anchor, RecordBodyAt(log, anchor)});
    const Figure newest = Measure({"list", log, "--tsv"}, runs);
    const Figure middle = Measure({"list", log, "--before", call, "--tsv"}, runs);
    const double timeRatio = middle.seconds / newest.seconds;
    const double byteRatio = static_cast<double>(middle.bytes) / static_cast<double>(newest.bytes);
    PrintRow("middle page of a " + SizeName(size) + " log, time", Seconds(middle.seconds),
             Seconds(newest.seconds), Ratio(timeRatio), "<= 2.00x", AtMost(timeRatio, 2.0));
    PrintRow("middle page of a " + SizeName(size) + " log, bytes read",
             std::to_string(middle.bytes) + " B", std::to_string(newest.bytes) + " B",
             Ratio(byteRatio), "<= 1.50x", AtMost(byteRatio, 1.5));
  }
  return 0;
}
