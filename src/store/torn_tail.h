#pragma once
// A writer killed in the middle of an append, or a write that failed and
// could not be cut off again, leaves the front part of a record at the end
// of a phone log or archive. Every call appended behind it would then stand
// behind damage. The next writer under the lock repairs such a tail when the
// records' own lengths prove it torn, and keeps the bytes it cuts off.

#include <cstdint>
#include <string>

#include "platform/env.h"

namespace telvo {

// "<file>.TORN": the bytes cut from the file's end, each repair's appended
// to what earlier ones kept, never overwritten; `check` reports them.
std::string TornBytesPath(const std::string& path);

enum class TailCheck {
  // One record read from the end: a tail that walks is left alone without
  // reading further. For a log, opened for every post.
  kQuick,
  // A walk from the front: the front of a record whose body repeats one
  // character can pass for a whole record when read from the end.
  kThorough,
};

// With the file's lock held: when everything from some offset to the end of
// the file is the front part of whole records, appends those bytes to the
// side file (synced, its folder too when it is new) and cuts them off.
// Real damage, and a file that walks to its end, are left as they are.
// `length` is the file's length, updated when it is cut.
Status RepairTornTail(Env& env, const std::string& path, File& file, int64_t* length,
                      TailCheck check);

}  // namespace telvo
