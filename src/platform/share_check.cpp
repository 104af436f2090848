// Judging the mount under a shared folder, and trying it. The judgement is
// the administrator's checklist in docs/DEPLOYMENT.md turned into a table:
// it reads only what /proc and a GlusterFS client's .meta folder show, so it
// is cheap enough to ask before every post. The probe writes a file of its
// own and is for telvo-log check-share only.

#include "platform/share_check.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <initializer_list>

namespace telvo {
namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> fields;
  size_t from = 0;
  for (;;) {
    size_t to = text.find(separator, from);
    fields.push_back(text.substr(from, to - from));
    if (to == std::string::npos) return fields;
    from = to + 1;
  }
}

std::string Join(const std::vector<std::string>& items, const std::string& separator) {
  std::string joined;
  for (const std::string& item : items) joined += (joined.empty() ? "" : separator) + item;
  return joined;
}

std::string BaseName(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The kernel writes a blank, tab, newline or backslash in a mountinfo field
// as "\" and three octal digits.
std::string Unescape(const std::string& field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3' &&
        field[i + 2] >= '0' && field[i + 2] <= '7' && field[i + 3] >= '0' && field[i + 3] <= '7') {
      out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                               (field[i + 3] - '0'));
      i += 3;
    } else {
      out += field[i];
    }
  }
  return out;
}

// A small file read whole: /proc files report no size, so read to the end.
bool ReadSmallFile(const std::string& path, std::string* text) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  text->clear();
  char buffer[8192];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0 || text->size() > (4 << 20)) {
      ::close(fd);
      return n == 0;
    }
    text->append(buffer, static_cast<size_t>(n));
  }
}

bool HasOption(const std::string& options, const std::string& option) {
  for (const std::string& item : Split(options, ','))
    if (item == option) return true;
  return false;
}

bool IsLocalFileSystem(const std::string& type) {
  for (const char* local :
       {"devtmpfs", "overlay", "ext2", "ext3", "ext4", "xfs", "btrfs", "tmpfs", "ramfs", "f2fs",
        "zfs", "jfs", "reiserfs", "nilfs2", "bcachefs", "vfat", "exfat", "ntfs3"})
    if (type == local) return true;
  return false;
}

// The caching translators of a GlusterFS client that can answer a length,
// a name or file bytes without asking the bricks, and the volume option that
// takes each out of the client's graph.
struct GlusterCache {
  const char* translator;
  const char* option;
};
constexpr GlusterCache kGlusterCaches[] = {
    {"performance/write-behind", "performance.write-behind"},
    {"performance/read-ahead", "performance.read-ahead"},
    {"performance/readdir-ahead", "performance.readdir-ahead"},
    {"performance/io-cache", "performance.io-cache"},
    {"performance/quick-read", "performance.quick-read"},
    {"performance/open-behind", "performance.open-behind"},
    {"performance/md-cache", "performance.stat-prefetch"},
    {"performance/nl-cache", "performance.nl-cache"},
};

// "vm:/office" and "vm:office/sub" name the volume "office".
std::string GlusterVolume(const std::string& source) {
  size_t colon = source.rfind(':');
  std::string volume = colon == std::string::npos ? "" : source.substr(colon + 1);
  while (!volume.empty() && volume[0] == '/') volume.erase(0, 1);
  volume = volume.substr(0, volume.find('/'));
  return volume.empty() ? "VOLUME" : volume;
}

// The value of `option` on the client's command line ("--name=value" or
// "--name value"), or "" when it is not given.
std::string CommandLineValue(const std::string& commandLine, const std::string& option) {
  std::vector<std::string> words;
  for (const std::string& word : Split(commandLine, ' '))
    if (!word.empty()) words.push_back(word);
  std::string value;
  for (size_t i = 0; i < words.size(); ++i) {
    if (words[i].rfind(option + "=", 0) == 0) {
      value = words[i].substr(option.size() + 1);
    } else if (words[i] == option && i + 1 < words.size()) {
      value = words[++i];
    }
  }
  return value;
}

