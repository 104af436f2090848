#include "store/locked_open.h"

namespace telvo {

Status LockedOpener::Open(const std::string& path, FileAccess access, std::unique_ptr<File>* file) {
  for (int retry = 1;; ++retry) {
    Status status = env_.OpenFile(path, access, file);
    if (status.code() != kPermissionDenied || retry >= kMaxOpenTries) return status;
    PauseBeforeRetry(retry);
  }
}

void LockedOpener::PauseBeforeRetry(int retry) {
  std::uniform_int_distribution<int> pause(retry <= 1 ? kFirstRetryPauseMinMs : kRetryPauseMinMs,
                                           retry <= 1 ? kFirstRetryPauseMaxMs : kRetryPauseMaxMs);
  env_.SleepMs(pause(spread_));
}

}  // namespace telvo
