#include "store/database/pg_connection.h"

#include <libpq-fe.h>
#include <poll.h>

#include <utility>
#include <vector>

namespace telvo {
namespace {

// Reads of waiting input by one look for notifications, so a flood of them
// cannot hold the look for ever.
constexpr int kMostReadsPerLook = 16;

// The types' Oids, fixed in PostgreSQL's catalogue (pg_type.dat).
constexpr Oid kByteaOid = 17;
constexpr Oid kInt8Oid = 20;
constexpr Oid kInt4Oid = 23;
constexpr Oid kTextOid = 25;
constexpr int kBinary = 1;

std::string BigEndian(uint64_t value, int bytes) {
  std::string out(static_cast<size_t>(bytes), '\0');
  for (int i = bytes; i-- > 0; value >>= 8)
    out[static_cast<size_t>(i)] = static_cast<char>(value & 0xff);
  return out;
}

StoreError Unreachable(std::string_view message) {
  return StoreError::Database(StoreError::Kind::kDatabaseUnreachable, PlainMessage(message));
}

StoreError Refused(std::string_view message) {
  return StoreError::Database(StoreError::Kind::kDatabaseRefused, PlainMessage(message));
}

}  // namespace

PgParam PgParam::Bytes(std::string_view bytes) { return {kByteaOid, std::string(bytes)}; }
PgParam PgParam::Text(std::string_view text) { return {kTextOid, std::string(text)}; }
PgParam PgParam::Int64(int64_t value) {
  return {kInt8Oid, BigEndian(static_cast<uint64_t>(value), 8)};
}
PgParam PgParam::Int32(int32_t value) {
  return {kInt4Oid, BigEndian(static_cast<uint32_t>(value), 4)};
}

PgResult::PgResult() = default;
PgResult::~PgResult() { Reset(nullptr); }
PgResult::PgResult(PgResult&& other) noexcept : result_(std::exchange(other.result_, nullptr)) {}
PgResult& PgResult::operator=(PgResult&& other) noexcept {
  Reset(std::exchange(other.result_, nullptr));
  return *this;
}

void PgResult::Reset(pg_result* result) {
  if (result_) PQclear(result_);
  result_ = result;
}

int PgResult::rows() const { return result_ ? PQntuples(result_) : 0; }

bool PgResult::IsNull(int row, int column) const { return PQgetisnull(result_, row, column) != 0; }

std::string_view PgResult::Bytes(int row, int column) const {
  return {PQgetvalue(result_, row, column), static_cast<size_t>(PQgetlength(result_, row, column))};
}

int64_t PgResult::Integer(int row, int column) const {
  const std::string_view bytes = Bytes(row, column);
  if (bytes.empty()) return 0;
  // Two's complement in network byte order: the first byte carries the sign.
  uint64_t value = static_cast<unsigned char>(bytes[0]) & 0x80 ? ~uint64_t{0} : 0;
  for (char c : bytes) value = value << 8 | static_cast<unsigned char>(c);
  return static_cast<int64_t>(value);
}

std::string PgResult::SqlState() const {
  const char* state = result_ ? PQresultErrorField(result_, PG_DIAG_SQLSTATE) : nullptr;
  return state ? state : "";
}

std::string PgResult::Tag() const { return result_ ? PQcmdStatus(result_) : ""; }

PgConnection::PgConnection() = default;
PgConnection::~PgConnection() { Close(); }

void PgConnection::Close() {
  if (conn_) PQfinish(conn_);
  conn_ = nullptr;
}

bool PgConnection::connected() const { return conn_ && PQstatus(conn_) == CONNECTION_OK; }

int PgConnection::socket() const { return conn_ ? PQsocket(conn_) : -1; }

StoreError PgConnection::Connect(const std::string& conninfo) {
  Close();
  // Read in order, a later word overriding an earlier one: the connection
  // string may lengthen the timeout and name the application, but the code
  // page is the program's whatever it says.
  const char* const keywords[] = {"connect_timeout", "fallback_application_name", "dbname",
                                  "client_encoding", nullptr};
  const char* const values[] = {"10", "telvo", conninfo.c_str(), "WIN1252", nullptr};
  conn_ = PQconnectdbParams(keywords, values, /*expand_dbname=*/1);
  if (!conn_) return Unreachable("libpq could not allocate a connection");
  if (PQstatus(conn_) != CONNECTION_OK) {
    const StoreError failed = Unreachable(PQerrorMessage(conn_));
    Close();
    return failed;
  }
  // Notices (a table already there) are the server talking to itself;
  // libpq would print them on standard error.
  PQsetNoticeProcessor(
      conn_, [](void*, const char*) {}, nullptr);
  return {};
}

StoreError PgConnection::Failure(const PgResult& result) const {
  if (!conn_) return Unreachable("not connected");
  if (PQstatus(conn_) == CONNECTION_BAD || !result.result_)
    return Unreachable(PQerrorMessage(conn_));
  const char* primary = PQresultErrorField(result.result_, PG_DIAG_MESSAGE_PRIMARY);
  const char* detail = PQresultErrorField(result.result_, PG_DIAG_MESSAGE_DETAIL);
  if (!primary) return Refused(PQresultErrorMessage(result.result_));
  return Refused(std::string(primary) + (detail ? std::string("\n") + detail : ""));
}

StoreError PgConnection::Exec(const char* sql, std::initializer_list<PgParam> params,
                              PgResult* result) {
  PgResult local;
  PgResult& out = result ? *result : local;
  if (!conn_) return Unreachable("not connected");
  std::vector<Oid> types;
  std::vector<const char*> values;
  std::vector<int> lengths, formats;
  for (const PgParam& param : params) {
    types.push_back(param.type);
    values.push_back(param.value.data());
    lengths.push_back(static_cast<int>(param.value.size()));
    formats.push_back(kBinary);
  }
  out.Reset(PQexecParams(conn_, sql, static_cast<int>(params.size()), types.data(), values.data(),
                         lengths.data(), formats.data(), kBinary));
  const ExecStatusType status = PQresultStatus(out.result_);
  if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return {};
  return Failure(out);
}

StoreError PgConnection::ExecScript(const std::string& sql) {
  if (!conn_) return Unreachable("not connected");
  PgResult result;
  result.Reset(PQexec(conn_, sql.c_str()));
  const ExecStatusType status = PQresultStatus(result.result_);
  if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return {};
  return Failure(result);
}

StoreError PgConnection::ReadWaitingInput() {
  // A server that ends the connection (an administrator, a shutdown) first
  // says so, which libpq takes as a notice, then closes: input is read while
  // more is waiting, so the close is found out by this look, not the next.
  for (int reads = 0; reads < kMostReadsPerLook; ++reads) {
    if (!conn_ || !PQconsumeInput(conn_)) return Unreachable(conn_ ? PQerrorMessage(conn_) : "");
    if (PQstatus(conn_) == CONNECTION_BAD) return Unreachable(PQerrorMessage(conn_));
    pollfd more{PQsocket(conn_), POLLIN, 0};
    if (::poll(&more, 1, 0) != 1) break;
  }
  return {};
}

StoreError PgConnection::TakeNotifications(std::vector<Notification>* arrived) {
  StoreError error = ReadWaitingInput();
  if (!error.ok()) return error;
  while (PGnotify* notification = PQnotifies(conn_)) {
    arrived->push_back({notification->relname, notification->extra});
    PQfreemem(notification);
  }
  return {};
}

PgTransaction::~PgTransaction() {
  // Nothing to tell: a connection that cannot roll back has lost the
  // transaction already, which the server then rolls back itself.
  if (open_) static_cast<void>(connection_.Exec("ROLLBACK"));
}

StoreError PgTransaction::Begin(const char* begin) {
  StoreError error = connection_.Exec(begin);
  open_ = error.ok();
  return error;
}

StoreError PgTransaction::Commit() {
  open_ = false;
  PgResult result;
  StoreError error = connection_.Exec("COMMIT", {}, &result);
  // A transaction that failed earlier answers COMMIT with ROLLBACK, and no
  // error: a caller must not take that for a commit.
  if (error.ok() && result.Tag() != "COMMIT")
    error = Refused("The transaction was rolled back, not committed.");
  return error;
}

std::string PlainMessage(std::string_view message) {
  std::string text;
  for (size_t i = 0; i < message.size(); ++i) {
    const char c = message[i];
    if (c == '\r' && i + 1 < message.size() && message[i + 1] == '\n') continue;
    if (c == '\n' || c == '\r') {
      text += '\r';
      // libpq indents its second line with a tab.
      while (i + 1 < message.size() && (message[i + 1] == '\t' || message[i + 1] == ' ')) ++i;
    } else if (c == '\t') {
      text += ' ';
    } else {
      text += static_cast<unsigned char>(c) < 0x20 || c == 0x7f ? '?' : c;
    }
  }
  while (!text.empty() && (text.back() == '\r' || text.back() == ' ')) text.pop_back();
  return text;
}

}  // namespace telvo
