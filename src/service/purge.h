#pragma once
// Purging a log: the calls answered for deletion leave it, the calls answered
// for the archive move to the person's archive (when the log is a phone log),
// and every other call stays, in its order.

#include "core/program.h"
#include "store/phone_store.h"

namespace telvo {

// Purges the viewed log; its messages go under its owner's name. True when
// the log was purged or was empty (the LogPurged hook has then run), false
// when the purge stopped with the log and the archive as they were (its
// message has been shown). A failure to open the work file or the archive
// other than a lock held elsewhere ends the program. The caller shows the
// busy pointer around the call and lists the log again afterwards.
bool PurgeCalls(Program& program);

// Ends the program after a purge that could not open its work file or the
// archive, naming the file and the code.
[[noreturn]] void EndPurge(Program& program, const PurgeResult& result);

}  // namespace telvo
