#pragma once
// The Env of a running program on Linux.

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/env.h"
#include "platform/instance_doorbell.h"

namespace telvo {

// Turns a host name into a numeric address ("" when it cannot). Runs on the
// datagram sender's own thread, never the caller's.
using HostResolver = std::function<std::string(const std::string& host)>;

// The port of the notification datagram when the services database has no
// entry for messngr/udp.
inline constexpr uint16_t kDefaultMessengerPort = 5138;

struct PosixEnvOptions {
  std::string configDir;         // empty: $XDG_CONFIG_HOME/telvo/ or ~/.config/telvo/
  uint16_t datagramPort = 0;     // 0: messngr/udp from the services database
  HostResolver resolver;         // empty: the system resolver
  std::string instanceLockPath;  // empty: a per-user file in the runtime folder
  // Names that file ("<name>.lock"): each companion program runs once per user.
  std::string instanceName = "telvo";
};

class PosixEnv : public Env {
 public:
  explicit PosixEnv(PosixEnvOptions options = {});
  ~PosixEnv() override;

  Status OpenFile(const std::string& path, FileAccess access, std::unique_ptr<File>* file) override;
  Status FileLength(const std::string& path, int64_t* length) override;
  bool FileExists(const std::string& path) override;
  Status DeleteFile(const std::string& path) override;
  Status ReplaceFile(const std::string& from, const std::string& to) override;
  Status SyncFolderOf(const std::string& path) override;
  std::string ResolvePath(const std::string& path) override;
  std::string UnsafeShareProblem(const std::string& path) override;
  std::string WindowsDir() override;
  std::string ProgramFolder() override;

  LocalDateTime Now() override;
  double SecondsSinceMidnight() override;
  void SleepMs(int milliseconds) override;

  void SendDatagram(const std::string& host, std::string bytes) override;
  void StartProgram(const std::string& path) override;
  bool AcquireSingleInstance() override;
  void CallRunningInstance() override;
  InstanceDoorbell* Doorbell() override { return doorbell_.get(); }
  [[noreturn]] void EndProgram(int exitStatus) override;

  // Waits until every datagram handed to SendDatagram has been sent or
  // dropped, or `limitMs` has passed. True when none is left.
  bool WaitForDatagrams(int limitMs);

 private:
  struct Sending;
  std::string InstanceLockPath();
  std::string DoorbellPath();
  struct ShareVerdict {
    std::string problem;
    std::chrono::steady_clock::time_point judged;
  };
  PosixEnvOptions options_;
  // By the program path of a log's folder: a burst of posts (a forward to
  // several people, a script) judges each share once.
  std::map<std::string, ShareVerdict> shareVerdicts_;
  std::shared_ptr<Sending> sending_;
  int instanceLockFd_ = -1;
  std::unique_ptr<InstanceDoorbell> doorbell_;
};

// How long a share's verdict is trusted before the mount is judged again:
// an administrator's change of volume or mount options shows within this.
inline constexpr std::chrono::seconds kShareVerdictLifetime{10};

// How long an ending program waits for datagrams still being sent.
inline constexpr int kDatagramGraceMs = 1000;

// The notification datagram's port: messngr/udp from the services database,
// else kDefaultMessengerPort.
uint16_t MessengerPort();

// One process-wide PosixEnv with default options.
Env* DefaultEnv();

// The program path's native spelling: "\" becomes "/", and each component that
// does not exist as spelled is matched ignoring case (an exact match wins,
// then the first match in byte order). Missing components keep their spelling.
// Folders whose spelling on disk is found once are remembered while they
// exist, so opening the same file again lists no folder.
std::string ResolveProgramPath(const std::string& path);
// The file of a program path as spelled inside its folder's remembered
// spelling on disk, without looking at the disk; "" when the folder was not
// resolved before. Where that file exists, it is what ResolveProgramPath
// answers, since an exact spelling wins.
std::string RememberedSpelling(const std::string& path);
// How many folders have been listed to resolve paths so far.
int64_t FolderListingsForTesting();

}  // namespace telvo
