#pragma once
// Delivering the message on the pad: one record appended to the recipient's
// phone log, then the notification datagram.

#include <string>

#include "core/pad_values.h"
#include "core/program.h"
#include "core/text.h"
#include "service/store_messages.h"

namespace telvo {

// The record body for the pad's values: mark, then date, caller, time, phone
// and "message (initials)", each trimmed and ended by FIELD_END.
std::string BuildMessageBody(const PadValues& pad, const std::string& initials);

// Refuses, writing nothing, where the log's file system is known to be
// unsafe (Env::UnsafeShareProblem), and reports an append that the file
// system did not keep as not delivered. Leaves FileError 0 after a
// delivery and 1 after a refusal or failure; shows its own messages. Calls
// the ClearPad hook after a delivery.
void PostMessage(Program& program, const PadValues& pad);

}  // namespace telvo
