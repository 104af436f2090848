#pragma once
// The database's tables and their versions. The schema and each migration
// are files under schema/, compiled into this library, so a program and the
// version it knows cannot drift apart. The programs only check the version
// (CheckSchema); telvo-log, run by an administrator, creates and migrates
// the tables (MigrateSchema) and fills in workgroups (AddPerson).

#include <cstdint>
#include <string>

#include "store/database/pg_connection.h"

namespace telvo {

// The version this program's tables are: the number of migrations it holds.
int KnownSchemaVersion();

// kDatabaseRefused, in words an administrator can act on, unless the
// database holds Telvo's tables of exactly the version this program knows:
// a database without them, or with an older version, wants telvo-log
// db-init; a newer one wants a newer Telvo.
[[nodiscard]] StoreError CheckSchema(PgConnection& connection);

// Brings the tables to KnownSchemaVersion() in one transaction, creating
// them in an empty database; `before` and `after` say from which version to
// which. A database newer than this program is refused and left alone.
[[nodiscard]] StoreError MigrateSchema(PgConnection& connection, int* before, int* after);

// Adds `name` (in the program's code page) to `workgroup`, making the
// workgroup when it is new, last in its order; a person already there keeps
// their place and takes `computer`. Given a `role`, the person logs in as
// that role: it is made (able to log in, with no password: the
// administrator gives it one, a certificate or Kerberos) when it does not
// exist, and made a member of telvo_member, whose rights the tables' policies
// give; a person added again without a role keeps theirs.
[[nodiscard]] StoreError AddPerson(PgConnection& connection, const std::string& workgroup,
                                   const std::string& name, const std::string& computer,
                                   const std::string& role = "");

}  // namespace telvo
