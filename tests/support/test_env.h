#pragma once
// Test doubles for the platform layer.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/env.h"
#include "platform/posix_env.h"

namespace telvo::test {

// A failed operation in a test's message names its code and its file.
inline ::testing::AssertionResult IsOk(const char* expression, const Status& status) {
  if (status.ok()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << expression << " failed: " << status.ToString();
}

}  // namespace telvo::test

#define ASSERT_OK(expression) ASSERT_PRED_FORMAT1(::telvo::test::IsOk, expression)
#define EXPECT_OK(expression) EXPECT_PRED_FORMAT1(::telvo::test::IsOk, expression)

namespace telvo::test {

// Thrown where the program would end, so a test can see that it did.
struct ProgramEnded : std::runtime_error {
  explicit ProgramEnded(int exitStatus) : std::runtime_error("program ended"), status(exitStatus) {}
  int status;
};

// A clock that stands still until someone waits: every wait advances it at
// once. Ending the program throws ProgramEnded.
class FakeClockEnv : public EnvWrapper {
 public:
  explicit FakeClockEnv(Env* target);

  void SetNow(const LocalDateTime& now);
  LocalDateTime Now() override;
  double SecondsSinceMidnight() override { return static_cast<double>(millis_) / 1000.0; }
  void SleepMs(int milliseconds) override;
  [[noreturn]] void EndProgram(int exitStatus) override { throw ProgramEnded(exitStatus); }

  int64_t sleptMs() const { return sleptMs_; }

 private:
  LocalDateTime date_{2026, 12, 6, 9, 5, 0};
  int64_t millis_ = (9 * 3600 + 5 * 60) * 1000;
  int64_t sleptMs_ = 0;
};

enum class FileOp { kOpen, kRead, kWrite, kTruncate, kRename, kSync, kFolderSync, kDelete };

// A file as the disk keeps it through a power cut: its contents, `known`
// once read before the first change through the Env, and a link `kept`
// to it once a rename or removal may have to be undone.
struct DurableFile {
  std::string identity{};
  bool known = false;
  std::string bytes{};
  std::string kept{};
};

// Makes the n-th operation of a kind (counting from 1, over all files the
// Env opens) fail with a chosen run-time error code, counts operations and
// bytes read, and cuts the power (test_env.cpp says what that models).
class FaultInjectionEnv : public EnvWrapper {
 public:
  explicit FaultInjectionEnv(Env* target) : EnvWrapper(target) {}
  ~FaultInjectionEnv() override;

  void FailNth(FileOp op, int n, int code) { faults_[{op, n}] = code; }
  // Once `operations` more file operations of any kind have run, every
  // later one fails with kDeviceIoError: the machine is off, and nothing
  // the program still tries reaches the disk.
  void CutPowerAfter(int operations) { powerLeft_ = operations; }
  // True once an operation failed for want of power.
  bool powerWasCut() const { return powerWasCut_; }
  // Leaves the files as the disk shows them after a power cut now, and
  // turns the power on again. Call it with no File of this Env open. A file
  // the test writes itself is taken as durable only until this Env first
  // sees it after construction or the last power cut.
  void DropUnsyncedData();
  // The n-th write writes only half of its bytes, then fails with 61.
  void ShortWriteNth(int n) { shortWrites_[n] = true; }
  // What a share's client cache can do: the n-th write reports success and
  // writes nothing; every length is answered `bytes` short of the truth;
  // `hook` runs after each sync.
  void DropWriteNth(int n) { droppedWrites_[n] = true; }
  void AnswerLengthsShortBy(int64_t bytes) { staleLengthBy_ = bytes; }
  void OnSync(std::function<void()> hook) { afterSync_ = std::move(hook); }
  // Every path then lies on a share with this problem; the paths asked
  // about are kept in sharesAsked.
  void PutOnUnsafeShare(std::string problem) { shareProblem_ = std::move(problem); }
  std::string UnsafeShareProblem(const std::string& path) override {
    sharesAsked.push_back(path);
    return shareProblem_;
  }
  std::vector<std::string> sharesAsked;
  int count(FileOp op) const;
  int64_t bytesRead() const { return bytesRead_; }
  void ResetCounts();

  Status OpenFile(const std::string& path, FileAccess access, std::unique_ptr<File>* file) override;
  Status ReplaceFile(const std::string& from, const std::string& to) override;
  Status SyncFolderOf(const std::string& path) override;
  Status DeleteFile(const std::string& path) override;
  // Runs just before each replacement with the path being replaced.
  void BeforeReplace(std::function<void(const std::string&)> hook) {
    beforeReplace_ = std::move(hook);
  }

  // Called by the wrapped files.
  Status Next(FileOp op);
  bool NextWriteIsShort() { return shortWrites_.count(count(FileOp::kWrite)) > 0; }
  bool NextWriteIsDropped() { return droppedWrites_.count(count(FileOp::kWrite)) > 0; }
  int64_t staleLengthBy() const { return staleLengthBy_; }
  void AfterSync() {
    if (afterSync_) afterSync_();
  }
  void AddBytesRead(int64_t n) { bytesRead_ += n; }
  // Notes a file's contents before they first change.
  static void KeepBeforeChange(DurableFile* file, const std::function<std::string()>& read);

 private:
  std::shared_ptr<DurableFile> FileNamed(const std::string& nativePath);
  void NoteName(const std::string& nativePath);
  void NamesMadeDurable(const std::string& folder);
  void KeepBeforeItsNameGoes(const std::string& nativePath);

  int powerLeft_ = -1;  // operations until the cut; -1: none planned
  bool powerWasCut_ = false;
  // Every file seen through this Env, by identity, and what each name seen
  // holds after a power cut (nullptr: no file).
  std::map<std::string, std::shared_ptr<DurableFile>> files_;
  std::map<std::string, std::shared_ptr<DurableFile>> durableNames_;
  std::string keptFolder_;  // holds the links `kept`
  std::map<std::pair<FileOp, int>, int> faults_;
  std::map<int, bool> shortWrites_;
  std::map<int, bool> droppedWrites_;
  int64_t staleLengthBy_ = 0;
  std::function<void()> afterSync_;
  std::string shareProblem_;
  std::map<FileOp, int> counts_;
  std::function<void(const std::string&)> beforeReplace_;
  int64_t bytesRead_ = 0;
};

// Records the programs it is asked to start instead of starting them.
class StartRecordingEnv : public EnvWrapper {
 public:
  using EnvWrapper::EnvWrapper;
  void StartProgram(const std::string& path) override { started.push_back(path); }
  std::vector<std::string> started;
};

// A fresh folder under the system's temporary folder, removed afterwards.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::string ReadWholeFile(const std::string& nativePath);
void WriteWholeFile(const std::string& nativePath, const std::string& bytes);

}  // namespace telvo::test
