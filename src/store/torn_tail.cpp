#include "store/torn_tail.h"

#include <memory>

#include "store/log_scan.h"
#include "store/phone_log.h"

namespace telvo {
namespace {

// Is everything from `from` to the end the front part of whole records, as
// an append cut short leaves it? Only what a killed writer can have written
// is ever cut off.
bool IsTornTail(File& file, int64_t length, int64_t from) {
  std::string bytes;
  for (int64_t at = from; at < length;) {
    if (at + 2 > length) return true;
    if (!file.ReadAt(at, 2, &bytes).ok() || bytes.size() != 2) return false;
    const int count = DecodeRecordLength(bytes);
    if (count < 1 || count > kMaxBodyLength) return false;
    if (at + 4 + count > length) return true;
    if (!file.ReadAt(at + 2 + count, 2, &bytes).ok() || bytes.size() != 2 ||
        DecodeRecordLength(bytes) != count)
      return false;
    at += 4 + count;
  }
  return false;
}

// Where the damage that runs to the end of the file begins, or -1.
Status DamageReachingTheEnd(File& file, int64_t length, int64_t* from) {
  *from = -1;
  return ScanLog(file, length,
                 {.record = nullptr, .damage = [&](int64_t start, int64_t to) {
                    if (to == length) *from = start;
                    return true;
                  }});
}

Status KeepTornBytes(Env& env, const std::string& path, File& file, int64_t from,
                     int64_t length) {
  std::string bytes;
  Status status = file.ReadAt(from, static_cast<size_t>(length - from), &bytes);
  if (!status.ok()) return status;
  std::unique_ptr<File> kept;
  status = env.OpenFile(TornBytesPath(path), FileAccess::kUpdate, &kept);
  int64_t end = 0;
  if (status.ok()) status = kept->Length(&end);
  if (status.ok()) status = AppendDurably(*kept, end, bytes);
  return status;
}

}  // namespace

std::string TornBytesPath(const std::string& path) { return path + ".TORN"; }

Status RepairTornTail(Env& env, const std::string& path, File& file, int64_t* length,
                      TailCheck check) {
  if (*length == 0) return Status::Ok();
  if (check == TailCheck::kQuick) {
    const RecordRead last = ReadRecordBefore(file, *length, *length);
    if (last.outcome == ReadOutcome::kFailed) return last.status;
    if (last.outcome == ReadOutcome::kRecord) return Status::Ok();
  }
  int64_t from = -1;
  Status status = DamageReachingTheEnd(file, *length, &from);
  if (!status.ok() || from < 0 || !IsTornTail(file, *length, from)) return status;
  status = KeepTornBytes(env, path, file, from, *length);
  if (status.ok()) status = file.Truncate(from);
  if (status.ok()) status = file.Sync();
  if (status.ok()) *length = from;
  return status;
}

}  // namespace telvo
