#include "store/database/database_import.h"

#include <utility>

#include "store/phone_store.h"

namespace telvo {

StoreError FindPersonId(PgConnection& connection, const std::string& workgroup,
                        const std::string& name, int32_t* id) {
  PgResult found;
  StoreError error = connection.Exec(
      "SELECT p.id FROM person p JOIN workgroup w ON w.id = p.workgroup_id "
      "WHERE w.name = $1 AND p.name = $2",
      {PgParam::Text(workgroup), PgParam::Bytes(name)}, &found);
  if (error.ok() && found.rows() == 0)
    error =
        StoreError::Database(StoreError::Kind::kDatabaseRefused,
                             name + " is not in the workgroup " + workgroup + " in the database.");
  if (error.ok()) *id = static_cast<int32_t>(found.Integer(0, 0));
  return error;
}

CallImport::CallImport(PgConnection& connection, int32_t personId, bool archive, std::string source)
    : connection_(connection), personId_(personId), archive_(archive), source_(std::move(source)) {}

StoreError CallImport::Add(int64_t position, std::string_view body) {
  batch_.emplace_back(position, std::string(body));
  return batch_.size() < kImportBatch ? StoreError{} : SendBatch();
}

StoreError CallImport::Finish() { return batch_.empty() ? StoreError{} : SendBatch(); }

StoreError CallImport::SendBatch() {
  PgTransaction transaction(connection_);
  StoreError error = transaction.Begin();
  int64_t added = 0;
  for (const auto& [position, body] : batch_) {
    if (!error.ok()) break;
    // The key goes in first; a call whose key was there already is not
    // inserted again.
    PgResult inserted;
    error = connection_.Exec(
        "WITH fresh AS (INSERT INTO import_key (person_id, source, position, digest) "
        "VALUES ($1, $2, $3, $4) ON CONFLICT DO NOTHING RETURNING 1) "
        "INSERT INTO call (person_id, book, body) SELECT $1, $5, $6 FROM fresh",
        {PgParam::Int32(personId_), PgParam::Bytes(source_), PgParam::Int64(position),
         PgParam::Text(CallId::Of(position, body).digest), PgParam::Int32(archive_ ? 1 : 0),
         PgParam::Bytes(body)},
        &inserted);
    if (error.ok() && inserted.Tag() == "INSERT 0 1") ++added;
  }
  if (error.ok()) error = transaction.Commit();
  if (!error.ok()) return error;
  added_ += added;
  alreadyThere_ += static_cast<int64_t>(batch_.size()) - added;
  batch_.clear();
  return {};
}

StoreError ImportAlert(PgConnection& connection, int32_t personId, std::string_view bytes) {
  return connection.Exec(
      "INSERT INTO alert (person_id, body) VALUES ($1, $2) "
      "ON CONFLICT (person_id) DO UPDATE SET body = excluded.body",
      {PgParam::Int32(personId), PgParam::Bytes(bytes)});
}

}  // namespace telvo
