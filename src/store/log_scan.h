#pragma once
// A front-to-back pass over a whole log in large reads, for work that visits
// every byte (checking a log of a gigabyte): the record walk of phone_log.h
// reads twice per call, and after damage once per byte.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "platform/env.h"

namespace telvo {

inline constexpr size_t kScanBlockBytes = size_t{1} << 20;

// Either function may be left empty: the scan then goes on past what it
// would have been told.
struct LogScanVisitor {
  // A record whose lengths are trusted (as ReadRecordAt judges them); the
  // body lives in the scanner's buffer and only for this call, between the
  // record's two lengths (see ScannedRecordBytes).
  std::function<bool(int64_t start, std::string_view body)> record;
  // Trust was lost at `from`, the start of the walk or the end of a trusted
  // record; `to` is the first later offset where a trusted record begins
  // whose body holds its five fields, or the end of the file.
  std::function<bool(int64_t from, int64_t to)> damage;
};

// The whole record around a body the scanner gave: its leading length, the
// body and its trailing length, as the file holds them, copied without
// framing them anew.
inline std::string_view ScannedRecordBytes(std::string_view body) {
  return std::string_view(body.data() - 2, body.size() + 4);
}

// Visits the log's records and damaged regions in file order until a
// visitor returns false or the file ends. Each read is `blockBytes` long,
// or one record when that is longer, so memory stays at one block and one
// record. Bytes that the file's length promised but a read did not give
// count as damage. Returns a failed read's status.
Status ScanLog(File& file, int64_t logLength, const LogScanVisitor& visit,
               size_t blockBytes = kScanBlockBytes);

}  // namespace telvo
