#pragma once
// The store on a PostgreSQL database: a workgroup's people, their calls,
// archives, alerts and exports are rows, and every operation is one
// transaction. It keeps the folder store's meaning byte for byte: a call's
// body is the phone log's body, a page is newest first, a CallId is the
// call's sequence number and the same digest, and a purge drops and moves
// the same calls. docs/ARCHITECTURE.md, "The database store", maps each
// operation to its statements.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "store/database/pg_connection.h"
#include "store/phone_store.h"

namespace telvo {

// The channel a post to a workgroup notifies: "telvo_" and the workgroup's
// id. The payload is the person's id and nothing of the call, since any role
// may listen on any channel.
std::string NotifyChannel(int32_t workgroupId);

class DatabaseStore : public PhoneStore {
 public:
  // `conninfo` is libpq's connection string ("service=telvo"), `workgroup`
  // the workgroup's name in the database. Nothing is connected yet: the
  // first operation connects, checks the schema's version and finds the
  // workgroup, and so does the first after a connection was lost.
  DatabaseStore(std::string conninfo, std::string workgroup);

  StoreError Post(const Person& to, std::string_view body) override;
  StoreError PostForward(const Person& to, std::string_view body,
                         const ForwardedCall& forwarded) override;
  CallPage ReadPage(const CallBook& book, const CallId& from, PageDirection direction,
                    int count) override;
  CallRead ReadCall(const CallBook& book, const CallId& id) override;
  CallRead Mark(const CallBook& book, const CallId& id, char mark) override;
  StoreError Export(const Person& owner, const Call& call) override;
  PurgeResult Purge(const CallBook& book) override;
  AlertRead ReadAlert(const Person& owner) override;
  StoreError WriteAlert(const Person& owner, std::string_view text,
                        const LocalDateTime& now) override;
  StoreError RemoveAlert(const Person& owner) override;
  StoreError RemoveAlertIf(const Person& owner, std::string_view expected, bool* removed) override;
  StoreError Watermark(const Person& whose, int64_t* mark) override;
  bool NotifiesRecipients() const override { return true; }
  std::unique_ptr<CallListener> ListenFor(const Person& whose) override;

  // The workgroup's people in their order, as a workgroup list gives them:
  // name and computer; a database person has no files.
  [[nodiscard]] StoreError ListPeople(std::vector<Person>* people);

  // Connects when not connected: the schema's version checked and the
  // workgroup found, or why not.
  [[nodiscard]] StoreError Connect();
  int32_t workgroupId() const { return workgroupId_; }
  const std::string& conninfo() const { return conninfo_; }
  const std::string& workgroup() const { return workgroup_; }

  // --- For a listener, on this store's own connection -----------------------
  // LISTENs on the workgroup's channel, connecting first when needed. A
  // connection made anew by any later operation has lost the LISTEN: the
  // count of connections made tells a listener to listen again.
  [[nodiscard]] StoreError Listen();
  int64_t connectionsMade() const { return connectionsMade_; }
  int socket() const { return connection_.socket(); }
  // The ids of the people whose calls the notifications that came name.
  [[nodiscard]] StoreError TakeNotifiedPeople(std::vector<int32_t>* people);
  // `person`'s id and the sequence number of their newest call (0 for none).
  [[nodiscard]] StoreError NewestFor(const Person& person, int32_t* personId, int64_t* seq);
  // `person`'s id, and up to `count` of their calls newer than `seq`,
  // oldest first.
  [[nodiscard]] StoreError CallsAfter(const Person& person, int64_t seq, int count,
                                      int32_t* personId, std::vector<Call>* calls);

 private:
  // The refusal of a person the workgroup does not hold.
  StoreError NotInWorkgroup(const Person& person) const;
  // Connects when needed and begins a transaction with `begin`, on a fresh
  // connection when the one kept turns out to be cut.
  [[nodiscard]] StoreError ConnectAndBegin(PgTransaction& transaction, const char* begin);
  // Connects, begins an operation's transaction with `begin` and finds
  // `person` in it: their id goes to `personId`.
  [[nodiscard]] StoreError Begin(PgTransaction& transaction, const char* begin,
                                 const Person& person, int32_t* personId);
  // One writing transaction for `person`: `write` with their id, then
  // COMMIT, unless something failed first.
  [[nodiscard]] StoreError WriteFor(const Person& person,
                                    const std::function<StoreError(int32_t personId)>& write);
  // Records in the transaction under way that this connection's role did
  // `action` to `personId`'s call `callSeq` (-1: to no one call).
  [[nodiscard]] StoreError Audit(int32_t personId, const char* action, int64_t callSeq,
                                 std::string_view detail);
  // A post's INSERT and NOTIFY for `to`, inside the transaction under way.
  [[nodiscard]] StoreError InsertCall(const Person& to, std::string_view body);
  // The newest sequence number in `book` of `personId`, 0 for none.
  [[nodiscard]] StoreError NewestSeq(int32_t personId, bool archive, int64_t* seq);
  // The call `id` names in `book` of `personId`, or kStale.
  CallRead Find(int32_t personId, bool archive, const CallId& id, bool forUpdate);
  // Book 0's calls marked for the archive whose bodies ArchivedBody would
  // write anew are written so before the purge moves them.
  [[nodiscard]] StoreError RebuildArchivedBodies(int32_t personId);

  const std::string conninfo_;
  const std::string workgroup_;
  PgConnection connection_;
  int32_t workgroupId_ = 0;
  int64_t connectionsMade_ = 0;
};

}  // namespace telvo