// A FUSE timeout of the client's command line, as "0" or "1 (default)";
// `zero` tells whether it is off.
std::string GlusterTimeout(const std::string& commandLine, const std::string& option, bool* zero) {
  const std::string value = CommandLineValue(commandLine, option);
  if (value.empty()) {
    *zero = false;
    return "1 (default)";
  }
  char* end = nullptr;
  const double seconds = std::strtod(value.c_str(), &end);
  *zero = *end == '\0' && seconds == 0;
  return value;
}

// Whether the client reads and writes past the kernel's page cache, which
// otherwise keeps a file's pages across opens: a mark written in place
// through another mount then stays unseen here.
std::string GlusterDirectIo(const std::string& commandLine, bool* direct) {
  const std::string value = CommandLineValue(commandLine, "--direct-io-mode");
  *direct = value == "enable" || value == "yes" || value == "true" || value == "on";
  return value.empty() ? "auto (default)" : value;
}

bool ForwardsLocks(const std::vector<std::string>& arguments) {
  bool forwarding = false;  // bindfs's default
  for (size_t i = 1; i < arguments.size(); ++i) {
    const std::string& word = arguments[i];
    std::string options;
    if (word == "-o" && i + 1 < arguments.size()) {
      options = arguments[++i];
    } else if (word.rfind("-o", 0) == 0) {
      options = word.substr(2);
    } else if (word.rfind("--", 0) == 0) {
      options = word.substr(2);
    }
    for (const std::string& option : Split(options, ',')) {
      if (option == "enable-lock-forwarding") forwarding = true;
      if (option == "disable-lock-forwarding") forwarding = false;
    }
  }
  return forwarding;
}

class Judge {
 public:
  explicit Judge(const MountEntry& mount) {
    report_.mount = mount;
    Add("file system",
        mount.fileSystem + " from " + mount.source + " at " + mount.mountPoint + ", options " +
            mount.mountOptions,
        Verdict::kSafe);
  }

  void Add(std::string name, std::string value, Verdict verdict, std::string advice = "") {
    report_.findings.push_back({std::move(name), std::move(value), verdict, std::move(advice)});
  }

  // Locks that stay on this workstation: `what` names the share and its
  // setting, `change` the remedy.
  void LocalLocks(const std::string& value, const std::string& what, const std::string& change) {
    Add("locks", value, Verdict::kUnsafe, change);
    Problem(what +
            ", which keeps locks on this workstation, so two workstations can append to "
            "one log at once. " +
            change + ".");
  }

  void Problem(const std::string& text) {
    report_.problem = "The shared folder " + report_.mount.mountPoint + " is " + text;
  }

  ShareReport Finish() {
    for (const ShareFinding& finding : report_.findings)
      if (finding.verdict == Verdict::kUnsafe) report_.findings[0].verdict = Verdict::kUnsafe;
    return std::move(report_);
  }

 private:
  ShareReport report_;
};

// GlusterFS's FUSE client keeps attributes and names for a second unless
// told otherwise, and the kernel keeps file pages across opens.
const char kMountOptions[] = "-o attribute-timeout=0,entry-timeout=0,direct-io-mode=enable";

