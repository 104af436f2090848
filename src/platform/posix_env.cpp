#include "platform/posix_env.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

#include "platform/code_page.h"
#include "platform/posix_file.h"
#include "platform/share_check.h"

namespace telvo {
namespace {

void MakeFolders(const std::string& path) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    ::mkdir(path.substr(0, slash).c_str(), 0700);
  }
  ::mkdir(path.c_str(), 0700);
}

std::string HomeConfigDir() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && *xdg) return std::string(xdg) + "/telvo/";
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : "/tmp") + "/.config/telvo/";
}

std::string SystemResolve(const std::string& host) {
  addrinfo hints = {};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* result = nullptr;
  if (::getaddrinfo(host.c_str(), nullptr, &hints, &result) != 0 || !result) return "";
  char text[INET6_ADDRSTRLEN] = {};
  const void* addr =
      result->ai_family == AF_INET6
          ? static_cast<const void*>(&reinterpret_cast<sockaddr_in6*>(result->ai_addr)->sin6_addr)
          : static_cast<const void*>(&reinterpret_cast<sockaddr_in*>(result->ai_addr)->sin_addr);
  ::inet_ntop(result->ai_family, addr, text, sizeof text);
  ::freeaddrinfo(result);
  return text;
}

void SendTo(const std::string& address, uint16_t port, const std::string& bytes) {
  sockaddr_storage storage = {};
  socklen_t size;
  int family;
  auto* v4 = reinterpret_cast<sockaddr_in*>(&storage);
  auto* v6 = reinterpret_cast<sockaddr_in6*>(&storage);
  if (::inet_pton(AF_INET, address.c_str(), &v4->sin_addr) == 1) {
    family = v4->sin_family = AF_INET;
    v4->sin_port = htons(port);
    size = sizeof *v4;
  } else if (::inet_pton(AF_INET6, address.c_str(), &v6->sin6_addr) == 1) {
    family = v6->sin6_family = AF_INET6;
    v6->sin6_port = htons(port);
    size = sizeof *v6;
  } else {
    return;
  }
  int fd = ::socket(family, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return;
  ::sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&storage), size);
  ::close(fd);
}

}  // namespace

// The datagrams on their way, shared with the threads that send them: a
// thread may outlive the Env when the program ends before it is done.
struct PosixEnv::Sending {
  std::mutex mutex;
  std::condition_variable done;
  int pending = 0;
};

PosixEnv::PosixEnv(PosixEnvOptions options)
    : options_(std::move(options)), sending_(std::make_shared<Sending>()) {}

PosixEnv::~PosixEnv() {
  // A program that returns from main has its last notification sent first.
  WaitForDatagrams(kDatagramGraceMs);
  // The doorbell goes before the lock: once the lock is free, the socket
  // at its path may be a new instance's.
  doorbell_.reset();
  if (instanceLockFd_ >= 0) ::close(instanceLockFd_);
}

Status PosixEnv::OpenFile(const std::string& path, FileAccess access, std::unique_ptr<File>* file) {
  if (path.empty()) return Status::Error(kBadFileName);
  // A file in a folder resolved before is opened as spelled there first:
  // that it opens shows the spelling right without a lookup of its own, a
  // round trip on a share. Only a file missing as spelled is resolved.
  const std::string remembered = RememberedSpelling(path);
  if (!remembered.empty()) {
    Status status = OpenLockedFile(remembered, access, file, /*createMissing=*/false);
    if (status.code() != kFileNotFound && status.code() != kPathNotFound) return status;
  }
  return OpenLockedFile(ResolvePath(path), access, file);
}

Status PosixEnv::FileLength(const std::string& path, int64_t* length) {
  std::string native = ResolvePath(path);
  struct stat st;
  if (path.empty()) return Status::Error(kBadFileName);
  if (::stat(native.c_str(), &st) != 0) return StatusFromErrno(errno, native);
  *length = st.st_size;
  return Status::Ok();
}

bool PosixEnv::FileExists(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(ResolvePath(path).c_str(), &st) == 0;
}

Status PosixEnv::DeleteFile(const std::string& path) {
  std::string native = ResolvePath(path);
  if (path.empty()) return Status::Error(kBadFileName);
  if (::unlink(native.c_str()) != 0) return StatusFromErrno(errno, native);
  return Status::Ok();
}

Status PosixEnv::ReplaceFile(const std::string& from, const std::string& to) {
  std::string source = ResolvePath(from), target = ResolvePath(to);
  if (from.empty() || to.empty()) return Status::Error(kBadFileName);
  struct stat old;
  if (::stat(target.c_str(), &old) == 0) {
    // The group first: changing it may clear the setgid bit, which the
    // bits then set again.
    if (::chown(source.c_str(), static_cast<uid_t>(-1), old.st_gid) != 0) {
      // Only root or a member of the group may give a file that group; the
      // bits alone still let every colleague in that the old file let in.
    }
    if (::chmod(source.c_str(), old.st_mode & 07777) != 0) return StatusFromErrno(errno, source);
  }
  if (::rename(source.c_str(), target.c_str()) != 0) return StatusFromErrno(errno, source);
  return Status::Ok();
}

Status PosixEnv::SyncFolderOf(const std::string& path) {
  return SyncFolderOfNative(ResolvePath(path));
}

std::string PosixEnv::ResolvePath(const std::string& path) { return ResolveProgramPath(path); }

