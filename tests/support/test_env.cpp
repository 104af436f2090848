#include "support/test_env.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace telvo::test {
namespace {

class FaultyFile : public File {
 public:
  FaultyFile(FaultInjectionEnv* env, std::unique_ptr<File> file)
      : env_(env), file_(std::move(file)) {}

  Status ReadAt(int64_t offset, size_t n, std::string* out) override {
    Status s = env_->Next(FileOp::kRead);
    if (!s.ok()) return s;
    s = file_->ReadAt(offset, n, out);
    env_->AddBytesRead(static_cast<int64_t>(out->size()));
    return s;
  }
  Status WriteAt(int64_t offset, std::string_view data) override {
    Status s = env_->Next(FileOp::kWrite);
    if (!s.ok()) return s;
    if (env_->NextWriteIsDropped()) return Status::Ok();
    if (env_->NextWriteIsShort()) {
      // Half the bytes reach the file whatever this says: a short write.
      static_cast<void>(file_->WriteAt(offset, data.substr(0, data.size() / 2)));
      return Status::Error(kDiskFull);
    }
    return file_->WriteAt(offset, data);
  }
  Status Length(int64_t* length) override {
    Status s = file_->Length(length);
    if (s.ok()) *length -= std::min(*length, env_->staleLengthBy());
    return s;
  }
  Status Truncate(int64_t length) override {
    Status s = env_->Next(FileOp::kTruncate);
    return s.ok() ? file_->Truncate(length) : s;
  }
  Status Sync() override {
    Status s = env_->Next(FileOp::kSync);
    if (s.ok()) s = file_->Sync();
    env_->AfterSync();
    return s;
  }
  Status ReadBack(int64_t offset, size_t n, std::string* out) override {
    Status s = env_->Next(FileOp::kRead);
    return s.ok() ? file_->ReadBack(offset, n, out) : s;
  }
  bool StillNamedByItsPath() override { return file_->StillNamedByItsPath(); }
  std::string Identity() override { return file_->Identity(); }

 private:
  FaultInjectionEnv* env_;
  std::unique_ptr<File> file_;
};

}  // namespace

FakeClockEnv::FakeClockEnv(Env* target) : EnvWrapper(target) {}

void FakeClockEnv::SetNow(const LocalDateTime& now) {
  date_ = now;
  millis_ = (now.hour * 3600 + now.minute * 60 + now.second) * 1000LL;
}

LocalDateTime FakeClockEnv::Now() {
  LocalDateTime now = date_;
  int64_t seconds = millis_ / 1000 % 86400;
  now.hour = static_cast<int>(seconds / 3600);
  now.minute = static_cast<int>(seconds / 60 % 60);
  now.second = static_cast<int>(seconds % 60);
  return now;
}

void FakeClockEnv::SleepMs(int milliseconds) {
  millis_ += milliseconds;
  sleptMs_ += milliseconds;
}

int FaultInjectionEnv::count(FileOp op) const {
  auto it = counts_.find(op);
  return it == counts_.end() ? 0 : it->second;
}

void FaultInjectionEnv::ResetCounts() {
  counts_.clear();
  bytesRead_ = 0;
}

Status FaultInjectionEnv::Next(FileOp op) {
  int n = ++counts_[op];
  auto it = faults_.find({op, n});
  return it == faults_.end() ? Status::Ok() : Status::Error(it->second);
}

Status FaultInjectionEnv::OpenFile(const std::string& path, FileAccess access,
                                   std::unique_ptr<File>* file) {
  Status s = Next(FileOp::kOpen);
  if (!s.ok()) return s;
  std::unique_ptr<File> inner;
  s = target()->OpenFile(path, access, &inner);
  if (s.ok()) *file = std::make_unique<FaultyFile>(this, std::move(inner));
  return s;
}

Status FaultInjectionEnv::ReplaceFile(const std::string& from, const std::string& to) {
  if (beforeReplace_) beforeReplace_(to);
  Status s = Next(FileOp::kRename);
  return s.ok() ? target()->ReplaceFile(from, to) : s;
}

TempDir::TempDir() {
  // Digits only: the program upper-cases paths, and a name that differs from
  // another test's only in case would resolve to the wrong folder.
  static int counter = 0;
  for (;;) {
    path_ = (std::filesystem::temp_directory_path() /
             ("telvo-test-" + std::to_string(::getpid()) + "-" + std::to_string(++counter)))
                .string();
    std::error_code error;
    if (std::filesystem::create_directory(path_, error)) return;
    if (error) throw std::runtime_error("cannot create " + path_);
  }
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string ReadWholeFile(const std::string& nativePath) {
  std::ifstream in(nativePath, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteWholeFile(const std::string& nativePath, const std::string& bytes) {
  std::ofstream out(nativePath, std::ios::binary | std::ios::trunc);
  out << bytes;
}

}  // namespace telvo::test