void JudgeGluster(const MountEntry& mount, const GlusterClient& client, Judge* judge) {
  judge->Add("locks", "kept by the volume's bricks", Verdict::kSafe);
  const std::string volume = GlusterVolume(mount.source);
  std::vector<std::string> caches, options, commands;
  for (const GlusterCache& cache : kGlusterCaches) {
    for (const std::string& type : client.translatorTypes) {
      if (type != cache.translator) continue;
      caches.push_back(BaseName(type));
      options.push_back(cache.option);
      commands.push_back("gluster volume set " + volume + " " + cache.option + " off");
      break;
    }
  }
  if (!client.graphRead) {
    judge->Add(
        "gluster client caches",
        "the check could not tell: the client's .meta/graphs/active/volfile could not be read",
        Verdict::kNotChecked);
  } else if (caches.empty()) {
    judge->Add("gluster client caches", "none in the client's graph", Verdict::kSafe);
  } else {
    judge->Add("gluster client caches", Join(caches, ", ") + " in the client's graph",
               Verdict::kUnsafe, Join(commands, "; "));
  }

  bool mountedRight = false;
  if (!client.commandLineRead) {
    judge->Add("fuse mount options",
               "the check could not tell: the client's command line could not be read",
               Verdict::kNotChecked);
  } else {
    bool attributeOff = false, entryOff = false, direct = false;
    const std::string value =
        "attribute-timeout " +
        GlusterTimeout(client.commandLine, "--attribute-timeout", &attributeOff) +
        ", entry-timeout " + GlusterTimeout(client.commandLine, "--entry-timeout", &entryOff) +
        ", direct-io-mode " + GlusterDirectIo(client.commandLine, &direct);
    mountedRight = attributeOff && entryOff && direct;
    judge->Add("fuse mount options", value, mountedRight ? Verdict::kSafe : Verdict::kUnsafe,
               mountedRight ? "" : "mount with " + std::string(kMountOptions));
  }

  const bool mountedWrong = client.commandLineRead && !mountedRight;
  if (!options.empty()) {
    judge->Problem(
        "a GlusterFS mount whose client caches can hide other workstations' calls. "
        "Turn off these options of volume " +
        volume + ": " + Join(options, ", ") +
        (mountedWrong ? "; and mount it with " + std::string(kMountOptions) : "") + ".");
  } else if (mountedWrong) {
    judge->Problem(
        "a GlusterFS mount whose client keeps file lengths, names and pages for a while, "
        "which can hide other workstations' calls. Mount it with " +
        std::string(kMountOptions) + ".");
  }
}

}  // namespace

std::vector<MountEntry> ParseMountInfo(const std::string& text) {
  // "36 35 98:0 /root /mnt/point rw,noatime master:1 - ext4 /dev/sda1 rw,errors=continue":
  // any number of optional fields come before the lone "-".
  std::vector<MountEntry> mounts;
  for (const std::string& line : Split(text, '\n')) {
    std::vector<std::string> fields = Split(line, ' ');
    size_t dash = 6;
    while (dash < fields.size() && fields[dash] != "-") ++dash;
    if (dash + 2 >= fields.size()) continue;
    MountEntry mount;
    mount.mountPoint = Unescape(fields[4]);
    mount.fileSystem = Unescape(fields[dash + 1]);
    mount.source = Unescape(fields[dash + 2]);
    mount.mountOptions = Unescape(fields[5]);
    if (dash + 3 < fields.size()) mount.mountOptions += "," + Unescape(fields[dash + 3]);
    mounts.push_back(std::move(mount));
  }
  return mounts;
}

const MountEntry* MountHolding(const std::vector<MountEntry>& mounts,
                               const std::string& nativePath) {
  std::string path = nativePath;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const MountEntry* holding = nullptr;
  for (const MountEntry& mount : mounts) {
    const std::string& point = mount.mountPoint;
    const bool holds = point == path || point == "/" ||
                       (path.size() > point.size() && path.compare(0, point.size(), point) == 0 &&
                        path[point.size()] == '/');
    if (holds && (!holding || point.size() >= holding->mountPoint.size())) holding = &mount;
  }
  return holding;
}

ShareReport JudgeMount(const MountEntry& mount, const GlusterClient& gluster) {
  return JudgeMount(mount, gluster, FuseDaemon());
}

