#pragma once
// Moving an office between a shared folder and a database, on the
// database's side: calls read from a folder's files added to a person's
// books each once, and a person's id for the administrator's commands.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/database/pg_connection.h"

namespace telvo {

// `name`'s id in `workgroup`, or kDatabaseRefused when they are not there.
[[nodiscard]] StoreError FindPersonId(PgConnection& connection, const std::string& workgroup,
                                      const std::string& name, int32_t* id);

// Adds the calls of one file (`source`, as the workgroup list names it) to
// one book of a person, in the file's order. Calls are sent in batches of
// kImportBatch, each batch one transaction together with the keys that say
// it was imported: an import killed half way has committed whole batches,
// and the next run skips exactly their calls.
class CallImport {
 public:
  static constexpr size_t kImportBatch = 500;

  CallImport(PgConnection& connection, int32_t personId, bool archive, std::string source);

  // The call whose record began at `position` in the file.
  [[nodiscard]] StoreError Add(int64_t position, std::string_view body);
  // Sends what is left.
  [[nodiscard]] StoreError Finish();

  int64_t added() const { return added_; }
  int64_t alreadyThere() const { return alreadyThere_; }

 private:
  StoreError SendBatch();

  PgConnection& connection_;
  const int32_t personId_;
  const bool archive_;
  const std::string source_;
  std::vector<std::pair<int64_t, std::string>> batch_;
  int64_t added_ = 0;
  int64_t alreadyThere_ = 0;
};

// Replaces `personId`'s alert with the bytes an alert file holds.
[[nodiscard]] StoreError ImportAlert(PgConnection& connection, int32_t personId,
                                     std::string_view bytes);

}  // namespace telvo
