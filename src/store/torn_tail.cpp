#include "store/torn_tail.h"

#include <map>
#include <memory>
#include <mutex>

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
  return ScanLog(file, length, {.record = nullptr, .damage = [&](int64_t start, int64_t to) {
                                  if (to == length) *from = start;
                                  return true;
                                }});
}

Status KeepTornBytes(Env& env, const std::string& path, File& file, int64_t from, int64_t length) {
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

// Files whose end was found to be real damage, not a torn tail, at the
// length they then had. A log in that state would otherwise be read whole
// on every open (every post, every page of the call list) to find again
// what cannot be repaired; an append or any other change of length or file
// makes it worth a look again.
class KnownDamage {
 public:
  bool Has(const std::string& identity, int64_t length) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = lengths_.find(identity);
    return it != lengths_.end() && it->second == length;
  }
  void Note(const std::string& identity, int64_t length) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (lengths_.size() >= 256) lengths_.clear();
    lengths_[identity] = length;
  }

 private:
  std::mutex mutex_;
  std::map<std::string, int64_t> lengths_;
};

KnownDamage& KnownDamageAtTheEnd() {
  static KnownDamage known;
  return known;
}

}  // namespace

std::string TornBytesPath(const std::string& path) { return path + ".TORN"; }

Status RepairTornTail(Env& env, const std::string& path, File& file, int64_t* length,
                      TailCheck check) {
  if (*length == 0) return Status::Ok();
  std::string identity;
  if (check == TailCheck::kQuick) {
    const RecordRead last = ReadRecordBefore(file, *length, *length);
    if (last.outcome == ReadOutcome::kFailed) return last.status;
    if (last.outcome == ReadOutcome::kRecord) return Status::Ok();
    identity = file.Identity();
    if (!identity.empty() && KnownDamageAtTheEnd().Has(identity, *length)) return Status::Ok();
  }
  int64_t from = -1;
  Status status = DamageReachingTheEnd(file, *length, &from);
  if (!status.ok()) return status;
  if (from < 0 || !IsTornTail(file, *length, from)) {
    if (check == TailCheck::kQuick && !identity.empty())
      KnownDamageAtTheEnd().Note(identity, *length);
    return status;
  }
  status = KeepTornBytes(env, path, file, from, *length);
  if (status.ok()) status = file.Truncate(from);
  if (status.ok()) status = file.Sync();
  if (status.ok()) *length = from;
  return status;
}

}  // namespace telvo
