#pragma once
// The channel from a later start of a program to the instance already
// running for the same user: a Unix socket beside the single-instance lock.
// A connection is the whole message ("come to the front"), so nothing read
// from it is ever trusted or parsed.

#include <memory>
#include <string>

namespace telvo {

class InstanceDoorbell {
 public:
  // Listens at `path`. The caller holds the single-instance lock, so a
  // socket left there by an instance that crashed is removed first.
  // Nothing when no socket can be made there.
  static std::unique_ptr<InstanceDoorbell> Listen(const std::string& path);
  ~InstanceDoorbell();
  InstanceDoorbell(const InstanceDoorbell&) = delete;
  InstanceDoorbell& operator=(const InstanceDoorbell&) = delete;

  // Readable when a later start has rung.
  int descriptor() const { return fd_; }
  // Takes every ring that waits; true when there was one.
  bool TakeRings();

 private:
  InstanceDoorbell(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  int fd_;
  std::string path_;
};

// Rings the instance that listens at `path`; false when none listens.
bool RingInstanceDoorbell(const std::string& path);

}  // namespace telvo
