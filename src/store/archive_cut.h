#pragma once
// A purge appends the archived calls to the archive and only then replaces
// the log; killed between the two, it leaves those calls in both, and the
// next purge would archive them again. So before the archive grows, the
// purge notes in ARCHIVE.CUT beside the log the archive's length and the
// identity of the log it purges, durably. The next purge of that log (under
// the same lock) settles the note first: if the log it noted is still in
// place, that purge never let go of its calls, and the archive is cut back
// to the noted length; if the log was replaced, the archived calls belong
// there. Either way the note is then removed. A purge that replaced the log,
// or cut its own append off again, removes its note itself.

#include <cstdint>
#include <string>

#include "platform/env.h"

namespace telvo {

// "<folder>\ARCHIVE.CUT" for the log at `logPath`.
std::string ArchiveCutPath(const std::string& logPath);

// Writes the note and syncs it and its folder, before the archive grows.
Status NoteArchiveStart(Env& env, const std::string& logPath, int64_t archiveLength,
                        const std::string& logIdentity);

// With the log's lock held and the archive open: settles a note left by an
// earlier purge, cutting the archive back where it says, and removes it.
// `archiveLength` is the archive's length, updated when it is cut.
Status SettleArchiveCut(Env& env, const std::string& logPath, File& log, File& archive,
                        int64_t* archiveLength);

// Removes this purge's note once the log is replaced or the append cut off.
// A note left behind is settled harmlessly by the next purge, which finds the
// log replaced or the archive no longer than noted.
Status ForgetArchiveStart(Env& env, const std::string& logPath);

}  // namespace telvo
