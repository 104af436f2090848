#pragma once
// A small owner of a libpq connection and its results. Every failure comes
// back as a StoreError that carries the server's (or libpq's) message as
// plain text, and values travel as binary parameters and results, so a
// call's body reaches the table and comes back byte for byte, never escaped
// into the text of a statement. libpq's own header stays in the source:
// whoever includes this needs no PostgreSQL headers.

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "store/phone_store.h"

struct pg_conn;
struct pg_result;

namespace telvo {

// One parameter of a statement, in PostgreSQL's binary format with its type,
// so the server never guesses a type from the text of a value.
struct PgParam {
  static PgParam Bytes(std::string_view bytes);  // bytea
  static PgParam Text(std::string_view text);    // text, in the connection's code page
  static PgParam Int64(int64_t value);           // bigint
  static PgParam Int32(int32_t value);           // integer

  uint32_t type = 0;  // the type's Oid
  std::string value;  // numbers in network byte order
};

// A statement's result, failed or not, read in binary format.
class PgResult {
 public:
  PgResult();
  ~PgResult();
  PgResult(PgResult&&) noexcept;
  PgResult& operator=(PgResult&&) noexcept;

  int rows() const;
  bool IsNull(int row, int column) const;
  // A bytea or text value as it came, a view into the result.
  std::string_view Bytes(int row, int column) const;
  // A smallint, integer or bigint value; 0 for a null.
  int64_t Integer(int row, int column) const;
  // The failure's SQLSTATE ("42P01"), or "".
  std::string SqlState() const;
  // The command tag of a statement that succeeded: "COMMIT", "INSERT 0 1".
  std::string Tag() const;

 private:
  friend class PgConnection;
  void Reset(pg_result* result);
  pg_result* result_ = nullptr;
};

class PgConnection {
 public:
  PgConnection();
  ~PgConnection();
  PgConnection(const PgConnection&) = delete;
  PgConnection& operator=(const PgConnection&) = delete;

  // Connects with libpq's connection string: "service=telvo", "host=db
  // dbname=telvo", a postgresql:// URI. The connection speaks the program's
  // code page (WIN1252), so text values and the server's messages arrive as
  // the program holds its texts. kDatabaseUnreachable when it fails.
  [[nodiscard]] StoreError Connect(const std::string& conninfo);
  // Whether a connection is there and not known to be broken. A connection
  // cut while idle is only found out by the next statement.
  bool connected() const;
  void Close();
  // The connection's socket, for waiting on notifications with poll() or
  // an event loop; -1 when there is no connection.
  int socket() const;

  // Runs one statement with `params`; its rows, in binary, go to `result`
  // when given. A lost connection is kDatabaseUnreachable, anything the
  // server refuses kDatabaseRefused; `result` then holds the failure.
  [[nodiscard]] StoreError Exec(const char* sql, std::initializer_list<PgParam> params = {},
                                PgResult* result = nullptr);
  // Runs a script of several statements without parameters (a migration).
  [[nodiscard]] StoreError ExecScript(const std::string& sql);

  // The notifications that have come for this connection's LISTENs, taken
  // without waiting for more.
  struct Notification {
    std::string channel, payload;
  };
  [[nodiscard]] StoreError TakeNotifications(std::vector<Notification>* arrived);

 private:
  StoreError Failure(const PgResult& result) const;
  // Reads what the server has sent, without waiting for more.
  StoreError ReadWaitingInput();

  pg_conn* conn_ = nullptr;
};

// One transaction of a connection: rolled back when it ends uncommitted, so
// an operation that stops half way leaves nothing of itself behind.
class PgTransaction {
 public:
  explicit PgTransaction(PgConnection& connection) : connection_(connection) {}
  ~PgTransaction();
  PgTransaction(const PgTransaction&) = delete;
  PgTransaction& operator=(const PgTransaction&) = delete;

  // "BEGIN", or a BEGIN with its isolation level.
  [[nodiscard]] StoreError Begin(const char* begin = "BEGIN");
  // Done only when the server said COMMIT.
  [[nodiscard]] StoreError Commit();

 private:
  PgConnection& connection_;
  bool open_ = false;
};

// A server's or libpq's message as one of the program's texts: lines broken
// by "\r" as the boxes break them, tabs as blanks, other control characters
// as "?", no line end at the end.
std::string PlainMessage(std::string_view message);

}  // namespace telvo
