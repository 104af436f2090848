// Files opened under open-file-description locks, which belong to the open
// rather than the process, so two opens in one process exclude each other
// just as two workstations do.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <string>

#include "platform/posix_env.h"
#include "platform/posix_file.h"

namespace telvo {
namespace {

class PosixFile : public File {
 public:
  PosixFile(int fd, bool readable) : fd_(fd), readable_(readable) {}
  ~PosixFile() override { ::close(fd_); }

  Status ReadAt(int64_t offset, size_t n, std::string* out) override {
    out->clear();
    if (!readable_) return Status::Error(kPathFileAccessError);
    out->resize(n);
    size_t got = 0;
    while (got < n) {
      ssize_t r = ::pread(fd_, out->data() + got, n - got, offset + got);
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
    if (static_cast<size_t>(r) != data.size()) return Status::Error(kDiskFull);
    return Status::Ok();
  }

  Status Length(int64_t* length) override {
    struct stat st;
    if (::fstat(fd_, &st) != 0) return ErrnoStatus(errno);
    *length = st.st_size;
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

 private:
  static Status ErrnoStatus(int err) {
    return Status::Error(RuntimeErrorFromErrno(err, true));
  }
  int fd_;
  bool readable_;
};

bool SameFile(int fd, const std::string& path) {
  struct stat open, named;
  if (::fstat(fd, &open) != 0 || ::stat(path.c_str(), &named) != 0) return false;
  return open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

std::function<void(const std::string&)>& BeforeLockHook() {
  static std::function<void(const std::string&)> hook;
  return hook;
}

}  // namespace

void SetBeforeLockHookForTesting(std::function<void(const std::string&)> hook) {
  BeforeLockHook() = std::move(hook);
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
  return Status::Error(RuntimeErrorFromErrno(err, FolderOfExists(nativePath)));
}

Status OpenLockedFile(const std::string& nativePath, FileAccess access,
                      std::unique_ptr<File>* file) {
  file->reset();
  if (nativePath.empty()) return Status::Error(kBadFileName);
  // A purge may rename a new file over the path between our open and our
  // lock; then the lock guards a file nobody will read again, so open anew.
  for (int attempt = 0; attempt < 20; ++attempt) {
    bool readable = true;
    int fd;
    if (access == FileAccess::kRead) {
      fd = ::open(nativePath.c_str(), O_RDONLY | O_CLOEXEC);
    } else {
      fd = ::open(nativePath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
      if (fd < 0 && errno == EACCES) {
        fd = ::open(nativePath.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
        readable = false;
      }
    }
    if (fd < 0) return StatusFromErrno(errno, nativePath);
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
      ::close(fd);
      return Status::Error(kPathFileAccessError);
    }

    if (BeforeLockHook()) BeforeLockHook()(nativePath);
    struct flock lock = {};
    lock.l_type = access == FileAccess::kRead ? F_RDLCK : F_WRLCK;
    lock.l_whence = SEEK_SET;
    if (::fcntl(fd, F_OFD_SETLK, &lock) != 0) {
      int err = errno;
      ::close(fd);
      if (err == EAGAIN || err == EACCES) return Status::Error(kPermissionDenied);
      return StatusFromErrno(err, nativePath);
    }
    if (!SameFile(fd, nativePath)) {
      ::close(fd);
      continue;
    }
    if (access == FileAccess::kRewrite && ::ftruncate(fd, 0) != 0) {
      int err = errno;
      ::close(fd);
      return StatusFromErrno(err, nativePath);
    }
    *file = std::make_unique<PosixFile>(fd, readable);
    return Status::Ok();
  }
  return Status::Error(kPermissionDenied);
}

}  // namespace telvo
