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
#include <string>

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
  StoreError Watermark(const Person& whose, int64_t* mark) override;

  // Connects when not connected: the schema's version checked and the
  // workgroup found, or why not.
  [[nodiscard]] StoreError Connect();
  int32_t workgroupId() const { return workgroupId_; }

 private:
  // Connects, begins an operation's transaction with `begin` and finds
  // `person` in it: their id goes to `personId`.
  [[nodiscard]] StoreError Begin(PgTransaction& transaction, const char* begin,
                                 const Person& person, int32_t* personId);
  // One writing transaction for `person`: `write` with their id, then
  // COMMIT, unless something failed first.
  [[nodiscard]] StoreError WriteFor(const Person& person,
                                    const std::function<StoreError(int32_t personId)>& write);
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
};

}  // namespace telvo
