#include "store/database/database_schema.h"

#include <iterator>

#include "store/database/schema_sql.h"

namespace telvo {
namespace {

// Administrators running db-init at once take turns on this lock, held until
// their transaction ends; the key is any number no other program uses here.
constexpr int64_t kMigrationLock = 0x74656c766f;

StoreError Refusal(const std::string& message) {
  return StoreError::Database(StoreError::Kind::kDatabaseRefused, message);
}

// The version the database records, 0 for one without Telvo's tables. The
// table is looked for first rather than read and missed: a failed statement
// would spoil the transaction it stands in.
StoreError RecordedVersion(PgConnection& connection, int* version) {
  PgResult result;
  StoreError error =
      connection.Exec("SELECT to_regclass('schema_version') IS NOT NULL", {}, &result);
  *version = 0;
  if (!error.ok() || result.Integer(0, 0) == 0) return error;
  error = connection.Exec("SELECT coalesce(max(version), 0) FROM schema_version", {}, &result);
  if (error.ok()) *version = static_cast<int>(result.Integer(0, 0));
  return error;
}

std::string Newer(int version) {
  return "The database's Telvo tables are of version " + std::to_string(version) +
         ", newer than this Telvo knows (version " + std::to_string(KnownSchemaVersion()) +
         "). Install the newer Telvo.";
}

// Runs the statement the server itself writes from `format` and a name, so
// the name is quoted as an identifier by the server, whatever it holds.
StoreError ExecFormatted(PgConnection& connection, const char* format, const std::string& name) {
  PgResult statement;
  StoreError error = connection.Exec("SELECT format($1, $2)",
                                     {PgParam::Text(format), PgParam::Text(name)}, &statement);
  if (error.ok()) error = connection.Exec(std::string(statement.Bytes(0, 0)).c_str());
  return error;
}

StoreError MakeMemberRole(PgConnection& connection, const std::string& role) {
  PgResult found;
  StoreError error = connection.Exec("SELECT count(*) FROM pg_roles WHERE rolname = $1",
                                     {PgParam::Text(role)}, &found);
  if (error.ok() && found.Integer(0, 0) == 0)
    error = ExecFormatted(connection, "CREATE ROLE %I LOGIN", role);
  if (error.ok()) error = ExecFormatted(connection, "GRANT telvo_member TO %I", role);
  return error;
}

}  // namespace

int KnownSchemaVersion() { return static_cast<int>(std::size(kMigrations)); }

StoreError CheckSchema(PgConnection& connection) {
  int version = 0;
  StoreError error = RecordedVersion(connection, &version);
  if (!error.ok()) return error;
  if (version == 0)
    return Refusal(
        "The database holds no Telvo tables. An administrator makes them with telvo-log "
        "db-init.");
  if (version > KnownSchemaVersion()) return Refusal(Newer(version));
  if (version < KnownSchemaVersion())
    return Refusal("The database's Telvo tables are of version " + std::to_string(version) +
                   ", older than this Telvo needs (version " +
                   std::to_string(KnownSchemaVersion()) +
                   "). An administrator brings them up to date with telvo-log db-init.");
  return {};
}

StoreError MigrateSchema(PgConnection& connection, int* before, int* after) {
  PgTransaction transaction(connection);
  StoreError error = transaction.Begin();
  if (error.ok())
    error = connection.Exec("SELECT pg_advisory_xact_lock($1)", {PgParam::Int64(kMigrationLock)});
  if (error.ok()) error = RecordedVersion(connection, before);
  if (!error.ok()) return error;
  *after = *before;
  if (*before > KnownSchemaVersion()) return Refusal(Newer(*before));
  if (*before == KnownSchemaVersion()) return transaction.Commit();
  // DDL is transactional here: each migration and the version recorded
  // with it stand together, or nothing of them does.
  for (int version = *before + 1; version <= KnownSchemaVersion() && error.ok(); ++version)
    error = connection.ExecScript(std::string(kMigrations[version - 1]));
  if (error.ok()) error = connection.Exec("DELETE FROM schema_version");
  if (error.ok())
    error = connection.Exec("INSERT INTO schema_version (version) VALUES ($1)",
                            {PgParam::Int32(KnownSchemaVersion())});
  if (error.ok()) error = transaction.Commit();
  if (error.ok()) *after = KnownSchemaVersion();
  return error;
}

StoreError AddPerson(PgConnection& connection, const std::string& workgroup,
                     const std::string& name, const std::string& computer,
                     const std::string& role) {
  PgTransaction transaction(connection);
  StoreError error = transaction.Begin();
  if (error.ok())
    error = connection.Exec("INSERT INTO workgroup (name) VALUES ($1) ON CONFLICT DO NOTHING",
                            {PgParam::Text(workgroup)});
  // Locked, so that people added at once take their places in turn.
  PgResult found;
  if (error.ok())
    error = connection.Exec("SELECT id FROM workgroup WHERE name = $1 FOR UPDATE",
                            {PgParam::Text(workgroup)}, &found);
  if (!error.ok()) return error;
  const PgParam id = PgParam::Int32(static_cast<int32_t>(found.Integer(0, 0)));
  if (!role.empty()) error = MakeMemberRole(connection, role);
  if (error.ok())
    error = connection.Exec(
        "INSERT INTO person (workgroup_id, name, computer, position, role) "
        "SELECT $1, $2, $3, coalesce(max(position) + 1, 0), nullif($4, '') FROM person "
        "WHERE workgroup_id = $1 "
        "ON CONFLICT (workgroup_id, name) DO UPDATE SET computer = excluded.computer, "
        "role = coalesce(excluded.role, person.role)",
        {id, PgParam::Bytes(name), PgParam::Text(computer), PgParam::Text(role)});
  if (error.ok()) error = transaction.Commit();
  return error;
}

}  // namespace telvo