std::string PosixEnv::UnsafeShareProblem(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  const std::string folder = slash == std::string::npos ? path : path.substr(0, slash);
  const auto now = std::chrono::steady_clock::now();
  auto known = shareVerdicts_.find(folder);
  if (known != shareVerdicts_.end() && now - known->second.judged < kShareVerdictLifetime)
    return known->second.problem;
  // A workgroup has a few dozen folders; the bound only stops a long run
  // from keeping stale ones without end.
  if (shareVerdicts_.size() >= 4096) shareVerdicts_.clear();
  ShareVerdict& verdict = shareVerdicts_[folder];
  verdict = {InspectShare(FolderOf(ResolvePath(path))).problem, now};
  return verdict.problem;
}

// The folders below are answered as program text (the code page), like every
// other path the program holds; ResolvePath turns them back into UTF-8.
std::string PosixEnv::WindowsDir() {
  std::string dir = options_.configDir.empty() ? HomeConfigDir() : options_.configDir;
  if (dir.back() != '/') dir += '/';
  MakeFolders(dir.substr(0, dir.size() - 1));
  return Utf8ToCp1252(dir);
}

std::string PosixEnv::ProgramFolder() {
  char buffer[4096];
  ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return "./";
  std::string path(buffer, static_cast<size_t>(n));
  return Utf8ToCp1252(path.substr(0, path.rfind('/') + 1));
}

LocalDateTime PosixEnv::Now() {
  time_t now = ::time(nullptr);
  tm local;
  ::localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour,        local.tm_min,     local.tm_sec};
}

double PosixEnv::SecondsSinceMidnight() {
  timespec ts;
  ::clock_gettime(CLOCK_REALTIME, &ts);
  tm local;
  ::localtime_r(&ts.tv_sec, &local);
  return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec +
         static_cast<double>(ts.tv_nsec) / 1e9;
}

void PosixEnv::SleepMs(int milliseconds) {
  timespec ts{milliseconds / 1000, (milliseconds % 1000) * 1000000L};
  while (::nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

void PosixEnv::SendDatagram(const std::string& host, std::string bytes) {
  // An empty name can never be reached; don't spend a thread on it.
  if (host.empty()) return;
  HostResolver resolve = options_.resolver ? options_.resolver : HostResolver(SystemResolve);
  const uint16_t fixedPort = options_.datagramPort;
  {
    std::lock_guard<std::mutex> lock(sending_->mutex);
    ++sending_->pending;
  }
  std::thread([sending = sending_, resolve, host, fixedPort, bytes = std::move(bytes)] {
    std::string address = resolve(host);
    // The services database is read only when a datagram goes out, never at
    // start-up.
    if (!address.empty()) SendTo(address, fixedPort ? fixedPort : MessengerPort(), bytes);
    std::lock_guard<std::mutex> lock(sending->mutex);
    --sending->pending;
    sending->done.notify_all();
  }).detach();
}

bool PosixEnv::WaitForDatagrams(int limitMs) {
  std::unique_lock<std::mutex> lock(sending_->mutex);
  return sending_->done.wait_for(lock, std::chrono::milliseconds(limitMs),
                                 [this] { return sending_->pending == 0; });
}

void PosixEnv::StartProgram(const std::string& path) {
  std::string native = ResolvePath(path);
  if (native.empty()) return;
  char* argv[] = {native.data(), nullptr};
  // Double fork: the program runs in its own session and is never our child,
  // so it outlives us and leaves no zombie.
  pid_t child = ::fork();
  if (child == 0) {
    ::setsid();
    if (::fork() == 0) {
      int devnull = ::open("/dev/null", O_RDWR);
      if (devnull >= 0) {
        ::dup2(devnull, 0);
        ::dup2(devnull, 1);
        ::dup2(devnull, 2);
      }
      ::execv(native.c_str(), argv);
    }
    ::_exit(0);
  }
  if (child > 0) ::waitpid(child, nullptr, 0);
}

uint16_t MessengerPort() {
  servent entry;
  servent* found = nullptr;
  char buffer[1024];
  if (::getservbyname_r("messngr", "udp", &entry, buffer, sizeof buffer, &found) == 0 && found)
    return ntohs(static_cast<uint16_t>(found->s_port));
  return kDefaultMessengerPort;
}

std::string PosixEnv::InstanceLockPath() {
  if (!options_.instanceLockPath.empty()) return options_.instanceLockPath;
  // Never a folder that others may write, such as /tmp: anyone could
  // create and lock the file there and keep this user's Telvo from
  // starting.
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const std::string file = options_.instanceName + ".lock";
  return runtime && *runtime ? std::string(runtime) + "/" + file : ResolvePath(WindowsDir()) + file;
}

// The doorbell lies beside the lock: "telvo.lock" rings at "telvo.socket".
std::string PosixEnv::DoorbellPath() {
  std::string path = InstanceLockPath();
  if (path.size() > 5 && path.compare(path.size() - 5, 5, ".lock") == 0)
    path.resize(path.size() - 5);
  return path + ".socket";
}

bool PosixEnv::AcquireSingleInstance() {
  if (instanceLockFd_ >= 0) return true;
  const std::string path = InstanceLockPath();
  // A link planted in place of the file must not lead the lock elsewhere.
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return true;  // no lock file possible: don't refuse to run
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return false;
  }
  instanceLockFd_ = fd;
  doorbell_ = InstanceDoorbell::Listen(DoorbellPath());
  return true;
}

void PosixEnv::CallRunningInstance() { RingInstanceDoorbell(DoorbellPath()); }

void PosixEnv::EndProgram(int exitStatus) {
  WaitForDatagrams(kDatagramGraceMs);
  std::fflush(nullptr);
  std::_Exit(exitStatus);
}

Env* DefaultEnv() {
  static PosixEnv env;
  return &env;
}

}  // namespace telvo
