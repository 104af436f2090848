#pragma once
// An Env whose files live in memory, for the fuzz targets: each run starts
// from a known set of files at a rate no real file system allows, and leaves
// nothing behind on disk. Paths are the program's own, compared as given;
// locks are not modelled, since a fuzz run is one thread in one process.

#include <map>
#include <memory>
#include <stdexcept>
#include <string>

#include "platform/env.h"

namespace telvo::fuzz {

// Thrown where the program would end, so a target can go on to its next input.
struct ProgramEnded : std::runtime_error {
  ProgramEnded() : std::runtime_error("program ended") {}
};

class MemoryEnv : public Env {
 public:
  // Files by program path. A file that an open holds shares its bytes with
  // this map, so what a File writes is seen here at once.
  std::map<std::string, std::shared_ptr<std::string>> files;

  // Makes the n-th file operation from now on (opens, reads, writes, cuts,
  // syncs, renames; counting from 1) fail with `code`; 0 fails none.
  void FailOperation(int n, int code) {
    failAt_ = n;
    failCode_ = code;
  }
  // The status of the next file operation of a kind ("open", "read",
  // "write", "truncate", "sync", "delete", "rename"): the injected failure
  // or success.
  Status NextOperation(const char* kind);
  // The kind of operation that the injected failure hit, or "" before it.
  const std::string& failedKind() const { return failedKind_; }

  void Put(const std::string& path, std::string bytes);
  // The file's bytes, or "" for a missing file.
  std::string Get(const std::string& path) const;

  Status OpenFile(const std::string& path, FileAccess access, std::unique_ptr<File>* file) override;
  Status FileLength(const std::string& path, int64_t* length) override;
  bool FileExists(const std::string& path) override { return files.count(path) > 0; }
  Status DeleteFile(const std::string& path) override;
  Status ReplaceFile(const std::string& from, const std::string& to) override;
  Status SyncFolderOf(const std::string&) override { return NextOperation("sync"); }
  std::string ResolvePath(const std::string& path) override;
  std::string UnsafeShareProblem(const std::string&) override { return ""; }
  std::string WindowsDir() override { return "/CFG/"; }
  std::string ProgramFolder() override { return "/BIN/"; }

  // A clock that moves only when someone waits, so lock retries and pauses
  // cost nothing.
  LocalDateTime Now() override { return {2026, 12, 6, 9, 5, 0}; }
  double SecondsSinceMidnight() override { return static_cast<double>(millis_) / 1000.0; }
  void SleepMs(int milliseconds) override { millis_ += milliseconds; }

  void SendDatagram(const std::string&, std::string) override {}
  void StartProgram(const std::string&) override {}
  bool AcquireSingleInstance() override { return true; }
  void CallRunningInstance() override {}
  InstanceDoorbell* Doorbell() override { return nullptr; }
  [[noreturn]] void EndProgram(int) override { throw ProgramEnded(); }

 private:
  int operations_ = 0;
  int failAt_ = 0;
  int failCode_ = 0;
  std::string failedKind_;
  long long millis_ = (9 * 3600 + 5 * 60) * 1000LL;
};

}  // namespace telvo::fuzz
