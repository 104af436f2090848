#pragma once
// The phone-log file: a sequence of records, each a 16-bit little-endian body
// length, the body, and the same length again. The leading copy lets a reader
// walk forwards, the trailing copy backwards from the end. Offsets here count
// from 0.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "core/call_fields.h"
#include "platform/env.h"
#include "store/locked_open.h"

namespace telvo {

// Appends under the lock already held: one write at `end` (the file's real
// end), then a data sync. Anything less than all of `bytes` on the disk is
// cut off again, so no half record or half line is ever left behind; when
// even the cut fails, its failure is returned, never success.
Status AppendDurably(File& file, int64_t end, std::string_view bytes);

// The two bytes of a count, low byte first.
std::string EncodeRecordLength(int count);
// The count in two bytes, 0 to 65535.
int DecodeRecordLength(std::string_view bytes);
// The whole record for a body: length, body, length.
std::string FrameRecord(std::string_view body);

// The file called `name` in the folder of the log at `logPath`: the
// archive and the export file lie beside the phone log.
std::string BesideLog(const std::string& logPath, const std::string& name);

// True when the path names a phone log rather than an archive.
bool IsPhoneLogPath(const std::string& path);

struct Record {
  int64_t start = 0;  // offset of the leading length
  std::string body;
  int64_t end() const { return start + static_cast<int64_t>(body.size()) + 4; }
};

enum class ReadOutcome {
  kRecord,   // `record` holds it
  kNone,     // the walk reached the end (or the beginning) of the file
  kDamaged,  // the lengths around `damageAt` cannot be trusted
  kFailed,   // the file could not be read: `status`
};

struct RecordRead {
  ReadOutcome outcome = ReadOutcome::kNone;
  Record record;
  int64_t damageAt = 0;
  Status status;
};

// A length is trusted only when it is 1 to 32767, the body lies inside the
// file, and the leading and trailing copies agree.
RecordRead ReadRecordAt(File& file, int64_t logLength, int64_t start);
// The record whose trailing length ends just before `end`.
RecordRead ReadRecordBefore(File& file, int64_t logLength, int64_t end);

// Visits the records newest first (backward) or oldest first from `start`
// (forward) until `visit` returns false or the file ends. Returns the read
// that stopped the walk: kNone at a clean end, kRecord when `visit` stopped it.
using RecordVisitor = std::function<bool(const Record&)>;
RecordRead WalkBackward(File& file, int64_t logLength, const RecordVisitor& visit);
RecordRead WalkForward(File& file, int64_t logLength, int64_t start, const RecordVisitor& visit);

}  // namespace telvo
