#include "store/database/database_store.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <utility>

#include "core/call_fields.h"
#include "core/marks.h"
#include "store/database/call_listener.h"
#include "store/database/database_schema.h"
#include "store/folder_store.h"

namespace telvo {
namespace {

// Reads see one snapshot, so a cursor checked and the page read beside it
// belong to the same moment.
constexpr char kBeginReading[] = "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY";
constexpr char kBeginWriting[] = "BEGIN";
// A book's calls are chosen as one range of the index on (person_id, book,
// seq), bounded by row comparisons, and ordered as that index is. Written
// as person_id = $1 AND book = $2, the planner drops those columns from the
// order and, trusting statistics taken before other people's newer calls
// came, may walk the primary key backwards past all of them instead.
// Calls marked for the archive are read this many at a time before a purge,
// so its memory does not grow with the calls.
constexpr int kRebuildBatch = 256;

StoreError Refused(const std::string& text) {
  return StoreError::Database(StoreError::Kind::kDatabaseRefused, text);
}

PgParam Book(bool archive) { return PgParam::Int32(archive ? 1 : 0); }

// The mark bytes whose purge action `chosen` takes, as an SQL list ("1, 4,
// 32"), read from the table of marks so that the database purges as the
// folder does.
template <typename Chosen>
std::string MarkBytes(Chosen chosen) {
  std::string list;
  for (int byte = 0; byte < 256; ++byte) {
    if (!chosen(MarkOf(static_cast<char>(byte)).purge)) continue;
    list += (list.empty() ? "" : ", ") + std::to_string(byte);
  }
  return list;
}

const std::string& ArchivedMarks() {
  static const std::string marks =
      MarkBytes([](PurgeAction action) { return action == PurgeAction::kArchive; });
  return marks;
}

// One statement, so one snapshot: the calls it deletes are exactly the ones
// it moves or drops. A mark committed elsewhere while it runs is waited for
// and the call judged by its new mark, moved with the body as marked.
// Moved calls take new sequence numbers in their order, after everything in
// the archive, as a folder purge appends them to the archive's end.
const std::string& PurgeCallsSql() {
  static const std::string sql =
      "WITH leaving AS (DELETE FROM call WHERE person_id = $1 AND book = 0 "
      "AND get_byte(body, 0) NOT IN (" +
      MarkBytes([](PurgeAction action) { return action == PurgeAction::kKeep; }) +
      ") RETURNING seq, body) "
      "INSERT INTO call (person_id, book, body) SELECT $1, 1, body FROM leaving "
      "WHERE get_byte(body, 0) IN (" +
      ArchivedMarks() + ") ORDER BY seq";
  return sql;
}

// The archive keeps its archived calls and drops the rest.
const std::string& PurgeArchiveSql() {
  static const std::string sql =
      "DELETE FROM call WHERE person_id = $1 AND book = 1 AND get_byte(body, 0) NOT IN (" +
      MarkBytes([](PurgeAction action) { return action != PurgeAction::kDrop; }) + ")";
  return sql;
}

const std::string& ArchivedBodiesSql() {
  static const std::string sql =
      "SELECT seq, body FROM call WHERE (person_id, book, seq) > ($1, 0, $2) "
      "AND (person_id, book, seq) <= ($1, 0, 9223372036854775807) AND get_byte(body, 0) IN (" +
      ArchivedMarks() + ") ORDER BY person_id, book, seq LIMIT $3";
  return sql;
}

}  // namespace

std::string NotifyChannel(int32_t workgroupId) { return "telvo_" + std::to_string(workgroupId); }

DatabaseStore::DatabaseStore(std::string conninfo, std::string workgroup)
    : conninfo_(std::move(conninfo)), workgroup_(std::move(workgroup)) {}

StoreError DatabaseStore::Connect() {
  if (connection_.connected()) return {};
  StoreError error = connection_.Connect(conninfo_);
  if (error.ok()) error = CheckSchema(connection_);
  PgResult found;
  if (error.ok())
    error = connection_.Exec("SELECT id FROM workgroup WHERE name = $1",
                             {PgParam::Text(workgroup_)}, &found);
  if (error.ok() && found.rows() == 0)
    error = Refused("The workgroup " + workgroup_ +
                    " is not in the database, or this user is not one of its members. An "
                    "administrator adds people with telvo-log db-add.");
  // Checked afresh by the next operation, which may find it mended.
  if (!error.ok()) {
    connection_.Close();
    return error;
  }
  workgroupId_ = static_cast<int32_t>(found.Integer(0, 0));
  ++connectionsMade_;
  return {};
}

StoreError DatabaseStore::ListPeople(std::vector<Person>* people) {
  PgTransaction transaction(connection_);
  StoreError error = ConnectAndBegin(transaction, kBeginReading);
  PgResult rows;
  if (error.ok())
    error = connection_.Exec(
        "SELECT name, computer FROM person WHERE workgroup_id = $1 ORDER BY position, id",
        {PgParam::Int32(workgroupId_)}, &rows);
  if (error.ok()) error = transaction.Commit();
  if (!error.ok()) return error;
  people->clear();
  for (int row = 0; row < rows.rows(); ++row) {
    Person person;
    person.name = std::string(rows.Bytes(row, 0));
    person.computer = std::string(rows.Bytes(row, 1));
    people->push_back(std::move(person));
  }
  return {};
}

StoreError DatabaseStore::Listen() {
  StoreError error = Connect();
  // The channel is a name the store makes from a number, never a text from
  // outside, so it may stand in the statement.
  if (error.ok()) error = connection_.Exec(("LISTEN " + NotifyChannel(workgroupId_)).c_str());
  if (!error.ok()) connection_.Close();
  return error;
}

StoreError DatabaseStore::TakeNotifiedPeople(std::vector<int32_t>* people) {
  std::vector<PgConnection::Notification> arrived;
  StoreError error = connection_.TakeNotifications(&arrived);
  if (!error.ok()) {
    connection_.Close();
    return error;
  }
  const std::string channel = NotifyChannel(workgroupId_);
  for (const PgConnection::Notification& notification : arrived) {
    if (notification.channel != channel) continue;
    char* end = nullptr;
    const long id = std::strtol(notification.payload.c_str(), &end, 10);
    if (*end == '\0' && id > 0 && id <= std::numeric_limits<int32_t>::max())
      people->push_back(static_cast<int32_t>(id));
  }
  return {};
}

StoreError DatabaseStore::CallsAfter(const Person& person, int64_t seq, int count,
                                     int32_t* personId, std::vector<Call>* calls) {
  PgTransaction transaction(connection_);
  StoreError error = Begin(transaction, kBeginReading, person, personId);
  PgResult rows;
  if (error.ok())
    error = connection_.Exec(
        "SELECT seq, body FROM call WHERE (person_id, book, seq) > ($1, 0, $2) "
        "AND (person_id, book, seq) <= ($1, 0, 9223372036854775807) "
        "ORDER BY person_id, book, seq LIMIT $3",
        {PgParam::Int32(*personId), PgParam::Int64(seq), PgParam::Int32(count)}, &rows);
  if (error.ok()) error = transaction.Commit();
  if (!error.ok()) return error;
  for (int row = 0; row < rows.rows(); ++row) {
    std::string body(rows.Bytes(row, 1));
    calls->push_back({CallId::Of(rows.Integer(row, 0), body), std::move(body)});
  }
  return {};
}

StoreError DatabaseStore::NotInWorkgroup(const Person& person) const {
  return Refused(person.name + " is not in the workgroup " + workgroup_ + " in the database.");
}

StoreError DatabaseStore::ConnectAndBegin(PgTransaction& transaction, const char* begin) {
  const bool reused = connection_.connected();
  StoreError error = Connect();
  if (error.ok()) error = transaction.Begin(begin);
  // A connection cut while it was idle (the server restarted, the network
  // dropped it) is found out by BEGIN, which has changed nothing: a fresh
  // one is tried once.
  if (reused && error.kind == StoreError::Kind::kDatabaseUnreachable) {
    connection_.Close();
    error = Connect();
    if (error.ok()) error = transaction.Begin(begin);
  }
  return error;
}

StoreError DatabaseStore::Begin(PgTransaction& transaction, const char* begin, const Person& person,
                                int32_t* personId) {
  StoreError error = ConnectAndBegin(transaction, begin);
  PgResult found;
  if (error.ok())
    error = connection_.Exec("SELECT id FROM person WHERE workgroup_id = $1 AND name = $2",
                             {PgParam::Int32(workgroupId_), PgParam::Bytes(person.name)}, &found);
  if (error.ok() && found.rows() == 0) error = NotInWorkgroup(person);
  if (error.ok()) *personId = static_cast<int32_t>(found.Integer(0, 0));
  return error;
}

StoreError DatabaseStore::WriteFor(const Person& person,
                                   const std::function<StoreError(int32_t personId)>& write) {
  PgTransaction transaction(connection_);
  int32_t personId = 0;
  StoreError error = Begin(transaction, kBeginWriting, person, &personId);
  if (error.ok()) error = write(personId);
  if (error.ok()) error = transaction.Commit();
  return error;
}

StoreError DatabaseStore::Audit(int32_t personId, const char* action, int64_t callSeq,
                                std::string_view detail) {
  // Who and when are the row's defaults: the role of this connection and
  // the transaction's start, which the table's policy holds members to.
  return connection_.Exec(
      "INSERT INTO audit (person_id, action, call_seq, detail) "
      "VALUES ($1, $2, nullif($3, -1), $4)",
      {PgParam::Int32(personId), PgParam::Text(action), PgParam::Int64(callSeq),
       PgParam::Bytes(detail)});
}

StoreError DatabaseStore::NewestSeq(int32_t personId, bool archive, int64_t* seq) {
  PgResult newest;
  StoreError error = connection_.Exec(
      "SELECT seq FROM call WHERE (person_id, book, seq) > ($1, $2, 0) "
      "AND (person_id, book, seq) <= ($1, $2, 9223372036854775807) "
      "ORDER BY person_id DESC, book DESC, seq DESC LIMIT 1",
      {PgParam::Int32(personId), Book(archive)}, &newest);
  if (error.ok()) *seq = newest.rows() ? newest.Integer(0, 0) : 0;
  return error;
}

CallRead DatabaseStore::Find(int32_t personId, bool archive, const CallId& id, bool forUpdate) {
  PgResult found;
  CallRead read;
  read.error = connection_.Exec(
      forUpdate ? "SELECT body FROM call WHERE seq = $1 AND person_id = $2 AND book = $3 FOR UPDATE"
                : "SELECT body FROM call WHERE seq = $1 AND person_id = $2 AND book = $3",
      {PgParam::Int64(id.position), PgParam::Int32(personId), Book(archive)}, &found);
  if (!read.error.ok()) return read;
  // Gone, or another call than the one shown: the stale-record rule, the
  // same comparison as in the folder store.
  if (found.rows() == 0 || !id.Names(id.position, found.Bytes(0, 0))) {
    read.error = StoreError::Stale();
    return read;
  }
  const std::string body(found.Bytes(0, 0));
  read.call = {CallId::Of(id.position, body), body};
  return read;
}

StoreError DatabaseStore::InsertCall(const Person& to, std::string_view body) {
  // Finding the recipient, the INSERT and the NOTIFY are one statement. The
  // notification is sent by the server when the transaction commits, and
  // only then; any role may listen on any channel, so its payload names the
  // person and nothing of the call.
  PgResult posted;
  StoreError error = connection_.Exec(
      "WITH recipient AS (SELECT id FROM person WHERE workgroup_id = $1 AND name = $2), "
      "posted AS (INSERT INTO call (person_id, book, body) SELECT id, 0, $3 FROM recipient "
      "RETURNING person_id) "
      "SELECT pg_notify($4, person_id::text) FROM posted",
      {PgParam::Int32(workgroupId_), PgParam::Bytes(to.name), PgParam::Bytes(body),
       PgParam::Text(NotifyChannel(workgroupId_))},
      &posted);
  if (error.ok() && posted.rows() == 0) error = NotInWorkgroup(to);
  return error;
}

StoreError DatabaseStore::Post(const Person& to, std::string_view body) {
  // The call is delivered once the server has said COMMIT. A connection
  // lost during the COMMIT leaves it unknown: reported as not delivered, the
  // call may be there after all, but one reported delivered always is.
  // COMMIT goes only after the statement succeeded, so a poster killed
  // before that leaves nothing, even where the statement would still have
  // run to its end: a post costs three round trips to the server.
  PgTransaction transaction(connection_);
  StoreError error = ConnectAndBegin(transaction, kBeginWriting);
  if (error.ok()) error = InsertCall(to, body);
  if (error.ok()) error = transaction.Commit();
  return error;
}

StoreError DatabaseStore::PostForward(const Person& to, std::string_view body,
                                      const ForwardedCall& forwarded) {
  // The audit row is the forwarded call's owner's: whose call went where.
  return WriteFor(forwarded.from.owner, [&](int32_t ownerId) {
    StoreError error = InsertCall(to, body);
    if (error.ok()) error = Audit(ownerId, "forward", forwarded.position, to.name);
    return error;
  });
}

CallPage DatabaseStore::ReadPage(const CallBook& book, const CallId& from, PageDirection direction,
                                 int count) {
  CallPage page;
  PgTransaction transaction(connection_);
  int32_t personId = 0;
  page.error = Begin(transaction, kBeginReading, book.owner, &personId);
  if (!page.error.ok()) return page;
  const bool older = direction == PageDirection::kOlder;
  int64_t cursor = older ? std::numeric_limits<int64_t>::max() : 0;
  if (from.position >= 0) {
    const CallRead anchor = Find(personId, book.archive, from, /*forUpdate=*/false);
    page.error = anchor.error;
    if (!page.error.ok()) return page;
    cursor = from.position;
  }
  // One more than asked, to know whether more lie beyond: a range of the
  // index on (person_id, book, seq), whatever the number of calls.
  PgResult rows;
  page.error = connection_.Exec(
      older ? "SELECT seq, body FROM call WHERE (person_id, book, seq) < ($1, $2, $3) "
              "AND (person_id, book, seq) > ($1, $2, 0) "
              "ORDER BY person_id DESC, book DESC, seq DESC LIMIT $4"
            : "SELECT seq, body FROM call WHERE (person_id, book, seq) > ($1, $2, $3) "
              "AND (person_id, book, seq) <= ($1, $2, 9223372036854775807) "
              "ORDER BY person_id, book, seq LIMIT $4",
      {PgParam::Int32(personId), Book(book.archive), PgParam::Int64(cursor),
       PgParam::Int64(int64_t{std::max(count, 0)} + 1)},
      &rows);
  if (page.error.ok()) page.error = transaction.Commit();
  if (!page.error.ok()) return page;
  for (int row = 0; row < std::min(rows.rows(), count); ++row) {
    std::string body(rows.Bytes(row, 1));
    page.calls.push_back({CallId::Of(rows.Integer(row, 0), body), std::move(body)});
  }
  page.more = rows.rows() > count;
  // A cursor that was found is a call, so only a page from an end can tell.
  page.logEmpty = from.position < 0 && rows.rows() == 0;
  return page;
}

CallRead DatabaseStore::ReadCall(const CallBook& book, const CallId& id) {
  PgTransaction transaction(connection_);
  int32_t personId = 0;
  StoreError error = Begin(transaction, kBeginReading, book.owner, &personId);
  if (!error.ok()) return {error, {}};
  CallRead read = Find(personId, book.archive, id, /*forUpdate=*/false);
  if (read.error.ok()) read.error = transaction.Commit();
  return read;
}

CallRead DatabaseStore::Mark(const CallBook& book, const CallId& id, char mark) {
  PgTransaction transaction(connection_);
  int32_t personId = 0;
  StoreError error = Begin(transaction, kBeginWriting, book.owner, &personId);
  if (!error.ok()) return {error, {}};
  // Locked as it is checked, so nothing changes it between the check and
  // the mark; a purge deleting it meanwhile makes it stale here.
  CallRead read = Find(personId, book.archive, id, /*forUpdate=*/true);
  if (!read.error.ok()) return read;
  PgResult marked;
  read.error = connection_.Exec(
      "UPDATE call SET body = set_byte(body, 0, $2) WHERE seq = $1 "
      "RETURNING body",
      {PgParam::Int64(id.position), PgParam::Int32(static_cast<unsigned char>(mark))}, &marked);
  if (read.error.ok()) read.error = Audit(personId, "mark", id.position, std::string(1, mark));
  if (read.error.ok()) read.error = transaction.Commit();
  if (read.error.ok()) read.call.body = std::string(marked.Bytes(0, 0));
  return read;
}

StoreError DatabaseStore::Export(const Person& owner, const Call& call) {
  return WriteFor(owner, [&](int32_t personId) {
    StoreError error =
        connection_.Exec("INSERT INTO export_line (person_id, line) VALUES ($1, $2)",
                         {PgParam::Int32(personId), PgParam::Bytes(ExportLine(call.body))});
    return error.ok() ? Audit(personId, "export", call.id.position, "") : error;
  });
}

StoreError DatabaseStore::RebuildArchivedBodies(int32_t personId) {
  for (int64_t after = 0;;) {
    PgResult batch;
    StoreError error = connection_.Exec(
        ArchivedBodiesSql().c_str(),
        {PgParam::Int32(personId), PgParam::Int64(after), PgParam::Int32(kRebuildBatch)}, &batch);
    for (int row = 0; error.ok() && row < batch.rows(); ++row) {
      after = batch.Integer(row, 0);
      const std::string_view body = batch.Bytes(row, 1);
      const std::string archived = ArchivedBody(body);
      if (archived == body) continue;
      // Only while the body is the one read: a mark set meanwhile stands,
      // and the purge judges the call by it.
      error =
          connection_.Exec("UPDATE call SET body = $3 WHERE seq = $1 AND body = $2",
                           {PgParam::Int64(after), PgParam::Bytes(body), PgParam::Bytes(archived)});
    }
    if (!error.ok() || batch.rows() < kRebuildBatch) return error;
  }
}

PurgeResult DatabaseStore::Purge(const CallBook& book) {
  PurgeResult result;
  PgTransaction transaction(connection_);
  int32_t personId = 0;
  StoreError error = Begin(transaction, kBeginWriting, book.owner, &personId);
  // Every body the archive holds was written by the move below, so only
  // calls about to move may need writing anew.
  if (error.ok() && !book.archive) error = RebuildArchivedBodies(personId);
  if (error.ok())
    error = connection_.Exec((book.archive ? PurgeArchiveSql() : PurgeCallsSql()).c_str(),
                             {PgParam::Int32(personId)});
  if (error.ok()) error = NewestSeq(personId, book.archive, &result.newLength);
  if (error.ok()) error = Audit(personId, "purge", -1, book.archive ? "archive" : "calls");
  if (error.ok()) error = transaction.Commit();
  // Rolled back, the purge changed nothing: a failure of the log's kind.
  if (!error.ok()) {
    result.failure = PurgeResult::Failure::kLog;
    result.error = error;
    return result;
  }
  return result;
}

AlertRead DatabaseStore::ReadAlert(const Person& owner) {
  AlertRead alert;
  PgTransaction transaction(connection_);
  int32_t personId = 0;
  PgResult found;
  alert.error = Begin(transaction, kBeginReading, owner, &personId);
  if (alert.error.ok())
    alert.error = connection_.Exec("SELECT body FROM alert WHERE person_id = $1",
                                   {PgParam::Int32(personId)}, &found);
  if (alert.error.ok()) alert.error = transaction.Commit();
  if (!alert.error.ok() || found.rows() == 0) return alert;
  // All but the final line end, as from the alert file.
  const std::string_view bytes = found.Bytes(0, 0);
  alert.exists = true;
  alert.text = std::string(bytes.substr(0, bytes.size() >= 2 ? bytes.size() - 2 : 0));
  return alert;
}

StoreError DatabaseStore::WriteAlert(const Person& owner, std::string_view text,
                                     const LocalDateTime& now) {
  return WriteFor(owner, [&](int32_t personId) {
    return connection_.Exec(
        "INSERT INTO alert (person_id, body) VALUES ($1, $2) "
        "ON CONFLICT (person_id) DO UPDATE SET body = excluded.body",
        {PgParam::Int32(personId), PgParam::Bytes(AlertFileBytes(text, now))});
  });
}

StoreError DatabaseStore::RemoveAlert(const Person& owner) {
  return WriteFor(owner, [&](int32_t personId) {
    return connection_.Exec("DELETE FROM alert WHERE person_id = $1", {PgParam::Int32(personId)});
  });
}

StoreError DatabaseStore::RemoveAlertIf(const Person& owner, std::string_view expected,
                                        bool* removed) {
  bool deletedOne = false;
  const StoreError error = WriteFor(owner, [&](int32_t personId) {
    PgResult deleted;
    StoreError deleting = connection_.Exec(
        "DELETE FROM alert WHERE person_id = $1 AND body = $2 RETURNING 1",
        {PgParam::Int32(personId), PgParam::Bytes(std::string(expected) + "\r\n")}, &deleted);
    deletedOne = deleting.ok() && deleted.rows() == 1;
    return deleting;
  });
  // Only once the deletion is committed.
  *removed = error.ok() && deletedOne;
  return error;
}

StoreError DatabaseStore::Watermark(const Person& whose, int64_t* mark) {
  int32_t personId = 0;
  return NewestFor(whose, &personId, mark);
}

StoreError DatabaseStore::NewestFor(const Person& person, int32_t* personId, int64_t* seq) {
  PgTransaction transaction(connection_);
  StoreError error = Begin(transaction, kBeginReading, person, personId);
  int64_t newest = 0;
  if (error.ok()) error = NewestSeq(*personId, /*archive=*/false, &newest);
  if (error.ok()) error = transaction.Commit();
  if (error.ok()) *seq = newest;
  return error;
}

std::unique_ptr<CallListener> DatabaseStore::ListenFor(const Person& whose) {
  return std::make_unique<DatabaseCallListener>(conninfo_, workgroup_, whose);
}

}  // namespace telvo