ShareReport JudgeMount(const MountEntry& mount, const GlusterClient& gluster,
                       const FuseDaemon& daemon) {
  Judge judge(mount);
  const std::string& type = mount.fileSystem;
  const std::string program =
      daemon.found && !daemon.arguments.empty() ? BaseName(daemon.arguments[0]) : "";
  const bool bindfs =
      type == "fuse.bindfs" ||
      (type == "fuse" && (BaseName(mount.source) == "bindfs" || program == "bindfs"));
  if (IsLocalFileSystem(type)) {
    judge.Add("locks", "kept by this machine's kernel", Verdict::kSafe);
  } else if (type == "nfs" || type == "nfs4") {
    std::vector<std::string> local;
    for (const char* option : {"nolock", "local_lock=posix", "local_lock=all"})
      if (HasOption(mount.mountOptions, option)) local.push_back(option);
    if (local.empty()) {
      judge.Add("locks", "kept by the NFS server", Verdict::kSafe);
    } else {
      judge.LocalLocks("kept on this workstation (" + Join(local, ", ") + ")",
                       "an NFS mount with " + Join(local, " and "),
                       "Remove " + Join(local, " and ") + " from its mount options");
    }
  } else if (type == "cifs" || type == "smb3") {
    if (HasOption(mount.mountOptions, "nobrl")) {
      judge.LocalLocks("kept on this workstation (nobrl)", "an SMB mount with nobrl",
                       "Remove nobrl from its mount options");
    } else {
      judge.Add("locks", "kept by the SMB server", Verdict::kSafe);
    }
  } else if (type == "fuse.sshfs") {
    judge.LocalLocks("kept on this workstation (sshfs)", "an sshfs mount",
                     "Mount the folder over NFS, SMB or GlusterFS instead");
  } else if (type == "fuse.glusterfs") {
    JudgeGluster(mount, gluster, &judge);
  } else if (bindfs) {
    // bindfs forwards a lock by taking it itself, so every open through the
    // mount has the same owner: a second open is granted the lock, and its
    // close drops the first one's.
    const std::string value =
        !daemon.found ? "kept on this workstation, or held as bindfs's own (its command line "
                        "was not found)"
        : ForwardsLocks(daemon.arguments)
            ? "held as bindfs's own: a second open through this mount takes the same lock"
            : "kept on this workstation (bindfs without --enable-lock-forwarding)";
    judge.Add("locks", value, Verdict::kUnsafe, "mount the server's share directly");
    judge.Problem(
        "a bindfs mount: without --enable-lock-forwarding it keeps locks on this workstation, "
        "and with it a second open through the mount is not kept out. Mount the server's share "
        "directly.");
  } else {
    // A FUSE or network file system this table does not know: whether its
    // locks reach the server shows only from a second mount.
    judge.Add("locks",
              "the check could not tell from one mount of " + type +
                  (program.empty() ? "" : " (served by " + program + ")"),
              Verdict::kNotChecked,
              "run telvo-log check-share with a second mount of the same folder");
  }
  return judge.Finish();
}

namespace {

// The nearest folder of `nativeFolder` that exists, with links resolved, as
// the mount table names it.
std::string ExistingRealPath(const std::string& nativeFolder) {
  std::string path = nativeFolder;
  if (path.empty() || path[0] != '/') {
    char cwd[PATH_MAX];
    if (::getcwd(cwd, sizeof cwd)) path = std::string(cwd) + "/" + path;
  }
  for (;;) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved)) return resolved;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    size_t slash = path.rfind('/');
    if (slash == std::string::npos || path == "/") return "/";
    path = slash == 0 ? "/" : path.substr(0, slash);
  }
}

// The value of "Cmdlinestr" in the client's .meta/cmdline, a JSON object.
bool JsonString(const std::string& json, const std::string& key, std::string* value) {
  size_t at = json.find("\"" + key + "\"");
  if (at == std::string::npos) return false;
  at = json.find('"', json.find(':', at));
  if (at == std::string::npos) return false;
  value->clear();
  for (size_t i = at + 1; i < json.size(); ++i) {
    if (json[i] == '"') return true;
    if (json[i] == '\\' && i + 1 < json.size()) ++i;
    *value += json[i];
  }
  return false;
}

