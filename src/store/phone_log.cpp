#include "store/phone_log.h"

#include <algorithm>

#include "store/torn_tail.h"

namespace telvo {
namespace {

bool TrustedLength(int length) { return length >= 1 && length <= kMaxBodyLength; }

RecordRead Damaged(int64_t offset) {
  RecordRead read;
  read.outcome = ReadOutcome::kDamaged;
  read.damageAt = offset;
  return read;
}

RecordRead Failed(const Status& status) {
  RecordRead read;
  read.outcome = ReadOutcome::kFailed;
  read.status = status;
  return read;
}

// Reads exactly n bytes at offset; a short read means the file changed under
// us or lies about its length, which counts as damage at `offset`.
bool ReadExactly(File& file, int64_t offset, size_t n, std::string* out, RecordRead* error) {
  Status s = file.ReadAt(offset, n, out);
  if (!s.ok()) {
    *error = Failed(s);
    return false;
  }
  if (out->size() != n) {
    *error = Damaged(offset);
    return false;
  }
  return true;
}

}  // namespace

Status AppendDurably(File& file, int64_t end, std::string_view bytes) {
  Status status = file.WriteAt(end, bytes);
  if (status.ok()) status = file.Sync();
  if (status.ok()) return status;
  Status undo = file.Truncate(end);
  if (undo.ok()) undo = file.Sync();
  // When the cut fails too, part of the bytes may still be in the file: that
  // failure is the one to report.
  return undo.ok() ? status : undo;
}

std::string EncodeRecordLength(int count) {
  std::string bytes(2, '\0');
  bytes[0] = static_cast<char>(count & 0xFF);
  bytes[1] = static_cast<char>((count >> 8) & 0xFF);
  return bytes;
}

int DecodeRecordLength(std::string_view bytes) {
  return static_cast<unsigned char>(bytes[0]) | (static_cast<unsigned char>(bytes[1]) << 8);
}

std::string FrameRecord(std::string_view body) {
  std::string length = EncodeRecordLength(static_cast<int>(body.size()));
  std::string record;
  record.reserve(body.size() + 4);
  record.append(length).append(body).append(length);
  return record;
}

std::string BesideLog(const std::string& logPath, const std::string& name) {
  const size_t slash = logPath.rfind('\\');
  return (slash == std::string::npos ? "" : logPath.substr(0, slash)) + "\\" + name;
}

bool IsPhoneLogPath(const std::string& path) {
  static const std::string kSuffix = "\\MESSAGES";
  return path.size() >= kSuffix.size() &&
         path.compare(path.size() - kSuffix.size(), kSuffix.size(), kSuffix) == 0;
}

RecordRead ReadRecordAt(File& file, int64_t logLength, int64_t start) {
  if (start >= logLength) return {};
  if (start < 0 || start + 4 > logLength) return Damaged(start);
  RecordRead read;
  std::string bytes;
  if (!ReadExactly(file, start, 2, &bytes, &read)) return read;
  int length = DecodeRecordLength(bytes);
  if (!TrustedLength(length) || start + 4 + length > logLength) return Damaged(start);
  if (!ReadExactly(file, start + 2, static_cast<size_t>(length) + 2, &bytes, &read)) return read;
  if (DecodeRecordLength(std::string_view(bytes).substr(static_cast<size_t>(length))) != length)
    return Damaged(start);
  bytes.resize(static_cast<size_t>(length));
  read.outcome = ReadOutcome::kRecord;
  read.record = {start, std::move(bytes)};
  return read;
}

RecordRead ReadRecordBefore(File& file, int64_t logLength, int64_t end) {
  if (end <= 0) return {};
  if (end > logLength || end < 4) return Damaged(end < 2 ? 0 : end - 2);
  RecordRead read;
  std::string bytes;
  if (!ReadExactly(file, end - 2, 2, &bytes, &read)) return read;
  int length = DecodeRecordLength(bytes);
  int64_t start = end - 4 - length;
  if (!TrustedLength(length) || start < 0) return Damaged(end - 2);
  read = ReadRecordAt(file, logLength, start);
  if (read.outcome == ReadOutcome::kRecord && read.record.end() != end) return Damaged(end - 2);
  if (read.outcome == ReadOutcome::kDamaged) read.damageAt = end - 2;
  return read;
}

RecordRead WalkBackward(File& file, int64_t logLength, const RecordVisitor& visit) {
  int64_t end = logLength;
  for (;;) {
    RecordRead read = ReadRecordBefore(file, logLength, end);
    if (read.outcome != ReadOutcome::kRecord || !visit(read.record)) return read;
    end = read.record.start;
  }
}

RecordRead WalkForward(File& file, int64_t logLength, int64_t start, const RecordVisitor& visit) {
  for (;;) {
    RecordRead read = ReadRecordAt(file, logLength, start);
    if (read.outcome != ReadOutcome::kRecord || !visit(read.record)) return read;
    start = read.record.end();
  }
}

}  // namespace telvo
