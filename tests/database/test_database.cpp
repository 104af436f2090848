#include "database/test_database.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "store/database/database_schema.h"

namespace telvo::test {

std::string TestDatabase(std::string* why) {
  const char* dir = std::getenv("TELVO_TEST_DATABASE_DIR");
  if (!dir) {
    *why =
        "no PostgreSQL test cluster: run through ctest, which starts one (Database.ClusterStart)";
    return "";
  }
  std::string conninfo;
  std::getline(std::ifstream(std::string(dir) + "/conninfo"), conninfo);
  if (conninfo.empty()) {
    *why = std::string("no PostgreSQL test cluster in ") + dir +
           ": Database.ClusterStart says why it did not start";
    return "";
  }
  // Once a run: the tables of this program's version, as db-init makes them.
  static const bool made = [&] {
    PgConnection connection;
    int before = 0, after = 0;
    StoreError error = connection.Connect(conninfo);
    if (error.ok()) error = MigrateSchema(connection, &before, &after);
    EXPECT_TRUE(error.ok()) << error.detail;
    return error.ok();
  }();
  if (!made) *why = "the test cluster's tables could not be made";
  return made ? conninfo : "";
}

std::string UniqueName(const std::string& prefix) {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  return prefix + "-" + test->test_suite_name() + "." + test->name() + "-" +
         std::to_string(::getpid());
}

int64_t QueryNumber(PgConnection& connection, const char* sql,
                    std::initializer_list<PgParam> params) {
  PgResult result;
  const StoreError error = connection.Exec(sql, params, &result);
  EXPECT_TRUE(error.ok()) << sql << ": " << error.detail;
  return error.ok() && result.rows() > 0 ? result.Integer(0, 0) : -1;
}

}  // namespace telvo::test