// The active graph's volfile names every translator the client runs in a
// "type performance/md-cache" line: one read, where a folder listing and a
// read of each translator's own "type" file cost a round trip to the client
// apiece, and a post asks this every time. The file also holds the bricks'
// credentials, so nothing but the type lines is kept.
void ReadGlusterClient(const std::string& mountPoint, GlusterClient* client) {
  std::string volfile;
  if (ReadSmallFile(mountPoint + "/.meta/graphs/active/volfile", &volfile)) {
    for (const std::string& line : Split(volfile, '\n')) {
      const size_t at = line.find_first_not_of(" \t");
      if (at == std::string::npos || line.compare(at, 5, "type ") != 0) continue;
      std::string type = line.substr(at + 5);
      while (!type.empty() && std::strchr(" \t\r", type.back())) type.pop_back();
      client->translatorTypes.push_back(type);
    }
    client->graphRead = !client->translatorTypes.empty();
  }
  std::string json;
  client->commandLineRead = ReadSmallFile(mountPoint + "/.meta/cmdline", &json) &&
                            JsonString(json, "Cmdlinestr", &client->commandLine);
}

// The process that serves a FUSE mount has the mount point among its
// arguments. Other processes may too (a shell in that folder, this
// program), so one named after the file system is preferred, and among
// several nameless ones none is trusted.
FuseDaemon FindFuseDaemon(const MountEntry& mount) {
  const std::string subtype =
      mount.fileSystem.rfind("fuse.", 0) == 0 ? mount.fileSystem.substr(5) : "";
  std::vector<FuseDaemon> candidates;
  DIR* proc = ::opendir("/proc");
  if (!proc) return {};
  const std::string self = std::to_string(::getpid());
  while (dirent* entry = ::readdir(proc)) {
    const std::string pid = entry->d_name;
    if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos || pid == self)
      continue;
    std::string text;
    if (!ReadSmallFile("/proc/" + pid + "/cmdline", &text) || text.empty()) continue;
    if (text.back() == '\0') text.pop_back();
    FuseDaemon daemon{Split(text, '\0'), true};
    for (size_t i = 1; i < daemon.arguments.size(); ++i) {
      std::string argument = daemon.arguments[i];
      while (argument.size() > 1 && argument.back() == '/') argument.pop_back();
      if (argument != mount.mountPoint) continue;
      const std::string program = BaseName(daemon.arguments[0]);
      if (program == subtype || program == BaseName(mount.source) || program == "bindfs") {
        ::closedir(proc);
        return daemon;
      }
      candidates.push_back(daemon);
      break;
    }
  }
  ::closedir(proc);
  return candidates.size() == 1 ? candidates[0] : FuseDaemon();
}

}  // namespace

ShareReport InspectShare(const std::string& nativeFolder) {
  const std::string path = ExistingRealPath(nativeFolder);
  std::string text;
  std::vector<MountEntry> mounts;
  if (ReadSmallFile("/proc/self/mountinfo", &text)) mounts = ParseMountInfo(text);
  const MountEntry* mount = MountHolding(mounts, path);
  if (!mount) {
    ShareReport report;
    report.mount.mountPoint = path;
    report.findings.push_back({"file system",
                               "the check could not tell: /proc/self/mountinfo names no mount "
                               "holding " +
                                   path,
                               Verdict::kNotChecked, ""});
    return report;
  }
  const std::string& type = mount->fileSystem;
  GlusterClient gluster;
  if (type == "fuse.glusterfs") ReadGlusterClient(mount->mountPoint, &gluster);
  FuseDaemon daemon;
  if ((type == "fuse" || type.rfind("fuse.", 0) == 0) && type != "fuse.sshfs" &&
      !gluster.commandLineRead) {
    daemon = FindFuseDaemon(*mount);
    // A client whose .meta folder is hidden still shows its command line.
    if (type == "fuse.glusterfs" && daemon.found) {
      gluster.commandLine = Join(daemon.arguments, " ");
      gluster.commandLineRead = true;
    }
  }
  return JudgeMount(*mount, gluster, daemon);
}

