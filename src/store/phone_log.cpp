#include "store/phone_log.h"

#include <algorithm>

#include "store/torn_tail.h"

namespace telvo {
namespace {

std::unique_ptr<File> FailOpen(Program& program, const std::string& text) {
  program.state.FileError = 1;
  ShowStop(program, program.state.CurrentLogOwner, text);
  return nullptr;
}

std::string UnknownError(int code) { return "Unknown Error  " + std::to_string(code); }

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

Status OpenWithLockRetries(Program& program, const std::string& path, FileAccess access,
                           std::unique_ptr<File>* file) {
  return LockedOpener(program.env).Open(path, access, file);
}

std::unique_ptr<File> OpenPhoneLog(Program& program) {
  ProgramState& s = program.state;
  s.FileError = 0;
  s.ReadDenied = 0;
  std::unique_ptr<File> log;
  Status status = OpenWithLockRetries(program, s.CurrentLogPath, FileAccess::kUpdate, &log);
  if (status.code() == kPermissionDenied) return FailOpen(program, "Message file is locked up");
  if (status.code() == kPathNotFound) return FailOpen(program, "Invalid Path For User's Phonelog ");
  if (status.code() == kSymbolicLink) return FailOpen(program, SymbolicLinkRefusal(status));
  if (!status.ok()) return FailOpen(program, UnknownError(status.code()));

  std::string probe;
  status = log->ReadAt(0, 2, &probe);
  if (!status.ok()) {
    if (status.code() != kPathFileAccessError) {
      log.reset();
      return FailOpen(program, UnknownError(status.code()));
    }
    // Written but not readable: posting may go on; viewing may not.
    s.ReadDenied = kPathFileAccessError;
  }
  // The length always comes from the file just opened, so an append lands at
  // its real end even when the probe was denied.
  int64_t length = 0;
  status = log->Length(&length);
  if (!status.ok()) {
    log.reset();
    return FailOpen(program, UnknownError(status.code()));
  }
  // A writer killed in mid-append left part of a record at the end: cut
  // off (and kept beside the log) before anything lands behind it. A log
  // that may not be read cannot be judged and is left as it is.
  if (s.ReadDenied == 0) {
    status = RepairTornTail(program.env, s.CurrentLogPath, *log, &length, TailCheck::kQuick);
    if (!status.ok()) {
      log.reset();
      return FailOpen(program, UnknownError(status.code()));
    }
  }
  s.LogLength = length;
  return log;
}

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

void ReportLogDamage(Program& program, int64_t offset) {
  ShowStop(program, program.state.CurrentLogOwner,
           "The phone log is damaged at byte " + std::to_string(offset) +
               ". Please call technical support.");
}

void ReportLogFailure(Program& program, const Status& status) {
  ShowStop(program, program.state.CurrentLogOwner, UnknownError(status.code()));
}

void ParseRecord(ProgramState& s) {
  CallFields fields = ParseCallBody(s.RecordText);
  s.RecMark = std::move(fields.mark);
  s.RecDate = std::move(fields.date);
  s.RecCaller = std::move(fields.caller);
  s.RecTime = std::move(fields.time);
  s.RecPhone = std::move(fields.phone);
  s.RecMessage = std::move(fields.message);
}

}  // namespace telvo
