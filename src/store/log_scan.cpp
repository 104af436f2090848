#include "store/log_scan.h"

#include <algorithm>
#include <string>

#include "store/phone_log.h"

namespace telvo {
namespace {

// The file's bytes through one reused buffer. A view that runs past the
// buffer reads again from the view's own start, so a record that straddles
// two blocks costs a re-read of at most one record rather than a copy of
// every block into a second buffer.
class BlockReader {
 public:
  BlockReader(File& file, int64_t length, size_t blockBytes)
      : file_(file), block_(std::max<size_t>(blockBytes, 1)), available_(length) {}

  // Up to n bytes at `offset`; fewer only where the readable bytes end.
  Status View(int64_t offset, size_t n, std::string_view* view) {
    const int64_t end = std::min(offset + static_cast<int64_t>(n), available_);
    if (offset >= end) {
      *view = {};
      return Status::Ok();
    }
    if (offset < start_ || end > start_ + static_cast<int64_t>(buffer_.size())) {
      const size_t wanted = std::max(n, block_);
      Status status = file_.ReadAt(offset, wanted, &buffer_);
      if (!status.ok()) return status;
      start_ = offset;
      const int64_t reached = start_ + static_cast<int64_t>(buffer_.size());
      // Reads stop short only at the real end of the file: it is shorter
      // than its length said, and nothing past that can be trusted.
      if (buffer_.size() < wanted && reached < available_) available_ = reached;
    }
    const int64_t last = std::min(end, available_);
    *view =
        std::string_view(buffer_).substr(static_cast<size_t>(offset - start_),
                                         static_cast<size_t>(std::max<int64_t>(last - offset, 0)));
    return Status::Ok();
  }

  int64_t available() const { return available_; }

 private:
  File& file_;
  const size_t block_;
  std::string buffer_;
  int64_t start_ = 0;
  int64_t available_;
};

// The body of the record at `at` when its lengths are trusted, as
// ReadRecordAt judges them; otherwise an empty body.
Status TrustedBody(BlockReader& reader, int64_t at, std::string_view* body) {
  *body = {};
  std::string_view bytes;
  Status status = reader.View(at, 2, &bytes);
  if (!status.ok() || bytes.size() < 2) return status;
  const int length = DecodeRecordLength(bytes);
  if (length < 1 || length > kMaxBodyLength || at + 4 + length > reader.available())
    return Status::Ok();
  status = reader.View(at, static_cast<size_t>(length) + 4, &bytes);
  if (!status.ok() || bytes.size() < static_cast<size_t>(length) + 4) return status;
  if (DecodeRecordLength(bytes.substr(static_cast<size_t>(length) + 2)) == length)
    *body = bytes.substr(2, static_cast<size_t>(length));
  return Status::Ok();
}

// The first offset after `from` where a trusted record begins whose body
// holds its five fields, or the end of the file. Inside damage any two bytes
// can pass for a length, and somewhere further on the same two bytes again:
// a "record" trusted by its lengths alone swallowed two hundred calls of a
// mangled log. Candidates are tried in the bytes already read; a read
// happens only when one runs past them.
Status NextTrusted(BlockReader& reader, int64_t logLength, int64_t from, int64_t* next) {
  std::string_view body;
  for (int64_t at = from + 1; at < reader.available(); ++at) {
    Status status = TrustedBody(reader, at, &body);
    if (!status.ok()) return status;
    if (!body.empty() && HasItsFields(body)) {
      *next = at;
      return Status::Ok();
    }
  }
  *next = logLength;
  return Status::Ok();
}

}  // namespace

Status ScanLog(File& file, int64_t logLength, const LogScanVisitor& visit, size_t blockBytes) {
  BlockReader reader(file, logLength, blockBytes);
  int64_t at = 0;
  while (at < logLength) {
    std::string_view body;
    Status status = TrustedBody(reader, at, &body);
    if (!status.ok()) return status;
    if (!body.empty()) {
      if (visit.record && !visit.record(at, body)) break;
      at += static_cast<int64_t>(body.size()) + 4;
      continue;
    }
    int64_t next = logLength;
    status = NextTrusted(reader, logLength, at, &next);
    if (!status.ok()) return status;
    if (visit.damage && !visit.damage(at, next)) break;
    at = next;
  }
  return Status::Ok();
}

}  // namespace telvo
