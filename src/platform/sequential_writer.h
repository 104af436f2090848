#pragma once
// Writes a file front to back through one buffer, so many small pieces (the
// records of a purge) cost a few large writes.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/env.h"

namespace telvo {

inline constexpr size_t kWriteBlockBytes = size_t{1} << 20;

class SequentialWriter {
 public:
  // Writes from `start` on; the bytes before it are left alone.
  explicit SequentialWriter(File& file, int64_t start = 0, size_t blockBytes = kWriteBlockBytes);

  // Queues the bytes; the first failure sticks and later pieces are dropped.
  void Append(std::string_view bytes);
  // Everything appended is written and synced, or the first failure.
  Status Finish();
  // Records a failure met while gathering what to append; it sticks.
  void Fail(const Status& status) {
    if (status_.ok()) status_ = status;
  }

  bool ok() const { return status_.ok(); }
  // The offset just past the last byte appended.
  int64_t end() const { return written_ + static_cast<int64_t>(pending_.size()); }

 private:
  void Flush();

  File& file_;
  const size_t block_;
  Status status_;
  int64_t written_;
  std::string pending_;
};

}  // namespace telvo
