#include "service/workgroup_stores.h"

#include <utility>

#include "service/store_messages.h"
#include "store/database/database_store.h"

namespace telvo {

WorkgroupStores::WorkgroupStores(Env& env, LogReads reads) : folder_(env, reads) {}

WorkgroupStores::~WorkgroupStores() = default;

void WorkgroupStores::UseFolder(Program& program) { program.store = &folder_; }

std::string WorkgroupStores::UseDatabase(Program& program, const DatabaseWorkgroup& workgroup,
                                         std::vector<Person>* people) {
  std::unique_ptr<DatabaseStore> named;
  DatabaseStore* store = database_.get();
  if (!store || store->conninfo() != workgroup.conninfo || store->workgroup() != workgroup.name) {
    named = std::make_unique<DatabaseStore>(workgroup.conninfo, workgroup.name);
    store = named.get();
  }
  const StoreError listed = store->ListPeople(people);
  // The program goes on with the store it had, which its people belong to.
  if (!listed.ok()) return DatabaseFailureText(listed);
  if (named) database_ = std::move(named);
  program.store = database_.get();
  return "";
}

}  // namespace telvo
