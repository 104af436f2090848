#include "platform/sequential_writer.h"

namespace telvo {

SequentialWriter::SequentialWriter(File& file, int64_t start, size_t blockBytes)
    : file_(file), block_(blockBytes), written_(start) {
  pending_.reserve(block_);
}

void SequentialWriter::Append(std::string_view bytes) {
  if (!status_.ok()) return;
  pending_.append(bytes);
  if (pending_.size() >= block_) Flush();
}

Status SequentialWriter::Finish() {
  Flush();
  if (status_.ok()) status_ = file_.Sync();
  return status_;
}

void SequentialWriter::Flush() {
  if (status_.ok() && !pending_.empty()) status_ = file_.WriteAt(written_, pending_);
  if (status_.ok()) written_ += static_cast<int64_t>(pending_.size());
  pending_.clear();
}

}  // namespace telvo
