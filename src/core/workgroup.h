#pragma once
// The workgroup list: a text file on the shared drive naming each person,
// their folder, their workstation and their alert file, four comma-separated
// fields per person.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/program.h"

namespace telvo {

// A workgroup list whose first line begins "DATABASE " names a workgroup
// kept in a PostgreSQL database instead of people on a shared folder:
//
//   DATABASE service=telvo [workgroup=NAME]
//
// The rest of the line is libpq's connection string, normally a service of
// pg_service.conf, so the credentials stay in the user's own files and never
// in the list everyone reads. workgroup= is the list's own word, taken out
// before libpq sees the line; without it the workgroup is named as the
// service.
struct DatabaseWorkgroup {
  std::string conninfo;
  std::string name;
};

// The database workgroup the list's `bytes` name, or nullopt for a list of
// people. A database line that cannot be used (no workgroup named, a
// password written into it) gives nullopt and the reason in `refusal`.
std::optional<DatabaseWorkgroup> DatabaseWorkgroupOf(std::string_view bytes, std::string* refusal);

// Replaces the program's workgroup with the people of the list named by
// the settings' workgroupPath, and fills `names` (the person list of the
// window that asks: entry i is the name of workgroup person i). Runs the StartPoller hook when
// the user is in the list and the notification choice is the internal one.
//
// A list that cannot be read is reported in a box unless the options dialog
// is in front (it is the caller then); `names` is then empty, the people stay
// as they were, and myIndex and defaultIndex are -1. Returns the failure, if any.
//
// A list that names a database workgroup takes its people from the database
// through program.stores, which then makes the database the program's store;
// a list of people makes the shared folder the store again.
Status LoadWorkgroup(Program& program, std::vector<std::string>& names);

}  // namespace telvo
