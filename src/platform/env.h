#pragma once
// The only door to the operating system. Everything above the platform layer
// reaches files, the clock, the network and process control through an Env,
// so tests can substitute a fake clock or inject file failures.
//
// Paths given to and answered by an Env are the program's own: Windows-1252
// text with "\" separators, upper case where the program upper-cases them.
// The Env resolves them on disk, where names are UTF-8.

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "platform/status.h"

namespace telvo {

class InstanceDoorbell;

// An open file, locked for as long as the object lives. Offsets count from 0.
class File {
 public:
  virtual ~File() = default;
  // Reads up to n bytes at offset; fewer at the end of the file is no error.
  virtual Status ReadAt(int64_t offset, size_t n, std::string* out) = 0;
  // One write of all of data at offset; a short write fails with 61.
  virtual Status WriteAt(int64_t offset, std::string_view data) = 0;
  // The length the file holds now. On a network or FUSE file system the
  // client is made to ask its server rather than answer from cached
  // attributes, which can miss another workstation's append.
  virtual Status Length(int64_t* length) = 0;
  virtual Status Truncate(int64_t length) = 0;
  // Data sync: the contents reach the disk before success is reported.
  virtual Status Sync() = 0;
  // Like ReadAt, but past any copy of those bytes this workstation keeps,
  // so a write can be checked against what the file system itself kept.
  // Call it after Sync: only written-back bytes can be read back.
  virtual Status ReadBack(int64_t offset, size_t n, std::string* out) = 0;
  // True while the path this file was opened by still names it: false once
  // another open renamed a file over it (a purge) or removed it, or when
  // that cannot be told. Asks the file server, like Length.
  virtual bool StillNamedByItsPath() = 0;
  // Names this file among all files of the system ("device:inode"): a file
  // renamed over it has another. "" when it cannot be told.
  virtual std::string Identity() = 0;
};

enum class FileAccess {
  // Read only, shared lock: readers exclude writers but not each other.
  kRead,
  // Read and write, exclusive lock, created when missing; a file this open
  // creates has its folder synced, so it outlives a power cut. A file that
  // may be written but not read is opened for writing only; its reads then
  // fail with 75. A symbolic link is refused with kSymbolicLink, here and
  // for kRewrite.
  kUpdate,
  // Like kUpdate, but the contents are emptied after the lock is granted:
  // a work file, which its writer renames over the file it replaces and
  // then syncs that folder, so its creation alone is not synced.
  kRewrite,
};

struct LocalDateTime {
  int year = 0, month = 0, day = 0;
  int hour = 0, minute = 0, second = 0;
};

class Env {
 public:
  virtual ~Env() = default;

  // Opens and locks without ever blocking: a lock held elsewhere is 70.
  virtual Status OpenFile(const std::string& path, FileAccess access,
                          std::unique_ptr<File>* file) = 0;
  virtual Status FileLength(const std::string& path, int64_t* length) = 0;
  virtual bool FileExists(const std::string& path) = 0;
  virtual Status DeleteFile(const std::string& path) = 0;
  // Renames `from` over `to`, which it replaces. `from` first takes the
  // permission bits of the file it replaces (and its group, where this user
  // may give it), since colleagues write the same shared files and a rewrite
  // must never lock them out. The caller syncs the folder afterwards.
  virtual Status ReplaceFile(const std::string& from, const std::string& to) = 0;
  // Syncs the folder that holds `path`, so a rename in it is durable.
  virtual Status SyncFolderOf(const std::string& path) = 0;
  // The native path that a program path names on disk.
  virtual std::string ResolvePath(const std::string& path) = 0;
  // Why the file system under `path` cannot be trusted to keep a call
  // appended there (locks that stay on this workstation, client caches that
  // hide other workstations' writes), as a text for people naming the
  // setting to change; "" when nothing known makes it unsafe.
  virtual std::string UnsafeShareProblem(const std::string& path) = 0;
  // The user's configuration folder, ending in "/".
  virtual std::string WindowsDir() = 0;
  // The folder of the running program, ending in "/": its companion
  // programs are installed beside it.
  virtual std::string ProgramFolder() = 0;

  virtual LocalDateTime Now() = 0;
  // Seconds since local midnight, with a fraction.
  virtual double SecondsSinceMidnight() = 0;
  virtual void SleepMs(int milliseconds) = 0;

  // Fire-and-forget: returns at once; resolution and send happen elsewhere
  // and failures are dropped.
  virtual void SendDatagram(const std::string& host, std::string bytes) = 0;
  // Starts a program detached, without a shell; failures are ignored.
  virtual void StartProgram(const std::string& path) = 0;
  // True when this is the only running instance for the user. That
  // instance then listens for later starts (InstanceDoorbell).
  virtual bool AcquireSingleInstance() = 0;
  // Asks the running instance to bring its window to the front; dropped
  // when it cannot be asked.
  virtual void CallRunningInstance() = 0;
  // Where later starts ring, once AcquireSingleInstance has succeeded;
  // nothing when no channel could be made.
  virtual InstanceDoorbell* Doorbell() = 0;
  // Ends the program at once; no further handler runs.
  [[noreturn]] virtual void EndProgram(int exitStatus) = 0;
};

// Forwards every call to another Env; test doubles override a few calls.
class EnvWrapper : public Env {
 public:
  explicit EnvWrapper(Env* target) : target_(target) {}
  Env* target() const { return target_; }

  Status OpenFile(const std::string& path, FileAccess access,
                  std::unique_ptr<File>* file) override {
    return target_->OpenFile(path, access, file);
  }
  Status FileLength(const std::string& path, int64_t* length) override {
    return target_->FileLength(path, length);
  }
  bool FileExists(const std::string& path) override { return target_->FileExists(path); }
  Status DeleteFile(const std::string& path) override { return target_->DeleteFile(path); }
  Status ReplaceFile(const std::string& from, const std::string& to) override {
    return target_->ReplaceFile(from, to);
  }
  Status SyncFolderOf(const std::string& path) override { return target_->SyncFolderOf(path); }
  std::string ResolvePath(const std::string& path) override { return target_->ResolvePath(path); }
  std::string UnsafeShareProblem(const std::string& path) override {
    return target_->UnsafeShareProblem(path);
  }
  std::string WindowsDir() override { return target_->WindowsDir(); }
  std::string ProgramFolder() override { return target_->ProgramFolder(); }
  LocalDateTime Now() override { return target_->Now(); }
  double SecondsSinceMidnight() override { return target_->SecondsSinceMidnight(); }
  void SleepMs(int milliseconds) override { target_->SleepMs(milliseconds); }
  void SendDatagram(const std::string& host, std::string bytes) override {
    target_->SendDatagram(host, std::move(bytes));
  }
  void StartProgram(const std::string& path) override { target_->StartProgram(path); }
  bool AcquireSingleInstance() override { return target_->AcquireSingleInstance(); }
  void CallRunningInstance() override { target_->CallRunningInstance(); }
  InstanceDoorbell* Doorbell() override { return target_->Doorbell(); }
  [[noreturn]] void EndProgram(int exitStatus) override {
    target_->EndProgram(exitStatus);
    std::abort();  // not reached: every Env ends the program here
  }

 private:
  Env* target_;
};

}  // namespace telvo
