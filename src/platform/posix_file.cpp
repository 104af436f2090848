// Files opened under open-file-description locks, which belong to the open
// rather than the process, so two opens in one process exclude each other
// just as two workstations do.

#include "platform/posix_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <string>

#include "platform/posix_env.h"

namespace telvo {
namespace {

// statx that makes a network or FUSE client ask its server: its cached
// attributes may predate another workstation's append or rename. A file
// system that cannot sync attributes answers from what it has, which is
// then all there is to know.
bool FreshStatx(int dirfd, const char* path, int flags, unsigned mask, struct statx* out) {
  return ::statx(dirfd, path, flags | AT_STATX_FORCE_SYNC, mask, out) == 0;
}

class PosixFile : public File {
 public:
  PosixFile(int fd, bool readable, std::string nativePath)
      : fd_(fd), readable_(readable), path_(std::move(nativePath)) {}
  ~PosixFile() override { ::close(fd_); }

  Status ReadAt(int64_t offset, size_t n, std::string* out) override {
    if (!readable_) {
      out->clear();
      return Status::Error(kPathFileAccessError, path_);
    }
    // A buffer reused at the same size is not filled with zeros again:
    // large reads of a whole log come back to this every megabyte.
    out->resize(n);
    size_t got = 0;
    while (got < n) {
      ssize_t r = ::pread(fd_, out->data() + got, n - got, offset + static_cast<off_t>(got));
      if (r < 0) {
        if (errno == EINTR) continue;
        out->clear();
        return ErrnoStatus(errno);
      }
      if (r == 0) break;
      got += static_cast<size_t>(r);
    }
    out->resize(got);
    return Status::Ok();
  }

  Status WriteAt(int64_t offset, std::string_view data) override {
    ssize_t r;
    do {
      r = ::pwrite(fd_, data.data(), data.size(), offset);
    } while (r < 0 && errno == EINTR);
    if (r < 0) return ErrnoStatus(errno);
    if (static_cast<size_t>(r) != data.size()) return Status::Error(kDiskFull, path_);
    return Status::Ok();
  }

  Status Length(int64_t* length) override {
    struct statx sx;
    if (!FreshStatx(fd_, "", AT_EMPTY_PATH, STATX_SIZE, &sx)) return ErrnoStatus(errno);
    *length = static_cast<int64_t>(sx.stx_size);
    return Status::Ok();
  }

  Status Truncate(int64_t length) override {
    if (::ftruncate(fd_, length) != 0) return ErrnoStatus(errno);
    return Status::Ok();
  }

  Status Sync() override {
    if (::fdatasync(fd_) != 0) return ErrnoStatus(errno);
    return Status::Ok();
  }

  Status ReadBack(int64_t offset, size_t n, std::string* out) override {
    // The pages just written stay cached, clean after the sync; dropping
    // them makes the read ask the file system (a FUSE or network client
    // then asks its server) instead of answering with our own bytes.
    ::posix_fadvise(fd_, offset, static_cast<off_t>(n), POSIX_FADV_DONTNEED);
    return ReadAt(offset, n, out);
  }

  std::string Identity() override {
    struct statx sx;
    if (!FreshStatx(fd_, "", AT_EMPTY_PATH, STATX_INO, &sx)) return "";
    return std::to_string(sx.stx_dev_major) + "." + std::to_string(sx.stx_dev_minor) + ":" +
           std::to_string(sx.stx_ino);
  }

  bool StillNamedByItsPath() override {
    struct statx open, named;
    return FreshStatx(fd_, "", AT_EMPTY_PATH, STATX_INO | STATX_NLINK, &open) &&
           FreshStatx(AT_FDCWD, path_.c_str(), 0, STATX_INO, &named) && open.stx_nlink > 0 &&
           open.stx_dev_major == named.stx_dev_major && open.stx_dev_minor == named.stx_dev_minor &&
           open.stx_ino == named.stx_ino;
  }

