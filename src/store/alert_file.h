#pragma once
// A person's alert: a note they leave for whoever takes their calls, kept in
// the alert file the workgroup list names for them.

#include "core/program.h"

namespace telvo {

// Reads the alert of `person` into AlertText and sets AlertError: 0 when an
// alert was read, 53 when the person has no alert file; any other failure
// has been reported.
void ReadAlert(Program& program, int person);

}  // namespace telvo