namespace {

// The probe files and their opens, closed and then removed whatever happens
// (closed first: an NFS client keeps a removed file that is still open as a
// ".nfs" file). They are removed before the check ends, so unlike the files
// Telvo keeps, their folder is never synced for them.
class ProbeFiles {
 public:
  ~ProbeFiles() {
    for (int fd : fds) ::close(fd);
    for (const std::string& path : paths) ::unlink(path.c_str());
  }
  int Keep(int fd) {
    if (fd >= 0) fds.push_back(fd);
    return fd;
  }
  std::vector<int> fds;
  std::vector<std::string> paths;
};

bool WriteAll(int fd, const std::string& bytes, off_t offset) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n =
        ::pwrite(fd, bytes.data() + done, bytes.size() - done, offset + static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return ::fdatasync(fd) == 0;
}

std::string ReadAt(int fd, size_t n, off_t offset) {
  std::string bytes(n, '\0');
  ssize_t got = ::pread(fd, bytes.data(), n, offset);
  bytes.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return bytes;
}

int LockWhole(int fd) {
  struct flock lock = {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  return ::fcntl(fd, F_OFD_SETLK, &lock) == 0 ? 0 : errno;
}

// Whether another process's own open of `path` is kept from the lock, as
// another workstation's post would be.
ShareFinding OtherProcessLock(const std::string& name, const std::string& path,
                              const std::string& where) {
  pid_t child = ::fork();
  if (child == 0) {
    // Only calls that are safe in a forked child of a threaded program.
    int fd = ::open(path.c_str(), O_RDWR);
    if (fd < 0) ::_exit(2);
    const int err = LockWhole(fd);
    ::_exit(err == 0 ? 0 : err == EAGAIN || err == EACCES ? 1 : 3);
  }
  int status = 0;
  if (child < 0)
    return {name, "the check could not tell: no process could be started", Verdict::kNotChecked,
            ""};
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  if (code == 1)
    return {name, "a lock taken through the folder keeps out another process's open " + where,
            Verdict::kSafe, ""};
  if (code == 0)
    return {name, "another process's open " + where + " took the same lock at once",
            Verdict::kUnsafe,
            "make locks reach the file server (see docs/DEPLOYMENT.md, 'Mounting the share')"};
  return {name,
          std::string("the check could not tell: another process's ") +
              (code == 2 ? "open " : "lock ") + where + " failed",
          Verdict::kNotChecked, ""};
}

bool Statx(int dirfd, const std::string& path, int flags, unsigned mask, struct statx* st) {
  return ::statx(dirfd, path.c_str(), flags | AT_STATX_FORCE_SYNC, mask, st) == 0;
}

ShareFinding NotChecked(const std::string& name, const std::string& why) {
  return {name, "the check could not tell: " + why, Verdict::kNotChecked, ""};
}

const char kCacheAdvice[] =
    "turn off the client's caches (see docs/DEPLOYMENT.md, 'Mounting the share')";

// An append through the first mount, then the length and bytes that an
// open through the second mount, made before it, is given.
ShareFinding AppendSeen(int first, int second, const std::string& secondPath) {
  const std::string name = "append across mounts";
  struct stat before;
  if (::fstat(first, &before) != 0) return NotChecked(name, std::strerror(errno));
  // Attributes the second mount has just fetched are the ones a cache
  // would answer with.
  struct stat warm;
  (void)::fstat(second, &warm);
  (void)::stat(secondPath.c_str(), &warm);
  const std::string appended = "appended " + std::to_string(before.st_size) + "\n";
  if (!WriteAll(first, appended, before.st_size))
    return NotChecked(name, std::string("the append failed: ") + std::strerror(errno));
  const uint64_t expected = static_cast<uint64_t>(before.st_size) + appended.size();
  struct statx open = {}, named = {};
  if (!Statx(second, "", AT_EMPTY_PATH, STATX_SIZE, &open) ||
      !Statx(AT_FDCWD, secondPath, 0, STATX_SIZE, &named))
    return NotChecked(name, std::strerror(errno));
  if (open.stx_size == expected && named.stx_size == expected &&
      ReadAt(second, appended.size(), before.st_size) == appended)
    return {name, "an append through the folder is seen at once through the second mount",
            Verdict::kSafe, ""};
  const uint64_t shown = open.stx_size != expected ? open.stx_size : named.stx_size;
  return {name,
          "after an append through the folder the second mount " +
              (shown != expected
                   ? "shows " + std::to_string(shown) + " bytes, not " + std::to_string(expected)
                   : std::string("reads other bytes than were appended")),
          Verdict::kUnsafe, kCacheAdvice};
}

// A file renamed over the probe through the first mount, as a purge does:
// the second mount must name the new file at once, or at least tell that
// its open file is no longer linked.
ShareFinding RenameSeen(const std::string& probe, ProbeFiles* files, int second,
                        const std::string& secondPath) {
  const std::string name = "rename across mounts";
  struct statx before = {};
  if (!Statx(AT_FDCWD, secondPath, 0, STATX_INO, &before))
    return NotChecked(name, std::strerror(errno));
  const std::string replacement = probe + ".new";
  files->paths.push_back(replacement);
  (void)::unlink(replacement.c_str());
  int fd = files->Keep(::open(replacement.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
  if (fd < 0 || !WriteAll(fd, "replacement\n", 0) ||
      ::rename(replacement.c_str(), probe.c_str()) != 0)
    return NotChecked(name, std::string("the rename failed: ") + std::strerror(errno));
  struct statx named = {}, open = {};
  if (!Statx(AT_FDCWD, secondPath, 0, STATX_INO, &named) ||
      !Statx(second, "", AT_EMPTY_PATH, STATX_NLINK, &open))
    return NotChecked(name, std::strerror(errno));
  if (named.stx_ino != before.stx_ino || open.stx_nlink == 0)
    return {name,
            "a file renamed over another through the folder is seen at once "
            "through the second mount",
            Verdict::kSafe, ""};
  return {name, "the second mount still names the replaced file after a rename", Verdict::kUnsafe,
          kCacheAdvice};
}

}  // namespace

Status ProbeShare(const std::string& nativeFolder, const std::string& secondFolder,
                  std::vector<ShareFinding>* findings) {
  findings->clear();
  const std::string name = "/.telvo-share-check-" + std::to_string(::getpid());
  const std::string probe = nativeFolder + name;
  ProbeFiles files;
  // A file of that name is left over from a check that was killed.
  (void)::unlink(probe.c_str());
  int first = files.Keep(::open(probe.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
  if (first < 0) return Status::Error(RuntimeErrorFromErrno(errno, true), probe);
  files.paths.push_back(probe);
  // Each run writes its own bytes, so another folder that happens to hold
  // an old probe file of the same name is not taken for the same folder.
  timespec now = {};
  ::clock_gettime(CLOCK_REALTIME, &now);
  const std::string marker =
      "telvo share check " + std::to_string(now.tv_sec) + "." + std::to_string(now.tv_nsec) + "\n";
  if (!WriteAll(first, marker, 0)) return Status::Error(RuntimeErrorFromErrno(errno, true), probe);

  const int lockError = LockWhole(first);
  const std::string lockFailed = std::string("taking the lock failed: ") + std::strerror(lockError);
  findings->push_back(lockError ? NotChecked("lock here", lockFailed)
                                : OtherProcessLock("lock here", probe, "here"));
  if (secondFolder.empty()) {
    for (const char* test : {"lock across mounts", "append across mounts", "rename across mounts"})
      findings->push_back({test, "no second mount given", Verdict::kNotChecked,
                           "run telvo-log check-share with a second mount of the same folder"});
    return Status::Ok();
  }

  const std::string secondPath = secondFolder + name;
  int second = -1;
  for (int wait = 0; wait < 20 && second < 0; ++wait) {
    int fd = ::open(secondPath.c_str(), O_RDWR | O_CLOEXEC);
    if (fd >= 0 && ReadAt(fd, marker.size(), 0) == marker) {
      second = files.Keep(fd);
    } else {
      if (fd >= 0) ::close(fd);
      ::usleep(100 * 1000);
    }
  }
  if (second < 0) return Status::Error(kFileNotFound, secondFolder);
  findings->push_back(
      lockError ? NotChecked("lock across mounts", lockFailed)
                : OtherProcessLock("lock across mounts", secondPath, "through the second mount"));
  findings->push_back(AppendSeen(first, second, secondPath));
  findings->push_back(RenameSeen(probe, &files, second, secondPath));
  return Status::Ok();
}

}  // namespace telvo
