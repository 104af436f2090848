#pragma once
// A file operation's outcome as one of the classic run-time error codes, so
// callers can compare codes the way the program's messages expect
// ("52 53 76") and show the classic description next to the code. A failure
// may also name the file it concerns; the program's boxes keep their own
// texts, while telvo-log and the tests show the name too.

#include <string>

namespace telvo {

enum RuntimeError : int {
  kBadFileName = 52,
  kFileNotFound = 53,
  kDeviceIoError = 57,
  kDiskFull = 61,
  kDeviceUnavailable = 68,
  kPermissionDenied = 70,  // the lock is held by another open
  kPathFileAccessError = 75,
  kPathNotFound = 76,
  // Not a classic code: an append that the file system did not keep as
  // written (read back different, a length that moved, a file replaced
  // under the lock), as a share with client caches or local locks does.
  kNotKept = 1000,
  // Not a classic code: the file to be written is a symbolic link, which
  // is neither written through nor replaced (ELOOP from O_NOFOLLOW).
  kSymbolicLink = 1001,
};

class [[nodiscard]] Status {
 public:
  Status() = default;
  static Status Ok() { return Status(); }
  static Status Error(int code, std::string context = {}) {
    return Status(code, std::move(context));
  }

  bool ok() const { return code_ == 0; }
  int code() const { return code_; }
  // The classic text for the code, e.g. "File not found".
  std::string description() const;
  // The native path of the file the failure concerns, or "".
  const std::string& context() const { return context_; }
  // "File not found 53: /srv/phone/ann/MESSAGES", for people who read logs.
  std::string ToString() const;

 private:
  Status(int code, std::string context) : code_(code), context_(std::move(context)) {}
  int code_ = 0;
  std::string context_;
};

std::string RuntimeErrorDescription(int code);

// Maps an errno value onto the run-time codes. ENOENT is ambiguous (file or
// folder missing): `folderExists` decides between 53 and 76.
int RuntimeErrorFromErrno(int err, bool folderExists);

}  // namespace telvo
