#pragma once
// An append that is proven kept before it counts. On a share, a client's
// caches can give a stale length (so the append lands on another
// workstation's record), acknowledge a write it later drops, or hide a
// file that a purge elsewhere renamed into place; each would lose a call
// that was reported delivered. So the append is checked against what the
// file system itself holds, before and after.

#include <cstdint>
#include <string_view>

#include "platform/env.h"

namespace telvo {

// Appends `bytes` at `end`, the length File::Length gave under the lock
// already held, and syncs. Before writing, nothing may lie at `end`. After
// the sync, read back past the workstation's cache: the file must end just
// after `bytes`, hold them as written, keep the two bytes before `end` as
// they were (the last record's trailing length), and still be the file its
// path names. A file that may be written but not read is checked by its
// length and name alone. Anything else fails with kNotKept, after cutting
// off what the append may have left where that harms no one else's bytes.
Status AppendVerified(File& file, int64_t end, std::string_view bytes);

}  // namespace telvo
