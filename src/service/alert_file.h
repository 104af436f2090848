#pragma once
// A person's alert: a note they leave for whoever takes their calls, kept in
// the alert file the workgroup list names for them. The file holds the text
// as typed (lines ended by CR LF), then a line "Posted h:mm AM/PM mm-dd-yyyy"
// and a final CR LF.

#include <string>

#include "core/alert_note.h"
#include "core/program.h"
#include "store/phone_store.h"

namespace telvo {

// The alert of `person`: its text, or that there is none; any other failure
// has been reported, and the result carries it.
AlertRead ReadAlert(Program& program, int person);

// Stores `text` (lines ended by CR LF) as the alert of `person`, stamped with
// the present moment. Returns false, with the user told, when a colleague
// kept the file locked or the database failed: the alert is not saved and
// may be tried again. Any other failure ends the program.
bool WriteAlert(Program& program, int person, const std::string& text);

// Deletes the alert file of `person`; a failure is reported and the file
// stays.
void RemoveAlert(Program& program, int person);

// The alert of `person` as a message taker is to see it: one whose Back
// moment has passed is no alert any more, although its file may stay until
// its owner's program removes it.
AlertRead ReadCurrentAlert(Program& program, int person);

inline constexpr const char* kAlertEnded = "Your alert has ended and was removed.";

// The user's own alert, when its Back moment has passed: removed under its
// lock if it is still the alert read, and the user told so once. Only the
// owner's program does this, so a workstation whose clock is wrong never
// deletes a colleague's alert. Failures are left for the next look.
// Returns whether it was removed.
bool EndMyAlertIfOver(Program& program);

}  // namespace telvo
