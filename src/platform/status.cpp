#include "platform/status.h"

#include <cerrno>

namespace telvo {

std::string RuntimeErrorDescription(int code) {
  switch (code) {
    case 0:
      return "";
    case kBadFileName:
      return "Bad file name or number";
    case kFileNotFound:
      return "File not found";
    case kDeviceIoError:
      return "Device I/O error";
    case kDiskFull:
      return "Disk full";
    case kDeviceUnavailable:
      return "Device unavailable";
    case kPermissionDenied:
      return "Permission denied";
    case kPathFileAccessError:
      return "Path/File access error";
    case kPathNotFound:
      return "Path not found";
    case kNotKept:
      return "Written data not kept";
    case kSymbolicLink:
      return "File is a symbolic link";
    default:
      return "Application-defined or object-defined error";
  }
}

std::string Status::description() const { return RuntimeErrorDescription(code_); }

std::string Status::ToString() const {
  if (ok()) return "OK";
  std::string text = description() + " " + std::to_string(code_);
  return context_.empty() ? text : text + ": " + context_;
}

int RuntimeErrorFromErrno(int err, bool folderExists) {
  switch (err) {
    case 0:
      return 0;
    case ENAMETOOLONG:
    case EINVAL:
      return kBadFileName;
    case ENOENT:
      return folderExists ? kFileNotFound : kPathNotFound;
    case ENOTDIR:
      return kPathNotFound;
    case EIO:
      return kDeviceIoError;
    case ENOSPC:
    case EDQUOT:
      return kDiskFull;
    case ENODEV:
    case ENXIO:
    case ESTALE:
    case ETIMEDOUT:
    case EHOSTDOWN:
    case EHOSTUNREACH:
    case ENETDOWN:
    case ENOTCONN:
      return kDeviceUnavailable;
    case EAGAIN:  // F_OFD_SETLK refused: another open holds the lock
      return kPermissionDenied;
    case ELOOP:  // O_NOFOLLOW met a link
      return kSymbolicLink;
    default:
      return kPathFileAccessError;
  }
}

}  // namespace telvo
