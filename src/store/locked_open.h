#pragma once
// Opening a shared file whose lock another workstation may hold for a
// moment: every store operation waits such a lock out the same way.

#include <memory>
#include <random>
#include <string>

#include "platform/env.h"

namespace telvo {

inline constexpr int kMaxOpenTries = 11;

// The pause before another try at a lock held elsewhere, drawn afresh each
// time, so the workstations waiting for one lock drift apart instead of
// retrying in step (they did, when each pause waited for the clock's second
// to change). The first retry (`retry` 1) comes after 100 to 900 ms, as
// soon on average as it did then, since most locks are held by a post for
// milliseconds; later ones after 800 to 1200 ms, so ten pauses still take
// about ten seconds before a file counts as locked up.
inline constexpr int kFirstRetryPauseMinMs = 100;
inline constexpr int kFirstRetryPauseMaxMs = 900;
inline constexpr int kRetryPauseMinMs = 800;
inline constexpr int kRetryPauseMaxMs = 1200;
inline constexpr int kTenPausesMinMs = kFirstRetryPauseMinMs + 9 * kRetryPauseMinMs;
inline constexpr int kTenPausesMaxMs = kFirstRetryPauseMaxMs + 9 * kRetryPauseMaxMs;

class LockedOpener {
 public:
  explicit LockedOpener(Env& env) : env_(env), spread_(std::random_device{}()) {}

  Env& env() { return env_; }
  // Opens `path`; a lock held elsewhere (70) is tried again after a pause,
  // up to kMaxOpenTries opens in all, and then answered as 70.
  Status Open(const std::string& path, FileAccess access, std::unique_ptr<File>* file);
  void PauseBeforeRetry(int retry);

 private:
  Env& env_;
  std::minstd_rand spread_;
};

}  // namespace telvo
