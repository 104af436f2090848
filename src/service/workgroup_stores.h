#pragma once
// The stores a program can keep calls in, switched as the workgroup list
// read says: the shared folder's, or one database workgroup's at a time.

#include <memory>
#include <string>
#include <vector>

#include "core/program.h"
#include "core/workgroup.h"
#include "store/folder_store.h"

namespace telvo {

class DatabaseStore;

class WorkgroupStores : public StoreChoice {
 public:
  explicit WorkgroupStores(Env& env, LogReads reads = LogReads::kAsWriter);
  ~WorkgroupStores() override;
  WorkgroupStores(const WorkgroupStores&) = delete;
  WorkgroupStores& operator=(const WorkgroupStores&) = delete;

  void UseFolder(Program& program) override;
  // The database's store is kept while the list names the same one, so its
  // connection lasts from one reading of the list to the next.
  std::string UseDatabase(Program& program, const DatabaseWorkgroup& workgroup,
                          std::vector<Person>* people) override;

  FolderStore& folder() { return folder_; }

 private:
  FolderStore folder_;
  std::unique_ptr<DatabaseStore> database_;
};

}  // namespace telvo
