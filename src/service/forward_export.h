#pragma once
// The two call actions that do more than change a mark. Both work on the
// call as the store last gave it and hold no file open while they ask.

#include <string>

#include "core/program.h"
#include "store/phone_store.h"

namespace telvo {

// Asks whether to forward the call and, if so, shows the message pad
// pre-filled with it through the ForwardThroughPad hook. Returns true only
// when a message was delivered while the pad was open: the call may then be
// marked for deletion. The viewed log (path, owner and person) is the same
// afterwards, whatever the pad did to the people list.
bool ForwardCall(Program& program, const Call& call);

// Asks whether to export the call and, if so, appends its line to the
// EXPORT.TXT beside the viewed log. Reports the outcome; never ends the
// program. True when the line was written.
bool ExportCall(Program& program, const Call& call);

}  // namespace telvo
