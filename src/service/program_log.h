#pragma once
// The program's own access to the phone log it shows, with the boxes it
// shows when that fails: what the windows used before the store took over,
// kept for the callers that still work on CurrentLogPath.

#include <memory>
#include <string>

#include "core/program.h"
#include "store/phone_log.h"

namespace telvo {

// Opens `path` under its lock, waiting out a lock held elsewhere: at most
// kMaxOpenTries tries, LockedOpener's pauses apart. Returns the
// last try's status; kPermissionDenied means the lock stayed held, which the
// caller reports as "Message file is locked up" once it has closed its other
// files.
Status OpenWithLockRetries(Program& program, const std::string& path, FileAccess access,
                           std::unique_ptr<File>* file);

// Opens CurrentLogPath for reading and writing under the exclusive lock,
// retrying a lock held elsewhere, and repairs a torn tail (torn_tail.h).
// Sets FileError, ReadDenied and LogLength.
// On failure the message has been shown, FileError is 1 and the result null.
std::unique_ptr<File> OpenPhoneLog(Program& program);

// Stop box naming the damaged offset, under the log owner's name.
void ReportLogDamage(Program& program, int64_t offset);

// Stop box for a read or write failure of the log, under the owner's name.
void ReportLogFailure(Program& program, const Status& status);

}  // namespace telvo