 private:
  Status ErrnoStatus(int err) const {
    return Status::Error(RuntimeErrorFromErrno(err, true), path_);
  }
  int fd_;
  bool readable_;
  std::string path_;
};

std::function<void(const std::string&)>& BeforeLockHook() {
  static std::function<void(const std::string&)> hook;
  return hook;
}

struct Opened {
  int fd = -1;
  int err = 0;  // errno when fd < 0
  bool readable = true;
  bool created = false;
};

Opened OpenExisting(const std::string& path, int flags) {
  Opened opened;
  opened.fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
  opened.err = opened.fd < 0 ? errno : 0;
  return opened;
}

// Read and write, or write only when the file may be written but not read.
// A missing file is created exclusively, so this open knows that it made the
// file; EEXIST then means another open made it first. A file that is a
// symbolic link is never opened for writing (ELOOP): a colleague's link named
// MESSAGES or MESSAGES.NEW would have calls appended to, or a purge's work
// emptied into, whatever it names.
Opened OpenForWriting(const std::string& path, bool createMissing) {
  Opened opened;
  for (int flags : {O_RDWR | O_NOFOLLOW, O_WRONLY | O_NOFOLLOW}) {
    opened = OpenExisting(path, flags);
    if (opened.fd < 0 && opened.err == ENOENT && createMissing) {
      opened = OpenExisting(path, flags | O_CREAT | O_EXCL);
      opened.created = opened.fd >= 0;
    }
    opened.readable = (flags & O_ACCMODE) == O_RDWR;
    if (opened.fd >= 0 || opened.err != EACCES) break;
  }
  return opened;
}

std::function<void(const std::string&)>& FolderSyncHook() {
  static std::function<void(const std::string&)> hook;
  return hook;
}

}  // namespace

void SetBeforeLockHookForTesting(std::function<void(const std::string&)> hook) {
  BeforeLockHook() = std::move(hook);
}

void SetFolderSyncHookForTesting(std::function<void(const std::string&)> hook) {
  FolderSyncHook() = std::move(hook);
}

std::string FolderOf(const std::string& nativePath) {
  size_t slash = nativePath.rfind('/');
  if (slash == std::string::npos) return std::string(".");
  if (slash == 0) return std::string("/");
  return nativePath.substr(0, slash);
}

bool FolderOfExists(const std::string& nativePath) {
  struct stat st;
  return ::stat(FolderOf(nativePath).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

Status StatusFromErrno(int err, const std::string& nativePath) {
  return Status::Error(RuntimeErrorFromErrno(err, FolderOfExists(nativePath)), nativePath);
}

Status SyncFolderOfNative(const std::string& nativePath) {
  if (FolderSyncHook()) FolderSyncHook()(nativePath);
  int fd = ::open(FolderOf(nativePath).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return StatusFromErrno(errno, nativePath);
  int rc = ::fsync(fd);
  int err = errno;
  ::close(fd);
  return rc == 0 ? Status::Ok() : StatusFromErrno(err, nativePath);
}

Status OpenLockedFile(const std::string& nativePath, FileAccess access, std::unique_ptr<File>* out,
                      bool createMissing) {
  out->reset();
  if (nativePath.empty()) return Status::Error(kBadFileName);
  // A purge may rename a new file over the path between our open and our
  // lock; then the lock guards a file nobody will read again, so open anew.
  for (int attempt = 0; attempt < 20; ++attempt) {
    Opened opened = access == FileAccess::kRead ? OpenExisting(nativePath, O_RDONLY)
                                                : OpenForWriting(nativePath, createMissing);
    if (opened.fd < 0) {
      if (opened.err == EEXIST) continue;  // created elsewhere meanwhile
      return StatusFromErrno(opened.err, nativePath);
    }
    const int fd = opened.fd;
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
      ::close(fd);
      return Status::Error(kPathFileAccessError, nativePath);
    }

    if (BeforeLockHook()) BeforeLockHook()(nativePath);
    struct flock lock = {};
    lock.l_type = access == FileAccess::kRead ? F_RDLCK : F_WRLCK;
    lock.l_whence = SEEK_SET;
    if (::fcntl(fd, F_OFD_SETLK, &lock) != 0) {
      int err = errno;
      ::close(fd);
      if (err == EAGAIN || err == EACCES) return Status::Error(kPermissionDenied, nativePath);
      return StatusFromErrno(err, nativePath);
    }
    auto file = std::make_unique<PosixFile>(fd, opened.readable, nativePath);
    if (!file->StillNamedByItsPath()) continue;
    if (access == FileAccess::kRewrite) {
      Status emptied = file->Truncate(0);
      if (!emptied.ok()) return emptied;
    }
    // A call reported as delivered must survive a power cut, and a new
    // file's name lives in its folder. A work file opened to be rewritten is
    // renamed into place later, and its folder synced then.
    if (opened.created && access == FileAccess::kUpdate) {
      Status synced = SyncFolderOfNative(nativePath);
      if (!synced.ok()) return synced;
    }
    *out = std::move(file);
    return Status::Ok();
  }
  return Status::Error(kPermissionDenied, nativePath);
}

}  // namespace telvo
