#include "store/verified_append.h"

#include <string>

#include "store/phone_log.h"

namespace telvo {
namespace {

Status NotKept() { return Status::Error(kNotKept); }

// Reads what the file system holds at [offset, offset + n). A file that may
// be written but not read answers 75, which leaves `readable` false.
Status ReadBackIfReadable(File& file, int64_t offset, size_t n, std::string* out, bool* readable) {
  Status status = file.ReadBack(offset, n, out);
  if (status.code() == kPathFileAccessError) {
    *readable = false;
    return Status::Ok();
  }
  return status;
}

// After the sync: does the file hold `expected` at `from` and end there?
Status CheckKept(File& file, int64_t from, const std::string& expected, bool readable) {
  const int64_t end = from + static_cast<int64_t>(expected.size());
  int64_t length = 0;
  Status status = file.Length(&length);
  if (!status.ok()) return status;
  if (length != end || !file.StillNamedByItsPath()) return NotKept();
  if (!readable) return Status::Ok();
  std::string found;
  status = file.ReadBack(from, expected.size() + 1, &found);
  if (!status.ok()) return status;
  return found == expected ? Status::Ok() : NotKept();
}

}  // namespace

Status AppendVerified(File& file, int64_t end, std::string_view bytes) {
  // The two bytes before the end are the last record's trailing length:
  // a write at a stale end would have to overwrite or move them.
  const int64_t from = end >= 2 ? end - 2 : 0;
  bool readable = true;
  std::string before;
  Status status =
      ReadBackIfReadable(file, from, static_cast<size_t>(end - from) + 1, &before, &readable);
  if (!status.ok()) return status;
  // The open has just checked the file's identity; after the write it is
  // checked again.
  if (readable && before.size() != static_cast<size_t>(end - from)) return NotKept();

  status = AppendDurably(file, end, bytes);
  if (!status.ok()) return status;
  const std::string expected = readable ? before.append(bytes) : std::string(bytes);
  status = CheckKept(file, readable ? from : end, expected, readable);
  if (status.code() != kNotKept) return status;

  // Cut the append off again where the file ends just after it: those
  // bytes are this append's, or a file no path names any more. A file that
  // ends elsewhere holds other writers' bytes there and is left alone.
  int64_t length = 0;
  if (file.Length(&length).ok() && length == end + static_cast<int64_t>(bytes.size())) {
    Status undo = file.Truncate(end);
    if (undo.ok()) undo = file.Sync();
    if (!undo.ok()) return undo;
  }
  return status;
}

}  // namespace telvo
