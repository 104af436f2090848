#pragma once
// The workgroup list: a text file on the shared drive naming each person,
// their folder, their workstation and their alert file, four comma-separated
// fields per person.

#include <string>
#include <vector>

#include "core/program.h"

namespace telvo {

// Replaces the program's workgroup with the people of the list named by
// the settings' workgroupPath, and fills `names` (the person list of the
// window that asks: entry i is the name of workgroup person i). Runs the StartPoller hook when
// the user is in the list and the notification choice is the internal one.
//
// A list that cannot be read is reported in a box unless the options dialog
// is in front (it is the caller then); `names` is then empty, the people stay
// as they were, and myIndex and defaultIndex are -1. Returns the failure, if any.
Status LoadWorkgroup(Program& program, std::vector<std::string>& names);

}  // namespace telvo
